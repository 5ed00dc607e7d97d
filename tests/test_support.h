// Helpers for tests that work on real folders and files.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/handler.h"
#include "app/platform.h"
#include "app/state.h"

namespace nadeshiro::test {

using Names = std::vector<std::wstring>;

// A fresh folder under root (the temporary folder when empty), removed with its content.
class TestFolder {
public:
    explicit TestFolder(const std::wstring& root = std::wstring(), const std::wstring& prefix = L"nadeshiro test ");
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

void RemoveTree(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);  // "<missing>" when it cannot be read
bool FolderExists(const std::wstring& path);
Names ListFolder(const std::wstring& folder);  // sorted, without "." and ".."
Names TemporaryFilesIn(const std::wstring& folder);  // names the tool's temporary files have
std::string SlotContent(const std::wstring& tag, size_t size = 64);
// A path named by an environment variable; a Unix path as Wine's Z: drive shows it.
std::wstring EnvironmentPath(const wchar_t* name);
std::string Utf8(const std::wstring& text);
// Starts program with this command line; the process's handles are the caller's to close.
PROCESS_INFORMATION StartProcess(const std::wstring& program, std::wstring commandLine);

// Records every message box, beep and end of program instead of showing or doing them.
struct Recorder {
    struct Recorded { std::wstring prompt; int style; std::wstring title; };
    Recorder();
    ~Recorder();
    // Exactly one message box, with this prompt, style and title.
    bool Said(const std::wstring& prompt, int style, const std::wstring& title = L"あのね") const;
    // Exactly one error report, whose text holds part (an error number such as L"'61'", a path).
    bool Reported(const std::wstring& part = std::wstring()) const;
    std::vector<Recorded> messages;
    int beeps = 0, ends = 0;
};

}  // namespace nadeshiro::test

using namespace nadeshiro;
using namespace nadeshiro::test;
