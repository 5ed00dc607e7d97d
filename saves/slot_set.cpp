#include "saves/slot_set.h"

#include "app/platform.h"

namespace nadeshiro {

std::wstring SlotNumberText(int slotIndex)
{
    std::wstring text = std::to_wstring(slotIndex);
    if (text.size() == 1) text = L"0" + text;
    return text;
}

void CopySlotSet(MainFields& f, const std::wstring& sourceFolder, const std::wstring& destinationFolder)
{
    for (f.SlotIndex = 0; f.SlotIndex < SlotCount; ++f.SlotIndex) {
        f.SlotNumber = SlotNumberText(f.SlotIndex);
        f.ProbePath = sourceFolder + L"\\save" + f.SlotNumber;
        if (platform::Probe(f.ProbePath).empty()) continue;
        f.SlotFileName = L"\\save" + f.SlotNumber;
        f.SourcePath = sourceFolder + f.SlotFileName;
        f.DestinationPath = destinationFolder + f.SlotFileName;
        platform::CopyWholeFile(f.SourcePath, f.DestinationPath);
    }
}

}  // namespace nadeshiro
