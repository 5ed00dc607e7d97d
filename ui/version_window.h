// The version window: the tool's name and version, a credit line and a rights line.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/window_layout.h"

namespace nadeshiro::ui {

extern const WindowSpec kVersionWindow;
const std::vector<ControlSpec>& VersionWindowControls();
// The client area's fixed place on the screen, in twips from the screen's top-left corner.
constexpr int kVersionWindowLeft = 5505;
constexpr int kVersionWindowTop = 2835;
// The window class, for finding the window from outside.
extern const wchar_t kVersionWindowClass[];
// The labels' font face, 12 points, Japanese character set.
extern const wchar_t kVersionFontFace[];
// Control identifiers of Label1(0) to Label1(2): kVersionLabelId + index.
constexpr int kVersionLabelId = 400;

// ver_Click: loads the version window when it is not loaded and shows it, modeless and
// without owner, at its fixed place; an open one is brought to the front. A window that
// cannot be made raises RuntimeError.
void ShowVersionWindow(HINSTANCE instance);

// The version window while it is loaded, else nullptr.
HWND VersionWindow();
// One of its labels by name ("Label1(0)" to "Label1(2)"), for tests.
HWND VersionControl(const wchar_t* name);
// The DPI its labels are laid out at, 0 while it is not loaded.
UINT VersionWindowDpi();

}  // namespace nadeshiro::ui
