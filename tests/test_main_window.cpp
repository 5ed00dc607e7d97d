// The main window driven as a user would, with window messages: what it shows at start, its
// layout at two DPIs, the keyboard order per tab, and the commands end to end.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "app/resource.h"
#include "saves/commands.h"
#include "tests/test_support.h"
#include "tests/window_test_support.h"
#include "ui/main_window.h"
#include "ui/memo_window.h"
#include "ui/version_window.h"

using namespace nadeshiro;
using namespace nadeshiro::test;
using namespace nadeshiro::ui;

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteBytes(game / L"save00", SlotContent(L"game00"));
        WriteBytes(game / L"save07", SlotContent(L"game07"));
        CreateDirectoryW((game / L"backups").c_str(), nullptr);
        CreateDirectoryW((game / L"archive").c_str(), nullptr);
        folder = std::make_unique<CurrentFolder>(game.Path());
        window = CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE);
        ASSERT_NE(window, nullptr);
        Pump();
    }

    void TearDown() override
    {
        if (HWND memo = MemoWindow()) DestroyWindow(memo);
        if (HWND version = VersionWindow()) DestroyWindow(version);
        if (IsWindow(window)) DestroyWindow(window);
        Pump();
        folder.reset();
    }

    HWND C(const wchar_t* name) { return MainControl(name); }

    void SelectTab(int tab)
    {
        HWND tabs = C(L"SSTab1");
        SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
        NMHDR header{tabs, IDC_SSTAB1, static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(window, WM_NOTIFY, IDC_SSTAB1, reinterpret_cast<LPARAM>(&header));
        Pump();
    }

    int EntryIndex(const std::wstring& text)
    {
        const auto& entries = Dir1().Entries();
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i].text == text) return static_cast<int>(i);
        return -1;
    }

    void Mouse(UINT message, HWND control, int index)
    {
        RECT item;
        SendMessageW(control, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        LPARAM at = MAKELPARAM(item.left + 30, (item.top + item.bottom) / 2);
        SendMessageW(control, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
    }

    void DoubleClickFolder(const std::wstring& text)
    {
        int index = EntryIndex(text);
        ASSERT_GE(index, 0) << Utf8(text);
        HWND list = C(L"Dir1");
        Mouse(WM_LBUTTONDOWN, list, index);
        Mouse(WM_LBUTTONUP, list, index);
        Mouse(WM_LBUTTONDBLCLK, list, index);
        Mouse(WM_LBUTTONUP, list, index);
        Pump();
    }

    void SetText(const wchar_t* name, const std::wstring& text)
    {
        SetWindowTextW(C(name), text.c_str());
        Pump();
    }

    // The names of the controls the Tab key visits from the tab control, in order.
    std::vector<std::wstring> TabWalk()
    {
        std::vector<std::wstring> names;
        HWND at = C(L"SSTab1");
        for (int i = 0; i < 20; ++i) {
            at = NextInFocusOrder(MainFocusOrder(), at, false);
            if (at == C(L"SSTab1") || at == nullptr) break;
            for (const auto& desc : MainWindowControls())
                if (C(desc.name) == at) names.push_back(desc.name);
        }
        return names;
    }

    TestFolder game{std::wstring(), L"main window game "};
    std::unique_ptr<CurrentFolder> folder;
    Recorder recorder;
    HWND window = nullptr;
};

TEST_F(MainWindowTest, StartsOnTheRestoreTabWithEmptyBoxesInTheGameFolder)
{
    EXPECT_EQ(CurrentTab(), 1);
    EXPECT_EQ(SendMessageW(C(L"SSTab1"), TCM_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(WindowText(C(L"Text1")), L"");
    EXPECT_EQ(WindowText(C(L"Text2")), L"");
    EXPECT_EQ(MainWindowFields().GameFolder, game.Path());
    EXPECT_EQ(Dir1().Path(), game.Path());
    std::wstring drive = Drive1().Drive();
    ASSERT_GE(drive.size(), 2u);
    EXPECT_EQ(towupper(drive[0]), towupper(game.Path()[0]));
    EXPECT_EQ(drive[1], L':');
    // The open folder's subfolders follow it, sorted; the open folder is highlighted.
    const auto& entries = Dir1().Entries();
    ASSERT_GE(entries.size(), 3u);
    EXPECT_EQ(entries[entries.size() - 2].text, L"archive");
    EXPECT_EQ(entries.back().text, L"backups");
    EXPECT_EQ(SendMessageW(C(L"Dir1"), LB_GETCURSEL, 0, 0), Dir1().OpenIndex());
    EXPECT_EQ(entries[static_cast<size_t>(Dir1().OpenIndex())].path, game.Path());
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(MainWindowTest, CaptionsAndMenuAreTheTools)
{
    EXPECT_EQ(WindowText(window), L"なでしろ");
    for (const auto& desc : MainWindowControls()) {
        if (desc.kind == ControlKind::DriveList || desc.kind == ControlKind::FolderList) continue;
        EXPECT_EQ(WindowText(C(desc.name)), desc.caption) << Utf8(desc.name);
    }
    EXPECT_EQ(WindowText(C(L"tab1_label1(1)")), L"『ゲーム中のセーブデータを指定したフォルダの直下に』");
    EXPECT_EQ(WindowText(C(L"Command4")), L"永遠の世界へ旅立つ（oneを起動する）");
    HWND tabs = C(L"SSTab1");
    ASSERT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
    const wchar_t* expected[] = {L"セーブデータを退避", L"退避データを復元", L"思い出を読む"};
    for (int i = 0; i < 3; ++i) {
        wchar_t text[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(text, expected[i]);
    }

    HMENU bar = GetMenu(window);
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    wchar_t text[64];
    GetMenuStringW(bar, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"なでしろ");
    GetMenuStringW(bar, 1, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"ヘルプ");
    HMENU first = GetSubMenu(bar, 0), help = GetSubMenu(bar, 1);
    ASSERT_EQ(GetMenuItemCount(first), 1);
    ASSERT_EQ(GetMenuItemCount(help), 1);
    GetMenuStringW(first, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"終了");
    EXPECT_EQ(GetMenuItemID(first, 0), static_cast<UINT>(IDM_END));
    GetMenuStringW(help, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"バージョン情報");
}

TEST_F(MainWindowTest, LayoutFollowsTheTwipsAtEachDpi)
{
    for (UINT dpi : {MainWindowDpi(), 144u, 96u}) {
        if (dpi != MainWindowDpi()) {
            RECT suggested;
            GetWindowRect(window, &suggested);
            SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
            Pump();
        }
        ASSERT_EQ(MainWindowDpi(), dpi);
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
            EXPECT_TRUE(SameRect(actual, expected))
                << Utf8(desc.name) << " at " << dpi << ": " << Describe(actual) << " expected " << Describe(expected);
        }
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(C(L"Command4"), WM_GETFONT, 0, 0));
        LOGFONTW info{};
        GetObjectW(font, sizeof info, &info);
        EXPECT_EQ(info.lfCharSet, SHIFTJIS_CHARSET);
    }
    // The picture's strip below 960 twips lies under the drive list and the tab control.
    EXPECT_EQ(kImage1.top + kImage1.height - 960, 60);
}

TEST_F(MainWindowTest, EachTabShowsOnlyItsOwnControlsInFocusOrder)
{
    const std::vector<std::vector<std::wstring>> walks = {
        {L"Drive1", L"Dir1", L"Text1", L"Command1", L"Command4"},
        {L"Drive1", L"Dir1", L"Command2", L"Command4"},
        {L"Drive1", L"Dir1", L"Text2", L"Command3", L"Command4"},
    };
    for (int tab : {0, 1, 2}) {
        SelectTab(tab);
        EXPECT_EQ(CurrentTab(), tab);
        EXPECT_EQ(TabWalk(), walks[static_cast<size_t>(tab)]) << "tab " << tab;
        for (const auto& desc : MainWindowControls())
            EXPECT_EQ(IsWindowVisible(C(desc.name)) != FALSE, desc.tab == kOnWindow || desc.tab == tab)
                << Utf8(desc.name) << " on tab " << tab;
    }
    // Backwards from the tab control wraps to the game button.
    EXPECT_EQ(NextInFocusOrder(MainFocusOrder(), C(L"SSTab1"), true), C(L"Command4"));
}

TEST_F(MainWindowTest, TabKeyMovesTheFocusAndCtrlTabChangesTheTab)
{
    SelectTab(0);
    SetFocus(C(L"Dir1"));
    if (GetFocus() != C(L"Dir1")) GTEST_SKIP() << "this display gives the window no keyboard focus";
    SendMessageW(window, WM_NADESHIRO_TABKEY, 0, 0);
    EXPECT_EQ(GetFocus(), C(L"Text1"));
    // A key press in the running program takes the same path.
    MSG tab{};
    tab.hwnd = GetFocus();
    tab.message = WM_KEYDOWN;
    tab.wParam = VK_TAB;
    EXPECT_TRUE(PreTranslate(tab));
    EXPECT_EQ(GetFocus(), C(L"Command1"));
    SendMessageW(window, WM_NADESHIRO_TABKEY, 1, 0);
    EXPECT_EQ(GetFocus(), C(L"Text1"));

    // Text2 keeps Enter as a new line; Tab still leaves it.
    SelectTab(2);
    SetFocus(C(L"Text2"));
    SendMessageW(C(L"Text2"), WM_CHAR, L'a', 0);
    SendMessageW(C(L"Text2"), WM_CHAR, L'\r', 0);
    SendMessageW(C(L"Text2"), WM_CHAR, L'b', 0);
    EXPECT_EQ(WindowText(C(L"Text2")), L"a\r\nb");
    SendMessageW(window, WM_NADESHIRO_TABKEY, 0, 0);
    EXPECT_EQ(GetFocus(), C(L"Command3"));

    SendMessageW(window, WM_NADESHIRO_TABKEY, 0, 1);
    EXPECT_EQ(CurrentTab(), 0);
    EXPECT_EQ(SendMessageW(C(L"SSTab1"), TCM_GETCURSEL, 0, 0), 0);
    EXPECT_FALSE(IsWindowVisible(C(L"Command3")));
}

TEST_F(MainWindowTest, SwitchingTabsKeepsBothTexts)
{
    SelectTab(0);
    SetText(L"Text1", L"名前");
    SelectTab(2);
    SetText(L"Text2", L"メモ");
    SelectTab(1);
    SelectTab(0);
    EXPECT_EQ(WindowText(C(L"Text1")), L"名前");
    EXPECT_EQ(WindowText(C(L"Text2")), L"メモ");
    EXPECT_EQ(Dir1().Path(), game.Path());
}

TEST_F(MainWindowTest, BackUpEndToEndFromTheFolderListAndTheFirstTab)
{
    DoubleClickFolder(L"backups");
    ASSERT_EQ(Dir1().Path(), game / L"backups");
    SelectTab(0);
    SetText(L"Text1", L"ボス戦の前");
    Click(C(L"Command1"));
    std::wstring made = game / L"backups\\ボス戦の前";
    EXPECT_EQ(ListFolder(made), (std::vector<std::wstring>{L"save00", L"save07"}));
    EXPECT_EQ(ReadBytes(made + L"\\save07"), SlotContent(L"game07"));
    EXPECT_TRUE(recorder.messages.empty());
    // The name box keeps its text and the folder list is not read again.
    EXPECT_EQ(WindowText(C(L"Text1")), L"ボス戦の前");
    EXPECT_EQ(Dir1().Entries().back().text, L"backups");

    Click(C(L"Command1"));
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].prompt, L"同じフォルダ名があるの、違う名前にしてね");
    EXPECT_EQ(recorder.messages[0].style, 0);
    EXPECT_EQ(recorder.messages[0].title, L"あのね");
}

TEST_F(MainWindowTest, RestoreFromAFolderOpenedWithEnter)
{
    CreateDirectoryW((game / L"archive\\old").c_str(), nullptr);
    WriteBytes(game / L"archive\\old\\save07", "restored07");
    WriteBytes(game / L"archive\\old\\save09", "restored09");
    int index = EntryIndex(L"archive");
    SendMessageW(C(L"Dir1"), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(C(L"Dir1"), WM_KEYDOWN, VK_RETURN, 0);
    Pump();
    ASSERT_EQ(Dir1().Path(), game / L"archive");
    DoubleClickFolder(L"old");
    ASSERT_EQ(Dir1().Path(), game / L"archive\\old");
    Click(C(L"Command2"));
    EXPECT_EQ(ReadBytes(game / L"save00"), SlotContent(L"game00"));
    EXPECT_EQ(ReadBytes(game / L"save07"), "restored07");
    EXPECT_EQ(ReadBytes(game / L"save09"), "restored09");
    EXPECT_TRUE(recorder.messages.empty());
    // Opening an ancestor goes back up.
    DoubleClickFolder(Dir1().Entries()[static_cast<size_t>(Dir1().OpenIndex() - 2)].text);
    EXPECT_EQ(Dir1().Path(), game.Path());
}

TEST_F(MainWindowTest, AHighlightedFolderIsNotThePickedFolder)
{
    WriteBytes(game / L"archive\\save07", "should not be restored");
    int index = EntryIndex(L"archive");
    HWND list = C(L"Dir1");
    Mouse(WM_LBUTTONDOWN, list, index);
    Mouse(WM_LBUTTONUP, list, index);
    Pump();
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), index);
    EXPECT_EQ(Dir1().Path(), game.Path());
    Click(C(L"Command2"));  // restores the game folder onto itself: nothing changes
    EXPECT_EQ(ReadBytes(game / L"save07"), SlotContent(L"game07"));
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(MainWindowTest, DriveThatIsNotReadyBeepsWarnsAndKeepsTheFolderList)
{
    HWND drives = C(L"Drive1");
    int q = static_cast<int>(SendMessageW(drives, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"q:")));
    if (q < 0) GTEST_SKIP() << "drive Q: (a drive letter whose target is gone) is not mapped";
    SendMessageW(drives, CB_SETCURSEL, static_cast<WPARAM>(q), 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_DRIVE1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(drives));
    Pump();
    EXPECT_EQ(recorder.beeps, 1);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].prompt, L"デバイスが準備されてないの");
    EXPECT_EQ(recorder.messages[0].style, 48);
    EXPECT_EQ(recorder.messages[0].title, L"あのね");
    EXPECT_EQ(Dir1().Path(), game.Path());
    EXPECT_EQ(Drive1().Drive().substr(0, 2), L"q:");

    // The same drive again is no change; another drive moves the list.
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_DRIVE1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(drives));
    EXPECT_EQ(recorder.beeps, 1);
    int r = static_cast<int>(SendMessageW(drives, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"r:")));
    if (r >= 0) {
        SendMessageW(drives, CB_SETCURSEL, static_cast<WPARAM>(r), 0);
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_DRIVE1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(drives));
        EXPECT_EQ(Dir1().Path().substr(0, 3), L"R:\\");
        EXPECT_EQ(recorder.beeps, 1);
    }
    // Every command still works on the folder list's folder.
    EXPECT_EQ(MainWindowFields().GameFolder, game.Path());
}

TEST_F(MainWindowTest, EndItemEndsTheTool)
{
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDM_END, 0), 0);
    EXPECT_EQ(recorder.ends, 1);
}

TEST_F(MainWindowTest, MemoViewAppendsTheOpenFoldersMemoAfterWhatIsThere)
{
    CreateDirectoryW((game / L"backups\\two lines").c_str(), nullptr);
    WriteBytes(game / L"backups\\two lines\\omoide.txt", "\x22\x61\x62\x63\x0D\x0A\x64\x65\x66\x22\x0D\x0A");
    CreateDirectoryW((game / L"backups\\empty memo").c_str(), nullptr);
    WriteBytes(game / L"backups\\empty memo\\omoide.txt", "\x22\x22\x0D\x0A");
    SetFileAttributesW((game / L"backups\\empty memo\\omoide.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    CreateDirectoryW((game / L"backups\\odd").c_str(), nullptr);
    CreateDirectoryW((game / L"backups\\odd\\omoide.txt").c_str(), nullptr);
    SelectTab(2);
    SetText(L"Text2", L"自分のメモ\r\n");

    DoubleClickFolder(L"backups");
    DoubleClickFolder(L"two lines");
    Click(C(L"Command3"));
    Click(C(L"Command3"));
    EXPECT_EQ(WindowText(C(L"Text2")), L"自分のメモ\r\n\"abc\r\ndef\"\r\n\"abc\r\ndef\"\r\n");
    EXPECT_EQ(Module1::WorkPath, game / L"backups\\two lines\\omoide.txt");

    SetText(L"Text2", L"");
    DoubleClickFolder(L"backups");
    Click(C(L"Command3"));  // no memo here: nothing, no message
    EXPECT_EQ(WindowText(C(L"Text2")), L"");
    DoubleClickFolder(L"empty memo");
    Click(C(L"Command3"));
    EXPECT_EQ(WindowText(C(L"Text2")), L"\"\"\r\n");
    EXPECT_TRUE(recorder.messages.empty());

    DoubleClickFolder(L"backups");
    DoubleClickFolder(L"odd");
    Click(C(L"Command3"));  // a folder named like the memo: reported, the tool goes on
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].style, 16);
    EXPECT_EQ(WindowText(C(L"Text2")), L"\"\"\r\n");
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(MainWindowTest, MemoWindowOpensAfterABackUpAndStaysWithIt)
{
    DoubleClickFolder(L"backups");
    SelectTab(0);
    SetText(L"Text1", L"first");
    Click(C(L"Command1"));
    ASSERT_NE(MemoWindow(), nullptr);
    std::wstring first = game / L"backups\\first";
    EXPECT_EQ(MemoWindowFolder(), first);

    // A refused back-up, a restore and a memo view change WorkPath, not the memo's folder.
    Click(C(L"Command1"));
    ASSERT_EQ(recorder.messages.size(), 1u);
    Click(C(L"Command2"));
    Click(C(L"Command3"));
    EXPECT_EQ(Module1::WorkPath, game / L"backups\\omoide.txt");
    SetWindowTextW(MemoControl(L"Text1"), L"ボス前");
    Click(MemoControl(L"Command1"));
    EXPECT_EQ(MemoWindow(), nullptr);
    EXPECT_EQ(ReadBytes(first + L"\\omoide.txt"), std::string("\"\x83\x7b\x83\x58\x91\x4f\"\r\n"));
    EXPECT_FALSE(FileExists(game / L"backups\\omoide.txt"));

    // A later back-up while the window is open takes it over, text kept.
    SetText(L"Text1", L"second");
    Click(C(L"Command1"));
    SetWindowTextW(MemoControl(L"Text1"), L"kept");
    SetText(L"Text1", L"third");
    Click(C(L"Command1"));
    EXPECT_EQ(WindowText(MemoControl(L"Text1")), L"kept");
    EXPECT_EQ(MemoWindowFolder(), game / L"backups\\third");
    EXPECT_EQ(recorder.messages.size(), 1u);
}

TEST_F(MainWindowTest, GameThatCannotStartIsReportedAndTheToolStays)
{
    Click(C(L"Command4"));  // the test's game folder has no one.exe
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].style, 16);
    EXPECT_NE(recorder.messages[0].prompt.find(game / L"one.exe"), std::wstring::npos);
    EXPECT_EQ(recorder.ends, 0);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(MainWindowTest, VersionItemOpensOneVersionWindow)
{
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDM_VER, 0), 0);
    HWND version = VersionWindow();
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(GetWindow(version, GW_OWNER), nullptr);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDM_VER, 0), 0);
    EXPECT_EQ(VersionWindow(), version);
    // The main window stays usable beside it, and closing the main window leaves it open.
    EXPECT_TRUE(IsWindowEnabled(window));
}

TEST_F(MainWindowTest, FolderListShowsAncestorsOpenFolderAndSubfolders)
{
    auto entries = FolderEntries(L"C:\\Games\\one", {L"a", L"b"});
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].path, L"C:\\");
    EXPECT_EQ(entries[1].path, L"C:\\Games");
    EXPECT_EQ(entries[2].path, L"C:\\Games\\one");
    EXPECT_TRUE(entries[2].open);
    EXPECT_EQ(entries[3].path, L"C:\\Games\\one\\a");
    EXPECT_EQ(entries[3].depth, 3);
    EXPECT_FALSE(entries[4].open);
    auto root = FolderEntries(L"C:\\", {L"x"});
    ASSERT_EQ(root.size(), 2u);
    EXPECT_EQ(root[1].path, L"C:\\x");
    auto share = FolderEntries(L"\\\\server\\share\\saves", {});
    ASSERT_EQ(share.size(), 2u);
    EXPECT_EQ(share[0].text, L"\\\\server\\share");
    EXPECT_EQ(share[1].path, L"\\\\server\\share\\saves");
}

}  // namespace
