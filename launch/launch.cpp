#include "launch/launch.h"

#include "app/platform.h"

namespace nadeshiro {

void LaunchGame(const std::wstring& gameFolder)
{
    std::wstring path = gameFolder + L"\\one.exe";
    platform::StartProgram(path, gameFolder, 1);
    platform::EndProgram();
}

}  // namespace nadeshiro
