// The drive list: every drive, shown as its letter, a colon and, where the volume has one,
// its name in brackets.
#pragma once

#include <windows.h>

#include <string>

namespace nadeshiro::ui {

// "c: [name]" or "c:".
std::wstring DriveText(wchar_t letter);

class DriveList {
public:
    void Attach(HWND combo) { combo_ = combo; }
    HWND Handle() const { return combo_; }
    // Lists the drives and selects the one with this letter.
    void Fill(wchar_t currentLetter);
    // The selected drive as the list shows it ("c: [name]"), empty when none.
    std::wstring Drive() const;
    // True once per change of the selected drive (re-picking the same drive is no change).
    bool TakeChange();

private:
    HWND combo_ = nullptr;
    int seen_ = -1;
};

}  // namespace nadeshiro::ui
