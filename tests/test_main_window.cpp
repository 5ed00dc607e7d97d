// The main window driven as a user would, with window messages and keys through the
// program's own message handling: what it shows at start, its layout at three DPIs, the
// keyboard order per tab, and the commands end to end.
#include "tests/test_support.h"

#include <commctrl.h>

#include <memory>

#include "app/resource.h"
#include "tests/window_test_support.h"
#include "ui/main_window.h"
#include "ui/memo_window.h"
#include "ui/version_window.h"

using namespace nadeshiro::ui;

namespace {

// Every control's place in twips: on the window (tab -1), or on a tab, from the tab
// control's corner at 2280, 960.
struct Place { const wchar_t* name; int tab, left, top, width, height; };
const Place kPlaces[] = {
    {L"SSTab1", -1, 2280, 960, 5925, 2565}, {L"Drive1", -1, 120, 960, 2055, 300}, {L"Dir1", -1, 120, 1320, 2055, 2190},
    {L"Command4", -1, 120, 3600, 8055, 495},
    {L"tab1_label1(0)", 0, 240, 480, 1215, 255}, {L"tab1_label1(1)", 0, 240, 720, 5295, 255},
    {L"Text1", 0, 240, 1080, 2415, 270}, {L"tab1_label1(2)", 0, 240, 1560, 3375, 255}, {L"Command1", 0, 4440, 2040, 1215, 375},
    {L"tab2_label(0)", 1, 240, 480, 855, 255}, {L"tab2_label(1)", 1, 240, 720, 4815, 255}, {L"Command2", 1, 4440, 2040, 1215, 375},
    {L"Label1(0)", 2, 240, 480, 1095, 255}, {L"Label1(1)", 2, 240, 720, 3975, 255}, {L"Text2", 2, 120, 1080, 5655, 1335},
    {L"Command3", 2, 4200, 600, 1575, 375},
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteBytes(game / L"save00", SlotContent(L"game00"));
        WriteBytes(game / L"save07", SlotContent(L"game07"));
        for (const wchar_t* name : {L"backups", L"archive", L"archive\\old"}) CreateDirectoryW((game / name).c_str(), nullptr);
        folder = std::make_unique<CurrentFolder>(game.Path());
        window = CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE);
        ASSERT_NE(window, nullptr);
        Pump();
    }
    void TearDown() override
    {
        for (HWND open : {MemoForm().Window(), VersionForm().Window(), window}) DestroyWindow(open);
        Pump();
    }

    HWND C(const wchar_t* name) { return MainForm().Control(name); }
    void SelectTab(int tab)
    {
        SendMessageW(C(L"SSTab1"), TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
        NMHDR header{C(L"SSTab1"), IDC_SSTAB1, static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(window, WM_NOTIFY, IDC_SSTAB1, reinterpret_cast<LPARAM>(&header));
    }
    // Mouse messages on a folder list entry, as a user's clicks arrive.
    void ClickFolder(const std::wstring& text, bool twice)
    {
        int index = -1;
        for (size_t i = 0; i < Dir1().Entries().size(); ++i)
            if (Dir1().Entries()[i].text == text) index = static_cast<int>(i);
        RECT item{};
        SendMessageW(C(L"Dir1"), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        LPARAM at = MAKELPARAM(item.left + 30, (item.top + item.bottom) / 2);
        for (UINT message : {UINT(WM_LBUTTONDOWN), UINT(WM_LBUTTONUP), twice ? UINT(WM_LBUTTONDBLCLK) : 0u, twice ? UINT(WM_LBUTTONUP) : 0u})
            if (message != 0) SendMessageW(C(L"Dir1"), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
        Pump();
    }
    // A key press, with Ctrl held or not, as the program's message loop handles it.
    void Press(WPARAM key, bool control = false)
    {
        BYTE keys[256] = {};
        keys[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(keys);
        MSG press{GetFocus(), WM_KEYDOWN, key, 1, 0, {0, 0}};
        if (!PreTranslate(press)) DispatchMessageW(&press);
        Pump();
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    }
    // The names of the controls the Tab key visits from the tab control, in order.
    std::vector<std::wstring> TabWalk()
    {
        std::vector<std::wstring> names;
        for (HWND at = GetNextDlgTabItem(window, C(L"SSTab1"), FALSE); at != C(L"SSTab1"); at = GetNextDlgTabItem(window, at, FALSE))
            for (const Place& place : kPlaces)
                if (C(place.name) == at) names.push_back(place.name);
        return names;
    }

    TestFolder game{std::wstring(), L"main window game "};
    std::unique_ptr<CurrentFolder> folder;
    Recorder recorder;
    HWND window = nullptr;
};

TEST_F(MainWindowTest, StartsOnTheRestoreTabInTheGameFolderLaidOutFromTwipsAtEachDpi)
{
    EXPECT_EQ(SendMessageW(C(L"SSTab1"), TCM_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(MainWindowFields().GameFolder, game.Path());
    EXPECT_EQ(Dir1().Path(), game.Path());
    EXPECT_EQ(towupper(Drive1().Drive()[0]), towupper(game.Path()[0]));
    EXPECT_EQ(Dir1().Entries().back().text, L"backups");  // the open folder's subfolders, sorted
    EXPECT_EQ(WindowText(window), L"なでしろ");
    EXPECT_TRUE(recorder.messages.empty());
    for (UINT dpi : {MainForm().Dpi(), 144u, 96u}) {
        RECT suggested;
        GetWindowRect(window, &suggested);
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        RECT client;
        GetClientRect(window, &client);
        EXPECT_TRUE(SameRect(client, {0, 0, TwipsToPixels(8295, dpi), TwipsToPixels(4185, dpi)})) << dpi;
        for (const Place& p : kPlaces) {
            int left = TwipsToPixels(p.left + (p.tab < 0 ? 0 : 2280), dpi), top = TwipsToPixels(p.top + (p.tab < 0 ? 0 : 960), dpi);
            RECT expected{left, top, left + TwipsToPixels(p.width, dpi), top + TwipsToPixels(p.height, dpi)};
            RECT actual = RectInWindow(C(p.name));
            if (p.name == std::wstring(L"Drive1")) actual.bottom = expected.bottom;  // its height is the font's
            EXPECT_TRUE(SameRect(actual, expected)) << Utf8(p.name) << " at " << dpi << ": " << Describe(actual);
        }
    }
}

TEST_F(MainWindowTest, KeyboardWalksOnlyTheCurrentTabAndEnterStaysInText2)
{
    SelectTab(0);
    SetWindowTextW(C(L"Text1"), L"名前");
    const std::vector<std::wstring> walks[] = {{L"Drive1", L"Dir1", L"Text1", L"Command1", L"Command4"},
                                               {L"Drive1", L"Dir1", L"Command2", L"Command4"},
                                               {L"Drive1", L"Dir1", L"Text2", L"Command3", L"Command4"}};
    for (int tab : {0, 1, 2}) {
        SelectTab(tab);
        EXPECT_EQ(TabWalk(), walks[tab]) << "tab " << tab;
        for (const Place& p : kPlaces) EXPECT_EQ(IsWindowVisible(C(p.name)) != FALSE, p.tab < 0 || p.tab == tab) << Utf8(p.name);
    }
    EXPECT_EQ(GetNextDlgTabItem(window, C(L"SSTab1"), TRUE), C(L"Command4"));
    EXPECT_EQ(WindowText(C(L"Text1")), L"名前");  // switching tabs keeps the texts

    SetFocus(C(L"Text2"));
    if (GetFocus() != C(L"Text2")) GTEST_SKIP() << "this display gives the window no keyboard focus";
    SendMessageW(C(L"Text2"), WM_CHAR, L'a', 0);
    Press(VK_RETURN);
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), C(L"Command3"));
    EXPECT_EQ(WindowText(C(L"Text2")), L"a\r\n");  // a new line, and no tab character
    Press(VK_RETURN);  // Enter presses the focused button: the memo view runs, here without a memo
    EXPECT_EQ(Module1::WorkPath, game / L"omoide.txt");
    Press(VK_TAB, true);  // Ctrl+Tab
    EXPECT_EQ(SendMessageW(C(L"SSTab1"), TCM_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(GetFocus(), C(L"SSTab1"));  // the focus left the hidden tab
}

TEST_F(MainWindowTest, CommandsWorkOnTheOpenedFolderAndABackUpOpensItsMemoWindow)
{
    WriteBytes(game / L"archive\\save07", "only highlighted");
    WriteBytes(game / L"archive\\old\\save09", "restored09");
    ClickFolder(L"archive", false);
    Click(C(L"Command2"));  // the game folder onto itself: nothing changes
    EXPECT_EQ(ReadBytes(game / L"save07"), SlotContent(L"game07"));
    SetFocus(C(L"Dir1"));
    Press(VK_RETURN);  // Enter opens the highlighted entry
    ClickFolder(L"old", true);
    ASSERT_EQ(Dir1().Path(), game / L"archive\\old");
    Click(C(L"Command2"));
    EXPECT_EQ(ReadBytes(game / L"save09"), "restored09");
    EXPECT_EQ(ReadBytes(game / L"save07"), SlotContent(L"game07"));

    WriteBytes(game / L"archive\\old\\omoide.txt", "\"abc\r\ndef\"\r\n");
    SetWindowTextW(C(L"Text2"), L"自分のメモ\r\n");
    Click(C(L"Command3"));
    Click(C(L"Command3"));
    EXPECT_EQ(WindowText(C(L"Text2")), L"自分のメモ\r\n\"abc\r\ndef\"\r\n\"abc\r\ndef\"\r\n");

    SetWindowTextW(C(L"Text1"), L"ボス戦の前");
    Click(C(L"Command1"));
    std::wstring made = game / L"archive\\old\\ボス戦の前";
    EXPECT_EQ(ListFolder(made), (std::vector<std::wstring>{L"save00", L"save07", L"save09"}));
    ASSERT_NE(MemoForm().Window(), nullptr);
    Click(C(L"Command1"));  // refused: the memo window stays with its back-up
    EXPECT_TRUE(recorder.Said(L"同じフォルダ名があるの、違う名前にしてね", 0));
    SetWindowTextW(MemoForm().Control(L"Text1"), L"ボス前");
    Click(MemoForm().Control(L"Command1"));
    EXPECT_EQ(MemoForm().Window(), nullptr);
    EXPECT_EQ(ReadBytes(made + L"\\omoide.txt"), std::string("\"\x83\x7b\x83\x58\x91\x4f\"\r\n"));
}

TEST_F(MainWindowTest, DriveThatIsNotReadyBeepsWarnsAndKeepsTheFolderList)
{
    HWND drives = C(L"Drive1");
    auto pick = [&](const wchar_t* drive) {
        LRESULT index = SendMessageW(drives, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(drive));
        SendMessageW(drives, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_DRIVE1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(drives));
        return index >= 0;
    };
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_DRIVE1, CBN_DROPDOWN), reinterpret_cast<LPARAM>(drives));
    EXPECT_TRUE(recorder.messages.empty());  // opening the list names what answers, silently
    if (!pick(L"q:")) GTEST_SKIP() << "drive Q: (a drive letter whose target is gone) is not mapped";
    EXPECT_EQ(recorder.beeps, 1);
    EXPECT_TRUE(recorder.Said(L"デバイスが準備されてないの", 48));
    EXPECT_EQ(Dir1().Path(), game.Path());
    EXPECT_EQ(Drive1().Drive().substr(0, 2), L"q:");
    if (pick(L"r:")) {
        EXPECT_EQ(Dir1().Path().substr(0, 3), L"R:\\");
    }
    EXPECT_EQ(recorder.beeps, 1);
}

TEST_F(MainWindowTest, MenuItemsOpenOneVersionWindowAndEndTheTool)
{
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDM_VER, 0), 0);
    HWND version = VersionForm().Window();
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(GetWindow(version, GW_OWNER), nullptr);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDM_VER, 0), 0);
    EXPECT_EQ(VersionForm().Window(), version);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDM_END, 0), 0);
    EXPECT_EQ(recorder.ends, 1);
}

TEST(DriveListNames, OnlyFixedDrivesAreAskedAtStartTheOthersWhenTheListOpens)
{
    struct Drive {
        wchar_t letter;
        UINT type;
        const wchar_t* name;  // null: not ready
    };
    const Drive drives[] = {{L'A', DRIVE_REMOVABLE, nullptr}, {L'C', DRIVE_FIXED, L"Windows"}, {L'D', DRIVE_CDROM, L"ONE"},
                            {L'E', DRIVE_CDROM, nullptr},     {L'N', DRIVE_REMOTE, L"share"},  {L'R', DRIVE_RAMDISK, L"RAM"},
                            {L'U', DRIVE_REMOVABLE, L""}};
    auto find = [&](wchar_t letter) -> const Drive& {
        for (const auto& d : drives)
            if (d.letter == letter) return d;
        return drives[0];
    };
    std::wstring asked;
    DriveSource source;
    source.logicalDrives = [&] {
        DWORD bits = 0;
        for (const auto& d : drives) bits |= 1u << (d.letter - L'A');
        return bits;
    };
    source.driveType = [&](wchar_t letter) { return find(letter).type; };
    source.volumeName = [&](wchar_t letter, std::wstring& name) {
        asked += letter;
        name = find(letter).name != nullptr ? find(letter).name : L"";
        return find(letter).name != nullptr;
    };
    HWND parent = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
    HWND combo = CreateWindowExW(0, L"ComboBox", L"", WS_CHILD | CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0, 0, 200, 200, parent,
                                 nullptr, nullptr, nullptr);
    auto texts = [&] {
        std::wstring all;
        for (int i = 0; i < SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i) {
            wchar_t text[64] = {};
            SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            all += text + std::wstring(L"|");
        }
        return all;
    };
    DriveList list;
    list.Attach(combo, source);
    list.Fill(L'd');
    EXPECT_EQ(asked, L"CR");
    EXPECT_EQ(texts(), L"a:|c: [Windows]|d:|e:|n:|r: [RAM]|u:|");
    EXPECT_EQ(list.Drive(), L"d:");
    asked.clear();
    list.FillLaterNames();
    EXPECT_EQ(asked, L"ADENU");
    EXPECT_EQ(texts(), L"a:|c: [Windows]|d: [ONE]|e:|n: [share]|r: [RAM]|u:|");
    EXPECT_EQ(list.Drive(), L"d: [ONE]");
    EXPECT_FALSE(list.TakeChange());  // the selected drive is the same drive
    asked.clear();
    list.FillLaterNames();  // opened again: only those still without a name are asked
    EXPECT_EQ(asked, L"AEU");
    DestroyWindow(parent);
}

UINT g_monitorDpi = 144;
HMONITOR g_askedMonitor = nullptr;
HRESULT WINAPI FakeDpiForMonitor(HMONITOR monitor, int type, UINT* x, UINT* y)
{
    g_askedMonitor = monitor;
    *x = *y = g_monitorDpi;
    return type == 0 ? S_OK : E_INVALIDARG;
}
UINT WINAPI FakeDpiForWindow(HWND) { return 120; }

// Windows 8.1 has no DPI per window: the window's monitor gives it.
TEST(WindowDpi, WithoutADpiPerWindowTheMonitorsDpiIsTaken)
{
    HWND window = CreateWindowExW(0, L"Static", L"", WS_POPUP, 10, 10, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HDC dc = GetDC(nullptr);
    UINT systemDpi = static_cast<UINT>(GetDeviceCaps(dc, LOGPIXELSY));
    ReleaseDC(nullptr, dc);
    DpiFunctions monitorOnly;
    monitorOnly.forMonitor = FakeDpiForMonitor;
    EXPECT_EQ(WindowDpi(window, monitorOnly), 144u);
    EXPECT_EQ(g_askedMonitor, MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
    DpiFunctions both = monitorOnly;
    both.forWindow = FakeDpiForWindow;
    EXPECT_EQ(WindowDpi(window, both), 120u);
    EXPECT_EQ(WindowDpi(window, DpiFunctions{}), systemDpi);
    // The system's own monitor function, loaded as the tool loads it.
    HMODULE shcore = LoadLibraryW(L"shcore.dll");
    ASSERT_NE(shcore, nullptr);
    DpiFunctions real;
    real.forMonitor = reinterpret_cast<DpiFunctions::ForMonitorFn>(reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
    ASSERT_NE(real.forMonitor, nullptr);
    UINT x = 0, y = 0;
    ASSERT_EQ(real.forMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), 0, &x, &y), S_OK);
    EXPECT_EQ(WindowDpi(window, real), y);
    DestroyWindow(window);
}

}  // namespace
