// The main window, form "nadeshiro": the banner picture, the drive and folder lists, the
// tab control with its three tabs (back up, restore, read memo), the game button and the
// menu bar. It holds the game folder and the slot copy's working fields.
#pragma once

#include <windows.h>

#include "app/state.h"
#include "ui/drive_list.h"
#include "ui/folder_list.h"
#include "ui/form.h"

namespace nadeshiro::ui {

inline const wchar_t kDriveNotReadyMessage[] = L"デバイスが準備されてないの";

// Creates the main window, runs its load handler and shows it. nullptr when it could not be
// made or loaded; the failure has been reported.
HWND CreateMainWindow(HINSTANCE instance, int showCommand);

// The drive and folder lists are filled a moment after the window is shown: the drives and
// the game folder are read once the window waits for input, which the message loop tells by
// BeginStartReading (a command begins it too). FillStartLists waits for them and fills the
// lists now.
void BeginStartReading();
void FillStartLists();

// The window's form, fields and lists.
Form& MainForm();
MainFields& MainWindowFields();
FolderList& Dir1();
DriveList& Drive1();

}  // namespace nadeshiro::ui
