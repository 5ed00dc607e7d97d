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
inline bool SameRect(const RECT& a, const RECT& b) { return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom; }
inline std::string Describe(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}
inline void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0), Pump(); }
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
