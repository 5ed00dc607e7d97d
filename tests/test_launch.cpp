// Starting the game: the stand-in game is started from a folder whose path has spaces and
// tells where it ran and what command line it got; a game that cannot start is reported and
// the tool stays.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/handler.h"
#include "launch/launch.h"
#include "tests/test_support.h"
#include "tests/window_test_support.h"

using namespace nadeshiro;
using namespace nadeshiro::test;

namespace {

struct StandInReport {
    std::wstring commandLine;
    std::wstring folder;
};

// The stand-in's report once it is complete, or nothing after timeoutMs.
bool WaitForReport(const std::wstring& path, DWORD timeoutMs, StandInReport& report)
{
    for (DWORD waited = 0;; waited += 100) {
        std::string bytes = ReadBytes(path);
        if (bytes != "<missing>" && bytes.size() % 2 == 0) {
            std::wstring text(bytes.size() / 2, L'\0');
            std::copy(bytes.begin(), bytes.end(), reinterpret_cast<char*>(text.data()));
            size_t first = text.find(L'\n');
            size_t second = first == std::wstring::npos ? first : text.find(L'\n', first + 1);
            if (second != std::wstring::npos) {
                report.commandLine = text.substr(0, first);
                report.folder = text.substr(first + 1, second - first - 1);
                return true;
            }
        }
        if (waited >= timeoutMs) return false;
        Sleep(100);
    }
}

struct LaunchTest : ::testing::Test {
    TestFolder outer{L"", L"launch-"};
    // "<outer>\game folder with spaces ...": started without its full path named, a game
    // path like this would run "<outer>\game.exe" instead.
    TestFolder game{outer.Path(), L"game folder with spaces "};
    std::wstring reportPath = outer / L"report.txt";
    std::wstring standIn = HostPath(Environment(L"NADESHIRO_STANDIN"));
    // The game runs in the tool's current folder, which is the game folder.
    CurrentFolder inGameFolder{game.Path()};
    Recorder recorder;

    void SetUp() override
    {
        ASSERT_FALSE(standIn.empty()) << "NADESHIRO_STANDIN names the stand-in game";
        ASSERT_EQ(platform::CurrentDirectory(), game.Path());
        ASSERT_TRUE(CopyFileW(standIn.c_str(), (outer / L"game.exe").c_str(), FALSE));
        SetEnvironmentVariableW(L"NADESHIRO_STANDIN_REPORT", reportPath.c_str());
    }

    void TearDown() override
    {
        SetEnvironmentVariableW(L"NADESHIRO_STANDIN_REPORT", nullptr);
        // A game that is still ending holds its file; give it a moment before clean-up.
        for (int i = 0; i < 50 && FileExists(game / L"one.exe") && !DeleteFileW((game / L"one.exe").c_str()); ++i)
            Sleep(100);
    }
};

TEST_F(LaunchTest, StartsTheGameByItsWholePathInTheGameFolderAndEnds)
{
    ASSERT_TRUE(CopyFileW(standIn.c_str(), (game / L"one.exe").c_str(), FALSE));
    EXPECT_TRUE(RunHandler([&] { LaunchGame(game.Path()); }));
    EXPECT_EQ(recorder.ends, 1);
    EXPECT_TRUE(recorder.messages.empty());

    StandInReport report;
    ASSERT_TRUE(WaitForReport(reportPath, 20000, report)) << "the game did not start";
    EXPECT_EQ(report.commandLine, L"\"" + game.Path() + L"\\one.exe\"");
    EXPECT_EQ(report.folder, game.Path());
}

TEST_F(LaunchTest, AGameThatCannotStartIsReportedAndTheToolStays)
{
    // No one.exe at all.
    EXPECT_FALSE(RunHandler([&] { LaunchGame(game.Path()); }));
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].style, 16);
    EXPECT_NE(recorder.messages[0].prompt.find(L"'53'"), std::wstring::npos) << Utf8(recorder.messages[0].prompt);
    EXPECT_NE(recorder.messages[0].prompt.find(game / L"one.exe"), std::wstring::npos);

    // A one.exe that is no program.
    WriteBytes(game / L"one.exe", "this is a note, not a program\r\n");
    EXPECT_FALSE(RunHandler([&] { LaunchGame(game.Path()); }));
    ASSERT_EQ(recorder.messages.size(), 2u);
    EXPECT_EQ(recorder.messages[1].style, 16);

    EXPECT_EQ(recorder.ends, 0);
    StandInReport report;
    EXPECT_FALSE(WaitForReport(reportPath, 2000, report)) << "something started: " << Utf8(report.commandLine);
}

TEST_F(LaunchTest, AGameInADriveRootStartsThroughTheDoubledSeparator)
{
    const std::wstring root = L"R:\\";
    if (GetFileAttributesW(root.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no drive R: to write to";
    const std::wstring gamePath = root + L"\\one.exe";
    ASSERT_TRUE(CopyFileW(standIn.c_str(), L"R:\\one.exe", FALSE));
    {
        CurrentFolder inRoot(root);
        EXPECT_TRUE(RunHandler([&] { LaunchGame(root); }));
        EXPECT_EQ(recorder.ends, 1);
        StandInReport report;
        EXPECT_TRUE(WaitForReport(reportPath, 20000, report)) << "the game did not start";
        EXPECT_EQ(report.commandLine, L"\"" + gamePath + L"\"");
        EXPECT_EQ(report.folder, root);
    }
    for (int i = 0; i < 50 && !DeleteFileW(L"R:\\one.exe"); ++i) Sleep(100);
}

}  // namespace
