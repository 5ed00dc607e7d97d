// Helpers for tests that work on real folders and files.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/handler.h"
#include "app/platform.h"
#include "app/state.h"

namespace nadeshiro::test {

using Names = std::vector<std::wstring>;
// For EXPECT_PRED2: whether text holds part (a failure shows both).
inline bool Holds(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }
void RemoveTree(const std::wstring& path);  // a file, or a folder with everything in it

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
std::string ReadBytes(const std::wstring& path);  // "<missing>" when it cannot be read
inline bool FolderExists(const std::wstring& path) { return (GetFileAttributesW(path.c_str()) & 0x80000010u) == FILE_ATTRIBUTE_DIRECTORY; }
Names ListFolder(const std::wstring& folder);  // sorted, without "." and ".."
Names TemporaryFilesIn(const std::wstring& folder);  // names the tool's temporary files have
std::string SlotContent(const std::wstring& tag, size_t size = 64);
std::wstring EnvironmentPath(const wchar_t* name);  // a Unix path as Wine's Z: drive shows it
std::string Utf8(const std::wstring& text);
// Asks done every 25 ms until it is true or timeout ms have passed; its last answer.
bool WaitUntil(const std::function<bool()>& done, DWORD timeout = 30000);
PROCESS_INFORMATION StartProcess(const std::wstring& program, std::wstring commandLine);  // its handles are the caller's
// Under Wine: path as the Unix system names it (empty elsewhere), and a Unix shell command
// (sh -c script, whose $0, $1, ... are arguments) run to its end; false when it did not finish.
std::wstring UnixPath(const std::wstring& path);
bool RunUnix(const std::wstring& script, const Names& arguments);

// Records message boxes, beeps and ends of program instead. Said: exactly one message box with
// prompt, style and title; Reported: exactly one error report holding part (L"'61'", a path).
struct Recorder {
    struct Recorded { std::wstring prompt; int style; std::wstring title; };
    Recorder();
    ~Recorder() { platform::SetHooks({}); }
    bool Said(const std::wstring& prompt, int style, const std::wstring& title = L"あのね") const
    { return messages.size() == 1 && messages[0].prompt == prompt && messages[0].style == style && messages[0].title == title; }
    bool Reported(const std::wstring& part = std::wstring()) const
    { return messages.size() == 1 && messages[0].style == 16 && messages[0].prompt.find(part) != std::wstring::npos; }
    std::wstring Text() const;  // every prompt, one after another
    std::wstring First() const { return messages.empty() ? L"<no report>" : messages[0].prompt; }
    std::vector<Recorded> messages;
    int beeps = 0, ends = 0;
};

}  // namespace nadeshiro::test

using namespace nadeshiro;
using namespace nadeshiro::test;
