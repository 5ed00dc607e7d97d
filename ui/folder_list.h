// The folder list: the open folder's ancestors from the drive's root down, the open folder
// itself and its subfolders, indented, with open and closed folder pictures. Double-click
// or Enter opens an entry; a single click only highlights it. The open folder is the
// picked folder of every command.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace nadeshiro::ui {

struct FolderEntry {
    std::wstring text;  // what the list shows
    std::wstring path;  // the folder's full path
    int depth;          // indentation level, 0 for the root
    bool open;          // the open folder and its ancestors
};

// The entries for the open folder path with the given subfolder names.
std::vector<FolderEntry> FolderEntries(const std::wstring& path, const std::vector<std::wstring>& subfolders);

// The full path for a folder or a drive value ("d:"): drive letter upper case, no trailing
// separator but for a root. Raises when the folder cannot be listed.
std::wstring FolderPathFor(const std::wstring& path);

// The subfolders of path, sorted. Raises when the folder cannot be listed.
std::vector<std::wstring> ListSubfolders(const std::wstring& path);

class FolderList {
public:
    void Attach(HWND list) { list_ = list; }
    HWND Handle() const { return list_; }
    // Opens path (a folder or a drive value). On failure raises and keeps the list as it was.
    void SetPath(const std::wstring& path);
    const std::wstring& Path() const { return path_; }
    const std::vector<FolderEntry>& Entries() const { return entries_; }
    // Opens the entry at index (double-click or Enter).
    void OpenEntry(int index);
    int OpenIndex() const { return openIndex_; }

    void SetMetrics(UINT dpi, HFONT font);
    void Draw(const DRAWITEMSTRUCT& item) const;

private:
    HWND list_ = nullptr;
    std::wstring path_;
    std::vector<FolderEntry> entries_;
    int openIndex_ = -1;
    UINT dpi_ = 96;
};

}  // namespace nadeshiro::ui
