#include "app/platform.h"

#include <algorithm>
#include <cwchar>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "app/codepage.h"
#include "app/number_text.h"
#include "app/system_calls.h"

namespace nadeshiro::platform {

namespace {

Hooks g_hooks;
HWND g_messageOwner = nullptr;

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

// The tool's temporary name for the writer's process id and its counter.
std::wstring TemporaryName(DWORD processId, DWORD counter)
{
    return L"~nadeshiro-" + NumberText(processId, 16) + L"-" + NumberText(counter, 16) + L".tmp";
}

// A name for the temporary file beside path, in the same folder, that no other run uses.
std::wstring TemporaryPathBeside(const std::wstring& path)
{
    static DWORD counter = 0;
    size_t cut = path.find_last_of(L"\\/");
    std::wstring folder = cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
    return folder + TemporaryName(GetCurrentProcessId(), ++counter);
}

// The longest temporary name: the longest name the tool writes into a folder.
constexpr size_t kLongestTemporaryName = 32;  // "~nadeshiro-ffffffff-ffffffff.tmp"

bool SameText(std::wstring_view a, std::wstring_view b)
{
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// A device's name, which Windows takes for the device, not a file, with an extension or not: the
// name before its first dot, without the spaces that end it.
bool IsDeviceName(std::wstring_view name)
{
    std::wstring_view base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.remove_suffix(1);
    for (std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (SameText(base, device)) return true;
    if (base.size() != 4 || !(SameText(base.substr(0, 3), L"COM") || SameText(base.substr(0, 3), L"LPT"))) return false;
    wchar_t digit = base[3];
    return (digit >= L'1' && digit <= L'9') || digit == L'\x00B9' || digit == L'\x00B2' || digit == L'\x00B3';
}

// Makes a file or folder under a temporary name beside path with make (true when it made it),
// trying other names while one is taken; its path. Failures name path.
template <typename Make>
std::wstring MakeTemporaryBeside(const std::wstring& path, Make make)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring temporaryPath = TemporaryPathBeside(path);
        if (make(temporaryPath)) return temporaryPath;
        DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) RaiseSystemError(code, path);
    }
    RaiseSystemError(ERROR_FILE_EXISTS, path);
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

// Opens path to read it, sharing it as share says. A file another program holds for a moment
// is tried again as a write is; a folder in its place is refused at once, as nothing holds it.
// Raises the read error.
Handle OpenToRead(const std::wstring& path, DWORD share)
{
    Handle file;
    auto open = [&] {
        file = Handle(sys::Open(path.c_str(), GENERIC_READ, share, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
        return file.valid();
    };
    if (open()) return file;
    DWORD code = GetLastError();
    if (code == ERROR_ACCESS_DENIED) {
        DWORD attributes = sys::Attributes(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) RaiseSystemError(code, path);
    }
    code = TriedAgainWhileHeld(code, open);
    if (code == 0) return file;
    SetLastError(code);
    RaiseLastReadError(path);
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
    temporaryPath_ = MakeTemporaryBeside(path, [&](const std::wstring& temporaryPath) {
        file_ = Handle(sys::Open(temporaryPath.c_str(), GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL));
        return file_.valid();
    });
}

WholeFileWriter::~WholeFileWriter() { Discard(); }

void WholeFileWriter::Discard() noexcept
{
    file_.reset();
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
        if (!sys::Write(file_.get(), data, chunk, &written)) RaiseLastError(path_);
        if (written == 0) RaiseSystemError(ERROR_DISK_FULL, path_);
        data += written;
        size -= written;
    }
}

void WholeFileWriter::Commit(const FILETIME* written, DWORD attributes)
{
    if (written != nullptr && !sys::SetWriteTime(file_.get(), written)) RaiseLastError(path_);
    if (!sys::Flush(file_.get())) RaiseLastError(path_);
    file_.reset();
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
    FindHandle find(sys::FindFirst(pattern.c_str(), &data));
    if (!find.valid()) {
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
    return data.cFileName;
}

bool Exists(const std::wstring& path)
{
    if (sys::Attributes(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return false;
    RaiseSystemError(code, path);
}

bool IsFolderName(const std::wstring& folder, const std::wstring& name)
{
    // Names Windows refuses, or quietly changes, are refused the same way on every system: some
    // systems that run the tool accept characters Windows does not, and a name ending in a dot or
    // a space would be made under another name than the one the slot copies then write into ("."
    // and ".." among them).
    if (name.empty() || name.back() == L'.' || name.back() == L' ') return false;
    for (wchar_t c : name)
        if (c < 32 || c == L'\\' || c == L'/' || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|' || c == L'?' || c == L'*')
            return false;
    // The tidying would take a folder of the tool's temporary form for a leftover.
    constexpr std::wstring_view kStart = L"~nadeshiro-", kEnd = L".tmp";
    std::wstring_view view = name;
    if (view.size() >= kStart.size() + kEnd.size() && SameText(view.substr(0, kStart.size()), kStart) &&
        SameText(view.substr(view.size() - kEnd.size()), kEnd))
        return false;
    return !IsDeviceName(name) && folder.size() + 1 + name.size() + 1 + kLongestTemporaryName < MAX_PATH;
}

bool IsFolder(const std::wstring& path)
{
    DWORD attributes = sys::Attributes(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> Subfolders(const std::wstring& folder)
{
    std::wstring pattern = folder;
    if (pattern.empty() || !IsSeparator(pattern.back())) pattern += L'\\';
    pattern += L'*';
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    FindHandle find(sys::FindFirst(pattern.c_str(), &data, true));
    if (!find.valid()) {
        DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES) return names;  // an empty root
        RaiseSystemError(code, folder);
    }
    do {
        DWORD attributes = data.dwFileAttributes;
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || ((attributes & FILE_ATTRIBUTE_HIDDEN) && (attributes & FILE_ATTRIBUTE_SYSTEM)))
            continue;
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(std::move(name));
    } while (sys::FindNext(find.get(), &data));
    return names;
}

void RequireFolder(const std::wstring& path)
{
    DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : sys::Attributes(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    DWORD code = attributes == INVALID_FILE_ATTRIBUTES && !path.empty() ? GetLastError() : ERROR_PATH_NOT_FOUND;
    RaiseSystemError(code == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : code, path);
}

void CopyWholeFile(const std::wstring& from, const std::wstring& to)
{
    Handle source = OpenToRead(from, FILE_SHARE_READ);
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

// The process id and the counter in a temporary name of the tool's own making: only the very
// name the tool gives, for an id a process can have (the system gives multiples of four).
bool TemporaryNameWriter(std::wstring_view name, DWORD& processId, DWORD& counter)
{
    constexpr std::wstring_view kStart = L"~nadeshiro-", kEnd = L".tmp";
    if (name.size() <= kStart.size() + kEnd.size() || name.substr(0, kStart.size()) != kStart ||
        name.substr(name.size() - kEnd.size()) != kEnd)
        return false;
    std::wstring_view middle = name.substr(kStart.size(), name.size() - kStart.size() - kEnd.size());
    size_t dash = middle.find(L'-');
    if (dash == std::wstring_view::npos || !IsLowerHex(middle.substr(0, dash)) || !IsLowerHex(middle.substr(dash + 1)))
        return false;
    processId = static_cast<DWORD>(HexValue(middle.substr(0, dash)));
    counter = static_cast<DWORD>(HexValue(middle.substr(dash + 1)));
    return processId != 0 && processId % 4 == 0 && counter != 0 && name == TemporaryName(processId, counter);
}

// A slot file's name as the back-up writes it: "save00" to "save29".
bool IsSlotName(std::wstring_view name)
{
    return name.size() == 6 && name.substr(0, 4) == L"save" && name[4] >= L'0' && name[4] <= L'2' && name[5] >= L'0' &&
           name[5] <= L'9';
}

bool SameName(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring Joined(const std::wstring& folder, const std::wstring& name)
{
    return folder.empty() || IsSeparator(folder.back()) ? folder + name : folder + L'\\' + name;
}

// The path the system gives an open file or folder, after every link; empty when it gives none.
std::wstring FinalPath(HANDLE entry)
{
    std::wstring path(32768, L'\0');
    DWORD length = sys::FinalPath(entry, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length < path.size() ? length : 0);
    return path;
}

std::wstring FolderFinalPath(const std::wstring& folder)
{
    Handle handle(sys::Open(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    return handle.valid() ? FinalPath(handle.get()) : std::wstring();
}

// Whether the process that wrote an entry last changed at changed may still be writing: it
// runs, and started before then (one that started later was given the id of one that has
// ended). Its program's name does not matter. A process that cannot be asked is taken as
// running.
bool WriterRunning(DWORD processId, LONGLONG changed)
{
    Handle process(sys::OpenProcess(processId));
    if (!process.valid()) return GetLastError() != ERROR_INVALID_PARAMETER;  // else no such process
    FILETIME started{};
    DWORD exitCode = 0;
    if (!sys::ProcessTimes(process.get(), &started, &exitCode)) return true;
    ULARGE_INTEGER start{{started.dwLowDateTime, started.dwHighDateTime}};
    return exitCode == STILL_ACTIVE && static_cast<LONGLONG>(start.QuadPart) <= changed;
}

struct OwnName {
    std::wstring name;
    bool temporary = false;  // a temporary name, with its writer's process id and counter; else a slot file's
    DWORD writer = 0, counter = 0;
    explicit OwnName(std::wstring entry) : name(std::move(entry)) { temporary = TemporaryNameWriter(name, writer, counter); }
};

// Adds an entry of a folder's listing to names when the tidying may remove it: the tool's
// temporary names and, with slots (in a temporary folder), the slot files' names. Anything
// else there makes others true.
void AddOwnName(std::wstring name, DWORD attributes, bool slots, std::vector<OwnName>& names, bool& others)
{
    if (name == L"." || name == L"..") return;
    OwnName own(std::move(name));
    if (slots && (attributes & FILE_ATTRIBUTE_DIRECTORY)) others = true;  // no folder of the tool's is inside
    else if (own.temporary || (slots && IsSlotName(own.name))) names.push_back(std::move(own));
    else others = true;
}

// The tool's temporary names in folder.
void OwnNames(const std::wstring& folder, std::vector<OwnName>& names)
{
    WIN32_FIND_DATAW data{};
    FindHandle find(sys::FindFirst(Joined(folder, L"~nadeshiro-*.tmp").c_str(), &data));
    if (!find.valid()) return;
    bool others = false;  // look-alikes
    do AddOwnName(data.cFileName, data.dwFileAttributes, false, names, others);
    while (sys::FindNext(find.get(), &data));
}

// The slot files and temporary files in the temporary folder open as folder, listed through
// that handle; false when it holds anything else, or could not be listed to its end.
bool OwnNamesInside(HANDLE folder, std::vector<OwnName>& names)
{
    std::vector<LONGLONG> buffer(8192);
    bool others = false;
    for (auto kind = FileIdBothDirectoryRestartInfo;; kind = FileIdBothDirectoryInfo) {
        if (!sys::Information(folder, kind, buffer.data(), static_cast<DWORD>(buffer.size() * sizeof(LONGLONG))))
            return GetLastError() == ERROR_NO_MORE_FILES && !others;
        for (auto* at = reinterpret_cast<const char*>(buffer.data());;) {
            auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
            AddOwnName(std::wstring(entry->FileName, entry->FileNameLength / sizeof(wchar_t)), entry->FileAttributes, true, names, others);
            if (entry->NextEntryOffset == 0) break;
            at += entry->NextEntryOffset;
        }
    }
}

// An entry the tidying has opened without following a link and checked, to be deleted through
// the same handle, so that nothing else can take its place meanwhile.
struct CheckedEntry {
    Handle handle;
    DWORD attributes;
};

// Opens the entry own of the folder at base, whose path after every link is final, and checks
// that it is the tool's own: a plain file with one name, or (with folders) a real folder, whose
// path after every link is its own path in that folder, and with checkWriter one whose writer
// has ended. A folder passes when it holds only slot files and temporary files that pass. What
// passes is added to checked, a folder after what it holds.
bool CheckOwnEntry(const std::wstring& base, const std::wstring& final, const OwnName& own, bool checkWriter, bool folders,
                   std::vector<CheckedEntry>& checked)
{
    std::wstring path = Joined(base, own.name);
    auto open = [&](DWORD access) {
        return Handle(sys::Open(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_LIST_DIRECTORY | access,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS));
    };
    auto entry = open(FILE_WRITE_ATTRIBUTES);
    // Wine opens a read-only file for writing when its attributes are to be written, which only
    // root may do; it changes them all the same through a handle opened without asking to.
    if (!entry.valid() && GetLastError() == ERROR_ACCESS_DENIED) entry = open(0);
    BY_HANDLE_FILE_INFORMATION identity{};
    FILE_BASIC_INFO times{};
    if (!entry.valid() || !sys::Identity(entry.get(), &identity) ||
        !sys::Information(entry.get(), FileBasicInfo, &times, sizeof times))
        return false;
    bool folder = (identity.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!MayBeOwnEntry(identity.dwFileAttributes, identity.nNumberOfLinks, folders)) return false;
    std::wstring entryFinal = FinalPath(entry.get());
    if (entryFinal.empty() || !SameName(entryFinal, Joined(final, own.name))) return false;
    if (checkWriter &&
        WriterRunning(own.writer, std::max({times.CreationTime.QuadPart, times.LastWriteTime.QuadPart, times.ChangeTime.QuadPart})))
        return false;
    if (folder) {
        std::vector<OwnName> inside;
        if (!OwnNamesInside(entry.get(), inside)) return false;
        for (const auto& name : inside) {
            // The writer of a temporary folder names the files it writes into it after itself, later.
            if (name.temporary && (!own.temporary || name.writer != own.writer || name.counter <= own.counter)) return false;
            if (!CheckOwnEntry(path, entryFinal, name, name.temporary, false, checked)) return false;
        }
    }
    checked.push_back({std::move(entry), identity.dwFileAttributes});
    return true;
}

// Deletes checked entries in their order, each through its own handle, a read-only one made
// writable first; stops at the first that fails.
void DeleteChecked(std::vector<CheckedEntry>& checked)
{
    for (auto& entry : checked) {
        if (entry.attributes & FILE_ATTRIBUTE_READONLY) {
            FILE_BASIC_INFO writable{};
            writable.FileAttributes = FILE_ATTRIBUTE_NORMAL;
            if (!sys::SetInformation(entry.handle.get(), FileBasicInfo, &writable, sizeof writable)) return;
        }
        FILE_DISPOSITION_INFO disposition{TRUE};
        if (!sys::SetInformation(entry.handle.get(), FileDispositionInfo, &disposition, sizeof disposition)) return;
        entry.handle.reset();  // gone once closed, before the folder that held it
    }
}

// Removes the entry own of folder when it passes CheckOwnEntry.
void RemoveOwnEntry(const std::wstring& folder, const std::wstring& final, const OwnName& own, bool checkWriter)
{
    std::vector<CheckedEntry> checked;
    if (CheckOwnEntry(folder, final, own, checkWriter, true, checked)) DeleteChecked(checked);
}

}  // namespace

bool MayBeOwnEntry(DWORD attributes, DWORD links, bool folders)
{
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? folders : links == 1;
}

void RemoveLeftoverTemporaries(const std::wstring& folder) noexcept
{
    try {
        // Tidying up is no step of the write it comes before: what it cannot do or check stays
        // as it is, for the next write.
        sys::Tolerated tolerated;
        std::vector<OwnName> leftovers;
        OwnNames(folder, leftovers);
        if (leftovers.empty()) return;
        std::wstring final = FolderFinalPath(folder);
        if (final.empty()) return;
        for (const auto& leftover : leftovers) RemoveOwnEntry(folder, final, leftover, true);
    } catch (...) {
        // Out of memory while tidying up: the leftovers wait for the next write.
    }
}

FolderWriter::FolderWriter(const std::wstring& path) : path_(path)
{
    size_t cut = path.find_last_of(L"\\/");
    RemoveLeftoverTemporaries(cut == std::wstring::npos ? L"." : path.substr(0, cut + 1));
    temporaryPath_ = MakeTemporaryBeside(path, [](const std::wstring& temporaryPath) { return sys::MakeFolder(temporaryPath.c_str()); });
}

std::wstring FolderWriter::Named(const std::wstring& inside) const
{
    size_t length = temporaryPath_.size();
    bool within = inside.compare(0, length, temporaryPath_) == 0 && (inside.size() == length || IsSeparator(inside[length]));
    return within ? path_ + inside.substr(length) : inside;
}

DWORD FolderWriter::Commit() noexcept
{
    // A scanner holding a slot just copied into the folder holds up its rename too.
    auto renamed = [&] { return sys::Rename(temporaryPath_.c_str(), path_.c_str()) != FALSE; };
    DWORD code = renamed() ? ERROR_SUCCESS : TriedAgainWhileHeld(GetLastError(), renamed);
    if (code == ERROR_SUCCESS) temporaryPath_.clear();
    return code;
}

void FolderWriter::Discard() noexcept
{
    if (temporaryPath_.empty()) return;
    try {
        sys::Tolerated tolerated;
        size_t cut = temporaryPath_.find_last_of(L"\\/");
        std::wstring parent = cut == std::wstring::npos ? L"." : temporaryPath_.substr(0, cut + 1);
        RemoveOwnEntry(parent, FolderFinalPath(parent), OwnName(temporaryPath_.substr(cut + 1)), false);
    } catch (...) {
        // Out of memory: the folder is a leftover that a later write removes.
    }
    temporaryPath_.clear();
}

static std::wstring DriveRoot(wchar_t letter) { return {letter, L':', L'\\'}; }

DWORD Drives() { return sys::LogicalDrives(); }

UINT DriveType(wchar_t letter) { return sys::DriveType(DriveRoot(letter).c_str()); }

bool VolumeName(wchar_t letter, std::wstring& name)
{
    wchar_t buffer[MAX_PATH + 1] = {};
    bool ready = sys::VolumeName(DriveRoot(letter).c_str(), buffer, MAX_PATH + 1);
    name = ready ? buffer : L"";
    return ready;
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
    sys::Tolerated tolerated;  // a path not there yet keeps the form it was given
    DWORD longNeeded = sys::LongPath(full.c_str(), nullptr, 0);
    if (longNeeded != 0) {
        std::wstring longForm(longNeeded, L'\0');
        DWORD longLength = sys::LongPath(full.c_str(), longForm.data(), longNeeded);
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
    Handle input = OpenToRead(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
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
