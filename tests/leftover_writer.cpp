// "nadeshiro.exe" (or a copy of it under another name) caught at work in the folder it is given:
//   writer FOLDER                 writing its memo, the temporary file still open;
//   writer FOLDER restore BACKUP  restoring BACKUP into FOLDER (its game folder), held up at the
//                                 first slot's replace with that slot's temporary file closed;
//   writer FOLDER backup GAME     backing up GAME into FOLDER as "held", held up at the second
//                                 slot's replace: save00 copied, the next temporary file closed.
// It then waits until it is killed.

#include "app/platform.h"
#include "app/system_calls.h"
#include "memo/memo_file.h"
#include "saves/commands.h"

using namespace nadeshiro;

int wmain(int argc, wchar_t** argv)
{
    std::wstring folder = argc > 1 ? argv[1] : L".", mode = argc > 3 ? argv[2] : L"";
    MainFields fields;
    if (mode == L"restore") {
        platform::sys::ArmFault({1, 0, false, 1, true, true});
        fields.GameFolder = folder;
        Restore(fields, argv[3]);
    } else if (mode == L"backup") {
        platform::sys::ArmFault({2, 0, false, 1, true, true});
        fields.GameFolder = argv[3];
        BackUp(fields, folder, L"held");
    } else {
        platform::TextFile memo(folder + kMemoFileName, platform::FileMode::Output);
        memo.WriteItem(L"書きかけの思い出");
        return Sleep(INFINITE), 1;
    }
    return 1;
}
