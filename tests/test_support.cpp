#include "tests/test_support.h"

#include <algorithm>
#include <stdexcept>

namespace nadeshiro::test {

TestFolder::TestFolder(const std::wstring& root, const std::wstring& prefix)
{
    std::wstring base = root;
    if (base.empty()) {
        wchar_t temp[MAX_PATH + 1];
        base.assign(temp, GetTempPathW(MAX_PATH + 1, temp));
    }
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    static unsigned counter = 0;
    do {
        path_ = base + L"\\" + prefix + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    } while (!CreateDirectoryW(path_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
}

TestFolder::~TestFolder() { RemoveTree(path_); }

void RemoveTree(const std::wstring& path)
{
    for (const auto& name : ListFolder(path)) {
        std::wstring child = path + L"\\" + name;
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileW(child.c_str())) RemoveTree(child);
    }
    RemoveDirectoryW(path.c_str());
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    BOOL ok = file != INVALID_HANDLE_VALUE && WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!ok || written != bytes.size()) throw std::runtime_error("cannot write " + Utf8(path));
}

std::string ReadBytes(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool FileExists(const std::wstring& path)
{
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path)
{
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> ListFolder(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::wstring> TemporaryFilesIn(const std::wstring& folder)
{
    std::vector<std::wstring> found;
    for (const auto& name : ListFolder(folder))
        if (name.find(L"nadeshiro") != std::wstring::npos && name.find(L".tmp") != std::wstring::npos) found.push_back(name);
    return found;
}

std::string SlotContent(const std::wstring& tag, size_t size)
{
    std::string bytes;
    while (bytes.size() < size) bytes += Utf8(tag) + ":";
    bytes.resize(size);
    return bytes;
}

std::wstring Environment(const wchar_t* name)
{
    std::wstring value(32768, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), 32768));
    return value;
}

std::wstring HostPath(const std::wstring& path)
{
    if (path.empty() || path[0] != L'/') return path;
    std::wstring windows = L"Z:" + path;
    std::replace(windows.begin(), windows.end(), L'/', L'\\');
    return windows;
}

std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

Recorder::Recorder()
{
    platform::SetHooks({[this](const std::wstring& prompt, int style, const std::wstring& title) {
                            messages.push_back({prompt, style, title});
                        },
                        [this] { ++beeps; }, [this] { ++ends; }});
}

Recorder::~Recorder() { platform::SetHooks({}); }

bool Recorder::Said(const std::wstring& prompt, int style, const std::wstring& title) const
{
    return messages.size() == 1 && messages[0].prompt == prompt && messages[0].style == style && messages[0].title == title;
}

bool Recorder::Reported(const std::wstring& part) const
{
    return messages.size() == 1 && messages[0].style == 16 && messages[0].prompt.find(part) != std::wstring::npos;
}

}  // namespace nadeshiro::test
