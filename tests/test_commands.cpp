// The commands over real folders: the names a back-up takes, folders gone. What is copied and
// what a failing step leaves is the fault test's.
#include "app/system_calls.h"
#include "memo/memo_file.h"
#include "saves/commands.h"
#include "tests/test_support.h"

// A typed name is one folder's name in the open folder: the back-up is made there, or refused
// before anything is made, as no folder's name or as taken (the empty name: the open folder).
// The name is given once the slots are copied, never over what took it meanwhile: an empty
// folder, a file; the back-up then says the name is taken. No open folder, or one that is gone,
// or a game folder gone since the start: each command reports it (76, with the path) and makes
// nothing, not at the root of the current drive either.
TEST(CommandTest, ABackUpNameIsOneFolderNotTakenAndCommandsOnAFolderThatIsGoneMakeNothing)
{
    TestFolder game, backups;
    MainFields fields;
    fields.GameFolder = game.Path();
    for (const wchar_t* name : {L"save00", L"save12", L"one.exe"}) WriteBytes(game / name, SlotContent(name));
    Recorder recorder;
    auto run = [&](const std::function<void()>& command) { return recorder.messages.clear(), RunHandler(command); };
    CreateDirectoryW((backups / L"2026").c_str(), nullptr);
    WriteBytes(backups / L"a file", "x");
    // The longest name whose folder still holds the tool's longest temporary name within MAX_PATH.
    const size_t room = MAX_PATH - 1 - backups.Path().size() - 2 - std::wstring(L"~nadeshiro-ffffffff-ffffffff.tmp").size();
    const std::wstring made = L"", taken = L"同じフォルダ名があるの、違う名前にしてね", noName = L"その名前はフォルダにできないの、違う名前にしてね";
    const std::pair<std::wstring, Names> cases[] = {  // the message shown, the names
        {made, {L"세이브 😀", L" spaces  inside", L"CONSOLE", L"COM10", L"nul-ish.txt", L"~nadeshiro-1-1.txt", std::wstring(room, L'x')}},
        {taken, {L"", L"2026", L"A FILE"}},
        {noName, {L"..\\esc", L"old/nested", L"C:x", L"..", L"a<b", L"a>b", L"a\"b", L"a|b", L"202?", L"a *", L"bell\x07", L"space ", L"CON",
                  L"con.txt", L"NUL.tar.gz", L"Aux", L"prn", L"COM1", L"lpt9.log", L"COM\x00B9", L"LPT\x00B3.x", L"CONIN$", L"conout$.txt",
                  L"CON .txt", L"~nadeshiro-1-1.tmp", L"~NADESHIRO-a-B.TMP", std::wstring(room + 1, L'x')}}};
    Names backUps = {L"2026", L"a file", L"empty", L"file"};  // and what takes the name below
    for (const auto& [message, names] : cases) {
        for (const auto& name : names) {
            SCOPED_TRACE(Utf8(name));
            ASSERT_TRUE(run([&] { EXPECT_EQ(BackUp(fields, backups.Path(), name), message.empty()); }));
            if (message.empty()) {
                backUps.push_back(name);
            } else {
                EXPECT_THAT(recorder.messages, ElementsAre(Message(message, 0)));  // an OK button alone
            }
        }
    }
    for (const wchar_t* name : {L"empty", L"file"}) {  // what takes the name
        const std::wstring path = backups / name;
        platform::FolderWriter folder(path);
        WriteBytes(folder.TemporaryPath() + L"\\save00", "mine");
        EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << Utf8(path);  // not before it is whole
        if (path.ends_with(L"empty")) CreateDirectoryW(path.c_str(), nullptr);
        if (path.ends_with(L"file")) WriteBytes(path, "theirs");
        EXPECT_EQ(folder.Commit(), DWORD(ERROR_ALREADY_EXISTS)) << Utf8(path);
    }
    platform::sys::ArmFault({3, ERROR_ALREADY_EXISTS, false, 1, true});  // the rename after save00 and save12: taken by now
    EXPECT_TRUE(run([&] { EXPECT_FALSE(BackUp(fields, backups.Path(), L"late")); }));
    platform::sys::ArmFault({});
    EXPECT_THAT(recorder.messages, ElementsAre(Message(taken, 0)));
    const std::wstring gone = backups / L"gone";
    std::wstring shown;
    MainFields goneGame;
    goneGame.GameFolder = game / L"gone";  // since the start: no empty back-up that looks like any other
    // No open folder (the empty path) and one that is gone: each command once.
    const std::pair<std::function<void()>, std::wstring> commands[] = {{[&] { BackUp(fields, L"", L"nadeshiro no folder"); }, L""},
        {[&] { Restore(fields, gone); }, gone}, {[&] { ShowMemo(gone, shown); }, gone},
        {[&] { BackUp(goneGame, backups.Path(), L"x"); }, game / L"gone"}};
    for (const auto& command : commands) {
        SCOPED_TRACE(&command - commands);
        EXPECT_FALSE(run(command.first));
        EXPECT_THAT(recorder.messages, ElementsAre(Report(L"'76':\r\n\r\nパスが見つかりません。\r\n\r\n" + command.second)));
    }
    EXPECT_EQ(GetFileAttributesW(L"\\nadeshiro no folder"), INVALID_FILE_ATTRIBUTES);
    EXPECT_THAT(ListFolder(backups.Path()), ::testing::UnorderedElementsAreArray(backUps));  // the temporary folders gone
    EXPECT_EQ(ListFolder(backups / L"empty"), Names{});
    EXPECT_EQ(ReadBytes(backups / L"file"), "theirs");
}
