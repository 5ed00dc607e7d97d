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
    bool BackUpAs(const std::wstring& name, bool made) { return Run([&] { EXPECT_EQ(BackUp(fields, backups.Path(), name), made); }); }
};

// All thirty slots, save00 to save29, and nothing else of the folder go into a back-up (save10,
// not save010), a read-only slot staying read-only; a restore puts the first and the last back
// whole over the game's, and keeps a slot of the game's that the back-up lacks.
TEST_F(CommandTest, BackUpAndRestoreCarryTheThirtySlotsAndNothingElse)
{
    for (const wchar_t* name : {L"save10", L"save29", L"save3", L"save30", L"save010", L"save00.bak"}) WriteBytes(game / name, SlotContent(name));
    SetFileAttributesW((game / L"save10").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(BackUpAs(L"all", true));
    const std::wstring all = backups / L"all";
    EXPECT_EQ(ListFolder(all), (Names{L"save00", L"save10", L"save12", L"save29"}));
    EXPECT_EQ(ReadBytes(all + L"\\save29"), SlotContent(L"save29"));
    EXPECT_EQ(GetFileAttributesW((all + L"\\save10").c_str()) & FILE_ATTRIBUTE_READONLY, DWORD(FILE_ATTRIBUTE_READONLY));
    for (const wchar_t* name : {L"\\save10", L"\\save12"}) RemoveTree(all + name);
    WriteBytes(all + L"\\save00", "restored00");  // shorter than the game's
    WriteBytes(all + L"\\save29", "restored29");
    ASSERT_TRUE(Run([&] { Restore(fields, all); }));
    EXPECT_EQ(ReadBytes(game / L"save00"), "restored00");
    EXPECT_EQ(ReadBytes(game / L"save29"), "restored29");
    EXPECT_EQ(ReadBytes(game / L"save12"), SlotContent(L"save12"));
    EXPECT_THAT(recorder.messages, IsEmpty());
}

// A slot another program holds all along where it is replaced is reported by the slot's path
// and kept (held for a moment, or where it is read, it is tried again: the fault test's).
TEST_F(CommandTest, ASlotHeldAllAlongIsReportedAndKept)
{
    const std::wstring held = backups / L"save00";
    WriteBytes(held, "old00");
    HANDLE file = CreateFileW(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(Run([&] { CopySlotSet(fields, game.Path(), backups.Path()); }));
    CloseHandle(file);
    EXPECT_THAT(recorder.messages, ElementsAre(Report(L"'70'", L"\r\n" + held)));
    EXPECT_EQ(ReadBytes(held), "old00");
    EXPECT_EQ(TemporaryFilesIn(backups.Path()), Names{});
}

// A typed name is one folder's name in the open folder: the back-up is made there, or refused
// before anything is made, as no folder's name or as taken (the empty name: the open folder).
TEST_F(CommandTest, ABackUpNameIsOneFolderInTheOpenFolder)
{
    const std::wstring open = backups / L"sets";  // ".." is backups
    CreateDirectoryW(open.c_str(), nullptr);
    CreateDirectoryW((open + L"\\2026").c_str(), nullptr);
    WriteBytes(open + L"\\a file", "x");
    // The longest name whose folder still holds the tool's longest temporary name within MAX_PATH.
    const size_t room = MAX_PATH - 1 - open.size() - 2 - std::wstring(L"~nadeshiro-ffffffff-ffffffff.tmp").size();
    const std::wstring made = L"", taken = L"同じフォルダ名があるの、違う名前にしてね", noName = L"その名前はフォルダにできないの、違う名前にしてね";
    const std::pair<std::wstring, Names> cases[] = {  // the message shown, the names
        {made, {L"セーブ 12月", L"세이브 😀", L" spaces  inside", L"v1.2", L"CONSOLE", L"COM10", L"nul-ish.txt", L"~nadeshiro-1-1.txt",
                std::wstring(room, L'x')}},
        {taken, {L"", L"2026", L"A FILE"}},
        {noName, {L"2026\\december", L"..\\esc", L"old/nested", L"C:", L"C:x", L".", L"..", L"a<b", L"a>b", L"a\"b", L"a|b", L"202?", L"a *",
                  L"tab\there", L"bell\x07", L"dots...", L"space ", L"CON", L"con.txt", L"NUL.tar.gz", L"Aux", L"prn", L"COM1", L"lpt9.log",
                  L"COM\x00B9", L"LPT\x00B3.x", L"CONIN$", L"conout$.txt", L"CON .txt", L"~nadeshiro-1-1.tmp", L"~NADESHIRO-a-B.TMP",
                  std::wstring(room + 1, L'x'), std::wstring(255, L'長')}}};
    Names backUps = {L"2026", L"a file"};
    for (const auto& [message, names] : cases) {
        for (const auto& name : names) {
            SCOPED_TRACE(Utf8(name));
            const bool making = message.empty();
            ASSERT_TRUE(Run([&] { EXPECT_EQ(BackUp(fields, open, name), making); }));
            if (!making) {
                EXPECT_THAT(recorder.messages, ElementsAre(Message(message, 0)));  // an OK button alone
                continue;
            }
            EXPECT_EQ(ListFolder(open + L"\\" + name), (Names{L"save00", L"save12"}));
            backUps.push_back(name);
        }
    }
    std::sort(backUps.begin(), backUps.end());
    EXPECT_EQ(ListFolder(open), backUps);
    EXPECT_EQ(ListFolder(open + L"\\2026"), Names{});
    EXPECT_EQ(ListFolder(backups.Path()), Names{L"sets"});
}

// The name is given once the slots are copied, never over what took it meanwhile: a folder
// with a file in it, an empty folder, a file. The back-up then says the name is taken.
TEST_F(CommandTest, ABackUpGetsItsNameOnceCopiedAndNeverOverWhatTookItMeanwhile)
{
    const struct { const wchar_t* name; bool folder, file; } takers[] = {{L"folder", true, true}, {L"empty", true, false}, {L"file", false, true}};
    for (const auto& taker : takers) {
        const std::wstring path = backups / taker.name;
        platform::FolderWriter folder(path);
        WriteBytes(folder.TemporaryPath() + L"\\save00", "mine");
        EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << Utf8(path);  // not before it is whole
        if (taker.folder) CreateDirectoryW(path.c_str(), nullptr);
        if (taker.file) WriteBytes(taker.folder ? path + L"\\theirs" : path, "theirs");
        EXPECT_EQ(folder.Commit(), DWORD(ERROR_ALREADY_EXISTS)) << Utf8(path);
    }
    EXPECT_EQ(ListFolder(backups.Path()), (Names{L"empty", L"file", L"folder"}));  // the temporary folders gone
    EXPECT_EQ(ListFolder(backups / L"empty"), Names{});
    EXPECT_EQ(ListFolder(backups / L"folder"), Names{L"theirs"});
    EXPECT_EQ(ReadBytes(backups / L"folder\\theirs"), "theirs");
    EXPECT_EQ(ReadBytes(backups / L"file"), "theirs");
    platform::sys::ArmFault({3, ERROR_ALREADY_EXISTS, false, 1, true});  // the rename after save00 and save12: taken by now
    EXPECT_TRUE(BackUpAs(L"late", false));
    platform::sys::ArmFault({});
    EXPECT_THAT(recorder.messages, ElementsAre(Message(L"同じフォルダ名があるの、違う名前にしてね", 0)));
    EXPECT_EQ(ListFolder(backups.Path()), (Names{L"empty", L"file", L"folder"}));
}

// No open folder, or one that is gone, or a game folder gone since the start: each command
// reports it (76, with the path) and makes nothing, not at the root of the current drive either.
TEST_F(CommandTest, CommandsOnAFolderThatIsGoneOrEmptyAreReportedAndMakeNothing)
{
    const std::wstring notFound = L"'76':\r\n\r\nパスが見つかりません。\r\n\r\n";
    for (const std::wstring& folder : {std::wstring(), backups / L"gone"}) {
        std::wstring shown;
        const std::function<void()> commands[] = {[&] { BackUp(fields, folder, L"nadeshiro no folder"); },
                                                   [&] { Restore(fields, folder); }, [&] { ShowMemo(folder, shown); }};
        for (const auto& command : commands) {
            SCOPED_TRACE(Utf8(folder));
            EXPECT_FALSE(Run(command));
            EXPECT_THAT(recorder.messages, ElementsAre(Report(notFound + folder)));
        }
    }
    EXPECT_EQ(GetFileAttributesW(L"\\nadeshiro no folder"), INVALID_FILE_ATTRIBUTES);
    fields.GameFolder = game / L"gone";  // since the start: no empty back-up that looks like any other
    EXPECT_FALSE(BackUpAs(L"empty", false));
    EXPECT_THAT(recorder.messages, ElementsAre(Report(notFound + game / L"gone")));
    EXPECT_EQ(ListFolder(backups.Path()), Names{});
}
