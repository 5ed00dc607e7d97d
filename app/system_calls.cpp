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

Tolerated::Tolerated() { ++g_tolerating; }

Tolerated::~Tolerated() { --g_tolerating; }

void Pause(DWORD milliseconds)
{
    g_paused += milliseconds;
    ::Sleep(milliseconds);
}

HANDLE Open(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    if (Fails()) return INVALID_HANDLE_VALUE;
    return ::CreateFileW(path, access, share, nullptr, disposition, flags, nullptr);
}

BOOL Read(HANDLE file, void* buffer, DWORD size, DWORD* got)
{
    if (Fails()) return FALSE;
    return ::ReadFile(file, buffer, size, got, nullptr);
}

BOOL Write(HANDLE file, const void* data, DWORD size, DWORD* written)
{
    *written = 0;
    if (!Fails()) return ::WriteFile(file, data, size, written, nullptr);
    if (g_fault.torn) {
        DWORD half = 0;
        ::WriteFile(file, data, size / 2, &half, nullptr);
        SetLastError(g_fault.error);
    }
    return FALSE;
}

BOOL Flush(HANDLE file) { return Fails() ? FALSE : ::FlushFileBuffers(file); }

BOOL Information(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info, DWORD size)
{
    return Fails() ? FALSE : ::GetFileInformationByHandleEx(file, kind, info, size);
}

BOOL SetInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info, DWORD size)
{
    return Fails() ? FALSE : ::SetFileInformationByHandle(file, kind, info, size);
}

DWORD FinalPath(HANDLE file, wchar_t* buffer, DWORD size)
{
    return Fails() ? 0 : ::GetFinalPathNameByHandleW(file, buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
}

BOOL Identity(HANDLE file, BY_HANDLE_FILE_INFORMATION* info)
{
    return Fails() ? FALSE : ::GetFileInformationByHandle(file, info);
}

BOOL SetWriteTime(HANDLE file, const FILETIME* written)
{
    return Fails() ? FALSE : ::SetFileTime(file, nullptr, nullptr, written);
}

BOOL Size(HANDLE file, LARGE_INTEGER* size) { return Fails() ? FALSE : ::GetFileSizeEx(file, size); }

DWORD Attributes(const wchar_t* path) { return Fails() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(path); }

BOOL SetAttributes(const wchar_t* path, DWORD attributes)
{
    return Fails() ? FALSE : ::SetFileAttributesW(path, attributes);
}

BOOL Replace(const wchar_t* from, const wchar_t* to)
{
    return Fails(true) ? FALSE : ::MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

BOOL Rename(const wchar_t* from, const wchar_t* to) { return Fails(true) ? FALSE : ::MoveFileExW(from, to, 0); }

BOOL Delete(const wchar_t* path) { return Fails() ? FALSE : ::DeleteFileW(path); }

BOOL MakeFolder(const wchar_t* path) { return Fails() ? FALSE : ::CreateDirectoryW(path, nullptr); }

HANDLE FindFirst(const wchar_t* pattern, WIN32_FIND_DATAW* data, bool foldersOnly)
{
    if (Fails()) return INVALID_HANDLE_VALUE;
    return ::FindFirstFileExW(pattern, FindExInfoBasic, data, foldersOnly ? FindExSearchLimitToDirectories : FindExSearchNameMatch,
                              nullptr, 0);
}

BOOL FindNext(HANDLE find, WIN32_FIND_DATAW* data) { return Fails() ? FALSE : ::FindNextFileW(find, data); }

DWORD CurrentFolder(DWORD size, wchar_t* buffer) { return Fails() ? 0 : ::GetCurrentDirectoryW(size, buffer); }

BOOL ShellStart(SHELLEXECUTEINFOW* start)
{
    if (Fails()) return FALSE;
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
    return started;
}

HANDLE OpenProcess(DWORD processId)
{
    return Fails() ? nullptr : ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
}

BOOL ProcessTimes(HANDLE process, FILETIME* started, DWORD* exitCode)
{
    if (Fails()) return FALSE;
    FILETIME exited, kernel, user;
    return ::GetProcessTimes(process, started, &exited, &kernel, &user) && ::GetExitCodeProcess(process, exitCode);
}

}  // namespace nadeshiro::platform::sys
