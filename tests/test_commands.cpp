// The slot copy and the commands over real folders; what a failing step leaves is the fault test's.
#include <algorithm>

#include "app/system_calls.h"
#include "memo/memo_file.h"
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

// All thirty slots, save00 to save29, and nothing else of the folder: save10, not save010;
// a slot the source lacks is kept in the destination, a read-only slot stays read-only.
TEST_F(CommandTest, OnlyTheThirtySlotNamesAreCopiedWithTheirAttributes)
{
    for (const wchar_t* name : {L"save03", L"save17", L"save10", L"save29", L"save3", L"save30", L"save010", L"save00.bak"})
        WriteBytes(game / name, SlotContent(name));
    SetFileAttributesW((game / L"save10").c_str(), FILE_ATTRIBUTE_READONLY);
    WriteBytes(backups / L"save05", "mine05");
    WriteBytes(backups / L"save03", "old03-longer-than-the-new-one");
    ASSERT_TRUE(Copy());
    EXPECT_EQ(ListFolder(backups.Path()), (Names{L"save00", L"save03", L"save05", L"save10", L"save12", L"save17", L"save29"}));
    EXPECT_EQ(ReadBytes(backups / L"save03"), SlotContent(L"save03"));
    EXPECT_EQ(ReadBytes(backups / L"save29"), SlotContent(L"save29"));
    EXPECT_EQ(ReadBytes(backups / L"save05"), "mine05");
    EXPECT_EQ(GetFileAttributesW((backups / L"save10").c_str()) & FILE_ATTRIBUTE_READONLY, DWORD(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(recorder.messages.size(), 0u);
}

// A back-up takes the first and the last slot; a restore puts them back over the game's.
TEST_F(CommandTest, BackUpAndRestoreCarryTheFirstAndTheLastSlot)
{
    WriteBytes(game / L"save29", SlotContent(L"game29"));
    ASSERT_TRUE(BackUpAs(L"all", true));
    EXPECT_EQ(ListFolder(backups / L"all"), (Names{L"save00", L"save12", L"save29"}));
    EXPECT_EQ(ReadBytes(backups / L"all\\save29"), SlotContent(L"game29"));
    WriteBytes(backups / L"all\\save00", "restored00");
    WriteBytes(backups / L"all\\save29", "restored29");
    ASSERT_TRUE(Run([&] { Restore(fields, backups / L"all"); }));
    EXPECT_EQ(ReadBytes(game / L"save00"), "restored00");
    EXPECT_EQ(ReadBytes(game / L"save29"), "restored29");
    EXPECT_EQ(recorder.messages.size(), 0u);
}

// A slot another program holds all along, read or replaced, is reported by the slot's path (held
// for a moment, it is tried again: the fault test's); the destination is kept. A read-only one
// is refused as the memo is, in the fault test.
TEST_F(CommandTest, SlotsHeldAllAlongAreReportedAndKept)
{
    WriteBytes(backups / L"save00", "old00");
    const std::pair<std::wstring, std::wstring> held[] = {
        {game / L"save00", L"'72':\r\n\r\n読み込みできません。ほかのプログラムが使っています。\r\n\r\n" + game / L"save00"}, {backups / L"save00", L"'70'"}};
    for (const auto& [path, report] : held) {
        SCOPED_TRACE(Utf8(path));
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_FALSE(Copy());
        CloseHandle(file);
        EXPECT_PRED2(Holds, recorder.Text(), report);
        EXPECT_PRED2(Holds, recorder.Text(), path);
    }
    EXPECT_EQ(ReadBytes(backups / L"save00"), "old00");
    EXPECT_EQ(TemporaryFilesIn(backups.Path()), Names{});
}

// A typed name is one folder's name in the open folder: the back-up is made there, or refused
// before anything is made, as no folder's name or as taken (the empty name: the open folder).
TEST_F(CommandTest, ABackUpNameIsOneFolderInTheOpenFolder)
{
    enum Outcome { Made, NoName, Taken };
    const std::wstring open = backups / L"sets";  // ".." is backups
    CreateDirectoryW(open.c_str(), nullptr);
    CreateDirectoryW((open + L"\\2026").c_str(), nullptr);
    WriteBytes(open + L"\\a file", "x");
    // The longest name whose folder still holds the tool's longest temporary name within MAX_PATH.
    const size_t room = MAX_PATH - 1 - open.size() - 2 - std::wstring(L"~nadeshiro-ffffffff-ffffffff.tmp").size();
    const struct { std::wstring name; Outcome outcome; } cases[] = {
        {L"セーブ 12月", Made}, {L"세이브 😀", Made}, {L" spaces  inside", Made}, {L"v1.2", Made}, {L"CONSOLE", Made}, {L"COM10", Made}, {L"nul-ish.txt", Made},
        {L"~nadeshiro-1-1.txt", Made}, {std::wstring(room, L'x'), Made}, {L"", Taken}, {L"2026", Taken}, {L"A FILE", Taken}, {L"2026\\december", NoName},
        {L"..\\esc", NoName}, {L"old/nested", NoName}, {L"C:", NoName}, {L"C:x", NoName}, {L".", NoName}, {L"..", NoName}, {L"a<b", NoName},
        {L"a>b", NoName}, {L"a\"b", NoName}, {L"a|b", NoName}, {L"202?", NoName}, {L"a *", NoName}, {L"tab\there", NoName}, {L"bell\x07", NoName},
        {L"dots...", NoName}, {L"space ", NoName}, {L"CON", NoName}, {L"con.txt", NoName}, {L"NUL.tar.gz", NoName}, {L"Aux", NoName}, {L"prn", NoName},
        {L"COM1", NoName}, {L"lpt9.log", NoName}, {L"COM\x00B9", NoName}, {L"LPT\x00B3.x", NoName}, {L"CONIN$", NoName}, {L"conout$.txt", NoName},
        {L"CON .txt", NoName}, {L"~nadeshiro-1-1.tmp", NoName}, {L"~NADESHIRO-a-B.TMP", NoName}, {std::wstring(room + 1, L'x'), NoName},
        {std::wstring(255, L'長'), NoName}};
    Names made = {L"2026", L"a file"};
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.name));
        ASSERT_TRUE(Run([&] { EXPECT_EQ(BackUp(fields, open, c.name), c.outcome == Made); }));
        EXPECT_EQ(recorder.Text(), c.outcome == Made ? L"" : (c.outcome == Taken ? kNameTakenMessage : kNotAFolderNameMessage) + std::wstring(L"\r\n----\r\n"));
        for (const auto& message : recorder.messages) {
            EXPECT_EQ(message.style, 0);  // an OK button alone
            EXPECT_EQ(message.title, L"あのね");
        }
        if (c.outcome != Made) continue;
        made.push_back(c.name);
        EXPECT_EQ(ListFolder(open + L"\\" + c.name), (Names{L"save00", L"save12"}));
    }
    std::sort(made.begin(), made.end());
    EXPECT_EQ(ListFolder(open), made);
    EXPECT_EQ(ListFolder(open + L"\\2026"), Names{});
    EXPECT_EQ(ListFolder(backups.Path()), Names{L"sets"});
}

// The name is given once the slots are copied, never over what took it meanwhile: a folder
// with a file in it, an empty folder, a file. The back-up then says the name is taken.
TEST_F(CommandTest, ABackUpGetsItsNameOnceCopiedAndNeverOverWhatTookItMeanwhile)
{
    const std::function<void(const std::wstring&)> takers[] = {
        [](const std::wstring& p) { CreateDirectoryW(p.c_str(), nullptr), WriteBytes(p + L"\\theirs", "theirs"); },
        [](const std::wstring& p) { CreateDirectoryW(p.c_str(), nullptr); }, [](const std::wstring& p) { WriteBytes(p, "theirs"); }};
    const Names taken = {L"folder", L"empty", L"file"};
    for (size_t i = 0; i < 3; ++i) {
        platform::FolderWriter folder(backups / taken[i]);
        WriteBytes(folder.TemporaryPath() + L"\\save00", "mine");
        EXPECT_EQ(GetFileAttributesW((backups / taken[i]).c_str()), INVALID_FILE_ATTRIBUTES);  // not before it is whole
        takers[i](backups / taken[i]);
        EXPECT_EQ(folder.Commit(), DWORD(ERROR_ALREADY_EXISTS)) << Utf8(taken[i]);
    }
    EXPECT_EQ(ListFolder(backups.Path()), (Names{L"empty", L"file", L"folder"}));  // the temporary folders gone
    EXPECT_EQ(ListFolder(backups / L"empty"), Names{});
    EXPECT_EQ(ListFolder(backups / L"folder"), Names{L"theirs"});
    EXPECT_EQ(ReadBytes(backups / L"folder\\theirs"), "theirs");
    EXPECT_EQ(ReadBytes(backups / L"file"), "theirs");
    platform::sys::ArmFault({3, ERROR_ALREADY_EXISTS, false, 1, true});  // the rename after save00 and save12: taken by now
    bool ran = BackUpAs(L"late", false);
    platform::sys::ArmFault({});
    EXPECT_EQ(ran, true);
    EXPECT_EQ(recorder.Text(), L"同じフォルダ名があるの、違う名前にしてね\r\n----\r\n");
    EXPECT_EQ(recorder.messages.at(0).style, 0);
    EXPECT_EQ(ListFolder(backups.Path()), (Names{L"empty", L"file", L"folder"}));
}

// No open folder, or one that is gone, or a game folder gone since the start: each command
// reports it (76, with the path) and makes nothing, not at the root of the current drive either.
TEST_F(CommandTest, CommandsOnAFolderThatIsGoneOrEmptyAreReportedAndMakeNothing)
{
    for (const std::wstring& folder : {std::wstring(), backups / L"gone"}) {
        std::wstring shown;
        const std::function<void()> commands[] = {[&] { BackUp(fields, folder, L"nadeshiro no folder"); },
                                                   [&] { Restore(fields, folder); }, [&] { ShowMemo(folder, shown); }};
        for (const auto& command : commands) {
            SCOPED_TRACE(Utf8(folder));
            EXPECT_EQ(Run(command), false);
            EXPECT_PRED2(Holds, recorder.Text(), L"'76':\r\n\r\nパスが見つかりません。\r\n\r\n" + folder);
        }
        EXPECT_EQ(shown, L"");
    }
    EXPECT_EQ(GetFileAttributesW(L"\\nadeshiro no folder"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ListFolder(game.Path()), (Names{L"one.exe", L"save00", L"save12"}));
    fields.GameFolder = game / L"gone";  // since the start: no empty back-up that looks like any other
    EXPECT_FALSE(BackUpAs(L"empty", false));
    EXPECT_PRED2(Holds, recorder.Text(), L"'76':\r\n\r\nパスが見つかりません。\r\n\r\n" + game / L"gone");
    EXPECT_EQ(ListFolder(backups.Path()), Names{});
}
