// The back-up and restore commands, over the platform layer, taking what their handlers
// read from the main window when its buttons are pressed.
#pragma once

#include <string>

#include "app/state.h"

namespace nadeshiro {

inline const wchar_t kNameTakenMessage[] = L"同じフォルダ名があるの、違う名前にしてね";
inline const wchar_t kNotAFolderNameMessage[] = L"その名前はフォルダにできないの、違う名前にしてね";

// Makes openFolder + "\" + name (left in WorkPath) and copies the game's slot files into
// it; true when it made the back-up. The folder gets its name once every slot is copied, or
// once a failing copy has stopped it (then the report follows). A name that cannot name one
// folder in openFolder (platform::IsFolderName), and one under which anything exists when the
// command starts or by the time the slots are copied, or the empty name, is refused with a
// message before anything is made, and false. An openFolder that is not there is reported.
bool BackUp(MainFields& fields, const std::wstring& openFolder, const std::wstring& name);

// Copies the slot files of openFolder back into the game folder. An openFolder that is not
// there is reported.
void Restore(MainFields& fields, const std::wstring& openFolder);

}  // namespace nadeshiro
