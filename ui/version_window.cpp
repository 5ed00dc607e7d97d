// The version window, form help_ver: three labels on a fixed client area at a fixed place
// on the screen. It has no handler of its own; the close box is its only way out.
#include "ui/version_window.h"

#include "app/handler.h"
#include "app/resource.h"
#include "app/version.h"

namespace nadeshiro::ui {

namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// Label1(0) to Label1(2), in focus order; none takes the focus.
const ControlDesc kControls[] = {
    {L"Label1(0)", IDC_HELP_VER_LABEL1_0, ControlKind::Label, L"" NADESHIRO_PRODUCT_LABEL, nullptr, 120, 240, 3855, 255, kOnWindow, kBlue},
    {L"Label1(1)", IDC_HELP_VER_LABEL1_1, ControlKind::Label, L"企画・プログラム　なずな", nullptr, 2040, 840, 3375, 255, kOnWindow,
     kBlue},
    {L"Label1(2)", IDC_HELP_VER_LABEL1_2, ControlKind::Label, L"Copyright (C) 2026 なでしろ製作委員会", nullptr, 480, 1200, 4935,
     255, kOnWindow, kBlack},
};

// A fixed border with a caption and a close box, nothing to size it.
const FormDesc kForm{.className = L"nadeshiro.help_ver",
                     .caption = L"バージョン情報",
                     .clientWidth = 5475,
                     .clientHeight = 1500,
                     .style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                     .controls = kControls,
                     .fontFace = L"ＭＳ Ｐゴシック",
                     .fontPoints = 12,
                     .fixedPlace = true,
                     .placeLeft = 5505,
                     .placeTop = 2835};

Form g_form(kForm);

LRESULT CALLBACK VersionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Guarded<LRESULT>(0, [&] { return g_form.Default(window, message, wParam, lParam); });
}

}  // namespace

void ShowVersionWindow()
{
    g_form.Load(nullptr, VersionWindowProc);
    g_form.Show();
}

Form& VersionForm() { return g_form; }

}  // namespace nadeshiro::ui
