#include "app/runtime_error.h"

#include "app/number_text.h"

namespace nadeshiro {

namespace {

std::wstring SystemMessage(DWORD code)
{
    if (code == 0) return {};
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length != 0 && buffer != nullptr) {
        text.assign(buffer, length);
        while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
            text.pop_back();
    }
    if (buffer != nullptr) LocalFree(buffer);
    if (text.empty()) text = L"Windows error " + NumberText(code);
    return text;
}

}  // namespace

RuntimeError::RuntimeError(int number, std::wstring path, DWORD systemCode, std::wstring note)
    : number_(number),
      description_(ErrorDescription(number)),
      path_(std::move(path)),
      systemCode_(systemCode),
      systemText_(SystemMessage(systemCode)),
      note_(std::move(note))
{
}

int ErrorNumberForSystemCode(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
        return err::FileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY:
        return err::PathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_CANNOT_MAKE:
        return err::PathFileAccess;
    case ERROR_INVALID_DRIVE:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_UNRECOGNIZED_VOLUME:
        return err::DeviceUnavailable;
    case ERROR_NOT_READY:
        return err::DiskNotReady;
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return err::PermissionDenied;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL:
        return err::DiskFull;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return err::FileExists;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
        return err::BadFileName;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return err::OutOfMemory;
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_EXE_MACHINE_TYPE_MISMATCH:
    case ERROR_INVALID_EXE_SIGNATURE:
        return err::InvalidCall;
    case ERROR_CRC:
    case ERROR_FILE_CORRUPT:
    case ERROR_IO_DEVICE:
        return err::DeviceIO;
    default:
        return err::PathFileAccess;
    }
}

std::wstring ErrorDescription(int number)
{
    switch (number) {
    case err::InvalidCall: return L"プロシージャの呼び出し、または引数が不正です。";
    case err::OutOfMemory: return L"メモリが不足しています。";
    case err::BadFileName: return L"ファイル名または番号が不正です。";
    case err::FileNotFound: return L"ファイルが見つかりません。";
    case err::FileAlreadyOpen: return L"ファイルは既に開かれています。";
    case err::DeviceIO: return L"デバイス I/O エラーです。";
    case err::FileExists: return L"同じ名前のファイルが既にあります。";
    case err::DiskFull: return L"ディスクの空き容量が足りません。";
    case err::InputPastEnd: return L"ファイルにこれ以上データがありません。";
    case err::DeviceUnavailable: return L"デバイスが使用できません。";
    case err::PermissionDenied: return L"書き込みできません。ほかのプログラムが使っているか、書き込みが禁止されています。";
    case err::DiskNotReady: return L"ディスクが準備されていません。";
    case err::ReadInUse: return L"読み込みできません。ほかのプログラムが使っています。";
    case err::PathFileAccess: return L"パス名またはファイル名にアクセスできません。";
    case err::PathNotFound: return L"パスが見つかりません。";
    default: return L"アプリケーション定義またはオブジェクト定義のエラーです。";
    }
}

void RaiseSystemError(DWORD code, const std::wstring& path)
{
    throw RuntimeError(ErrorNumberForSystemCode(code), path, code);
}

void RaiseLastError(const std::wstring& path)
{
    RaiseSystemError(GetLastError(), path);
}

void RaiseLastReadError(const std::wstring& path)
{
    DWORD code = GetLastError();
    if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) throw RuntimeError(err::ReadInUse, path, code);
    RaiseSystemError(code, path);
}

}  // namespace nadeshiro
