// State that more than one command shares.
#pragma once

#include <string>

// The project-wide module: what the most recent back-up, restore or memo view worked on.
namespace Module1 {
inline std::wstring WorkPath;
}

namespace nadeshiro {

// The main window's own fields: the game folder, recorded once at start-up, and the
// working fields of the slot copy, in their order of declaration.
struct MainFields {
    std::wstring SlotFileName;
    std::wstring SourcePath;
    std::wstring DestinationPath;
    std::wstring GameFolder;
    std::wstring ProbePath;
    short SlotIndex = 0;
    std::wstring SlotNumber;
};

}  // namespace nadeshiro
