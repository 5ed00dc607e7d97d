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

// A fresh folder, removed with everything in it when the object goes.
class TestFolder {
public:
    // Made under root, or under the temporary folder when root is empty.
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
std::string ReadBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
// Names in a folder, sorted, without "." and "..".
std::vector<std::wstring> ListFolder(const std::wstring& folder);
// Names that the tool's temporary files would have.
std::vector<std::wstring> TemporaryFilesIn(const std::wstring& folder);
// A slot file's recognisable content.
std::string SlotContent(const std::wstring& tag, size_t size = 64);
// An environment variable, or empty.
std::wstring Environment(const wchar_t* name);
// A Unix path as Wine's Z: drive shows it; a Windows path unchanged.
std::wstring HostPath(const std::wstring& path);
std::string Utf8(const std::wstring& text);

// Records every message box, beep and end of program instead of showing or doing them.
struct Recorded {
    std::wstring prompt;
    int style;
    std::wstring title;
};
class Recorder {
public:
    Recorder();
    ~Recorder();
    // Exactly one message box, with this prompt, style and title.
    bool Said(const std::wstring& prompt, int style, const std::wstring& title = L"あのね") const;
    // Exactly one error report, whose text holds this (an error number such as L"'61'").
    bool Reported(const std::wstring& part = std::wstring()) const;
    std::vector<Recorded> messages;
    int beeps = 0;
    int ends = 0;
};

}  // namespace nadeshiro::test

// Every test speaks of the tool's own names.
using namespace nadeshiro;
using namespace nadeshiro::test;
