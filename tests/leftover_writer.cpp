// A copy of the tool caught in the middle of writing a memo: it opens the memo of the folder
// named on its command line for output through the tool's own platform layer, writes it,
// and then waits, its temporary file beside the memo, until it is killed. Built as
// "nadeshiro.exe" in a folder of its own, so that it is a running copy of the tool.
#include <windows.h>

#include <string>

#include "app/platform.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) return 2;
    try {
        nadeshiro::platform::TextFile memo(std::wstring(argv[1]) + L"\\omoide.txt", nadeshiro::platform::FileMode::Output);
        memo.WriteItem(L"書きかけの思い出");
        Sleep(INFINITE);
    } catch (...) {
        return 1;
    }
    return 0;
}
