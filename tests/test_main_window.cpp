// The main window driven as a user would, through the program's own message handling: start,
// tab pages, keyboard order, commands, menu and drive list.
#include "tests/test_support.h"

#include <commctrl.h>
#include <uxtheme.h>

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
        SetCurrentDirectoryW(game.Path().c_str());
        Start();
    }
    void TearDown() override
    {
        for (HWND open : {MemoForm().Window(), window}) DestroyWindow(open);
        SetCurrentDirectoryW(OwnFolder().c_str());  // so that the game folder can go
    }
    // Makes and shows the window and fills its lists, the start's reading of the drives and the
    // game folder failing as reading says.
    void Start(platform::sys::Fault reading = {})
    {
        ASSERT_NE(window = CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE), nullptr);
        tabsLeftToDraw = GetUpdateRect(C(IDC_SSTAB1), nullptr, FALSE) != FALSE;
        focusWhenShown = GetFocus();
        platform::sys::ArmFault(reading);
        FillStartLists();
        platform::sys::ArmFault({});
        Pump();
    }
    HWND C(int id) { return Descendant(window, id); }
    void Send(int id, int code) { SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, code), LPARAM(C(id))), Pump(); }
    // Picks a tab as the keyboard does: the tab control tells the window.
    void SelectTab(int tab) { SendMessageW(C(IDC_SSTAB1), TCM_SETCURFOCUS, WPARAM(tab), 0), Pump(); }
    TestFolder game{std::wstring(), L"main window game "};
    Recorder recorder;
    HWND window = nullptr;
    bool tabsLeftToDraw = false;  // when the window had been shown
    HWND focusWhenShown = nullptr;
};

// The system's tab control, its pages in the tab's own background in the current visual style,
// drawn whole when the window is shown: it takes the focus before, not after (which would draw
// it a second time). Arrow keys move from tab to tab, not round, and a click on a tab after
// them still picks it. The keyboard walks only the shown tab's controls, back to the tab
// control; Enter in Text2 is a new line and Tab leaves it; Ctrl+Tab goes to the next tab, round
// to the first, and takes the focus off the page it hides.
TEST_F(MainWindowTest, TheSystemsOwnTabControlCarriesTheThreeTabsAndTheKeyboardWalksOnlyTheShownOne)
{
    HWND tabs = C(IDC_SSTAB1);
    wchar_t kind[64] = {};
    GetClassNameW(tabs, kind, 64);
    EXPECT_EQ(std::wstring(kind), L"SysTabControl32");
    EXPECT_FALSE(tabsLeftToDraw);
    EXPECT_EQ(focusWhenShown, tabs);
    // Where the system draws visual styles, a page answers its labels with the tab's texture,
    // not the plain button face.
    HWND page = GetParent(C(IDC_COMMAND2));
    HDC dc = GetDC(page);
    auto background = reinterpret_cast<HBRUSH>(SendMessageW(page, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(C(IDC_TAB2_LABEL_0))));
    ReleaseDC(page, dc);
    if (IsAppThemed()) EXPECT_NE(background, GetSysColorBrush(COLOR_BTNFACE));
    else EXPECT_EQ(background, GetSysColorBrush(COLOR_BTNFACE));
    const std::vector<int> walks[] = {{IDC_DRIVE1, IDC_DIR1, IDC_TEXT1, IDC_COMMAND1, IDC_COMMAND4},
                                      {IDC_DRIVE1, IDC_DIR1, IDC_COMMAND2, IDC_COMMAND4},
                                      {IDC_DRIVE1, IDC_DIR1, IDC_TEXT2, IDC_COMMAND3, IDC_COMMAND4}};
    EXPECT_EQ(TabCtrl_GetCurSel(tabs), 1);  // the restore tab at start
    // Arrow keys, then a click on tab 2 (a key of 0), and the tab each leaves picked.
    const struct { WPARAM key; int picked; } steps[] = {{VK_RIGHT, 2}, {VK_RIGHT, 2}, {VK_LEFT, 1}, {VK_LEFT, 0}, {VK_LEFT, 0}, {0, 2}};
    for (const auto& step : steps) {
        SCOPED_TRACE(&step - steps);
        RECT item{};
        TabCtrl_GetItemRect(tabs, step.picked, &item);
        LPARAM middle = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        if (step.key != 0) SendMessageW(tabs, WM_KEYDOWN, step.key, 0);
        else SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, middle), SendMessageW(tabs, WM_LBUTTONUP, 0, middle);
        Pump();
        EXPECT_EQ(TabCtrl_GetCurSel(tabs), step.picked);
        std::vector<int> walked;
        for (HWND at = GetNextDlgTabItem(window, tabs, FALSE); at != tabs && walked.size() < 10; at = GetNextDlgTabItem(window, at, FALSE))
            walked.push_back(GetDlgCtrlID(at));
        EXPECT_EQ(walked, walks[step.picked]);
    }
    if (SetFocus(C(IDC_TEXT2)), GetFocus() != C(IDC_TEXT2)) GTEST_SKIP() << "this display gives the window no keyboard focus";
    // Keys through the program's message loop: Enter and Tab, then Tab with Ctrl held.
    BYTE keys[256] = {};
    SetKeyboardState(keys);
    for (WPARAM key : {VK_RETURN, VK_TAB}) PostMessageW(GetFocus(), WM_KEYDOWN, key, 1), Pump();
    EXPECT_EQ(WindowText(C(IDC_TEXT2)), L"\r\n");  // a new line, no tab character
    EXPECT_EQ(GetFocus(), C(IDC_COMMAND3));
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1), Pump();
    EXPECT_EQ(TabCtrl_GetCurSel(tabs), 0);
    EXPECT_EQ(GetFocus(), tabs);
}

// The commands work on the opened folder, not on one only highlighted: restore, and reading the
// memo into Text2 after what it shows, each line ended as it was read. A new back-up shows in
// the folder list at once, in its sorted place, the highlight staying on its entry, and opens
// its memo window; the list is not read again, so a folder made meanwhile by another program
// stays unlisted until it is.
TEST_F(MainWindowTest, CommandsWorkOnTheOpenedFolderAndANewBackUpShowsInTheListInItsPlace)
{
    HWND list = C(IDC_DIR1);
    auto find = [&](const wchar_t* text) { return SendMessageW(list, LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(text)); };
    WriteBytes(game / L"archive\\save09", "restored09");
    WriteBytes(game / L"archive\\old\\save07", "only highlighted");
    SendMessageW(list, LB_SELECTSTRING, WPARAM(-1), LPARAM(L"archive"));
    Send(IDC_DIR1, LBN_DBLCLK);  // opened
    SendMessageW(list, LB_SELECTSTRING, WPARAM(-1), LPARAM(L"old"));  // highlighted only
    Click(C(IDC_COMMAND2));
    EXPECT_EQ(ReadBytes(game / L"save09"), "restored09");
    EXPECT_EQ(ReadBytes(game / L"save07"), SlotContent(L"game07"));
    WriteBytes(game / L"archive\\omoide.txt", "\"one\"\r\ntwo");
    SelectTab(2);
    Click(C(IDC_COMMAND3));
    EXPECT_EQ(WindowText(C(IDC_TEXT2)), L"\"one\"\r\ntwo\r\n");
    const LRESULT entries = SendMessageW(list, LB_GETCOUNT, 0, 0), at = find(L"old");
    CreateDirectoryW((game / L"archive\\made meanwhile").c_str(), nullptr);
    SelectTab(0);
    SetWindowTextW(C(IDC_TEXT1), L"azalea");
    Click(C(IDC_COMMAND1));
    EXPECT_EQ(ListFolder(game / L"archive\\azalea"), (Names{L"save00", L"save07", L"save09"}));
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), entries + 1);  // not the folder made meanwhile
    EXPECT_EQ(find(L"azalea"), at);  // before old
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), at + 1);  // still old
    EXPECT_EQ(Dir1().Entries()[size_t(at)].path, game / L"archive\\azalea");
    EXPECT_EQ(MemoWindowFolder(), game / L"archive\\azalea");
    EXPECT_THAT(recorder.messages, IsEmpty());
}

// A drive that is not ready: a beep and a warning, and the folder list stays. Drawn as the list
// asks while the keyboard cues are hidden, the open entry has no focus rectangle; with them
// shown it has one.
TEST_F(MainWindowTest, ADriveNotReadyBeepsWarnsAndKeepsTheFolderListWhoseFocusRectangleFollowsTheKeyboardCues)
{
    Send(IDC_DRIVE1, CBN_DROPDOWN);  // names what answers, silently
    LRESULT index = SendMessageW(C(IDC_DRIVE1), CB_FINDSTRING, WPARAM(-1), LPARAM(L"q:"));
    ASSERT_GE(index, 0) << "drive Q: (a drive letter whose target is gone) is not mapped: scripts/wine-prefix.sh maps it";
    SendMessageW(C(IDC_DRIVE1), CB_SETCURSEL, WPARAM(index), 0);
    Send(IDC_DRIVE1, CBN_SELCHANGE);
    EXPECT_EQ(recorder.beeps, 1);
    EXPECT_THAT(recorder.messages, ElementsAre(Message(kDriveNotReadyMessage, 48)));
    EXPECT_EQ(Dir1().Path(), game.Path());
    auto draw = [&](UINT state) {
        HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 120, 20);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        Dir1().Draw({ODT_LISTBOX, IDC_DIR1, 0, ODA_DRAWENTIRE, state, C(IDC_DIR1), dc, {0, 0, 120, 20}, 0});
        std::vector<DWORD> pixels(120 * 20);
        GetBitmapBits(bitmap, LONG(pixels.size() * sizeof(DWORD)), pixels.data());
        SelectObject(dc, old), DeleteObject(bitmap), DeleteDC(dc);
        return pixels;
    };
    const std::vector<DWORD> plain = draw(ODS_SELECTED);
    EXPECT_NE(draw(ODS_SELECTED | ODS_FOCUS), plain);
    EXPECT_EQ(draw(ODS_SELECTED | ODS_FOCUS | ODS_NOFOCUSRECT), plain);
}

// The open folder removed before a command (every command takes it alike): the command reports
// it, and the list moves to the nearest folder above it that is there. The game folder removed
// before the start: reported with its path, and the list opens the folder above it. Not even the
// drive's roots can be read (every reading of the start fails): no folder is open, and a back-up
// reports that and opens no memo window; the list then opens the system's drive.
TEST_F(MainWindowTest, AnOpenFolderRemovedBeforeACommandOrAtStartIsReportedAndTheListMovesUp)
{
    CreateDirectoryW((game / L"archive\\gone").c_str(), nullptr);
    Dir1().SetPath(game / L"archive\\gone");
    RemoveTree(game / L"archive");
    Click(C(IDC_COMMAND2));
    EXPECT_THAT(recorder.messages, ElementsAre(Report(L"'76'", L"\n" + game / L"archive\\gone\r\n")));
    EXPECT_EQ(Dir1().Path(), game.Path());
    DestroyWindow(window);
    CreateDirectoryW((game / L"gone").c_str(), nullptr), SetCurrentDirectoryW((game / L"gone").c_str());
    ASSERT_TRUE(RunUnix(L"rmdir \"$0\"", {UnixPath(game / L"gone")}));
    recorder.messages.clear();
    Start();
    EXPECT_THAT(recorder.messages, ElementsAre(Report(L"'76'", L"\n" + game / L"gone" + L"\r\n")));
    EXPECT_EQ(Dir1().Path(), game.Path());
    EXPECT_EQ(MainWindowFields().GameFolder, game / L"gone");
    DestroyWindow(window);
    Start({1, ERROR_ACCESS_DENIED, false, 1000});
    EXPECT_EQ(Dir1().Path(), L"");
    SelectTab(0);
    SetWindowTextW(C(IDC_TEXT1), L"nadeshiro no folder");
    recorder.messages.clear();
    Click(C(IDC_COMMAND1));
    EXPECT_THAT(recorder.messages, ElementsAre(Report(L"'76'")));
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
