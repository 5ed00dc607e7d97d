// A full disk during a back-up, a restore and a memo write: each is reported, keeps what was
// there, and leaves no torn file and no temporary file. The disk is a small tmpfs that the
// test script mounts and names in NADESHIRO_FULLDISK.
#include <gtest/gtest.h>

#include <memory>

#include "app/handler.h"
#include "app/state.h"
#include "memo/memo_file.h"
#include "saves/commands.h"
#include "tests/test_support.h"

using namespace nadeshiro;
using namespace nadeshiro::test;

namespace {

class FullDiskTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::wstring root = HostPath(Environment(L"NADESHIRO_FULLDISK"));
        if (root.empty() || !FolderExists(root))
            GTEST_SKIP() << "no small disk to fill: run the tests through scripts/test.sh as root "
                            "(it mounts a 256 KiB tmpfs), or mount one and name it in NADESHIRO_FULLDISK";
        disk = std::make_unique<TestFolder>(root, L"full ");
    }

    // Fills the disk up to its last few bytes; returns the filler's path.
    std::wstring Fill()
    {
        std::wstring filler = *disk / L"filler";
        HANDLE file = CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        std::string block(4096, 'f');
        DWORD written = 0;
        while (WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) && written == block.size()) {
        }
        while (WriteFile(file, block.data(), 1, &written, nullptr) && written == 1) {
        }
        CloseHandle(file);
        return filler;
    }

    std::unique_ptr<TestFolder> disk;
    Recorder recorder;
    MainFields fields;
};

bool ReportedDiskFull(const Recorder& recorder)
{
    return recorder.messages.size() == 1 && recorder.messages[0].style == 16 &&
           recorder.messages[0].prompt.find(L"'61'") != std::wstring::npos;
}

TEST_F(FullDiskTest, BackUpStopsAtTheSlotThatNoLongerFits)
{
    TestFolder game;
    fields.GameFolder = game.Path();
    for (int i = 0; i < 6; ++i) WriteBytes(game / (L"save0" + std::to_wstring(i)), SlotContent(L"slot" + std::to_wstring(i), 100 * 1024));

    std::vector<std::wstring> memo;
    EXPECT_FALSE(RunHandler([&] { BackUp(fields, disk->Path(), L"full backup", [&](const std::wstring& f) { memo.push_back(f); }); }));
    EXPECT_TRUE(ReportedDiskFull(recorder)) << (recorder.messages.empty() ? "" : Utf8(recorder.messages[0].prompt));
    EXPECT_TRUE(memo.empty());

    std::wstring made = *disk / L"full backup";
    auto names = ListFolder(made);
    ASSERT_FALSE(names.empty());
    ASSERT_LT(names.size(), 6u);
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(names[i], L"save0" + std::to_wstring(i));
        EXPECT_EQ(ReadBytes(made + L"\\" + names[i]), SlotContent(L"slot" + std::to_wstring(i), 100 * 1024));
    }
}

TEST_F(FullDiskTest, RestoreThatDoesNotFitKeepsTheGamesOwnSlot)
{
    TestFolder backup;
    WriteBytes(backup / L"save00", SlotContent(L"small", 1000));
    WriteBytes(backup / L"save01", SlotContent(L"huge", 512 * 1024));
    WriteBytes(backup / L"save02", SlotContent(L"after", 1000));
    std::wstring gameFolder = *disk / L"game";
    CreateDirectoryW(gameFolder.c_str(), nullptr);
    WriteBytes(gameFolder + L"\\save01", SlotContent(L"mine", 2000));
    WriteBytes(gameFolder + L"\\save02", SlotContent(L"mine2", 2000));
    fields.GameFolder = gameFolder;

    EXPECT_FALSE(RunHandler([&] { Restore(fields, backup.Path()); }));
    EXPECT_TRUE(ReportedDiskFull(recorder));
    EXPECT_EQ(ReadBytes(gameFolder + L"\\save00"), SlotContent(L"small", 1000));
    EXPECT_EQ(ReadBytes(gameFolder + L"\\save01"), SlotContent(L"mine", 2000));
    EXPECT_EQ(ReadBytes(gameFolder + L"\\save02"), SlotContent(L"mine2", 2000));
    EXPECT_TRUE(TemporaryFilesIn(gameFolder).empty());
}

TEST_F(FullDiskTest, MemoThatDoesNotFitKeepsTheEarlierMemo)
{
    WriteMemo(disk->Path(), L"最初の思い出");
    std::string before = ReadBytes(*disk / L"omoide.txt");
    std::wstring filler = Fill();
    EXPECT_FALSE(RunHandler([&] { WriteMemo(disk->Path(), std::wstring(20000, L'あ')); }));
    EXPECT_TRUE(ReportedDiskFull(recorder)) << (recorder.messages.empty() ? "" : Utf8(recorder.messages[0].prompt));
    EXPECT_EQ(ReadBytes(*disk / L"omoide.txt"), before);
    EXPECT_TRUE(TemporaryFilesIn(disk->Path()).empty());
    DeleteFileW(filler.c_str());
}

}  // namespace
