// Starting the game.
#pragma once

#include <string>

namespace nadeshiro {

// Starts gameFolder + "\one.exe" in a normal window with the focus, without waiting for it,
// and ends the tool. A game that cannot be started raises, and the tool goes on.
void LaunchGame(const std::wstring& gameFolder);

}  // namespace nadeshiro
