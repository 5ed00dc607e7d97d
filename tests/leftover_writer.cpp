// "nadeshiro.exe" (or a copy of it under another name) caught at work, until it is killed:
//   writer FOLDER BACKUP  restoring BACKUP into FOLDER (its game folder), held up at the first
//                         slot's replace with the temporary file it wrote closed.

#include "app/system_calls.h"
#include "saves/commands.h"

using namespace nadeshiro;

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) return 2;
    platform::sys::ArmFault({1, 0, false, 1, true, true});
    MainFields fields;
    fields.GameFolder = argv[1];
    Restore(fields, argv[2]);
    return 1;
}
