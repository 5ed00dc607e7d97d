// A protected game folder's slots are in the user's virtual store where the game saved them.
#include <shlobj.h>

#include <numeric>

#include "saves/commands.h"
#include "tests/test_support.h"

static std::wstring SystemFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    return SHGetFolderPathW(nullptr, csidl, nullptr, 0, path), path;
}

static std::wstring StoreFor(const std::wstring& gameFolder)
{
    std::wstring store = SystemFolder(CSIDL_LOCAL_APPDATA) + L"\\VirtualStore" + gameFolder.substr(2);
    return SHCreateDirectoryExW(nullptr, store.c_str(), nullptr), store;
}

static std::string Read(const std::wstring& folder, std::initializer_list<const wchar_t*> slots)
{
    return std::accumulate(slots.begin(), slots.end(), std::string(), [&](std::string all, auto slot) { return all + ReadBytes(folder + L"\\" + slot); });
}

TEST(GameView, BackUpAndRestoreUseTheVirtualStoreOfAProtectedGameFolderOnly)
{
    const std::wstring programFiles = SystemFolder(CSIDL_PROGRAM_FILESX86);
    TestFolder game{programFiles, L"nadeshiro game "}, backups, beside{programFiles.substr(0, 3), programFiles.substr(3) + L" nadeshiro "};
    const std::wstring store = StoreFor(game.Path()), decoy = StoreFor(beside.Path());
    Recorder recorder;
    MainFields fields; fields.GameFolder = game.Path();
    for (const wchar_t* slot : {L"save00", L"save01", L"save05"}) WriteBytes(game / slot, "game" + Utf8(slot + 4));
    WriteBytes(store + L"\\save01", "store01");
    WriteBytes(store + L"\\save07", "store07");
    ASSERT_TRUE(RunHandler([&] { BackUp(fields, backups.Path(), L"mixed"); }));  // each slot from the store where it is there
    EXPECT_EQ(ListFolder(backups / L"mixed"), (Names{L"save00", L"save01", L"save05", L"save07"}));
    EXPECT_EQ(Read(backups / L"mixed", {L"save00", L"save01", L"save05", L"save07"}), "game00store01game05store07");
    WriteBytes(backups / L"save01", "backup01");
    WriteBytes(backups / L"save03", "backup03");
    ASSERT_TRUE(RunHandler([&] { Restore(fields, backups.Path()); }));  // into the store, never into the game folder
    EXPECT_EQ(ListFolder(store), (Names{L"save01", L"save03", L"save07"}));
    EXPECT_EQ(Read(store, {L"save01", L"save03", L"save07"}) + Read(game.Path(), {L"save01"}), "backup01backup03store07game01");
    EXPECT_EQ(ListFolder(game.Path()), (Names{L"save00", L"save01", L"save05"}));
    WriteBytes(decoy + L"\\save01", "decoy01");  // not protected: nothing redirected, no store looked at
    WriteBytes(beside / L"save01", "own01");
    fields.GameFolder = beside.Path();
    ASSERT_TRUE(RunHandler([&] { BackUp(fields, backups.Path(), L"beside"); }));
    EXPECT_EQ(Read(backups / L"beside", {L"save01"}), "own01");
    EXPECT_TRUE(recorder.messages.empty());
    RemoveTree(store);
    RemoveTree(decoy);
}

// scripts/test.sh links a read-only file system's folder here: the restore makes the store.
TEST(ReadOnlyGameFolder, RestoreMakesTheVirtualStoreAndWritesThere)
{
    std::wstring game = SystemFolder(CSIDL_PROGRAM_FILESX86) + L"\\nadeshiro read-only game";
    if (!FolderExists(game)) GTEST_SKIP() << "no read-only game folder: run the tests through scripts/test.sh as root";
    std::wstring store = StoreFor(game);
    RemoveTree(store);
    for (std::wstring parent = store; parent.size() > 3; RemoveDirectoryW(parent.c_str())) parent.resize(parent.find_last_of(L'\\'));
    TestFolder backup;
    WriteBytes(backup / L"save04", "backup04");
    Recorder recorder;
    MainFields fields; fields.GameFolder = game;
    ASSERT_TRUE(RunHandler([&] { Restore(fields, backup.Path()); }));
    EXPECT_EQ(ListFolder(store), (Names{L"save04"}));
    EXPECT_EQ(ListFolder(game), (Names{L"save02"}));
    EXPECT_TRUE(Read(store, {L"save04"}) == "backup04" && recorder.messages.empty());
    RemoveTree(store);
}
