// Starting the game: the stand-in game, started from a folder whose path has spaces, tells
// where it ran and what command line it got; a game that cannot start is reported and the
// tool stays.

#include "launch/launch.h"
#include "tests/test_support.h"
#include "tests/window_test_support.h"

namespace {

// The stand-in's report (its command line and current folder, each ended by a line feed)
// once complete; empty when none came within timeoutMs.
std::wstring WaitForReport(const std::wstring& path, DWORD timeoutMs)
{
    for (DWORD waited = 0;; waited += 100, Sleep(100)) {
        std::string bytes = ReadBytes(path);
        std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
        if (text.find(L'\n', text.find(L'\n') + 1) != std::wstring::npos) return text;
        if (waited >= timeoutMs) return L"";
    }
}

TEST(Launch, StartsTheGameByItsQuotedPathInTheGameFolderAndEndsOrReportsAndStays)
{
    TestFolder game{L"", L"game folder with spaces "};
    std::wstring report = game / L"report.txt", one = game / L"one.exe";
    CurrentFolder inGameFolder{game.Path()};  // the tool's current folder is the game folder
    Recorder recorder;
    SetEnvironmentVariableW(L"NADESHIRO_STANDIN_REPORT", report.c_str());
    // No one.exe, then one.exe that is no program.
    for (const wchar_t* mention : {L"'53'", L""}) {
        recorder.messages.clear();
        EXPECT_FALSE(RunHandler([&] { LaunchGame(game.Path()); }));
        EXPECT_TRUE(recorder.Reported(mention));
        WriteBytes(one, "a note\r\n");
    }
    EXPECT_EQ(recorder.ends, 0);
    EXPECT_EQ(WaitForReport(report, 2000), L"") << "something started";

    recorder.messages.clear();
    ASSERT_TRUE(CopyFileW(EnvironmentPath(L"NADESHIRO_STANDIN").c_str(), one.c_str(), FALSE)) << "NADESHIRO_STANDIN names the stand-in";
    EXPECT_TRUE(RunHandler([&] { LaunchGame(game.Path()); }));
    EXPECT_EQ(recorder.ends, 1);
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(WaitForReport(report, 20000), L"\"" + one + L"\"\n" + game.Path() + L"\n");
    for (int i = 0; i < 50 && !DeleteFileW(one.c_str()); ++i) Sleep(100);  // until the game has ended
}

}  // namespace
