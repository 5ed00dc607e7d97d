// Starting the game as Explorer starts it: the stand-in game writes the command line it got and
// its current folder (UTF-16); a game that cannot be started is reported and the tool stays.
#include <algorithm>

#include "app/system_calls.h"
#include "launch/launch.h"
#include "tests/test_support.h"

using Messages = ::testing::Matcher<const std::vector<Recorded>&>;

// A folder with spaces and Japanese in its path, and a drive's root, which gives the game's
// path a doubled separator: the game starts whole in its own folder and the tool ends. A missing
// game, and the player saying no to the elevation prompt (Windows' answer to the start, which
// Wine never asks: given here through the system call seam), are reported and nothing starts.
TEST(LaunchTest, TheGameStartsWholeInItsOwnFolderOrIsReportedAndTheToolStays)
{
    TestFolder spaced{L"", L"ゲーム と space "}, missing{L"", L"game without one.exe "};
    const std::wstring report = OwnFolder() + L"\\report.txt";  // in this program's current folder, not the game's
    SetEnvironmentVariableW(L"NADESHIRO_STANDIN_REPORT", report.c_str());
    // What the stand-in got (written whole: two lines): its arguments as Windows splits its
    // command line, then its current folder; nothing when it wrote nothing.
    auto started = [&](DWORD wait) {
        std::wstring text;
        WaitFor([&] {
            const std::string bytes = ReadBytes(report);
            text.assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
            return std::count(text.begin(), text.end(), L'\n') == 2;
        }, wait);
        if (ReadBytes(report) == "<missing>") return Names();
        const size_t cut = text.find(L'\n');
        int count = 0;
        LPWSTR* arguments = CommandLineToArgvW(text.substr(0, cut).c_str(), &count);
        Names got(arguments, arguments + count);
        LocalFree(arguments);
        got.push_back(text.substr(cut + 1, text.find(L'\n', cut + 1) - cut - 1));
        return got;
    };
    const std::wstring rootGame = L"R:\\one.exe", spacedGame = spaced / L"one.exe";
    const struct { const char* name; std::wstring folder, game; DWORD fault; Messages messages; Names started; } cases[] = {
        {"spaces and Japanese", spaced.Path(), spacedGame, 0, IsEmpty(), {spacedGame, spaced.Path()}},
        {"a drive's root", L"R:\\", rootGame, 0, IsEmpty(), {rootGame, L"R:\\"}},
        {"missing", missing.Path(), L"", 0,
         ElementsAre(Report(L"実行時エラー '53'", L"\r\n\r\n" + missing / L"one.exe" + L"\r\n\r\n", L"(2)")), {}},
        {"elevation declined", spaced.Path(), spacedGame, ERROR_CANCELLED,
         ElementsAre(Report(L"実行時エラー '75'", L"\r\n\r\n" + spacedGame + L"\r\n\r\n", L"(1223)")), {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.game.empty()) {  // the game is there (declined elevation: Windows' answer stops it)
            ASSERT_TRUE(CopyFileW(EnvironmentPath(L"NADESHIRO_STANDIN").c_str(), c.game.c_str(), FALSE))
                << "NADESHIRO_STANDIN names the stand-in";
        }
        DeleteFileW(report.c_str());
        Recorder recorder;
        platform::sys::ArmFault({c.fault != 0 ? 3 : 0, c.fault});  // the start, after the two calls that ask the game's long path
        EXPECT_EQ(RunHandler([&] { LaunchGame(c.folder); }), !c.started.empty());
        platform::sys::ArmFault({});
        EXPECT_EQ(recorder.ends, c.started.empty() ? 0 : 1);
        EXPECT_THAT(recorder.messages, c.messages);
        EXPECT_EQ(started(c.started.empty() ? 0 : 20000), c.started);
        WaitFor([&] { return c.game.empty() || DeleteFileW(c.game.c_str()) != FALSE; });  // until the game has ended
    }
}
