// Every file step of a back-up, a restore and a memo save made to fail in turn: the platform
// layer's Nth system call fails with each kind of error, for N = 1, 2, 3 ... until the
// command completes without reaching it. After each run: the error report names the error
// and the path, every slot file and memo is its old content or the whole new one, no
// temporary file is left, and a restore stopped at a slot has the slots below it restored and
// the others as they were.

#include <cstdio>
#include <functional>

#include "app/system_calls.h"
#include "memo/memo_file.h"
#include "saves/commands.h"
#include "tests/test_support.h"

namespace {

using platform::sys::Fault;

struct Kind {
    Fault fault;
    const wchar_t* number;  // as the report shows it
};
const Kind kKinds[] = {{{0, ERROR_DISK_FULL, false}, L"'61'"},
                       {{0, ERROR_ACCESS_DENIED, false}, L"'75'"},
                       {{0, ERROR_SHARING_VIOLATION, false}, L"'70'"},
                       {{0, ERROR_NOT_READY, false}, L"'71'"},
                       {{0, ERROR_DISK_FULL, true}, L"'61'"}};  // a torn write

struct Tally {
    int points = 0, torn = 0, leftBehind = 0;
};
Tally g_tally;

struct Summary : ::testing::Environment {
    void TearDown() override
    {
        std::printf("fault injection: %d failure points tried, %d torn, %d left behind\n", g_tally.points, g_tally.torn,
                    g_tally.leftBehind);
    }
};
const auto* const g_summary = ::testing::AddGlobalTestEnvironment(new Summary);

const std::wstring kSlots[] = {L"save00", L"save07", L"save12"};
std::string Old(const std::wstring& slot) { return SlotContent(L"old " + slot, 100); }
// Slot 12 takes more than one read and one write.
std::string New(const std::wstring& slot) { return SlotContent(L"new " + slot, slot == L"save12" ? 1536 * 1024 : 3000); }

// The thirty slot paths in folder, each probed by the slot copy.
std::vector<std::wstring> SlotPaths(const std::wstring& folder)
{
    std::vector<std::wstring> paths;
    for (int i = 0; i < 30; ++i) paths.push_back(folder + (i < 10 ? L"\\save0" : L"\\save") + std::to_wstring(i));
    return paths;
}

struct FaultTest : ::testing::Test {
    TestFolder game, backups;
    MainFields fields;
    Recorder recorder;

    void SetUp() override { fields.GameFolder = game.Path(); }

    // Runs command with each call failing in turn, each kind of failure at each call, until
    // it completes without reaching the call; check looks at the folders after every run and
    // returns false for a torn file. paths are the files and folders a report may name.
    void FailEachCall(const std::function<void()>& prepare, const std::function<void()>& command,
                      const std::function<bool(bool failed)>& check, const std::vector<std::wstring>& paths,
                      const std::vector<std::wstring>& folders)
    {
        for (int call = 1;; ++call) {
            for (const Kind& kind : kKinds) {
                SCOPED_TRACE("call " + std::to_string(call) + ", error " + std::to_string(kind.fault.error) +
                             (kind.fault.torn ? " torn" : ""));
                prepare();
                recorder.messages.clear();
                Fault fault = kind.fault;
                fault.call = call;
                platform::sys::ArmFault(fault);
                bool completed = RunHandler(command);
                bool reached = platform::sys::CallsMade() >= call;
                bool triedAgain = platform::sys::Paused() > 0;
                platform::sys::ArmFault({});
                if (!reached) {
                    EXPECT_TRUE(completed);
                    EXPECT_TRUE(recorder.messages.empty());
                    EXPECT_TRUE(check(false));
                    return;
                }
                ++g_tally.points;
                bool left = false;
                for (const auto& folder : folders) left = left || !TemporaryFilesIn(folder).empty();
                if (left) ++g_tally.leftBehind;
                EXPECT_FALSE(left);
                if (completed && triedAgain) {  // a replace held up for a moment, then made
                    EXPECT_TRUE(recorder.messages.empty());
                    if (!check(false)) ++g_tally.torn;
                    continue;
                }
                EXPECT_FALSE(completed) << "a failure went unnoticed";
                // A file another program holds is unreadable (72) where it is read.
                ASSERT_TRUE(recorder.Reported(kind.number) ||
                            (kind.fault.error == ERROR_SHARING_VIOLATION && recorder.Reported(L"'72'")));
                bool named = false;
                for (const auto& path : paths) named = named || recorder.messages[0].prompt.find(L"\n" + path + L"\r") != std::wstring::npos;
                EXPECT_TRUE(named) << Utf8(recorder.messages[0].prompt);
                if (!check(true)) ++g_tally.torn;
            }
        }
    }
};

TEST_F(FaultTest, BackUp)
{
    for (const auto& slot : kSlots) WriteBytes(game / slot, New(slot));
    const std::wstring made = backups / L"new";
    std::vector<std::wstring> paths = SlotPaths(game.Path());
    paths.push_back(made);
    for (const auto& slot : kSlots) paths.push_back(made + L"\\" + slot);
    FailEachCall([&] { RemoveTree(made); }, [&] { ASSERT_TRUE(BackUp(fields, backups.Path(), L"new")); },
                 [&](bool failed) {
                     // The back-up holds whole copies of the slots below the one that failed.
                     auto names = ListFolder(made);
                     size_t copied = 0;
                     while (copied < names.size() && copied < 3 && names[copied] == kSlots[copied]) ++copied;
                     bool whole = copied == names.size() && (failed || copied == 3);
                     for (size_t i = 0; i < copied; ++i) whole = whole && ReadBytes(made + L"\\" + kSlots[i]) == New(kSlots[i]);
                     for (const auto& slot : kSlots) whole = whole && ReadBytes(game / slot) == New(slot);
                     EXPECT_TRUE(whole) << names.size() << " files";
                     return whole;
                 },
                 paths, {backups.Path(), made});
}

TEST_F(FaultTest, Restore)
{
    TestFolder backup;
    for (const auto& slot : kSlots) WriteBytes(backup / slot, New(slot));
    std::vector<std::wstring> paths = SlotPaths(backup.Path());
    for (const auto& slot : kSlots) paths.push_back(game / slot);
    FailEachCall(
        [&] {
            for (const auto& slot : kSlots) WriteBytes(game / slot, Old(slot));
            WriteBytes(game / L"save20", Old(L"save20"));
        },
        [&] { Restore(fields, backup.Path()); },
        [&](bool failed) {
            // Slots below the one that failed are restored, it and those above are as they were.
            size_t restored = 0;
            while (restored < 3 && ReadBytes(game / kSlots[restored]) == New(kSlots[restored])) ++restored;
            bool whole = failed || restored == 3;
            for (size_t i = restored; i < 3; ++i) whole = whole && ReadBytes(game / kSlots[i]) == Old(kSlots[i]);
            whole = whole && ReadBytes(game / L"save20") == Old(L"save20");
            EXPECT_TRUE(whole) << restored << " restored";
            return whole;
        },
        paths, {game.Path(), backup.Path()});
}

TEST_F(FaultTest, MemoSave)
{
    const std::wstring memo = backups / L"omoide.txt";
    const std::string before = "\"前の思い出\"\r\n";
    const std::wstring text(5000, L'思');
    FailEachCall([&] { WriteBytes(memo, before); }, [&] { WriteMemo(backups.Path(), text); },
                 [&](bool failed) {
                     std::string now = ReadBytes(memo);
                     bool whole = (failed && now == before) || (now.size() == 10004 && now.front() == '"');
                     EXPECT_TRUE(whole) << now.size() << " bytes";
                     return whole;
                 },
                 {memo}, {backups.Path()});
}

}  // namespace

// The same on a real full disk, a small tmpfs that the test script mounts and names in
// NADESHIRO_FULLDISK: Wine's own failure, not one the seam makes.
TEST(FullDiskTest, BackUpAndMemoThatDoNotFitAreReportedAndKeepWhatWasThere)
{
    std::wstring root = HostPath(Environment(L"NADESHIRO_FULLDISK"));
    if (root.empty() || !FolderExists(root)) GTEST_SKIP() << "no small disk to fill (NADESHIRO_FULLDISK)";
    TestFolder game, disk(root, L"full ");
    Recorder recorder;
    MainFields fields;
    fields.GameFolder = game.Path();
    for (int i = 0; i < 6; ++i) WriteBytes(game / (L"save0" + std::to_wstring(i)), SlotContent(std::to_wstring(i), 100 * 1024));
    EXPECT_FALSE(RunHandler([&] { BackUp(fields, disk.Path(), L"full backup"); }));
    EXPECT_TRUE(recorder.Reported(L"'61'"));
    auto names = ListFolder(disk / L"full backup");
    ASSERT_FALSE(names.empty());
    ASSERT_LT(names.size(), 6u);  // the copies made are whole, the failing one is not there
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(ReadBytes(disk / L"full backup\\" + names[i]), SlotContent(std::to_wstring(i), 100 * 1024));

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

// A scanner that opens a file the moment it is written holds up its replace for a moment:
// the replace is tried again, for less than a second in all, on access denied or a sharing
// violation only.
TEST_F(FaultTest, AReplaceHeldUpForAMomentIsTriedAgain)
{
    const std::wstring memo = backups / L"omoide.txt";
    const std::string before = "\"前の思い出\"\r\n";
    DWORD paused = 0;
    auto save = [&](DWORD error, int times) {
        WriteBytes(memo, before);
        recorder.messages.clear();
        platform::sys::ArmFault({1, error, false, times, true});
        bool saved = RunHandler([&] { WriteMemo(backups.Path(), L"新"); });
        paused = platform::sys::Paused();
        EXPECT_LE(paused, 1000u);
        platform::sys::ArmFault({});
        EXPECT_TRUE(TemporaryFilesIn(backups.Path()).empty());
        return saved;
    };
    EXPECT_TRUE(save(ERROR_SHARING_VIOLATION, 2));
    EXPECT_EQ(ReadBytes(memo), "\"\x90\x56\"\r\n");
    EXPECT_FALSE(save(ERROR_ACCESS_DENIED, 1000));  // held for good: reported, the old memo kept
    EXPECT_TRUE(recorder.Reported(L"'75'"));
    EXPECT_EQ(ReadBytes(memo), before);
    EXPECT_GT(paused, 0u);
    EXPECT_FALSE(save(ERROR_DISK_FULL, 1));  // any other failure is not tried again
    EXPECT_EQ(paused, 0u);
    EXPECT_EQ(ReadBytes(memo), before);
}
