#include "app/platform.h"

#include <cwchar>
#include <map>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "app/codepage.h"

namespace nadeshiro::platform {

namespace {

Hooks g_hooks;
HWND g_messageOwner = nullptr;

// Closes a Windows handle when it goes out of scope.
class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : h_(std::exchange(other.h_, INVALID_HANDLE_VALUE)) {}
    Handle& operator=(Handle&& other) noexcept
    {
        if (this != &other) {
            Close();
            h_ = std::exchange(other.h_, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    void Close()
    {
        if (valid()) CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE h_;
};

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// A name for the temporary file beside path, in the same folder, that no other run uses.
std::wstring TemporaryPathBeside(const std::wstring& path)
{
    static unsigned counter = 0;
    size_t cut = path.find_last_of(L"\\/");
    std::wstring folder = cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
    wchar_t name[64];
    swprintf(name, 64, L"~nadeshiro-%lx-%x.tmp", static_cast<unsigned long>(GetCurrentProcessId()), ++counter);
    return folder + name;
}

bool SameFile(HANDLE a, const std::wstring& path)
{
    Handle b(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!b.valid()) return false;
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    if (!GetFileInformationByHandle(a, &ia) || !GetFileInformationByHandle(b.get(), &ib)) return false;
    return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
           ia.nFileIndexLow == ib.nFileIndexLow;
}

// Refuses a destination that must not be replaced, as Windows does: a folder, a read-only
// file, or a file another program holds open without letting it be replaced. The
// attributes are checked here because not every system refuses them by itself. Returns
// false when the destination is the open source file itself: nothing to copy.
bool CheckReplaceable(const std::wstring& path, HANDLE source = nullptr)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;  // nothing there yet
    DWORD refusal = 0;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) {
        refusal = ERROR_ACCESS_DENIED;
    } else {
        Handle probe(CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
        if (!probe.valid()) {
            DWORD code = GetLastError();
            if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION || code == ERROR_ACCESS_DENIED)
                refusal = code;
        }
    }
    if (refusal == 0) return true;
    // The source is held open without delete sharing, so the source itself lands here too.
    if (source != nullptr && SameFile(source, path)) return false;
    RaiseSystemError(refusal, path);
}

// Creates the temporary file that will replace path.
Handle CreateTemporaryBeside(const std::wstring& path, std::wstring& temporaryPath)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath = TemporaryPathBeside(path);
        Handle file(CreateFileW(temporaryPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.valid()) return file;
        DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) RaiseSystemError(code, path);
    }
    RaiseSystemError(ERROR_FILE_EXISTS, path);
}

void WriteAll(HANDLE file, const char* data, size_t size, const std::wstring& path)
{
    while (size > 0) {
        DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr)) RaiseLastError(path);
        if (written == 0) RaiseSystemError(ERROR_DISK_FULL, path);
        data += written;
        size -= written;
    }
}

// Flushes and closes the temporary file, then puts it in place of path. On failure the
// temporary file is removed and path is left as it was.
void CommitTemporary(Handle& file, const std::wstring& temporaryPath, const std::wstring& path, DWORD attributes)
{
    if (!FlushFileBuffers(file.get())) RaiseLastError(path);
    file.Close();
    if (attributes != 0 && !SetFileAttributesW(temporaryPath.c_str(), attributes)) RaiseLastError(path);
    if (!MoveFileExW(temporaryPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        RaiseLastError(path);
}

void RemoveTemporary(const std::wstring& temporaryPath)
{
    if (temporaryPath.empty()) return;
    SetFileAttributesW(temporaryPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(temporaryPath.c_str());
}

struct TextFile {
    FileMode mode = FileMode::Input;
    std::wstring path;
    std::string bytes;  // input: the whole file
    size_t position = 0;
    Handle output;  // output: the temporary file
    std::wstring temporaryPath;
};

std::map<int, TextFile>& Files()
{
    static std::map<int, TextFile> files;
    return files;
}

TextFile& OpenedFile(int fileNumber, FileMode mode)
{
    auto it = Files().find(fileNumber);
    if (it == Files().end() || it->second.mode != mode) throw RuntimeError(err::BadFileName, L"#" + std::to_wstring(fileNumber));
    return it->second;
}

}  // namespace

std::wstring Probe(const std::wstring& path)
{
    if (path.empty()) return {};
    std::wstring pattern = path;
    if (IsSeparator(pattern.back())) pattern += L'*';
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_NO_MORE_FILES:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_DIRECTORY:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return {};  // nothing of that name can be there
        default:
            RaiseSystemError(code, path);
        }
    }
    std::wstring name = data.cFileName;
    FindClose(find);
    return name;
}

void CreateFolder(const std::wstring& path)
{
    // Names Windows refuses, or quietly changes, are refused here the same way on every
    // system: some systems that run the tool accept characters Windows does not, and a name
    // ending in a dot or a space would be made under another name than the one the slot
    // copies then write into.
    size_t start = path.size() >= 2 && path[1] == L':' ? 2 : 0;
    size_t componentStart = start;
    for (size_t i = start; i <= path.size(); ++i) {
        if (i == path.size() || IsSeparator(path[i])) {
            std::wstring_view component(path.data() + componentStart, i - componentStart);
            if (component.size() > 255) RaiseSystemError(ERROR_FILENAME_EXCED_RANGE, path);
            if (!component.empty() && component != L"." && component != L".." &&
                (component.back() == L'.' || component.back() == L' '))
                RaiseSystemError(ERROR_INVALID_NAME, path);
            componentStart = i + 1;
            continue;
        }
        wchar_t c = path[i];
        if (c < 32 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|' || c == L'?' || c == L'*')
            RaiseSystemError(ERROR_INVALID_NAME, path);
    }
    if (!CreateDirectoryW(path.c_str(), nullptr)) RaiseLastError(path);
}

void CopyWholeFile(const std::wstring& from, const std::wstring& to)
{
    Handle source(CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source.valid()) RaiseLastReadError(from);
    FILE_BASIC_INFO info{};
    if (!GetFileInformationByHandleEx(source.get(), FileBasicInfo, &info, sizeof info)) RaiseLastError(from);
    if (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) RaiseSystemError(ERROR_ACCESS_DENIED, from);
    // A file copied onto itself (a restore from the game folder itself) is already whole.
    if (!CheckReplaceable(to, source.get())) return;

    constexpr DWORD kBufferSize = 1u << 20;
    static std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    std::wstring temporaryPath;
    try {
        Handle temporary = CreateTemporaryBeside(to, temporaryPath);
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(source.get(), buffer.get(), kBufferSize, &got, nullptr)) RaiseLastReadError(from);
            if (got == 0) break;
            WriteAll(temporary.get(), buffer.get(), got, to);
        }
        FILETIME written{};
        written.dwLowDateTime = static_cast<DWORD>(info.LastWriteTime.QuadPart);
        written.dwHighDateTime = static_cast<DWORD>(info.LastWriteTime.QuadPart >> 32);
        SetFileTime(temporary.get(), nullptr, nullptr, &written);
        DWORD keep = info.FileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        CommitTemporary(temporary, temporaryPath, to, keep ? (keep | FILE_ATTRIBUTE_ARCHIVE) : 0);
    } catch (...) {
        RemoveTemporary(temporaryPath);
        throw;
    }
}

bool CanCreateFileIn(const std::wstring& folder)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring path = TemporaryPathBeside(folder + L"\\");
        Handle file(CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (file.valid()) return true;
        DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

namespace {

bool IsLowerHex(std::wstring_view digits)
{
    if (digits.empty() || digits.size() > 8) return false;
    for (wchar_t c : digits)
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'))) return false;
    return true;
}

// The process id in a temporary file name of the tool's own making.
bool TemporaryFileWriter(std::wstring_view name, DWORD& processId)
{
    constexpr std::wstring_view kStart = L"~nadeshiro-", kEnd = L".tmp";
    if (name.size() <= kStart.size() + kEnd.size() || name.substr(0, kStart.size()) != kStart ||
        name.substr(name.size() - kEnd.size()) != kEnd)
        return false;
    std::wstring_view middle = name.substr(kStart.size(), name.size() - kStart.size() - kEnd.size());
    size_t dash = middle.find(L'-');
    if (dash == std::wstring_view::npos || !IsLowerHex(middle.substr(0, dash)) || !IsLowerHex(middle.substr(dash + 1)))
        return false;
    processId = static_cast<DWORD>(std::wcstoul(std::wstring(middle.substr(0, dash)).c_str(), nullptr, 16));
    return true;
}

std::wstring FileNamePart(const std::wstring& path)
{
    size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

bool SameName(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Whether the process may still be writing its temporary files: it runs and is the tool (by
// its program's file name, "nadeshiro.exe" or the name this copy runs under). A process that
// cannot be asked is taken as running.
bool ToolStillRunning(DWORD processId)
{
    Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process.valid()) return GetLastError() != ERROR_INVALID_PARAMETER;  // else no such process
    DWORD exitCode = 0;
    if (GetExitCodeProcess(process.get(), &exitCode) && exitCode != STILL_ACTIVE) return false;
    wchar_t image[MAX_PATH * 4];
    DWORD size = MAX_PATH * 4;
    if (!QueryFullProcessImageNameW(process.get(), 0, image, &size)) return true;
    std::wstring name = FileNamePart(std::wstring(image, size));
    wchar_t own[MAX_PATH * 4];
    DWORD ownLength = GetModuleFileNameW(nullptr, own, MAX_PATH * 4);
    return SameName(name, L"nadeshiro.exe") || (ownLength != 0 && SameName(name, FileNamePart(std::wstring(own, ownLength))));
}

}  // namespace

void RemoveLeftoverTemporaries(const std::wstring& folder) noexcept
{
    try {
        std::wstring base = folder;
        if (!base.empty() && !IsSeparator(base.back())) base += L'\\';
        std::vector<std::wstring> leftovers;
        WIN32_FIND_DATAW data{};
        HANDLE find = FindFirstFileExW((base + L"~nadeshiro-*.tmp").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                       nullptr, 0);
        if (find == INVALID_HANDLE_VALUE) return;
        do {
            DWORD processId = 0;
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && TemporaryFileWriter(data.cFileName, processId) &&
                !ToolStillRunning(processId))
                leftovers.push_back(base + data.cFileName);
        } while (FindNextFileW(find, &data));
        FindClose(find);
        for (const auto& path : leftovers) RemoveTemporary(path);
    } catch (...) {
        // Out of memory while tidying up: the leftovers wait for the next write.
    }
}

std::wstring CurrentDirectory()
{
    DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) RaiseLastError(L".");
    std::wstring path(needed, L'\0');
    DWORD length = GetCurrentDirectoryW(needed, path.data());
    if (length == 0 || length >= needed) RaiseLastError(L".");
    path.resize(length);
    return path;
}

void OpenFile(const std::wstring& path, FileMode mode, int fileNumber)
{
    if (fileNumber < 1 || fileNumber > 511) throw RuntimeError(err::BadFileName, path);
    if (Files().count(fileNumber) != 0) throw RuntimeError(err::FileAlreadyOpen, path);

    TextFile file;
    file.mode = mode;
    file.path = path;
    if (mode == FileMode::Input) {
        Handle input(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!input.valid()) RaiseLastReadError(path);
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(input.get(), &size)) RaiseLastError(path);
        if (size.QuadPart > 0x7FFFFFFF) throw RuntimeError(err::OutOfMemory, path);
        file.bytes.resize(static_cast<size_t>(size.QuadPart));
        size_t done = 0;
        while (done < file.bytes.size()) {
            DWORD got = 0;
            if (!ReadFile(input.get(), file.bytes.data() + done, static_cast<DWORD>(file.bytes.size() - done), &got, nullptr))
                RaiseLastReadError(path);
            if (got == 0) break;
            done += got;
        }
        file.bytes.resize(done);
    } else {
        CheckReplaceable(path);
        file.output = CreateTemporaryBeside(path, file.temporaryPath);
    }
    Files().emplace(fileNumber, std::move(file));
}

std::wstring ReadLine(int fileNumber)
{
    TextFile& file = OpenedFile(fileNumber, FileMode::Input);
    const std::string& bytes = file.bytes;
    if (file.position >= bytes.size()) throw RuntimeError(err::InputPastEnd, file.path);
    size_t end = bytes.find_first_of("\r\n", file.position);
    if (end == std::string::npos) end = bytes.size();
    std::wstring line = DecodeCp932(std::string_view(bytes).substr(file.position, end - file.position));
    if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n')
        file.position = end + 2;
    else
        file.position = end + 1;
    return line;
}

void WriteItem(int fileNumber, const std::wstring& text)
{
    TextFile& file = OpenedFile(fileNumber, FileMode::Output);
    std::string encoded;
    if (!EncodeCp932(text, encoded)) throw RuntimeError(err::InvalidCall, file.path);
    std::string record;
    record.reserve(encoded.size() + 4);
    record += '"';
    record += encoded;
    record += "\"\r\n";
    WriteAll(file.output.get(), record.data(), record.size(), file.path);
}

bool EndOfFile(int fileNumber)
{
    auto it = Files().find(fileNumber);
    if (it == Files().end()) throw RuntimeError(err::BadFileName, L"#" + std::to_wstring(fileNumber));
    if (it->second.mode == FileMode::Output) return true;
    return it->second.position >= it->second.bytes.size();
}

void CloseFile(int fileNumber)
{
    auto it = Files().find(fileNumber);
    if (it == Files().end()) return;
    TextFile file = std::move(it->second);
    Files().erase(it);
    if (file.mode == FileMode::Output) {
        try {
            CommitTemporary(file.output, file.temporaryPath, file.path, 0);
        } catch (...) {
            file.output.Close();
            RemoveTemporary(file.temporaryPath);
            throw;
        }
    }
}

void AbandonFile(int fileNumber) noexcept
{
    auto it = Files().find(fileNumber);
    if (it == Files().end()) return;
    TextFile& file = it->second;
    if (file.mode == FileMode::Output) {
        file.output.Close();
        RemoveTemporary(file.temporaryPath);
    }
    Files().erase(it);
}

void ShowMessage(const std::wstring& prompt, int style, const std::wstring& title)
{
    if (g_hooks.messageBox) {
        g_hooks.messageBox(prompt, style, title);
        return;
    }
    // The window whose handler asks (the active one) owns the box; else the main window.
    HWND owner = GetActiveWindow();
    if (owner == nullptr && g_messageOwner != nullptr && IsWindow(g_messageOwner)) owner = g_messageOwner;
    MessageBoxW(owner, prompt.c_str(), title.c_str(), static_cast<UINT>(style));
}

void Beep()
{
    if (g_hooks.beep) {
        g_hooks.beep();
        return;
    }
    MessageBeep(MB_OK);
}

void StartProgram(const std::wstring& path, int windowStyle)
{
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle == 1 ? SW_SHOWNORMAL : windowStyle);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        RaiseLastError(path);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

void EndProgram()
{
    if (g_hooks.endProgram) {
        g_hooks.endProgram();
        return;
    }
    ExitProcess(0);
}

void SetHooks(Hooks hooks) { g_hooks = std::move(hooks); }

void SetMessageOwner(HWND owner) { g_messageOwner = owner; }

}  // namespace nadeshiro::platform
