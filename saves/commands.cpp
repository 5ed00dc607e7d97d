#include "saves/commands.h"

#include "app/handler.h"
#include "app/platform.h"
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
    CopySlotSet(fields, fields.GameFolder, Module1::WorkPath);
    return true;
}

void Restore(MainFields& fields, const std::wstring& openFolder)
{
    Module1::WorkPath = openFolder;
    CopySlotSet(fields, Module1::WorkPath, fields.GameFolder);
}

}  // namespace nadeshiro
