// The memo window, form omoide: four blue lines that say why a memo helps, the memo box and
// two buttons. One instance, modeless and without owner; it saves into the back-up folder
// it was last shown for, never into whatever the last command worked on.
#include "ui/memo_window.h"

#include <algorithm>
#include <utility>

#include "app/codepage.h"
#include "app/handler.h"
#include "app/platform.h"
#include "memo/memo_file.h"

namespace nadeshiro::ui {

namespace {

enum ControlId : int {
    kLabel1First = 100,  // Label1(0) to Label1(3): 100 to 103
    kText1 = 110,
    kCommand1 = 111,
    kCommand2 = 112,
};

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;
const wchar_t kClassName[] = L"NadeshiroOmoide";

// The loaded window, and the fields that outlive it: the folder its save writes into and
// the memo file path of the last save.
struct MemoState {
    HWND window = nullptr;
    std::vector<HWND> controls;  // in the order of MemoWindowControls()
    HFONT font = nullptr;
    HWND lastFocus = nullptr;
    std::wstring folder;
    std::wstring memoPath;
};
MemoState g_memo;

HWND ControlById(int id)
{
    const auto& specs = MemoWindowControls();
    for (size_t i = 0; i < specs.size() && i < g_memo.controls.size(); ++i)
        if (specs[i].id == id) return g_memo.controls[i];
    return nullptr;
}

const ControlSpec* DescriptionOf(HWND control)
{
    const auto& specs = MemoWindowControls();
    for (size_t i = 0; i < specs.size() && i < g_memo.controls.size(); ++i)
        if (g_memo.controls[i] == control) return &specs[i];
    return nullptr;
}

// The controls that take the focus, by focus order; labels never do.
std::vector<HWND> FocusOrder()
{
    const auto& specs = MemoWindowControls();
    std::vector<std::pair<int, HWND>> ordered;
    for (size_t i = 0; i < specs.size() && i < g_memo.controls.size(); ++i)
        if (specs[i].kind != ControlKind::Label && specs[i].focusOrder != kNoFocus)
            ordered.emplace_back(specs[i].focusOrder, g_memo.controls[i]);
    std::sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<HWND> order;
    for (const auto& entry : ordered) order.push_back(entry.second);
    return order;
}

void Unload() { DestroyWindow(g_memo.window); }

// Save: the memo goes into the window's back-up folder as "omoide.txt" and the window
// unloads. A memo that code page 932 cannot hold is refused by name; a failing write is
// reported. Either way the window stays with its text.
void Command1_Click()
{
    RunHandler([] {
        std::wstring text = WindowText(ControlById(kText1));
        std::wstring unsavable = UnmappableCharacters(text);
        if (!unsavable.empty()) {
            platform::ShowMessage(UnsavableCharactersMessage(unsavable), platform::kStyleWarning, kMessageTitle);
            return;
        }
        std::wstring folder = g_memo.folder;
        g_memo.memoPath = folder + kMemoFileName;
        g_memo.memoPath = WriteMemo(folder, text);
        Unload();
    });
}

// Discard: the window unloads and nothing is written.
void Command2_Click() { Unload(); }

bool CreateControls(HWND window, UINT dpi)
{
    g_memo.font = CreateInterfaceFont(dpi);
    g_memo.controls.clear();
    for (const ControlSpec& desc : MemoWindowControls()) {
        HWND control = CreateControl(window, desc, dpi, g_memo.font, true);
        if (control == nullptr) return false;
        g_memo.controls.push_back(control);
    }
    return true;
}

// Sizes the window so that its client area is the form's size in twips at dpi, optionally
// moving it to topLeft.
void SetClientSize(HWND window, UINT dpi, const POINT* topLeft)
{
    SIZE outer = OuterSize(kMemoWindow.clientWidth, kMemoWindow.clientHeight, kStyle, kExStyle, false, dpi);
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (topLeft == nullptr ? SWP_NOMOVE : 0);
    SetWindowPos(window, nullptr, topLeft != nullptr ? topLeft->x : 0, topLeft != nullptr ? topLeft->y : 0, outer.cx,
                 outer.cy, flags);
    FitClientArea(window, kMemoWindow.clientWidth, kMemoWindow.clientHeight, dpi);
}

void LayOut(UINT dpi, const POINT* topLeft)
{
    HWND window = g_memo.window;
    if (window == nullptr) return;
    HFONT old = g_memo.font;
    g_memo.font = CreateInterfaceFont(dpi);
    const auto& specs = MemoWindowControls();
    for (size_t i = 0; i < specs.size() && i < g_memo.controls.size(); ++i) {
        RECT r = ControlRect(specs[i], dpi);
        SetWindowPos(g_memo.controls[i], nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(g_memo.controls[i], WM_SETFONT, reinterpret_cast<WPARAM>(g_memo.font), TRUE);
    }
    if (old != nullptr) DeleteObject(old);
    SetClientSize(window, dpi, topLeft);
    InvalidateRect(window, nullptr, TRUE);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        g_memo.window = window;
        TopLevelWindowOpened();
        break;
    case WM_CREATE: {
        UINT dpi = WindowDpi(window);
        if (!CreateControls(window, dpi)) return -1;
        SetClientSize(window, dpi, nullptr);
        return 0;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            if (LOWORD(wParam) == kCommand1) {
                Command1_Click();
                return 0;
            }
            if (LOWORD(wParam) == kCommand2) {
                Command2_Click();
                return 0;
            }
        }
        break;
    case WM_CTLCOLORSTATIC: {
        const ControlSpec* desc = DescriptionOf(reinterpret_cast<HWND>(lParam));
        if (desc == nullptr || desc->textColor == CLR_INVALID) break;
        return ColourLabel(reinterpret_cast<HDC>(wParam), desc->textColor);
    }
    case WM_NADESHIRO_TABKEY: {
        HWND next = NextInFocusOrder(FocusOrder(), GetFocus(), wParam != 0);
        if (next == nullptr) return 0;
        SetFocus(next);
        return 1;
    }
    case WM_ACTIVATE:
        // A plain window forgets its focused control when it is deactivated; this one
        // gives the focus back to it, or to the memo box.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus != nullptr && IsChild(window, focus)) g_memo.lastFocus = focus;
        } else if (!HIWORD(wParam)) {
            HWND target = g_memo.lastFocus != nullptr && IsWindow(g_memo.lastFocus) ? g_memo.lastFocus : ControlById(kText1);
            if (target != nullptr) SetFocus(target);
        }
        return 0;
    case WM_SETFOCUS: {
        HWND target = g_memo.lastFocus != nullptr && IsWindow(g_memo.lastFocus) ? g_memo.lastFocus : ControlById(kText1);
        if (target != nullptr) SetFocus(target);
        return 0;
    }
    case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        POINT topLeft{suggested->left, suggested->top};
        LayOut(LOWORD(wParam), &topLeft);
        return 0;
    }
    case WM_NCDESTROY:
        if (g_memo.font != nullptr) DeleteObject(g_memo.font);
        g_memo.font = nullptr;
        g_memo.controls.clear();
        g_memo.lastFocus = nullptr;
        g_memo.window = nullptr;
        TopLevelWindowClosed();
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

const WindowSpec kMemoWindow{L"omoide", L"思い出（永遠はあるよ…僕のこと忘れないでね）", 5655, 5490};

const std::vector<ControlSpec>& MemoWindowControls()
{
    static const std::vector<ControlSpec> controls{
        {L"Label1(0)", kLabel1First + 0, ControlKind::Label, L"『あのね』", 120, 120, 1455, 255, 3, kOnWindow, kBlue},
        {L"Label1(1)", kLabel1First + 1, ControlKind::Label, L"『このセーブデータでどんな思い出があるか記録しておくと』", 120,
         360, 5415, 255, 4, kOnWindow, kBlue},
        {L"Label1(2)", kLabel1First + 2, ControlKind::Label, L"『あとで復元する時にね』", 120, 600, 5415, 255, 5, kOnWindow,
         kBlue},
        {L"Label1(3)", kLabel1First + 3, ControlKind::Label, L"『とっても便利なのー（にこにこ）』", 120, 840, 5415, 255, 6,
         kOnWindow, kBlue},
        {L"Text1", kText1, ControlKind::MultiLineTextBox, L"", 120, 1200, 5415, 3615, 0},
        {L"Command1", kCommand1, ControlKind::Button, L"思い出を保存するの", 1440, 5040, 1935, 375, 1},
        {L"Command2", kCommand2, ControlKind::Button, L"過去は振り返らないの", 3600, 5040, 1935, 375, 2},
    };
    return controls;
}

void ShowMemoWindow(HINSTANCE instance, const std::wstring& backupFolder)
{
    g_memo.folder = backupFolder;
    if (g_memo.window != nullptr) {
        BringToFront(g_memo.window);
        return;
    }
    if (!RegisterWindowClass(instance, kClassName, WindowProc, true)) RaiseLastError(std::wstring());
    UINT dpi = WindowDpi(nullptr);
    SIZE outer = OuterSize(kMemoWindow.clientWidth, kMemoWindow.clientHeight, kStyle, kExStyle, false, dpi);
    HWND window = CreateWindowExW(kExStyle, kClassName, kMemoWindow.caption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                  outer.cx, outer.cy, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) RaiseLastError(std::wstring());
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    SetForegroundWindow(window);
    SetFocus(ControlById(kText1));
}

void LayOutMemoWindow(UINT dpi) { LayOut(dpi, nullptr); }

HWND MemoWindow() { return g_memo.window; }

HWND MemoControl(const wchar_t* name)
{
    const auto& specs = MemoWindowControls();
    for (size_t i = 0; i < specs.size() && i < g_memo.controls.size(); ++i)
        if (lstrcmpW(specs[i].name, name) == 0) return g_memo.controls[i];
    return nullptr;
}

const std::wstring& MemoWindowFolder() { return g_memo.folder; }

const std::wstring& MemoPath() { return g_memo.memoPath; }

}  // namespace nadeshiro::ui
