// The Nth platform call of each command fails with each error: reported, nothing torn or left.
// A killed copy's leftovers wait where each command writes; its tidying may fail on them too.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/system_calls.h"
#include "memo/memo_file.h"
#include "saves/commands.h"
#include "tests/test_support.h"

static int g_points = 0, g_torn = 0, g_left = 0;

const std::wstring kSlots[] = {L"save00", L"save07", L"save12"};
std::string Old(const std::wstring& slot) { return SlotContent(L"old " + slot, 100); }
std::string New(const std::wstring& slot) { return SlotContent(L"new " + slot, slot == L"save12" ? 1536 * 1024 : 3000); }  // 12: many reads and writes
const std::string kBefore = "\"前の思い出\"\r\n";

// What a killed copy left in folder (its id is no process's: no process has an odd id): a
// read-only temporary file and a back-up folder it began, with a slot and a temporary file in it.
const Names kPlanted = {L"~nadeshiro-3-1.tmp", L"~nadeshiro-3-2.tmp"};
static void Plant(const std::wstring& folder)
{
    for (const auto& name : kPlanted) {
        SetFileAttributesW((folder + L"\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileW((folder + L"\\" + name).c_str())) RemoveTree(folder + L"\\" + name);
    }
    WriteBytes(folder + L"\\" + kPlanted[0], "killed");
    SetFileAttributesW((folder + L"\\" + kPlanted[0]).c_str(), FILE_ATTRIBUTE_READONLY);
    CreateDirectoryW((folder + L"\\" + kPlanted[1]).c_str(), nullptr);
    for (const wchar_t* name : {L"save00", L"~nadeshiro-3-3.tmp"}) WriteBytes(folder + L"\\" + kPlanted[1] + L"\\" + name, "killed");
}
// Temporary names in folders other than the killed copy's: what the command left.
static Names LeftBy(const Names& folders)
{
    Names left;
    for (const auto& folder : folders)
        for (const auto& name : TemporaryFilesIn(folder))
            if (std::find(kPlanted.begin(), kPlanted.end(), name) == kPlanted.end()) left.push_back(folder + L"\\" + name);
    return left;
}

// Every file put in place (or tried) was flushed to the disk after its last write, and only a
// flush that was made counts: each replace that breaks this, by the temporary file it puts.
static std::string Unflushed(const std::vector<platform::sys::Call>& calls)
{
    std::string found;
    for (size_t i = 0; i < calls.size(); ++i) {
        if (std::string(calls[i].kind) != "Replace") continue;
        bool flushed = false;
        for (size_t j = 0; j < i; ++j) {
            if (calls[j].path != calls[i].path) continue;
            if (std::string(calls[j].kind) == "Flush") flushed = calls[j].made;
            if (std::string(calls[j].kind) == "Write") flushed = false;
        }
        if (!flushed) found += Utf8(calls[i].path) + " replaced without a flush after its last write\n";
    }
    return found;
}
static int Replaces(const std::vector<platform::sys::Call>& calls)
{
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [](auto& c) { return std::string(c.kind) == "Replace"; }));
}

struct FaultTest : ::testing::Test {
    TestFolder game, backups;
    MainFields fields;
    Recorder recorder;
    void SetUp() override { fields.GameFolder = game.Path(); }
    static void TearDownTestSuite() { std::printf("fault injection: %d failure points tried, %d torn, %d left behind\n", g_points, g_torn, g_left); }

    void FailEachCall(const std::function<void()>& prepare, const std::function<void()>& command,
                      const std::function<bool(bool)>& whole, const Names& paths, const Names& folders, const std::wstring& tidied)
    {
        const struct { DWORD error; bool torn; const wchar_t* number; } kinds[] = {{ERROR_DISK_FULL, false, L"'61'"},
            {ERROR_ACCESS_DENIED, false, L"'75'"}, {ERROR_SHARING_VIOLATION, false, L"'70'"}, {ERROR_NOT_READY, false, L"'71'"},
            {ERROR_DISK_FULL, true, L"'61'"}};  // torn: a write that writes half and fails
        for (int call = 1;; ++call) {
            for (const auto& kind : kinds) {
                SCOPED_TRACE("call " + std::to_string(call) + ", error " + std::to_string(kind.error) + (kind.torn ? " torn" : ""));
                prepare();
                Plant(tidied);
                recorder.messages.clear();
                platform::sys::ArmFault({call, kind.error, kind.torn});
                platform::sys::RecordCalls(true);
                bool completed = RunHandler(command);
                bool reached = platform::sys::CallsMade() >= call, triedAgain = platform::sys::Paused() > 0;
                bool tolerated = platform::sys::FailureTolerated();
                const std::vector<platform::sys::Call> calls = platform::sys::Calls();
                platform::sys::RecordCalls(false);
                platform::sys::ArmFault({});
                EXPECT_EQ(Unflushed(calls), "");
                if (!reached) {  // every call made: the killed copy's leftovers are gone
                    EXPECT_TRUE(completed);
                    EXPECT_EQ(recorder.messages.size(), 0u);
                    EXPECT_TRUE(whole(false));
                    EXPECT_GT(Replaces(calls), 0) << "nothing was put in place: the order of the calls proves nothing";
                    EXPECT_EQ(TemporaryFilesIn(tidied), Names{});
                    return;
                }
                ++g_points;
                Names left = LeftBy(folders);
                g_left += !left.empty();
                EXPECT_EQ(left, Names{});
                if (completed && (triedAgain || tolerated)) {  // a replace held up for a moment, then made; a tidying that left what it could not check
                    EXPECT_EQ(recorder.messages.size(), 0u);
                } else {  // a file another program holds is unreadable (72) where it is read
                    EXPECT_FALSE(completed) << "a failure went unnoticed";
                    ASSERT_TRUE(recorder.Reported(kind.number) || (kind.error == ERROR_SHARING_VIOLATION && recorder.Reported(L"'72'")))
                        << Utf8(recorder.Text());
                    EXPECT_EQ(recorder.Text().find(L"~nadeshiro-"), std::wstring::npos) << Utf8(recorder.Text());  // the player's paths
                    EXPECT_TRUE(std::any_of(paths.begin(), paths.end(), [&](auto& p) { return recorder.Reported(L"\n" + p); })) << Utf8(recorder.messages[0].prompt);
                }
                bool ok = whole(!completed);
                g_torn += !ok;
                EXPECT_TRUE(ok) << "torn";
            }
        }
    }
};

TEST_F(FaultTest, BackUp)
{
    const std::wstring made = backups / L"new";
    for (const auto& slot : kSlots) WriteBytes(game / slot, New(slot));
    FailEachCall([&] { RemoveTree(made); }, [&] { ASSERT_TRUE(BackUp(fields, backups.Path(), L"new")); },
                 [&](bool failed) {  // whole copies of the slots below the failing one, in slot order; the game's as they were
                     Names names = ListFolder(made);
                     bool whole = names.size() <= 3 && (failed || names.size() == 3);
                     for (size_t i = 0; i < 3; ++i) whole = whole && ReadBytes(game / kSlots[i]) == New(kSlots[i]) &&
                         (i >= names.size() || (names[i] == kSlots[i] && ReadBytes(made + L"\\" + kSlots[i]) == New(kSlots[i])));
                     return whole;
                 },
                 {game / L"save", backups.Path(), game.Path()}, {backups.Path(), made}, backups.Path());
}

TEST_F(FaultTest, Restore)
{
    TestFolder backup;
    for (const auto& slot : kSlots) WriteBytes(backup / slot, New(slot));
    FailEachCall([&] { for (const auto& slot : {kSlots[0], kSlots[1], kSlots[2], std::wstring(L"save20")}) WriteBytes(game / slot, Old(slot)); },
                 [&] { Restore(fields, backup.Path()); },
                 [&](bool failed) {  // the slots below the failing one restored, the others (and the absent save20) as they were
                     size_t restored = 0;
                     while (restored < 3 && ReadBytes(game / kSlots[restored]) == New(kSlots[restored])) ++restored;
                     bool whole = (failed || restored == 3) && ReadBytes(game / L"save20") == Old(L"save20");
                     for (size_t i = restored; i < 3; ++i) whole = whole && ReadBytes(game / kSlots[i]) == Old(kSlots[i]);
                     return whole;
                 },
                 {backup.Path(), game / L"save"}, {game.Path(), backup.Path()}, game.Path());
}

TEST_F(FaultTest, MemoSave)
{
    const std::wstring memo = backups / L"omoide.txt";
    FailEachCall([&] { WriteBytes(memo, kBefore); }, [&] { WriteMemo(backups.Path(), std::wstring(5000, L'思')); },
                 [&](bool failed) { std::string now = ReadBytes(memo); return (failed && now == kBefore) || (now.size() == 10004 && now.front() == '"'); },
                 {memo}, {backups.Path()}, backups.Path());
}

// A destination held up for a moment (a scanner opening the new file, a sync client), when
// checked before the write or when replaced, is tried again for about two seconds at most if
// denied or shared; a read-only or folder destination is refused at once.
TEST_F(FaultTest, ADestinationHeldUpForAMomentIsTriedAgain)
{
    const std::wstring memo = backups / L"omoide.txt";
    // The check before the write asks for the memo's attributes, then opens it to see whether
    // it may be replaced: the call after the first that asks for its attributes.
    WriteBytes(memo, kBefore);
    platform::sys::RecordCalls(true);
    ASSERT_TRUE(RunHandler([&] { WriteMemo(backups.Path(), L"新"); }));
    const std::vector<platform::sys::Call> calls = platform::sys::Calls();
    platform::sys::RecordCalls(false);
    const auto asked = std::find_if(calls.begin(), calls.end(), [&](auto& c) { return std::string(c.kind) == "Attributes" && c.path == memo; });
    ASSERT_NE(asked, calls.end());
    const int check = static_cast<int>(asked - calls.begin()) + 2;
    ASSERT_EQ(std::string(calls[static_cast<size_t>(check - 1)].kind), "Open");
    const struct { const char* name; int call; DWORD error; int times; bool replacesOnly, saved; DWORD pausedAtLeast, pausedAtMost; } cases[] = {
        {"replace shared twice", 1, ERROR_SHARING_VIOLATION, 2, true, true, 1, 2000},
        {"replace denied for good", 1, ERROR_ACCESS_DENIED, 1000, true, false, 1500, 2000},
        {"replace on a full disk", 1, ERROR_DISK_FULL, 1, true, false, 0, 0},
        {"check shared three times", check, ERROR_SHARING_VIOLATION, 3, false, true, 1, 2000},
        {"check denied for good", check, ERROR_ACCESS_DENIED, 1000, false, false, 1500, 2000},
        {"check not ready", check, ERROR_NOT_READY, 1, false, false, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(memo, kBefore);
        recorder.messages.clear();
        platform::sys::ArmFault({c.call, c.error, false, c.times, c.replacesOnly});
        EXPECT_EQ(RunHandler([&] { WriteMemo(backups.Path(), L"新"); }), c.saved);
        DWORD paused = platform::sys::Paused();
        platform::sys::ArmFault({});
        EXPECT_GE(paused, c.pausedAtLeast);
        EXPECT_LE(paused, c.pausedAtMost);
        EXPECT_EQ(ReadBytes(memo), c.saved ? "\"\x90\x56\"\r\n" : kBefore);
        EXPECT_EQ(TemporaryFilesIn(backups.Path()), Names{});
        EXPECT_EQ(recorder.messages.size(), c.saved ? 0u : 1u);
    }
    SetFileAttributesW(memo.c_str(), FILE_ATTRIBUTE_READONLY);
    CreateDirectoryW((game / L"omoide.txt").c_str(), nullptr);
    for (const std::wstring& folder : {backups.Path(), game.Path()}) {  // a read-only memo; a folder of the memo's name
        SCOPED_TRACE(Utf8(folder));
        recorder.messages.clear();
        platform::sys::ArmFault({});
        EXPECT_FALSE(RunHandler([&] { WriteMemo(folder, L"新"); }));
        EXPECT_EQ(platform::sys::Paused(), 0u);
        EXPECT_TRUE(recorder.Reported(L"'75'")) << Utf8(recorder.Text());
    }
    SetFileAttributesW(memo.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(memo), kBefore);
}

struct FullDiskTest : FaultTest { static void TearDownTestSuite() {} };  // a real full disk: a tmpfs the test script mounts
TEST_F(FullDiskTest, ABackUpThatDoesNotFitIsReportedAndKeepsWholeCopies)
{
    std::wstring root = EnvironmentPath(L"NADESHIRO_FULLDISK");
    if (root.empty() || !FolderExists(root)) GTEST_SKIP() << "no small disk to fill (NADESHIRO_FULLDISK)";
    TestFolder disk(root, L"full ");
    for (int i = 0; i < 6; ++i) WriteBytes(game / (L"save0" + std::to_wstring(i)), SlotContent(std::to_wstring(i), 100 * 1024));
    EXPECT_FALSE(RunHandler([&] { BackUp(fields, disk.Path(), L"full"); }));
    EXPECT_TRUE(recorder.Reported(L"'61'")) << Utf8(recorder.Text());
    EXPECT_EQ(TemporaryFilesIn(disk / L"full"), Names{});
    Names names = ListFolder(disk / L"full");
    ASSERT_GT(names.size(), 0u);  // the copies made are whole, the failing one is not there
    ASSERT_LT(names.size(), 6u);
    for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(ReadBytes(disk / L"full\\" + names[i]), SlotContent(std::to_wstring(i), 100 * 1024));
}
