// Helpers for tests that drive real windows with window messages.
#pragma once
#include <windows.h>

#include <ostream>

#include "ui/form.h"

// Rectangles compared as values, and printed when a check on one fails.
inline bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
inline void PrintTo(const RECT& r, std::ostream* out) { *out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")"; }

namespace nadeshiro::test {

// Handles every waiting message, as the program's own loop would.
inline void Pump()
{
    for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);)
        if (m.message != WM_QUIT && !ui::PreTranslate(m)) TranslateMessage(&m), DispatchMessageW(&m);
}
inline void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0), Pump(); }
// The control with this identifier anywhere below window, found in the window tree itself.
inline HWND Descendant(HWND window, int id)
{
    for (HWND c = GetWindow(window, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
        if (HWND found = GetDlgCtrlID(c) == id ? c : Descendant(c, id)) return found;
    return nullptr;
}

}  // namespace nadeshiro::test
