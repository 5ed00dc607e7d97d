// The back-up and restore commands, over the platform layer, taking what their handlers
// read from the main window when its buttons are pressed.
#pragma once

#include <functional>
#include <string>

#include "app/state.h"

namespace nadeshiro {

inline const wchar_t kNameTakenMessage[] = L"同じフォルダ名があるの、違う名前にしてね";

// Asked for at the end of a successful back-up, with the new back-up's folder.
using MemoWindowRequest = std::function<void(const std::wstring& backupFolder)>;

// Makes openFolder + "\" + name, copies the game's slot files into it and asks for the
// memo window. A name under which anything exists is refused with a message.
void BackUp(MainFields& fields, const std::wstring& openFolder, const std::wstring& name,
            const MemoWindowRequest& showMemoWindow);

// Copies the slot files of openFolder back into the game folder.
void Restore(MainFields& fields, const std::wstring& openFolder);

}  // namespace nadeshiro
