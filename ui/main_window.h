// The main window, form "nadeshiro": the banner picture, the drive and folder lists, the
// tab control with its three tabs (back up, restore, read memo), the game button and the
// menu bar. It holds the game folder and the slot copy's working fields.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/state.h"
#include "ui/drive_list.h"
#include "ui/folder_list.h"
#include "ui/window_layout.h"

namespace nadeshiro::ui {

extern const WindowSpec kMainWindow;
// The controls; those with tab >= 0 are placed relative to the tab control's corner.
const std::vector<ControlSpec>& MainWindowControls();
// Image1, the banner picture, in twips.
struct TwipsRect {
    int left, top, width, height;
};
constexpr TwipsRect kImage1{120, 120, 6000, 900};
extern const wchar_t* const kTabCaptions[3];
constexpr int kFirstTab = 1;  // the restore tab is current at start-up

inline const wchar_t kDriveNotReadyMessage[] = L"デバイスが準備されてないの";

// Creates the main window, runs its load handler and shows it.
HWND CreateMainWindow(HINSTANCE instance, int showCommand);

// For tests and the event wiring.
HWND MainWindow();
HWND MainControl(const wchar_t* name);
MainFields& MainWindowFields();
FolderList& Dir1();
DriveList& Drive1();
UINT MainWindowDpi();
int CurrentTab();
// The controls in focus order (tab control, drive list, folder list, the tabs' controls,
// Command4); hidden ones included.
const std::vector<HWND>& MainFocusOrder();

}  // namespace nadeshiro::ui
