// The file system calls of the platform layer, each made through this one seam. A test can
// arm it so that the Nth call from then on fails with a chosen Windows error, to show that a
// failure at any step of a copy or a save is reported and loses nothing.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace nadeshiro::platform::sys {

// A function of one of Windows' own libraries, loaded when a command first needs it rather
// than at every start of the tool; null where this system lacks it.
template <typename F>
F SystemFunction(const wchar_t* library, const char* name)
{
    HMODULE module = LoadLibraryW(library);
    return module != nullptr ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

HANDLE Open(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags);
BOOL Read(HANDLE file, void* buffer, DWORD size, DWORD* got);
BOOL Write(HANDLE file, const void* data, DWORD size, DWORD* written);
BOOL Flush(HANDLE file);
BOOL Information(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info, DWORD size);
// The volume and file index that tell one file from another.
BOOL Identity(HANDLE file, BY_HANDLE_FILE_INFORMATION* info);
BOOL SetWriteTime(HANDLE file, const FILETIME* written);
BOOL Size(HANDLE file, LARGE_INTEGER* size);
DWORD Attributes(const wchar_t* path);
BOOL SetAttributes(const wchar_t* path, DWORD attributes);
// Puts from in the place of to, replacing it, written through to the disk.
BOOL Replace(const wchar_t* from, const wchar_t* to);
BOOL Delete(const wchar_t* path);
BOOL MakeFolder(const wchar_t* path);
HANDLE FindFirst(const wchar_t* pattern, WIN32_FIND_DATAW* data);
DWORD CurrentFolder(DWORD size, wchar_t* buffer);
// Starts a program as the shell starts it (asking for elevation where the program is marked
// to run as administrator), with the shell's own objects initialised for this thread.
BOOL ShellStart(SHELLEXECUTEINFOW* start);

// Waits before a step is tried again.
void Pause(DWORD milliseconds);

// The failure a test arms: the call numbered call (1 for the next call made through the
// seam) and the repeat - 1 calls after it fail with error; with replacesOnly, only the
// replace calls are counted. A torn failure of a write writes half of what it was given first.
struct Fault {
    int call = 0;
    DWORD error = 0;
    bool torn = false;
    int repeat = 1;
    bool replacesOnly = false;
};
// Arms fault (call 0 disarms) and starts counting calls afresh.
void ArmFault(Fault fault);
// The calls made through the seam since it was last armed, and the time paused (ms).
int CallsMade();
DWORD Paused();

}  // namespace nadeshiro::platform::sys
