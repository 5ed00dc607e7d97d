// "nadeshiro.exe" (or a copy of it under another name) caught at work in the folder it is given,
// held up at a replace with the temporary file it wrote closed, until it is killed:
//   writer FOLDER restore BACKUP  restoring BACKUP into FOLDER (its game folder), at the first
//                                 slot's replace;
//   writer FOLDER backup GAME     backing up GAME into FOLDER as "held", at the second slot's
//                                 replace: save00 copied.

#include "app/system_calls.h"
#include "saves/commands.h"

using namespace nadeshiro;

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4) return 2;
    const bool restore = std::wstring(argv[2]) == L"restore";
    platform::sys::ArmFault({restore ? 1 : 2, 0, false, 1, true, true});
    MainFields fields;
    fields.GameFolder = restore ? argv[1] : argv[3];
    if (restore) {
        Restore(fields, argv[3]);
    } else {
        BackUp(fields, argv[1], L"held");
    }
    return 1;
}
