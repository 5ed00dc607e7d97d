// The program's entry: the main window is created and loaded (which records the game
// folder), then the tool reacts to its windows until the last one closes. Its manifest makes
// it aware of each monitor's DPI.
#include <windows.h>

#include "ui/main_window.h"
#include "ui/form.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    // No "insert a disk" box from the system: a drive that is not ready is the tool's to report.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    if (nadeshiro::ui::CreateMainWindow(instance, showCommand) == nullptr) return 1;

    MSG message;
    for (;;) {
        // The window is shown and waits for input: what start-up leaves until then begins.
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) nadeshiro::ui::BeginStartReading();
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) break;
        if (nadeshiro::ui::PreTranslate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
