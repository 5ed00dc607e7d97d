// Starting the game as Explorer starts it: the stand-in game writes the command line it got and
// its current folder (UTF-16); a game that cannot be started is reported and the tool stays.
#include <algorithm>

#include "app/system_calls.h"
#include "launch/launch.h"
#include "tests/test_support.h"
#include "tests/window_test_support.h"

namespace {

struct LaunchTest : ::testing::Test {
    TestFolder elsewhere{L"", L"not the game folder "};
    CurrentFolder notInTheGameFolder{elsewhere.Path()};  // the game still starts in its own folder
    const std::wstring report = elsewhere / L"report.txt";
    Recorder recorder;
    void SetUp() override { SetEnvironmentVariableW(L"NADESHIRO_STANDIN_REPORT", report.c_str()); }
    void TearDown() override { SetEnvironmentVariableW(L"NADESHIRO_STANDIN_REPORT", nullptr); }
    // What the stand-in got: its arguments as Windows splits its command line, then its current folder.
    std::vector<std::wstring> Started()
    {
        std::wstring text;
        WaitFor([&] {  // written whole: two lines
            const std::string bytes = ReadBytes(report);
            text.assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
            return std::count(text.begin(), text.end(), L'\n') == 2;
        }, 20000);
        const size_t cut = text.find(L'\n');
        if (cut == std::wstring::npos) return {L"<nothing started>"};
        int count = 0;
        LPWSTR* arguments = CommandLineToArgvW(text.substr(0, cut).c_str(), &count);
        std::vector<std::wstring> started(arguments, arguments + count);
        LocalFree(arguments);
        started.push_back(text.substr(cut + 1, text.find(L'\n', cut + 1) - cut - 1));
        return started;
    }
};

// A folder with spaces and Japanese in its path, and a drive's root, which gives the game's
// path a doubled separator.
TEST_F(LaunchTest, TheGameStartsWholeInItsOwnFolderAndTheToolEnds)
{
    TestFolder spaced{L"", L"ゲーム と space "};
    const struct { std::wstring folder, program, current; } cases[] = {
        {spaced.Path(), spaced / L"one.exe", spaced.Path()}, {L"R:\\", L"R:\\one.exe", L"R:\\"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.folder));
        ASSERT_TRUE(CopyFileW(EnvironmentPath(L"NADESHIRO_STANDIN").c_str(), c.program.c_str(), FALSE)) << "NADESHIRO_STANDIN names the stand-in";
        DeleteFileW(report.c_str());
        recorder.ends = 0;
        EXPECT_TRUE(RunHandler([&] { LaunchGame(c.folder); }));
        EXPECT_EQ(recorder.ends, 1);
        EXPECT_THAT(recorder.messages, IsEmpty());
        EXPECT_THAT(Started(), ElementsAre(c.program, c.current));
        WaitFor([&] { return DeleteFileW(c.program.c_str()) != FALSE; });  // until the game has ended
    }
}

// A missing game, and the player saying no to the elevation prompt (Windows' answer to the
// start, which Wine never asks: given here through the system call seam), are reported.
TEST_F(LaunchTest, AGameThatDoesNotStartIsReportedAndTheToolStays)
{
    TestFolder game{L"", L"game without one.exe "};
    const struct { const char* name; DWORD fault; const wchar_t* number; std::wstring code; } cases[] = {
        {"missing", 0, L"'53'", L"(2)"}, {"elevation declined", ERROR_CANCELLED, L"'75'", L"(1223)"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.fault != 0) {  // the game is there: Windows' answer stops it
            ASSERT_TRUE(CopyFileW(EnvironmentPath(L"NADESHIRO_STANDIN").c_str(), (game / L"one.exe").c_str(), FALSE));
        }
        recorder.messages.clear();
        platform::sys::ArmFault({c.fault != 0 ? 3 : 0, c.fault});  // the start, after the two calls that ask the game's long path
        EXPECT_FALSE(RunHandler([&] { LaunchGame(game.Path()); }));
        platform::sys::ArmFault({});
        EXPECT_EQ(recorder.ends, 0);
        EXPECT_THAT(recorder.messages, ElementsAre(Report(L"実行時エラー " + std::wstring(c.number), L"\r\n\r\n" + game / L"one.exe" + L"\r\n\r\n", c.code)));
        EXPECT_EQ(ReadBytes(report), "<missing>");  // nothing started
    }
}

}  // namespace
