#include "saves/commands.h"

#include "app/handler.h"
#include "app/platform.h"
#include "app/virtual_store.h"
#include "saves/slot_set.h"

namespace nadeshiro {

bool BackUp(MainFields& fields, const std::wstring& openFolder, const std::wstring& name)
{
    platform::RequireFolder(openFolder);
    Module1::WorkPath = openFolder + L"\\" + name;
    // The name the player types is one folder's name, never a path.
    if (!name.empty() && !platform::IsFolderName(openFolder, name)) {
        platform::ShowMessage(kNotAFolderNameMessage, platform::kStyleOk, kMessageTitle);
        return false;
    }
    if (platform::Exists(Module1::WorkPath)) {  // the empty name: the open folder itself
        platform::ShowMessage(kNameTakenMessage, platform::kStyleOk, kMessageTitle);
        return false;
    }
    // A game folder gone since the start would give an empty back-up that looks like any other.
    platform::RequireFolder(fields.GameFolder);
    // The copies go into a temporary folder that is given the name once every slot is there, so
    // that a back-up cut short (a crash, a power cut) never looks like a whole one.
    platform::FolderWriter backup(Module1::WorkPath);
    try {
        // The game's slots as the game reads them: from its virtual store where they are there.
        CopySlotSet(fields, fields.GameFolder, backup.TemporaryPath(), platform::GameReadsFirst(fields.GameFolder));
    } catch (const RuntimeError& error) {
        // The player is told: the slots copied so far are kept under the name, where the report
        // names the one that failed.
        RuntimeError named(error.Number(), backup.Named(error.Path()), error.SystemCode());
        backup.Commit();
        throw named;
    }
    DWORD code = backup.Commit();
    if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) {  // taken while the slots were copied
        platform::ShowMessage(kNameTakenMessage, platform::kStyleOk, kMessageTitle);
        return false;
    }
    if (code != ERROR_SUCCESS) RaiseSystemError(code, Module1::WorkPath);
    return true;
}

void Restore(MainFields& fields, const std::wstring& openFolder)
{
    platform::RequireFolder(openFolder);
    Module1::WorkPath = openFolder;
    // Written where the game reads them. The game folder itself, opened as the back-up, is
    // read as the game reads it, so that its slots in the virtual store are not overwritten
    // by older ones of the folder.
    std::wstring readFirst;
    if (platform::SameFolder(Module1::WorkPath, fields.GameFolder)) readFirst = platform::GameReadsFirst(fields.GameFolder);
    CopySlotSet(fields, Module1::WorkPath, platform::GameWritesInto(fields.GameFolder), readFirst);
}

}  // namespace nadeshiro
