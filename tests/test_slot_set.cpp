// The slot copy over real folders: which files count as the slot set and what the copy
// leaves behind when a slot cannot be copied.
#include <gtest/gtest.h>

#include "app/handler.h"
#include "saves/slot_set.h"
#include "tests/test_support.h"

using namespace nadeshiro;
using namespace nadeshiro::test;

namespace {

struct SlotSetTest : ::testing::Test {
    TestFolder source;
    TestFolder destination;
    MainFields fields;
    Recorder recorder;

    void Slot(const TestFolder& folder, const std::wstring& name, const std::string& bytes)
    {
        WriteBytes(folder / name, bytes);
    }
};

TEST(SlotNumber, TwoCharactersWithZeroOnlyBeforeOneDigit)
{
    EXPECT_EQ(SlotNumberText(0), L"00");
    EXPECT_EQ(SlotNumberText(9), L"09");
    EXPECT_EQ(SlotNumberText(10), L"10");
    EXPECT_EQ(SlotNumberText(29), L"29");
}

TEST_F(SlotSetTest, SourceWithoutSlotFilesCopiesNothing)
{
    Slot(source, L"readme.txt", "x");
    CopySlotSet(fields, source.Path(), destination.Path());
    EXPECT_TRUE(ListFolder(destination.Path()).empty());
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(SlotSetTest, OnlyTheThirtySlotNamesAreCopied)
{
    for (const wchar_t* name : {L"save03", L"save17", L"save3", L"save30", L"save010", L"save00.bak", L"save10"})
        Slot(source, name, SlotContent(name));
    CopySlotSet(fields, source.Path(), destination.Path());
    EXPECT_EQ(ListFolder(destination.Path()), (std::vector<std::wstring>{L"save03", L"save10", L"save17"}));
    EXPECT_EQ(ReadBytes(destination / L"save17"), SlotContent(L"save17"));
    EXPECT_EQ(fields.SlotIndex, SlotCount);
}

TEST_F(SlotSetTest, CopiesInSlotOrderAndStopsAtTheFailingSlot)
{
    // Slot 17 cannot be replaced: slot 03 has been copied by then, slot 25 has not.
    Slot(source, L"save03", "new03");
    Slot(source, L"save17", "new17");
    Slot(source, L"save25", "new25");
    Slot(destination, L"save17", "old17");
    SetFileAttributesW((destination / L"save17").c_str(), FILE_ATTRIBUTE_READONLY);

    bool ok = RunHandler([&] { CopySlotSet(fields, source.Path(), destination.Path()); });
    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadBytes(destination / L"save03"), "new03");
    EXPECT_EQ(ReadBytes(destination / L"save17"), "old17");
    EXPECT_FALSE(FileExists(destination / L"save25"));
    EXPECT_EQ(fields.DestinationPath, destination / L"save17");
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_NE(recorder.messages[0].prompt.find(L"'75'"), std::wstring::npos);
    EXPECT_NE(recorder.messages[0].prompt.find(destination / L"save17"), std::wstring::npos);
    EXPECT_TRUE(TemporaryFilesIn(destination.Path()).empty());
}

TEST_F(SlotSetTest, DestinationSlotAbsentFromSourceIsLeftAlone)
{
    Slot(source, L"save04", "new04");
    Slot(destination, L"save05", "mine05");
    Slot(destination, L"save04", "old04-longer-than-new");
    CopySlotSet(fields, source.Path(), destination.Path());
    EXPECT_EQ(ReadBytes(destination / L"save04"), "new04");
    EXPECT_EQ(ReadBytes(destination / L"save05"), "mine05");
}

TEST_F(SlotSetTest, HiddenSystemAndReadOnlySourcesAreCopiedWithTheirAttributes)
{
    Slot(source, L"save01", "hidden");
    Slot(source, L"save02", "system");
    Slot(source, L"save03", "readonly");
    SetFileAttributesW((source / L"save01").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW((source / L"save02").c_str(), FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesW((source / L"save03").c_str(), FILE_ATTRIBUTE_READONLY);
    CopySlotSet(fields, source.Path(), destination.Path());
    EXPECT_EQ(ReadBytes(destination / L"save01"), "hidden");
    EXPECT_EQ(ReadBytes(destination / L"save02"), "system");
    EXPECT_EQ(ReadBytes(destination / L"save03"), "readonly");
    EXPECT_TRUE(GetFileAttributesW((destination / L"save03").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(GetFileAttributesW((destination / L"save01").c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(SlotSetTest, CopyKeepsTheLastWriteTime)
{
    Slot(source, L"save00", "dated");
    HANDLE file = CreateFileW((source / L"save00").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME old{};
    old.dwHighDateTime = 30000000;  // some day in 2009
    SetFileTime(file, nullptr, nullptr, &old);
    CloseHandle(file);
    CopySlotSet(fields, source.Path(), destination.Path());
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW((destination / L"save00").c_str(), GetFileExInfoStandard, &data);
    EXPECT_EQ(data.ftLastWriteTime.dwHighDateTime, old.dwHighDateTime);
}

TEST_F(SlotSetTest, FolderNamedLikeASlotFileFailsThatSlot)
{
    Slot(source, L"save00", "zero");
    CreateDirectoryW((source / L"save01").c_str(), nullptr);
    Slot(source, L"save02", "two");
    EXPECT_FALSE(RunHandler([&] { CopySlotSet(fields, source.Path(), destination.Path()); }));
    EXPECT_EQ(ReadBytes(destination / L"save00"), "zero");
    EXPECT_FALSE(FileExists(destination / L"save01"));
    EXPECT_FALSE(FileExists(destination / L"save02"));
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].style, 16);
    EXPECT_TRUE(TemporaryFilesIn(destination.Path()).empty());
}

TEST_F(SlotSetTest, FolderInTheDestinationWithASlotNameIsNotReplaced)
{
    Slot(source, L"save06", "six");
    CreateDirectoryW((destination / L"save06").c_str(), nullptr);
    WriteBytes(destination / L"save06\\inside", "kept");
    EXPECT_FALSE(RunHandler([&] { CopySlotSet(fields, source.Path(), destination.Path()); }));
    EXPECT_EQ(ReadBytes(destination / L"save06\\inside"), "kept");
    EXPECT_TRUE(TemporaryFilesIn(destination.Path()).empty());
}

TEST_F(SlotSetTest, CopyOntoItselfLeavesTheFileWhole)
{
    std::string big = SlotContent(L"self", 300000);
    Slot(source, L"save08", big);
    CopySlotSet(fields, source.Path(), source.Path());
    EXPECT_EQ(ReadBytes(source / L"save08"), big);
    EXPECT_TRUE(TemporaryFilesIn(source.Path()).empty());
}

TEST_F(SlotSetTest, DestinationHeldOpenWithoutSharingIsRefusedAndKept)
{
    Slot(source, L"save09", "new09");
    Slot(destination, L"save09", "old09");
    HANDLE held = CreateFileW((destination / L"save09").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    bool ok = RunHandler([&] { CopySlotSet(fields, source.Path(), destination.Path()); });
    CloseHandle(held);
    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadBytes(destination / L"save09"), "old09");
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_NE(recorder.messages[0].prompt.find(L"'70'"), std::wstring::npos);
    EXPECT_TRUE(TemporaryFilesIn(destination.Path()).empty());
}

TEST_F(SlotSetTest, SourceHeldOpenWithoutSharingIsReported)
{
    Slot(source, L"save11", "eleven");
    HANDLE held = CreateFileW((source / L"save11").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    bool ok = RunHandler([&] { CopySlotSet(fields, source.Path(), destination.Path()); });
    CloseHandle(held);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(FileExists(destination / L"save11"));
    EXPECT_TRUE(TemporaryFilesIn(destination.Path()).empty());
}

}  // namespace
