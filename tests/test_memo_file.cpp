// The memo file byte for byte, code page 932 both ways, and the memo view's line reading.

#include "app/codepage.h"
#include "memo/memo_file.h"
#include "tests/test_support.h"

namespace {

struct MemoTest : ::testing::Test {
    TestFolder folder;
    Recorder recorder;
    std::wstring Memo() const { return folder / L"omoide.txt"; }
    std::wstring Show()
    {
        std::wstring shown;
        ShowMemo(folder.Path(), shown);
        return shown;
    }
};

TEST_F(MemoTest, RecordsAreQuotedCp932WithCrLf)
{
    const std::pair<const wchar_t*, std::string> cases[] = {
        {L"", "\x22\x22\x0D\x0A"},
        {L"abc\r\ndef", "\"abc\r\ndef\"\r\n"},
        {L"彼女は\"永遠\"と言った", "\"\x94\xde\x8f\x97\x82\xcd\"\x89\x69\x89\x93\"\x82\xc6\x8c\xbe\x82\xc1\x82\xbd\"\r\n"},
        {L"ｱｲｳ", "\"\xb1\xb2\xb3\"\r\n"},
    };
    for (const auto& [text, bytes] : cases) {
        WriteMemo(folder.Path(), text);
        EXPECT_EQ(ReadBytes(Memo()), bytes) << Utf8(text);
    }
}

TEST_F(MemoTest, EveryCharacterOfCodePage932SurvivesTheRoundTrip)
{
    std::wstring all;
    for (int lead = 0x20; lead <= 0xFC; ++lead) {
        bool doubleByte = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
        for (int trail = doubleByte ? 0x40 : 0; trail <= (doubleByte ? 0xFC : 0); ++trail) {
            char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            std::wstring c = DecodeCp932(std::string_view(bytes, doubleByte ? 2 : 1));
            if (c.size() == 1 && c[0] != 0x30FB && c[0] != L'?' && c[0] != 0x7F && c[0] != 0xF8F0) all += c;
        }
    }
    ASSERT_GT(all.size(), 7000u);
    ASSERT_EQ(UnmappableCharacters(all), L"");
    WriteMemo(folder.Path(), all);
    EXPECT_TRUE(Show() == L"\"" + all + L"\"\r\n");
}

TEST_F(MemoTest, UnwritableMemosLeaveTheEarlierOneAsItWas)
{
    WriteMemo(folder.Path(), L"前の思い出");
    std::string before = ReadBytes(Memo());
    EXPECT_EQ(UnmappableCharacters(L"한글 😀 € ok 한"), L"한글😀€");
    EXPECT_EQ(UnmappableCharacters(std::wstring(1, wchar_t(0xD800))), std::wstring(1, wchar_t(0xD800)));
    EXPECT_FALSE(RunHandler([&] { WriteMemo(folder.Path(), L"新しい 😀"); }));
    SetFileAttributesW(Memo().c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(RunHandler([&] { WriteMemo(folder.Path(), L"lost"); }));
    SetFileAttributesW(Memo().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(Memo()), before);
    EXPECT_FALSE(RunHandler([&] { WriteMemo(folder / L"gone", L"x"); }));
    EXPECT_FALSE(RunHandler([&] { WriteMemo(Memo(), L"x"); }));  // a "folder" that is the memo file
    EXPECT_EQ(recorder.messages.size(), 4u);
    EXPECT_EQ(ReadBytes(Memo()), before);
}

TEST_F(MemoTest, ViewAppendsEachLineWithCrLf)
{
    EXPECT_EQ(Show(), L"");  // no memo: nothing, no message
    WriteBytes(Memo(), "");
    EXPECT_EQ(Show(), L"");
    WriteBytes(Memo(), "\x22\x61\x62\x63\x0D\x0A\x64\x65\x66\x22\x0D\x0A");
    std::wstring shown = L"typed by hand\r\n";
    ShowMemo(folder.Path(), shown);
    ShowMemo(folder.Path(), shown);
    EXPECT_EQ(shown, L"typed by hand\r\n\"abc\r\ndef\"\r\n\"abc\r\ndef\"\r\n");
    EXPECT_EQ(Module1::WorkPath, Memo());
    WriteBytes(Memo(), "\"\"\r\n");
    SetFileAttributesW(Memo().c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    EXPECT_EQ(Show(), L"\"\"\r\n");
    SetFileAttributesW(Memo().c_str(), FILE_ATTRIBUTE_NORMAL);
    // Lone CR and lone LF end lines too; a last line without a line end still shows.
    WriteBytes(Memo(), "one\rtwo\nthree\r\n\r\nlast");
    EXPECT_EQ(Show(), L"one\r\ntwo\r\nthree\r\n\r\nlast\r\n");
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(MemoTest, ANulByteShowsAsTheSymbolForNullAndTheRestOfTheMemoToo)
{
    WriteBytes(Memo(), std::string("\"a\0b\r\n\0\0\"\r\n", 11));
    EXPECT_EQ(Show(), L"\"a\x2400" L"b\r\n\x2400\x2400\"\r\n");
}

// Another program holds the file without letting others read: a failure to read, naming it.
TEST_F(MemoTest, AMemoHeldByAnotherProgramIsReportedAsUnreadable)
{
    WriteBytes(Memo(), "\"x\"\r\n");
    HANDLE held = CreateFileW(Memo().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::wstring shown;
    EXPECT_FALSE(RunHandler([&] { ShowMemo(folder.Path(), shown); }));
    CloseHandle(held);
    EXPECT_TRUE(recorder.Reported(L"'72':\r\n\r\n読み込みできません。ほかのプログラムが使っています。\r\n\r\n" + Memo()));
    EXPECT_EQ(shown, L"");
}

TEST_F(MemoTest, AFolderNamedLikeTheMemoIsReportedAndTheNextViewWorks)
{
    CreateDirectoryW(Memo().c_str(), nullptr);
    std::wstring shown = L"kept";
    EXPECT_FALSE(RunHandler([&] { ShowMemo(folder.Path(), shown); }));
    EXPECT_EQ(shown, L"kept");
    RemoveDirectoryW(Memo().c_str());
    WriteBytes(Memo(), "\"x\"\r\n");
    EXPECT_EQ(Show(), L"\"x\"\r\n");
}

}  // namespace
