#include "saves/commands.h"

#include "app/handler.h"
#include "app/platform.h"
#include "app/virtual_store.h"
#include "saves/slot_set.h"

namespace nadeshiro {

bool BackUp(MainFields& fields, const std::wstring& openFolder, const std::wstring& name)
{
    Module1::WorkPath = openFolder + L"\\" + name;
    if (platform::Exists(Module1::WorkPath)) {
        platform::ShowMessage(kNameTakenMessage, platform::kStyleOk, kMessageTitle);
        return false;
    }
    platform::CreateFolder(Module1::WorkPath);
    // The game's slots as the game reads them: from its virtual store where they are there.
    CopySlotSet(fields, fields.GameFolder, Module1::WorkPath, platform::GameReadsFirst(fields.GameFolder));
    return true;
}

void Restore(MainFields& fields, const std::wstring& openFolder)
{
    Module1::WorkPath = openFolder;
    // Written where the game reads them. The game folder itself, opened as the back-up, is
    // read as the game reads it, so that its slots in the virtual store are not overwritten
    // by older ones of the folder.
    std::wstring readFirst;
    if (platform::SameFolder(Module1::WorkPath, fields.GameFolder)) readFirst = platform::GameReadsFirst(fields.GameFolder);
    CopySlotSet(fields, Module1::WorkPath, platform::GameWritesInto(fields.GameFolder), readFirst);
}

}  // namespace nadeshiro
