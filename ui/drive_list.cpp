#include "ui/drive_list.h"

#include <cwctype>

namespace nadeshiro::ui {

std::wstring DriveText(wchar_t letter)
{
    std::wstring text;
    text += static_cast<wchar_t>(std::towlower(letter));
    text += L':';
    wchar_t root[] = {static_cast<wchar_t>(std::towupper(letter)), L':', L'\\', 0};
    UINT type = GetDriveTypeW(root);
    // A network drive's volume is not asked for its name: a lost connection would hold
    // the window for a long time.
    if (type == DRIVE_NO_ROOT_DIR || type == DRIVE_REMOTE || type == DRIVE_UNKNOWN) return text;
    wchar_t name[MAX_PATH + 1] = {};
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    BOOL ok = GetVolumeInformationW(root, name, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0);
    SetErrorMode(oldMode);
    if (ok && name[0] != 0) text += std::wstring(L" [") + name + L"]";
    return text;
}

void DriveList::Fill(wchar_t currentLetter)
{
    SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
    DWORD drives = GetLogicalDrives();
    int select = -1;
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i))) continue;
        wchar_t letter = static_cast<wchar_t>(L'A' + i);
        int index = static_cast<int>(SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DriveText(letter).c_str())));
        if (std::towupper(currentLetter) == letter) select = index;
    }
    SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(select), 0);
    seen_ = select;
}

std::wstring DriveList::Drive() const
{
    int index = static_cast<int>(SendMessageW(combo_, CB_GETCURSEL, 0, 0));
    if (index < 0) return {};
    int length = static_cast<int>(SendMessageW(combo_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0));
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    SendMessageW(combo_, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcslen(text.c_str()));
    return text;
}

bool DriveList::TakeChange()
{
    int index = static_cast<int>(SendMessageW(combo_, CB_GETCURSEL, 0, 0));
    if (index == seen_) return false;
    seen_ = index;
    return true;
}

}  // namespace nadeshiro::ui
