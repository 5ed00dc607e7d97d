// The memo window, form omoide: a note typed right after a back-up and kept with it as
// "omoide.txt".
#pragma once

#include <string>

#include "ui/form.h"

namespace nadeshiro::ui {

// Shows the memo window for the back-up just made in backupFolder: loads it (empty) when it
// is not open, or brings the open one to the front with its text kept. Either way the
// window now saves into backupFolder. Modeless and without owner. A window that cannot be
// made raises.
void ShowMemoWindow(const std::wstring& backupFolder);

// The window's form, and the folder its save writes into.
Form& MemoForm();
const std::wstring& MemoWindowFolder();

}  // namespace nadeshiro::ui
