// The memo file byte for byte, code page 932 both ways, and the memo view's line reading.
#include <gtest/gtest.h>

#include "app/codepage.h"
#include "app/handler.h"
#include "app/platform.h"
#include "app/state.h"
#include "memo/memo_file.h"
#include "tests/test_support.h"

using namespace nadeshiro;
using namespace nadeshiro::test;

namespace {

struct MemoTest : ::testing::Test {
    TestFolder folder;
    Recorder recorder;
    std::wstring Memo() const { return folder / L"omoide.txt"; }
};

TEST_F(MemoTest, RecordsAreQuotedCp932WithCrLf)
{
    WriteMemo(folder.Path(), L"");
    EXPECT_EQ(ReadBytes(Memo()), std::string("\x22\x22\x0D\x0A"));

    WriteMemo(folder.Path(), L"abc\r\ndef");
    EXPECT_EQ(ReadBytes(Memo()), std::string("\"abc\r\ndef\"\r\n"));

    WriteMemo(folder.Path(), L"彼女は\"永遠\"と言った");
    EXPECT_EQ(ReadBytes(Memo()), std::string("\"\x94\xde\x8f\x97\x82\xcd\"\x89\x69\x89\x93\"\x82\xc6\x8c\xbe\x82\xc1\x82\xbd\"\r\n"));

    // Half-width katakana are single bytes; the yen sign has no place in code page 932.
    WriteMemo(folder.Path(), L"ｱｲｳ");
    EXPECT_EQ(ReadBytes(Memo()), std::string("\"\xb1\xb2\xb3\"\r\n"));
    EXPECT_TRUE(TemporaryFilesIn(folder.Path()).empty());
}

TEST_F(MemoTest, EverySequenceOfCodePage932SurvivesTheRoundTrip)
{
    // Every character code page 932 decodes to comes back from the file unchanged.
    std::wstring all;
    for (int lead = 0x20; lead <= 0xFC; ++lead) {
        if (lead == 0x22 || lead == 0x7F || lead == 0x80 || lead == 0xA0) continue;
        if ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) {
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F) continue;
                char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                std::wstring c = DecodeCp932(std::string_view(pair, 2));
                if (c.size() == 1 && c[0] != 0x30FB && c[0] != L'?') all += c;
            }
        } else {
            char one = static_cast<char>(lead);
            all += DecodeCp932(std::string_view(&one, 1));
        }
    }
    ASSERT_GT(all.size(), 7000u);
    ASSERT_TRUE(UnmappableCharacters(all).empty());
    WriteMemo(folder.Path(), all);

    std::wstring shown;
    ShowMemo(folder.Path(), shown);
    EXPECT_TRUE(shown == L"\"" + all + L"\"\r\n");
}

TEST_F(MemoTest, CharactersOutsideCodePage932AreNamedAndNothingIsWritten)
{
    WriteMemo(folder.Path(), L"前の思い出");
    std::string before = ReadBytes(Memo());
    EXPECT_EQ(UnmappableCharacters(L"한글 😀 € ok 한"), L"한글😀€");
    EXPECT_EQ(UnmappableCharacters(L"普通の文章と①と㈱"), L"");
    EXPECT_EQ(UnmappableCharacters(std::wstring(1, wchar_t(0xD800))), std::wstring(1, wchar_t(0xD800)));
    EXPECT_FALSE(RunHandler([&] { WriteMemo(folder.Path(), L"新しい 😀"); }));
    EXPECT_EQ(ReadBytes(Memo()), before);
    EXPECT_TRUE(TemporaryFilesIn(folder.Path()).empty());
}

TEST_F(MemoTest, WriterRefusesAReadOnlyMemoAndAMissingFolder)
{
    WriteMemo(folder.Path(), L"keep");
    SetFileAttributesW(Memo().c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(RunHandler([&] { WriteMemo(folder.Path(), L"lost"); }));
    EXPECT_EQ(ReadBytes(Memo()), "\"keep\"\r\n");
    SetFileAttributesW(Memo().c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_FALSE(RunHandler([&] { WriteMemo(folder / L"gone", L"x"); }));
    // A folder path that names the memo file itself.
    EXPECT_FALSE(RunHandler([&] { WriteMemo(Memo(), L"x"); }));
    EXPECT_EQ(recorder.messages.size(), 3u);
    EXPECT_TRUE(TemporaryFilesIn(folder.Path()).empty());
}

TEST_F(MemoTest, ViewShowsEachLineWithCrLfAndAppends)
{
    WriteBytes(Memo(), "\x22\x61\x62\x63\x0D\x0A\x64\x65\x66\x22\x0D\x0A");
    std::wstring shown = L"typed by hand\r\n";
    ShowMemo(folder.Path(), shown);
    EXPECT_EQ(shown, L"typed by hand\r\n\"abc\r\ndef\"\r\n");
    EXPECT_EQ(Module1::WorkPath, Memo());
    ShowMemo(folder.Path(), shown);
    EXPECT_EQ(shown, L"typed by hand\r\n\"abc\r\ndef\"\r\n\"abc\r\ndef\"\r\n");
}

TEST_F(MemoTest, ViewOfEmptyMissingHiddenAndOddlyBrokenFiles)
{
    std::wstring shown;
    ShowMemo(folder.Path(), shown);  // no memo: nothing, no message
    EXPECT_EQ(shown, L"");
    EXPECT_TRUE(recorder.messages.empty());

    WriteBytes(Memo(), "");
    ShowMemo(folder.Path(), shown);
    EXPECT_EQ(shown, L"");

    WriteBytes(Memo(), "\"\"\r\n");
    SetFileAttributesW(Memo().c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ShowMemo(folder.Path(), shown);
    EXPECT_EQ(shown, L"\"\"\r\n");
    SetFileAttributesW(Memo().c_str(), FILE_ATTRIBUTE_NORMAL);

    // Lone CR and lone LF end lines too; a last line without a line end still shows.
    shown.clear();
    WriteBytes(Memo(), "one\rtwo\nthree\r\n\r\nlast");
    ShowMemo(folder.Path(), shown);
    EXPECT_EQ(shown, L"one\r\ntwo\r\nthree\r\n\r\nlast\r\n");
}

TEST_F(MemoTest, FolderNamedLikeTheMemoIsReportedNotShown)
{
    CreateDirectoryW(Memo().c_str(), nullptr);
    std::wstring shown = L"kept";
    EXPECT_FALSE(RunHandler([&] { ShowMemo(folder.Path(), shown); }));
    EXPECT_EQ(shown, L"kept");
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].style, 16);
    // The file number is free again afterwards.
    RemoveDirectoryW(Memo().c_str());
    WriteBytes(Memo(), "\"x\"\r\n");
    ShowMemo(folder.Path(), shown);
    EXPECT_EQ(shown, L"kept\"x\"\r\n");
}

TEST(TextFiles, FileNumbersFollowTheirRules)
{
    TestFolder folder;
    WriteBytes(folder / L"a.txt", "a\r\n");
    platform::FileNumberGuard guard(1);
    platform::OpenFile(folder / L"a.txt", platform::FileMode::Input, 1);
    EXPECT_THROW(platform::OpenFile(folder / L"a.txt", platform::FileMode::Input, 1), RuntimeError);
    EXPECT_EQ(platform::ReadLine(1), L"a");
    EXPECT_TRUE(platform::EndOfFile(1));
    try {
        platform::ReadLine(1);
        FAIL() << "read past the end";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), 62);
    }
    platform::CloseFile(1);
    try {
        platform::OpenFile(folder / L"missing.txt", platform::FileMode::Input, 1);
        FAIL() << "opened a missing file";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), 53);
        EXPECT_EQ(e.Path(), folder / L"missing.txt");
    }
}

TEST(TextFiles, AbandonedOutputLeavesTheOldFile)
{
    TestFolder folder;
    WriteBytes(folder / L"omoide.txt", "\"old\"\r\n");
    {
        platform::FileNumberGuard guard(1);
        platform::OpenFile(folder / L"omoide.txt", platform::FileMode::Output, 1);
        platform::WriteItem(1, L"half");
    }
    EXPECT_EQ(ReadBytes(folder / L"omoide.txt"), "\"old\"\r\n");
    EXPECT_TRUE(TemporaryFilesIn(folder.Path()).empty());
}

}  // namespace
