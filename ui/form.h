// The one shape of the tool's windows. Each window is a table of its controls in twips, in
// focus order, read by a Form: the form makes the window and its controls from the table
// (so that the standard dialog keyboard handling walks them in that order), lays them out
// at the window's DPI and again when the DPI changes, answers the labels' colours, switches
// the tab pages, names the controls for a screen reader, and cleans up when the window goes. A window file keeps its table, its
// handlers and its window procedure, which passes what it does not handle to Default.
#pragma once

#include <windows.h>

#include <span>
#include <utility>
#include <vector>

#include "app/owned.h"
#include "ui/accessible.h"
#include "ui/window_layout.h"

namespace nadeshiro::ui {

enum class ControlKind { Label, TextBox, MultiLineTextBox, Button, DriveList, FolderList, TabControl };

constexpr int kOnWindow = -1;

struct ControlDesc {
    const wchar_t* name;  // e.g. L"Command1", L"Label1(0)"
    int id;               // control identifier, from app/resource.h
    ControlKind kind;
    const wchar_t* caption;
    const wchar_t* accessibleName;  // what a screen reader says; nullptr: the system's (the caption)
    int left, top, width, height;  // twips, on the client area, or from the tab control's corner
    int page = kOnWindow;          // the tab page that holds the control
    COLORREF textColor = CLR_INVALID;  // labels on the window: CLR_INVALID keeps the default colour
};

struct FormDesc {
    const wchar_t* className;
    const wchar_t* caption;
    int clientWidth, clientHeight;  // twips
    DWORD style;
    std::span<const ControlDesc> controls;  // in focus order
    const wchar_t* fontFace = nullptr;      // with fontPoints; none: the interface font
    int fontPoints = 0;
    std::span<const wchar_t* const> pages = {};  // the tab control's page captions
    int firstPage = 0;
    bool fixedPlace = false;  // the client area's corner at placeLeft, placeTop twips on the screen
    int placeLeft = 0, placeTop = 0;
};

// Ctrl+Tab, sent to a window by PreTranslate: the next tab page (wParam nonzero: the one before).
constexpr UINT WM_NADESHIRO_NEXTPAGE = WM_APP + 1;

class Form {
public:
    using FontObject = GdiObject<HFONT>;
    explicit Form(const FormDesc& desc) : desc_(desc) {}
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Makes the window, hidden, with its controls, when it is not loaded. Raises when it
    // cannot be made.
    HWND Load(HINSTANCE instance, WNDPROC procedure, Menu menu = Menu());
    // Shows the loaded window and brings it to the front; a window loaded afresh gives the
    // focus to its first control that takes it.
    void Show(int showCommand = SW_SHOWNORMAL);

    HWND Window() const { return window_; }
    const FormDesc& Description() const { return desc_; }
    // A control of the window, by identifier or name; nullptr for one on a tab page that has
    // not been made yet.
    HWND Control(int id) const;
    HWND Control(const wchar_t* name) const;
    // Makes the controls of a tab page that has not been shown yet (hidden, at their places):
    // for a command that needs one of them.
    void MakePage(int page);
    UINT Dpi() const { return dpi_; }
    // A list's items as a screen reader hears them (the list must outlive the window).
    void DescribeItems(int id, const AccessibleItems* items);
    HFONT Font() const { return font_.get(); }

    // What every window answers alike, then the system's default handling.
    LRESULT Default(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    std::vector<FontObject> SetMetrics(UINT dpi);
    void FitWindow();
    RECT PlaceOf(size_t i) const;
    void CreateControl(size_t i);
    HWND PageWindow(size_t i);
    void FindPageArea();
    void LayOut(UINT dpi);
    void SelectTab(int tab);
    void ShowPage(int page);
    void FitCaption(size_t i);
    const ControlDesc* DescOf(HWND control) const;
    static LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR form);

    const FormDesc& desc_;
    HWND window_ = nullptr;
    HINSTANCE instance_ = nullptr;
    std::vector<HWND> controls_;  // in the order of desc_.controls; nullptr: on a page not yet made
    std::vector<std::pair<int, const AccessibleItems*>> described_;  // by control identifier
    std::vector<HWND> pages_;
    HWND tabControl_ = nullptr;
    HWND lastFocus_ = nullptr;
    POINT tabCorner_{};  // twips
    RECT pageArea_{};    // pixels, on the client area
    bool fresh_ = false;
    bool loading_ = false;
    UINT dpi_ = 96;
    FontObject font_;
    std::vector<FontObject> smaller_;  // the window's font at the smaller sizes some captions need
};

// Lets the windows of the tool see keys before their controls do: the standard dialog
// keyboard handling (Tab, Shift+Tab, Enter on a button), and Ctrl+Tab between tab pages.
// True when the message was handled.
bool PreTranslate(MSG& message);

}  // namespace nadeshiro::ui
