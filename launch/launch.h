// Starting the game.
#pragma once

#include <string>

namespace nadeshiro {

// Starts gameFolder + "\one.exe" as Explorer starts it, in the game folder, in a normal
// window with the focus, without waiting for it, and ends the tool. A game that cannot be
// started, or whose elevation the player declines, raises, and the tool goes on.
void LaunchGame(const std::wstring& gameFolder);

}  // namespace nadeshiro
