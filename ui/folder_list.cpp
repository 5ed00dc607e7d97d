#include "ui/folder_list.h"

#include <algorithm>
#include <cwctype>

#include "app/owned.h"
#include "app/platform.h"
#include "app/runtime_error.h"
#include "ui/window_layout.h"

namespace nadeshiro::ui {

namespace {

using platform::IsSeparator;

// Length of the root part: "C:\" or "\\server\share".
size_t RootLength(const std::wstring& path)
{
    if (path.size() >= 2 && path[1] == L':') return path.size() >= 3 && IsSeparator(path[2]) ? 3 : 2;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        size_t server = path.find_first_of(L"\\/", 2);
        if (server == std::wstring::npos) return path.size();
        size_t share = path.find_first_of(L"\\/", server + 1);
        return share == std::wstring::npos ? path.size() : share;
    }
    return 0;
}

// The pen and brushes of the folder pictures, made once.
struct FolderPaints {
    GdiObject<HPEN> pen{CreatePen(PS_SOLID, 1, RGB(150, 110, 20))};
    GdiObject<HBRUSH> back{CreateSolidBrush(RGB(230, 180, 60))}, front{CreateSolidBrush(RGB(255, 220, 110))};
};

void DrawFolderPicture(HDC dc, int x, int y, int size, bool open)
{
    static const FolderPaints paints;
    auto px = [size](int units) { return units * size / 16; };
    Selected pen(dc, paints.pen.get()), brush(dc, paints.back.get());
    // Tab and back of the folder.
    POINT body[] = {{x + px(1), y + px(3)}, {x + px(6), y + px(3)}, {x + px(7), y + px(4)}, {x + px(14), y + px(4)},
                    {x + px(14), y + px(13)}, {x + px(1), y + px(13)}};
    Polygon(dc, body, 6);
    Selected front(dc, paints.front.get());
    if (open) {
        POINT flap[] = {{x + px(3), y + px(7)}, {x + px(16) - 1, y + px(7)}, {x + px(14), y + px(13)}, {x + px(1), y + px(13)}};
        Polygon(dc, flap, 4);
    } else {
        Rectangle(dc, x + px(1), y + px(6), x + px(14) + 1, y + px(13) + 1);
    }
}

std::vector<FolderEntry> FolderEntries(const std::wstring& path, const std::vector<std::wstring>& subfolders)
{
    std::vector<FolderEntry> entries;
    size_t rootLength = RootLength(path);
    std::wstring root = path.substr(0, rootLength);
    entries.push_back({root, root, 0, true});
    std::wstring walked = root;
    size_t start = rootLength;
    while (start < path.size()) {
        if (IsSeparator(path[start])) {
            ++start;
            continue;
        }
        size_t end = path.find_first_of(L"\\/", start);
        if (end == std::wstring::npos) end = path.size();
        std::wstring name = path.substr(start, end - start);
        if (!walked.empty() && !IsSeparator(walked.back())) walked += L'\\';
        walked += name;
        entries.push_back({name, walked, static_cast<int>(entries.size()), true});
        start = end;
    }
    int depth = static_cast<int>(entries.size());
    for (const auto& name : subfolders) {
        std::wstring child = path;
        if (!child.empty() && !IsSeparator(child.back())) child += L'\\';
        entries.push_back({name, child + name, depth, false});
    }
    return entries;
}

// The order of the subfolders in the list.
bool ListedBefore(const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) < 0; }

}  // namespace

FolderView ReadFolder(const std::wstring& path)
{
    std::wstring asked = path;
    // A drive value: its letter and colon name the drive's current folder.
    if (asked.size() >= 2 && asked[1] == L':' && (asked.size() == 2 || asked[2] == L' ')) asked = asked.substr(0, 2);
    FolderView folder{platform::FullPath(asked), {}};
    if (folder.path.empty()) RaiseLastError(path);
    if (folder.path.size() >= 2 && folder.path[1] == L':') folder.path[0] = static_cast<wchar_t>(std::towupper(folder.path[0]));
    folder.subfolders = platform::Subfolders(folder.path);
    std::sort(folder.subfolders.begin(), folder.subfolders.end(), ListedBefore);
    return folder;
}

void FolderList::Show(const FolderView& folder)
{
    std::vector<FolderEntry> entries = FolderEntries(folder.path, folder.subfolders);
    path_ = folder.path;
    entries_ = std::move(entries);
    int openIndex = static_cast<int>(entries_.size() - folder.subfolders.size()) - 1;
    if (list_ == nullptr) return;
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    for (const FolderEntry& entry : entries_)
        SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.text.c_str()));
    SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(openIndex), 0);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

void FolderList::OpenNearest(const std::wstring& path)
{
    auto opened = [this](const std::wstring& folder) {
        try {
            SetPath(folder);
            return true;
        } catch (const RuntimeError&) {
            return false;
        }
    };
    std::wstring above = path;
    for (size_t root = RootLength(above), cut; above.size() > root && (cut = above.find_last_of(L"\\/")) != std::wstring::npos;) {
        above.resize(std::max(cut, root));
        if (opened(above)) return;
    }
    wchar_t windows[MAX_PATH];
    UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (length >= 3 && length < MAX_PATH) opened(std::wstring(windows, 3));
}

void FolderList::OpenEntry(int index)
{
    if (index < 0 || index >= static_cast<int>(entries_.size())) return;
    SetPath(entries_[static_cast<size_t>(index)].path);
}

void FolderList::ShowNewFolder(const std::wstring& path)
{
    std::wstring full = platform::FullPath(path), inside = path_;
    if (inside.empty()) return;
    if (!IsSeparator(inside.back())) inside += L'\\';
    if (full.size() <= inside.size() ||
        CompareStringOrdinal(full.data(), static_cast<int>(inside.size()), inside.data(), static_cast<int>(inside.size()), TRUE) !=
            CSTR_EQUAL)
        return;
    std::wstring name = full.substr(inside.size(), full.find(L'\\', inside.size()) - inside.size());
    // The subfolders follow the open folder and its ancestors, the entries shown open.
    size_t subfolders = 0, at = entries_.size();
    while (subfolders < entries_.size() && entries_[subfolders].open) ++subfolders;
    for (size_t i = entries_.size(); i-- > subfolders;) {
        if (CompareStringOrdinal(entries_[i].text.c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL) return;  // listed
        if (ListedBefore(name, entries_[i].text)) at = i;
    }
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at), {name, inside + name, static_cast<int>(subfolders), false});
    if (list_ != nullptr) SendMessageW(list_, LB_INSERTSTRING, at, reinterpret_cast<LPARAM>(name.c_str()));
}

void FolderList::SetMetrics(UINT dpi, HFONT font)
{
    dpi_ = dpi;
    if (list_ == nullptr) return;
    WindowDc dc(list_);
    Selected chosen(dc.get(), font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.get(), &metrics);
    int height = std::max<int>(metrics.tmHeight + ScalePixels(2, dpi), ScalePixels(18, dpi));
    SendMessageW(list_, LB_SETITEMHEIGHT, 0, height);
}

void FolderList::Draw(const DRAWITEMSTRUCT& item) const
{
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= entries_.size()) return;
    const FolderEntry& entry = entries_[item.itemID];
    HDC dc = item.hDC;
    bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    int icon = ScalePixels(16, dpi_);
    int x = item.rcItem.left + ScalePixels(2, dpi_) + entry.depth * ScalePixels(8, dpi_);
    int y = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - icon) / 2;
    DrawFolderPicture(dc, x, y, icon, entry.open);
    RECT text = item.rcItem;
    text.left = x + icon + ScalePixels(4, dpi_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(dc, entry.text.c_str(), static_cast<int>(entry.text.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    // The focus rectangle follows the keyboard cues, as on the system's own lists: hidden until
    // the keyboard is used, where the system hides them.
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) DrawFocusRect(dc, &item.rcItem);
}

std::wstring FolderList::ItemName(int index) const
{
    if (index < 0 || index >= static_cast<int>(entries_.size())) return std::wstring();
    return entries_[static_cast<size_t>(index)].text;
}

std::wstring FolderList::ItemDescription(int index) const
{
    if (index < 0 || index >= static_cast<int>(entries_.size())) return std::wstring();
    const std::wstring& path = entries_[static_cast<size_t>(index)].path;
    return path == path_ ? path + L"（開いているフォルダ）" : path;
}

}  // namespace nadeshiro::ui
