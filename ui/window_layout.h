// Windows are described as data: each control's kind, caption and place in twips. One
// function turns twips into pixels at the window's DPI; everything else builds on it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace nadeshiro::ui {

enum class ControlKind { Label, TextBox, MultiLineTextBox, Button, DriveList, FolderList, TabControl };

constexpr int kNoFocus = -1;
constexpr int kOnWindow = -1;

struct ControlSpec {
    const wchar_t* name;     // e.g. L"Command1", L"Label1(0)"
    int id;                  // control identifier
    ControlKind kind;
    const wchar_t* caption;  // window text
    int left, top, width, height;  // twips, relative to the window's client area or the tab control
    int focusOrder;          // kNoFocus for none
    int tab = kOnWindow;     // the tab that owns the control, or kOnWindow
    COLORREF textColor = CLR_INVALID;  // labels: CLR_INVALID keeps the default colour
};

struct WindowSpec {
    const wchar_t* name;
    const wchar_t* caption;
    int clientWidth, clientHeight;  // twips
};

// 1440 twips make an inch; 15 twips are one pixel at 96 DPI.
int TwipsToPixels(int twips, UINT dpi);

// The control's rectangle in pixels, relative to its window's client area. originLeft and
// originTop (twips) place the tab control's own controls.
RECT ControlRect(const ControlSpec& desc, UINT dpi, int originLeft = 0, int originTop = 0);

// The DPI the window is shown at: the window's own where the system has it (Windows 10),
// else its monitor's (Windows 8.1), else the system's.
UINT WindowDpi(HWND window);

// The system functions WindowDpi asks, each null where the system lacks it.
struct DpiFunctions {
    using ForWindowFn = UINT(WINAPI*)(HWND);
    using ForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    ForWindowFn forWindow = nullptr;
    ForMonitorFn forMonitor = nullptr;
};
UINT WindowDpi(HWND window, const DpiFunctions& functions);

// The outer size of a window whose client area is clientWidth x clientHeight twips.
SIZE OuterSize(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, bool hasMenu, UINT dpi);

// Sizes window so that its client area is clientWidth x clientHeight twips at dpi, whatever
// its frame and menu bar take (measured, not assumed). With placeClient, the client area's
// top-left corner goes to that screen point; otherwise the frame's corner stays.
void FitClientArea(HWND window, int clientWidth, int clientHeight, UINT dpi, const POINT* placeClient = nullptr);

// The default user-interface font at dpi, with the Japanese character set so that the
// captions are drawn with a font that holds them.
HFONT CreateInterfaceFont(UINT dpi);

// A font by face name at a point size, falling back to a Japanese face where the named one
// is missing.
HFONT CreateJapaneseFont(const wchar_t* face, int points, UINT dpi);

// Creates the standard Win32 control for desc (Static, Edit, Button, ComboBox, ListBox,
// SysTabControl32), hidden unless visible is set.
HWND CreateControl(HWND parent, const ControlSpec& desc, UINT dpi, HFONT font, bool visible, int originLeft = 0,
                   int originTop = 0);

// Answers WM_CTLCOLORSTATIC for a label drawn in colour on the button-face background.
LRESULT ColourLabel(HDC dc, COLORREF colour);

// Keyboard focus order: Tab and Shift+Tab move through the visible, enabled controls of a
// window by their focus order. Windows answer this message (wParam: nonzero for backwards)
// and return nonzero when they moved the focus.
constexpr UINT WM_NADESHIRO_TABKEY = WM_APP + 1;
HWND NextInFocusOrder(const std::vector<HWND>& order, HWND current, bool backwards);

// Lets the windows of the tool see keys before the controls do (Tab moves the focus, Enter
// presses the focused button); true when it was handled.
bool PreTranslate(MSG& message);

// Registers a window class of the tool once: button-face background, arrow cursor and, with
// withIcon, the program's icon at both sizes. Returns false when it could not be registered.
bool RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, bool withIcon,
                         DWORD extraStyle = 0);

// Shows a window that is already loaded and brings it to the front (restored if minimised).
void BringToFront(HWND window);

// Top-level windows of the tool: the program ends when the last one closes.
void TopLevelWindowOpened();
void TopLevelWindowClosed();

// Per-monitor DPI support, where the system has it.
void EnablePerMonitorDpi();

std::wstring WindowText(HWND window);

}  // namespace nadeshiro::ui
