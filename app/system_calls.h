// The file system and registry calls of the tool, and its questions about the processes that
// wrote a file, each made through this one seam. A test can arm it so that the Nth call from
// then on fails with a chosen Windows error, to show that a failure at any step of a copy or a
// save is reported and loses nothing.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

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
BOOL SetInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info, DWORD size);
// The path the system gives an open file or folder, after every link: its length, 0 on failure.
DWORD FinalPath(HANDLE file, wchar_t* buffer, DWORD size);
// The volume and file index that tell one file from another.
BOOL Identity(HANDLE file, BY_HANDLE_FILE_INFORMATION* info);
BOOL SetWriteTime(HANDLE file, const FILETIME* written);
BOOL Size(HANDLE file, LARGE_INTEGER* size);
DWORD Attributes(const wchar_t* path);
BOOL SetAttributes(const wchar_t* path, DWORD attributes);
// Puts from in the place of to, replacing it, written through to the disk.
BOOL Replace(const wchar_t* from, const wchar_t* to);
// Gives from the name to in the same folder, only when nothing of that name is there.
BOOL Rename(const wchar_t* from, const wchar_t* to);
BOOL Delete(const wchar_t* path);
BOOL MakeFolder(const wchar_t* path);
HANDLE FindFirst(const wchar_t* pattern, WIN32_FIND_DATAW* data, bool foldersOnly = false);
BOOL FindNext(HANDLE find, WIN32_FIND_DATAW* data);
DWORD CurrentFolder(DWORD size, wchar_t* buffer);
// The long form of a full path, as GetLongPathNameW gives it.
DWORD LongPath(const wchar_t* path, wchar_t* buffer, DWORD size);
// The drives (bit 0 for A:), a drive's type (DRIVE_UNKNOWN when it cannot be asked) and its
// volume's name, by its root ("C:\").
DWORD LogicalDrives();
UINT DriveType(const wchar_t* root);
BOOL VolumeName(const wchar_t* root, wchar_t* name, DWORD size);
// Opens a key of the registry to read its values, in its 64-bit view (the one Windows itself
// keeps) also from the 32-bit build; and reads a value of an open key. The system's error
// code, ERROR_SUCCESS when made.
LSTATUS OpenKey(HKEY root, const wchar_t* key, HKEY* opened);
LSTATUS QueryValue(HKEY key, const wchar_t* name, DWORD* type, void* data, DWORD* size);
// Starts a program as the shell starts it (asking for elevation where the program is marked
// to run as administrator), with the shell's own objects initialised for this thread.
BOOL ShellStart(SHELLEXECUTEINFOW* start);
// A handle to ask the process of that id about, nullptr when there is none.
HANDLE OpenProcess(DWORD processId);
// When the process started, and its exit code (STILL_ACTIVE while it runs).
BOOL ProcessTimes(HANDLE process, FILETIME* started, DWORD* exitCode);

// Waits before a step is tried again.
void Pause(DWORD milliseconds);

// Calls made while a Tolerated lives are ones whose failure the caller takes in its stride
// (tidying up, which leaves what it could not check as it was): a test can tell them apart.
struct Tolerated {
    Tolerated();
    ~Tolerated();
    Tolerated(const Tolerated&) = delete;
    Tolerated& operator=(const Tolerated&) = delete;
};

// The failure a test arms: the call numbered call (1 for the next call made through the
// seam) and the repeat - 1 calls after it fail with error; with replacesOnly, only the calls
// that put a finished file or folder in its place (replace, rename) are counted. A torn
// failure of a write writes half of what it was given first; a hanging call never returns, as
// one a program is killed in.
struct Fault {
    int call = 0;
    DWORD error = 0;
    bool torn = false;
    int repeat = 1;
    bool replacesOnly = false;
    bool hangs = false;
};
// Arms fault (call 0 disarms) and starts counting calls afresh.
void ArmFault(Fault fault);

// A call made through the seam, as a test reads the record of them, one entry a call in the
// order they were made: what it was, the path it was about (for a call on an open file, the path
// the file was opened by), whether it was made.
struct Call {
    const char* kind;
    std::wstring path;
    bool made;
};
// Keeps a record of every call made through the seam from now on (afresh), or no longer.
void RecordCalls(bool on);
const std::vector<Call>& Calls();
// The calls made through the seam since it was last armed, the time paused (ms), and whether
// an armed failure fell on a call made while a Tolerated lived.
int CallsMade();
DWORD Paused();
bool FailureTolerated();

}  // namespace nadeshiro::platform::sys
