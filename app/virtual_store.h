// Where the game itself reads and writes its slot files. The game is an old 32-bit program
// without a manifest: installed under a protected folder (the program files folders, the
// Windows folder, the shared program data folder) and run without administrator rights, its
// writes there are redirected by Windows to the user's virtual store,
// %LOCALAPPDATA%\VirtualStore followed by the game folder's path without its drive, and a
// slot it reads comes from the virtual store where one is there, else from its own folder.
// The tool has a manifest and is never redirected, so it looks in both places itself.
#pragma once

#include <string>

namespace nadeshiro::platform {

// The virtual store folder of gameFolder, whether or not it exists; empty when gameFolder
// does not lie under a protected folder (compared case-insensitively with the system's own
// known folders, on the full path).
std::wstring VirtualStoreOf(const std::wstring& gameFolder);

// The folder whose slot files the game reads before its own: its virtual store where that
// exists, else empty.
std::wstring GameReadsFirst(const std::wstring& gameFolder);

// The folder the game's slot files are written into so that the game reads them: its
// virtual store where that exists; where it does not yet and the game folder is protected
// and cannot be written to, the virtual store is made (with its parents), as the game's own
// first save would; else the game folder itself.
std::wstring GameWritesInto(const std::wstring& gameFolder);

// Whether a and b name the same folder (full paths compared case-insensitively).
bool SameFolder(const std::wstring& a, const std::wstring& b);

}  // namespace nadeshiro::platform
