// The program's entry: the main window is created and loaded (which records the game
// folder), then the tool reacts to its windows until the last one closes.
#include <windows.h>
#include <objbase.h>

#include "ui/main_window.h"
#include "ui/form.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    // No "insert a disk" box from the system: a drive that is not ready is the tool's to report.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    nadeshiro::ui::EnablePerMonitorDpi();
    // The windows answer screen readers with objects of their own, which COM carries to the
    // reader's process; without it they answer with the system's objects alone.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (nadeshiro::ui::CreateMainWindow(instance, showCommand) == nullptr) {
        if (SUCCEEDED(com)) CoUninitialize();
        return 1;
    }

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (nadeshiro::ui::PreTranslate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return static_cast<int>(message.wParam);
}
