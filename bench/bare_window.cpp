// The yardstick for the start-up benchmark: a bare window program with the tool's menu bar
// and nothing else, shown the same way, with the tool's manifest (common controls 6, visual
// styles, DPI awareness). Built as bare_controls, it also makes the standard controls that the
// tool shows at start, as the tool makes them (the system's tab control with its three tabs, a
// dialog page in the tab's background with two labels and a button, a drop-down list, a list
// box, the wide button), with none of the tool's own code: what those controls cost the system
// alone.
#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include <initializer_list>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

#ifdef NADESHIRO_BARE_CONTROLS
INT_PTR CALLBACK PageProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

BOOL CALLBACK SetFontOf(HWND control, LPARAM font)
{
    SendMessageW(control, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    return TRUE;
}
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = L"NadeshiroBareWindow";
    if (!RegisterClassExW(&windowClass)) return 1;

    HMENU bar = CreateMenu();
    HMENU first = CreatePopupMenu();
    AppendMenuW(first, MF_STRING, 1, L"終了");
    HMENU help = CreatePopupMenu();
    AppendMenuW(help, MF_STRING, 2, L"バージョン情報");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(first), L"なでしろ");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"ヘルプ");

    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"なでしろ",
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 569, 339, nullptr, bar, instance, nullptr);
    if (window == nullptr) return 1;
#ifdef NADESHIRO_BARE_CONTROLS
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TAB_CLASSES};
    InitCommonControlsEx(&classes);
    auto child = [&](const wchar_t* kind, const wchar_t* text, DWORD style, DWORD exStyle, RECT r, HWND parent) {
        return CreateWindowExW(exStyle, kind, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, r.left, r.top,
                               r.right - r.left, r.bottom - r.top, parent, nullptr, instance, nullptr);
    };
    HWND tabs = child(WC_TABCONTROLW, L"", WS_TABSTOP | TCS_FOCUSONBUTTONDOWN, 0, {152, 64, 547, 235}, window);
    for (const wchar_t* caption : {L"セーブデータを退避", L"退避データを復元", L"思い出を読む"}) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(caption);
        SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0)), reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(tabs, TCM_SETCURSEL, 1, 0);
    child(L"ComboBox", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0, {8, 64, 145, 244}, window);
    HWND list = child(L"ListBox", L"", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE,
                      {8, 88, 145, 234}, window);
    for (const wchar_t* entry : {L"C:\\", L"users", L"root", L"Temp", L"nadeshiro-bench-game"})
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    struct alignas(DWORD) {
        DLGTEMPLATE header;
        WORD menu, windowClass, title;
    } empty{{WS_CHILD | DS_CONTROL | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0, 0, 0}, 0, 0, 0};
    HWND page = CreateDialogIndirectParamW(instance, &empty.header, window, PageProc, 0);
    EnableThemeDialogTexture(page, ETDT_ENABLETAB);
    SetWindowPos(page, HWND_TOP, 154, 87, 391, 146, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    child(L"Static", L"『あのね』", SS_NOPREFIX, 0, {14, 9, 71, 26}, page);
    child(L"Static", L"『指定したフォルダの待避データをゲーム本体に復元するの』", SS_NOPREFIX, 0, {14, 25, 335, 42}, page);
    child(L"Button", L"実行するの", WS_TABSTOP, 0, {294, 113, 375, 138}, page);
    child(L"Button", L"永遠の世界へ旅立つ（oneを起動する）", WS_TABSTOP, 0, {8, 240, 545, 273}, window);
    // One font for all, as the tool's.
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0, 0, 0, 0, L"ＭＳ Ｐゴシック");
    EnumChildWindows(window, SetFontOf, reinterpret_cast<LPARAM>(font));
#endif
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
