#include "ui/window_layout.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>

#include "app/resource.h"

namespace nadeshiro::ui {

namespace {

template <typename F>
F UserFunction(const char* name)
{
    static HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

int CALLBACK FaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

int CALLBACK AnyFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM result)
{
    auto* face = reinterpret_cast<std::wstring*>(result);
    if (font->lfFaceName[0] != L'@') {  // not a vertical-writing face
        *face = font->lfFaceName;
        return 0;
    }
    return 1;
}

// Whether face exists with the Japanese character set.
bool HasJapaneseFace(const wchar_t* face)
{
    HDC dc = GetDC(nullptr);
    LOGFONTW query{};
    query.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpynW(query.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    EnumFontFamiliesExW(dc, &query, FaceFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

std::wstring FindJapaneseFace(const wchar_t* face);

// face when it holds Japanese, else the first Japanese face the system has. Asked once
// per face: listing the system's fonts is slow.
std::wstring JapaneseFace(const wchar_t* face)
{
    static std::vector<std::pair<std::wstring, std::wstring>> known;
    std::wstring key = face != nullptr ? face : L"";
    for (const auto& entry : known)
        if (entry.first == key) return entry.second;
    known.emplace_back(key, FindJapaneseFace(face));
    return known.back().second;
}

std::wstring FindJapaneseFace(const wchar_t* face)
{
    if (face != nullptr && face[0] != 0 && HasJapaneseFace(face)) return face;
    static const wchar_t* const kFallbacks[] = {
        L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic", L"ＭＳ Ｐゴシック", L"MS PGothic", L"IPAPGothic",
        L"IPAGothic", L"Noto Sans CJK JP", L"Noto Sans JP", L"VL PGothic", L"TakaoPGothic", L"Droid Sans Fallback",
    };
    for (const wchar_t* candidate : kFallbacks)
        if (HasJapaneseFace(candidate)) return candidate;
    std::wstring any;
    HDC dc = GetDC(nullptr);
    LOGFONTW query{};
    query.lfCharSet = SHIFTJIS_CHARSET;
    EnumFontFamiliesExW(dc, &query, AnyFace, reinterpret_cast<LPARAM>(&any), 0);
    ReleaseDC(nullptr, dc);
    return any.empty() && face != nullptr ? std::wstring(face) : any;
}

int g_topLevelWindows = 0;

}  // namespace

int TwipsToPixels(int twips, UINT dpi)
{
    return MulDiv(twips, static_cast<int>(dpi), 1440);
}

RECT ControlRect(const ControlSpec& desc, UINT dpi, int originLeft, int originTop)
{
    RECT r;
    r.left = TwipsToPixels(originLeft + desc.left, dpi);
    r.top = TwipsToPixels(originTop + desc.top, dpi);
    r.right = r.left + TwipsToPixels(desc.width, dpi);
    r.bottom = r.top + TwipsToPixels(desc.height, dpi);
    return r;
}

UINT WindowDpi(HWND window)
{
    static const DpiFunctions system = [] {
        DpiFunctions found;
        found.forWindow = UserFunction<DpiFunctions::ForWindowFn>("GetDpiForWindow");
        // Windows 8.1 has no DPI per window, but one per monitor.
        if (found.forWindow == nullptr) {
            HMODULE shcore = LoadLibraryW(L"shcore.dll");
            if (shcore != nullptr)
                found.forMonitor = reinterpret_cast<DpiFunctions::ForMonitorFn>(
                    reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
        }
        return found;
    }();
    return WindowDpi(window, system);
}

UINT WindowDpi(HWND window, const DpiFunctions& functions)
{
    if (window != nullptr && functions.forWindow != nullptr) {
        UINT dpi = functions.forWindow(window);
        if (dpi != 0) return dpi;
    }
    if (window != nullptr && functions.forMonitor != nullptr) {
        UINT x = 0, y = 0;
        HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
        if (monitor != nullptr && SUCCEEDED(functions.forMonitor(monitor, 0 /* effective DPI */, &x, &y)) && y != 0)
            return y;
    }
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

SIZE OuterSize(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, bool hasMenu, UINT dpi)
{
    RECT r{0, 0, TwipsToPixels(clientWidth, dpi), TwipsToPixels(clientHeight, dpi)};
    using AdjustFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static auto adjustForDpi = UserFunction<AdjustFn>("AdjustWindowRectExForDpi");
    if (adjustForDpi == nullptr || !adjustForDpi(&r, style, hasMenu, exStyle, dpi))
        AdjustWindowRectEx(&r, style, hasMenu, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

void FitClientArea(HWND window, int clientWidth, int clientHeight, UINT dpi, const POINT* placeClient)
{
    int width = TwipsToPixels(clientWidth, dpi), height = TwipsToPixels(clientHeight, dpi);
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT outer, client;
        GetWindowRect(window, &outer);
        GetClientRect(window, &client);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
        int dx = width - (client.right - client.left), dy = height - (client.bottom - client.top);
        int moveX = placeClient != nullptr ? placeClient->x - client.left : 0;
        int moveY = placeClient != nullptr ? placeClient->y - client.top : 0;
        if (dx == 0 && dy == 0 && moveX == 0 && moveY == 0) return;
        SetWindowPos(window, nullptr, outer.left + moveX, outer.top + moveY, outer.right - outer.left + dx,
                     outer.bottom - outer.top + dy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

HFONT CreateInterfaceFont(UINT dpi)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    using ForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    static auto forDpi = UserFunction<ForDpiFn>("SystemParametersInfoForDpi");
    if (forDpi == nullptr || !forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), static_cast<int>(WindowDpi(nullptr)));
    }
    LOGFONTW font = metrics.lfMessageFont;
    if (font.lfHeight == 0) font.lfHeight = -MulDiv(9, static_cast<int>(dpi), 72);
    std::wstring face = JapaneseFace(font.lfFaceName);
    lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
    font.lfCharSet = SHIFTJIS_CHARSET;
    return CreateFontIndirectW(&font);
}

HFONT CreateJapaneseFont(const wchar_t* face, int points, UINT dpi)
{
    LOGFONTW font{};
    font.lfHeight = -MulDiv(points, static_cast<int>(dpi), 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    std::wstring chosen = JapaneseFace(face);
    lstrcpynW(font.lfFaceName, chosen.c_str(), LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

HWND CreateControl(HWND parent, const ControlSpec& desc, UINT dpi, HFONT font, bool visible, int originLeft,
                   int originTop)
{
    const wchar_t* windowClass = L"Static";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0);
    DWORD exStyle = 0;
    switch (desc.kind) {
    case ControlKind::Label:
        style |= SS_LEFT | SS_NOPREFIX;
        break;
    case ControlKind::TextBox:
        windowClass = L"Edit";
        style |= WS_TABSTOP | ES_AUTOHSCROLL;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case ControlKind::MultiLineTextBox:
        windowClass = L"Edit";
        style |= WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_HSCROLL;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case ControlKind::Button:
        windowClass = L"Button";
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        break;
    case ControlKind::DriveList:
        windowClass = L"ComboBox";
        style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS;
        break;
    case ControlKind::FolderList:
        windowClass = L"ListBox";
        style |= WS_TABSTOP | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_WANTKEYBOARDINPUT |
                 LBS_NOINTEGRALHEIGHT;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case ControlKind::TabControl:
        windowClass = WC_TABCONTROLW;
        style |= WS_TABSTOP | TCS_SINGLELINE | TCS_TABS | TCS_FOCUSONBUTTONDOWN;
        break;
    }
    RECT r = ControlRect(desc, dpi, originLeft, originTop);
    int height = r.bottom - r.top;
    if (desc.kind == ControlKind::DriveList) height += TwipsToPixels(2400, dpi);  // the opened list
    HWND control = CreateWindowExW(exStyle, windowClass, desc.caption, style, r.left, r.top, r.right - r.left, height,
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(desc.id)),
                                   reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    if (control == nullptr) return nullptr;
    if (desc.kind == ControlKind::TabControl) SetWindowTheme(control, L"", L"");  // button-face background
    if (desc.kind == ControlKind::TextBox || desc.kind == ControlKind::MultiLineTextBox)
        SendMessageW(control, EM_SETLIMITTEXT, 0, 0);  // no length limit of its own
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

LRESULT ColourLabel(HDC dc, COLORREF colour)
{
    SetTextColor(dc, colour);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

HWND NextInFocusOrder(const std::vector<HWND>& order, HWND current, bool backwards)
{
    if (order.empty()) return nullptr;
    int count = static_cast<int>(order.size());
    int at = -1;
    for (int i = 0; i < count; ++i)
        if (order[i] == current || IsChild(order[i], current)) at = i;
    for (int step = 1; step <= count; ++step) {
        int i = at < 0 ? (backwards ? count - step : step - 1) : ((at + (backwards ? -step : step)) % count + count) % count;
        HWND candidate = order[i];
        if (IsWindowVisible(candidate) && IsWindowEnabled(candidate)) return candidate;
    }
    return nullptr;
}

bool PreTranslate(MSG& message)
{
    if (message.message != WM_KEYDOWN) return false;
    if (message.wParam == VK_RETURN) {
        // Enter presses the focused button, as in any dialog; elsewhere it is the control's.
        wchar_t name[16] = {};
        GetClassNameW(message.hwnd, name, 16);
        if (lstrcmpiW(name, L"Button") != 0) return false;
        SendMessageW(message.hwnd, BM_CLICK, 0, 0);
        return true;
    }
    if (message.wParam != VK_TAB) return false;
    if (GetKeyState(VK_MENU) < 0) return false;
    HWND top = GetAncestor(message.hwnd, GA_ROOT);
    if (top == nullptr) return false;
    return SendMessageW(top, WM_NADESHIRO_TABKEY, GetKeyState(VK_SHIFT) < 0 ? 1 : 0, GetKeyState(VK_CONTROL) < 0 ? 1 : 0) != 0;
}

bool RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, bool withIcon, DWORD extraStyle)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExW(instance, name, &windowClass)) return true;
    windowClass.style = extraStyle;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    if (withIcon) {
        for (bool small : {false, true}) {
            auto icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_NADESHIRO), IMAGE_ICON,
                                                      GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON),
                                                      GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON), 0));
            (small ? windowClass.hIconSm : windowClass.hIcon) = icon;
        }
    }
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = name;
    return RegisterClassExW(&windowClass) != 0;
}

void BringToFront(HWND window)
{
    ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOW);
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(window);
}

void TopLevelWindowOpened() { ++g_topLevelWindows; }

void TopLevelWindowClosed()
{
    if (--g_topLevelWindows <= 0) {
        g_topLevelWindows = 0;
        PostQuitMessage(0);
    }
}

void EnablePerMonitorDpi()
{
    using SetContextFn = BOOL(WINAPI*)(HANDLE);
    static auto setContext = UserFunction<SetContextFn>("SetProcessDpiAwarenessContext");
    if (setContext != nullptr) {
        // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, then the first per-monitor version.
        if (setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)))) return;
        if (setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3)))) return;
    }
    using SetAwareFn = BOOL(WINAPI*)();
    static auto setAware = UserFunction<SetAwareFn>("SetProcessDPIAware");
    if (setAware != nullptr) setAware();
}

std::wstring WindowText(HWND window)
{
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

}  // namespace nadeshiro::ui
