// Helpers for tests that work on real folders and files.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/handler.h"
#include "app/platform.h"
#include "app/state.h"

namespace nadeshiro::test {

using Names = std::vector<std::wstring>;
void RemoveTree(const std::wstring& path);  // a file, or a folder with everything in it

// The folder of this test program's own on the tests' drive R:, its current folder from its
// start (the program's main makes it; scripts/wine-prefix.sh makes the drive and empties it
// whenever it boots the prefix): what a faulty build writes at "\..." lands on that drive.
const std::wstring& OwnFolder();
// A fresh folder under root (the program's own folder when empty), removed with its content.
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
// Its handles are the caller's; it starts in folder (the caller's current folder when empty).
PROCESS_INFORMATION StartProcess(const std::wstring& program, std::wstring commandLine, const std::wstring& folder = L"");
// Under Wine: path as the Unix system names it (empty elsewhere), and a Unix shell command
// (sh -c script, whose $0, $1, ... are arguments) run to its end; false when it did not finish.
std::wstring UnixPath(const std::wstring& path);
bool RunUnix(const std::wstring& script, const Names& arguments);
// Asks done every 25 ms until it holds, for at most milliseconds; whether it held.
bool WaitFor(const std::function<bool()>& done, DWORD milliseconds = 10000);

// A message box the tool showed, printed in UTF-8 when a check fails.
struct Recorded {
    std::wstring prompt;
    int style;
    std::wstring title;
};
void PrintTo(const Recorded& message, std::ostream* out);
// A message box with prompt (text or a matcher such as HasSubstr), style and the tool's title.
template <typename Prompt>
auto Message(Prompt prompt, int style, const std::wstring& title = L"あのね")
{
    using ::testing::Field;
    return ::testing::AllOf(Field("prompt", &Recorded::prompt, prompt), Field("style", &Recorded::style, style), Field("title", &Recorded::title, title));
}
// An error report (the stop sign, the tool's name as title) holding every part given (L"'61'", a path).
template <typename... Parts>
auto Report(const Parts&... parts) { return Message(::testing::AllOf(::testing::HasSubstr(std::wstring(parts))...), 16, L"なでしろ"); }

// Records message boxes, beeps and ends of program instead.
struct Recorder {
    Recorder();
    ~Recorder() { platform::SetHooks({}); }
    std::vector<Recorded> messages;
    int beeps = 0, ends = 0;
};

}  // namespace nadeshiro::test

using namespace nadeshiro;
using namespace nadeshiro::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
