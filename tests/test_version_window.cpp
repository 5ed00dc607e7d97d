#include "app/version.h"
#include "tests/test_support.h"
#include "tests/window_test_support.h"
#include "ui/version_window.h"

// One at a time; moved and closed with its close box, it loads afresh at its fixed place.
TEST(VersionWindow, IsOneWindowAtItsFixedPlace)
{
    auto show = [] { ui::ShowVersionWindow(); Pump(); return ui::VersionForm().Window(); };
    HWND first = show();
    ShowWindow(first, SW_HIDE);
    EXPECT_EQ(show(), first) << "a second version window";
    EXPECT_TRUE(IsWindowVisible(first)) << "the hidden one not shown";
    SetWindowPos(first, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(first));
    HWND window = show();
    const UINT dpi = ui::WindowDpi(window);
    const int x = ui::TwipsToPixels(5505, dpi), y = ui::TwipsToPixels(2835, dpi);
    EXPECT_EQ(Describe(ClientOnScreen(window)), Describe({x, y, x + ui::TwipsToPixels(5475, dpi), y + ui::TwipsToPixels(1500, dpi)}));
    EXPECT_EQ(ui::WindowText(window), L"バージョン情報");
    EXPECT_EQ(ui::WindowText(ui::VersionForm().Control(L"Label1(0)")), L"" NADESHIRO_PRODUCT_LABEL);
    DestroyWindow(window);
}
