// The slot copy over real folders: which files make the slot set, and the destinations that
// must not be replaced. What a copy stopped by a failing step leaves is the fault test's.

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
TEST_F(SlotSetTest, OnlyTheThirtySlotNamesAreCopiedWithTheirAttributesAndOthersLeftAlone)
{
    ASSERT_TRUE(Copy());  // nothing to copy, nothing said
    EXPECT_TRUE(ListFolder(destination.Path()).empty());
    for (const wchar_t* name : {L"save03", L"save17", L"save3", L"save30", L"save010", L"save00.bak", L"save10"})
        WriteBytes(source / name, SlotContent(name));
    const DWORD attributes[] = {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_READONLY};
    const wchar_t* const marked[] = {L"save03", L"save17", L"save10"};
    for (int i = 0; i < 3; ++i) SetFileAttributesW((source / marked[i]).c_str(), attributes[i]);
    WriteBytes(destination / L"save05", "mine05");
    WriteBytes(destination / L"save03", "old03-longer-than-the-new-one");
    ASSERT_TRUE(Copy());
    EXPECT_EQ(ListFolder(destination.Path()), (std::vector<std::wstring>{L"save03", L"save05", L"save10", L"save17"}));
    EXPECT_EQ(ReadBytes(destination / L"save03"), SlotContent(L"save03"));
    EXPECT_EQ(ReadBytes(destination / L"save05"), "mine05");
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(GetFileAttributesW((destination / marked[i]).c_str()) & attributes[i]);
    EXPECT_TRUE(recorder.messages.empty());
}

// A read-only slot file, a folder in a slot's place on either side, and a slot file another
// program holds open: the slot is reported by its path and nothing is replaced.
TEST_F(SlotSetTest, DestinationsThatMustNotBeReplacedAreReportedAndKept)
{
    WriteBytes(source / L"save01", "new01");
    WriteBytes(destination / L"save01", "old01");
    SetFileAttributesW((destination / L"save01").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(Copy());
    EXPECT_TRUE(recorder.Reported(L"'75'"));
    EXPECT_NE(recorder.messages[0].prompt.find(destination / L"save01"), std::wstring::npos);
    SetFileAttributesW((destination / L"save01").c_str(), FILE_ATTRIBUTE_NORMAL);
    for (const std::wstring& held : {destination / L"save01", source / L"save01"}) {
        recorder.messages.clear();
        HANDLE file = CreateFileW(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_FALSE(Copy());
        CloseHandle(file);
        EXPECT_TRUE(recorder.Reported(held == source / L"save01" ? L"'72'" : L"'70'")) << Utf8(held);
        EXPECT_TRUE(recorder.Reported(held)) << Utf8(held);
    }
    EXPECT_EQ(ReadBytes(destination / L"save01"), "old01");
    CreateDirectoryW((source / L"save00").c_str(), nullptr);
    CreateDirectoryW((destination / L"save02").c_str(), nullptr);
    WriteBytes(source / L"save02", "new02");
    for (int i = 0; i < 2; ++i) {
        recorder.messages.clear();
        EXPECT_FALSE(Copy());
        EXPECT_TRUE(recorder.Reported(L"'75'"));
        RemoveDirectoryW((source / L"save00").c_str());
    }
    EXPECT_TRUE(FolderExists(destination / L"save02"));
    EXPECT_TRUE(TemporaryFilesIn(destination.Path()).empty());
}

}  // namespace
