// Helpers for tests that work on real folders and files.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/handler.h"
#include "app/platform.h"
#include "app/state.h"

namespace nadeshiro::test {

using Names = std::vector<std::wstring>;
void RemoveTree(const std::wstring& path);
std::string Utf8(const std::wstring& text);

// A fresh folder under root (the temporary folder when empty), removed with its content.
class TestFolder {
public:
    explicit TestFolder(const std::wstring& root = std::wstring(), const std::wstring& prefix = L"nadeshiro test ");
    ~TestFolder() { RemoveTree(path_); }
    TestFolder(const TestFolder&) = delete;
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

void WriteBytes(const std::wstring& path, const std::string& bytes);
inline std::string ReadBytes(const std::wstring& path)  // "<missing>" when it cannot be read
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<missing>";
}
inline bool FolderExists(const std::wstring& path) { return (GetFileAttributesW(path.c_str()) & 0x80000010u) == FILE_ATTRIBUTE_DIRECTORY; }
Names ListFolder(const std::wstring& folder);  // sorted, without "." and ".."
Names TemporaryFilesIn(const std::wstring& folder);  // names the tool's temporary files have
std::string SlotContent(const std::wstring& tag, size_t size = 64);
std::wstring EnvironmentPath(const wchar_t* name);  // a Unix path as Wine's Z: drive shows it
// Starts program with this command line; the process's handles are the caller's to close.
PROCESS_INFORMATION StartProcess(const std::wstring& program, std::wstring commandLine);

// Records every message box, beep and end of program instead of showing or doing them.
struct Recorder {
    struct Recorded { std::wstring prompt; int style; std::wstring title; };
    Recorder();
    ~Recorder() { platform::SetHooks({}); }
    // Exactly one message box, with this prompt, style and title.
    bool Said(const std::wstring& prompt, int style, const std::wstring& title = L"あのね") const
    { return messages.size() == 1 && messages[0].prompt == prompt && messages[0].style == style && messages[0].title == title; }
    // Exactly one error report, whose text holds part (an error number such as L"'61'", a path).
    bool Reported(const std::wstring& part = std::wstring()) const
    { return messages.size() == 1 && messages[0].style == 16 && messages[0].prompt.find(part) != std::wstring::npos; }
    std::vector<Recorded> messages;
    int beeps = 0, ends = 0;
};

}  // namespace nadeshiro::test

using namespace nadeshiro;
using namespace nadeshiro::test;
