// Every file step of a back-up, a restore and a memo save made to fail in turn: the Nth system
// call of the platform layer fails with each kind of error, for N = 1, 2, 3 ... until the
// command completes without reaching it. After each run the report names the error and a path
// of the command, every slot file and memo is its old content or the whole new one, no
// temporary file is left, and a restore stopped at a slot has the slots below it restored.

#include <algorithm>
#include <cstdio>
#include <functional>

#include "app/system_calls.h"
#include "memo/memo_file.h"
#include "saves/commands.h"
#include "tests/test_support.h"

namespace {

using platform::sys::Fault;

struct Kind {
    DWORD error;
    bool torn;  // a write that writes half and fails
    const wchar_t* number;  // as the report shows it
} const kKinds[] = {{ERROR_DISK_FULL, false, L"'61'"}, {ERROR_ACCESS_DENIED, false, L"'75'"},
                    {ERROR_SHARING_VIOLATION, false, L"'70'"}, {ERROR_NOT_READY, false, L"'71'"}, {ERROR_DISK_FULL, true, L"'61'"}};

int g_points = 0, g_torn = 0, g_left = 0;
struct Summary : ::testing::Environment {
    void TearDown() override
    {
        std::printf("fault injection: %d failure points tried, %d torn, %d left behind\n", g_points, g_torn, g_left);
    }
};
const auto* const g_summary = ::testing::AddGlobalTestEnvironment(new Summary);

const std::wstring kSlots[] = {L"save00", L"save07", L"save12"};
std::string Old(const std::wstring& slot) { return SlotContent(L"old " + slot, 100); }
// Slot 12 takes more than one read and one write.
std::string New(const std::wstring& slot) { return SlotContent(L"new " + slot, slot == L"save12" ? 1536 * 1024 : 3000); }

struct FaultTest : ::testing::Test {
    TestFolder game, backups;
    MainFields fields;
    Recorder recorder;
    void SetUp() override { fields.GameFolder = game.Path(); }

    // Runs command with each kind of failure at each call in turn; whole(failed) looks at the
    // files after a run. A report must name a path that starts with one of paths; folders
    // must hold no temporary file.
    void FailEachCall(const std::function<void()>& prepare, const std::function<void()>& command,
                      const std::function<bool(bool failed)>& whole, const Names& paths, const Names& folders)
    {
        for (int call = 1;; ++call) {
            for (const Kind& kind : kKinds) {
                SCOPED_TRACE("call " + std::to_string(call) + ", error " + std::to_string(kind.error) + (kind.torn ? " torn" : ""));
                prepare();
                recorder.messages.clear();
                platform::sys::ArmFault({call, kind.error, kind.torn});
                bool completed = RunHandler(command);
                bool reached = platform::sys::CallsMade() >= call, triedAgain = platform::sys::Paused() > 0;
                platform::sys::ArmFault({});
                if (!reached) {
                    EXPECT_TRUE(completed && recorder.messages.empty() && whole(false));
                    return;
                }
                ++g_points;
                bool left = false;
                for (const auto& folder : folders) left = left || !TemporaryFilesIn(folder).empty();
                g_left += left;
                EXPECT_FALSE(left);
                if (completed && triedAgain) {  // a replace held up for a moment, then made
                    EXPECT_TRUE(recorder.messages.empty());
                    g_torn += !whole(false);
                    continue;
                }
                EXPECT_FALSE(completed) << "a failure went unnoticed";
                // A file another program holds is unreadable (72) where it is read.
                ASSERT_TRUE(recorder.Reported(kind.number) || (kind.error == ERROR_SHARING_VIOLATION && recorder.Reported(L"'72'")));
                const std::wstring& prompt = recorder.messages[0].prompt;
                EXPECT_TRUE(std::any_of(paths.begin(), paths.end(), [&](auto& p) { return prompt.find(L"\n" + p) != prompt.npos; }))
                    << Utf8(prompt);
                g_torn += !whole(true);
            }
        }
    }
};

TEST_F(FaultTest, BackUp)
{
    for (const auto& slot : kSlots) WriteBytes(game / slot, New(slot));
    const std::wstring made = backups / L"new";
    FailEachCall([&] { RemoveTree(made); }, [&] { ASSERT_TRUE(BackUp(fields, backups.Path(), L"new")); },
                 [&](bool failed) {  // whole copies of the slots below the one that failed, the game's slots as they were
                     Names names = ListFolder(made);
                     bool whole = names.size() <= 3 && (failed || names.size() == 3);
                     for (size_t i = 0; i < 3; ++i)
                         whole = whole && ReadBytes(game / kSlots[i]) == New(kSlots[i]) &&
                                 (i >= names.size() || (names[i] == kSlots[i] && ReadBytes(made + L"\\" + kSlots[i]) == New(kSlots[i])));
                     EXPECT_TRUE(whole) << names.size() << " files";
                     return whole;
                 },
                 {game / L"save", made}, {backups.Path(), made});
}

TEST_F(FaultTest, Restore)
{
    TestFolder backup;
    for (const auto& slot : kSlots) WriteBytes(backup / slot, New(slot));
    FailEachCall(
        [&] {
            for (const auto& slot : kSlots) WriteBytes(game / slot, Old(slot));
            WriteBytes(game / L"save20", Old(L"save20"));
        },
        [&] { Restore(fields, backup.Path()); },
        [&](bool failed) {  // the slots below the one that failed restored, the others as they were
            size_t restored = 0;
            while (restored < 3 && ReadBytes(game / kSlots[restored]) == New(kSlots[restored])) ++restored;
            bool whole = (failed || restored == 3) && ReadBytes(game / L"save20") == Old(L"save20");
            for (size_t i = restored; i < 3; ++i) whole = whole && ReadBytes(game / kSlots[i]) == Old(kSlots[i]);
            EXPECT_TRUE(whole) << restored << " restored";
            return whole;
        },
        {backup / L"save", game / L"save"}, {game.Path(), backup.Path()});
}

TEST_F(FaultTest, MemoSave)
{
    const std::wstring memo = backups / L"omoide.txt";
    const std::string before = "\"前の思い出\"\r\n";
    FailEachCall([&] { WriteBytes(memo, before); }, [&] { WriteMemo(backups.Path(), std::wstring(5000, L'思')); },
                 [&](bool failed) {
                     std::string now = ReadBytes(memo);
                     bool whole = (failed && now == before) || (now.size() == 10004 && now.front() == '"');
                     EXPECT_TRUE(whole) << now.size() << " bytes";
                     return whole;
                 },
                 {memo}, {backups.Path()});
}

// A scanner that opens a new file the moment it is written holds up its replace: the replace
// is tried again, for less than a second in all, on access denied or a sharing violation only.
TEST_F(FaultTest, AReplaceHeldUpForAMomentIsTriedAgain)
{
    const std::wstring memo = backups / L"omoide.txt";
    const std::string before = "\"前の思い出\"\r\n";
    const struct { DWORD error; int times; bool saved, paused; } cases[] = {
        {ERROR_SHARING_VIOLATION, 2, true, true}, {ERROR_ACCESS_DENIED, 1000, false, true}, {ERROR_DISK_FULL, 1, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        WriteBytes(memo, before);
        recorder.messages.clear();
        platform::sys::ArmFault({1, c.error, false, c.times, true});
        EXPECT_EQ(RunHandler([&] { WriteMemo(backups.Path(), L"新"); }), c.saved);
        DWORD paused = platform::sys::Paused();
        platform::sys::ArmFault({});
        EXPECT_TRUE(paused <= 1000 && (paused > 0) == c.paused) << paused;
        EXPECT_EQ(ReadBytes(memo), c.saved ? "\"\x90\x56\"\r\n" : before);
        EXPECT_TRUE(c.saved ? recorder.messages.empty() : recorder.Reported(c.error == ERROR_DISK_FULL ? L"'61'" : L"'75'"));
        EXPECT_TRUE(TemporaryFilesIn(backups.Path()).empty());
    }
}

}  // namespace

// The same on a real full disk, a small tmpfs that the test script mounts and names in
// NADESHIRO_FULLDISK: Wine's own failure, not one the seam makes.
TEST(FullDiskTest, BackUpAndMemoThatDoNotFitAreReportedAndKeepWhatWasThere)
{
    std::wstring root = EnvironmentPath(L"NADESHIRO_FULLDISK");
    if (root.empty() || !FolderExists(root)) GTEST_SKIP() << "no small disk to fill (NADESHIRO_FULLDISK)";
    TestFolder game, disk(root, L"full ");
    Recorder recorder;
    MainFields fields;
    fields.GameFolder = game.Path();
    for (int i = 0; i < 6; ++i) WriteBytes(game / (L"save0" + std::to_wstring(i)), SlotContent(std::to_wstring(i), 100 * 1024));
    EXPECT_FALSE(RunHandler([&] { BackUp(fields, disk.Path(), L"full backup"); }));
    EXPECT_TRUE(recorder.Reported(L"'61'"));
    Names names = ListFolder(disk / L"full backup");
    ASSERT_TRUE(!names.empty() && names.size() < 6u);  // the copies made are whole, the failing one is not there
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(ReadBytes(disk / L"full backup\\" + names[i]), SlotContent(std::to_wstring(i), 100 * 1024));
    // A memo that does not fit leaves the earlier one.
    recorder.messages.clear();
    RemoveTree(disk / L"full backup");
    WriteMemo(disk.Path(), L"最初の思い出");
    std::string before = ReadBytes(disk / L"omoide.txt");
    WriteBytes(disk / L"filler", std::string(200 * 1024, 'f'));
    EXPECT_FALSE(RunHandler([&] { WriteMemo(disk.Path(), std::wstring(30000, L'あ')); }));
    EXPECT_TRUE(recorder.Reported(L"'61'"));
    EXPECT_EQ(ReadBytes(disk / L"omoide.txt"), before);
    EXPECT_TRUE(TemporaryFilesIn(disk.Path()).empty());
}
