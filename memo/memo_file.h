// The memo kept with a back-up: "omoide.txt" in the back-up folder, one quoted record in
// code page 932, written by the memo window and shown line by line on the third tab.
#pragma once

#include <string>

namespace nadeshiro {

inline const wchar_t kMemoFileName[] = L"\\omoide.txt";
// How the memo view shows a NUL byte: U+2400, the symbol for null.
constexpr wchar_t kShownNul = L'\x2400';

// The message that refuses a memo holding characters code page 932 cannot hold.
std::wstring UnsavableCharactersMessage(const std::wstring& characters);

// Writes text as the memo of folder, replacing an existing memo whole. A failure leaves any
// earlier memo as it was. Temporary files that a crashed run left in folder go first.
void WriteMemo(const std::wstring& folder, const std::wstring& text);

// The memo view: reads openFolder's memo line by line and appends each line and CR LF to
// shown, a NUL byte as U+2400. Without a memo file nothing happens; an openFolder that is
// not there is reported. Sets WorkPath to the memo file's path. Temporary files that a crashed
// run left in openFolder go first.
void ShowMemo(const std::wstring& openFolder, std::wstring& shown);

}  // namespace nadeshiro
