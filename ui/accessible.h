// What a screen reader hears of a control. A control answers WM_GETOBJECT for its client
// area with the system's own accessible object, wrapped so that only the name (and, for a
// list's items, their names and descriptions) is the tool's; role, state, value, children
// and default action stay the system's. Where the system knows a control only as a plain
// client area (as some versions of Wine do for buttons, lists, combo boxes and tab
// controls), the wrapper fills in the control's standard role and a list's or tab
// control's items from the control itself, so that a screen reader hears the same there.
#pragma once

#include <windows.h>

#include <string>

namespace nadeshiro::ui {

// What a list tells a screen reader of its items, by index from 0.
class AccessibleItems {
public:
    virtual std::wstring ItemName(int index) const = 0;
    virtual std::wstring ItemDescription(int index) const = 0;

protected:
    ~AccessibleItems() = default;
};

struct AccessibleText {
    const wchar_t* name;           // nullptr: the system's own name (the caption)
    long role;                     // the control's standard role (ROLE_SYSTEM_...)
    const AccessibleItems* items;  // nullptr: the system's own item names
};

// The answer to WM_GETOBJECT for control: for its client area, the wrapped object as
// LresultFromObject gives it; 0 for any other object or when it cannot be made, and the
// caller then lets the control answer for itself. Throws nothing.
LRESULT AnswerGetObject(HWND control, WPARAM wParam, LPARAM lParam, const AccessibleText& text) noexcept;

}  // namespace nadeshiro::ui
