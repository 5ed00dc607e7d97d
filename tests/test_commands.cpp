// The back-up and restore commands over real folders, with the names a user may type,
// hostile ones included.

#include "saves/commands.h"
#include "tests/test_support.h"

namespace {

using Names = std::vector<std::wstring>;

struct CommandTest : ::testing::Test {
    TestFolder game, backups;
    MainFields fields;
    Recorder recorder;
    Names made;  // the back-ups made, each of which opens the memo window

    void SetUp() override
    {
        fields.GameFolder = game.Path();
        WriteBytes(game / L"save00", SlotContent(L"game00"));
        WriteBytes(game / L"save12", SlotContent(L"game12"));
        WriteBytes(game / L"one.exe", "not copied");
    }
    bool BackUpAs(const std::wstring& name)
    {
        recorder.messages.clear();
        return RunHandler([&] {
            if (BackUp(fields, backups.Path(), name)) made.push_back(Module1::WorkPath);
        });
    }
};

TEST_F(CommandTest, BackUpMakesTheFolderUnderAnyNameWindowsTakes)
{
    ASSERT_TRUE(BackUpAs(L"세이브 😀"));  // names outside code page 932 are fine as folder names
    EXPECT_EQ(ListFolder(backups / L"세이브 😀"), (Names{L"save00", L"save12"}));
    CreateDirectoryW((backups / L"2026").c_str(), nullptr);
    ASSERT_TRUE(BackUpAs(L"2026\\december"));  // inside an existing folder
    EXPECT_EQ(ListFolder(backups / L"2026\\december"), (Names{L"save00", L"save12"}));
    EXPECT_EQ(made, (Names{backups / L"세이브 😀", backups / L"2026\\december"}));
    EXPECT_FALSE(BackUpAs(L"1999\\march"));
    EXPECT_TRUE(recorder.Reported(L"'76'"));
    EXPECT_FALSE(FolderExists(backups / L"1999"));
}

TEST_F(CommandTest, NamesThatExistAreRefusedWithTheMessage)
{
    CreateDirectoryW((backups / L"taken").c_str(), nullptr);
    WriteBytes(backups / L"a file", "x");
    for (const wchar_t* name : {L"", L"taken", L"a file", L"a *", L"take?"}) {
        EXPECT_TRUE(BackUpAs(name));
        EXPECT_TRUE(recorder.Said(L"同じフォルダ名があるの、違う名前にしてね", 0)) << Utf8(name);
        EXPECT_EQ(Module1::WorkPath, backups.Path() + L"\\" + name);
    }
    EXPECT_TRUE(made.empty());
    EXPECT_EQ(ListFolder(backups.Path()), (Names{L"a file", L"taken"}));
}

TEST_F(CommandTest, HostileNamesAreReportedAndNothingIsMade)
{
    // Windows would make "dots" for "dots..." and then the slot copies into "dots..." fail.
    for (const std::wstring& name : {std::wstring(L"a<b"), std::wstring(L"a:b"), std::wstring(L"a|b"), std::wstring(L"no*match"),
                                     std::wstring(L"a\"b"), std::wstring(L"tab\there"), std::wstring(300, L'長'),
                                     std::wstring(L"dots..."), std::wstring(L"space "), std::wstring(L"inner. \\x")}) {
        EXPECT_FALSE(BackUpAs(name)) << Utf8(name);
        EXPECT_TRUE(recorder.Reported()) << Utf8(name);
    }
    EXPECT_TRUE(ListFolder(backups.Path()).empty());
    EXPECT_TRUE(made.empty());
}

// From the game folder itself: every slot file is its own copy and stays whole.
TEST_F(CommandTest, RestoreFromTheGameFolderItselfKeepsEverySlot)
{
    WriteBytes(game / L"save12", SlotContent(L"big", 300000));
    SetFileAttributesW((game / L"save00").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(RunHandler([&] { Restore(fields, game.Path()); }));
    EXPECT_EQ(Module1::WorkPath, game.Path());
    EXPECT_EQ(ReadBytes(game / L"save12"), SlotContent(L"big", 300000));
    EXPECT_EQ(ListFolder(game.Path()), (Names{L"one.exe", L"save00", L"save12"}));
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(CommandTest, ASlotHeldByAnotherProgramIsReportedAsUnreadableByName)
{
    HANDLE held = CreateFileW((game / L"save12").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(BackUpAs(L"held"));
    CloseHandle(held);
    EXPECT_TRUE(recorder.Reported(L"'72':\r\n\r\n読み込みできません。ほかのプログラムが使っています。\r\n\r\n" + game / L"save12"));
    EXPECT_EQ(ListFolder(backups / L"held"), (Names{L"save00"}));
}

// A drive's root as game folder and as parent: every path gets a doubled separator.
TEST(DriveRoot, BackUpAndRestoreWithDoubledSeparators)
{
    if (GetDriveTypeW(L"R:\\") <= DRIVE_NO_ROOT_DIR) GTEST_SKIP() << "drive R: is not mapped for the tests";
    Recorder recorder;
    RemoveTree(L"R:\\root backup");
    WriteBytes(L"R:\\save05", "root05");
    MainFields fields;
    fields.GameFolder = L"R:\\";
    ASSERT_TRUE(RunHandler([&] { BackUp(fields, L"R:\\", L"root backup"); }));
    EXPECT_EQ(Module1::WorkPath, L"R:\\\\root backup");
    EXPECT_EQ(fields.SourcePath, L"R:\\\\save05");
    WriteBytes(L"R:\\root backup\\save05", "changed05");
    ASSERT_TRUE(RunHandler([&] { Restore(fields, L"R:\\root backup"); }));
    EXPECT_EQ(ReadBytes(L"R:\\save05"), "changed05");
    EXPECT_TRUE(recorder.messages.empty());
    // An empty name: the root lists no "." entry, but its other entries.
    ASSERT_TRUE(RunHandler([&] { BackUp(fields, L"R:\\", L""); }));
    EXPECT_EQ(recorder.messages.size(), 1u);
    RemoveTree(L"R:\\root backup");
    DeleteFileW(L"R:\\save05");
}

}  // namespace
