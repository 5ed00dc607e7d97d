// The one error type every failing platform operation raises, numbered as players know
// them from classic Windows programs (53 file not found, 61 disk full, 75 access error, ...).
#pragma once

#include <windows.h>

#include <exception>
#include <string>

namespace nadeshiro {

class RuntimeError : public std::exception {
public:
    // systemCode is the Windows error behind the failure, 0 when there is none; note, when
    // given, says in the tool's words what the failure means here and what the player can do.
    RuntimeError(int number, std::wstring path, DWORD systemCode = 0, std::wstring note = std::wstring());

    int Number() const { return number_; }
    const std::wstring& Description() const { return description_; }
    const std::wstring& Path() const { return path_; }
    DWORD SystemCode() const { return systemCode_; }
    // Windows' own wording of systemCode, empty when there is none.
    const std::wstring& SystemText() const { return systemText_; }
    const std::wstring& Note() const { return note_; }

    const char* what() const noexcept override { return "nadeshiro run-time error"; }

private:
    int number_;
    std::wstring description_;
    std::wstring path_;
    DWORD systemCode_;
    std::wstring systemText_;
    std::wstring note_;
};

// Run-time error numbers the tool raises.
namespace err {
constexpr int InvalidCall = 5;
constexpr int OutOfMemory = 7;
constexpr int BadFileName = 52;
constexpr int FileNotFound = 53;
constexpr int FileAlreadyOpen = 55;
constexpr int DeviceIO = 57;
constexpr int FileExists = 58;
constexpr int DiskFull = 61;
constexpr int InputPastEnd = 62;
constexpr int DeviceUnavailable = 68;
constexpr int PermissionDenied = 70;
constexpr int DiskNotReady = 71;
constexpr int ReadInUse = 72;
constexpr int PathFileAccess = 75;
constexpr int PathNotFound = 76;
}  // namespace err

int ErrorNumberForSystemCode(DWORD code);
std::wstring ErrorDescription(int number);

[[noreturn]] void RaiseSystemError(DWORD code, const std::wstring& path);
[[noreturn]] void RaiseLastError(const std::wstring& path);
// For a failure to read path: a file another program holds is reported as such.
[[noreturn]] void RaiseLastReadError(const std::wstring& path);

}  // namespace nadeshiro
