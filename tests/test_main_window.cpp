// The main window driven as a user would, through the program's own message handling: start,
// layout at two DPIs, tab pages, keyboard order, commands, menu and drive list.
#include "tests/test_support.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <map>

#include "app/resource.h"
#include "app/system_calls.h"
#include "tests/window_test_support.h"
#include "ui/main_window.h"
#include "ui/memo_window.h"

using namespace nadeshiro::ui;

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (std::wstring n : {L"00", L"07"}) WriteBytes(game / (L"save" + n), SlotContent(L"game" + n));
        for (const wchar_t* name : {L"backups", L"archive", L"archive\\old"}) CreateDirectoryW((game / name).c_str(), nullptr);
        ASSERT_NE(window = CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE), nullptr);
        FillStartLists();
        tabsLeftToDraw = GetUpdateRect(C(IDC_SSTAB1), nullptr, FALSE) != FALSE;
        focusWhenShown = GetFocus();
        Pump();
    }
    void TearDown() override { for (HWND open : {MemoForm().Window(), window}) DestroyWindow(open); }
    HWND C(int id) { return Descendant(window, id); }
    void Send(int id, int code, HWND from) { SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, code), LPARAM(from)), Pump(); }
    // Picks a tab as a click on it does: the tab control tells the window.
    void SelectTab(int tab)
    {
        SendMessageW(C(IDC_SSTAB1), TCM_SETCURSEL, WPARAM(tab), 0);
        NMHDR header{C(IDC_SSTAB1), IDC_SSTAB1, UINT(TCN_SELCHANGE)};
        SendMessageW(window, WM_NOTIFY, IDC_SSTAB1, reinterpret_cast<LPARAM>(&header));
        Pump();
    }
    // Highlights a folder list entry, and opens it as a double click does.
    void Pick(const std::wstring& text, bool open)
    {
        WPARAM i = 0;
        while (Dir1().Entries()[i].text != text) ++i;
        SendMessageW(C(IDC_DIR1), LB_SETCURSEL, i, 0);
        if (open) Send(IDC_DIR1, LBN_DBLCLK, C(IDC_DIR1));
    }
    // A key press, with Ctrl held (0x80) or not, through the program's message loop.
    void Press(WPARAM key, BYTE control = 0)
    {
        BYTE keys[256] = {};
        keys[VK_CONTROL] = control;
        SetKeyboardState(keys);
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 1), Pump();
    }
    // The tab shown: the one whose page holds a visible control.
    int ShownTab()
    {
        const int onPage[] = {IDC_TEXT1, IDC_COMMAND2, IDC_TEXT2};
        for (int tab = 0; tab < 3; ++tab)
            if (HWND c = C(onPage[tab]); c != nullptr && IsWindowVisible(c)) return tab;
        return -1;
    }
    TestFolder game{std::wstring(), L"main window game "};
    CurrentFolder folder{game.Path()};
    Recorder recorder;
    HWND window = nullptr;
    bool tabsLeftToDraw = false;  // when the window had been shown
    HWND focusWhenShown = nullptr;
};

// The system's tab control, its pages in the tab's own background in the current visual style,
// drawn whole when the window is shown: it takes the focus before, not after (which would draw
// it a second time).
TEST_F(MainWindowTest, TheSystemsOwnTabControlCarriesTheThreeTabs)
{
    wchar_t kind[64] = {};
    GetClassNameW(C(IDC_SSTAB1), kind, 64);
    EXPECT_EQ(std::wstring(kind), L"SysTabControl32");
    EXPECT_EQ(TabCaption(C(IDC_SSTAB1), 0) + L"|" + TabCaption(C(IDC_SSTAB1), 1) + L"|" + TabCaption(C(IDC_SSTAB1), 2),
              L"セーブデータを退避|退避データを復元|思い出を読む");
    // Where the system draws visual styles, a page answers its labels with the tab's texture,
    // not the plain button face.
    HWND page = GetParent(C(IDC_COMMAND2));
    HDC dc = GetDC(page);
    auto background = reinterpret_cast<HBRUSH>(SendMessageW(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(C(IDC_TAB2_LABEL_0))));
    ReleaseDC(page, dc);
    if (IsAppThemed()) EXPECT_NE(background, GetSysColorBrush(COLOR_BTNFACE));
    else EXPECT_EQ(background, GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_FALSE(tabsLeftToDraw);
    EXPECT_EQ(focusWhenShown, C(IDC_SSTAB1));
}

// A few places worked out by hand (15 twips a pixel at 96 DPI, 10 at 144), then every control
// made against its own entry of the window's table.
TEST_F(MainWindowTest, ControlsStandWhereTheirTwipsSayAtEachDpi)
{
    const struct { UINT dpi; const char *client, *tabs, *command4, *command2; } byHand[] = {
        {144, "(0,0)-(830,419)", "(228,96)-(821,353)", "(12,360)-(818,410)", "(672,300)-(794,338)"},
        {96, "(0,0)-(553,279)", "(152,64)-(547,235)", "(8,240)-(545,273)", "(448,200)-(529,225)"}};
    SelectTab(0), SelectTab(2), SelectTab(1);  // every page made
    const ui::FormDesc& table = MainForm().Description();
    const ui::ControlDesc& tabs = table.controls[0];
    for (const auto& at : byHand) {
        SCOPED_TRACE(at.dpi);
        ChangeDpi(window, at.dpi);
        RECT client;
        GetClientRect(window, &client);
        EXPECT_EQ(Describe(client), at.client);
        EXPECT_EQ(Describe(RectInWindow(C(IDC_SSTAB1))), at.tabs);
        EXPECT_EQ(Describe(RectInWindow(C(IDC_COMMAND4))), at.command4);
        EXPECT_EQ(Describe(RectInWindow(C(IDC_COMMAND2))), at.command2);
        for (const ui::ControlDesc& c : table.controls) {
            int left = c.left + (c.page < 0 ? 0 : tabs.left), top = c.top + (c.page < 0 ? 0 : tabs.top);
            RECT want{TwipsToPixels(left, at.dpi), TwipsToPixels(top, at.dpi), 0, 0}, is = RectInWindow(C(c.id));
            want.right = want.left + TwipsToPixels(c.width, at.dpi), want.bottom = want.top + TwipsToPixels(c.height, at.dpi);
            if (c.kind == ui::ControlKind::DriveList) is.bottom = want.bottom;  // its height is the font's
            EXPECT_EQ(Describe(is), Describe(want)) << Utf8(c.name);
        }
    }
}

// Another tab's page is made when the tab is first shown, and stands in the window's order
// where its controls stand in the focus order, above the tab control, which lies beneath all.
TEST_F(MainWindowTest, APageIsMadeWhenItsTabIsFirstShown)
{
    EXPECT_EQ(C(IDC_TEXT1), nullptr);
    EXPECT_EQ(C(IDC_TEXT2), nullptr);
    EXPECT_EQ(MainForm().Control(L"Text1"), nullptr);
    SelectTab(2);
    ASSERT_NE(C(IDC_TEXT2), nullptr);
    EXPECT_TRUE(IsWindowVisible(C(IDC_TEXT2)));
    EXPECT_FALSE(IsWindowVisible(C(IDC_COMMAND2)));
    EXPECT_EQ(C(IDC_TEXT1), nullptr);
    SelectTab(0);
    EXPECT_EQ(ChildIds(window), (std::vector<int>{IDC_DRIVE1, IDC_DIR1, IDC_TAB1_LABEL1_0, IDC_TAB2_LABEL_0, IDC_TEXT2, IDC_COMMAND4, IDC_SSTAB1}));
    EXPECT_EQ(MainForm().Control(L"Text1"), C(IDC_TEXT1));
}

TEST_F(MainWindowTest, KeyboardWalksOnlyTheCurrentTabAndEnterStaysInText2)
{
    const std::vector<int> walks[] = {{IDC_DRIVE1, IDC_DIR1, IDC_TEXT1, IDC_COMMAND1, IDC_COMMAND4},
                                      {IDC_DRIVE1, IDC_DIR1, IDC_COMMAND2, IDC_COMMAND4},
                                      {IDC_DRIVE1, IDC_DIR1, IDC_TEXT2, IDC_COMMAND3, IDC_COMMAND4}};
    for (int tab : {0, 1, 2}) {
        SelectTab(tab);
        std::vector<int> walk;
        for (HWND at = GetNextDlgTabItem(window, C(IDC_SSTAB1), FALSE); at != C(IDC_SSTAB1) && walk.size() < 10;
             at = GetNextDlgTabItem(window, at, FALSE))
            walk.push_back(GetDlgCtrlID(at));
        EXPECT_EQ(walk, walks[tab]) << "tab " << tab;  // back to the tab control; the other tabs' controls hidden
    }
    if (SetFocus(C(IDC_TEXT2)), GetFocus() != C(IDC_TEXT2)) GTEST_SKIP() << "this display gives the window no keyboard focus";
    Press(VK_RETURN);
    Press(VK_TAB);
    EXPECT_EQ(WindowText(C(IDC_TEXT2)), L"\r\n");  // a new line, no tab character
    EXPECT_EQ(GetFocus(), C(IDC_COMMAND3));
    Press(VK_TAB, 0x80);  // Ctrl+Tab: the next tab, round to the first
    EXPECT_EQ(TabCtrl_GetCurSel(C(IDC_SSTAB1)), 0);
    EXPECT_EQ(GetFocus(), C(IDC_SSTAB1));  // the focus left the hidden tab
}

// Arrow keys move from tab to tab; a click on a tab after them still picks it.
TEST_F(MainWindowTest, ArrowKeysAndClicksChangeTheTabAndShowItsPage)
{
    HWND tabs = C(IDC_SSTAB1);
    std::vector<int> seen;
    for (WPARAM key : {VK_LEFT, VK_LEFT, VK_RIGHT, VK_RIGHT, VK_RIGHT}) {
        SendMessageW(tabs, WM_KEYDOWN, key, 0), Pump();
        seen.push_back(TabCtrl_GetCurSel(tabs) * 10 + ShownTab());
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 0, 11, 22, 22}));  // no wrapping at either end
    for (int tab : {1, 0}) {
        RECT item;
        ASSERT_TRUE(TabCtrl_GetItemRect(tabs, tab, &item));
        LPARAM middle = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, middle), SendMessageW(tabs, WM_LBUTTONUP, 0, middle), Pump();
        EXPECT_EQ(TabCtrl_GetCurSel(tabs) * 10 + ShownTab(), tab * 11);
    }
}

TEST_F(MainWindowTest, CommandsWorkOnTheOpenedFolderAndABackUpOpensItsMemoWindow)
{
    WriteBytes(game / L"archive\\save07", "only highlighted");
    WriteBytes(game / L"archive\\old\\save09", "restored09");
    Pick(L"archive", true);
    Pick(L"old", true);
    ASSERT_EQ(Dir1().Path(), game / L"archive\\old");
    Pick(L"archive", false);  // highlighted, not opened: the commands use the opened folder
    Click(C(IDC_COMMAND2));
    EXPECT_EQ(ReadBytes(game / L"save09"), "restored09");
    EXPECT_EQ(ReadBytes(game / L"save07"), SlotContent(L"game07"));
    SelectTab(0);
    SetWindowTextW(C(IDC_TEXT1), L"ボス戦の前");
    Click(C(IDC_COMMAND1));
    EXPECT_EQ(ListFolder(game / L"archive\\old\\ボス戦の前"), (Names{L"save00", L"save07", L"save09"}));
    EXPECT_NE(MemoForm().Window(), nullptr);
}

// A new back-up shows in the folder list at once, in its sorted place; the list is not read
// again, so a folder made meanwhile by another program stays unlisted until it is.
TEST_F(MainWindowTest, ANewBackUpShowsInTheFolderListInItsPlaceAndNothingElseChanges)
{
    auto shown = [&] {  // the entries' names, the list's own lines, then its selected (open) line
        std::vector<std::wstring> names;
        for (const auto& entry : Dir1().Entries()) names.push_back(entry.text);
        HWND list = C(IDC_DIR1);
        for (LRESULT i = 0, n = SendMessageW(list, LB_GETCOUNT, 0, 0); i < n; ++i) {
            std::wstring line(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, WPARAM(i), 0)) + 1, L'\0');
            line.resize(static_cast<size_t>(SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(line.data()))));
            names.push_back(L"|" + line);
        }
        names.push_back(L"open " + std::to_wstring(SendMessageW(list, LB_GETCURSEL, 0, 0)));
        return names;
    };
    std::vector<std::wstring> expected = shown();
    const size_t at = static_cast<size_t>(std::find(expected.begin(), expected.end(), L"backups") - expected.begin());
    expected.insert(std::find(expected.begin(), expected.end(), L"|backups"), L"|azalea");
    expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(at), L"azalea");  // between archive and backups
    CreateDirectoryW((game / L"made meanwhile").c_str(), nullptr);
    SelectTab(0);
    SetWindowTextW(C(IDC_TEXT1), L"azalea");
    Click(C(IDC_COMMAND1));
    EXPECT_EQ(shown(), expected);
    const FolderEntry& made = Dir1().Entries()[at];
    EXPECT_EQ(made.path, game / L"azalea");
    EXPECT_EQ(made.depth, Dir1().Entries().back().depth);
    EXPECT_EQ(Dir1().Path(), game.Path());
    EXPECT_NE(MemoForm().Window(), nullptr);
    EXPECT_EQ(recorder.messages.size(), 0u);
}

TEST_F(MainWindowTest, ADriveNotReadyBeepsWarnsAndKeepsTheFolderList)
{
    Send(IDC_DRIVE1, CBN_DROPDOWN, C(IDC_DRIVE1));
    EXPECT_EQ(recorder.messages.size(), 0u);  // opening the list names what answers, silently
    LRESULT index = SendMessageW(C(IDC_DRIVE1), CB_FINDSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(L"q:"));
    ASSERT_GE(index, 0) << "drive Q: (a drive letter whose target is gone) is not mapped: scripts/wine-prefix.sh maps it";
    SendMessageW(C(IDC_DRIVE1), CB_SETCURSEL, WPARAM(index), 0);
    Send(IDC_DRIVE1, CBN_SELCHANGE, C(IDC_DRIVE1));
    EXPECT_EQ(recorder.beeps, 1);
    EXPECT_TRUE(recorder.Said(L"デバイスが準備されてないの", 48));
    EXPECT_EQ(Dir1().Path(), game.Path());
}

// Drawn as the list asks while the keyboard cues are hidden, the open entry has no focus
// rectangle; with them shown it has one.
TEST_F(MainWindowTest, TheFolderListsFocusRectangleFollowsTheKeyboardCues)
{
    auto draw = [&](UINT state) {
        HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 120, 20);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        DRAWITEMSTRUCT item{ODT_LISTBOX, IDC_DIR1, 0, ODA_DRAWENTIRE, state, C(IDC_DIR1), dc, {0, 0, 120, 20}, 0};
        Dir1().Draw(item);
        std::vector<COLORREF> pixels;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 120; ++x) pixels.push_back(GetPixel(dc, x, y));
        SelectObject(dc, old), DeleteObject(bitmap), DeleteDC(dc);
        return pixels;
    };
    auto differing = [](const std::vector<COLORREF>& a, const std::vector<COLORREF>& b) {
        int n = 0;
        for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
        return n;
    };
    const std::vector<COLORREF> plain = draw(ODS_SELECTED);
    EXPECT_GT(differing(draw(ODS_SELECTED | ODS_FOCUS), plain), 0);
    EXPECT_EQ(differing(draw(ODS_SELECTED | ODS_FOCUS | ODS_NOFOCUSRECT), plain), 0);
}

// The open folder removed before a command: the command reports it, makes nothing, and the list
// moves to the nearest folder above it that is there.
TEST_F(MainWindowTest, AnOpenFolderRemovedBeforeACommandIsReportedAndTheListMovesUp)
{
    const struct { int tab, button; } commands[] = {{0, IDC_COMMAND1}, {1, IDC_COMMAND2}, {2, IDC_COMMAND3}};
    SelectTab(0);
    SetWindowTextW(C(IDC_TEXT1), L"never made");
    for (const auto& command : commands) {
        SCOPED_TRACE(command.button);
        SelectTab(command.tab);
        CreateDirectoryW((game / L"archive\\gone").c_str(), nullptr);
        Dir1().SetPath(game / L"archive\\gone");
        RemoveTree(game / L"archive");
        recorder.messages.clear();
        Click(C(command.button));
        EXPECT_PRED2(Holds, recorder.Text(), L"'76'");
        EXPECT_PRED2(Holds, recorder.Text(), L"\n" + game / L"archive\\gone\r\n");
        EXPECT_EQ(Dir1().Path(), game.Path());
        CreateDirectoryW((game / L"archive").c_str(), nullptr);
    }
    EXPECT_EQ(ListFolder(game.Path()), (Names{L"archive", L"backups", L"save00", L"save07"}));
    EXPECT_EQ(MemoForm().Window(), nullptr);
    EXPECT_EQ(WindowText(C(IDC_TEXT2)), L"");
}

// Start-up cannot read the game folder: the seam makes that reading fail, and the failures - 1
// readings after it. The report follows, and the list opens the nearest folder above that can
// be read.
template <int failures>
struct UnreadableAtStart : MainWindowTest {
    void SetUp() override
    {
        platform::sys::ArmFault({});
        platform::FullPath(platform::CurrentDirectory());  // the calls start-up makes before it lists the game folder
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
    SelectTab(0);
    SetWindowTextW(C(IDC_TEXT1), L"nadeshiro no folder");
    recorder.messages.clear();
    Click(C(IDC_COMMAND1));
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
    EXPECT_EQ(asked, L"CR");
    EXPECT_EQ(list.Drive(), L"d:");
    list.FillLaterNames();
    EXPECT_EQ(asked, L"CRADU");
    EXPECT_EQ(list.Drive(), L"d: [ONE]");
    EXPECT_FALSE(list.TakeChange());  // the selected drive is the same drive
    list.FillLaterNames();
    EXPECT_EQ(asked, L"CRADUAU");  // only the nameless are asked again
    DestroyWindow(list.Handle());
}

}  // namespace
