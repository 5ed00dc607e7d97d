// Helpers for tests that drive real windows with window messages.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

#include "ui/form.h"

namespace nadeshiro::test {

// Handles every waiting message, as the program's own loop would.
inline void Pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        if (ui::PreTranslate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// A control's rectangle in its top-level window's client coordinates.
inline RECT RectInWindow(HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetAncestor(control, GA_ROOT), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

inline bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::string Describe(const RECT& r)
{
    char text[96];
    std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", static_cast<long>(r.left), static_cast<long>(r.top),
                  static_cast<long>(r.right), static_cast<long>(r.bottom));
    return text;
}

// Sends a click to a button as a user's click would arrive.
inline void Click(HWND button)
{
    SendMessageW(button, BM_CLICK, 0, 0);
    Pump();
}

// Makes the current folder another one for as long as the object lives.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::wstring& folder)
    {
        wchar_t old[MAX_PATH * 2];
        GetCurrentDirectoryW(MAX_PATH * 2, old);
        old_ = old;
        SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentFolder() { SetCurrentDirectoryW(old_.c_str()); }

private:
    std::wstring old_;
};

}  // namespace nadeshiro::test
