// Starting the game: the stand-in game is started from a folder whose path has spaces and
// tells where it ran and what command line it got; a game that cannot start is reported and
// the tool stays.

#include "launch/launch.h"
#include "tests/test_support.h"
#include "tests/window_test_support.h"

namespace {

// The stand-in's report, its command line and current folder each ended by a line feed,
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

struct LaunchTest : ::testing::Test {
    TestFolder game{L"", L"game folder with spaces "};
    std::wstring report = game / L"report.txt";
    CurrentFolder inGameFolder{game.Path()};  // the tool's current folder is the game folder
    Recorder recorder;
    void SetUp() override { SetEnvironmentVariableW(L"NADESHIRO_STANDIN_REPORT", report.c_str()); }
};

TEST_F(LaunchTest, StartsTheGameByItsQuotedPathInTheGameFolderAndEnds)
{
    std::wstring standIn = HostPath(Environment(L"NADESHIRO_STANDIN")), one = game / L"one.exe";
    ASSERT_TRUE(CopyFileW(standIn.c_str(), one.c_str(), FALSE)) << "NADESHIRO_STANDIN names the stand-in";
    EXPECT_TRUE(RunHandler([&] { LaunchGame(game.Path()); }));
    EXPECT_EQ(recorder.ends, 1);
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(WaitForReport(report, 20000), L"\"" + one + L"\"\n" + game.Path() + L"\n");
    for (int i = 0; i < 50 && !DeleteFileW(one.c_str()); ++i) Sleep(100);  // until the game has ended
}

TEST_F(LaunchTest, AGameThatCannotStartIsReportedAndTheToolStays)
{
    struct { const char* oneExe; const wchar_t* mention; } const cases[] = {{nullptr, L"'53'"}, {"a note\r\n", L""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.oneExe == nullptr ? "no one.exe" : "one.exe no program");
        recorder.messages.clear();
        if (c.oneExe != nullptr) WriteBytes(game / L"one.exe", c.oneExe);
        EXPECT_FALSE(RunHandler([&] { LaunchGame(game.Path()); }));
        EXPECT_TRUE(recorder.Reported(c.mention));
    }
    EXPECT_EQ(recorder.ends, 0);
    EXPECT_EQ(WaitForReport(report, 2000), L"") << "something started";
}

}  // namespace
