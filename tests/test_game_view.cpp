// The game's own view of its slot files: a game folder under a protected folder has its slots
// in the user's virtual store where the game saved them, and a restore writes them there.
// Under Wine the game folder is made under the prefix's program files folder and the virtual
// store under its local application data folder, both as the system names them.

#include <shlobj.h>

#include "saves/commands.h"
#include "tests/test_support.h"

namespace {

std::wstring KnownFolder(const KNOWNFOLDERID& id)
{
    PWSTR path = nullptr;
    std::wstring result = SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) ? path : L"";
    CoTaskMemFree(path);
    return result;
}

// The folder Windows redirects the game's writes in gameFolder ("C:\...") to, made when asked.
std::wstring VirtualStoreFor(const std::wstring& gameFolder, bool make = false)
{
    std::wstring store = KnownFolder(FOLDERID_LocalAppData) + L"\\VirtualStore" + gameFolder.substr(2);
    for (size_t cut = store.find(L'\\', 3); make && cut != std::wstring::npos; cut = store.find(L'\\', cut + 1))
        CreateDirectoryW(store.substr(0, cut).c_str(), nullptr);
    if (make) CreateDirectoryW(store.c_str(), nullptr);
    return store;
}

std::string Read(const std::wstring& folder, std::initializer_list<const wchar_t*> slots)
{
    std::string all;
    for (const wchar_t* slot : slots) all += ReadBytes(folder + L"\\" + slot);
    return all;
}

struct GameViewTest : ::testing::Test {
    std::wstring programFiles = KnownFolder(FOLDERID_ProgramFilesX86);
    TestFolder game{programFiles, L"nadeshiro game "}, backups;
    std::wstring store = VirtualStoreFor(game.Path());
    MainFields fields;
    Recorder recorder;

    void SetUp() override
    {
        fields.GameFolder = game.Path();
        for (const wchar_t* slot : {L"save00", L"save01", L"save05"}) WriteBytes(game / slot, "game" + Utf8(slot + 4));
    }
    void TearDown() override { RemoveTree(store); }
    void MakeStore()
    {
        VirtualStoreFor(game.Path(), true);
        WriteBytes(store + L"\\save01", "store01");
        WriteBytes(store + L"\\save07", "store07");
    }
};

TEST_F(GameViewTest, BackUpTakesEachSlotFromTheVirtualStoreWhereItIsThereElseFromTheGameFolder)
{
    MakeStore();
    std::wstring upper = game.Path();
    CharUpperW(upper.data());
    for (const std::wstring& gameFolder : {game.Path(), upper}) {  // the protected folders match in any case
        fields.GameFolder = gameFolder;
        std::wstring name = gameFolder == upper ? L"upper" : L"as is";
        ASSERT_TRUE(RunHandler([&] { BackUp(fields, backups.Path(), name); }));
        EXPECT_EQ(ListFolder(backups / name), (Names{L"save00", L"save01", L"save05", L"save07"}));
        EXPECT_EQ(Read(backups / name, {L"save00", L"save01", L"save05", L"save07"}), "game00store01game05store07");
    }
    EXPECT_TRUE(recorder.messages.empty());
}

// Without a virtual store a game folder that can be written is written as before; with one,
// the restore writes into it and never into the game folder.
TEST_F(GameViewTest, RestoreWritesIntoAnExistingVirtualStoreAndNeverIntoTheGameFolder)
{
    WriteBytes(backups / L"save03", "backup03");
    ASSERT_TRUE(RunHandler([&] { Restore(fields, backups.Path()); }));
    EXPECT_EQ(Read(game.Path(), {L"save03"}), "backup03");
    EXPECT_FALSE(FolderExists(store));
    DeleteFileW((game / L"save03").c_str());

    MakeStore();
    WriteBytes(backups / L"save01", "backup01");
    ASSERT_TRUE(RunHandler([&] { Restore(fields, backups.Path()); }));
    EXPECT_EQ(ListFolder(store), (Names{L"save01", L"save03", L"save07"}));
    EXPECT_EQ(Read(store, {L"save01", L"save03", L"save07"}), "backup01backup03store07");
    EXPECT_EQ(ListFolder(game.Path()), (Names{L"save00", L"save01", L"save05"}));
    EXPECT_EQ(Read(game.Path(), {L"save01"}), "game01");
    // The game folder itself, opened as the back-up: what the game reads stays as it was.
    ASSERT_TRUE(RunHandler([&] { Restore(fields, game.Path()); }));
    EXPECT_EQ(Read(store, {L"save01", L"save00", L"save05"}), "backup01game00game05");
    EXPECT_TRUE(recorder.messages.empty());
}

// A game folder outside the protected folders is redirected by nobody: a folder where its
// virtual store would be is not looked at, even beside a protected folder's name.
TEST_F(GameViewTest, AGameFolderOutsideTheProtectedFoldersHasNoVirtualStore)
{
    TestFolder beside(programFiles.substr(0, 3), programFiles.substr(3) + L" nadeshiro ");  // "C:\Program Files (x86) nadeshiro ..."
    std::wstring decoy = VirtualStoreFor(beside.Path(), true);
    WriteBytes(decoy + L"\\save01", "decoy01");
    WriteBytes(beside / L"save01", "own01");
    fields.GameFolder = beside.Path();
    ASSERT_TRUE(RunHandler([&] { BackUp(fields, backups.Path(), L"beside"); }));
    EXPECT_EQ(Read(backups / L"beside", {L"save01"}), "own01");
    WriteBytes(backups / L"beside\\save01", "restored01");
    ASSERT_TRUE(RunHandler([&] { Restore(fields, backups / L"beside"); }));
    EXPECT_EQ(Read(beside.Path(), {L"save01"}) + Read(decoy, {L"save01"}), "restored01decoy01");
    EXPECT_EQ(ListFolder(decoy), (Names{L"save01"}));
    RemoveTree(decoy);
}

// A game folder the player cannot write to: the restore makes the virtual store, as the
// game's first save would. Under Wine as root every folder can be written, so the test
// script links a folder of a read-only file system into the program files folder under this
// name (scripts/wine-prefix.sh, with NADESHIRO_READONLY_GAME).
TEST(ReadOnlyGameFolder, RestoreMakesTheVirtualStoreAndWritesThere)
{
    std::wstring game = KnownFolder(FOLDERID_ProgramFilesX86) + L"\\nadeshiro read-only game";
    if (!FolderExists(game)) GTEST_SKIP() << "no read-only game folder: run the tests through scripts/test.sh as root";
    HANDLE probe = CreateFileW((game + L"\\written by the test").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_EQ(probe, INVALID_HANDLE_VALUE) << "the game folder the test script linked can be written to";
    std::wstring store = VirtualStoreFor(game);
    RemoveTree(store);
    for (std::wstring parent = store; parent.size() > 3;) {  // its parents too, where nothing else is in them
        parent.resize(parent.find_last_of(L'\\'));
        RemoveDirectoryW(parent.c_str());
    }
    TestFolder backup;
    WriteBytes(backup / L"save04", "backup04");
    Recorder recorder;
    MainFields fields;
    fields.GameFolder = game;
    ASSERT_TRUE(RunHandler([&] { Restore(fields, backup.Path()); }));
    EXPECT_EQ(ListFolder(store), (Names{L"save04"}));
    EXPECT_EQ(Read(store, {L"save04"}), "backup04");
    EXPECT_EQ(ListFolder(game), (Names{L"save02"}));
    // The game's view from now on: its own slot 02, the restored slot 04.
    ASSERT_TRUE(RunHandler([&] { BackUp(fields, backup.Path(), L"again"); }));
    EXPECT_EQ(Read(backup / L"again", {L"save02", L"save04"}), "readonly02backup04");
    EXPECT_TRUE(recorder.messages.empty());
    RemoveTree(store);
}

}  // namespace
