// The game's thirty slot files, save00 to save29, and the one procedure that copies the
// ones a folder holds into another folder.
#pragma once

#include <string>

#include "app/state.h"

namespace nadeshiro {

constexpr int SlotCount = 30;

// "00" to "09", then "10" to "29".
std::wstring SlotNumberText(int slotIndex);

// Copies every slot file that exists in source into destination, slot 00 first, replacing
// files of the same name. Only the source is probed; a destination slot that the source
// lacks is left alone. Stops at the first failing copy with the lower slots copied. With
// readFirst (the game's virtual store), a slot there is taken in place of the source's.
// Before the first copy, temporary files that a crashed run left in destination go.
void CopySlotSet(MainFields& fields, const std::wstring& sourceFolder, const std::wstring& destinationFolder,
                 const std::wstring& readFirst = std::wstring());

}  // namespace nadeshiro
