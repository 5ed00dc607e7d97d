// The folder list: the open folder's ancestors from the drive's root down, the open folder
// itself and its subfolders, indented, with open and closed folder pictures. Double-click
// or Enter opens an entry; a single click only highlights it. The open folder is the
// picked folder of every command. A screen reader hears each entry by its folder's name,
// described by its full path and, for the open folder, that it is the open one.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/accessible.h"

namespace nadeshiro::ui {

struct FolderEntry {
    std::wstring text;  // what the list shows
    std::wstring path;  // the folder's full path
    int depth;          // indentation level, 0 for the root
    bool open;          // the open folder and its ancestors
};

// A folder as the list shows it: its full path and its subfolders' names, sorted. Read apart
// from the list, so that it may be read on another thread while the window is being made.
struct FolderView {
    std::wstring path;
    std::vector<std::wstring> subfolders;
};
// path: a folder or a drive value. Raises when it cannot be read.
FolderView ReadFolder(const std::wstring& path);

class FolderList final : public AccessibleItems {
public:
    // A list attached afresh has no folder open until one is opened.
    void Attach(HWND list) { list_ = list, path_.clear(), entries_.clear(); }
    HWND Handle() const { return list_; }
    // Opens path (a folder or a drive value). On failure raises and keeps the list as it was.
    void SetPath(const std::wstring& path) { Show(ReadFolder(path)); }
    void Show(const FolderView& folder);
    const std::wstring& Path() const { return path_; }
    // Opens the nearest folder above path that can be read, down to its drive's root, else the
    // root of the system's drive; when none can be read, the list stays as it was.
    void OpenNearest(const std::wstring& path);
    const std::vector<FolderEntry>& Entries() const { return entries_; }
    // Opens the entry at index (double-click or Enter).
    void OpenEntry(int index);
    // Lists a folder made since the list read the disk: path, or the folder above it that lies
    // directly in the open folder, is put in its sorted place among the subfolders when it is
    // not listed yet. The open folder and every other entry stay as they are.
    void ShowNewFolder(const std::wstring& path);

    void SetMetrics(UINT dpi, HFONT font);
    void Draw(const DRAWITEMSTRUCT& item) const;

    std::wstring ItemName(int index) const override;
    std::wstring ItemDescription(int index) const override;

private:
    HWND list_ = nullptr;
    std::wstring path_;
    std::vector<FolderEntry> entries_;
    UINT dpi_ = 96;
};

}  // namespace nadeshiro::ui
