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
    Names memoRequests;

    void SetUp() override
    {
        fields.GameFolder = game.Path();
        WriteBytes(game / L"save00", SlotContent(L"game00"));
        WriteBytes(game / L"save12", SlotContent(L"game12"));
        WriteBytes(game / L"one.exe", "not copied");
    }
    bool BackUpAs(const std::wstring& name, const std::wstring& parent = {})
    {
        recorder.messages.clear();
        return RunHandler([&] {
            BackUp(fields, parent.empty() ? backups.Path() : parent, name,
                   [&](const std::wstring& folder) { memoRequests.push_back(folder); });
        });
    }
};

TEST_F(CommandTest, BackUpMakesTheFolderCopiesTheSlotsAndAsksForTheMemo)
{
    ASSERT_TRUE(BackUpAs(L"第一章の前"));
    ASSERT_TRUE(BackUpAs(L"세이브 😀"));  // names outside code page 932 are fine as folder names
    for (const wchar_t* name : {L"第一章の前", L"세이브 😀"}) {
        EXPECT_EQ(ListFolder(backups / name), (Names{L"save00", L"save12"}));
        EXPECT_EQ(ReadBytes(backups / name + L"\\save12"), SlotContent(L"game12"));
    }
    EXPECT_EQ(Module1::WorkPath, backups / L"세이브 😀");
    EXPECT_EQ(memoRequests, (Names{backups / L"第一章の前", backups / L"세이브 😀"}));
    EXPECT_TRUE(recorder.messages.empty());
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
    EXPECT_TRUE(memoRequests.empty());
    EXPECT_EQ(ListFolder(backups.Path()), (Names{L"a file", L"taken"}));
}

TEST_F(CommandTest, NameWithASeparatorMakesAFolderInsideAnExistingOne)
{
    CreateDirectoryW((backups / L"2026").c_str(), nullptr);
    ASSERT_TRUE(BackUpAs(L"2026\\december"));
    EXPECT_EQ(ListFolder(backups / L"2026\\december"), (Names{L"save00", L"save12"}));
    EXPECT_FALSE(BackUpAs(L"1999\\march"));
    EXPECT_TRUE(recorder.Reported(L"'76'"));
    EXPECT_FALSE(FolderExists(backups / L"1999"));
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
    EXPECT_TRUE(memoRequests.empty());
}

TEST_F(CommandTest, RestoreCopiesTheOpenFoldersSlotsAndKeepsTheOthers)
{
    TestFolder backup;
    WriteBytes(backup / L"save12", "restored12");
    WriteBytes(backup / L"save29", "restored29");
    WriteBytes(game / L"save13", "mine13");
    ASSERT_TRUE(RunHandler([&] { Restore(fields, backup.Path()); }));
    EXPECT_EQ(Module1::WorkPath, backup.Path());
    EXPECT_EQ(ReadBytes(game / L"save00"), SlotContent(L"game00"));
    EXPECT_EQ(ReadBytes(game / L"save12"), "restored12");
    EXPECT_EQ(ReadBytes(game / L"save13"), "mine13");
    EXPECT_EQ(ReadBytes(game / L"save29"), "restored29");
    // From the game folder itself: every file is its own copy and stays whole.
    WriteBytes(game / L"save12", SlotContent(L"big", 300000));
    ASSERT_TRUE(RunHandler([&] { Restore(fields, game.Path()); }));
    EXPECT_EQ(ReadBytes(game / L"save12"), SlotContent(L"big", 300000));
    EXPECT_EQ(ListFolder(game.Path()), (Names{L"one.exe", L"save00", L"save12", L"save13", L"save29"}));
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
    ASSERT_TRUE(RunHandler([&] { BackUp(fields, L"R:\\", L"root backup", nullptr); }));
    EXPECT_EQ(Module1::WorkPath, L"R:\\\\root backup");
    EXPECT_EQ(fields.SourcePath, L"R:\\\\save05");
    WriteBytes(L"R:\\root backup\\save05", "changed05");
    ASSERT_TRUE(RunHandler([&] { Restore(fields, L"R:\\root backup"); }));
    EXPECT_EQ(ReadBytes(L"R:\\save05"), "changed05");
    EXPECT_TRUE(recorder.messages.empty());
    // An empty name: the root lists no "." entry, but its other entries.
    ASSERT_TRUE(RunHandler([&] { BackUp(fields, L"R:\\", L"", nullptr); }));
    EXPECT_EQ(recorder.messages.size(), 1u);
    RemoveTree(L"R:\\root backup");
    DeleteFileW(L"R:\\save05");
}

}  // namespace
