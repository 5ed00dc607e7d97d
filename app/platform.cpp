#include "app/platform.h"

#include <cwchar>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "app/codepage.h"
#include "app/system_calls.h"

namespace nadeshiro::platform {

namespace {

Hooks g_hooks;
HWND g_messageOwner = nullptr;

// Closes a Windows handle when it goes out of scope.
class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle()
    {
        if (valid()) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }

private:
    HANDLE h_;
};

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// A program that opens a file the moment it is written or replaced (a virus scanner, the
// search indexer, a cloud-sync client) holds it for a moment, and the system then refuses
// it as denied or in use. A step refused so (it has just failed with code) is tried again
// after growing pauses, two seconds in all at most. Returns 0 once the step is made, else
// the error it failed with last. The step returns whether it was made, with the system's
// error set when not.
template <typename Step>
DWORD TriedAgainWhileHeld(DWORD code, Step&& step)
{
    constexpr DWORD kPauses[] = {20, 40, 80, 160, 320, 640, 740};
    for (DWORD pause : kPauses) {
        if (code != ERROR_ACCESS_DENIED && code != ERROR_SHARING_VIOLATION) return code;
        sys::Pause(pause);
        if (step()) return 0;
        code = GetLastError();
    }
    return code;
}

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
    Handle b(sys::Open(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    if (!b.valid()) RaiseLastError(path);
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    if (!sys::Identity(a, &ia) || !sys::Identity(b.get(), &ib)) RaiseLastError(path);
    return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
           ia.nFileIndexLow == ib.nFileIndexLow;
}

// Refuses a destination that must not be replaced, as Windows does: a folder, a read-only
// file, or a file another program holds open without letting it be replaced. The
// attributes are checked here because not every system refuses them by itself. Returns
// false when the destination is the open source file itself: nothing to copy.
bool CheckReplaceable(const std::wstring& path, HANDLE source = nullptr)
{
    DWORD attributes = sys::Attributes(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return true;  // nothing there yet
        RaiseSystemError(code, path);
    }
    // A folder or a read-only file is refused at once: nothing holds it, it is not to be replaced.
    DWORD refusal = ERROR_ACCESS_DENIED;
    if (!(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) {
        auto replaceable = [&] {
            return Handle(sys::Open(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    OPEN_EXISTING, 0))
                .valid();
        };
        if (replaceable()) return true;
        refusal = GetLastError();
        // The source is held open without delete sharing, so the source itself lands here too.
        if (source != nullptr && SameFile(source, path)) return false;
        refusal = TriedAgainWhileHeld(refusal, replaceable);
        if (refusal == 0) return true;
    }
    RaiseSystemError(refusal, path);
}

}  // namespace

WholeFileWriter::WholeFileWriter(const std::wstring& path) : path_(path)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring temporaryPath = TemporaryPathBeside(path);
        file_ = sys::Open(temporaryPath.c_str(), GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
        if (file_ != INVALID_HANDLE_VALUE) {
            temporaryPath_ = std::move(temporaryPath);
            return;
        }
        DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) RaiseSystemError(code, path);
    }
    RaiseSystemError(ERROR_FILE_EXISTS, path);
}

WholeFileWriter::~WholeFileWriter() { Discard(); }

void WholeFileWriter::Discard() noexcept
{
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    if (temporaryPath_.empty()) return;
    sys::SetAttributes(temporaryPath_.c_str(), FILE_ATTRIBUTE_NORMAL);
    sys::Delete(temporaryPath_.c_str());
    temporaryPath_.clear();
}

void WholeFileWriter::Write(const char* data, size_t size)
{
    while (size > 0) {
        DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!sys::Write(file_, data, chunk, &written)) RaiseLastError(path_);
        if (written == 0) RaiseSystemError(ERROR_DISK_FULL, path_);
        data += written;
        size -= written;
    }
}

void WholeFileWriter::Commit(const FILETIME* written, DWORD attributes)
{
    if (written != nullptr && !sys::SetWriteTime(file_, written)) RaiseLastError(path_);
    if (!sys::Flush(file_)) RaiseLastError(path_);
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    if (attributes != 0 && !sys::SetAttributes(temporaryPath_.c_str(), attributes)) RaiseLastError(path_);
    // What must not be replaced was refused before; a hold of a moment is waited out.
    auto replaced = [&] { return sys::Replace(temporaryPath_.c_str(), path_.c_str()) != FALSE; };
    if (!replaced()) {
        DWORD code = TriedAgainWhileHeld(GetLastError(), replaced);
        if (code != 0) RaiseSystemError(code, path_);
    }
    temporaryPath_.clear();
}

std::wstring Probe(const std::wstring& path)
{
    if (path.empty()) return {};
    std::wstring pattern = path;
    if (IsSeparator(pattern.back())) pattern += L'*';
    WIN32_FIND_DATAW data{};
    HANDLE find = sys::FindFirst(pattern.c_str(), &data);
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
    if (!sys::MakeFolder(path.c_str())) RaiseLastError(path);
}

void CopyWholeFile(const std::wstring& from, const std::wstring& to)
{
    Handle source(sys::Open(from.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
    if (!source.valid()) RaiseLastReadError(from);
    FILE_BASIC_INFO info{};
    if (!sys::Information(source.get(), FileBasicInfo, &info, sizeof info)) RaiseLastError(from);
    if (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) RaiseSystemError(ERROR_ACCESS_DENIED, from);
    // A file copied onto itself (a restore from the game folder itself) is already whole.
    if (!CheckReplaceable(to, source.get())) return;

    constexpr DWORD kBufferSize = 1u << 20;
    static std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    WholeFileWriter copy(to);
    for (;;) {
        DWORD got = 0;
        if (!sys::Read(source.get(), buffer.get(), kBufferSize, &got)) RaiseLastReadError(from);
        if (got == 0) break;
        copy.Write(buffer.get(), got);
    }
    FILETIME written{static_cast<DWORD>(info.LastWriteTime.QuadPart), static_cast<DWORD>(info.LastWriteTime.QuadPart >> 32)};
    DWORD keep = info.FileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    copy.Commit(&written, keep ? (keep | FILE_ATTRIBUTE_ARCHIVE) : 0);
}

bool CanCreateFileIn(const std::wstring& folder)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring path = TemporaryPathBeside(folder + L"\\");
        Handle file(sys::Open(path.c_str(), GENERIC_WRITE | DELETE, 0, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE));
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
        // Tidying up is no step of the write it comes before: it asks the system directly, not
        // through the seam the writes go through, and what it cannot do waits for the next write.
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
        for (const auto& path : leftovers) {
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
    } catch (...) {
        // Out of memory while tidying up: the leftovers wait for the next write.
    }
}

std::wstring FullPath(const std::wstring& path)
{
    if (path.empty()) return {};
    DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return {};
    std::wstring full(needed, L'\0');
    DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return {};
    full.resize(length);
    DWORD longNeeded = GetLongPathNameW(full.c_str(), nullptr, 0);
    if (longNeeded != 0) {
        std::wstring longForm(longNeeded, L'\0');
        DWORD longLength = GetLongPathNameW(full.c_str(), longForm.data(), longNeeded);
        if (longLength != 0 && longLength < longNeeded) full.assign(longForm.data(), longLength);
    }
    while (full.size() > 3 && full.back() == L'\\') full.pop_back();
    return full;
}

std::wstring CurrentDirectory()
{
    DWORD needed = sys::CurrentFolder(0, nullptr);
    if (needed == 0) RaiseLastError(L".");
    std::wstring path(needed, L'\0');
    DWORD length = sys::CurrentFolder(needed, path.data());
    if (length == 0 || length >= needed) RaiseLastError(L".");
    path.resize(length);
    return path;
}

TextFile::TextFile(const std::wstring& path, FileMode mode) : path_(path)
{
    if (mode == FileMode::Output) {
        CheckReplaceable(path);
        output_.emplace(path);
        return;
    }
    Handle input(sys::Open(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN));
    if (!input.valid()) RaiseLastReadError(path);
    LARGE_INTEGER size{};
    if (!sys::Size(input.get(), &size)) RaiseLastError(path);
    if (size.QuadPart > 0x7FFFFFFF) throw RuntimeError(err::OutOfMemory, path);
    bytes_.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes_.size()) {
        DWORD got = 0;
        if (!sys::Read(input.get(), bytes_.data() + done, static_cast<DWORD>(bytes_.size() - done), &got))
            RaiseLastReadError(path);
        if (got == 0) break;
        done += got;
    }
    bytes_.resize(done);
}

std::wstring TextFile::ReadLine()
{
    if (output_ || position_ >= bytes_.size()) throw RuntimeError(err::InputPastEnd, path_);
    size_t end = bytes_.find_first_of("\r\n", position_);
    if (end == std::string::npos) end = bytes_.size();
    std::wstring line = DecodeCp932(std::string_view(bytes_).substr(position_, end - position_));
    bool crLf = end + 1 < bytes_.size() && bytes_[end] == '\r' && bytes_[end + 1] == '\n';
    position_ = end + (crLf ? 2 : 1);
    return line;
}

void TextFile::WriteItem(const std::wstring& text)
{
    if (!output_) throw RuntimeError(err::BadFileName, path_);
    std::string encoded;
    if (!EncodeCp932(text, encoded)) throw RuntimeError(err::InvalidCall, path_);
    std::string record = "\"" + encoded + "\"\r\n";
    output_->Write(record.data(), record.size());
}

bool TextFile::EndOfFile() const { return output_ || position_ >= bytes_.size(); }

void TextFile::Close()
{
    if (output_) output_->Commit();
    output_.reset();
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

void StartProgram(const std::wstring& path, const std::wstring& folder, int windowStyle)
{
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof start;
    // No box of the shell's own: a program that cannot be started is the tool's to report.
    // The start is made before the call returns, so the tool may end right after it.
    start.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    start.lpVerb = L"open";
    // The path in its plain full form (a game in a drive's root is joined with a doubled
    // separator), so that the shell takes it as the file it is.
    std::wstring file = FullPath(path);
    start.lpFile = file.empty() ? path.c_str() : file.c_str();
    start.lpDirectory = folder.c_str();
    start.nShow = windowStyle == 1 ? SW_SHOWNORMAL : windowStyle;
    if (!sys::ShellStart(&start)) RaiseLastError(path);
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
