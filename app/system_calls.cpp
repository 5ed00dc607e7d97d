#include "app/system_calls.h"

#include <objbase.h>

namespace nadeshiro::platform::sys {

namespace {

Fault g_fault;
int g_calls = 0;
int g_counted = 0;
DWORD g_paused = 0;
int g_tolerating = 0;
bool g_failureTolerated = false;
bool g_recording = false;
std::vector<Call> g_record;
std::vector<std::pair<HANDLE, std::wstring>> g_opened;  // while recording: each open file's path

std::wstring PathOf(HANDLE file)
{
    for (const auto& [handle, path] : g_opened)
        if (handle == file) return path;
    return {};
}

// Notes a call in the record, when one is kept; gives back its result.
template <typename Result>
Result Noted(const char* kind, const std::wstring& path, Result result, bool made)
{
    if (g_recording) g_record.push_back({kind, path, made});
    return result;
}
template <typename Result>
Result Noted(const char* kind, HANDLE file, Result result, bool made)
{
    return g_recording ? Noted(kind, PathOf(file), result, made) : result;
}

// Counts one call; true when it is one armed to fail, with the error set.
bool Fails(bool replace = false)
{
    ++g_calls;
    if (g_fault.replacesOnly && !replace) return false;
    ++g_counted;
    if (g_fault.call == 0 || g_counted < g_fault.call || g_counted >= g_fault.call + g_fault.repeat) return false;
    if (g_fault.hangs) ::Sleep(INFINITE);
    SetLastError(g_fault.error);
    g_failureTolerated = g_failureTolerated || g_tolerating > 0;
    return true;
}

}  // namespace

void ArmFault(Fault fault)
{
    g_fault = fault;
    g_calls = 0;
    g_counted = 0;
    g_paused = 0;
    g_failureTolerated = false;
}

int CallsMade() { return g_calls; }

DWORD Paused() { return g_paused; }

bool FailureTolerated() { return g_failureTolerated; }

void RecordCalls(bool on)
{
    g_recording = on;
    g_record.clear();
    g_opened.clear();
}

const std::vector<Call>& Calls() { return g_record; }

Tolerated::Tolerated() { ++g_tolerating; }

Tolerated::~Tolerated() { --g_tolerating; }

void Pause(DWORD milliseconds)
{
    g_paused += milliseconds;
    ::Sleep(milliseconds);
}

HANDLE Open(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    HANDLE file = Fails() ? INVALID_HANDLE_VALUE : ::CreateFileW(path, access, share, nullptr, disposition, flags, nullptr);
    if (g_recording && file != INVALID_HANDLE_VALUE) g_opened.insert(g_opened.begin(), {file, path});
    return Noted("Open", path, file, file != INVALID_HANDLE_VALUE);
}

BOOL Read(HANDLE file, void* buffer, DWORD size, DWORD* got)
{
    BOOL made = !Fails() && ::ReadFile(file, buffer, size, got, nullptr);
    return Noted("Read", file, made, made);
}

BOOL Write(HANDLE file, const void* data, DWORD size, DWORD* written)
{
    *written = 0;
    if (!Fails()) {
        BOOL made = ::WriteFile(file, data, size, written, nullptr);
        return Noted("Write", file, made, made);
    }
    if (g_fault.torn) {
        DWORD half = 0;
        ::WriteFile(file, data, size / 2, &half, nullptr);
        SetLastError(g_fault.error);
    }
    return Noted("Write", file, FALSE, false);
}

BOOL Flush(HANDLE file)
{
    BOOL made = !Fails() && ::FlushFileBuffers(file);
    return Noted("Flush", file, made, made);
}

BOOL Information(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info, DWORD size)
{
    BOOL made = !Fails() && ::GetFileInformationByHandleEx(file, kind, info, size);
    return Noted("Information", file, made, made);
}

BOOL SetInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info, DWORD size)
{
    BOOL made = !Fails() && ::SetFileInformationByHandle(file, kind, info, size);
    return Noted("SetInformation", file, made, made);
}

DWORD FinalPath(HANDLE file, wchar_t* buffer, DWORD size)
{
    DWORD length = Fails() ? 0 : ::GetFinalPathNameByHandleW(file, buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    return Noted("FinalPath", file, length, length != 0);
}

BOOL Identity(HANDLE file, BY_HANDLE_FILE_INFORMATION* info)
{
    BOOL made = !Fails() && ::GetFileInformationByHandle(file, info);
    return Noted("Identity", file, made, made);
}

BOOL SetWriteTime(HANDLE file, const FILETIME* written)
{
    BOOL made = !Fails() && ::SetFileTime(file, nullptr, nullptr, written);
    return Noted("SetWriteTime", file, made, made);
}

BOOL Size(HANDLE file, LARGE_INTEGER* size)
{
    BOOL made = !Fails() && ::GetFileSizeEx(file, size);
    return Noted("Size", file, made, made);
}

DWORD Attributes(const wchar_t* path)
{
    DWORD attributes = Fails() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(path);
    return Noted("Attributes", path, attributes, attributes != INVALID_FILE_ATTRIBUTES);
}

BOOL SetAttributes(const wchar_t* path, DWORD attributes)
{
    BOOL made = !Fails() && ::SetFileAttributesW(path, attributes);
    return Noted("SetAttributes", path, made, made);
}

BOOL Replace(const wchar_t* from, const wchar_t* to)
{
    BOOL made = !Fails(true) && ::MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    return Noted("Replace", from, made, made);
}

BOOL Rename(const wchar_t* from, const wchar_t* to)
{
    BOOL made = !Fails(true) && ::MoveFileExW(from, to, 0);
    return Noted("Rename", from, made, made);
}

BOOL Delete(const wchar_t* path)
{
    BOOL made = !Fails() && ::DeleteFileW(path);
    return Noted("Delete", path, made, made);
}

BOOL MakeFolder(const wchar_t* path)
{
    BOOL made = !Fails() && ::CreateDirectoryW(path, nullptr);
    return Noted("MakeFolder", path, made, made);
}

HANDLE FindFirst(const wchar_t* pattern, WIN32_FIND_DATAW* data, bool foldersOnly)
{
    HANDLE find = Fails() ? INVALID_HANDLE_VALUE
                          : ::FindFirstFileExW(pattern, FindExInfoBasic, data,
                                               foldersOnly ? FindExSearchLimitToDirectories : FindExSearchNameMatch, nullptr, 0);
    return Noted("FindFirst", pattern, find, find != INVALID_HANDLE_VALUE);
}

BOOL FindNext(HANDLE find, WIN32_FIND_DATAW* data)
{
    BOOL made = !Fails() && ::FindNextFileW(find, data);
    return Noted("FindNext", std::wstring(), made, made);
}

DWORD CurrentFolder(DWORD size, wchar_t* buffer)
{
    DWORD length = Fails() ? 0 : ::GetCurrentDirectoryW(size, buffer);
    return Noted("CurrentFolder", std::wstring(), length, length != 0);
}

DWORD LongPath(const wchar_t* path, wchar_t* buffer, DWORD size)
{
    DWORD length = Fails() ? 0 : ::GetLongPathNameW(path, buffer, size);
    return Noted("LongPath", path, length, length != 0);
}

DWORD LogicalDrives()
{
    DWORD drives = Fails() ? 0 : ::GetLogicalDrives();
    return Noted("LogicalDrives", std::wstring(), drives, drives != 0);
}

UINT DriveType(const wchar_t* root)
{
    UINT type = Fails() ? DRIVE_UNKNOWN : ::GetDriveTypeW(root);
    return Noted("DriveType", root, type, type != DRIVE_UNKNOWN);
}

BOOL VolumeName(const wchar_t* root, wchar_t* name, DWORD size)
{
    BOOL made = !Fails() && ::GetVolumeInformationW(root, name, size, nullptr, nullptr, nullptr, nullptr, 0);
    return Noted("VolumeName", root, made, made);
}

LSTATUS OpenKey(HKEY root, const wchar_t* key, HKEY* opened)
{
    LSTATUS status = Fails() ? static_cast<LSTATUS>(GetLastError())
                             : ::RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, opened);
    return Noted("OpenKey", key, status, status == ERROR_SUCCESS);
}

LSTATUS QueryValue(HKEY key, const wchar_t* name, DWORD* type, void* data, DWORD* size)
{
    LSTATUS status = Fails() ? static_cast<LSTATUS>(GetLastError())
                             : ::RegQueryValueExW(key, name, nullptr, type, static_cast<BYTE*>(data), size);
    return Noted("QueryValue", name, status, status == ERROR_SUCCESS);
}

BOOL ShellStart(SHELLEXECUTEINFOW* start)
{
    if (Fails()) return Noted("ShellStart", start->lpFile, FALSE, false);
    static const auto shellExecute = SystemFunction<decltype(&::ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
    static const auto initialise = SystemFunction<decltype(&::CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
    static const auto uninitialise = SystemFunction<decltype(&::CoUninitialize)>(L"ole32.dll", "CoUninitialize");
    if (shellExecute == nullptr || initialise == nullptr || uninitialise == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    // The shell may hand the start to objects of its own, which ask for a single-threaded
    // apartment on the calling thread.
    HRESULT initialised = initialise(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    BOOL started = shellExecute(start);
    DWORD code = GetLastError();
    if (SUCCEEDED(initialised)) uninitialise();
    SetLastError(code);
    return Noted("ShellStart", start->lpFile, started, started != FALSE);
}

HANDLE OpenProcess(DWORD processId)
{
    HANDLE process = Fails() ? nullptr : ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    return Noted("OpenProcess", std::wstring(), process, process != nullptr);
}

BOOL ProcessTimes(HANDLE process, FILETIME* started, DWORD* exitCode)
{
    FILETIME exited, kernel, user;
    BOOL made = !Fails() && ::GetProcessTimes(process, started, &exited, &kernel, &user) && ::GetExitCodeProcess(process, exitCode);
    return Noted("ProcessTimes", std::wstring(), made, made);
}

}  // namespace nadeshiro::platform::sys
