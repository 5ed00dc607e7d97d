#include "memo/memo_file.h"

#include <algorithm>

#include "app/platform.h"
#include "app/state.h"

namespace nadeshiro {

namespace {
constexpr int kFileNumber = 1;
}

std::wstring UnsavableCharactersMessage(const std::wstring& characters)
{
    return L"この文字は思い出に保存できないの、別の文字にしてね\r\n\r\n" + characters;
}

std::wstring WriteMemo(const std::wstring& folder, const std::wstring& text)
{
    std::wstring memoPath = folder + kMemoFileName;
    platform::RemoveLeftoverTemporaries(folder);
    platform::FileNumberGuard guard(kFileNumber);
    platform::OpenFile(memoPath, platform::FileMode::Output, kFileNumber);
    platform::WriteItem(kFileNumber, text);
    platform::CloseFile(kFileNumber);
    return memoPath;
}

void ShowMemo(const std::wstring& openFolder, std::wstring& shown)
{
    Module1::WorkPath = openFolder + kMemoFileName;
    if (platform::Probe(Module1::WorkPath).empty()) return;
    platform::FileNumberGuard guard(kFileNumber);
    platform::OpenFile(Module1::WorkPath, platform::FileMode::Input, kFileNumber);
    while (!platform::EndOfFile(kFileNumber)) {
        std::wstring line = platform::ReadLine(kFileNumber);
        // A NUL byte shows as the symbol for null, so that the text box shows what follows it.
        std::replace(line.begin(), line.end(), L'\0', kShownNul);
        shown += line;
        shown += L"\r\n";
    }
    platform::CloseFile(kFileNumber);
}

}  // namespace nadeshiro
