// Where the game itself reads and writes its slot files. The game is an old 32-bit program
// without a manifest: installed under a protected folder (the program files folders, the
// Windows folder, the shared program data folder) and run without administrator rights, its
// writes there are redirected by Windows to the user's virtual store,
// %LOCALAPPDATA%\VirtualStore followed by the game folder's path without its drive, and a
// slot it reads comes from the virtual store where one is there, else from its own folder.
// The tool has a manifest and is never redirected, so it looks in both places itself.
// Windows redirects nothing while UAC is off, and never a program that runs as
// administrator (the player's "run this program as an administrator" on the game, which
// Windows records as a compatibility layer): then the game reads and writes its own folder
// only, and so does the tool.
#pragma once

#include <string>

namespace nadeshiro::platform {

// The virtual store folder of gameFolder, whether or not it exists; empty when gameFolder
// does not lie under a protected folder (compared case-insensitively with the system's own
// known folders, on the full path).
std::wstring VirtualStoreOf(const std::wstring& gameFolder);

// What the report of a restore says when the game runs as administrator in a protected
// folder that the tool cannot write to.
inline const wchar_t kGameRunsAsAdministratorNote[] =
    L"ゲームが「管理者として実行」する設定になっているので、ゲームはセーブデータをこのフォルダから直接読み書きします。"
    L"このフォルダに書き込むには管理者の権限が必要です。なでしろも右クリックして「管理者として実行」で起動し直してから、"
    L"もう一度復元してください。";

// Whether the game runs as administrator: a RUNASADMIN compatibility layer is recorded for
// gameFolder + "\one.exe" (its full path, in any letter case) for the current user or for
// every user of the machine.
bool GameRunsElevated(const std::wstring& gameFolder);

// The folder whose slot files the game reads before its own: its virtual store where the
// game is redirected and the store exists, else empty.
std::wstring GameReadsFirst(const std::wstring& gameFolder);

// The folder the game's slot files are written into so that the game reads them. Where the
// game is redirected: its virtual store where that exists; where it does not yet and the
// game folder cannot be written to, the virtual store is made (with its parents), as the
// game's own first save would. Else the game folder itself; where the game runs as
// administrator in a protected folder that the tool cannot write to, raises with a note
// that says so, before anything is written.
std::wstring GameWritesInto(const std::wstring& gameFolder);

// Whether a and b name the same folder (full paths compared case-insensitively).
bool SameFolder(const std::wstring& a, const std::wstring& b);

}  // namespace nadeshiro::platform
