// A full disk during a back-up, a restore and a memo write: each is reported, keeps what was
// there, and leaves no torn file and no temporary file. The disk is a small tmpfs that the
// test script mounts and names in NADESHIRO_FULLDISK.

#include <memory>

#include "memo/memo_file.h"
#include "saves/commands.h"
#include "tests/test_support.h"

namespace {

struct FullDiskTest : ::testing::Test {
    void SetUp() override
    {
        std::wstring root = HostPath(Environment(L"NADESHIRO_FULLDISK"));
        if (root.empty() || !FolderExists(root))
            GTEST_SKIP() << "no small disk to fill: run the tests through scripts/test.sh as root "
                            "(it mounts a 256 KiB tmpfs), or mount one and name it in NADESHIRO_FULLDISK";
        disk = std::make_unique<TestFolder>(root, L"full ");
    }
    std::unique_ptr<TestFolder> disk;
    Recorder recorder;
    MainFields fields;
};

TEST_F(FullDiskTest, BackUpStopsAtTheSlotThatNoLongerFits)
{
    TestFolder game;
    fields.GameFolder = game.Path();
    for (int i = 0; i < 6; ++i) WriteBytes(game / (L"save0" + std::to_wstring(i)), SlotContent(std::to_wstring(i), 100 * 1024));
    EXPECT_FALSE(RunHandler([&] { BackUp(fields, disk->Path(), L"full backup", [](const std::wstring&) { FAIL(); }); }));
    EXPECT_TRUE(recorder.Reported(L"'61'"));
    auto names = ListFolder(*disk / L"full backup");
    ASSERT_FALSE(names.empty());
    ASSERT_LT(names.size(), 6u);  // the copies made are whole, the failing one is not there
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(names[i], L"save0" + std::to_wstring(i));
        EXPECT_EQ(ReadBytes(*disk / L"full backup\\" + names[i]), SlotContent(std::to_wstring(i), 100 * 1024));
    }
}

TEST_F(FullDiskTest, RestoreThatDoesNotFitKeepsTheGamesOwnSlots)
{
    TestFolder backup;
    WriteBytes(backup / L"save00", "small");
    WriteBytes(backup / L"save01", SlotContent(L"huge", 512 * 1024));
    WriteBytes(backup / L"save02", "after");
    fields.GameFolder = disk->Path();
    WriteBytes(*disk / L"save01", "mine01");
    WriteBytes(*disk / L"save02", "mine02");
    EXPECT_FALSE(RunHandler([&] { Restore(fields, backup.Path()); }));
    EXPECT_TRUE(recorder.Reported(L"'61'"));
    EXPECT_EQ(ReadBytes(*disk / L"save00"), "small");
    EXPECT_EQ(ReadBytes(*disk / L"save01"), "mine01");
    EXPECT_EQ(ReadBytes(*disk / L"save02"), "mine02");
    EXPECT_TRUE(TemporaryFilesIn(disk->Path()).empty());
}

TEST_F(FullDiskTest, MemoThatDoesNotFitKeepsTheEarlierMemo)
{
    WriteMemo(disk->Path(), L"最初の思い出");
    std::string before = ReadBytes(*disk / L"omoide.txt");
    WriteBytes(*disk / L"filler", std::string(200 * 1024, 'f'));
    EXPECT_FALSE(RunHandler([&] { WriteMemo(disk->Path(), std::wstring(30000, L'あ')); }));
    EXPECT_TRUE(recorder.Reported(L"'61'"));
    EXPECT_EQ(ReadBytes(*disk / L"omoide.txt"), before);
    EXPECT_TRUE(TemporaryFilesIn(disk->Path()).empty());
}

}  // namespace
