// "nadeshiro.exe" caught writing the memo of the folder it is given: its temporary file stays.

#include "app/platform.h"

int wmain(int argc, wchar_t** argv)
{
    nadeshiro::platform::TextFile memo(std::wstring(argc > 1 ? argv[1] : L".") + L"\\omoide.txt", nadeshiro::platform::FileMode::Output);
    memo.WriteItem(L"書きかけの思い出");
    return Sleep(INFINITE), 1;
}
