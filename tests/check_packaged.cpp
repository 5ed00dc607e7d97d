// Start-up check of a packaged program, the file players download:
//   check_packaged <nadeshiro.exe> <game folder>
// The program must be of this checker's architecture, without symbols or link time, with its
// icon, manifest and version record (1.0.0.0, "なでしろ ver1.00" and the rest, in Japanese and
// Unicode); started in the game folder it must show its main window "なでしろ" and end cleanly
// on the menu's end. Unix paths are taken as Wine's Z: drive shows them. Prints one line;
// exits 0 only when every check holds.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/resource.h"

namespace {

int g_failures = 0;

std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

void Check(bool holds, const std::wstring& otherwise)
{
    if (holds) return;
    std::fprintf(stderr, "check_packaged: %s\n", Utf8(otherwise).c_str());
    ++g_failures;
}

std::wstring WindowsPath(std::wstring path)
{
    if (path.empty() || path[0] != L'/') return path;
    for (wchar_t& c : path) c = c == L'/' ? L'\\' : c;
    return L"Z:" + path;
}

void CheckFile(const std::wstring& exe)
{
    std::ifstream file(exe.c_str(), std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
    size_t at = bytes.size() >= sizeof *dos ? static_cast<size_t>(dos->e_lfanew) + sizeof(DWORD) : bytes.size();
    if (bytes.size() < at + sizeof(IMAGE_FILE_HEADER) || dos->e_magic != IMAGE_DOS_SIGNATURE) return Check(false, L"not a Windows program");
    IMAGE_FILE_HEADER header;
    std::memcpy(&header, bytes.data() + at, sizeof header);
#ifdef _WIN64
    Check(header.Machine == IMAGE_FILE_MACHINE_AMD64, L"built for another architecture than this check");
#else
    Check(header.Machine == IMAGE_FILE_MACHINE_I386, L"built for another architecture than this check");
#endif
    Check(header.PointerToSymbolTable == 0 && header.NumberOfSymbols == 0, L"has a symbol table");
    Check(header.TimeDateStamp == 0, L"has a link time in its header");

    HMODULE image = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    Check(image && FindResourceW(image, MAKEINTRESOURCEW(IDI_NADESHIRO), RT_GROUP_ICON), L"no icon");
    Check(image && FindResourceW(image, MAKEINTRESOURCEW(1), RT_MANIFEST), L"no manifest");
    if (image) FreeLibrary(image);

    // The version record as Windows' file properties read it.
    std::vector<BYTE> record(GetFileVersionInfoSizeW(exe.c_str(), nullptr) + 1);
    if (!GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(record.size()), record.data())) return Check(false, L"no version record");
    void* value = nullptr;
    UINT length = 0;
    auto query = [&](const std::wstring& key, size_t size) {  // size in wide characters
        value = nullptr;
        VerQueryValueW(record.data(), key.c_str(), &value, &length);
        return value ? std::wstring(static_cast<const wchar_t*>(value), size ? size : wcslen(static_cast<const wchar_t*>(value))) : L"";
    };
    query(L"\\", 1);
    const auto* f = static_cast<const VS_FIXEDFILEINFO*>(value);
    Check(f && length >= sizeof *f && f->dwFileVersionMS == 0x00010000 && f->dwFileVersionLS == 0 &&
              f->dwProductVersionMS == 0x00010000 && f->dwProductVersionLS == 0,
          L"the version record's file or product version is not 1.0.0.0");
    // Exactly one pair of 16-bit words, Japanese and Unicode, compared as two wide characters.
    Check(query(L"\\VarFileInfo\\Translation", 2) == L"\x0411\x04B0" && length == 4, L"the version record is not Japanese and Unicode");
    const wchar_t* const strings[][2] = {{L"Comments", L"なでしろ ver1.00"}, {L"ProductName", L"なでしろ ver1.00"},
        {L"FileDescription", L"oneのセーブセレクタ"}, {L"FileVersion", L"1.00"}, {L"ProductVersion", L"1.00"},
        {L"InternalName", L"nadeshiro"}, {L"OriginalFilename", L"nadeshiro.exe"},
        {L"CompanyName", L"なでしろ製作委員会"}, {L"LegalCopyright", L"Copyright (C) 2026 なでしろ製作委員会"}};
    for (const auto& [key, expected] : strings)
        Check(query(L"\\StringFileInfo\\041104b0\\" + std::wstring(key), 0) == expected,
              std::wstring(L"the version record's ") + key + L" is not \"" + expected + L"\"");
}

// The process's visible top-level window captioned "なでしろ", waited for up to a minute.
HWND WaitForMainWindow(DWORD process)
{
    for (int i = 0; i < 600; ++i, Sleep(100))
        for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, nullptr, L"なでしろ")) != nullptr;) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == process && IsWindowVisible(window)) return window;
        }
    return nullptr;
}

void CheckRunning(const std::wstring& exe, const std::wstring& gameFolder)
{
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, gameFolder.c_str(), &startup, &process))
        return Check(false, L"does not start (Windows error " + std::to_wstring(GetLastError()) + L")");
    CloseHandle(process.hThread);
    HWND main = WaitForMainWindow(process.dwProcessId);
    Check(main != nullptr, L"shows no main window captioned \"なでしろ\"");
    if (main) PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_END, 0), 0);
    DWORD code = STILL_ACTIVE;
    bool ended = WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0;
    Check(ended, L"does not end on the menu's end");
    if (!ended) TerminateProcess(process.hProcess, 1);
    else Check(GetExitCodeProcess(process.hProcess, &code) && code == 0, L"ended with code " + std::to_wstring(code));
    CloseHandle(process.hProcess);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: check_packaged <nadeshiro.exe> <game folder>\n");
        return 2;
    }
    const std::wstring exe = WindowsPath(argv[1]), gameFolder = WindowsPath(argv[2]);
    Check(GetFileAttributesW(exe.c_str()) != INVALID_FILE_ATTRIBUTES, L"no program at " + exe);
    if (g_failures == 0) {
        CheckFile(exe);
        CheckRunning(exe, gameFolder);
    }
    if (g_failures != 0) {
        std::fprintf(stderr, "check_packaged: %s: %d check(s) failed\n", Utf8(exe).c_str(), g_failures);
        return 1;
    }
    std::printf("check_packaged: %s: started in %s, main window \"なでしろ\", version 1.0.0.0 and \"なでしろ ver1.00\", "
                "icon, manifest, no symbols: ok\n", Utf8(exe).c_str(), Utf8(gameFolder).c_str());
    return 0;
}
