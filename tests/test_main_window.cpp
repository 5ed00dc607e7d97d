// The main window driven as a user would, through the program's own message handling: start,
// layout at two DPIs, keyboard order, commands, menu and drive list.
#include "tests/test_support.h"

#include <commctrl.h>

#include <map>

#include "app/resource.h"
#include "app/system_calls.h"
#include "tests/window_test_support.h"
#include "ui/main_window.h"
#include "ui/memo_window.h"
#include "ui/version_window.h"

using namespace nadeshiro::ui;

namespace {

// Every control's place in twips: on the window (tab -1), or on a tab from its corner at 2280, 960.
struct Place { const wchar_t* name; int tab, left, top, width, height; };
const Place kPlaces[] = {
    {L"SSTab1", -1, 2280, 960, 5925, 2565}, {L"Drive1", -1, 120, 960, 2055, 300}, {L"Dir1", -1, 120, 1320, 2055, 2190},
    {L"Command4", -1, 120, 3600, 8055, 495}, {L"tab1_label1(0)", 0, 240, 480, 1215, 255}, {L"tab1_label1(1)", 0, 240, 720, 5295, 255},
    {L"Text1", 0, 240, 1080, 2415, 270}, {L"tab1_label1(2)", 0, 240, 1560, 3375, 255}, {L"Command1", 0, 4440, 2040, 1215, 375},
    {L"tab2_label(0)", 1, 240, 480, 855, 255}, {L"tab2_label(1)", 1, 240, 720, 4815, 255}, {L"Command2", 1, 4440, 2040, 1215, 375},
    {L"Label1(0)", 2, 240, 480, 1095, 255}, {L"Label1(1)", 2, 240, 720, 3975, 255}, {L"Text2", 2, 120, 1080, 5655, 1335},
    {L"Command3", 2, 4200, 600, 1575, 375}};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (std::wstring n : {L"00", L"07"}) WriteBytes(game / (L"save" + n), SlotContent(L"game" + n));
        for (const wchar_t* name : {L"backups", L"archive", L"archive\\old"}) CreateDirectoryW((game / name).c_str(), nullptr);
        ASSERT_NE(window = CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE), nullptr);
        Pump();
    }
    void TearDown() override { for (HWND open : {MemoForm().Window(), VersionForm().Window(), window}) DestroyWindow(open); }
    HWND C(const wchar_t* name) { return MainForm().Control(name); }
    void Send(int id, int code, HWND from) { SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, code), LPARAM(from)), Pump(); }
    void SelectTab(int tab)
    {
        SendMessageW(C(L"SSTab1"), TCM_SETCURSEL, WPARAM(tab), 0);
        NMHDR header{C(L"SSTab1"), IDC_SSTAB1, UINT(TCN_SELCHANGE)};
        SendMessageW(window, WM_NOTIFY, IDC_SSTAB1, reinterpret_cast<LPARAM>(&header));
    }
    // Highlights a folder list entry, and opens it as a double click does.
    void Pick(const std::wstring& text, bool open)
    {
        WPARAM i = 0;
        while (Dir1().Entries()[i].text != text) ++i;
        SendMessageW(C(L"Dir1"), LB_SETCURSEL, i, 0);
        if (open) Send(IDC_DIR1, LBN_DBLCLK, C(L"Dir1"));
    }
    // A key press, with Ctrl held (0x80) or not, through the program's message loop.
    void Press(WPARAM key, BYTE control = 0)
    {
        BYTE keys[256] = {};
        keys[VK_CONTROL] = control;
        SetKeyboardState(keys);
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 1), Pump();
    }
    TestFolder game{std::wstring(), L"main window game "};
    CurrentFolder folder{game.Path()};
    Recorder recorder;
    HWND window = nullptr;
};

TEST_F(MainWindowTest, StartsOnTheRestoreTabInTheGameFolderLaidOutFromTwipsAtEachDpi)
{
    EXPECT_TRUE(TabCtrl_GetCurSel(C(L"SSTab1")) == 1 && recorder.messages.empty());
    EXPECT_EQ(MainWindowFields().GameFolder + L"|" + Dir1().Path() + L"|" + Drive1().Drive().substr(0, 2),
              game.Path() + L"|" + game.Path() + L"|" + wchar_t(towlower(game.Path()[0])) + L":");
    EXPECT_EQ(Dir1().Entries().back().text, L"backups");  // the open folder's subfolders, sorted
    for (UINT dpi : {144u, 96u}) {
        RECT suggested, client;
        GetWindowRect(window, &suggested);
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        GetClientRect(window, &client);
        EXPECT_TRUE(SameRect(client, {0, 0, TwipsToPixels(8295, dpi), TwipsToPixels(4185, dpi)})) << dpi;
        for (const Place& p : kPlaces) {
            int left = TwipsToPixels(p.left + (p.tab < 0 ? 0 : 2280), dpi), top = TwipsToPixels(p.top + (p.tab < 0 ? 0 : 960), dpi);
            RECT expected{left, top, left + TwipsToPixels(p.width, dpi), top + TwipsToPixels(p.height, dpi)}, actual = RectInWindow(C(p.name));
            if (p.name == std::wstring(L"Drive1")) actual.bottom = expected.bottom;  // its height is the font's
            EXPECT_TRUE(SameRect(actual, expected)) << Utf8(p.name) << " at " << dpi << ": " << Describe(actual);
        }
    }
}

TEST_F(MainWindowTest, KeyboardWalksOnlyTheCurrentTabAndEnterStaysInText2)
{
    const std::vector<std::wstring> walks[] = {{L"Drive1", L"Dir1", L"Text1", L"Command1", L"Command4"},
                                               {L"Drive1", L"Dir1", L"Command2", L"Command4"},
                                               {L"Drive1", L"Dir1", L"Text2", L"Command3", L"Command4"}};
    for (int tab : {0, 1, 2}) {
        SelectTab(tab);
        std::vector<std::wstring> walk;
        for (HWND at = GetNextDlgTabItem(window, C(L"SSTab1"), FALSE); at != C(L"SSTab1"); at = GetNextDlgTabItem(window, at, FALSE))
            for (const Place& p : kPlaces) walk.insert(walk.end(), C(p.name) == at ? 1 : 0, p.name);
        EXPECT_EQ(walk, walks[tab]) << "tab " << tab;  // back to the tab control; the other tabs' controls hidden
    }
    if (SetFocus(C(L"Text2")), GetFocus() != C(L"Text2")) GTEST_SKIP() << "this display gives the window no keyboard focus";
    Press(VK_RETURN);
    Press(VK_TAB);
    EXPECT_TRUE(GetFocus() == C(L"Command3") && WindowText(C(L"Text2")) == L"\r\n");  // a new line, no tab character
    Press(VK_TAB, 0x80);                                                                // Ctrl+Tab
    EXPECT_TRUE(TabCtrl_GetCurSel(C(L"SSTab1")) == 0 && GetFocus() == C(L"SSTab1"));  // the focus left the hidden tab
}

// The tab control is the tool's own: arrow keys and clicks change the tab as the system's does,
// and the window shows the chosen tab's page, made the first time it is shown.
TEST_F(MainWindowTest, TabsFollowArrowKeysAndClicksAndShowTheirPage)
{
    HWND tabs = C(L"SSTab1");
    EXPECT_TRUE(SendMessageW(tabs, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS);
    std::vector<int> seen;
    auto shown = [&] { return IsWindowVisible(C(L"Text1")) ? 0 : IsWindowVisible(C(L"Command2")) ? 1 : IsWindowVisible(C(L"Text2")) ? 2 : -1; };
    for (WPARAM key : {VK_LEFT, VK_LEFT, VK_END, VK_RIGHT, VK_HOME, VK_RIGHT}) {
        SendMessageW(tabs, WM_KEYDOWN, key, 0), Pump();
        seen.push_back(TabCtrl_GetCurSel(tabs) * 10 + shown());
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 0, 22, 22, 0, 11}));  // no wrapping at either end
    RECT third;
    ASSERT_TRUE(TabCtrl_GetItemRect(tabs, 2, &third));
    SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((third.left + third.right) / 2, (third.top + third.bottom) / 2)), Pump();
    EXPECT_EQ(TabCtrl_GetCurSel(tabs) * 10 + shown(), 22);
    RECT page{}, strip{};
    GetClientRect(tabs, &strip);
    TabCtrl_AdjustRect(tabs, FALSE, &(page = strip));
    EXPECT_TRUE(page.top > third.bottom - 2 && page.left > 0 && page.right < strip.right && page.bottom < strip.bottom) << Describe(page);
}

TEST_F(MainWindowTest, CommandsWorkOnTheOpenedFolderAndABackUpOpensItsMemoWindow)
{
    WriteBytes(game / L"archive\\save07", "only highlighted");
    WriteBytes(game / L"archive\\old\\save09", "restored09");
    Pick(L"archive", true);
    Pick(L"old", true);
    ASSERT_EQ(Dir1().Path(), game / L"archive\\old");
    Pick(L"archive", false);  // highlighted, not opened: the commands use the opened folder
    Click(C(L"Command2"));
    EXPECT_EQ(ReadBytes(game / L"save09") + ReadBytes(game / L"save07"), "restored09" + SlotContent(L"game07"));
    SetWindowTextW(C(L"Text1"), L"ボス戦の前");
    Click(C(L"Command1"));
    EXPECT_EQ(ListFolder(game / L"archive\\old\\ボス戦の前"), (std::vector<std::wstring>{L"save00", L"save07", L"save09"}));
    EXPECT_NE(MemoForm().Window(), nullptr);
}

TEST_F(MainWindowTest, MenuItemsWorkAndADriveNotReadyBeepsWarnsAndKeepsTheFolderList)
{
    HWND version = (Send(IDM_VER, 0, nullptr), VersionForm().Window());
    Send(IDM_VER, 0, nullptr), Send(IDM_END, 0, nullptr);
    EXPECT_TRUE(version != nullptr && VersionForm().Window() == version && recorder.ends == 1);  // one version window
    Send(IDC_DRIVE1, CBN_DROPDOWN, C(L"Drive1"));
    EXPECT_TRUE(recorder.messages.empty());  // opening the list names what answers, silently
    LRESULT index = SendMessageW(C(L"Drive1"), CB_FINDSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(L"q:"));
    if (index < 0) GTEST_SKIP() << "drive Q: (a drive letter whose target is gone) is not mapped";
    SendMessageW(C(L"Drive1"), CB_SETCURSEL, WPARAM(index), 0);
    Send(IDC_DRIVE1, CBN_SELCHANGE, C(L"Drive1"));
    EXPECT_TRUE(recorder.beeps == 1 && recorder.Said(L"デバイスが準備されてないの", 48));
    EXPECT_EQ(Dir1().Path(), game.Path());
}

// The open folder removed before a command: the command reports it, makes nothing, and the list
// moves to the nearest folder above it that is there.
TEST_F(MainWindowTest, AnOpenFolderRemovedBeforeACommandIsReportedAndTheListMovesUp)
{
    SetWindowTextW(C(L"Text1"), L"never made");
    for (const wchar_t* button : {L"Command1", L"Command2", L"Command3"}) {
        SCOPED_TRACE(Utf8(button));
        CreateDirectoryW((game / L"archive\\gone").c_str(), nullptr);
        Dir1().SetPath(game / L"archive\\gone");
        RemoveTree(game / L"archive");
        recorder.messages.clear();
        Click(C(button));
        EXPECT_PRED2(Holds, recorder.Text(), L"'76'");
        EXPECT_PRED2(Holds, recorder.Text(), L"\n" + game / L"archive\\gone\r\n");
        EXPECT_EQ(Dir1().Path(), game.Path());
        CreateDirectoryW((game / L"archive").c_str(), nullptr);
    }
    EXPECT_EQ(ListFolder(game.Path()), (Names{L"archive", L"backups", L"save00", L"save07"}));
    EXPECT_EQ(MemoForm().Window(), nullptr);
    EXPECT_EQ(WindowText(C(L"Text2")), L"");
}

// Start-up cannot read the game folder: the seam makes that reading fail, and the failures - 1
// readings after it. The report follows, and the list opens the nearest folder above that can
// be read.
template <int failures>
struct UnreadableAtStart : MainWindowTest {
    void SetUp() override
    {
        platform::sys::ArmFault({});
        platform::CurrentDirectory();  // the calls start-up makes before it reads the game folder
        platform::sys::ArmFault({platform::sys::CallsMade() + 1, ERROR_ACCESS_DENIED, false, failures});
        MainWindowTest::SetUp();
        platform::sys::ArmFault({});
    }
};
using GameFolderUnreadableAtStart = UnreadableAtStart<1>;
using NoFolderReadableAtStart = UnreadableAtStart<1000>;

TEST_F(GameFolderUnreadableAtStart, IsReportedAndTheListOpensTheFolderAboveIt)
{
    EXPECT_PRED2(Holds, recorder.Text(), L"'75'");
    EXPECT_PRED2(Holds, recorder.Text(), L"\n" + game.Path() + L"\r\n");
    EXPECT_EQ(Dir1().Path(), game.Path().substr(0, game.Path().find_last_of(L'\\')));
    EXPECT_EQ(MainWindowFields().GameFolder, game.Path());
}

// Not even the drive's roots can be read: no folder is open, and a back-up reports that rather
// than make its folder at the root of the current drive; the list then opens the system's drive.
TEST_F(NoFolderReadableAtStart, ABackUpReportsThatNoFolderIsOpenAndMakesNothing)
{
    EXPECT_EQ(Dir1().Path(), L"");
    SetWindowTextW(C(L"Text1"), L"nadeshiro no folder");
    recorder.messages.clear();
    Click(C(L"Command1"));
    EXPECT_PRED2(Holds, recorder.Text(), L"'76'");
    EXPECT_EQ(GetFileAttributesW(L"\\nadeshiro no folder"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(MemoForm().Window(), nullptr);
    EXPECT_EQ(Dir1().Path().substr(1), L":\\");
}

// Fixed drives and RAM disks are asked their names at start; the others on opening, while nameless.
TEST(DriveListNames, OnlyFixedDrivesAreAskedAtStartTheOthersWhenTheListOpens)
{
    std::map<wchar_t, std::pair<UINT, std::wstring>> drives{{L'A', {DRIVE_REMOVABLE, L"-"}}, {L'C', {DRIVE_FIXED, L"Windows"}},
        {L'D', {DRIVE_CDROM, L"ONE"}}, {L'R', {DRIVE_RAMDISK, L"RAM"}}, {L'U', {DRIVE_REMOVABLE, L""}}};  // "-": not ready
    std::wstring asked;
    DriveList list;
    list.Attach(CreateWindowExW(0, L"ComboBox", L"", CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr),
                {[] { return DWORD(1 << 0 | 1 << 2 | 1 << 3 | 1 << 17 | 1 << 20); }, [&](wchar_t letter) { return drives[letter].first; },
                 [&](wchar_t letter, std::wstring& name) { asked += letter, name = drives[letter].second; return name != L"-"; }});
    list.Fill(L'd');
    EXPECT_EQ(asked + L" " + list.Drive(), L"CR d:");
    list.FillLaterNames();
    EXPECT_EQ(asked + L" " + list.Drive(), L"CRADU d: [ONE]");
    EXPECT_FALSE(list.TakeChange());  // the selected drive is the same drive
    list.FillLaterNames();
    EXPECT_EQ(asked, L"CRADUAU");
    DestroyWindow(list.Handle());
}

}  // namespace
