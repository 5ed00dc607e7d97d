// A protected game folder's slots are in the user's virtual store where the game saved them,
// as long as Windows redirects the game: UAC on and the game not run as administrator.
#include <shlobj.h>

#include <optional>
#include <vector>

#include "app/virtual_store.h"
#include "saves/commands.h"
#include "tests/test_support.h"

static std::wstring SystemFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    return SHGetFolderPathW(nullptr, csidl, nullptr, 0, path), path;
}

static std::vector<std::string> Read(const std::wstring& folder, std::initializer_list<const wchar_t*> slots)
{
    std::vector<std::string> read;
    for (const wchar_t* slot : slots) read.push_back(ReadBytes(folder + L"\\" + slot));
    return read;
}

// A value of the test prefix's registry (its 64-bit view, as the tool reads it), size bytes at
// data, set for as long as the object lives, then put back as it was; type REG_NONE removes it
// for that time.
struct RegistryValue {
    RegistryValue(HKEY root, const wchar_t* path, std::wstring named, DWORD type, const void* data, size_t size) : name(std::move(named))
    {
        EXPECT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr), ERROR_SUCCESS);
        if (RegQueryValueExW(key, name.c_str(), nullptr, &oldType, old, &oldSize) != ERROR_SUCCESS) oldType = REG_NONE;
        Set(type, data, size);
    }
    ~RegistryValue()
    {
        Set(oldType, old, oldSize);
        RegCloseKey(key);
    }
    void Set(DWORD type, const void* data, size_t size)
    {
        if (type == REG_NONE) RegDeleteValueW(key, name.c_str());
        else EXPECT_EQ(RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)), ERROR_SUCCESS);
    }
    HKEY key = nullptr;
    std::wstring name;
    DWORD oldType = REG_NONE, oldSize = sizeof old;
    BYTE old[1024];  // UAC's switch, or a program's few compatibility flags
};
// A text value's size, with its end.
static size_t SizeOf(const wchar_t* text) { return (wcslen(text) + 1) * sizeof(wchar_t); }

using Messages = ::testing::Matcher<const std::vector<Recorded>&>;
const wchar_t kPolicies[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
const wchar_t kLayers[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";

// Each slot comes from the store where it is there, else from the game folder, and a restore
// writes into the store. With UAC off, or the game set to run as administrator (for this user
// or for all), or a game folder no one redirects, the game reads and writes its own folder
// only: a store left from earlier is neither read nor written.
TEST(GameView, TheStoreIsTheGamesViewOnlyWhileWindowsRedirectsTheGame)
{
    const std::wstring programFiles = SystemFolder(CSIDL_PROGRAM_FILESX86);
    const struct { const char* name; std::optional<DWORD> uac; HKEY layerRoot; const wchar_t* layers;
                   bool upperCasePath, redirected, outside = false; } cases[] = {
        {"UAC on", 1, nullptr, nullptr, false, true},
        {"UAC never set", std::nullopt, nullptr, nullptr, false, true},  // Windows counts it as on
        {"UAC off", 0, nullptr, nullptr, false, false},
        {"run as administrator by this user", 1, HKEY_CURRENT_USER, L"~ RUNASADMIN", false, false},
        {"run as administrator for all users", 1, HKEY_LOCAL_MACHINE, L"WINXPSP3 RUNASADMIN", true, false},
        {"other compatibility settings only", 1, HKEY_CURRENT_USER, L"~ WINXPSP3 HIGHDPIAWARE", false, true},
        {"a folder beside the program files", 1, nullptr, nullptr, false, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestFolder game{c.outside ? programFiles.substr(0, 3) : programFiles,
                        c.outside ? programFiles.substr(3) + L" nadeshiro " : L"nadeshiro game "};
        TestFolder backups, backup;
        const std::wstring store = SystemFolder(CSIDL_LOCAL_APPDATA) + L"\\VirtualStore" + game.Path().substr(2);
        SHCreateDirectoryExW(nullptr, store.c_str(), nullptr);
        std::wstring program = game / L"one.exe";
        if (c.upperCasePath) CharUpperW(program.data());
        const DWORD on = c.uac.value_or(0);
        RegistryValue uac(HKEY_LOCAL_MACHINE, kPolicies, L"EnableLUA", c.uac ? REG_DWORD : REG_NONE, &on, sizeof on);
        std::optional<RegistryValue> layer;
        if (c.layerRoot != nullptr) layer.emplace(c.layerRoot, kLayers, program, REG_SZ, c.layers, SizeOf(c.layers));
        for (const wchar_t* slot : {L"save00", L"save01"}) WriteBytes(game / slot, "game" + Utf8(slot + 4));
        for (const wchar_t* slot : {L"save01", L"save02"}) WriteBytes(store + L"\\" + slot, "store" + Utf8(slot + 4));
        WriteBytes(backup / L"save01", "backup01");
        Recorder recorder;
        MainFields fields;
        fields.GameFolder = game.Path();
        EXPECT_TRUE(RunHandler([&] { BackUp(fields, backups.Path(), L"taken"); }));
        EXPECT_THAT(Read(backups / L"taken", {L"save00", L"save01", L"save02"}),
                    c.redirected ? ElementsAre("game00", "store01", "store02") : ElementsAre("game00", "game01", "<missing>"));
        EXPECT_TRUE(RunHandler([&] { Restore(fields, backup.Path()); }));
        EXPECT_THAT(Read(store, {L"save01", L"save02"}), ElementsAre(c.redirected ? "backup01" : "store01", "store02"));
        EXPECT_THAT(Read(game.Path(), {L"save00", L"save01"}), ElementsAre("game00", c.redirected ? "game01" : "backup01"));
        EXPECT_THAT(recorder.messages, IsEmpty());
        RemoveTree(store);
    }
}

// scripts/test.sh links a read-only file system's folder here: the game folder no one can write
// (nothing can be written into it, so what it holds is not checked). With UAC on (Wine keeps it
// off) a restore makes the virtual store and writes there; for a game run as administrator,
// which reads only its folder, it is refused with the number, the folder and the reason, before
// anything is written anywhere.
TEST(ReadOnlyGameFolder, ARestoreWritesIntoTheStoreOrIsRefusedWithTheReasonForAGameRunAsAdministrator)
{
    const std::wstring game = SystemFolder(CSIDL_PROGRAM_FILESX86) + L"\\nadeshiro read-only game";
    const std::wstring store = SystemFolder(CSIDL_LOCAL_APPDATA) + L"\\VirtualStore" + game.substr(2);
    if (!FolderExists(game)) GTEST_SKIP() << "no read-only game folder: run the tests through scripts/test.sh as root";
    auto removeStore = [&] {
        RemoveTree(store);
        // and the parents made for it, as a player's first restore finds none
        for (std::wstring parent = store; parent.size() > 3; RemoveDirectoryW(parent.c_str())) parent.resize(parent.find_last_of(L'\\'));
    };
    TestFolder backup;
    WriteBytes(backup / L"save04", "backup04");
    const DWORD on = 1;
    RegistryValue uac{HKEY_LOCAL_MACHINE, kPolicies, L"EnableLUA", REG_DWORD, &on, sizeof on};
    MainFields fields;
    fields.GameFolder = game;
    const struct { const wchar_t* layers; Messages messages; bool storeMade; Names stored; } cases[] = {
        {L"~ RUNASADMIN", ElementsAre(Report(L"実行時エラー '", L"\r\n\r\n" + game + L"\r\n\r\n", platform::kGameRunsAsAdministratorNote)), false, {}},
        {nullptr, IsEmpty(), true, {L"save04"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layers != nullptr ? "run as administrator" : "UAC on");
        removeStore();
        std::optional<RegistryValue> layer;
        if (c.layers != nullptr) layer.emplace(HKEY_CURRENT_USER, kLayers, game + L"\\one.exe", REG_SZ, c.layers, SizeOf(c.layers));
        Recorder recorder;
        EXPECT_EQ(RunHandler([&] { Restore(fields, backup.Path()); }), c.storeMade);
        EXPECT_THAT(recorder.messages, c.messages);
        EXPECT_EQ(FolderExists(store), c.storeMade);
        EXPECT_EQ(ListFolder(store), c.stored);
        EXPECT_EQ(ReadBytes(store + L"\\save04"), c.storeMade ? "backup04" : "<missing>");
        EXPECT_THAT(ListFolder(backup.Path()), ElementsAre(L"save04"));
    }
    removeStore();
}
