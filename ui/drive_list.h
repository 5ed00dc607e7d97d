// The drive list: every drive, shown as its letter, a colon and, where the volume has one,
// its name in brackets. At start only fixed local drives (and ramdisks) are asked for their
// names: a removable, optical or network drive may be slow to answer (a disc spins up, a
// connection times out), so it shows its letter alone until the user opens the list.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace nadeshiro::ui {

// What the drive list asks the system; tests give their own drives.
struct DriveSource {
    std::function<DWORD()> logicalDrives;              // bit 0 for a:, ...
    std::function<UINT(wchar_t letter)> driveType;     // DRIVE_FIXED, DRIVE_CDROM, ...
    std::function<bool(wchar_t letter, std::wstring& name)> volumeName;  // false when not ready
};
DriveSource SystemDrives();

// The drives as the list shows them at start: each drive's letter, and the name of a drive
// that is asked for it at start. Read apart from the list, so that it may be read on another
// thread while the window is being made.
struct DriveEntry {
    wchar_t letter;
    std::wstring volumeName;
};
std::vector<DriveEntry> ReadDrives(const DriveSource& source);

// "c: [name]" or "c:".
std::wstring DriveText(wchar_t letter, const std::wstring& volumeName);
// Whether a drive of this type is asked for its name at start.
bool AskedAtStart(UINT driveType);

class DriveList {
public:
    void Attach(HWND combo, DriveSource source = SystemDrives())
    {
        combo_ = combo;
        source_ = std::move(source);
    }
    HWND Handle() const { return combo_; }
    // Lists the drives and selects the one with this letter.
    void Fill(wchar_t currentLetter) { Fill(currentLetter, ReadDrives(source_)); }
    void Fill(wchar_t currentLetter, const std::vector<DriveEntry>& drives);
    // The list is opened: the drives that still show their letter alone are asked for their
    // names; those that answer show them, the others keep the letter alone. No message.
    void FillLaterNames();
    // The selected drive as the list shows it ("c: [name]"), empty when none.
    std::wstring Drive() const;
    // True once per change of the selected drive (re-picking the same drive is no change).
    bool TakeChange();

private:
    HWND combo_ = nullptr;
    DriveSource source_;
    int seen_ = -1;
};

}  // namespace nadeshiro::ui
