// Starting the game: the stand-in game, in a folder whose path has spaces, writes the command
// line it got and its current folder (UTF-16); a missing game is reported and the tool stays.
#include "launch/launch.h"
#include "tests/test_support.h"
#include "tests/window_test_support.h"

TEST(Launch, StartsTheGameByItsQuotedPathInTheGameFolderOrReportsAndStays)
{
    TestFolder game{L"", L"game folder with spaces "};
    const std::wstring report = game / L"report.txt", one = game / L"one.exe", want = L"\"" + one + L"\"\n" + game.Path() + L"\n";
    CurrentFolder inGameFolder{game.Path()};
    Recorder recorder;
    SetEnvironmentVariableW(L"NADESHIRO_STANDIN_REPORT", report.c_str());
    EXPECT_FALSE(RunHandler([&] { LaunchGame(game.Path()); }));
    EXPECT_TRUE(recorder.Reported(L"'53'") && recorder.ends == 0);
    recorder.messages.clear();
    ASSERT_TRUE(CopyFileW(EnvironmentPath(L"NADESHIRO_STANDIN").c_str(), one.c_str(), FALSE)) << "NADESHIRO_STANDIN names the stand-in";
    EXPECT_TRUE(RunHandler([&] { LaunchGame(game.Path()); }) && recorder.ends == 1 && recorder.messages.empty());
    const std::string bytes(reinterpret_cast<const char*>(want.data()), want.size() * sizeof(wchar_t));
    for (int i = 0; i < 200 && ReadBytes(report) != bytes; ++i) Sleep(100);
    EXPECT_EQ(ReadBytes(report), bytes);
    for (int i = 0; i < 50 && !DeleteFileW(one.c_str()); ++i) Sleep(100);  // until the game has ended
}
