// The slot copy over real folders: which files make the slot set, and what a copy that
// cannot finish leaves behind.

#include "saves/slot_set.h"
#include "tests/test_support.h"

namespace {

struct SlotSetTest : ::testing::Test {
    TestFolder source, destination;
    MainFields fields;
    Recorder recorder;

    bool Copy() { return RunHandler([&] { CopySlotSet(fields, source.Path(), destination.Path()); }); }
};

// save10 is copied and save010 is not: the "0" goes only before one-digit slot numbers.
TEST_F(SlotSetTest, OnlyTheThirtySlotNamesAreCopiedAndOthersLeftAlone)
{
    ASSERT_TRUE(Copy());  // nothing to copy, nothing said
    EXPECT_TRUE(ListFolder(destination.Path()).empty());
    for (const wchar_t* name : {L"save03", L"save17", L"save3", L"save30", L"save010", L"save00.bak", L"save10"})
        WriteBytes(source / name, SlotContent(name));
    WriteBytes(destination / L"save05", "mine05");
    WriteBytes(destination / L"save03", "old03-longer-than-the-new-one");
    ASSERT_TRUE(Copy());
    EXPECT_EQ(ListFolder(destination.Path()), (std::vector<std::wstring>{L"save03", L"save05", L"save10", L"save17"}));
    EXPECT_EQ(ReadBytes(destination / L"save03"), SlotContent(L"save03"));
    EXPECT_EQ(ReadBytes(destination / L"save05"), "mine05");
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(SlotSetTest, CopiesInSlotOrderAndStopsAtTheFailingSlot)
{
    // Slot 17 cannot be replaced: slot 03 has been copied by then, slot 25 has not.
    for (const wchar_t* n : {L"03", L"17", L"25"}) WriteBytes(source / (std::wstring(L"save") + n), Utf8(n));
    WriteBytes(destination / L"save17", "old17");
    SetFileAttributesW((destination / L"save17").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(Copy());
    EXPECT_EQ(ReadBytes(destination / L"save03"), "03");
    EXPECT_EQ(ReadBytes(destination / L"save17"), "old17");
    EXPECT_FALSE(FileExists(destination / L"save25"));
    EXPECT_TRUE(recorder.Reported(L"'75'"));
    EXPECT_NE(recorder.messages[0].prompt.find(destination / L"save17"), std::wstring::npos);
    EXPECT_TRUE(TemporaryFilesIn(destination.Path()).empty());
}

TEST_F(SlotSetTest, HiddenSystemAndReadOnlySourcesAreCopiedWithTheirAttributes)
{
    const DWORD attributes[] = {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_READONLY};
    for (int i = 0; i < 3; ++i) {
        WriteBytes(source / (L"save0" + std::to_wstring(i)), "slot");
        SetFileAttributesW((source / (L"save0" + std::to_wstring(i))).c_str(), attributes[i]);
    }
    ASSERT_TRUE(Copy());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ReadBytes(destination / (L"save0" + std::to_wstring(i))), "slot");
        EXPECT_TRUE(GetFileAttributesW((destination / (L"save0" + std::to_wstring(i))).c_str()) & attributes[i]);
    }
}

TEST_F(SlotSetTest, FoldersNamedLikeSlotFilesFailThatSlotAndKeepTheirContent)
{
    WriteBytes(source / L"save00", "zero");
    CreateDirectoryW((source / L"save01").c_str(), nullptr);
    EXPECT_FALSE(Copy());
    EXPECT_EQ(ReadBytes(destination / L"save00"), "zero");
    EXPECT_TRUE(recorder.Reported(L"'75'"));

    RemoveDirectoryW((source / L"save01").c_str());
    DeleteFileW((destination / L"save00").c_str());
    CreateDirectoryW((destination / L"save00").c_str(), nullptr);
    WriteBytes(destination / L"save00\\inside", "kept");
    recorder.messages.clear();
    EXPECT_FALSE(Copy());
    EXPECT_EQ(ReadBytes(destination / L"save00\\inside"), "kept");
    EXPECT_TRUE(TemporaryFilesIn(destination.Path()).empty());
}

TEST_F(SlotSetTest, FilesHeldOpenWithoutSharingAreReportedAndKept)
{
    WriteBytes(source / L"save09", "new09");
    WriteBytes(destination / L"save09", "old09");
    // A held destination cannot be written (70), a held source cannot be read (72).
    for (const std::wstring& held : {destination / L"save09", source / L"save09"}) {
        recorder.messages.clear();
        HANDLE file = CreateFileW(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(Copy());
        CloseHandle(file);
        EXPECT_TRUE(recorder.Reported((held == source / L"save09" ? L"'72'" : L"'70'") + std::wstring(L":")));
        EXPECT_TRUE(recorder.Reported(held)) << Utf8(held);
        EXPECT_EQ(ReadBytes(destination / L"save09"), "old09");
        EXPECT_TRUE(TemporaryFilesIn(destination.Path()).empty());
    }
}

}  // namespace
