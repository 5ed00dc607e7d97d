#include "ui/tab_strip.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/handler.h"
#include "ui/window_layout.h"

namespace nadeshiro::ui {

namespace {

struct TabState {
    std::vector<std::wstring> captions;
    int current = -1;
    HFONT font = nullptr;
};

TabState* StateOf(HWND strip) { return reinterpret_cast<TabState*>(GetWindowLongPtrW(strip, 0)); }

HFONT FontOf(const TabState& state)
{
    return state.font != nullptr ? state.font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// Where things lie in the strip's client area, in the strip's font at its DPI.
struct Geometry {
    UINT dpi;
    int row;                 // the height of the row of tabs: the text, a margin above and
                             // below it, and the room by which the current tab stands out
    std::vector<RECT> tabs;  // each tab as it lies when it is not the current one
};

Geometry Measure(HWND strip, const TabState& state)
{
    Geometry geometry{WindowDpi(strip), 0, {}};
    int pad = ScalePixels(6, geometry.dpi);
    HDC dc = GetDC(strip);
    HGDIOBJ old = SelectObject(dc, FontOf(state));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    geometry.row = metrics.tmHeight + 2 * ScalePixels(3, geometry.dpi) + 2;
    int x = 2;
    for (const std::wstring& caption : state.captions) {
        SIZE size{};
        GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
        geometry.tabs.push_back(RECT{x, 2, x + size.cx + 2 * pad, geometry.row});
        x = geometry.tabs.back().right;
    }
    SelectObject(dc, old);
    ReleaseDC(strip, dc);
    return geometry;
}

// The current tab stands out: wider and higher than the others, open to the area below.
RECT Raised(RECT tab, int row)
{
    return RECT{tab.left - 2, 0, tab.right + 2, row + 2};
}

int HitTest(HWND strip, const TabState& state, POINT point)
{
    Geometry geometry = Measure(strip, state);
    // The current tab first: it covers the edges of its neighbours.
    if (state.current >= 0 && static_cast<size_t>(state.current) < geometry.tabs.size()) {
        RECT raised = Raised(geometry.tabs[static_cast<size_t>(state.current)], geometry.row);
        if (PtInRect(&raised, point)) return state.current;
    }
    for (size_t i = 0; i < geometry.tabs.size(); ++i)
        if (PtInRect(&geometry.tabs[i], point)) return static_cast<int>(i);
    return -1;
}

void Fill(HDC dc, int left, int top, int right, int bottom, int colour)
{
    RECT r{left, top, right, bottom};
    FillRect(dc, &r, GetSysColorBrush(colour));
}

// A tab's outline: a shadow line round its left, top and right, and a light line inside it
// on the left and top, which shows on a pale button face as on a grey one.
void DrawTabEdges(HDC dc, const RECT& r)
{
    Fill(dc, r.left, r.top + 1, r.left + 1, r.bottom, COLOR_BTNSHADOW);
    Fill(dc, r.left + 1, r.top, r.right - 1, r.top + 1, COLOR_BTNSHADOW);
    Fill(dc, r.right - 1, r.top + 1, r.right, r.bottom, COLOR_BTNSHADOW);
    Fill(dc, r.left + 1, r.top + 1, r.left + 2, r.bottom, COLOR_BTNHIGHLIGHT);
    Fill(dc, r.left + 2, r.top + 1, r.right - 1, r.top + 2, COLOR_BTNHIGHLIGHT);
}

// The area below the tabs, outlined the same way.
void DrawPanel(HDC dc, const RECT& r)
{
    FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
    Fill(dc, r.left + 1, r.top + 1, r.left + 2, r.bottom - 1, COLOR_BTNHIGHLIGHT);
    Fill(dc, r.left + 2, r.top + 1, r.right - 1, r.top + 2, COLOR_BTNHIGHLIGHT);
}

void Paint(HWND strip, const TabState& state)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(strip, &paint);
    RECT client;
    GetClientRect(strip, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    Geometry geometry = Measure(strip, state);
    DrawPanel(dc, RECT{client.left, geometry.row, client.right, client.bottom});
    HGDIOBJ oldFont = SelectObject(dc, FontOf(state));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(strip) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    bool showFocus = GetFocus() == strip && !(SendMessageW(strip, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
    for (size_t i = 0; i < geometry.tabs.size(); ++i) {
        bool current = static_cast<int>(i) == state.current;
        RECT tab = current ? Raised(geometry.tabs[i], geometry.row) : geometry.tabs[i];
        if (current) Fill(dc, tab.left + 1, tab.top + 1, tab.right - 1, tab.bottom, COLOR_BTNFACE);
        DrawTabEdges(dc, tab);
        RECT text = tab;
        if (current) text.bottom -= 2;
        DrawTextW(dc, state.captions[i].c_str(), static_cast<int>(state.captions[i].size()), &text,
                  DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
        if (current && showFocus) {
            InflateRect(&text, -ScalePixels(4, geometry.dpi), -ScalePixels(3, geometry.dpi));
            DrawFocusRect(dc, &text);
        }
    }
    SelectObject(dc, oldFont);
    EndPaint(strip, &paint);
}

// Makes index the current tab; with notify, as the user's choice: the parent may refuse it
// (TCN_SELCHANGING) and hears of it (TCN_SELCHANGE).
void Select(HWND strip, TabState& state, int index, bool notify)
{
    if (index < 0 || static_cast<size_t>(index) >= state.captions.size() || index == state.current) return;
    HWND parent = GetParent(strip);
    NMHDR header{strip, static_cast<UINT_PTR>(GetDlgCtrlID(strip)), static_cast<UINT>(TCN_SELCHANGING)};
    if (notify && SendMessageW(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header)) != 0) return;
    state.current = index;
    InvalidateRect(strip, nullptr, TRUE);
    NotifyWinEvent(EVENT_OBJECT_SELECTION, strip, OBJID_CLIENT, index + 1);
    if (GetFocus() == strip) NotifyWinEvent(EVENT_OBJECT_FOCUS, strip, OBJID_CLIENT, index + 1);
    header.code = static_cast<UINT>(TCN_SELCHANGE);
    if (notify) SendMessageW(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

LRESULT Answer(HWND strip, TabState& state, UINT message, WPARAM wParam, LPARAM lParam)
{
    int count = static_cast<int>(state.captions.size());
    switch (message) {
    case TCM_INSERTITEMW: {
        const auto* item = reinterpret_cast<const TCITEMW*>(lParam);
        if (item == nullptr) return -1;
        int at = static_cast<int>(wParam) < count ? static_cast<int>(wParam) : count;
        state.captions.insert(state.captions.begin() + at,
                              (item->mask & TCIF_TEXT) && item->pszText != nullptr ? item->pszText : L"");
        if (state.current >= at) ++state.current;
        if (state.current < 0) state.current = 0;
        InvalidateRect(strip, nullptr, TRUE);
        return at;
    }
    case TCM_GETITEMCOUNT: return count;
    case TCM_GETITEMW: {
        auto* item = reinterpret_cast<TCITEMW*>(lParam);
        if (item == nullptr || static_cast<int>(wParam) < 0 || static_cast<int>(wParam) >= count) return FALSE;
        if ((item->mask & TCIF_TEXT) && item->pszText != nullptr && item->cchTextMax > 0)
            lstrcpynW(item->pszText, state.captions[wParam].c_str(), item->cchTextMax);
        return TRUE;
    }
    case TCM_GETCURSEL: return state.current;
    case TCM_SETCURSEL: {
        int before = state.current;
        if (static_cast<int>(wParam) < 0 || static_cast<int>(wParam) >= count) return -1;
        Select(strip, state, static_cast<int>(wParam), false);
        return before;
    }
    case TCM_GETITEMRECT: {
        auto* rect = reinterpret_cast<RECT*>(lParam);
        if (rect == nullptr || static_cast<int>(wParam) < 0 || static_cast<int>(wParam) >= count) return FALSE;
        *rect = Measure(strip, state).tabs[wParam];
        return TRUE;
    }
    case TCM_HITTEST: {
        auto* info = reinterpret_cast<TCHITTESTINFO*>(lParam);
        if (info == nullptr) return -1;
        int index = HitTest(strip, state, info->pt);
        info->flags = index >= 0 ? TCHT_ONITEM : TCHT_NOWHERE;
        return index;
    }
    case TCM_ADJUSTRECT: {
        // The area below the tabs inside the frame (wParam FALSE), or the strip around an area.
        auto* rect = reinterpret_cast<RECT*>(lParam);
        if (rect == nullptr) return 0;
        int row = Measure(strip, state).row;
        if (wParam == FALSE) {
            rect->left += 2, rect->top += row + 2, rect->right -= 2, rect->bottom -= 2;
        } else {
            rect->left -= 2, rect->top -= row + 2, rect->right += 2, rect->bottom += 2;
        }
        return 0;
    }
    case WM_SETFONT:
        state.font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) InvalidateRect(strip, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state.font);
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_LEFT: Select(strip, state, state.current - 1, true); return 0;
        case VK_RIGHT: Select(strip, state, state.current + 1, true); return 0;
        case VK_HOME: Select(strip, state, 0, true); return 0;
        case VK_END: Select(strip, state, count - 1, true); return 0;
        default: break;
        }
        break;
    case WM_LBUTTONDOWN: {
        POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        int index = HitTest(strip, state, point);
        if (index < 0) break;
        SetFocus(strip);
        Select(strip, state, index, true);
        return 0;
    }
    case WM_SETFOCUS:
        if (state.current >= 0) NotifyWinEvent(EVENT_OBJECT_FOCUS, strip, OBJID_CLIENT, state.current + 1);
        [[fallthrough]];
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_UPDATEUISTATE:
        InvalidateRect(strip, nullptr, TRUE);
        break;
    case WM_ERASEBKGND: return 1;  // WM_PAINT paints it all
    case WM_PAINT: Paint(strip, state); return 0;
    default: break;
    }
    return DefWindowProcW(strip, message, wParam, lParam);
}

LRESULT CALLBACK TabStripProc(HWND strip, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Guarded<LRESULT>(0, [&]() -> LRESULT {
        if (message == WM_NCCREATE) SetWindowLongPtrW(strip, 0, reinterpret_cast<LONG_PTR>(new TabState));
        TabState* state = StateOf(strip);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(strip, 0, 0);
            delete state;
            return DefWindowProcW(strip, message, wParam, lParam);
        }
        if (state == nullptr) return DefWindowProcW(strip, message, wParam, lParam);
        return Answer(strip, *state, message, wParam, lParam);
    });
}

}  // namespace

void RegisterTabStrip(HINSTANCE instance)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExW(instance, kTabStripClass, &windowClass)) return;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = TabStripProc;
    windowClass.cbWndExtra = sizeof(TabState*);
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kTabStripClass;
    RegisterClassExW(&windowClass);
}

}  // namespace nadeshiro::ui
