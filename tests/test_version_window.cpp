#include "tests/test_support.h"
#include "tests/window_test_support.h"
#include "ui/version_window.h"

// One at a time; moved and closed with its close box, it loads afresh at its fixed place.
TEST(VersionWindow, IsOneWindowAtItsFixedPlace)
{
    auto show = [] { ui::ShowVersionWindow(); Pump(); return ui::VersionForm().Window(); };
    HWND first = show();
    EXPECT_EQ(show(), first) << "a second version window";
    SetWindowPos(first, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(first));
    HWND window = show();
    RECT client;
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const UINT dpi = ui::WindowDpi(window);
    const int x = ui::TwipsToPixels(5505, dpi), y = ui::TwipsToPixels(2835, dpi);
    EXPECT_EQ(client, (RECT{x, y, x + ui::TwipsToPixels(5475, dpi), y + ui::TwipsToPixels(1500, dpi)}));
    EXPECT_EQ(ui::WindowText(window), L"バージョン情報");
    DestroyWindow(window);
}
