#include "memo/memo_file.h"
#include "tests/test_support.h"

// Lines are appended to the text shown with CR LF (lone CR and LF end lines, a last line without
// an end shows), NUL as U+2400, code page 932 bytes as the Japanese text they hold whatever the
// system's code page. A memo another program holds is reported by its path, as 72 where it is
// shown (where it is written, and a read-only one: the fault test's). A memo is written quoted in
// code page 932 with CR LF, a quote in it as it is.
TEST(Memo, ViewAppendsEachLineWithCrLfAndRecordsAreQuotedCp932)
{
    TestFolder folder;
    Recorder recorder;
    const std::wstring memo = folder / L"omoide.txt";
    const std::pair<std::string, std::wstring> shown[] = {{"<none>", L""}, {"", L""},
        {"one\rtwo\nthree\r\n\r\nlast", L"one\r\ntwo\r\nthree\r\n\r\nlast\r\n"},
        {std::string("\"a\0b\r\n\0\0\"\r\n", 11), L"\"a\x2400" L"b\r\n\x2400\x2400\"\r\n"},
        {"\"\x8e\x76\x82\xa2\x8f\x6f\"\r\n\xb1\xb2\r\n", L"\"思い出\"\r\nｱｲ\r\n"}};
    for (const auto& [bytes, want] : shown) {
        if (bytes != "<none>") WriteBytes(memo, bytes);
        std::wstring text = L"typed\r\n";
        SCOPED_TRACE(bytes);
        EXPECT_TRUE(RunHandler([&] { ShowMemo(folder.Path(), text); }));
        EXPECT_EQ(text, L"typed\r\n" + want);
    }
    HANDLE held = CreateFileW(memo.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    std::wstring text;
    EXPECT_FALSE(RunHandler([&] { ShowMemo(folder.Path(), text); }));
    CloseHandle(held);
    EXPECT_EQ(text, L"");
    EXPECT_THAT(recorder.messages, ElementsAre(Report(L"'72':\r\n\r\n読み込みできません。ほかのプログラムが使っています。\r\n\r\n" + memo)));
    WriteMemo(folder.Path(), L"彼女は\"永遠\"と\r\n言った");
    EXPECT_EQ(ReadBytes(memo), "\"\x94\xde\x8f\x97\x82\xcd\"\x89\x69\x89\x93\"\x82\xc6\r\n\x8c\xbe\x82\xc1\x82\xbd\"\r\n");
}
