// The tool's text files are code page 932 whatever the system's own code page is: the same
// bytes on a Japanese system (932) as on an English one (1252), where the tests run too.
#include "app/codepage.h"
#include "tests/test_support.h"

// The run is in the code page it is meant for: 932 (the Japanese locale the tests run in), or the
// one the run names in NADESHIRO_SYSTEM_CODEPAGE. Japanese, half-width kana and ASCII go both
// ways; what 932 cannot hold (accented Latin, which 1252 can; a lone surrogate) is refused by
// name, each once. (A failed encoding leaves "<none>".)
TEST(CodePage, TextIsEncodedAndDecodedIn932)
{
    const std::wstring named = EnvironmentPath(L"NADESHIRO_SYSTEM_CODEPAGE");
    EXPECT_EQ(GetACP(), named.empty() ? 932u : std::stoul(named));
    const std::pair<std::wstring, std::string> cases[] = {{L"", ""}, {L"save00 \"a\"\r\n", "save00 \"a\"\r\n"},
        {L"思い出", "\x8e\x76\x82\xa2\x8f\x6f"}, {L"ｱｲｳ", "\xb1\xb2\xb3"}, {L"あ～", "\x82\xa0\x81\x60"}};
    std::string encoded;
    for (const auto& [text, bytes] : cases) {
        encoded = "<none>";
        EncodeCp932(text, encoded);
        EXPECT_EQ(encoded, bytes) << Utf8(text);
        EXPECT_EQ(DecodeCp932(bytes), text) << Utf8(text);
    }
    EXPECT_EQ(UnmappableCharacters(L"café ü 思い出 é"), L"éü");
    EXPECT_EQ(UnmappableCharacters(std::wstring(L"a\xD800" L"b", 3)), std::wstring(1, L'\xD800'));
    EXPECT_FALSE(EncodeCp932(L"é", encoded));
}
