#include "ui/drive_list.h"

#include <cwctype>

#include "app/platform.h"
#include "ui/window_layout.h"

namespace nadeshiro::ui {

DriveSource SystemDrives() { return {platform::Drives, platform::DriveType, platform::VolumeName}; }

std::wstring DriveText(wchar_t letter, const std::wstring& volumeName)
{
    std::wstring text;
    text += static_cast<wchar_t>(std::towlower(letter));
    text += L':';
    if (!volumeName.empty()) text += L" [" + volumeName + L"]";
    return text;
}

bool AskedAtStart(UINT driveType) { return driveType == DRIVE_FIXED || driveType == DRIVE_RAMDISK; }

std::vector<DriveEntry> ReadDrives(const DriveSource& source)
{
    std::vector<DriveEntry> entries;
    DWORD drives = source.logicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i))) continue;
        DriveEntry entry{static_cast<wchar_t>(L'A' + i), {}};
        if (AskedAtStart(source.driveType(entry.letter))) source.volumeName(entry.letter, entry.volumeName);
        entries.push_back(std::move(entry));
    }
    return entries;
}

void DriveList::Fill(wchar_t currentLetter, const std::vector<DriveEntry>& drives)
{
    SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
    int select = -1;
    for (const DriveEntry& drive : drives) {
        int index = static_cast<int>(SendMessageW(combo_, CB_ADDSTRING, 0,
                                                  reinterpret_cast<LPARAM>(DriveText(drive.letter, drive.volumeName).c_str())));
        if (static_cast<wchar_t>(std::towupper(currentLetter)) == drive.letter) select = index;
    }
    SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(select), 0);
    seen_ = select;
}

void DriveList::FillLaterNames()
{
    int count = static_cast<int>(SendMessageW(combo_, CB_GETCOUNT, 0, 0));
    int selected = static_cast<int>(SendMessageW(combo_, CB_GETCURSEL, 0, 0));
    for (int index = 0; index < count; ++index) {
        if (SendMessageW(combo_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) != 2) continue;  // named already
        wchar_t entry[4] = {};
        SendMessageW(combo_, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(entry));
        wchar_t letter = static_cast<wchar_t>(std::towupper(entry[0]));
        UINT type = source_.driveType(letter);
        if (AskedAtStart(type) || type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN) continue;
        std::wstring name;
        if (!source_.volumeName(letter, name) || name.empty()) continue;
        std::wstring text = DriveText(letter, name);
        SendMessageW(combo_, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
        SendMessageW(combo_, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

// A drop-down list's window text is its selected entry.
std::wstring DriveList::Drive() const { return WindowText(combo_); }

bool DriveList::TakeChange()
{
    int index = static_cast<int>(SendMessageW(combo_, CB_GETCURSEL, 0, 0));
    if (index == seen_) return false;
    seen_ = index;
    return true;
}

}  // namespace nadeshiro::ui
