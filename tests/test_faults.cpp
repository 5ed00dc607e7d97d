// The Nth platform call of each command fails with each error: reported, nothing torn or left.
// A killed copy's leftovers wait where each command writes; its tidying may fail on them too.
#include <cstdio>
#include <map>
#include <regex>

#include "app/system_calls.h"
#include "memo/memo_file.h"
#include "saves/commands.h"
#include "tests/test_support.h"

// The first slot and the last; the old ones longer than the new but save12.
const std::wstring kSlots[] = {L"save00", L"save07", L"save12", L"save29"};
std::string Old(const std::wstring& slot) { return SlotContent(L"old " + slot, 5000); }
std::string New(const std::wstring& slot) { return SlotContent(L"new " + slot, slot == L"save12" ? 1536 * 1024 : 3000); }  // 12: many reads and writes
const std::string kBefore = "\"前の思い出\"\r\n";

struct FaultTest : ::testing::Test {
    TestFolder game, backups;
    MainFields fields;
    Recorder recorder;
    void SetUp() override { fields.GameFolder = game.Path(); }

    // whole(failed) describes what the files hold that they must not: empty when nothing is torn.
    // A failure is reported naming one of paths; nothing temporary is left in folders but what a
    // killed copy left in the first of them (its id is no process's: none has one so high): a
    // back-up folder it began, with a read-only slot and a temporary file in it. Once the command
    // makes every call, that is gone too.
    void FailEachCall(const std::function<void()>& prepare, const std::function<void()>& command,
                      const std::function<std::string(bool)>& whole, const Names& paths, const Names& folders)
    {
        const std::wstring planted = folders[0] + L"\\~nadeshiro-7ffffffc-1.tmp";
        std::vector<::testing::Matcher<const std::wstring&>> named;  // a line of the report that names one of paths
        for (const auto& path : paths) named.push_back(HasSubstr(L"\n" + path));
        int points = 0, torn = 0, leftBehind = 0;
        // Reported by number (read: where a file is read); torn: a write that writes half and fails.
        const struct { DWORD error; bool torn; const wchar_t *number, *read = nullptr; } kinds[] = {{ERROR_DISK_FULL, false, L"'61'"},
            {ERROR_ACCESS_DENIED, false, L"'75'"}, {ERROR_SHARING_VIOLATION, false, L"'70'", L"'72'"}, {ERROR_NOT_READY, false, L"'71'"},
            {ERROR_DISK_FULL, true, L"'61'"}};
        for (int call = 1;; ++call) {
            for (const auto& kind : kinds) {
                SCOPED_TRACE("call " + std::to_string(call) + ", error " + std::to_string(kind.error) + (kind.torn ? " torn" : ""));
                prepare();
                RemoveTree(planted);
                CreateDirectoryW(planted.c_str(), nullptr);
                for (const wchar_t* name : {L"\\save00", L"\\~nadeshiro-7ffffffc-2.tmp"}) WriteBytes(planted + name, "killed");
                SetFileAttributesW((planted + L"\\save00").c_str(), FILE_ATTRIBUTE_READONLY);
                recorder.messages.clear();
                platform::sys::ArmFault({call, kind.error, kind.torn});
                platform::sys::RecordCalls(true);
                const bool completed = RunHandler(command), reached = platform::sys::CallsMade() >= call,
                           triedAgain = platform::sys::Paused() > 0, tolerated = platform::sys::FailureTolerated();
                // Every file put in place (or tried) was flushed to the disk after its last write,
                // and only a flush that was made counts. (A file written in its place instead would
                // show torn after the torn write.)
                std::map<std::wstring, bool> flushed;  // by path: flushed since its last write
                for (const auto& made : platform::sys::Calls()) {
                    const std::string what = made.kind;
                    if (what == "Write" || what == "Flush") flushed[made.path] = what == "Flush" && made.made;
                    EXPECT_FALSE(what == "Replace" && !flushed[made.path]) << Utf8(made.path) << " replaced without a flush after its last write";
                }
                Names left;
                for (const auto& folder : folders)
                    for (const auto& name : TemporaryFilesIn(folder)) left.push_back(folder + L"\\" + name);
                if (reached) std::erase(left, planted);  // the tidying may have failed on it: it waits for the next write
                leftBehind += !left.empty();
                EXPECT_EQ(left, Names{});
                // Made in the end: every call made, a replace held up for a moment, a tidying that
                // left what it could not check.
                if (!reached || (completed && (triedAgain || tolerated))) {
                    EXPECT_TRUE(completed);
                    EXPECT_THAT(recorder.messages, IsEmpty());
                } else {  // a file another program holds is unreadable (72) where it is read
                    EXPECT_FALSE(completed) << "a failure went unnoticed";
                    ASSERT_THAT(recorder.messages, ElementsAre(::testing::AnyOf(Report(kind.number), Report(kind.read ? kind.read : kind.number))));
                    EXPECT_THAT(recorder.messages[0].prompt, ::testing::Not(HasSubstr(L"~nadeshiro-")));  // the player's paths
                    EXPECT_THAT(recorder.messages[0].prompt, ::testing::AnyOfArray(named));
                }
                const std::string found = whole(!completed);
                torn += !found.empty();
                EXPECT_EQ(found, "");
                if (!reached) {
                    platform::sys::RecordCalls(false);
                    platform::sys::ArmFault({});
                    std::printf("fault injection: %d failure points tried, %d torn, %d left behind\n", points, torn, leftBehind);
                    return;
                }
                ++points;
            }
        }
    }
};

// The back-up holds the thirty slots, save00 to save29, and nothing else of the game's folder
// (save12, not save012), a read-only slot staying read-only.
TEST_F(FaultTest, BackUp)
{
    const std::wstring made = backups / L"new";
    for (const auto& slot : kSlots) WriteBytes(game / slot, New(slot));
    for (const wchar_t* name : {L"save3", L"save30", L"save012", L"save00.bak", L"one.exe"}) WriteBytes(game / name, "no slot");
    SetFileAttributesW((game / L"save07").c_str(), FILE_ATTRIBUTE_READONLY);
    FailEachCall([&] { RemoveTree(made); }, [&] { ASSERT_TRUE(BackUp(fields, backups.Path(), L"new")); },
                 [&](bool failed) {  // whole copies of the slots below the failing one, in slot order; the game's as they were
                     std::string got;
                     for (const auto& name : ListFolder(made)) got += Utf8(name) + (ReadBytes(made + L"\\" + name) == New(name) ? " " : " (torn) ");
                     for (const auto& slot : kSlots) got += ReadBytes(game / slot) == New(slot) ? "" : "(the game's " + Utf8(slot) + " changed) ";
                     got += GetFileAttributesW((made + L"\\save07").c_str()) & FILE_ATTRIBUTE_READONLY ? "" : "(save07 writable) ";
                     const std::string all = "save00 save07 save12 save29 ";
                     return (failed ? all.compare(0, got.size(), got) == 0 : got == all) ? "" : "the back-up holds " + got;
                 },
                 {game / L"save", backups.Path(), game.Path()}, {backups.Path(), made});
}

TEST_F(FaultTest, Restore)
{
    TestFolder backup;
    const std::wstring slots[] = {kSlots[0], kSlots[1], kSlots[2], kSlots[3], L"save20"};  // save20: none in the back-up
    for (const auto& slot : kSlots) WriteBytes(backup / slot, New(slot));
    FailEachCall([&] { for (const auto& slot : slots) WriteBytes(game / slot, Old(slot)); }, [&] { Restore(fields, backup.Path()); },
                 [&](bool failed) {  // the slots below the failing one restored, the others as they were
                     std::string got;
                     for (const auto& slot : slots)
                         got += ReadBytes(game / slot) == New(slot) ? "new " : ReadBytes(game / slot) == Old(slot) ? "old " : "torn ";
                     return std::regex_match(got, std::regex(failed ? "(new )*(old )+" : "(new ){4}old ")) ? "" : "the game's slots are " + got;
                 },
                 {backup.Path(), game / L"save"}, {game.Path(), backup.Path()});
}

TEST_F(FaultTest, MemoSave)
{
    const std::wstring memo = backups / L"omoide.txt";
    FailEachCall([&] { WriteBytes(memo, kBefore); }, [&] { WriteMemo(backups.Path(), std::wstring(5000, L'思')); },
                 [&](bool failed) {
                     std::string now = ReadBytes(memo);
                     return (failed && now == kBefore) || (now.size() == 10004 && now.front() == '"') ? "" : "the memo holds " + now.substr(0, 20);
                 },
                 {memo}, {backups.Path()});
}

// A file held up for a moment (a scanner opening it just after it was written, a sync client),
// where it is read, checked before the write or replaced, is tried again for about two seconds at
// most if denied or shared, then reported; a read-only or folder destination, and a folder read
// as a file, are refused at once. (That other failures are not tried again: the full disk's row;
// that a failure held through every try is reported: the replace's row and the slot read's, 72.)
TEST_F(FaultTest, AFileHeldUpForAMomentIsTriedAgain)
{
    const std::wstring memo = backups / L"omoide.txt", made = backups / L"new";
    for (const auto& slot : kSlots) WriteBytes(game / slot, New(slot));
    TestFolder readOnly;
    WriteBytes(readOnly / L"omoide.txt", kBefore);
    SetFileAttributesW((readOnly / L"omoide.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    CreateDirectoryW((game / L"omoide.txt").c_str(), nullptr);
    std::wstring shown;
    const struct { std::function<void()> run; std::function<std::string()> left; } commands[] = {
        {[&] { WriteMemo(backups.Path(), L"新"); }, [&] { return ReadBytes(memo); }},
        {[&] { ShowMemo(backups.Path(), shown); }, [&] { return Utf8(shown); }},
        {[&] { ASSERT_TRUE(BackUp(fields, backups.Path(), L"new")); }, [&] { return std::to_string(ListFolder(made).size()) + " slots"; }},
        {[&] { WriteMemo(readOnly.Path(), L"新"); }, [&] { return ReadBytes(readOnly / L"omoide.txt"); }},
        {[&] { WriteMemo(game.Path(), L"新"); }, [&] { return std::to_string(ListFolder(game / L"omoide.txt").size()) + " files"; }},
        {[&] { ShowMemo(game.Path(), shown); }, [&] { return Utf8(shown); }}};
    for (const auto& command : commands) RunHandler(command.run);  // what a command reads once a run (the protected folders) is read
    auto reset = [&] {
        RemoveTree(made);
        shown.clear();
        WriteBytes(memo, kBefore);
        recorder.messages.clear();
    };
    // The call that first opens path for the command: a memo's check whether it may be replaced, a read.
    auto opening = [&](int command, const std::wstring& path) {
        reset();
        platform::sys::RecordCalls(true);
        EXPECT_TRUE(RunHandler(commands[command].run));
        const std::vector<platform::sys::Call> calls = platform::sys::Calls();
        auto at = std::find_if(calls.begin(), calls.end(), [&](auto& c) { return std::string(c.kind) == "Open" && c.path == path; });
        EXPECT_TRUE(at != calls.end()) << Utf8(path);
        return static_cast<int>(at - calls.begin()) + 1;
    };
    const int check = opening(0, memo), view = opening(1, memo);
    const std::string viewed = Utf8(shown);
    const int slot = opening(2, game / kSlots[1]);
    const std::string saved = "\"\x90\x56\"\r\n", before = kBefore;
    enum Pauses { None, Some, All };  // Some: held for a few tries, then made; All: held through every try, then reported
    const struct { const char* name; int command, call; DWORD error; int times; bool replacesOnly; std::string left; Pauses paused;
                   const wchar_t* reported; } cases[] = {
        {"replace shared twice", 0, 1, ERROR_SHARING_VIOLATION, 2, true, saved, Some, nullptr},
        {"replace denied for good", 0, 1, ERROR_ACCESS_DENIED, 1000, true, before, All, L"'75'"},
        {"replace on a full disk", 0, 1, ERROR_DISK_FULL, 1, true, before, None, L"'61'"},
        {"check shared three times", 0, check, ERROR_SHARING_VIOLATION, 3, false, saved, Some, nullptr},
        {"memo read shared twice", 1, view, ERROR_SHARING_VIOLATION, 2, false, viewed, Some, nullptr},
        {"slot read denied three times", 2, slot, ERROR_ACCESS_DENIED, 3, false, "4 slots", Some, nullptr},
        {"slot read shared through all eight tries", 2, slot, ERROR_SHARING_VIOLATION, 8, false, "1 slots", All, L"'72'"},
        {"back-up folder's rename shared twice", 2, 5, ERROR_SHARING_VIOLATION, 2, true, "4 slots", Some, nullptr},  // after four slots' replaces
        {"a read-only memo", 3, 0, 0, 1, false, before, None, L"'75'"},
        {"a folder of the memo's name written", 4, 0, 0, 1, false, "0 files", None, L"'75'"},
        {"a folder of the memo's name read", 5, 0, 0, 1, false, "", None, L"'75'"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        platform::sys::ArmFault({c.call, c.error, false, c.times, c.replacesOnly});
        RunHandler(commands[c.command].run);
        const DWORD paused = platform::sys::Paused();
        platform::sys::ArmFault({});
        EXPECT_GE(paused, c.paused == All ? 1500u : c.paused == Some ? 1u : 0u);
        EXPECT_LE(paused, c.paused == None ? 0u : c.paused == Some ? 1499u : 2000u);
        EXPECT_EQ(commands[c.command].left(), c.left);
        using Messages = ::testing::Matcher<const std::vector<Recorded>&>;
        EXPECT_THAT(recorder.messages, c.reported ? Messages(ElementsAre(Report(c.reported))) : Messages(IsEmpty()));
    }
}

using FullDiskTest = FaultTest;  // a real full disk: a tmpfs the test script mounts
TEST_F(FullDiskTest, ABackUpThatDoesNotFitIsReportedAndKeepsWholeCopies)
{
    std::wstring root = EnvironmentPath(L"NADESHIRO_FULLDISK");
    if (root.empty() || !FolderExists(root)) GTEST_SKIP() << "no small disk to fill (NADESHIRO_FULLDISK)";
    TestFolder disk(root, L"full ");
    for (int i = 0; i < 6; ++i) WriteBytes(game / (L"save0" + std::to_wstring(i)), SlotContent(std::to_wstring(i), 100 * 1024));
    EXPECT_FALSE(RunHandler([&] { BackUp(fields, disk.Path(), L"full"); }));
    EXPECT_THAT(recorder.messages, ElementsAre(Report(L"'61'")));
    EXPECT_EQ(TemporaryFilesIn(disk / L"full"), Names{});
    const Names names = ListFolder(disk / L"full");
    ASSERT_THAT(names, ::testing::SizeIs(::testing::AllOf(::testing::Gt(0u), ::testing::Lt(6u))));  // the failing one is not there
    for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(ReadBytes(disk / L"full\\" + names[i]), SlotContent(std::to_wstring(i), 100 * 1024));
}
