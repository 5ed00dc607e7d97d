// The memo file byte for byte, code page 932 both ways, and the memo view's line reading.

#include "app/codepage.h"
#include "memo/memo_file.h"
#include "tests/test_support.h"

namespace {

struct MemoTest : ::testing::Test {
    TestFolder folder;
    Recorder recorder;
    std::wstring Memo() const { return folder / L"omoide.txt"; }
    bool Show(std::wstring& shown) { return RunHandler([&] { ShowMemo(folder.Path(), shown); }); }
    std::wstring Show()
    {
        std::wstring shown;
        Show(shown);
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

// Characters outside code page 932 and a real read-only memo: reported, the earlier memo kept.
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
    EXPECT_EQ(recorder.messages.size(), 2u);
    EXPECT_EQ(ReadBytes(Memo()), before);
}

// Each line is appended with CR LF; lone CR and lone LF end lines too, a last line without a
// line end still shows, and a NUL byte shows as the symbol for null with what follows it.
TEST_F(MemoTest, ViewAppendsEachLineWithCrLf)
{
    EXPECT_EQ(Show(), L"");  // no memo: nothing, no message
    const std::pair<std::string, std::wstring> cases[] = {{"", L""},
        {"one\rtwo\nthree\r\n\r\nlast", L"one\r\ntwo\r\nthree\r\n\r\nlast\r\n"},
        {std::string("\"a\0b\r\n\0\0\"\r\n", 11), L"\"a\x2400" L"b\r\n\x2400\x2400\"\r\n"}};
    for (const auto& [bytes, shown] : cases) {
        WriteBytes(Memo(), bytes);
        EXPECT_EQ(Show(), shown);
    }
    WriteBytes(Memo(), "\"abc\r\ndef\"\r\n");
    SetFileAttributesW(Memo().c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    std::wstring shown = L"typed by hand\r\n";
    Show(shown);
    Show(shown);
    EXPECT_EQ(shown, L"typed by hand\r\n\"abc\r\ndef\"\r\n\"abc\r\ndef\"\r\n");
    EXPECT_EQ(Module1::WorkPath, Memo());
    EXPECT_TRUE(recorder.messages.empty());
}

// A memo another program holds without letting others read is a failure to read, naming it;
// a folder in its place is reported too. The text shown is kept.
TEST_F(MemoTest, AMemoThatCannotBeReadIsReportedAndTheTextKept)
{
    WriteBytes(Memo(), "\"x\"\r\n");
    HANDLE held = CreateFileW(Memo().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    std::wstring shown = L"kept";
    EXPECT_FALSE(Show(shown));
    CloseHandle(held);
    EXPECT_TRUE(recorder.Reported(L"'72':\r\n\r\n読み込みできません。ほかのプログラムが使っています。\r\n\r\n" + Memo()));
    DeleteFileW(Memo().c_str());
    CreateDirectoryW(Memo().c_str(), nullptr);
    EXPECT_FALSE(Show(shown));
    EXPECT_EQ(shown, L"kept");
    EXPECT_EQ(recorder.messages.size(), 2u);
}

}  // namespace
