#include "app/virtual_store.h"

#include <windows.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "app/platform.h"
#include "app/system_calls.h"

namespace nadeshiro::platform {

namespace {

// The known folders, without the shell's own import at start-up: the shell is loaded the
// first time a command asks.
constexpr GUID kProgramFiles{0x905e63b6, 0xc1bf, 0x494e, {0xb2, 0x9c, 0x65, 0xb7, 0x32, 0xd3, 0xd2, 0x1a}};
constexpr GUID kProgramFilesX86{0x7c5a40ef, 0xa0fb, 0x4bfc, {0x87, 0x4a, 0xc0, 0xf2, 0xe0, 0xb9, 0xfa, 0x8e}};
constexpr GUID kProgramFilesX64{0x6d809377, 0x6af0, 0x444b, {0x89, 0x57, 0xa3, 0x77, 0x3f, 0x02, 0x20, 0x0e}};
constexpr GUID kWindows{0xf38bf404, 0x1d43, 0x42f2, {0x93, 0x05, 0x67, 0xde, 0x0b, 0x28, 0xfc, 0x23}};
constexpr GUID kProgramData{0x62ab5d82, 0xfdc1, 0x4dc3, {0xa9, 0xdd, 0x07, 0x0d, 0x1d, 0x49, 0x5d, 0x97}};
constexpr GUID kLocalAppData{0xf1b32785, 0x6fba, 0x4fcf, {0x9d, 0x55, 0x7b, 0x8e, 0x7f, 0x15, 0x70, 0x91}};

std::wstring KnownFolder(const GUID& id)
{
    using GetPathFn = HRESULT(WINAPI*)(REFGUID, DWORD, HANDLE, PWSTR*);
    using FreeFn = void(WINAPI*)(LPVOID);
    static const auto getPath = sys::SystemFunction<GetPathFn>(L"shell32.dll", "SHGetKnownFolderPath");
    static const auto free = sys::SystemFunction<FreeFn>(L"ole32.dll", "CoTaskMemFree");
    if (getPath == nullptr || free == nullptr) return {};
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(getPath(id, 0, nullptr, &path)) && path != nullptr) result = FullPath(path);
    if (path != nullptr) free(path);
    return result;
}

// Whether path is folder or lies inside it; both full.
bool IsWithin(const std::wstring& path, const std::wstring& folder)
{
    if (folder.empty() || path.size() < folder.size()) return false;
    if (CompareStringOrdinal(path.data(), static_cast<int>(folder.size()), folder.data(), static_cast<int>(folder.size()),
                             TRUE) != CSTR_EQUAL)
        return false;
    return path.size() == folder.size() || folder.back() == L'\\' || path[folder.size()] == L'\\';
}

const std::vector<std::wstring>& ProtectedFolders()
{
    static const std::vector<std::wstring> folders = [] {
        std::vector<std::wstring> found;
        for (const GUID* id : {&kProgramFiles, &kProgramFilesX86, &kProgramFilesX64, &kWindows, &kProgramData}) {
            std::wstring folder = KnownFolder(*id);
            if (!folder.empty()) found.push_back(folder);
        }
        // The system names the 64-bit program files folder to a 32-bit program (the x86
        // build on 64-bit Windows) only in this variable.
        wchar_t programs64[MAX_PATH + 1] = {};
        DWORD length = GetEnvironmentVariableW(L"ProgramW6432", programs64, MAX_PATH + 1);
        if (length > 0 && length <= MAX_PATH) {
            std::wstring folder = FullPath(programs64);
            if (!folder.empty()) found.push_back(folder);
        }
        return found;
    }();
    return folders;
}

// Makes path and every missing folder above it.
void CreateFolderTree(const std::wstring& path)
{
    if (path.size() <= 3 || IsFolder(path)) return;
    size_t cut = path.find_last_of(L'\\');
    if (cut != std::wstring::npos && cut > 2) CreateFolderTree(path.substr(0, cut));
    if (!sys::MakeFolder(path.c_str()) && GetLastError() != ERROR_ALREADY_EXISTS) RaiseLastError(path);
}

// A value of the registry, read from the 64-bit view (the one Windows itself keeps) also by
// the 32-bit build, into data (size bytes); false when the key or the value is not there or
// the value does not fit.
bool ReadRegistryValue(HKEY root, const wchar_t* key, const wchar_t* name, DWORD& type, void* data, DWORD& size)
{
    RegistryKey opened;
    return sys::OpenKey(root, key, opened.put()) == ERROR_SUCCESS &&
           sys::QueryValue(opened.get(), name, &type, data, &size) == ERROR_SUCCESS;
}

// Whether Windows redirects the writes of programs that do not run as administrator: while
// UAC is on, which it is unless EnableLUA is 0.
bool RedirectionOn()
{
    DWORD type = 0, enabled = 1, size = sizeof enabled;
    return !ReadRegistryValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                              L"EnableLUA", type, &enabled, size) ||
           type != REG_DWORD || size != sizeof enabled || enabled != 0;
}

// Whether layers, the flags Windows records for one program separated by spaces
// ("~ RUNASADMIN WINXPSP3"), hold the one that runs it as administrator.
bool RunsAsAdministrator(std::wstring_view layers)
{
    constexpr std::wstring_view kLayer = L"RUNASADMIN";
    for (size_t start = 0; start < layers.size();) {
        size_t end = std::min(layers.find(L' ', start), layers.size());
        if (CompareStringOrdinal(layers.data() + start, static_cast<int>(end - start), kLayer.data(),
                                 static_cast<int>(kLayer.size()), TRUE) == CSTR_EQUAL)
            return true;
        start = end + 1;
    }
    return false;
}

// Whether the game's view is its own folder alone: nothing redirects it.
bool GameSeesOnlyItsFolder(const std::wstring& gameFolder) { return !RedirectionOn() || GameRunsElevated(gameFolder); }

}  // namespace

bool GameRunsElevated(const std::wstring& gameFolder)
{
    std::wstring game = FullPath(gameFolder);
    if (game.empty()) game = gameFolder;
    if (game.empty() || game.back() != L'\\') game += L'\\';
    game += L"one.exe";
    // Value names of the registry are compared without regard to letter case, as Windows
    // compares paths.
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        wchar_t layers[512];  // a few flags; a longer value is no layer Windows writes
        DWORD type = 0, size = sizeof layers;
        if (!ReadRegistryValue(root, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers",
                               game.c_str(), type, layers, size) ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            continue;
        std::wstring_view flags(layers, size / sizeof(wchar_t));
        while (!flags.empty() && flags.back() == L'\0') flags.remove_suffix(1);
        if (RunsAsAdministrator(flags)) return true;
    }
    return false;
}

std::wstring VirtualStoreOf(const std::wstring& gameFolder)
{
    std::wstring full = FullPath(gameFolder);
    // Only a folder on a drive letter is redirected: "X:\...".
    if (full.size() < 3 || full[1] != L':' || full[2] != L'\\') return {};
    bool underProtected = false;
    for (const auto& folder : ProtectedFolders()) underProtected = underProtected || IsWithin(full, folder);
    if (!underProtected) return {};
    std::wstring local = KnownFolder(kLocalAppData);
    if (local.empty()) return {};
    if (local.back() == L'\\') local.pop_back();
    std::wstring rest = full.substr(2);  // "\Program Files (x86)\ONE"
    if (rest == L"\\") rest.clear();
    return local + L"\\VirtualStore" + rest;
}

std::wstring GameReadsFirst(const std::wstring& gameFolder)
{
    std::wstring store = VirtualStoreOf(gameFolder);
    if (store.empty() || GameSeesOnlyItsFolder(gameFolder)) return {};
    return IsFolder(store) ? store : std::wstring();
}

std::wstring GameWritesInto(const std::wstring& gameFolder)
{
    std::wstring store = VirtualStoreOf(gameFolder);
    if (store.empty() || !RedirectionOn()) return gameFolder;
    if (GameRunsElevated(gameFolder)) {
        if (CanCreateFileIn(gameFolder)) return gameFolder;
        DWORD code = GetLastError();
        if (code == ERROR_SUCCESS) code = ERROR_ACCESS_DENIED;
        throw RuntimeError(ErrorNumberForSystemCode(code), gameFolder, code, kGameRunsAsAdministratorNote);
    }
    if (IsFolder(store)) return store;
    if (CanCreateFileIn(gameFolder)) return gameFolder;
    CreateFolderTree(store);
    return store;
}

bool SameFolder(const std::wstring& a, const std::wstring& b)
{
    std::wstring fullA = FullPath(a), fullB = FullPath(b);
    return !fullA.empty() && fullA.size() == fullB.size() && IsWithin(fullA, fullB);
}

}  // namespace nadeshiro::platform
