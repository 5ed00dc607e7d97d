#include "tests/test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace nadeshiro::test {

const std::wstring& OwnFolder()
{
    static const std::wstring folder = [] {
        wchar_t program[MAX_PATH] = {};
        std::wstring name(program, GetModuleFileNameW(nullptr, program, MAX_PATH));
        name = name.substr(name.find_last_of(L'\\') + 1);
        return L"R:\\" + name.substr(0, name.find_last_of(L'.')) + L" " + std::to_wstring(GetCurrentProcessId());
    }();
    return folder;
}

TestFolder::TestFolder(const std::wstring& root, const std::wstring& prefix)
{
    const std::wstring& base = root.empty() ? OwnFolder() : root;
    static unsigned counter = 0;
    do path_ = base + L"\\" + prefix + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    while (!CreateDirectoryW(path_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
}

void RemoveTree(const std::wstring& path)
{
    if (SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL); DeleteFileW(path.c_str())) return;
    for (const auto& name : ListFolder(path)) RemoveTree(path + L"\\" + name);
    RemoveDirectoryW(path.c_str());
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    if (!std::ofstream(path.c_str(), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush())
        throw std::runtime_error("cannot write " + Utf8(path));
}

std::string ReadBytes(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<missing>";
}

Names ListFolder(const std::wstring& folder)
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

Names TemporaryFilesIn(const std::wstring& folder)
{
    Names found = ListFolder(folder);
    std::erase_if(found, [](const std::wstring& n) { return n.find(L"nadeshiro") == n.npos || n.find(L".tmp") == n.npos; });
    return found;
}

std::string SlotContent(const std::wstring& tag, size_t size)
{
    std::string bytes;
    while (bytes.size() < size) bytes += Utf8(tag) + ":";
    return bytes.substr(0, size);
}

std::wstring EnvironmentPath(const wchar_t* name)
{
    std::wstring value(32768, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), 32768));
    if (value.empty() || value[0] != L'/') return value;
    std::replace(value.begin(), value.end(), L'/', L'\\');
    return L"Z:" + value;
}

std::string Utf8(const std::wstring& text)
{
    std::string out(text.size() * 3, '\0');
    out.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}

PROCESS_INFORMATION StartProcess(const std::wstring& program, std::wstring commandLine, const std::wstring& folder)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    EXPECT_TRUE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process))
        << Utf8(program) << ": " << GetLastError();
    return process;
}

std::wstring UnixPath(const std::wstring& path)
{
    using ToUnix = char*(CDECL*)(const wchar_t*);
    static auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unix = toUnix != nullptr ? toUnix(path.c_str()) : nullptr;
    if (unix == nullptr) return std::wstring();
    std::wstring wide(strlen(unix), L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, unix, -1, wide.data(), static_cast<int>(wide.size()) + 1)) - 1);
    HeapFree(GetProcessHeap(), 0, unix);
    return wide;
}

// Wine gives no handles for a Unix program (what it returns in their place must not be closed):
// the script leaves a mark when it is done.
bool RunUnix(const std::wstring& script, const Names& arguments)
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

bool WaitFor(const std::function<bool()>& done, DWORD milliseconds)
{
    for (DWORD waited = 0; !done(); waited += 25) {
        if (waited >= milliseconds) return false;
        Sleep(25);
    }
    return true;
}

void PrintTo(const Recorded& message, std::ostream* out)
{
    *out << "message box \"" << Utf8(message.prompt) << "\", style " << message.style << ", title \"" << Utf8(message.title) << "\"";
}

Recorder::Recorder()
{
    platform::SetHooks({[this](const std::wstring& p, int style, const std::wstring& title) { messages.push_back({p, style, title}); },
                        [this] { ++beeps; }, [this] { ++ends; }});
}

}  // namespace nadeshiro::test

// Every test program starts its tests in its own folder on the tests' drive and removes it
// at its end.
int main(int argc, char** argv)
{
    ::testing::InitGoogleMock(&argc, argv);
    const std::wstring& own = nadeshiro::test::OwnFolder();
    nadeshiro::test::RemoveTree(own);  // a folder left by an earlier process of this id
    if (!CreateDirectoryW(own.c_str(), nullptr) || !SetCurrentDirectoryW(own.c_str())) {
        std::fprintf(stderr, "cannot work in %s (error %lu): the tests' drive R: is made by scripts/wine-prefix.sh\n",
                     nadeshiro::test::Utf8(own).c_str(), GetLastError());
        return 2;
    }
    int result = RUN_ALL_TESTS();
    SetCurrentDirectoryW(L"R:\\");
    nadeshiro::test::RemoveTree(own);
    return result;
}
