// The tab control of the main window, drawn by the tool: a row of page tabs over a framed
// area, in the classic look of the other controls. It answers the standard tab control
// messages that the form and a screen reader use (TCM_INSERTITEMW, TCM_GETITEMCOUNT,
// TCM_GETITEMW, TCM_GETCURSEL, TCM_SETCURSEL, TCM_GETITEMRECT, TCM_ADJUSTRECT, TCM_HITTEST),
// takes the focus and the arrow keys, and tells its parent of a change of tab with WM_NOTIFY
// (TCN_SELCHANGING, then TCN_SELCHANGE) as the system's tab control does. The system's one
// would load the common controls and their visual styles, which cost more than the rest of
// the window at start-up.
#pragma once

#include <windows.h>

namespace nadeshiro::ui {

constexpr wchar_t kTabStripClass[] = L"NadeshiroTabStrip";

// Registers the window class, once per program.
void RegisterTabStrip(HINSTANCE instance);

}  // namespace nadeshiro::ui
