#include "memo/memo_file.h"

#include <algorithm>

#include "app/platform.h"
#include "app/state.h"

namespace nadeshiro {

std::wstring UnsavableCharactersMessage(const std::wstring& characters)
{
    return L"この文字は思い出に保存できないの、別の文字にしてね\r\n\r\n" + characters;
}

void WriteMemo(const std::wstring& folder, const std::wstring& text)
{
    platform::RemoveLeftoverTemporaries(folder);
    platform::TextFile file(folder + kMemoFileName, platform::FileMode::Output);
    file.WriteItem(text);
    file.Close();
}

void ShowMemo(const std::wstring& openFolder, std::wstring& shown)
{
    platform::RequireFolder(openFolder);
    platform::RemoveLeftoverTemporaries(openFolder);
    Module1::WorkPath = openFolder + kMemoFileName;
    if (platform::Probe(Module1::WorkPath).empty()) return;
    platform::TextFile file(Module1::WorkPath, platform::FileMode::Input);
    while (!file.EndOfFile()) {
        std::wstring line = file.ReadLine();
        // A NUL byte shows as the symbol for null, so that the text box shows what follows it.
        std::replace(line.begin(), line.end(), L'\0', kShownNul);
        shown += line;
        shown += L"\r\n";
    }
    file.Close();
}

}  // namespace nadeshiro
