// The main window driven as a user would, with window messages: what it shows at start, its
// layout at two DPIs, the keyboard order per tab, and the commands end to end.
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
        for (HWND open : {MemoWindow(), VersionWindow(), window})
            if (IsWindow(open)) DestroyWindow(open);
        Pump();
        folder.reset();
    }

    HWND C(const wchar_t* name) { return MainControl(name); }
    void SelectTab(int tab)
    {
        SendMessageW(C(L"SSTab1"), TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
        NMHDR header{C(L"SSTab1"), IDC_SSTAB1, static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(window, WM_NOTIFY, IDC_SSTAB1, reinterpret_cast<LPARAM>(&header));
    }
    int EntryIndex(const std::wstring& text)
    {
        const auto& entries = Dir1().Entries();
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i].text == text) return static_cast<int>(i);
        return -1;
    }
    // Mouse messages on a folder list entry, as a user's clicks arrive.
    void ClickFolder(const std::wstring& text, bool twice)
    {
        RECT item{};
        SendMessageW(C(L"Dir1"), LB_GETITEMRECT, static_cast<WPARAM>(EntryIndex(text)), reinterpret_cast<LPARAM>(&item));
        LPARAM at = MAKELPARAM(item.left + 30, (item.top + item.bottom) / 2);
        for (UINT message : {UINT(WM_LBUTTONDOWN), UINT(WM_LBUTTONUP), twice ? UINT(WM_LBUTTONDBLCLK) : 0u, twice ? UINT(WM_LBUTTONUP) : 0u})
            if (message != 0) SendMessageW(C(L"Dir1"), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
        Pump();
    }
    void SetText(const wchar_t* name, const std::wstring& text) { SetWindowTextW(C(name), text.c_str()); }
    // The names of the controls the Tab key visits from the tab control, in order.
    std::vector<std::wstring> TabWalk()
    {
        std::vector<std::wstring> names;
        for (HWND at = NextInFocusOrder(MainFocusOrder(), C(L"SSTab1"), false); at != nullptr && at != C(L"SSTab1");
             at = NextInFocusOrder(MainFocusOrder(), at, false))
            for (const auto& desc : MainWindowControls())
                if (C(desc.name) == at) names.push_back(desc.name);
        return names;
    }

    TestFolder game{std::wstring(), L"main window game "};
    std::unique_ptr<CurrentFolder> folder;
    Recorder recorder;
    HWND window = nullptr;
};

TEST_F(MainWindowTest, StartsOnTheRestoreTabInTheGameFolder)
{
    EXPECT_EQ(SendMessageW(C(L"SSTab1"), TCM_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(MainWindowFields().GameFolder, game.Path());
    EXPECT_EQ(Dir1().Path(), game.Path());
    EXPECT_EQ(towupper(Drive1().Drive()[0]), towupper(game.Path()[0]));
    // The open folder is highlighted and followed by its subfolders, sorted.
    const auto& entries = Dir1().Entries();
    EXPECT_EQ(entries[static_cast<size_t>(Dir1().OpenIndex())].path, game.Path());
    EXPECT_EQ(SendMessageW(C(L"Dir1"), LB_GETCURSEL, 0, 0), Dir1().OpenIndex());
    EXPECT_EQ(entries.back().text, L"backups");
    EXPECT_EQ(entries[entries.size() - 2].text, L"archive");

    EXPECT_EQ(WindowText(window), L"なでしろ");
    EXPECT_EQ(WindowText(C(L"Text1")) + WindowText(C(L"Text2")), L"");
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(MainWindowTest, LayoutFollowsTheTwipsAtEachDpi)
{
    for (UINT dpi : {MainWindowDpi(), 144u, 96u}) {
        RECT suggested;
        GetWindowRect(window, &suggested);
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        RECT client;
        GetClientRect(window, &client);
        EXPECT_EQ(client.right, TwipsToPixels(8295, dpi)) << dpi;
        EXPECT_EQ(client.bottom, TwipsToPixels(4185, dpi)) << dpi;
        const ControlSpec& tab = MainWindowControls()[0];
        for (const auto& desc : MainWindowControls()) {
            bool onTab = desc.tab != kOnWindow;
            RECT expected = ControlRect(desc, dpi, onTab ? tab.left : 0, onTab ? tab.top : 0);
            RECT actual = RectInWindow(C(desc.name));
            if (desc.kind == ControlKind::DriveList) actual.bottom = expected.bottom;  // its height is the font's
            EXPECT_TRUE(EqualRect(&actual, &expected)) << Utf8(desc.name) << " at " << dpi;
        }
    }
}

TEST_F(MainWindowTest, EachTabShowsOnlyItsOwnControlsInFocusOrderAndKeepsTheTexts)
{
    SelectTab(0);
    SetText(L"Text1", L"名前");
    SelectTab(2);
    SetText(L"Text2", L"メモ");
    const std::vector<std::wstring> walks[] = {{L"Drive1", L"Dir1", L"Text1", L"Command1", L"Command4"},
                                               {L"Drive1", L"Dir1", L"Command2", L"Command4"},
                                               {L"Drive1", L"Dir1", L"Text2", L"Command3", L"Command4"}};
    for (int tab : {0, 1, 2}) {
        SelectTab(tab);
        EXPECT_EQ(TabWalk(), walks[tab]) << "tab " << tab;
        for (const auto& desc : MainWindowControls())
            EXPECT_EQ(IsWindowVisible(C(desc.name)) != FALSE, desc.tab == kOnWindow || desc.tab == tab) << Utf8(desc.name);
    }
    EXPECT_EQ(NextInFocusOrder(MainFocusOrder(), C(L"SSTab1"), true), C(L"Command4"));
    EXPECT_EQ(WindowText(C(L"Text1")), L"名前");
    EXPECT_EQ(WindowText(C(L"Text2")), L"メモ");
    EXPECT_EQ(Dir1().Path(), game.Path());
}

TEST_F(MainWindowTest, TabKeyMovesTheFocusEnterStaysInText2AndCtrlTabChangesTheTab)
{
    SelectTab(2);
    SetFocus(C(L"Text2"));
    if (GetFocus() != C(L"Text2")) GTEST_SKIP() << "this display gives the window no keyboard focus";
    for (wchar_t c : {L'a', L'\r', L'b'}) SendMessageW(C(L"Text2"), WM_CHAR, c, 0);
    EXPECT_EQ(WindowText(C(L"Text2")), L"a\r\nb");
    MSG tab{};  // a Tab key press takes the program's own path
    tab.hwnd = GetFocus();
    tab.message = WM_KEYDOWN;
    tab.wParam = VK_TAB;
    EXPECT_TRUE(PreTranslate(tab));
    EXPECT_EQ(GetFocus(), C(L"Command3"));
    MSG enter = tab;  // Enter presses the focused button: the memo view runs, here without a memo
    enter.hwnd = GetFocus();
    enter.wParam = VK_RETURN;
    EXPECT_TRUE(PreTranslate(enter));
    EXPECT_EQ(Module1::WorkPath, game / L"omoide.txt");
    SendMessageW(window, WM_NADESHIRO_TABKEY, 1, 0);
    EXPECT_EQ(GetFocus(), C(L"Text2"));
    SendMessageW(window, WM_NADESHIRO_TABKEY, 0, 1);  // Ctrl+Tab
    EXPECT_EQ(SendMessageW(C(L"SSTab1"), TCM_GETCURSEL, 0, 0), 0);
    EXPECT_NE(GetFocus(), C(L"Text2"));  // the focus left the hidden tab
}

TEST_F(MainWindowTest, BackUpEndToEndAndItsMemoWindowStaysWithIt)
{
    ClickFolder(L"backups", true);
    ASSERT_EQ(Dir1().Path(), game / L"backups");
    SelectTab(0);
    SetText(L"Text1", L"ボス戦の前");
    Click(C(L"Command1"));
    std::wstring made = game / L"backups\\ボス戦の前";
    EXPECT_EQ(ListFolder(made), (std::vector<std::wstring>{L"save00", L"save07"}));
    EXPECT_EQ(ReadBytes(made + L"\\save07"), SlotContent(L"game07"));
    ASSERT_NE(MemoWindow(), nullptr);
    EXPECT_EQ(Dir1().Entries().back().text, L"backups");  // the list is not read again
    // A refused back-up (the name box keeps its text), a restore and a memo view change
    // WorkPath, not the memo's folder.
    Click(C(L"Command1"));
    EXPECT_TRUE(recorder.Said(L"同じフォルダ名があるの、違う名前にしてね", 0));
    Click(C(L"Command2"));
    Click(C(L"Command3"));
    EXPECT_EQ(Module1::WorkPath, game / L"backups\\omoide.txt");
    SetWindowTextW(MemoControl(L"Text1"), L"ボス前");
    Click(MemoControl(L"Command1"));
    EXPECT_EQ(MemoWindow(), nullptr);
    EXPECT_EQ(ReadBytes(made + L"\\omoide.txt"), std::string("\"\x83\x7b\x83\x58\x91\x4f\"\r\n"));
    EXPECT_FALSE(FileExists(game / L"backups\\omoide.txt"));
    // A later back-up while the window is open takes it over, text kept.
    SetText(L"Text1", L"second");
    Click(C(L"Command1"));
    SetWindowTextW(MemoControl(L"Text1"), L"kept");
    SetText(L"Text1", L"third");
    Click(C(L"Command1"));
    EXPECT_EQ(WindowText(MemoControl(L"Text1")), L"kept");
    EXPECT_EQ(MemoWindowFolder(), game / L"backups\\third");
}

TEST_F(MainWindowTest, RestoreUsesTheOpenedFolderNotTheHighlightedOne)
{
    WriteBytes(game / L"archive\\save07", "only highlighted");
    WriteBytes(game / L"archive\\old\\save09", "restored09");
    ClickFolder(L"archive", false);
    EXPECT_EQ(SendMessageW(C(L"Dir1"), LB_GETCURSEL, 0, 0), EntryIndex(L"archive"));
    EXPECT_EQ(Dir1().Path(), game.Path());
    Click(C(L"Command2"));  // the game folder onto itself: nothing changes
    EXPECT_EQ(ReadBytes(game / L"save07"), SlotContent(L"game07"));
    SendMessageW(C(L"Dir1"), WM_KEYDOWN, VK_RETURN, 0);  // Enter opens the highlighted entry
    ClickFolder(L"old", true);
    ASSERT_EQ(Dir1().Path(), game / L"archive\\old");
    Click(C(L"Command2"));
    EXPECT_EQ(ReadBytes(game / L"save09"), "restored09");
    EXPECT_EQ(ReadBytes(game / L"save07"), SlotContent(L"game07"));
    EXPECT_TRUE(recorder.messages.empty());
    ClickFolder(Dir1().Entries()[static_cast<size_t>(Dir1().OpenIndex() - 2)].text, true);  // back up two levels
    EXPECT_EQ(Dir1().Path(), game.Path());
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

TEST_F(MainWindowTest, MemoViewAppendsTheOpenFoldersMemoAfterWhatIsThere)
{
    CreateDirectoryW((game / L"backups\\two lines").c_str(), nullptr);
    WriteBytes(game / L"backups\\two lines\\omoide.txt", "\x22\x61\x62\x63\x0D\x0A\x64\x65\x66\x22\x0D\x0A");
    SelectTab(2);
    SetText(L"Text2", L"自分のメモ\r\n");
    ClickFolder(L"backups", true);
    Click(C(L"Command3"));  // no memo here: nothing, no message
    ClickFolder(L"two lines", true);
    Click(C(L"Command3"));
    Click(C(L"Command3"));
    EXPECT_EQ(WindowText(C(L"Text2")), L"自分のメモ\r\n\"abc\r\ndef\"\r\n\"abc\r\ndef\"\r\n");
    EXPECT_EQ(Module1::WorkPath, game / L"backups\\two lines\\omoide.txt");
    // A NUL byte does not cut the text box's text short.
    WriteBytes(game / L"backups\\two lines\\omoide.txt", std::string("\"a\0b\"\r\n", 7));
    SetText(L"Text2", L"");
    Click(C(L"Command3"));
    EXPECT_EQ(WindowText(C(L"Text2")), L"\"a\x2400" L"b\"\r\n");
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(MainWindowTest, MenuItemsOpenOneVersionWindowAndEndTheTool)
{
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDM_VER, 0), 0);
    HWND version = VersionWindow();
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(GetWindow(version, GW_OWNER), nullptr);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDM_VER, 0), 0);
    EXPECT_EQ(VersionWindow(), version);
    EXPECT_TRUE(IsWindowEnabled(window));
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

TEST(FolderList, EntriesRunFromTheRootThroughTheOpenFolderToItsSubfolders)
{
    auto share = FolderEntries(L"\\\\server\\share\\saves", {L"a"});
    ASSERT_EQ(share.size(), 3u);
    EXPECT_EQ(share[0].text, L"\\\\server\\share");
    EXPECT_TRUE(share[1].open && !share[2].open && share[2].depth == 2);
    EXPECT_EQ(share[2].path, L"\\\\server\\share\\saves\\a");
    EXPECT_EQ(FolderEntries(L"C:\\", {L"x"})[1].path, L"C:\\x");
}

}  // namespace
