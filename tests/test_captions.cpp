// The three windows at 96 and at 144 DPI: every control inside its window, a page's inside its
// page and the page inside the tab's display area, none overlapping another beside it (but for
// the seams of a pixel or two the twips give stacked labels), every size at 144 DPI one and a
// half times its size at 96 (the drive list's height is its font's); and every caption (labels,
// buttons, tabs) fitting its control as the control draws it. In the font the window chooses on
// this system, and in the widest Japanese face this machine has, standing in for the faces
// Windows gives where the narrow interface face is missing.
#include "tests/test_support.h"

#include <commctrl.h>

#include <map>

#include "app/resource.h"
#include "tests/window_test_support.h"
#include "ui/main_window.h"
#include "ui/memo_window.h"
#include "ui/version_window.h"

using namespace nadeshiro::ui;

namespace {

// A wide face: its kana are as wide as its kanji.
constexpr wchar_t kWideFace[] = L"Noto Sans CJK JP";

MATCHER_P(Inside, outer, "inside " + ::testing::PrintToString(outer))
{
    return arg.left >= outer.left && arg.top >= outer.top && arg.right <= outer.right && arg.bottom <= outer.bottom;
}

// A control's rectangle in its top-level window's client coordinates.
RECT RectInWindow(HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetAncestor(control, GA_ROOT), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The face the system really draws the control's font in (a missing face gives another), and
// how wide text is drawn in it.
std::pair<std::wstring, LONG> Drawn(HWND control, const std::wstring& text = L"")
{
    HDC dc = GetDC(control);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ReleaseDC(control, dc);
    return {face, size.cx};
}

using Windows = ::testing::TestWithParam<const wchar_t*>;

TEST_P(Windows, ControlsStandApartInsideTheirPagesScaleWithTheDpiAndFitTheirCaptions)
{
    Recorder recorder;
    OverrideJapaneseFace(GetParam());
    ASSERT_NE(CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE), nullptr);
    for (int page : {0, 1, 2}) MainForm().MakePage(page);
    ShowMemoWindow(OwnFolder());
    ShowVersionWindow();
    Pump();
    // scripts/setup.sh installs the wide face (fonts-noto-cjk); every window's font is made alike.
    if (GetParam() != nullptr) {
        EXPECT_EQ(Drawn(MainForm().Control(L"Command4")).first, GetParam());
    }
    struct Size { std::string what; LONG width, height; };
    std::map<UINT, std::vector<Size>> sizes;  // each window's client area, then its controls
    for (UINT dpi : {96u, 144u})
        for (const Form* form : {&MainForm(), &MemoForm(), &VersionForm()}) {
            SCOPED_TRACE(Utf8(WindowText(form->Window())) + " at " + std::to_string(dpi) + " DPI");
            RECT client, display{}, overlap, own, tab{};
            // Laid out at dpi as when the system moves the window to a monitor of that DPI.
            GetWindowRect(form->Window(), &client);
            SendMessageW(form->Window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&client));
            Pump();
            GetClientRect(form->Window(), &client);
            sizes[dpi].push_back({Utf8(WindowText(form->Window())), client.right, client.bottom});
            if (HWND tabs = form->Control(IDC_SSTAB1)) {
                display = RectInWindow(tabs);
                TabCtrl_AdjustRect(tabs, FALSE, &display);
            }
            for (const ControlDesc& c : form->Description().controls) {
                HWND control = form->Control(c.id);
                const RECT r = RectInWindow(control), holder = c.page < 0 ? client : RectInWindow(GetParent(control));
                sizes[dpi].push_back({Utf8(c.name), r.right - r.left, r.bottom - r.top});
                EXPECT_THAT(r, Inside(holder)) << Utf8(c.name);
                if (c.page >= 0) {
                    EXPECT_THAT(holder, Inside(display)) << "page " << c.page;
                }
                for (const ControlDesc& other : form->Description().controls)
                    if (&other < &c && other.page == c.page &&
                        IntersectRect(&overlap, &r, std::data({RectInWindow(form->Control(other.id))})) &&
                        std::min(overlap.right - overlap.left, overlap.bottom - overlap.top) > 2)
                        ADD_FAILURE() << Utf8(c.name) << " overlaps " << Utf8(other.name) << " at " << ::testing::PrintToString(overlap);
                // A label's caption within its width, a push button's inside its edges and focus
                // rectangle, a tab's inside the tab control.
                GetClientRect(control, &own);
                const LONG room = own.right - (c.kind == ControlKind::Button ? 2 * GetSystemMetrics(SM_CXEDGE) + 4 : 0);
                const bool captioned = c.kind == ControlKind::Label || c.kind == ControlKind::Button;
                EXPECT_LE(Drawn(control, captioned ? WindowText(control) : L"").second, room) << Utf8(c.name);
                for (int i = 0; c.kind == ControlKind::TabControl && TabCtrl_GetItemRect(control, i, &tab); ++i)
                    EXPECT_LE(Drawn(control, TabCaption(control, i)).second, tab.right > own.right ? -1 : tab.right - tab.left) << "tab " << i;
            }
        }
    EXPECT_EQ(sizes[96][0].width, 553);  // the main window's
    EXPECT_EQ(sizes[96][0].height, 279);
    for (size_t i = 0; i < sizes[96].size(); ++i) {
        SCOPED_TRACE(sizes[96][i].what);
        EXPECT_NEAR(sizes[144][i].width, 1.5 * sizes[96][i].width, 2);
        if (sizes[96][i].what != "Drive1") {  // the drive list's height is its font's
            EXPECT_NEAR(sizes[144][i].height, 1.5 * sizes[96][i].height, 2);
        }
    }
    for (HWND window : {MainForm().Window(), MemoForm().Window(), VersionForm().Window()}) DestroyWindow(window);
    OverrideJapaneseFace(nullptr);
}

INSTANTIATE_TEST_SUITE_P(InTheWindowsOwnFont, Windows, ::testing::Values(nullptr));
INSTANTIATE_TEST_SUITE_P(InAWideJapaneseFace, Windows, ::testing::Values(kWideFace));

}  // namespace
