// Start-up check of a packaged program: check_packaged <nadeshiro.exe> <game folder> (Unix
// paths as Wine's Z: drive shows them). Prints one line; exits 0 only when every check holds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/resource.h"
#include "app/version.h"

namespace {

int g_failures = 0;

std::string Utf8(const std::wstring& text)
{
    std::string out(text.size() * 3, '\0');
    out.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}

void Check(bool holds, const std::wstring& otherwise)
{
    if (!holds && ++g_failures) std::fprintf(stderr, "check_packaged: %s\n", Utf8(otherwise).c_str());
}

// Of this checker's architecture, at most 450 KiB, without symbols or link time, with icon, manifest and the
// version record (the project's version, Japanese and Unicode, its texts) as Windows' file properties read it.
void CheckFile(const std::wstring& exe)
{
    HMODULE image = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!image) return Check(false, L"not a Windows program");
    const auto* base = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(image) & ~ULONG_PTR{3});  // the flags off the handle
    const IMAGE_FILE_HEADER& header = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew)->FileHeader;
    Check(header.Machine == (sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386), L"built for another architecture than this check");
    Check(header.PointerToSymbolTable == 0 && header.NumberOfSymbols == 0, L"has a symbol table");
    Check(header.TimeDateStamp == 0, L"has a link time in its header");
    Check(FindResourceW(image, MAKEINTRESOURCEW(IDI_NADESHIRO), RT_GROUP_ICON), L"no icon");
    HRSRC manifest = FindResourceW(image, MAKEINTRESOURCEW(1), RT_MANIFEST);
    Check(manifest, L"no manifest");
    if (manifest) {
        std::string text(static_cast<const char*>(LockResource(LoadResource(image, manifest))), SizeofResource(image, manifest));
        Check(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"") != std::string::npos,
              L"its manifest does not name the common controls 6");
    }
    FreeLibrary(image);
    WIN32_FILE_ATTRIBUTE_DATA file{};
    Check(GetFileAttributesExW(exe.c_str(), GetFileExInfoStandard, &file) && file.nFileSizeHigh == 0 && file.nFileSizeLow <= 450 * 1024,
          L"larger than 450 KiB");
    std::vector<BYTE> record(GetFileVersionInfoSizeW(exe.c_str(), nullptr) + 1);
    if (!GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(record.size()), record.data())) return Check(false, L"no version record");
    UINT length = 0;
    void* value = nullptr;
    auto query = [&](const std::wstring& key) { return VerQueryValueW(record.data(), key.c_str(), &value, &length) ? value : nullptr; };
    const auto* f = static_cast<const VS_FIXEDFILEINFO*>(query(L"\\"));
    constexpr DWORD kMs = MAKELONG(NADESHIRO_VERSION_MINOR, NADESHIRO_VERSION_MAJOR), kLs = MAKELONG(0, NADESHIRO_VERSION_PATCH);
    Check(f && length >= sizeof *f && f->dwFileVersionMS == kMs && f->dwFileVersionLS == kLs && f->dwProductVersionMS == kMs &&
              f->dwProductVersionLS == kLs, L"the version record's file or product version is not the project's");
    const auto* translation = static_cast<const WORD*>(query(L"\\VarFileInfo\\Translation"));  // exactly one pair
    Check(translation && length == 4 && translation[0] == 0x0411 && translation[1] == 0x04B0, L"the version record is not Japanese and Unicode");
    // The texts that carry the project's version (the record's other texts are fixed ones of its source).
    const wchar_t* const strings[][2] = {{L"Comments", L"" NADESHIRO_PRODUCT_LABEL}, {L"ProductName", L"" NADESHIRO_PRODUCT_LABEL},
        {L"FileVersion", L"" NADESHIRO_VERSION_TEXT}, {L"ProductVersion", L"" NADESHIRO_VERSION_TEXT}};
    for (const auto& [key, expected] : strings)
        Check(query(L"\\StringFileInfo\\041104b0\\" + std::wstring(key)) && wcscmp(static_cast<const wchar_t*>(value), expected) == 0,
              std::wstring(L"the version record's ") + key + L" is not \"" + expected + L"\"");
}

// Started in the game folder it shows its main window "なでしろ" within a minute, and the
// menu's end ends it with code 0.
void CheckRunning(const std::wstring& exe, const std::wstring& gameFolder)
{
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, gameFolder.c_str(), &startup, &process))
        return Check(false, L"does not start (Windows error " + std::to_wstring(GetLastError()) + L")");
    CloseHandle(process.hThread);
    HWND main = nullptr;
    for (int i = 0; i < 600 && !main; ++i, Sleep(100))
        for (HWND w = nullptr; !main && (w = FindWindowExW(nullptr, w, nullptr, L"なでしろ")) != nullptr;) {
            DWORD owner = 0;
            if (GetWindowThreadProcessId(w, &owner) && owner == process.dwProcessId && IsWindowVisible(w)) main = w;
        }
    Check(main != nullptr, L"shows no main window captioned \"なでしろ\"");
    if (main) PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_END, 0), 0);
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) Check(false, L"does not end on the menu's end"), TerminateProcess(process.hProcess, 1);
    else Check(GetExitCodeProcess(process.hProcess, &code) && code == 0, L"ended with code " + std::to_wstring(code));
    CloseHandle(process.hProcess);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) return std::fprintf(stderr, "usage: check_packaged <nadeshiro.exe> <game folder>\n"), 2;
    std::wstring paths[2] = {argv[1], argv[2]};
    for (auto& path : paths)
        if (!path.empty() && path[0] == L'/') std::replace(path.begin(), path.end(), L'/', L'\\'), path.insert(0, L"Z:");
    const std::wstring &exe = paths[0], &gameFolder = paths[1];
    Check(GetFileAttributesW(exe.c_str()) != INVALID_FILE_ATTRIBUTES, L"no program at " + exe);
    if (g_failures == 0) CheckFile(exe), CheckRunning(exe, gameFolder);
    if (g_failures != 0) return std::fprintf(stderr, "check_packaged: %s: %d check(s) failed\n", Utf8(exe).c_str(), g_failures), 1;
    std::printf("check_packaged: %s: started in %s, main window \"なでしろ\", version %d.%d.%d.0 and \"%s\", "
                "icon, manifest with the common controls 6, no symbols: ok\n", Utf8(exe).c_str(), Utf8(gameFolder).c_str(),
                NADESHIRO_VERSION_MAJOR, NADESHIRO_VERSION_MINOR, NADESHIRO_VERSION_PATCH, NADESHIRO_PRODUCT_LABEL);
    return 0;
}
