// The version window as a real window: one at a time, at its fixed place, its labels laid out
// from twips at two DPIs with their font and colours. The built program's version record is
// checked on the packaged program (tests/check_packaged.cpp).

#include "tests/test_support.h"
#include "tests/window_test_support.h"
#include "ui/version_window.h"

using namespace nadeshiro::ui;

namespace {

int Px(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

TEST(VersionWindow, IsOneWindowAtItsFixedPlaceWithItsLabelsLaidOutFromTwipsAtEachDpi)
{
    auto show = [] { ShowVersionWindow(); Pump(); return VersionForm().Window(); };
    HWND first = show();
    ShowWindow(first, SW_HIDE);
    EXPECT_EQ(show(), first) << "a second version window";
    EXPECT_TRUE(IsWindowVisible(first)) << "the hidden one not shown again";
    // Moved, then closed with its close box: the next show loads it afresh at its fixed place.
    SetWindowPos(first, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(first));
    HWND window = show();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), L"バージョン情報");

    // Each label's text, colour and place in twips; all are 255 twips high.
    const struct { const wchar_t *name, *text; COLORREF colour; int left, top, width; } labels[] = {
        {L"Label1(0)", L"なでしろ ver1.00", RGB(0, 0, 255), 120, 240, 3855},
        {L"Label1(1)", L"企画・プログラム　なずな", RGB(0, 0, 255), 2040, 840, 3375},
        {L"Label1(2)", L"Copyright (C) 2026 なでしろ製作委員会", RGB(0, 0, 0), 480, 1200, 4935}};
    // At the window's own DPI, then told the DPI changed to 144 and moved where the system suggests.
    const UINT dpis[] = {WindowDpi(window), 144};
    RECT to{100, 100, 700, 350};
    HDC dc = CreateCompatibleDC(nullptr);
    for (const UINT dpi : dpis) {
        if (dpi != dpis[0]) SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&to));
        RECT client{};
        GetClientRect(window, &client);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
        const POINT at = dpi == dpis[0] ? POINT{Px(5505, dpi), Px(2835, dpi)} : POINT{client.left, client.top};
        EXPECT_TRUE(SameRect(client, RECT{at.x, at.y, at.x + Px(5475, dpi), at.y + Px(1500, dpi)}))
            << "client area " << Describe(client) << " at dpi " << dpi;
        for (const auto& l : labels) {
            SCOPED_TRACE(Utf8(l.name) + " at dpi " + std::to_string(dpi));
            HWND control = VersionForm().Control(l.name);
            EXPECT_EQ(WindowText(control), l.text);
            const RECT want{Px(l.left, dpi), Px(l.top, dpi), Px(l.left + l.width, dpi), Px(l.top + 255, dpi)};
            EXPECT_TRUE(SameRect(RectInWindow(control), want)) << Describe(RectInWindow(control));
            LOGFONTW font{};
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
            EXPECT_EQ(std::tuple(font.lfHeight, font.lfWeight, font.lfCharSet),
                      std::tuple(-MulDiv(12, static_cast<int>(dpi), 72), 400L, BYTE{SHIFTJIS_CHARSET})) << "12 points";
            SetTextColor(dc, RGB(1, 2, 3));
            SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
            EXPECT_EQ(GetTextColor(dc), l.colour);
        }
    }
    DeleteDC(dc);
    DestroyWindow(window);
}

}  // namespace
