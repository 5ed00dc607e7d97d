// What a screen reader hears from another process: each control's name and standard role, captions
// unchanged, the folder list's entries (which folder, which one is open), the controls in focus order.
#include "tests/test_support.h"

#include <commctrl.h>
#include <oleacc.h>

#include "app/resource.h"
#include "app/version.h"

namespace {

// What is heard of an object (CHILDID_SELF) or its child: "name | role", or "name | description | role".
std::string Said(IAccessible* object, long id, bool description = false)
{
    VARIANT child{}, role{};
    child.vt = VT_I4, child.lVal = id;
    std::wstring said;
    for (auto get : {&IAccessible::get_accName, &IAccessible::get_accDescription}) {
        BSTR b = nullptr;
        if (SUCCEEDED((object->*get)(child, &b)) && b != nullptr) said += std::wstring(b, SysStringLen(b)) + L" | ";
        SysFreeString(b);
        if (!description) break;
    }
    object->get_accRole(child, &role);
    return Utf8(said) + std::to_string(role.vt == VT_I4 ? role.lVal : -1);
}

IAccessible* ObjectOf(HWND window)
{
    void* object = nullptr;
    return SUCCEEDED(AccessibleObjectFromWindow(window, DWORD(OBJID_CLIENT), __uuidof(IAccessible), &object)) ? static_cast<IAccessible*>(object) : nullptr;
}

// The text a control shows (GetWindowText gives another process's controls their first caption).
std::wstring CaptionOf(HWND window)
{
    wchar_t text[512] = {};
    SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

HWND Descendant(HWND window, int id)
{
    for (HWND c = GetWindow(window, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
        if (HWND found = GetDlgCtrlID(c) == id ? c : Descendant(c, id)) return found;
    return nullptr;
}

// The control identifiers of a window's children as its object gives them (0 for a tab page).
std::vector<int> ChildOrder(HWND window)
{
    IAccessible* object = ObjectOf(window);
    VARIANT children[16];
    long got = 0;
    AccessibleChildren(object, 0, 16, children, &got);
    object->Release();
    std::vector<int> ids;
    for (VARIANT& child : std::vector<VARIANT>(children, children + got)) {
        HWND hwnd = nullptr;
        if (child.vt == VT_DISPATCH) WindowFromAccessibleObject(static_cast<IAccessible*>(child.pdispVal), &hwnd);
        ids.push_back(hwnd != nullptr ? GetDlgCtrlID(hwnd) : -1);
        VariantClear(&child);
    }
    return ids;
}

TEST(ScreenReader, EveryControlSaysWhatItIsInFocusOrderWithItsCaptionUnchanged)
{
    TestFolder game{L"", L"screen reader game "};
    CreateDirectoryW((game / L"セーブ置き場").c_str(), nullptr);
    std::wstring exe = EnvironmentPath(L"NADESHIRO_EXE"), commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION tool{};
    ASSERT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, game.Path().c_str(), &startup, &tool))
        << "NADESHIRO_EXE names the built program";
    struct Ends { PROCESS_INFORMATION& p; ~Ends() { TerminateProcess(p.hProcess, 1), CloseHandle(p.hProcess), CloseHandle(p.hThread); } } ends{tool};
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HWND main = nullptr;
    for (DWORD i = 0, owner = 0; i < 300 && (owner != tool.dwProcessId || !IsWindowVisible(main)); ++i, Sleep(100))
        GetWindowThreadProcessId(main = FindWindowW(L"nadeshiro", nullptr), &owner);
    ASSERT_TRUE(IsWindowVisible(main));
    // A page's controls are there once its tab has been shown: each tab is visited with the
    // arrow keys, as a user would, and the start tab taken again.
    HWND tabs = Descendant(main, IDC_SSTAB1);
    for (WPARAM key : {VK_LEFT, VK_RIGHT, VK_RIGHT, VK_LEFT}) SendMessageW(tabs, WM_KEYDOWN, key, 0);
    EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 1);
    // Each control: its caption as shown (the drive list's: the selected drive), name and role heard.
    std::wstring drive = CaptionOf(Descendant(main, IDC_DRIVE1));
    const struct { int id; const wchar_t *caption, *name; long role; } controls[] = {
        {IDC_SSTAB1, L"", L"操作を選ぶタブ", ROLE_SYSTEM_PAGETABLIST}, {IDC_DRIVE1, drive.c_str(), L"ドライブ", ROLE_SYSTEM_COMBOBOX},
        {IDC_DIR1, L"", L"フォルダ", ROLE_SYSTEM_LIST}, {IDC_TEXT1, L"", L"新しいフォルダの名前", ROLE_SYSTEM_TEXT},
        {IDC_COMMAND1, L"実行するの", L"実行するの（セーブデータを退避）", ROLE_SYSTEM_PUSHBUTTON},
        {IDC_COMMAND2, L"実行するの", L"実行するの（退避データを復元）", ROLE_SYSTEM_PUSHBUTTON},
        {IDC_TEXT2, L"", L"思い出", ROLE_SYSTEM_TEXT}, {IDC_COMMAND3, L"表示できるの", L"表示できるの（思い出を読む）", ROLE_SYSTEM_PUSHBUTTON},
        {IDC_COMMAND4, L"永遠の世界へ旅立つ（oneを起動する）", L"永遠の世界へ旅立つ（oneを起動する）", ROLE_SYSTEM_PUSHBUTTON}};
    for (const auto& e : controls) {
        HWND control = Descendant(main, e.id);
        IAccessible* object = ObjectOf(control);
        ASSERT_NE(object, nullptr) << e.id;
        EXPECT_EQ(Said(object, CHILDID_SELF) + ", caption " + Utf8(CaptionOf(control)),
                  Utf8(e.name) + " | " + std::to_string(e.role) + ", caption " + Utf8(e.caption));
        if (e.id == IDC_SSTAB1) {  // the tabs by their captions, with the page tab role (37)
            EXPECT_EQ(Said(object, 1) + ", " + Said(object, 2) + ", " + Said(object, 3),
                      Utf8(L"セーブデータを退避 | 37, 退避データを復元 | 37, 思い出を読む | 37"));
        }
        object->Release();
    }
    // Children in focus order: the tab control, the lists, the three pages, the wide button; a page's own.
    EXPECT_EQ(ChildOrder(main), (std::vector<int>{IDC_SSTAB1, IDC_DRIVE1, IDC_DIR1, 0, 0, 0, IDC_COMMAND4}));
    EXPECT_EQ(ChildOrder(GetParent(Descendant(main, IDC_TEXT2))), (std::vector<int>{IDC_TEXT2, IDC_LABEL1_0, IDC_LABEL1_1, IDC_COMMAND3}));

    // The folder list's entries: each by its folder's name, described by its full path, the open
    // one (the game folder, followed by its one subfolder) said to be open, and only it.
    IAccessible* list = ObjectOf(Descendant(main, IDC_DIR1));
    long entries = long(SendMessageW(Descendant(main, IDC_DIR1), LB_GETCOUNT, 0, 0)), count = 0;
    ASSERT_TRUE(list != nullptr && entries >= 3 && SUCCEEDED(list->get_accChildCount(&count)) && count == entries) << count;
    std::wstring open(MAX_PATH * 2, L'\0');
    open.resize(GetFullPathNameW(game.Path().c_str(), MAX_PATH * 2, open.data(), nullptr));
    std::string heard, item = " | " + std::to_string(ROLE_SYSTEM_LISTITEM) + "\n";
    for (long i = 1; i <= entries; ++i) {  // the entries between: with their role, and not open
        std::string said = Said(list, i, true) + "\n";
        bool plain = said.find(Utf8(L"開いている")) == std::string::npos && said.rfind(item) == said.size() - item.size();
        heard += i == 1 || i >= entries - 1 || !plain ? said : "";
    }
    list->Release();
    EXPECT_EQ(heard, Utf8(open.substr(0, 3) + L" | " + open.substr(0, 3)) + item + Utf8(open.substr(open.find_last_of(L'\\') + 1)) + " | " +
                         Utf8(open + L"（開いているフォルダ）") + item + Utf8(L"セーブ置き場 | " + open + L"\\セーブ置き場") + item);

    // The memo window, opened by a back-up, and the version window, opened from the menu.
    SendMessageW(Descendant(main, IDC_TEXT1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"読み上げの退避"));
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_COMMAND1, BN_CLICKED), 0);
    PostMessageW(main, WM_COMMAND, IDM_VER, 0);
    HWND memo = nullptr, version = nullptr;
    for (int i = 0; i < 100 && (memo == nullptr || version == nullptr); ++i, Sleep(100))
        memo = FindWindowW(L"NadeshiroOmoide", nullptr), version = FindWindowW(L"nadeshiro.help_ver", nullptr);
    const struct { HWND window; int id; const wchar_t* heard; } others[] = {
        {memo, IDC_OMOIDE_TEXT1, L"思い出 | 42"}, {memo, IDC_OMOIDE_COMMAND1, L"思い出を保存するの | 43"},
        {memo, IDC_OMOIDE_COMMAND2, L"過去は振り返らないの | 43"}, {version, IDC_HELP_VER_LABEL1_0, L"" NADESHIRO_PRODUCT_LABEL " | 41"}};
    for (const auto& e : others) {
        IAccessible* object = e.window != nullptr ? ObjectOf(Descendant(e.window, e.id)) : nullptr;
        ASSERT_NE(object, nullptr) << e.id;
        EXPECT_EQ(Said(object, CHILDID_SELF), Utf8(e.heard));
        object->Release();
    }
    EXPECT_EQ(ChildOrder(memo), (std::vector<int>{IDC_OMOIDE_TEXT1, IDC_OMOIDE_COMMAND1, IDC_OMOIDE_COMMAND2, IDC_OMOIDE_LABEL1_0,
                                                  IDC_OMOIDE_LABEL1_1, IDC_OMOIDE_LABEL1_2, IDC_OMOIDE_LABEL1_3}));

    PostMessageW(main, WM_COMMAND, IDM_END, 0);  // the menu's end item ends the tool
    EXPECT_EQ(WaitForSingleObject(tool.hProcess, 20000), DWORD(WAIT_OBJECT_0)) << "the tool did not end";
}

}  // namespace
