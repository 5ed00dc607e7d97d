// Helpers for tests that drive real windows with window messages.
#pragma once
#include <windows.h>

#include <string>

#include "ui/form.h"

namespace nadeshiro::test {

// Handles every waiting message, as the program's own loop would.
inline void Pump()
{
    for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);)
        if (m.message != WM_QUIT && !ui::PreTranslate(m)) TranslateMessage(&m), DispatchMessageW(&m);
}
// A control's rectangle in its top-level window's client coordinates.
inline RECT RectInWindow(HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetAncestor(control, GA_ROOT), reinterpret_cast<POINT*>(&r), 2);
    return r;
}
inline std::string Describe(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}
inline void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0), Pump(); }
// The control with this identifier anywhere below window, found in the window tree itself.
inline HWND Descendant(HWND window, int id)
{
    for (HWND c = GetWindow(window, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
        if (HWND found = GetDlgCtrlID(c) == id ? c : Descendant(c, id)) return found;
    return nullptr;
}
// Asks window to lay itself out at dpi, as the system does when it moves to such a monitor.
inline void ChangeDpi(HWND window, UINT dpi)
{
    RECT suggested;
    GetWindowRect(window, &suggested);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    Pump();
}
// Makes the current folder another one for as long as the object lives.
struct CurrentFolder {
    explicit CurrentFolder(const std::wstring& folder) : old(MAX_PATH * 2, L'\0')
    {
        old.resize(GetCurrentDirectoryW(MAX_PATH * 2, old.data())), SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentFolder() { SetCurrentDirectoryW(old.c_str()); }
    std::wstring old;
};

}  // namespace nadeshiro::test
