#include "ui/form.h"

#include <commctrl.h>
#include <oleacc.h>
#include <uxtheme.h>

#include <utility>

#include "app/handler.h"
#include "app/resource.h"
#include "app/runtime_error.h"

namespace nadeshiro::ui {

namespace {

int g_openWindows = 0;  // the program ends when the last window of it closes

// A tab page: the controls of one tab stand on it. It is a dialog page, as the system's own
// property pages are, so that it takes the tab control's background in the current visual
// style (the button face where there is none), and it hands the controls' notifications to the
// window. Only the current tab's page is shown, so the other tabs' controls are out of sight
// and out of the keyboard order.
INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Guarded<INT_PTR>(FALSE, [&]() -> INT_PTR {
        switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_NEXTDLGCTL:  // Tab in a multi-line text box: the window's order, not the page's alone
            SetWindowLongPtrW(page, DWLP_MSGRESULT, SendMessageW(GetParent(page), message, wParam, lParam));
            return TRUE;
        default:
            return FALSE;
        }
    });
}

void Register(HINSTANCE instance, const wchar_t* name, WNDPROC procedure)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExW(instance, name, &windowClass)) return;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    for (bool small : {false, true}) {
        auto icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_NADESHIRO), IMAGE_ICON,
                                                  GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON),
                                                  GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON), 0));
        (small ? windowClass.hIconSm : windowClass.hIcon) = icon;
    }
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = name;
    if (RegisterClassExW(&windowClass) == 0) RaiseLastError(name);
}

// What a control of this kind is made as, and the role that the system's own objects give it.
struct KindStyle {
    const wchar_t* windowClass;
    DWORD style;
    DWORD exStyle;
    long role;
};

KindStyle StyleOf(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Label: return {L"Static", SS_LEFT | SS_NOPREFIX, 0, ROLE_SYSTEM_STATICTEXT};
    case ControlKind::TextBox: return {L"Edit", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, ROLE_SYSTEM_TEXT};
    case ControlKind::MultiLineTextBox:
        return {L"Edit", WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_HSCROLL,
                WS_EX_CLIENTEDGE, ROLE_SYSTEM_TEXT};
    case ControlKind::Button: return {L"Button", WS_TABSTOP | BS_PUSHBUTTON, 0, ROLE_SYSTEM_PUSHBUTTON};
    case ControlKind::DriveList:
        return {L"ComboBox", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0, ROLE_SYSTEM_COMBOBOX};
    case ControlKind::FolderList:
        return {L"ListBox",
                WS_TABSTOP | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                WS_EX_CLIENTEDGE, ROLE_SYSTEM_LIST};
    case ControlKind::TabControl:
        return {WC_TABCONTROLW, WS_TABSTOP | TCS_SINGLELINE | TCS_TABS | TCS_FOCUSONBUTTONDOWN, 0, ROLE_SYSTEM_PAGETABLIST};
    }
    return {L"Static", 0, 0, ROLE_SYSTEM_CLIENT};
}

}  // namespace

HWND Form::Load(HINSTANCE instance, WNDPROC procedure, Menu menu)
{
    if (window_ != nullptr) return window_;
    if (instance == nullptr) instance = GetModuleHandleW(nullptr);
    instance_ = instance;
    Register(instance, desc_.className, procedure);
    if (!desc_.pages.empty()) {
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TAB_CLASSES};
        InitCommonControlsEx(&classes);
    }
    UINT dpi = WindowDpi(nullptr);
    SIZE outer = OuterSize(desc_.clientWidth, desc_.clientHeight, desc_.style, 0, menu.valid(), dpi);
    window_ = CreateWindowExW(0, desc_.className, desc_.caption, desc_.style, CW_USEDEFAULT, CW_USEDEFAULT, outer.cx,
                              outer.cy, nullptr, menu.get(), instance, nullptr);
    if (window_ == nullptr) RaiseLastError(desc_.className);
    menu.release();  // the window's now
    ++g_openWindows;
    try {
        // The window may have come up on a monitor of another DPI.
        SetMetrics(WindowDpi(window_));
        FitWindow();
        // The current page's controls, and those on the window, are made now at their places;
        // another page's when it is first shown.
        controls_.assign(desc_.controls.size(), nullptr);
        pages_.assign(desc_.pages.size(), nullptr);
        loading_ = true;
        for (size_t i = 0; i < desc_.controls.size(); ++i) {
            int page = desc_.controls[i].page;
            if (page == kOnWindow || page == desc_.firstPage) CreateControl(i);
        }
        // The pages stand above the tab control, as the system lays tab pages: it goes beneath
        // every other control. In the focus order, which goes round, it still leads.
        if (tabControl_ != nullptr) SetWindowPos(tabControl_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        loading_ = false;
    } catch (...) {
        loading_ = false;
        DestroyWindow(window_);
        throw;
    }
    fresh_ = true;
    return window_;
}

void Form::Show(int showCommand)
{
    bool fresh = std::exchange(fresh_, false);
    // A window loaded afresh gives the focus to its first control that takes it, before it is
    // drawn, so that the control is drawn once, with the focus (the activation hands it over).
    if (fresh)
        for (HWND control : controls_)
            if (control != nullptr && (GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP)) {
                lastFocus_ = control;
                break;
            }
    ShowWindow(window_, IsIconic(window_) ? SW_RESTORE : showCommand);
    // A window shown again comes to the front, above the tool's other windows.
    if (!fresh) SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (showCommand != SW_SHOWNOACTIVATE && GetForegroundWindow() != window_) SetForegroundWindow(window_);
    if (fresh && lastFocus_ != nullptr && GetFocus() != lastFocus_) SetFocus(lastFocus_);
    UpdateWindow(window_);
}

// The window's DPI and its font at that DPI; gives back the fonts before, which the controls
// may still use.
std::vector<Form::FontObject> Form::SetMetrics(UINT dpi)
{
    FontObject font(desc_.fontFace != nullptr ? CreateJapaneseFont(desc_.fontFace, desc_.fontPoints, dpi) : CreateInterfaceFont(dpi));
    if (!font.valid()) RaiseLastError(desc_.className);
    dpi_ = dpi;
    std::vector<FontObject> old = std::exchange(smaller_, {});
    old.push_back(std::exchange(font_, std::move(font)));
    return old;
}

// A caption wider than its control (in a face wider than the narrow Japanese interface face the
// windows were laid out for, on a system without it) is drawn in a smaller size of the window's
// font, the largest that fits; the layout in twips stays as it is. The control has the window's
// font when this is called: a smaller one is given only when the caption overreaches.
void Form::FitCaption(size_t i)
{
    HWND control = controls_[i];
    ControlKind kind = desc_.controls[i].kind;
    if (kind != ControlKind::Label && kind != ControlKind::Button && kind != ControlKind::TabControl) return;
    LOGFONTW logFont{};
    GetObjectW(font_.get(), sizeof logFont, &logFont);
    const LONG height = logFont.lfHeight < 0 ? -logFont.lfHeight : logFont.lfHeight, smallest = height * 7 / 10;
    HFONT font = font_.get();
    const wchar_t* caption = kind == ControlKind::TabControl ? nullptr : desc_.controls[i].caption;
    for (LONG size = height;; --size) {
        if (size != height) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (size <= smallest || CaptionOverreach(control, caption, font, kind == ControlKind::Button, dpi_) <= 0) return;
        logFont.lfHeight = logFont.lfHeight < 0 ? -(size - 1) : size - 1;
        font = nullptr;
        for (const FontObject& known : smaller_) {
            LOGFONTW other{};
            if (GetObjectW(known.get(), sizeof other, &other) && other.lfHeight == logFont.lfHeight) font = known.get();
        }
        if (font != nullptr) continue;
        FontObject made(CreateFontIndirectW(&logFont));
        if (!made.valid()) return;
        font = made.get();
        smaller_.push_back(std::move(made));
    }
}

void Form::FitWindow()
{
    POINT place{TwipsToPixels(desc_.placeLeft, dpi_), TwipsToPixels(desc_.placeTop, dpi_)};
    FitClientArea(window_, desc_.clientWidth, desc_.clientHeight, dpi_, desc_.fixedPlace ? &place : nullptr);
}

// Where the control of the table's entry i lies, in pixels on its parent: the window, or its
// tab page, whose area the tab control gives.
RECT Form::PlaceOf(size_t i) const
{
    const ControlDesc& desc = desc_.controls[i];
    bool onPage = desc.page != kOnWindow;
    int left = TwipsToPixels(desc.left + (onPage ? tabCorner_.x : 0), dpi_) - (onPage ? pageArea_.left : 0);
    int top = TwipsToPixels(desc.top + (onPage ? tabCorner_.y : 0), dpi_) - (onPage ? pageArea_.top : 0);
    int width = TwipsToPixels(desc.width, dpi_), height = TwipsToPixels(desc.height, dpi_);
    if (desc.kind == ControlKind::DriveList) height += TwipsToPixels(2400, dpi_);  // the opened list
    return RECT{left, top, left + width, top + height};
}

// The controls are made in the table's order, which is their focus order: the standard
// dialog keyboard handling, and a screen reader, walk a window's controls in the order they
// lie on it. A tab's page lies where its first control is in the table.
void Form::CreateControl(size_t i)
{
    const ControlDesc& desc = desc_.controls[i];
    HWND parent = desc.page != kOnWindow ? PageWindow(i) : window_;
    KindStyle kind = StyleOf(desc.kind);
    RECT place = PlaceOf(i);
    HWND control = CreateWindowExW(kind.exStyle, kind.windowClass, desc.caption, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | kind.style,
                                   place.left, place.top, place.right - place.left, place.bottom - place.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(desc.id)), instance_, nullptr);
    if (control == nullptr) RaiseLastError(desc_.className);
    controls_[i] = control;
    // The control answers through ControlProc first.
    if (!SetWindowSubclass(control, ControlProc, 0, reinterpret_cast<DWORD_PTR>(this))) RaiseLastError(desc_.className);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    if (desc.kind == ControlKind::TextBox || desc.kind == ControlKind::MultiLineTextBox)
        SendMessageW(control, EM_SETLIMITTEXT, 0, 0);  // no length limit of its own
    if (desc.kind != ControlKind::TabControl) {
        FitCaption(i);
        return;
    }
    tabControl_ = control;
    tabCorner_ = {desc.left, desc.top};
    for (size_t page = 0; page < desc_.pages.size(); ++page) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(desc_.pages[page]);
        SendMessageW(control, TCM_INSERTITEMW, page, reinterpret_cast<LPARAM>(&item));
    }
    SelectTab(desc_.firstPage);
    FitCaption(i);
    FindPageArea();
}

// The tab page that holds entry i's control, made when it is not yet: shown when it is the
// current page, and placed in the window's order where its first control is in the table.
HWND Form::PageWindow(size_t i)
{
    auto index = static_cast<size_t>(desc_.controls[i].page);
    HWND& page = pages_[index];
    if (page != nullptr) return page;
    int current = tabControl_ != nullptr ? static_cast<int>(SendMessageW(tabControl_, TCM_GETCURSEL, 0, 0)) : desc_.firstPage;
    // An empty dialog template: the page's controls are made from the table like the others.
    struct alignas(DWORD) {
        DLGTEMPLATE header;
        WORD menu, windowClass, title;
    } empty{{WS_CHILD | DS_CONTROL | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0, 0, 0}, 0, 0, 0};
    page = CreateDialogIndirectParamW(instance_, &empty.header, window_, PageProc, 0);
    if (page == nullptr) RaiseLastError(desc_.className);
    SetWindowTextW(page, desc_.pages[index]);
    EnableThemeDialogTexture(page, ETDT_ENABLETAB);
    SetWindowPos(page, nullptr, pageArea_.left, pageArea_.top, pageArea_.right - pageArea_.left, pageArea_.bottom - pageArea_.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | (static_cast<int>(index) == current ? SWP_SHOWWINDOW : 0));
    // A window is made beneath the others on its parent: while the window is loaded, in the
    // table's order; a page made later goes up to follow what comes before it in the table
    // (the tab control aside, which lies beneath them all).
    if (loading_) return page;
    for (size_t j = i; j-- > 0;) {
        int before = desc_.controls[j].page;
        HWND previous = before == kOnWindow ? controls_[j] : pages_[static_cast<size_t>(before)];
        if (previous == nullptr || previous == page || previous == tabControl_) continue;
        SetWindowPos(page, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        break;
    }
    return page;
}

// Where the pages lie, on the client area: the tab control's area within its tabs and frame.
void Form::FindPageArea()
{
    GetWindowRect(tabControl_, &pageArea_);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&pageArea_), 2);
    SendMessageW(tabControl_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&pageArea_));
}

// A control answers a screen reader with its name from the table; everything else is the
// control's own.
LRESULT CALLBACK Form::ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR form)
{
    return Guarded<LRESULT>(0, [&]() -> LRESULT {
        if (message == WM_GETOBJECT) {
            const auto* self = reinterpret_cast<const Form*>(form);
            if (const ControlDesc* desc = self->DescOf(control)) {
                AccessibleText text{desc->accessibleName, StyleOf(desc->kind).role, nullptr};
                for (const auto& [id, items] : self->described_)
                    if (id == desc->id) text.items = items;
                if (LRESULT answer = AnswerGetObject(control, wParam, lParam, text)) return answer;
            }
        } else if (message == WM_NCDESTROY) {
            RemoveWindowSubclass(control, ControlProc, 0);
        }
        return DefSubclassProc(control, message, wParam, lParam);
    });
}

void Form::DescribeItems(int id, const AccessibleItems* items)
{
    for (auto& [known, described] : described_)
        if (known == id) {
            described = items;
            return;
        }
    described_.emplace_back(id, items);
}

void Form::LayOut(UINT dpi)
{
    std::vector<FontObject> old = SetMetrics(dpi);  // the controls' fonts until they have the new ones
    FitWindow();
    for (size_t i = 0; i < controls_.size(); ++i) {
        if (controls_[i] == nullptr) continue;
        RECT place = PlaceOf(i);
        SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        SetWindowPos(controls_[i], nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        FitCaption(i);
        if (controls_[i] != tabControl_) continue;
        FindPageArea();
        for (HWND page : pages_)
            if (page != nullptr)
                SetWindowPos(page, nullptr, pageArea_.left, pageArea_.top, pageArea_.right - pageArea_.left,
                             pageArea_.bottom - pageArea_.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(window_, nullptr, TRUE);
}

// Makes tab the current one. Some tab controls (Wine's) mark a tab chosen this way as pressed
// and keep the mark after the arrow keys have moved on, so that the next click on a tab only
// clears the marks instead of choosing it; a tab control of tabs, not buttons, has no use for
// the mark, and it is cleared.
void Form::SelectTab(int tab)
{
    SendMessageW(tabControl_, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    TCITEMW item{};
    item.mask = TCIF_STATE;
    item.dwStateMask = TCIS_BUTTONPRESSED;
    for (WPARAM i = 0; i < desc_.pages.size(); ++i) SendMessageW(tabControl_, TCM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
}

void Form::MakePage(int page)
{
    if (window_ == nullptr) return;
    for (size_t i = 0; i < desc_.controls.size(); ++i)
        if (desc_.controls[i].page == page && controls_[i] == nullptr) CreateControl(i);
}

void Form::ShowPage(int page)
{
    MakePage(page);
    HWND focus = GetFocus();
    for (size_t i = 0; i < pages_.size(); ++i) {
        if (pages_[i] == nullptr) continue;
        bool shown = static_cast<int>(i) == page;
        if (!shown && focus != nullptr && IsChild(pages_[i], focus)) SetFocus(tabControl_);
        ShowWindow(pages_[i], shown ? SW_SHOWNA : SW_HIDE);
    }
}

HWND Form::Control(int id) const
{
    for (size_t i = 0; i < controls_.size(); ++i)
        if (desc_.controls[i].id == id) return controls_[i];
    return nullptr;
}

HWND Form::Control(const wchar_t* name) const
{
    for (size_t i = 0; i < controls_.size(); ++i)
        if (lstrcmpW(desc_.controls[i].name, name) == 0) return controls_[i];
    return nullptr;
}

const ControlDesc* Form::DescOf(HWND control) const
{
    for (size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i] == control) return &desc_.controls[i];
    return nullptr;
}

LRESULT Form::Default(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CTLCOLORSTATIC: {
        // In high contrast every label keeps the system's colours, which the player chose to read.
        const ControlDesc* desc = DescOf(reinterpret_cast<HWND>(lParam));
        if (desc == nullptr || desc->textColor == CLR_INVALID || HighContrast()) break;
        auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, desc->textColor);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_COMMAND: {
        // Enter, which the dialog handling sends as IDOK, presses the focused button.
        const ControlDesc* focused = LOWORD(wParam) == IDOK ? DescOf(GetFocus()) : nullptr;
        if (focused != nullptr && focused->kind == ControlKind::Button) SendMessageW(GetFocus(), BM_CLICK, 0, 0);
        return 0;
    }
    case WM_NEXTDLGCTL:
        // Tab in a multi-line text box, which asks its parent to move the focus on.
        if (lParam == 0)
            if (HWND next = GetNextDlgTabItem(window, GetFocus(), wParam != 0)) SetFocus(next);
        return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == tabControl_ && header->code == static_cast<UINT>(TCN_SELCHANGE))
            ShowPage(static_cast<int>(SendMessageW(tabControl_, TCM_GETCURSEL, 0, 0)));
        return 0;
    }
    case WM_NADESHIRO_NEXTPAGE: {
        int count = static_cast<int>(desc_.pages.size());
        if (count == 0) return 0;
        int current = static_cast<int>(SendMessageW(tabControl_, TCM_GETCURSEL, 0, 0));
        int page = (current + (wParam != 0 ? count - 1 : 1)) % count;
        SelectTab(page);
        ShowPage(page);
        return 1;
    }
    case WM_ACTIVATE:
        // A plain window forgets its focused control when it is deactivated; a form gives
        // the focus back to it.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus != nullptr && IsChild(window, focus)) lastFocus_ = focus;
            return 0;
        }
        [[fallthrough]];
    case WM_SETFOCUS:
        if (lastFocus_ == nullptr || !IsWindowVisible(lastFocus_)) break;  // a window without controls takes it
        if (message == WM_SETFOCUS || !HIWORD(wParam)) SetFocus(lastFocus_);
        return 0;
    case WM_DPICHANGED: {
        auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        LayOut(LOWORD(wParam));
        return 0;
    }
    case WM_NCDESTROY:
        if (window != window_) break;
        font_.reset();
        smaller_.clear();
        window_ = tabControl_ = lastFocus_ = nullptr;
        controls_.clear();
        pages_.clear();
        if (--g_openWindows == 0) PostQuitMessage(0);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool PreTranslate(MSG& message)
{
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    if (root == nullptr) return false;
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0)
        return SendMessageW(root, WM_NADESHIRO_NEXTPAGE, GetKeyState(VK_SHIFT) < 0 ? 1 : 0, 0) != 0;
    return IsDialogMessageW(root, &message) != FALSE;
}

}  // namespace nadeshiro::ui
