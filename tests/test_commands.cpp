// The slot copy over real folders; what a failing step leaves is the fault test's.
#include "saves/commands.h"
#include "saves/slot_set.h"
#include "tests/test_support.h"

struct CommandTest : ::testing::Test {
    TestFolder game, backups;
    MainFields fields;
    Recorder recorder;
    void SetUp() override
    {
        fields.GameFolder = game.Path();
        for (const wchar_t* name : {L"save00", L"save12", L"one.exe"}) WriteBytes(game / name, SlotContent(name));
    }
    bool Run(const std::function<void()>& command) { return recorder.messages.clear(), RunHandler(command); }
    bool Copy() { return Run([&] { CopySlotSet(fields, game.Path(), backups.Path()); }); }
    bool BackUpAs(const std::wstring& name, bool made) { return Run([&] { EXPECT_EQ(BackUp(fields, backups.Path(), name), made); }); }
};

TEST_F(CommandTest, OnlyTheThirtySlotNamesAreCopiedWithTheirAttributes)  // save10, not save010; absent ones kept
{
    for (const wchar_t* name : {L"save03", L"save17", L"save10", L"save3", L"save30", L"save010", L"save00.bak"}) WriteBytes(game / name, SlotContent(name));
    SetFileAttributesW((game / L"save10").c_str(), FILE_ATTRIBUTE_READONLY);
    WriteBytes(backups / L"save05", "mine05");
    WriteBytes(backups / L"save03", "old03-longer-than-the-new-one");
    ASSERT_TRUE(Copy());
    EXPECT_EQ(ListFolder(backups.Path()), (Names{L"save00", L"save03", L"save05", L"save10", L"save12", L"save17"}));
    EXPECT_EQ(ReadBytes(backups / L"save03") + ReadBytes(backups / L"save05"), SlotContent(L"save03") + "mine05");
    EXPECT_TRUE((GetFileAttributesW((backups / L"save10").c_str()) & FILE_ATTRIBUTE_READONLY) && recorder.messages.empty());
}

TEST_F(CommandTest, DestinationsThatMustNotBeReplacedAreReportedAndKept)
{
    WriteBytes(backups / L"save00", "old00");
    SetFileAttributesW((backups / L"save00").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(!Copy() && recorder.Reported(L"'75'") && recorder.Reported(backups / L"save00"));
    SetFileAttributesW((backups / L"save00").c_str(), FILE_ATTRIBUTE_NORMAL);
    const std::pair<std::wstring, std::wstring> held[] = {
        {game / L"save00", L"'72':\r\n\r\n読み込みできません。ほかのプログラムが使っています。\r\n\r\n" + game / L"save00"}, {backups / L"save00", L"'70'"}};
    for (const auto& [path, report] : held) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_FALSE(Copy());
        CloseHandle(file);
        EXPECT_TRUE(recorder.Reported(report) && recorder.Reported(path)) << Utf8(path);
    }
    EXPECT_TRUE(ReadBytes(backups / L"save00") == "old00" && TemporaryFilesIn(backups.Path()).empty());
}

TEST_F(CommandTest, BackUpTakesAnyNameWindowsTakesAndRefusesTheOthers)
{
    CreateDirectoryW((backups / L"2026").c_str(), nullptr);
    for (const wchar_t* name : {L"세이브 😀", L"2026\\december"}) {  // outside code page 932; in an existing folder
        ASSERT_TRUE(BackUpAs(name, true));
        EXPECT_EQ(ListFolder(Module1::WorkPath), (Names{L"save00", L"save12"}));
    }
    EXPECT_TRUE(!BackUpAs(L"1999\\march", false) && recorder.Reported(L"'76'"));
    WriteBytes(backups / L"a file", "x");
    for (const wchar_t* name : {L"", L"2026", L"a file", L"a *", L"202?"})  // existing, or matching as wildcards
        EXPECT_TRUE(BackUpAs(name, false) && recorder.Said(L"同じフォルダ名があるの、違う名前にしてね", 0)) << Utf8(name);
    // Windows would make "dots" for "dots..."; the slot copies into "dots..." would then fail.
    for (const std::wstring& name : std::vector<std::wstring>{L"a<b", L"a:b", L"a|b", L"no*match", L"a\"b", L"tab\there",
                                                               std::wstring(300, L'長'), L"dots...", L"space ", L"inner. \\x"})
        EXPECT_TRUE(!BackUpAs(name, false) && recorder.Reported()) << Utf8(name);
    EXPECT_EQ(ListFolder(backups.Path()), (Names{L"2026", L"a file", L"세이브 😀"}));
}
