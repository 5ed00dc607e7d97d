// Helpers for tests that work on real folders and files.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/handler.h"
#include "app/platform.h"
#include "app/state.h"

namespace nadeshiro::test {

using Names = std::vector<std::wstring>;

inline std::string Utf8(const std::wstring& text)
{
    std::string out(text.size() * 3, '\0');
    out.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                                       static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}

// Sorted, without "." and "..".
inline Names ListFolder(const std::wstring& folder)
{
    Names names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &data))
        if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0) names.push_back(data.cFileName);
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// A file, or a folder with everything in it.
inline void RemoveTree(const std::wstring& path)
{
    if (SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL); DeleteFileW(path.c_str())) return;
    for (const auto& name : ListFolder(path)) RemoveTree(path + L"\\" + name);
    RemoveDirectoryW(path.c_str());
}

// The folder of this test program's own on the tests' drive R:, its current folder from its
// start (the program's main makes it; scripts/wine-prefix.sh makes the drive and empties it
// whenever it boots the prefix): what a faulty build writes at "\..." lands on that drive.
inline const std::wstring& OwnFolder()
{
    static const std::wstring folder = [] {
        wchar_t program[MAX_PATH] = {};
        std::wstring name(program, GetModuleFileNameW(nullptr, program, MAX_PATH));
        name = name.substr(name.find_last_of(L'\\') + 1);
        return L"R:\\" + name.substr(0, name.find_last_of(L'.')) + L" " + std::to_wstring(GetCurrentProcessId());
    }();
    return folder;
}

// A fresh folder under root (the program's own folder when empty), removed with its content.
struct TestFolder {
    explicit TestFolder(const std::wstring& root = std::wstring(), const std::wstring& prefix = L"nadeshiro test ")
    {
        const std::wstring& base = root.empty() ? OwnFolder() : root;
        static unsigned counter = 0;
        do path_ = base + L"\\" + prefix + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        while (!CreateDirectoryW(path_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
    }
    ~TestFolder() { RemoveTree(path_); }
    TestFolder(const TestFolder&) = delete;
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }
    std::wstring path_;
};

inline void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    if (!std::ofstream(path.c_str(), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush())
        throw std::runtime_error("cannot write " + Utf8(path));
}
// "<missing>" when it cannot be read.
inline std::string ReadBytes(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<missing>";
}
inline bool FolderExists(const std::wstring& path) { return (GetFileAttributesW(path.c_str()) & 0x80000010u) == FILE_ATTRIBUTE_DIRECTORY; }
// The names the tool's temporary files have.
inline Names TemporaryFilesIn(const std::wstring& folder)
{
    Names found = ListFolder(folder);
    std::erase_if(found, [](const std::wstring& n) { return n.find(L"nadeshiro") == n.npos || n.find(L".tmp") == n.npos; });
    return found;
}
// size bytes of "tag:tag:...".
inline std::string SlotContent(const std::wstring& tag, size_t size = 64)
{
    std::string bytes;
    while (bytes.size() < size) bytes += Utf8(tag) + ":";
    return bytes.substr(0, size);
}
// A Unix path as Wine's Z: drive shows it; any other path as it is.
inline std::wstring WinePath(std::wstring path)
{
    if (!path.starts_with(L'/')) return path;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return L"Z:" + path;
}
// The path an environment variable names, as WinePath gives it.
inline std::wstring EnvironmentPath(const wchar_t* name)
{
    std::wstring value(32768, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), 32768));
    return WinePath(value);
}

// Its handles are the caller's; it starts in folder (the caller's current folder when empty).
inline PROCESS_INFORMATION StartProcess(const std::wstring& program, std::wstring commandLine, const std::wstring& folder = L"")
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const wchar_t* in = folder.empty() ? nullptr : folder.c_str();
    EXPECT_TRUE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, in, &startup, &process))
        << Utf8(program) << ": " << GetLastError();
    return process;
}

// Asks done every 25 ms until it holds, for at most milliseconds; whether it held.
inline bool WaitFor(const std::function<bool()>& done, DWORD milliseconds = 10000)
{
    for (DWORD waited = 0; !done(); waited += 25) {
        if (waited >= milliseconds) return false;
        Sleep(25);
    }
    return true;
}

// Under Wine: path as the Unix system names it (empty elsewhere).
inline std::wstring UnixPath(const std::wstring& path)
{
    using ToUnix = char*(CDECL*)(const wchar_t*);
    static auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unix = toUnix != nullptr ? toUnix(path.c_str()) : nullptr;
    if (unix == nullptr) return std::wstring();
    std::wstring wide(strlen(unix), L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, unix, -1, wide.data(), static_cast<int>(wide.size()) + 1)) - 1);
    HeapFree(GetProcessHeap(), 0, unix);
    return wide;
}
// A Unix shell command (sh -c script, whose $0, $1, ... are arguments) run to its end; false
// when it did not finish. Wine gives no handles for a Unix program (what it returns in their
// place must not be closed): the script leaves a mark when it is done.
inline bool RunUnix(const std::wstring& script, const Names& arguments)
{
    static unsigned counter = 0;
    std::wstring done = OwnFolder() + L"\\unix " + std::to_wstring(++counter) + L".done";
    std::wstring line = L"/bin/sh -c \"";
    for (wchar_t c : script + L" && touch \"$" + std::to_wstring(arguments.size()) + L"\"") line += c == L'"' ? L"\\\"" : std::wstring(1, c);
    for (const auto& argument : arguments) line += L"\" \"" + argument;
    line += L"\" \"" + UnixPath(done) + L"\"";
    StartProcess(L"Z:\\bin\\sh", line);
    WaitFor([&] { return GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES; });
    return DeleteFileW(done.c_str()) != FALSE;
}

// A message box the tool showed, printed in UTF-8 when a check fails.
struct Recorded {
    std::wstring prompt;
    int style;
    std::wstring title;
};
inline void PrintTo(const Recorded& message, std::ostream* out)
{
    *out << "message box \"" << Utf8(message.prompt) << "\", style " << message.style << ", title \"" << Utf8(message.title) << "\"";
}
// A message box with prompt (text or a matcher such as HasSubstr), style and the tool's title.
template <typename Prompt>
auto Message(Prompt prompt, int style, const std::wstring& title = L"あのね")
{
    using ::testing::Field;
    return ::testing::AllOf(Field("prompt", &Recorded::prompt, prompt), Field("style", &Recorded::style, style),
                            Field("title", &Recorded::title, title));
}
// An error report (the stop sign, the tool's name as title) holding every part given (L"'61'", a path).
template <typename... Parts>
auto Report(const Parts&... parts) { return Message(::testing::AllOf(::testing::HasSubstr(std::wstring(parts))...), 16, L"なでしろ"); }

// Records message boxes, beeps and ends of program instead.
struct Recorder {
    Recorder()
    {
        platform::SetHooks({[this](const std::wstring& p, int style, const std::wstring& title) { messages.push_back({p, style, title}); },
                            [this] { ++beeps; }, [this] { ++ends; }});
    }
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
