// Every caption (labels, buttons, tabs of the three windows) fits its control as the control
// draws it, at 96 and at 144 DPI: in the font the window chooses on this system, and in the
// widest Japanese face this machine has, standing in for the faces Windows gives where the
// narrow interface face is missing.
#include "tests/test_support.h"

#include <commctrl.h>

#include "tests/window_test_support.h"
#include "ui/main_window.h"
#include "ui/memo_window.h"
#include "ui/version_window.h"

using namespace nadeshiro::ui;

namespace {

// A wide face: its kana are as wide as its kanji.
constexpr wchar_t kWideFace[] = L"Noto Sans CJK JP";

// The face the system really draws the control's font in (a missing face gives another).
std::wstring FaceOf(HWND control)
{
    HDC dc = GetDC(control);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    ReleaseDC(control, dc);
    return face;
}

// Captions of control and its children that do not fit: a label's within its width, a push
// button's inside its edges and focus rectangle, a tab's inside the tab control.
std::string Overflowing(HWND control, std::string found = "")
{
    wchar_t kind[64] = {};
    GetClassNameW(control, kind, 64);
    RECT client{}, r{};
    GetClientRect(control, &client);
    auto check = [&](const std::wstring& text, LONG room) {
        HDC dc = GetDC(control);
        SIZE size{};
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        ReleaseDC(control, dc);
        if (size.cx > room) found += Utf8(text) + ": " + std::to_string(size.cx) + " > " + std::to_string(room) + "\n";
    };
    if (lstrcmpiW(kind, L"Static") == 0) check(WindowText(control), client.right);
    if (lstrcmpiW(kind, L"Button") == 0) check(WindowText(control), client.right - 2 * GetSystemMetrics(SM_CXEDGE) - 4);
    for (int i = 0; lstrcmpiW(kind, WC_TABCONTROLW) == 0 && i < TabCtrl_GetItemCount(control) && TabCtrl_GetItemRect(control, i, &r); ++i)
        check(TabCaption(control, i), r.right > client.right ? -1 : r.right - r.left);
    for (HWND child = GetWindow(control, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) found = Overflowing(child, found);
    return found;
}

class Captions : public ::testing::TestWithParam<const wchar_t*> {
protected:
    void SetUp() override
    {
        if (GetParam() != nullptr) OverrideJapaneseFace(GetParam());
        ASSERT_NE(CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE), nullptr);
        for (int page : {0, 1, 2}) MainForm().MakePage(page);
        ShowMemoWindow(game.Path());
        ShowVersionWindow();
        Pump();
    }
    void TearDown() override
    {
        for (HWND window : {MainForm().Window(), MemoForm().Window(), VersionForm().Window()}) DestroyWindow(window);
        OverrideJapaneseFace(nullptr);
    }
    Recorder recorder;
    TestFolder game;
    CurrentFolder inGame{game.Path()};
};

TEST_P(Captions, FitTheirControlsAt96And144Dpi)
{
    if (GetParam() != nullptr) {  // scripts/setup.sh installs it (fonts-noto-cjk)
        EXPECT_EQ(FaceOf(MainForm().Control(L"Command4")), GetParam());
        EXPECT_EQ(FaceOf(VersionForm().Control(L"Label1(0)")), GetParam());
    }
    for (UINT dpi : {96u, 144u})
        for (HWND window : {MainForm().Window(), MemoForm().Window(), VersionForm().Window()}) {
            ChangeDpi(window, dpi);
            EXPECT_EQ(Overflowing(window), "") << Utf8(WindowText(window)) << " at " << dpi << " DPI";
        }
}

INSTANTIATE_TEST_SUITE_P(InTheWindowsOwnFont, Captions, ::testing::Values(nullptr));
INSTANTIATE_TEST_SUITE_P(InAWideJapaneseFace, Captions, ::testing::Values(kWideFace));

}  // namespace
