#include "ui/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <map>

#include "app/handler.h"
#include "app/platform.h"
#include "app/resource.h"
#include "launch/launch.h"
#include "memo/memo_file.h"
#include "saves/commands.h"
#include "ui/memo_window.h"
#include "ui/version_window.h"

namespace nadeshiro::ui {

const WindowSpec kMainWindow{L"nadeshiro", L"なでしろ", 8295, 4185};

const wchar_t* const kTabCaptions[3] = {L"セーブデータを退避", L"退避データを復元", L"思い出を読む"};

namespace {

using K = ControlKind;
constexpr COLORREF kDefault = CLR_INVALID;

const std::vector<ControlSpec> kControls = {
    {L"SSTab1", IDC_SSTAB1, K::TabControl, L"", 2280, 960, 5925, 2565, 0},
    {L"Drive1", IDC_DRIVE1, K::DriveList, L"", 120, 960, 2055, 300, 1},
    {L"Dir1", IDC_DIR1, K::FolderList, L"", 120, 1320, 2055, 2190, 2},
    // First tab: back up.
    {L"tab1_label1(0)", IDC_TAB1_LABEL1_0, K::Label, L"『あのね』", 240, 480, 1215, 255, 3, 0, kDefault},
    {L"tab1_label1(1)", IDC_TAB1_LABEL1_1, K::Label, L"『ゲーム中のセーブデータを指定したフォルダの直下に』", 240, 720, 5295, 255, 4, 0, kDefault},
    {L"Text1", IDC_TEXT1, K::TextBox, L"", 240, 1080, 2415, 270, 5, 0},
    {L"tab1_label1(2)", IDC_TAB1_LABEL1_2, K::Label, L"『っていうフォルダを作成して待避させるの』", 240, 1560, 3375, 255, 6, 0, kDefault},
    {L"Command1", IDC_COMMAND1, K::Button, L"実行するの", 4440, 2040, 1215, 375, 7, 0},
    // Second tab: restore.
    {L"tab2_label(0)", IDC_TAB2_LABEL_0, K::Label, L"『あのね』", 240, 480, 855, 255, 8, 1, kDefault},
    {L"tab2_label(1)", IDC_TAB2_LABEL_1, K::Label, L"『指定したフォルダの待避データをゲーム本体に復元するの』", 240, 720, 4815, 255, 9, 1, kDefault},
    {L"Command2", IDC_COMMAND2, K::Button, L"実行するの", 4440, 2040, 1215, 375, 10, 1},
    // Third tab: read the memo.
    // The labels come first so that screen readers name the memo box after them.
    {L"Label1(0)", IDC_LABEL1_0, K::Label, L"『あのね』", 240, 480, 1095, 255, 12, 2, kDefault},
    {L"Label1(1)", IDC_LABEL1_1, K::Label, L"『指定したフォルダにomoide.txtファイルがあるとね』", 240, 720, 3975, 255, 13, 2, kDefault},
    {L"Text2", IDC_TEXT2, K::MultiLineTextBox, L"", 120, 1080, 5655, 1335, 11, 2},
    {L"Command3", IDC_COMMAND3, K::Button, L"表示できるの", 4200, 600, 1575, 375, 14, 2},
    {L"Command4", IDC_COMMAND4, K::Button, L"永遠の世界へ旅立つ（oneを起動する）", 120, 3600, 8055, 495, 15},
};

const ControlSpec& TabControlSpec() { return kControls[0]; }

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;

struct MainWindowState {
    HINSTANCE instance = nullptr;
    HWND window = nullptr;
    UINT dpi = 96;
    HFONT font = nullptr;
    HBITMAP banner = nullptr;
    MainFields fields;
    DriveList drive1;
    FolderList dir1;
    std::map<std::wstring, HWND> controls;
    std::vector<HWND> focusOrder;
    HWND pages[3] = {};
    int tab = kFirstTab;
};

MainWindowState g;

HWND Control(const wchar_t* name)
{
    auto it = g.controls.find(name);
    return it == g.controls.end() ? nullptr : it->second;
}

HMENU CreateMainMenu()
{
    HMENU bar = CreateMenu();
    HMENU nadeshiro = CreatePopupMenu();
    AppendMenuW(nadeshiro, MF_STRING, IDM_END, L"終了");
    HMENU help = CreatePopupMenu();
    AppendMenuW(help, MF_STRING, IDM_VER, L"バージョン情報");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(nadeshiro), L"なでしろ");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"ヘルプ");
    return bar;
}

// Each tab's controls stand on a page of their own that covers the tab control's display
// area in the button-face colour; only the current tab's page is shown, so the other tabs'
// controls are out of sight and out of the keyboard order.
void ShowTab(int tab)
{
    g.tab = tab;
    HWND focus = GetFocus();
    for (int i = 0; i < 3; ++i) {
        if (i != tab && focus != nullptr && IsChild(g.pages[i], focus)) SetFocus(Control(L"SSTab1"));
        ShowWindow(g.pages[i], i == tab ? SW_SHOWNA : SW_HIDE);
    }
}

// The page area in the main window's client coordinates.
RECT PageRect(UINT dpi)
{
    RECT tab = ControlRect(TabControlSpec(), dpi);
    RECT display{0, 0, tab.right - tab.left, tab.bottom - tab.top};
    SendMessageW(Control(L"SSTab1"), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    OffsetRect(&display, tab.left, tab.top);
    return display;
}

void Layout(UINT dpi)
{
    g.dpi = dpi;
    HFONT old = g.font;
    g.font = CreateInterfaceFont(dpi);
    const ControlSpec& tabSpec = TabControlSpec();
    HWND tabControl = Control(L"SSTab1");
    RECT tab = ControlRect(tabSpec, dpi);
    SendMessageW(tabControl, WM_SETFONT, reinterpret_cast<WPARAM>(g.font), FALSE);
    SetWindowPos(tabControl, HWND_BOTTOM, tab.left, tab.top, tab.right - tab.left, tab.bottom - tab.top, SWP_NOACTIVATE);
    RECT page = PageRect(dpi);
    for (HWND p : g.pages)
        SetWindowPos(p, HWND_TOP, page.left, page.top, page.right - page.left, page.bottom - page.top, SWP_NOACTIVATE);
    for (const auto& desc : kControls) {
        if (desc.kind == ControlKind::TabControl) continue;
        HWND control = Control(desc.name);
        bool onTab = desc.tab != kOnWindow;
        RECT r = ControlRect(desc, dpi, onTab ? tabSpec.left : 0, onTab ? tabSpec.top : 0);
        if (onTab) OffsetRect(&r, -page.left, -page.top);
        int height = r.bottom - r.top;
        if (desc.kind == ControlKind::DriveList) height += TwipsToPixels(2400, dpi);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(g.font), FALSE);
        SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, height, SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(control, nullptr, TRUE);
    }
    g.dir1.SetMetrics(dpi, g.font);
    if (old != nullptr) DeleteObject(old);
}

LRESULT CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_VKEYTOITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
        return SendMessageW(GetParent(page), message, wParam, lParam);
    default:
        return DefWindowProcW(page, message, wParam, lParam);
    }
}

constexpr wchar_t kPageClass[] = L"NadeshiroTabPage";

void CreateControls()
{
    HWND tabControl = CreateControl(g.window, TabControlSpec(), g.dpi, g.font, true);
    g.controls[TabControlSpec().name] = tabControl;
    for (int i = 0; i < 3; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(kTabCaptions[i]);
        SendMessageW(tabControl, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(tabControl, TCM_SETCURSEL, static_cast<WPARAM>(g.tab), 0);
    for (int i = 0; i < 3; ++i)
        g.pages[i] = CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, kTabCaptions[i],
                                     WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (i == g.tab ? WS_VISIBLE : 0), 0, 0,
                                     0, 0, g.window, nullptr, g.instance, nullptr);
    for (const auto& desc : kControls) {
        if (desc.kind == ControlKind::TabControl) continue;
        HWND parent = desc.tab == kOnWindow ? g.window : g.pages[desc.tab];
        g.controls[desc.name] = CreateControl(parent, desc, g.dpi, g.font, true);
    }
    g.drive1.Attach(Control(L"Drive1"));
    g.dir1.Attach(Control(L"Dir1"));
    Layout(g.dpi);  // places the controls and gives them their font

    std::vector<const ControlSpec*> ordered;
    for (const auto& desc : kControls)
        if (desc.kind != ControlKind::Label && desc.focusOrder != kNoFocus) ordered.push_back(&desc);
    std::sort(ordered.begin(), ordered.end(), [](auto* a, auto* b) { return a->focusOrder < b->focusOrder; });
    for (auto* desc : ordered) g.focusOrder.push_back(Control(desc->name));
}

// Form_Load: the game folder is the current folder when the tool starts; the drive and
// folder lists start on it.
void Form_Load()
{
    g.fields.GameFolder = platform::CurrentDirectory();
    const std::wstring& folder = g.fields.GameFolder;
    g.drive1.Fill(folder.size() >= 2 && folder[1] == L':' ? folder[0] : L'\0');
    RunHandler([] { g.dir1.SetPath(g.fields.GameFolder); });
}

void Command1_Click()
{
    RunHandler([] {
        BackUp(g.fields, g.dir1.Path(), WindowText(Control(L"Text1")),
               [](const std::wstring& backupFolder) { ShowMemoWindow(g.instance, backupFolder); });
    });
}

void Command2_Click()
{
    RunHandler([] { Restore(g.fields, g.dir1.Path()); });
}

void Command3_Click()
{
    RunHandler([] {
        HWND text2 = Control(L"Text2");
        std::wstring shown = WindowText(text2);
        size_t before = shown.size();
        try {
            ShowMemo(g.dir1.Path(), shown);
        } catch (...) {
            if (shown.size() != before) SetWindowTextW(text2, shown.c_str());
            throw;
        }
        if (shown.size() != before) SetWindowTextW(text2, shown.c_str());
    });
}

void Command4_Click()
{
    RunHandler([] { LaunchGame(g.fields.GameFolder); });
}

void Drive1_Change()
{
    try {
        g.dir1.SetPath(g.drive1.Drive());
    } catch (const RuntimeError&) {
        platform::Beep();
        platform::ShowMessage(kDriveNotReadyMessage, platform::kStyleWarning, kMessageTitle);
    }
}

void Dir1_Open(int index)
{
    RunHandler([index] { g.dir1.OpenEntry(index); });
}

void end_Click() { platform::EndProgram(); }

void ver_Click()
{
    RunHandler([] { ShowVersionWindow(g.instance); });
}

void PaintBanner(HDC dc)
{
    if (g.banner == nullptr) return;
    BITMAP info{};
    GetObjectW(g.banner, sizeof info, &info);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, g.banner);
    int x = TwipsToPixels(kImage1.left, g.dpi), y = TwipsToPixels(kImage1.top, g.dpi);
    int w = TwipsToPixels(kImage1.width, g.dpi), h = TwipsToPixels(kImage1.height, g.dpi);
    if (w == info.bmWidth && h == info.bmHeight) {
        BitBlt(dc, x, y, w, h, source, 0, 0, SRCCOPY);
    } else {
        // Away from 96 DPI the picture keeps its place in twips, scaled evenly.
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, x, y, w, h, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    }
    SelectObject(source, old);
    DeleteDC(source);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        int code = HIWORD(wParam);
        switch (id) {
        case IDC_COMMAND1: if (code == BN_CLICKED) Command1_Click(); return 0;
        case IDC_COMMAND2: if (code == BN_CLICKED) Command2_Click(); return 0;
        case IDC_COMMAND3: if (code == BN_CLICKED) Command3_Click(); return 0;
        case IDC_COMMAND4: if (code == BN_CLICKED) Command4_Click(); return 0;
        case IDC_DRIVE1:
            if (code == CBN_DROPDOWN) g.drive1.FillLaterNames();
            if (code == CBN_SELCHANGE && g.drive1.TakeChange()) Drive1_Change();
            return 0;
        case IDC_DIR1:
            if (code == LBN_DBLCLK) Dir1_Open(static_cast<int>(SendMessageW(g.dir1.Handle(), LB_GETCURSEL, 0, 0)));
            return 0;
        case IDM_END: end_Click(); return 0;
        case IDM_VER: ver_Click(); return 0;
        default: break;
        }
        break;
    }
    case WM_VKEYTOITEM:
        if (reinterpret_cast<HWND>(lParam) == g.dir1.Handle() && LOWORD(wParam) == VK_RETURN) {
            Dir1_Open(HIWORD(wParam));
            return -2;
        }
        return -1;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->idFrom == IDC_SSTAB1 && header->code == TCN_SELCHANGE)
            ShowTab(static_cast<int>(SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
        return 0;
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID == IDC_DIR1) {
            g.dir1.Draw(*item);
            return TRUE;
        }
        break;
    }
    case WM_NADESHIRO_TABKEY: {
        bool backwards = wParam != 0;
        if (lParam != 0) {  // Ctrl+Tab changes the tab
            int tab = (g.tab + (backwards ? 2 : 1)) % 3;
            SendMessageW(Control(L"SSTab1"), TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
            ShowTab(tab);
            return 1;
        }
        HWND next = NextInFocusOrder(g.focusOrder, GetFocus(), backwards);
        if (next == nullptr) return 0;
        SetFocus(next);
        if (next == Control(L"Text1")) SendMessageW(next, EM_SETSEL, 0, -1);
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        PaintBanner(dc);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DPICHANGED: {
        UINT dpi = LOWORD(wParam);
        auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SIZE size = OuterSize(kMainWindow.clientWidth, kMainWindow.clientHeight, kStyle, kExStyle, true, dpi);
        SetWindowPos(window, nullptr, suggested->left, suggested->top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        FitClientArea(window, kMainWindow.clientWidth, kMainWindow.clientHeight, dpi);
        Layout(dpi);
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    }
    case WM_NCDESTROY:
        if (g.font != nullptr) DeleteObject(g.font);
        if (g.banner != nullptr) DeleteObject(g.banner);
        g = MainWindowState{};
        TopLevelWindowClosed();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

const std::vector<ControlSpec>& MainWindowControls() { return kControls; }

HWND CreateMainWindow(HINSTANCE instance, int showCommand)
{
    INITCOMMONCONTROLSEX common{sizeof common, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&common);

    if (!RegisterWindowClass(instance, kMainWindow.name, MainWindowProc, true) ||
        !RegisterWindowClass(instance, kPageClass, PageProc, false))
        return nullptr;

    g = MainWindowState{};
    g.instance = instance;
    g.dpi = WindowDpi(nullptr);
    SIZE size = OuterSize(kMainWindow.clientWidth, kMainWindow.clientHeight, kStyle, kExStyle, true, g.dpi);
    g.window = CreateWindowExW(kExStyle, kMainWindow.name, kMainWindow.caption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                               size.cx, size.cy, nullptr, CreateMainMenu(), instance, nullptr);
    if (g.window == nullptr) return nullptr;
    TopLevelWindowOpened();
    platform::SetMessageOwner(g.window);
    // The window may have come up on a monitor of another DPI.
    UINT dpi = WindowDpi(g.window);
    g.dpi = dpi;
    g.banner = static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(IDB_BANNER), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    FitClientArea(g.window, kMainWindow.clientWidth, kMainWindow.clientHeight, dpi);
    CreateControls();
    Form_Load();
    ShowWindow(g.window, showCommand);
    UpdateWindow(g.window);
    SetFocus(Control(L"SSTab1"));
    return g.window;
}

HWND MainWindow() { return g.window; }
HWND MainControl(const wchar_t* name) { return Control(name); }
MainFields& MainWindowFields() { return g.fields; }
FolderList& Dir1() { return g.dir1; }
DriveList& Drive1() { return g.drive1; }
UINT MainWindowDpi() { return g.dpi; }
int CurrentTab() { return g.tab; }
const std::vector<HWND>& MainFocusOrder() { return g.focusOrder; }

}  // namespace nadeshiro::ui
