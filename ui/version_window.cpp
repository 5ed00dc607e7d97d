// The version window, form help_ver: three labels on a fixed client area at a fixed place
// on the screen. It has no handler of its own; the close box is its only way out.
#include "ui/version_window.h"

#include <array>
#include <cwchar>

#include "app/runtime_error.h"
#include "app/version.h"

namespace nadeshiro::ui {

const WindowSpec kVersionWindow{L"help_ver", L"バージョン情報", 5475, 1500};

const wchar_t kVersionWindowClass[] = L"nadeshiro.help_ver";
const wchar_t kVersionFontFace[] = L"ＭＳ Ｐゴシック";

namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// The window's frame: a fixed border with a caption and a close box, nothing to size it.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;

struct VersionWindowState {
    HWND window = nullptr;
    std::array<HWND, 3> labels{};
    HFONT font = nullptr;
    UINT dpi = 96;
};

VersionWindowState g_version;

void ApplyFont(HFONT font)
{
    for (HWND label : g_version.labels)
        if (label != nullptr) SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

// Places the labels and sizes the client area for dpi, with the labels' font made for it.
void LayOut(HWND window, UINT dpi)
{
    HFONT font = CreateJapaneseFont(kVersionFontFace, 12, dpi);
    if (font != nullptr) {
        ApplyFont(font);
        if (g_version.font != nullptr) DeleteObject(g_version.font);
        g_version.font = font;
    }
    g_version.dpi = dpi;
    const auto& controls = VersionWindowControls();
    for (size_t i = 0; i < controls.size() && i < g_version.labels.size(); ++i) {
        RECT r = ControlRect(controls[i], dpi);
        SetWindowPos(g_version.labels[i], nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    FitClientArea(window, kVersionWindow.clientWidth, kVersionWindow.clientHeight, dpi);
    InvalidateRect(window, nullptr, TRUE);
}

const ControlSpec* DescriptionOf(HWND label)
{
    const auto& controls = VersionWindowControls();
    for (size_t i = 0; i < controls.size() && i < g_version.labels.size(); ++i)
        if (g_version.labels[i] == label) return &controls[i];
    return nullptr;
}

LRESULT CALLBACK VersionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CTLCOLORSTATIC: {
        const ControlSpec* desc = DescriptionOf(reinterpret_cast<HWND>(lParam));
        if (desc == nullptr || desc->textColor == CLR_INVALID) break;
        return ColourLabel(reinterpret_cast<HDC>(wParam), desc->textColor);
    }
    case WM_DPICHANGED: {
        UINT dpi = LOWORD(wParam);
        if (dpi == 0) return 0;
        if (lParam != 0) {
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        LayOut(window, dpi);
        return 0;
    }
    case WM_NADESHIRO_TABKEY:
        return 0;  // nothing here takes the focus
    case WM_NCDESTROY:
        if (window == g_version.window) {
            if (g_version.font != nullptr) DeleteObject(g_version.font);
            g_version = VersionWindowState{};  // the next show loads it afresh
            TopLevelWindowClosed();
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Loads the window from its description, hidden, at its fixed place.
HWND LoadVersionWindow(HINSTANCE instance)
{
    if (!RegisterWindowClass(instance, kVersionWindowClass, VersionWindowProc, true)) return nullptr;
    UINT dpi = WindowDpi(nullptr);
    POINT place{TwipsToPixels(kVersionWindowLeft, dpi), TwipsToPixels(kVersionWindowTop, dpi)};
    SIZE outer = OuterSize(kVersionWindow.clientWidth, kVersionWindow.clientHeight, kStyle, kExStyle, false, dpi);
    RECT frame{place.x, place.y, place.x, place.y};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    HWND window = CreateWindowExW(kExStyle, kVersionWindowClass, kVersionWindow.caption, kStyle, frame.left,
                                  frame.top, outer.cx, outer.cy, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return nullptr;
    g_version.window = window;
    TopLevelWindowOpened();

    // The window may come up at another DPI than the system's (per-monitor DPI).
    dpi = WindowDpi(window);
    g_version.dpi = dpi;
    g_version.font = CreateJapaneseFont(kVersionFontFace, 12, dpi);
    const auto& controls = VersionWindowControls();
    for (size_t i = 0; i < controls.size() && i < g_version.labels.size(); ++i) {
        g_version.labels[i] = CreateControl(window, controls[i], dpi, g_version.font, true);
        if (g_version.labels[i] == nullptr) {
            DWORD code = GetLastError();
            DestroyWindow(window);
            SetLastError(code);
            return nullptr;
        }
    }
    place = POINT{TwipsToPixels(kVersionWindowLeft, dpi), TwipsToPixels(kVersionWindowTop, dpi)};
    FitClientArea(window, kVersionWindow.clientWidth, kVersionWindow.clientHeight, dpi, &place);
    return window;
}

}  // namespace

const std::vector<ControlSpec>& VersionWindowControls()
{
    // Label1(0) to Label1(2): positions in twips on the client area, in focus order.
    static const std::vector<ControlSpec> controls{
        {L"Label1(0)", kVersionLabelId + 0, ControlKind::Label, L"" NADESHIRO_PRODUCT_LABEL, 120, 240, 3855, 255, 0,
         kOnWindow, kBlue},
        {L"Label1(1)", kVersionLabelId + 1, ControlKind::Label, L"企画・プログラム　なずな", 2040, 840, 3375, 255, 1,
         kOnWindow, kBlue},
        {L"Label1(2)", kVersionLabelId + 2, ControlKind::Label, L"Copyright (C) 2026 なでしろ製作委員会", 480, 1200,
         4935, 255, 2, kOnWindow, kBlack},
    };
    return controls;
}

void ShowVersionWindow(HINSTANCE instance)
{
    if (instance == nullptr) instance = GetModuleHandleW(nullptr);
    HWND window = g_version.window;
    if (window == nullptr) {
        window = LoadVersionWindow(instance);
        if (window == nullptr) throw RuntimeError(err::OutOfMemory, kVersionWindow.name, GetLastError());
    }
    BringToFront(window);
}

HWND VersionWindow() { return g_version.window; }

HWND VersionControl(const wchar_t* name)
{
    const auto& controls = VersionWindowControls();
    for (size_t i = 0; i < controls.size() && i < g_version.labels.size(); ++i)
        if (name != nullptr && std::wcscmp(controls[i].name, name) == 0) return g_version.labels[i];
    return nullptr;
}

UINT VersionWindowDpi() { return g_version.window != nullptr ? g_version.dpi : 0; }

}  // namespace nadeshiro::ui
