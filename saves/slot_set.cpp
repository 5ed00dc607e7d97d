#include "saves/slot_set.h"

#include "app/number_text.h"
#include "app/platform.h"

namespace nadeshiro {

std::wstring SlotNumberText(int slotIndex)
{
    std::wstring text = NumberText(static_cast<unsigned long>(slotIndex));
    if (text.size() == 1) text = L"0" + text;
    return text;
}

void CopySlotSet(MainFields& f, const std::wstring& sourceFolder, const std::wstring& destinationFolder,
                 const std::wstring& readFirst)
{
    bool tidied = false;
    for (f.SlotIndex = 0; f.SlotIndex < SlotCount; ++f.SlotIndex) {
        f.SlotNumber = SlotNumberText(f.SlotIndex);
        const std::wstring* from = &sourceFolder;
        if (!readFirst.empty()) {
            f.ProbePath = readFirst + L"\\save" + f.SlotNumber;
            if (!platform::Probe(f.ProbePath).empty()) from = &readFirst;
        }
        if (from == &sourceFolder) {
            f.ProbePath = sourceFolder + L"\\save" + f.SlotNumber;
            if (platform::Probe(f.ProbePath).empty()) continue;
        }
        if (!tidied) {
            platform::RemoveLeftoverTemporaries(destinationFolder);
            tidied = true;
        }
        f.SlotFileName = L"\\save" + f.SlotNumber;
        f.SourcePath = *from + f.SlotFileName;
        f.DestinationPath = destinationFolder + f.SlotFileName;
        platform::CopyWholeFile(f.SourcePath, f.DestinationPath);
    }
}

}  // namespace nadeshiro
