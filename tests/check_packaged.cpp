// Start-up check of a packaged program, which scripts/package-check.sh runs on each unpacked
// package: check_packaged <nadeshiro.exe> <game folder> (Unix paths as Wine's Z: drive shows
// them); fails unless every check holds.
#include "tests/test_support.h"

#include <shellapi.h>

#include "app/resource.h"
#include "app/version.h"

// The program (0) or the game folder (1): the last two arguments of the command line.
static std::wstring Argument(int which)
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring argument = count >= 3 ? arguments[count - 2 + which] : L"";
    LocalFree(arguments);
    return WinePath(argument);
}

// Of this checker's architecture, at most 450 KiB, without symbols or link time, with its icon,
// a manifest that asks for the common controls 6, and the version record as Windows' file
// properties read it: the project's version, Japanese and Unicode, and the texts that carry the
// version (the record's other texts are fixed ones of its source).
TEST(Packaged, TheProgramFileIsSmallWithoutSymbolsAndCarriesItsIconManifestAndVersion)
{
    const std::wstring exe = Argument(0);
    HMODULE image = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image, nullptr) << Utf8(exe) << " is no Windows program";
    const auto* base = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(image) & ~ULONG_PTR{3});  // the flags off the handle
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const IMAGE_FILE_HEADER& header = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew)->FileHeader;
    EXPECT_EQ(header.Machine, sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(header.NumberOfSymbols, 0u) << "a symbol table";
    EXPECT_EQ(header.TimeDateStamp, 0u) << "a link time in the header";
    EXPECT_NE(FindResourceW(image, MAKEINTRESOURCEW(IDI_NADESHIRO), RT_GROUP_ICON), nullptr) << "no icon";
    HRSRC manifest = FindResourceW(image, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(manifest, nullptr) << "no manifest";
    EXPECT_THAT(std::string(static_cast<const char*>(LockResource(LoadResource(image, manifest))), SizeofResource(image, manifest)),
                HasSubstr("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
    FreeLibrary(image);
    EXPECT_LE(ReadBytes(exe).size(), 450u * 1024);
    std::vector<BYTE> record(GetFileVersionInfoSizeW(exe.c_str(), nullptr) + 1);
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(record.size()), record.data())) << "no version record";
    UINT length = 0;
    void* value = nullptr;
    auto query = [&](const std::wstring& key) { return VerQueryValueW(record.data(), key.c_str(), &value, &length) ? value : nullptr; };
    const auto* f = static_cast<const VS_FIXEDFILEINFO*>(query(L"\\"));
    ASSERT_NE(f, nullptr);
    constexpr DWORD kMs = MAKELONG(NADESHIRO_VERSION_MINOR, NADESHIRO_VERSION_MAJOR), kLs = MAKELONG(0, NADESHIRO_VERSION_PATCH);
    EXPECT_THAT(std::vector<DWORD>({f->dwFileVersionMS, f->dwFileVersionLS, f->dwProductVersionMS, f->dwProductVersionLS}),
                ElementsAre(kMs, kLs, kMs, kLs));
    const auto* translation = static_cast<const WORD*>(query(L"\\VarFileInfo\\Translation"));
    ASSERT_NE(translation, nullptr);
    EXPECT_THAT(std::vector<WORD>(translation, translation + length / 2), ElementsAre(0x0411, 0x04B0));  // exactly one pair
    const wchar_t* const texts[][2] = {{L"Comments", L"" NADESHIRO_PRODUCT_LABEL}, {L"ProductName", L"" NADESHIRO_PRODUCT_LABEL},
                                       {L"FileVersion", L"" NADESHIRO_VERSION_TEXT}, {L"ProductVersion", L"" NADESHIRO_VERSION_TEXT}};
    for (const auto& [key, expected] : texts) {
        const auto* text = static_cast<const wchar_t*>(query(L"\\StringFileInfo\\041104b0\\" + std::wstring(key)));
        EXPECT_EQ(Utf8(text != nullptr ? text : L"<none>"), Utf8(expected)) << Utf8(key);
    }
}

// Started in the game folder it shows its main window "なでしろ" within a minute, and the
// menu's end ends it with code 0.
TEST(Packaged, StartedInTheGameFolderItShowsItsWindowAndEndsOnTheMenusEnd)
{
    const std::wstring exe = Argument(0);
    PROCESS_INFORMATION process = StartProcess(exe, L"\"" + exe + L"\"", Argument(1));
    ASSERT_NE(process.hProcess, nullptr);
    HWND main = nullptr;
    WaitFor([&] {
        for (HWND w = nullptr; main == nullptr && (w = FindWindowExW(nullptr, w, nullptr, L"なでしろ")) != nullptr;) {
            DWORD owner = 0;
            if (GetWindowThreadProcessId(w, &owner) && owner == process.dwProcessId && IsWindowVisible(w)) main = w;
        }
        return main != nullptr;
    }, 60000);
    EXPECT_NE(main, nullptr) << "no main window captioned なでしろ";
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_END, 0), 0);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0) << "it does not end on the menu's end";
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &code);
    EXPECT_EQ(code, 0u);
    TerminateProcess(process.hProcess, 1);  // when it did not end
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}
