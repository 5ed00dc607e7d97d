// The program's entry: record the game folder, show the main window, run the event loop.
#include <windows.h>

#include "app/platform.h"
#include "app/state.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    return 0;
}
