#include "tests/test_support.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace nadeshiro::test {

TestFolder::TestFolder(const std::wstring& root, const std::wstring& prefix)
{
    wchar_t temp[MAX_PATH + 1];
    std::wstring base = root.empty() ? std::wstring(temp, GetTempPathW(MAX_PATH + 1, temp)) : root;
    if (base.back() == L'\\') base.pop_back();
    static unsigned counter = 0;
    do path_ = base + L"\\" + prefix + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    while (!CreateDirectoryW(path_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
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
    std::ofstream file(path.c_str(), std::ios::binary);
    if (!file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush()) throw std::runtime_error("cannot write " + Utf8(path));
}

std::string ReadBytes(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()) : "<missing>";
}

bool FolderExists(const std::wstring& path)
{
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

Names ListFolder(const std::wstring& folder)
{
    Names names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do
        if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0) names.push_back(data.cFileName);
    while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

Names TemporaryFilesIn(const std::wstring& folder)
{
    Names found;
    for (const auto& name : ListFolder(folder))
        if (name.find(L"nadeshiro") != std::wstring::npos && name.find(L".tmp") != std::wstring::npos) found.push_back(name);
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
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

PROCESS_INFORMATION StartProcess(const std::wstring& program, std::wstring commandLine)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    EXPECT_TRUE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        << Utf8(program) << ": " << GetLastError();
    return process;
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

// The test programs' entry: as GoogleTest's own, but a run in which tests were skipped and
// none failed ends with 77, which CTest counts as skipped rather than passed.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    if (result == 0 && ::testing::UnitTest::GetInstance()->skipped_test_count() > 0) return 77;
    return result;
}
