// A copy of the tool caught writing a memo: built as "nadeshiro.exe" in a folder of its own,
// it opens the memo of the folder named on its command line for output through the tool's
// platform layer, writes it, and waits, its temporary file beside the memo, until killed.
#include <windows.h>

#include "app/platform.h"

int wmain(int argc, wchar_t** argv)
{
    try {
        nadeshiro::platform::TextFile memo(std::wstring(argc > 1 ? argv[1] : L".") + L"\\omoide.txt", nadeshiro::platform::FileMode::Output);
        memo.WriteItem(L"書きかけの思い出");
        Sleep(INFINITE);
    } catch (...) {
    }
    return 1;
}
