// The memo window: a note typed right after a back-up and kept with it as "omoide.txt".
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/window_layout.h"

namespace nadeshiro::ui {

extern const WindowSpec kMemoWindow;
const std::vector<ControlSpec>& MemoWindowControls();

// Shows the memo window for the back-up just made in backupFolder: loads it (empty) when it
// is not open, or brings the open one to the front with its text kept. Either way the
// window now saves into backupFolder. Modeless and without owner. A window that cannot be
// made raises.
void ShowMemoWindow(HINSTANCE instance, const std::wstring& backupFolder);

// Lays the loaded window out at dpi: its controls from their twips, the interface font and
// the client area's size. The window does this itself when it moves to another DPI.
void LayOutMemoWindow(UINT dpi);

// The memo window while it is loaded, else nullptr.
HWND MemoWindow();
// One of its controls by name ("Text1", "Command1", "Label1(0)", ...), for tests.
HWND MemoControl(const wchar_t* name);
// The folder its save writes into, and the memo file path of its last save.
const std::wstring& MemoWindowFolder();
const std::wstring& MemoPath();

}  // namespace nadeshiro::ui
