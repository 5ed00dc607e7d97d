// The back-up and restore commands and their slot copy over real folders: which files make the
// slot set, the names a user may type (hostile ones included), and the files that must not
// be replaced. What a copy stopped by a failing step leaves is the fault test's.

#include "saves/commands.h"
#include "saves/slot_set.h"
#include "tests/test_support.h"

namespace {

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
    bool Copy()
    {
        recorder.messages.clear();
        return RunHandler([&] { CopySlotSet(fields, game.Path(), backups.Path()); });
    }
};

// save10 is copied and save010 is not: the "0" goes only before one-digit slot numbers.
TEST_F(CommandTest, OnlyTheThirtySlotNamesAreCopiedWithTheirAttributesAndOthersLeftAlone)
{
    const std::pair<const wchar_t*, DWORD> files[] = {{L"save03", FILE_ATTRIBUTE_HIDDEN}, {L"save17", FILE_ATTRIBUTE_SYSTEM},
        {L"save10", FILE_ATTRIBUTE_READONLY}, {L"save3", 0}, {L"save30", 0}, {L"save010", 0}, {L"save00.bak", 0}};
    for (const auto& [name, attributes] : files) {
        WriteBytes(game / name, SlotContent(name));
        if (attributes != 0) SetFileAttributesW((game / name).c_str(), attributes);
    }
    WriteBytes(backups / L"save05", "mine05");
    WriteBytes(backups / L"save03", "old03-longer-than-the-new-one");
    ASSERT_TRUE(Copy());
    EXPECT_EQ(ListFolder(backups.Path()), (Names{L"save00", L"save03", L"save05", L"save10", L"save12", L"save17"}));
    EXPECT_EQ(ReadBytes(backups / L"save03") + ReadBytes(backups / L"save05"), SlotContent(L"save03") + "mine05");
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(GetFileAttributesW((backups / files[i].first).c_str()) & files[i].second);
    EXPECT_TRUE(recorder.messages.empty());
}

// A read-only slot file, a slot file another program holds open on either side (unreadable
// 72, unwritable 70), and a folder in a slot's place on either side: the slot is reported by
// its path and nothing is replaced.
TEST_F(CommandTest, DestinationsThatMustNotBeReplacedAreReportedAndKept)
{
    WriteBytes(backups / L"save00", "old00");
    SetFileAttributesW((backups / L"save00").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(Copy());
    EXPECT_TRUE(recorder.Reported(L"'75'") && recorder.Reported(backups / L"save00"));
    SetFileAttributesW((backups / L"save00").c_str(), FILE_ATTRIBUTE_NORMAL);
    const std::pair<std::wstring, std::wstring> held[] = {
        {game / L"save00", L"'72':\r\n\r\n読み込みできません。ほかのプログラムが使っています。\r\n\r\n" + game / L"save00"},
        {backups / L"save00", L"'70'"}};
    for (const auto& [path, report] : held) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_FALSE(Copy());
        CloseHandle(file);
        EXPECT_TRUE(recorder.Reported(report) && recorder.Reported(path)) << Utf8(path);
    }
    EXPECT_EQ(ReadBytes(backups / L"save00"), "old00");
    CreateDirectoryW((backups / L"save12").c_str(), nullptr);
    DeleteFileW((game / L"save00").c_str());
    CreateDirectoryW((game / L"save00").c_str(), nullptr);
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(Copy());
        EXPECT_TRUE(recorder.Reported(L"'75'"));
        RemoveDirectoryW((game / L"save00").c_str());
    }
    EXPECT_TRUE(FolderExists(backups / L"save12"));
    EXPECT_TRUE(TemporaryFilesIn(backups.Path()).empty());
}

TEST_F(CommandTest, BackUpMakesTheFolderUnderAnyNameWindowsTakesAndRefusesTheOthers)
{
    CreateDirectoryW((backups / L"2026").c_str(), nullptr);
    for (const wchar_t* name : {L"세이브 😀", L"2026\\december"}) {  // outside code page 932; in an existing folder
        ASSERT_TRUE(BackUpAs(name));
        EXPECT_EQ(ListFolder(backups / name), (Names{L"save00", L"save12"}));
    }
    EXPECT_EQ(made, (Names{backups / L"세이브 😀", backups / L"2026\\december"}));
    EXPECT_FALSE(BackUpAs(L"1999\\march"));
    EXPECT_TRUE(recorder.Reported(L"'76'"));
    // Names that exist, or match something as wildcards, are refused with the message.
    WriteBytes(backups / L"a file", "x");
    for (const wchar_t* name : {L"", L"2026", L"a file", L"a *", L"202?"}) {
        EXPECT_TRUE(BackUpAs(name));
        EXPECT_TRUE(recorder.Said(L"同じフォルダ名があるの、違う名前にしてね", 0)) << Utf8(name);
        EXPECT_EQ(Module1::WorkPath, backups.Path() + L"\\" + name);
    }
    // Hostile names are reported. Windows would make "dots" for "dots..." and then the slot
    // copies into "dots..." would fail.
    for (const std::wstring& name : {std::wstring(L"a<b"), std::wstring(L"a:b"), std::wstring(L"a|b"), std::wstring(L"no*match"),
                                     std::wstring(L"a\"b"), std::wstring(L"tab\there"), std::wstring(300, L'長'),
                                     std::wstring(L"dots..."), std::wstring(L"space "), std::wstring(L"inner. \\x")}) {
        EXPECT_FALSE(BackUpAs(name)) << Utf8(name);
        EXPECT_TRUE(recorder.Reported()) << Utf8(name);
    }
    EXPECT_EQ(ListFolder(backups.Path()), (Names{L"2026", L"a file", L"세이브 😀"}));
    EXPECT_EQ(made.size(), 2u);
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
    EXPECT_EQ(ReadBytes(L"R:\\root backup\\save05"), "root05");
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
