// Every caption (labels, buttons, tabs of the three windows) fits its control in the font the
// window really uses, at 96 and at 144 DPI, measured as the controls draw them.
#include "tests/test_support.h"

#include <commctrl.h>

#include "tests/window_test_support.h"
#include "ui/main_window.h"
#include "ui/tab_strip.h"
#include "ui/memo_window.h"
#include "ui/version_window.h"

using namespace nadeshiro::ui;

// Captions of control and its children that do not fit (a push button draws its caption inside
// its edges and focus rectangle; a tab must end inside its control).
static std::string Overflowing(HWND control, std::string found = "")
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
    for (int i = 0; lstrcmpiW(kind, nadeshiro::ui::kTabStripClass) == 0 && i < TabCtrl_GetItemCount(control) && TabCtrl_GetItemRect(control, i, &r); ++i)
        check(TabCaption(control, i), r.right > client.right ? -1 : r.right - r.left);
    for (HWND child = GetWindow(control, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) found = Overflowing(child, found);
    return found;
}

TEST(Captions, FitTheirControlsInTheWindowsOwnFontAt96And144Dpi)
{
    Recorder recorder;
    TestFolder game;
    CurrentFolder inGame(game.Path());
    ASSERT_TRUE(CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE));
    ShowMemoWindow(game.Path());
    ShowVersionWindow();
    for (UINT dpi : {96u, 144u})
        for (HWND window : {MainForm().Window(), MemoForm().Window(), VersionForm().Window()}) {
            RECT suggested;
            GetWindowRect(window, &suggested);
            SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
            Pump();
            EXPECT_EQ(Overflowing(window), "") << Utf8(WindowText(window)) << " at " << dpi << " DPI";
        }
    for (HWND window : {MainForm().Window(), MemoForm().Window(), VersionForm().Window()}) DestroyWindow(window);
}
