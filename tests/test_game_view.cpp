// The game's own view of its slot files: a game folder under a protected folder has its
// slots in the user's virtual store where the game saved them, and a restore writes them
// there. Under Wine the game folder is made under the prefix's program files folder and the
// virtual store under its local application data folder, both as the system names them.

#include <shlobj.h>

#include <memory>

#include "app/virtual_store.h"
#include "saves/commands.h"
#include "tests/test_support.h"

namespace {

using Names = std::vector<std::wstring>;

std::wstring KnownFolder(const KNOWNFOLDERID& id)
{
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) result = path;
    CoTaskMemFree(path);
    return result;
}

// The folder Windows redirects the game's writes in gameFolder ("C:\...") to.
std::wstring VirtualStoreFor(const std::wstring& gameFolder)
{
    return KnownFolder(FOLDERID_LocalAppData) + L"\\VirtualStore" + gameFolder.substr(2);
}

void MakeFolders(const std::wstring& path)
{
    size_t cut = path.find_last_of(L'\\');
    if (cut > 2 && !FolderExists(path.substr(0, cut))) MakeFolders(path.substr(0, cut));
    CreateDirectoryW(path.c_str(), nullptr);
}

struct GameViewTest : ::testing::Test {
    std::wstring programFiles = KnownFolder(FOLDERID_ProgramFilesX86);
    std::unique_ptr<TestFolder> game;
    std::wstring store;
    TestFolder backups;
    MainFields fields;
    Recorder recorder;

    void SetUp() override
    {
        ASSERT_FALSE(programFiles.empty());
        game = std::make_unique<TestFolder>(programFiles, L"nadeshiro game ");
        store = VirtualStoreFor(game->Path());
        fields.GameFolder = game->Path();
        WriteBytes(*game / L"save00", "game00");
        WriteBytes(*game / L"save01", "game01");
        WriteBytes(*game / L"save05", "game05");
    }
    void TearDown() override { RemoveTree(store); }
    void MakeStore()
    {
        MakeFolders(store);
        WriteBytes(store + L"\\save01", "store01");
        WriteBytes(store + L"\\save07", "store07");
    }
    std::string Read(const std::wstring& folder, const wchar_t* slot) { return ReadBytes(folder + L"\\" + slot); }
};

TEST_F(GameViewTest, BackUpTakesEachSlotFromTheVirtualStoreWhereItIsThereElseFromTheGameFolder)
{
    MakeStore();
    std::wstring upper = game->Path();
    CharUpperW(upper.data());
    for (const std::wstring& gameFolder : {game->Path(), upper}) {  // the protected folders match in any case
        fields.GameFolder = gameFolder;
        std::wstring name = gameFolder == upper ? L"upper" : L"as is";
        ASSERT_TRUE(RunHandler([&] { BackUp(fields, backups.Path(), name); }));
        std::wstring made = backups / name;
        EXPECT_EQ(ListFolder(made), (Names{L"save00", L"save01", L"save05", L"save07"}));
        EXPECT_EQ(Read(made, L"save00") + Read(made, L"save01") + Read(made, L"save05") + Read(made, L"save07"),
                  "game00store01game05store07");
        EXPECT_EQ(fields.GameFolder, gameFolder);
    }
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(GameViewTest, RestoreWritesIntoTheExistingVirtualStoreAndNeverIntoTheGameFolder)
{
    MakeStore();
    WriteBytes(backups / L"save01", "backup01");
    WriteBytes(backups / L"save03", "backup03");
    ASSERT_TRUE(RunHandler([&] { Restore(fields, backups.Path()); }));
    EXPECT_EQ(ListFolder(store), (Names{L"save01", L"save03", L"save07"}));
    EXPECT_EQ(Read(store, L"save01") + Read(store, L"save03") + Read(store, L"save07"), "backup01backup03store07");
    EXPECT_EQ(ListFolder(game->Path()), (Names{L"save00", L"save01", L"save05"}));
    EXPECT_EQ(Read(game->Path(), L"save01"), "game01");
    // The game folder itself, opened as the back-up: what the game reads stays as it was.
    ASSERT_TRUE(RunHandler([&] { Restore(fields, game->Path()); }));
    EXPECT_EQ(Read(store, L"save01") + Read(store, L"save00") + Read(store, L"save05"), "backup01game00game05");
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(GameViewTest, WithoutAVirtualStoreAGameFolderThatCanBeWrittenIsWrittenAsBefore)
{
    WriteBytes(backups / L"save01", "backup01");
    ASSERT_TRUE(RunHandler([&] { Restore(fields, backups.Path()); }));
    EXPECT_EQ(Read(game->Path(), L"save01"), "backup01");
    EXPECT_FALSE(FolderExists(store));
    ASSERT_TRUE(RunHandler([&] { BackUp(fields, backups.Path(), L"b"); }));
    EXPECT_EQ(ListFolder(backups / L"b"), (Names{L"save00", L"save01", L"save05"}));
    EXPECT_TRUE(TemporaryFilesIn(game->Path()).empty());
}

// A game folder outside the protected folders is redirected by nobody: a folder where its
// virtual store would be is not looked at, even beside a protected folder's name.
TEST_F(GameViewTest, AGameFolderOutsideTheProtectedFoldersHasNoVirtualStore)
{
    TestFolder temporary;
    TestFolder beside(programFiles.substr(0, 3), programFiles.substr(3) + L" nadeshiro ");  // "C:\Program Files (x86) nadeshiro ..."
    for (const TestFolder* outside : {&temporary, &beside}) {
        std::wstring decoy = VirtualStoreFor(outside->Path());
        MakeFolders(decoy);
        WriteBytes(decoy + L"\\save01", "decoy01");
        WriteBytes(outside->Path() + L"\\save01", "own01");
        fields.GameFolder = outside->Path();
        EXPECT_EQ(platform::VirtualStoreOf(outside->Path()), L"");
        std::wstring name = outside == &temporary ? L"temporary" : L"beside";
        ASSERT_TRUE(RunHandler([&] { BackUp(fields, backups.Path(), name); }));
        EXPECT_EQ(Read(backups / name, L"save01"), "own01");
        WriteBytes(backups / name + L"\\save01", "restored01");
        ASSERT_TRUE(RunHandler([&] { Restore(fields, backups / name); }));
        EXPECT_EQ(Read(outside->Path(), L"save01"), "restored01");
        EXPECT_EQ(ListFolder(decoy), (Names{L"save01"}));
        EXPECT_EQ(Read(decoy, L"save01"), "decoy01");
        RemoveTree(decoy);
    }
    EXPECT_EQ(platform::VirtualStoreOf(game->Path()), store);
}

// A game folder the player cannot write to: the restore makes the virtual store, as the
// game's first save would. Under Wine as root every folder can be written, so the test
// script links a folder of a read-only file system into the program files folder under this
// name (scripts/wine-prefix.sh, with NADESHIRO_READONLY_GAME).
TEST(ReadOnlyGameFolder, RestoreMakesTheVirtualStoreAndWritesThere)
{
    std::wstring game = KnownFolder(FOLDERID_ProgramFilesX86) + L"\\nadeshiro read-only game";
    if (!FolderExists(game))
        GTEST_SKIP() << "no read-only game folder under the program files folder: run the tests through "
                        "scripts/test.sh as root (it mounts a read-only file system and links it there)";
    HANDLE probe = CreateFileW((game + L"\\written by the test").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        GTEST_SKIP() << "the game folder the test script linked can be written to";
    }
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
    std::string gameSlot = ReadBytes(game + L"\\save02");
    ASSERT_TRUE(RunHandler([&] { Restore(fields, backup.Path()); }));
    EXPECT_EQ(ListFolder(store), (Names{L"save04"}));
    EXPECT_EQ(ReadBytes(store + L"\\save04"), "backup04");
    EXPECT_EQ(ReadBytes(game + L"\\save02"), gameSlot);
    EXPECT_FALSE(FileExists(game + L"\\save04"));
    // The game's view from now on: its own slot 02, the restored slot 04.
    ASSERT_TRUE(RunHandler([&] { BackUp(fields, backup.Path(), L"again"); }));
    EXPECT_EQ(ListFolder(backup / L"again"), (Names{L"save02", L"save04"}));
    EXPECT_TRUE(recorder.messages.empty());
    RemoveTree(store);
}

}  // namespace
