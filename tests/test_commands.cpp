// The back-up and restore commands end to end over real folders, with the names a user
// may type, hostile ones included.
#include <gtest/gtest.h>

#include "app/handler.h"
#include "app/state.h"
#include "saves/commands.h"
#include "tests/test_support.h"

using namespace nadeshiro;
using namespace nadeshiro::test;

namespace {

struct CommandTest : ::testing::Test {
    TestFolder game;
    TestFolder backups;
    MainFields fields;
    Recorder recorder;
    std::vector<std::wstring> memoRequests;

    void SetUp() override
    {
        fields.GameFolder = game.Path();
        WriteBytes(game / L"save00", SlotContent(L"game00"));
        WriteBytes(game / L"save12", SlotContent(L"game12"));
        WriteBytes(game / L"one.exe", "not copied");
    }

    bool BackUpAs(const std::wstring& name, const std::wstring& parent = std::wstring())
    {
        return RunHandler([&] {
            BackUp(fields, parent.empty() ? backups.Path() : parent, name,
                   [&](const std::wstring& folder) { memoRequests.push_back(folder); });
        });
    }

    bool Refused() const
    {
        return recorder.messages.size() == 1 && recorder.messages[0].prompt == kNameTakenMessage &&
               recorder.messages[0].style == 0 && recorder.messages[0].title == L"あのね";
    }
    bool ErrorReported() const { return recorder.messages.size() == 1 && recorder.messages[0].style == 16; }
};

TEST_F(CommandTest, BackUpMakesTheFolderCopiesTheSlotsAndAsksForTheMemo)
{
    ASSERT_TRUE(BackUpAs(L"第一章の前"));
    std::wstring made = backups / L"第一章の前";
    EXPECT_EQ(Module1::WorkPath, made);
    EXPECT_EQ(ListFolder(made), (std::vector<std::wstring>{L"save00", L"save12"}));
    EXPECT_EQ(ReadBytes(made + L"\\save12"), SlotContent(L"game12"));
    EXPECT_EQ(memoRequests, std::vector<std::wstring>{made});
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(CommandTest, BackUpOfAGameWithoutSlotsMakesAnEmptyFolder)
{
    DeleteFileW((game / L"save00").c_str());
    DeleteFileW((game / L"save12").c_str());
    ASSERT_TRUE(BackUpAs(L"empty"));
    EXPECT_TRUE(FolderExists(backups / L"empty"));
    EXPECT_TRUE(ListFolder(backups / L"empty").empty());
    EXPECT_EQ(memoRequests.size(), 1u);
}

TEST_F(CommandTest, NamesThatExistAreRefusedWithTheMessage)
{
    CreateDirectoryW((backups / L"taken").c_str(), nullptr);
    WriteBytes(backups / L"a file", "x");
    WriteBytes(backups / L"wild-match", "x");
    for (const wchar_t* name : {L"", L"taken", L"a file", L"wild-*", L"wild-matc?"}) {
        recorder.messages.clear();
        EXPECT_TRUE(BackUpAs(name));
        EXPECT_TRUE(Refused()) << Utf8(name);
        EXPECT_EQ(Module1::WorkPath, backups.Path() + L"\\" + name);
    }
    EXPECT_TRUE(memoRequests.empty());
    EXPECT_EQ(ListFolder(backups.Path()), (std::vector<std::wstring>{L"a file", L"taken", L"wild-match"}));
}

TEST_F(CommandTest, NameWithASeparatorMakesAFolderInsideAnExistingOne)
{
    CreateDirectoryW((backups / L"2026").c_str(), nullptr);
    ASSERT_TRUE(BackUpAs(L"2026\\december"));
    EXPECT_EQ(ListFolder(backups / L"2026\\december"), (std::vector<std::wstring>{L"save00", L"save12"}));

    EXPECT_FALSE(BackUpAs(L"1999\\march"));
    EXPECT_TRUE(ErrorReported());
    EXPECT_NE(recorder.messages[0].prompt.find(L"'76'"), std::wstring::npos);
    EXPECT_FALSE(FolderExists(backups / L"1999"));
    EXPECT_EQ(memoRequests.size(), 1u);
}

TEST_F(CommandTest, HostileNamesGetAMessageOrAReportAndNothingElse)
{
    std::wstring longName(300, L'長');
    for (const std::wstring& name : {std::wstring(L"a<b"), std::wstring(L"a:b"), std::wstring(L"a|b"),
                                     std::wstring(L"wild*none"), std::wstring(L"q?none"), std::wstring(L"a\"b"),
                                     std::wstring(L"tab\there"), longName}) {
        recorder.messages.clear();
        EXPECT_FALSE(BackUpAs(name)) << Utf8(name);
        EXPECT_TRUE(ErrorReported()) << Utf8(name);
    }
    EXPECT_TRUE(ListFolder(backups.Path()).empty());
    EXPECT_TRUE(memoRequests.empty());
}

TEST_F(CommandTest, NamesOutsideCodePage932WorkAsFolderNames)
{
    ASSERT_TRUE(BackUpAs(L"세이브 😀 ñ"));
    EXPECT_EQ(ListFolder(backups / L"세이브 😀 ñ").size(), 2u);
}

TEST_F(CommandTest, TrailingDotsAndSpacesAreRefusedBeforeAnythingIsMade)
{
    // Windows would make "dots" for "dots..." and the slot copies into "dots..." would fail.
    for (const wchar_t* name : {L"dots...", L"space ", L"inner. \\x"}) {
        recorder.messages.clear();
        EXPECT_FALSE(BackUpAs(name)) << Utf8(name);
        EXPECT_TRUE(ErrorReported()) << Utf8(name);
        EXPECT_NE(recorder.messages[0].prompt.find(L"'52'"), std::wstring::npos);
    }
    EXPECT_TRUE(ListFolder(backups.Path()).empty());
    EXPECT_TRUE(memoRequests.empty());
}

TEST_F(CommandTest, RestoreCopiesTheOpenFolderIntoTheGameFolder)
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
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_TRUE(TemporaryFilesIn(game.Path()).empty());
}

TEST_F(CommandTest, RestoreFromTheGameFolderItselfChangesNothing)
{
    ASSERT_TRUE(RunHandler([&] { Restore(fields, game.Path()); }));
    EXPECT_EQ(ReadBytes(game / L"save00"), SlotContent(L"game00"));
    EXPECT_EQ(ReadBytes(game / L"save12"), SlotContent(L"game12"));
    EXPECT_EQ(ListFolder(game.Path()), (std::vector<std::wstring>{L"one.exe", L"save00", L"save12"}));
}

TEST_F(CommandTest, RestoreOntoAReadOnlyGameSlotStopsThereAndKeepsIt)
{
    TestFolder backup;
    WriteBytes(backup / L"save00", "restored00");
    WriteBytes(backup / L"save12", "restored12");
    WriteBytes(backup / L"save20", "restored20");
    SetFileAttributesW((game / L"save12").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(RunHandler([&] { Restore(fields, backup.Path()); }));
    EXPECT_TRUE(ErrorReported());
    EXPECT_EQ(ReadBytes(game / L"save00"), "restored00");
    EXPECT_EQ(ReadBytes(game / L"save12"), SlotContent(L"game12"));
    EXPECT_FALSE(FileExists(game / L"save20"));
    SetFileAttributesW((game / L"save12").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A drive's root as game folder and as parent: every path gets a doubled separator.
TEST(DriveRoot, BackUpAndRestoreWithDoubledSeparators)
{
    if (GetDriveTypeW(L"R:\\") <= DRIVE_NO_ROOT_DIR) GTEST_SKIP() << "drive R: is not mapped for the tests";
    Recorder recorder;
    RemoveTree(L"R:\\root backup");
    for (const auto& name : ListFolder(L"R:")) DeleteFileW((L"R:\\" + name).c_str());
    WriteBytes(L"R:\\save05", "root05");
    MainFields fields;
    fields.GameFolder = L"R:\\";
    std::vector<std::wstring> memo;
    ASSERT_TRUE(RunHandler([&] { BackUp(fields, L"R:\\", L"root backup", [&](const std::wstring& f) { memo.push_back(f); }); }));
    EXPECT_EQ(Module1::WorkPath, L"R:\\\\root backup");
    EXPECT_EQ(ReadBytes(L"R:\\root backup\\save05"), "root05");
    EXPECT_EQ(fields.SourcePath, L"R:\\\\save05");

    WriteBytes(L"R:\\root backup\\save05", "changed05");
    ASSERT_TRUE(RunHandler([&] { Restore(fields, L"R:\\root backup"); }));
    EXPECT_EQ(ReadBytes(L"R:\\save05"), "changed05");
    EXPECT_TRUE(recorder.messages.empty());

    // An empty name below a drive's root: the root lists no "." entry, but has entries.
    recorder.messages.clear();
    ASSERT_TRUE(RunHandler([&] { BackUp(fields, L"R:\\", L"", nullptr); }));
    EXPECT_EQ(recorder.messages.size(), 1u);
    RemoveTree(L"R:\\root backup");
    DeleteFileW(L"R:\\save05");
}

}  // namespace
