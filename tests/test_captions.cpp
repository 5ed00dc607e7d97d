// Every caption fits its control in the font the window really uses, at 96 and at 144 DPI:
// labels, buttons and tabs of the three windows, measured as the controls draw them.

#include "tests/test_support.h"

#include <commctrl.h>

#include "tests/window_test_support.h"
#include "ui/main_window.h"
#include "ui/memo_window.h"
#include "ui/version_window.h"

using namespace nadeshiro::ui;

namespace {

BOOL CALLBACK CollectChild(HWND child, LPARAM children)
{
    reinterpret_cast<std::vector<HWND>*>(children)->push_back(child);
    return TRUE;
}

// The captions of window's labels, buttons and tabs that do not fit, with their widths.
std::vector<std::string> Overflowing(HWND window)
{
    std::vector<HWND> children;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    std::vector<std::string> found;
    for (HWND control : children) {
        wchar_t kind[64] = {};
        GetClassNameW(control, kind, 64);
        RECT client{};
        GetClientRect(control, &client);
        auto check = [&](const std::wstring& text, LONG room) {
            HDC dc = GetDC(control);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
            SIZE size{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
            SelectObject(dc, old);
            ReleaseDC(control, dc);
            if (size.cx > room) found.push_back(Utf8(text) + ": " + std::to_string(size.cx) + " > " + std::to_string(room));
        };
        if (lstrcmpiW(kind, L"Static") == 0) check(WindowText(control), client.right);
        // A push button draws its caption inside its edges and the focus rectangle.
        if (lstrcmpiW(kind, L"Button") == 0) check(WindowText(control), client.right - 2 * GetSystemMetrics(SM_CXEDGE) - 4);
        if (lstrcmpiW(kind, WC_TABCONTROLW) != 0) continue;
        for (int i = 0; i < static_cast<int>(SendMessageW(control, TCM_GETITEMCOUNT, 0, 0)); ++i) {
            std::wstring text = TabCaption(control, i);
            RECT r{};
            SendMessageW(control, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
            check(text, r.right - r.left);
            if (r.right > client.right) found.push_back(Utf8(text) + ": the tab ends outside the control");
        }
    }
    return found;
}

TEST(Captions, FitTheirControlsInTheWindowsOwnFontAt96And144Dpi)
{
    Recorder recorder;
    TestFolder game;
    CurrentFolder inGame(game.Path());
    HWND main = CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE);
    ASSERT_NE(main, nullptr);
    ShowMemoWindow(game.Path());
    ShowVersionWindow();
    Pump();
    const HWND windows[] = {main, MemoForm().Window(), VersionForm().Window()};
    for (UINT dpi : {96u, 144u}) {
        for (HWND window : windows) {
            RECT suggested;
            GetWindowRect(window, &suggested);
            SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
            Pump();
            EXPECT_EQ(Overflowing(window), std::vector<std::string>()) << Utf8(WindowText(window)) << " at " << dpi << " DPI";
        }
    }
    // The main window's captions are in the classic Japanese proportional interface font or
    // one of its metrics, 9 points at the window's DPI.
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(MainForm().Control(L"Command4"), WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(std::tuple(font.lfHeight, font.lfCharSet), std::tuple(-MulDiv(9, 144, 72), BYTE{SHIFTJIS_CHARSET}));
    std::wstring face = font.lfFaceName;
    EXPECT_TRUE(face == L"ＭＳ Ｐゴシック" || face == L"MS PGothic" || face == L"IPAPGothic" || face == L"IPA Pゴシック") << Utf8(face);
    for (HWND window : windows) DestroyWindow(window);
    Pump();
}

}  // namespace
