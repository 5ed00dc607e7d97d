// Start-up check of a packaged program, the file players download:
//   check_packaged <nadeshiro.exe> <game folder>
// The program must be of this checker's architecture, without symbols or link time, with its
// icon, manifest and version record (1.0.0.0, "なでしろ ver1.00"); started in the game folder
// it must show its main window "なでしろ", open its version window from the menu with the
// label "なでしろ ver1.00", and end cleanly on the menu's end. Unix paths are taken as Wine's
// Z: drive shows them. Prints one line; exits 0 only when every check holds.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/resource.h"

namespace {

const wchar_t kProductLabel[] = L"なでしろ ver1.00";
int g_failures = 0;

std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

void Fail(const std::wstring& what)
{
    std::fprintf(stderr, "check_packaged: %s\n", Utf8(what).c_str());
    ++g_failures;
}

std::wstring WindowsPath(std::wstring path)
{
    if (path.empty() || path[0] != L'/') return path;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return L"Z:" + path;
}

std::wstring Text(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

// The file's own header: machine, no symbol table, no link time.
void CheckHeader(const std::wstring& exe)
{
    std::ifstream file(exe.c_str(), std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    IMAGE_DOS_HEADER dos{};
    IMAGE_FILE_HEADER header{};
    if (bytes.size() >= sizeof dos) std::memcpy(&dos, bytes.data(), sizeof dos);
    const size_t at = static_cast<size_t>(dos.e_lfanew) + sizeof(DWORD);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || bytes.size() < at + sizeof header) return Fail(L"not a Windows program");
    std::memcpy(&header, bytes.data() + at, sizeof header);
#ifdef _WIN64
    const WORD machine = IMAGE_FILE_MACHINE_AMD64;
#else
    const WORD machine = IMAGE_FILE_MACHINE_I386;
#endif
    if (header.Machine != machine) Fail(L"built for another architecture than this check");
    if (header.PointerToSymbolTable != 0 || header.NumberOfSymbols != 0) Fail(L"has a symbol table");
    if (header.TimeDateStamp != 0) Fail(L"has a link time in its header");
}

void CheckResources(const std::wstring& exe)
{
    HMODULE image = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (image == nullptr) return Fail(L"its resources cannot be read");
    if (FindResourceW(image, MAKEINTRESOURCEW(IDI_NADESHIRO), RT_GROUP_ICON) == nullptr) Fail(L"no icon");
    if (FindResourceW(image, MAKEINTRESOURCEW(1), RT_MANIFEST) == nullptr) Fail(L"no manifest");
    FreeLibrary(image);

    std::vector<BYTE> record(GetFileVersionInfoSizeW(exe.c_str(), nullptr));
    if (record.empty() || !GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(record.size()), record.data()))
        return Fail(L"no version record");
    void* value = nullptr;
    UINT length = 0;
    const auto* fixed = VerQueryValueW(record.data(), L"\\", &value, &length)
                            ? static_cast<const VS_FIXEDFILEINFO*>(value) : nullptr;
    if (fixed == nullptr || fixed->dwFileVersionMS != 0x00010000 || fixed->dwFileVersionLS != 0 ||
        fixed->dwProductVersionMS != 0x00010000 || fixed->dwProductVersionLS != 0)
        Fail(L"the version record's file or product version is not 1.0.0.0");
    const wchar_t* const strings[][2] = {{L"ProductName", kProductLabel}, {L"Comments", kProductLabel},
                                         {L"FileVersion", L"1.00"}, {L"ProductVersion", L"1.00"}};
    for (const auto& [key, expected] : strings) {
        value = nullptr;
        VerQueryValueW(record.data(), (L"\\StringFileInfo\\041104b0\\" + std::wstring(key)).c_str(), &value, &length);
        if (value == nullptr || std::wstring(static_cast<const wchar_t*>(value)) != expected)
            Fail(std::wstring(L"the version record's ") + key + L" is not \"" + expected + L"\"");
    }
}

struct Search {
    DWORD process;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->process || !IsWindowVisible(window) || Text(window) != search->caption) return TRUE;
    search->found = window;
    return FALSE;
}

// The process's visible top-level window with this caption, waited for up to timeoutMs.
HWND WaitForWindow(DWORD process, const wchar_t* caption, DWORD timeoutMs)
{
    const ULONGLONG until = GetTickCount64() + timeoutMs;
    do {
        Search search{process, caption, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        Sleep(100);
    } while (GetTickCount64() < until);
    return nullptr;
}

BOOL CALLBACK MatchLabel(HWND control, LPARAM lParam)
{
    if (Text(control) != kProductLabel) return TRUE;
    *reinterpret_cast<bool*>(lParam) = true;
    return FALSE;
}

void CheckRunning(const std::wstring& exe, const std::wstring& gameFolder)
{
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, gameFolder.c_str(),
                        &startup, &process))
        return Fail(L"does not start (Windows error " + std::to_wstring(GetLastError()) + L")");
    CloseHandle(process.hThread);

    HWND main = WaitForWindow(process.dwProcessId, L"なでしろ", 60000);
    if (main == nullptr) {
        Fail(L"shows no main window captioned \"なでしろ\"");
    } else {
        PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_VER, 0), 0);
        HWND version = WaitForWindow(process.dwProcessId, L"バージョン情報", 20000);
        bool labelled = false;
        if (version != nullptr) EnumChildWindows(version, MatchLabel, reinterpret_cast<LPARAM>(&labelled));
        if (!labelled) Fail(L"its version window does not show \"" + std::wstring(kProductLabel) + L"\"");
        PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_END, 0), 0);
    }
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
        Fail(L"does not end on the menu's end");
        TerminateProcess(process.hProcess, 1);
    } else if (GetExitCodeProcess(process.hProcess, &code) && code != 0) {
        Fail(L"ended with code " + std::to_wstring(code));
    }
    CloseHandle(process.hProcess);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: check_packaged <nadeshiro.exe> <game folder>\n");
        return 2;
    }
    const std::wstring exe = WindowsPath(argv[1]);
    const std::wstring gameFolder = WindowsPath(argv[2]);
    if (GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES) {
        Fail(L"no program at " + exe);
        return 1;
    }
    CheckHeader(exe);
    CheckResources(exe);
    CheckRunning(exe, gameFolder);
    if (g_failures != 0) {
        std::fprintf(stderr, "check_packaged: %s: %d check(s) failed\n", Utf8(exe).c_str(), g_failures);
        return 1;
    }
    std::printf("check_packaged: %s: started in %s, main window \"なでしろ\", version 1.0.0.0 and \"%s\", "
                "icon, manifest, no symbols: ok\n",
                Utf8(exe).c_str(), Utf8(gameFolder).c_str(), Utf8(kProductLabel).c_str());
    return 0;
}
