// What a screen reader hears, asked from another process as a screen reader asks: the tool
// runs in a game folder of its own, and each control of its three windows is read through
// AccessibleObjectFromWindow. Every control that takes the focus says what it is, with the
// standard role of its kind, while its caption stays as it is; the folder list's entries
// say which folder they are and which one is open; a window's controls come in focus order.
// The names heard are printed, one line per control.

#include "tests/test_support.h"

#include <commctrl.h>
#include <oleacc.h>

#include <cstdio>
#include <cwctype>

#include "app/resource.h"

namespace {

struct Heard {
    std::wstring name, description, value;
    long role = -1;
    long children = -1;
};

std::wstring Text(BSTR text)
{
    std::wstring copy = text != nullptr ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return copy;
}

VARIANT ChildId(long id)
{
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

Heard Hear(IAccessible* object, long id)
{
    Heard heard;
    VARIANT child = ChildId(id), role;
    BSTR name = nullptr, description = nullptr;
    if (SUCCEEDED(object->get_accName(child, &name))) heard.name = Text(name);
    if (SUCCEEDED(object->get_accDescription(child, &description))) heard.description = Text(description);
    BSTR value = nullptr;
    if (SUCCEEDED(object->get_accValue(child, &value))) heard.value = Text(value);
    VariantInit(&role);
    if (SUCCEEDED(object->get_accRole(child, &role)) && role.vt == VT_I4) heard.role = role.lVal;
    VariantClear(&role);
    if (id == CHILDID_SELF) object->get_accChildCount(&heard.children);
    return heard;
}

// The client area's object of a window, as a screen reader gets it; nullptr when none.
IAccessible* ObjectOf(HWND window)
{
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

// The text a control shows (GetWindowText would give another process's controls their
// first caption only).
std::wstring CaptionOf(HWND window)
{
    wchar_t text[512] = {};
    SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

struct Search {
    int id;
    HWND found;
};

BOOL CALLBACK MatchId(HWND child, LPARAM data)
{
    auto* search = reinterpret_cast<Search*>(data);
    if (GetDlgCtrlID(child) != search->id) return TRUE;
    search->found = child;
    return FALSE;
}

HWND Descendant(HWND window, int id)
{
    Search search{id, nullptr};
    EnumChildWindows(window, MatchId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The tool's top-level window of this class, once it is there.
HWND WaitForWindow(DWORD process, const wchar_t* className)
{
    for (int i = 0; i < 300; ++i, Sleep(100)) {
        for (HWND w = FindWindowExW(nullptr, nullptr, className, nullptr); w; w = FindWindowExW(nullptr, w, className, nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == process && IsWindowVisible(w)) return w;
        }
    }
    return nullptr;
}

template <typename Condition>
bool WaitUntil(Condition condition)
{
    for (int i = 0; i < 300; ++i, Sleep(100))
        if (condition()) return true;
    return false;
}

// The control identifiers of a window's children as its object gives them (0 for a tab page).
std::vector<int> ChildOrder(HWND window)
{
    std::vector<int> ids;
    IAccessible* object = ObjectOf(window);
    if (object == nullptr) return ids;
    long count = 0;
    object->get_accChildCount(&count);
    std::vector<VARIANT> children(static_cast<size_t>(count));
    long got = 0;
    if (count > 0 && SUCCEEDED(AccessibleChildren(object, 0, count, children.data(), &got))) {
        for (long i = 0; i < got; ++i) {
            VARIANT& child = children[static_cast<size_t>(i)];
            HWND hwnd = nullptr;
            IAccessible* childObject = nullptr;
            if (child.vt == VT_DISPATCH && child.pdispVal != nullptr &&
                SUCCEEDED(child.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&childObject)))) {
                WindowFromAccessibleObject(childObject, &hwnd);
                childObject->Release();
            }
            ids.push_back(hwnd != nullptr ? GetDlgCtrlID(hwnd) : -1);
            VariantClear(&child);
        }
    }
    object->Release();
    return ids;
}

struct Expected {
    const char* window;
    const wchar_t* control;
    int id;
    const wchar_t* caption;  // as shown, unchanged
    const wchar_t* name;     // as heard
    long role;
};

// Each control is heard by its name and role and keeps its caption; prints what it heard.
void ExpectHeard(HWND window, const Expected& expected)
{
    SCOPED_TRACE(Utf8(expected.control));
    HWND control = Descendant(window, expected.id);
    ASSERT_NE(control, nullptr);
    IAccessible* object = ObjectOf(control);
    ASSERT_NE(object, nullptr);
    Heard heard = Hear(object, CHILDID_SELF);
    object->Release();
    std::printf("%s %s: \"%s\" (role %ld), value \"%s\", caption \"%s\"\n", expected.window, Utf8(expected.control).c_str(),
                Utf8(heard.name).c_str(), heard.role, Utf8(heard.value).c_str(), Utf8(CaptionOf(control)).c_str());
    EXPECT_EQ(Utf8(heard.name), Utf8(expected.name));
    EXPECT_EQ(heard.role, expected.role);
    EXPECT_EQ(Utf8(CaptionOf(control)), Utf8(expected.caption));
    if (expected.role == ROLE_SYSTEM_COMBOBOX) {
        EXPECT_EQ(Utf8(heard.value), Utf8(expected.caption)) << "the selected drive";
    }
}

struct ScreenReaderTest : ::testing::Test {
    TestFolder game{L"", L"screen reader game "};
    PROCESS_INFORMATION tool{};
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    void SetUp() override
    {
        WriteBytes(game / L"save00", SlotContent(L"slot 00"));
        CreateDirectoryW((game / L"セーブ置き場").c_str(), nullptr);
        std::wstring exe = EnvironmentPath(L"NADESHIRO_EXE");
        ASSERT_FALSE(exe.empty()) << "NADESHIRO_EXE names the built program";
        std::wstring commandLine = L"\"" + exe + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, game.Path().c_str(),
                                   &startup, &tool));
    }
    void TearDown() override
    {
        if (tool.hProcess == nullptr) return;
        if (WaitForSingleObject(tool.hProcess, 20000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "the tool did not end";
            TerminateProcess(tool.hProcess, 1);
        }
        CloseHandle(tool.hProcess);
        CloseHandle(tool.hThread);
        if (SUCCEEDED(com)) CoUninitialize();
    }
};

TEST_F(ScreenReaderTest, EveryControlSaysWhatItIsInFocusOrderWithItsCaptionUnchanged)
{
    HWND main = WaitForWindow(tool.dwProcessId, L"nadeshiro");
    ASSERT_NE(main, nullptr);

    const Expected mainControls[] = {
        {"main", L"SSTab1", IDC_SSTAB1, L"", L"操作を選ぶタブ", ROLE_SYSTEM_PAGETABLIST},
        {"main", L"Drive1", IDC_DRIVE1, nullptr, L"ドライブ", ROLE_SYSTEM_COMBOBOX},
        {"main", L"Dir1", IDC_DIR1, L"", L"フォルダ", ROLE_SYSTEM_LIST},
        {"main", L"Text1", IDC_TEXT1, L"", L"新しいフォルダの名前", ROLE_SYSTEM_TEXT},
        {"main", L"Command1", IDC_COMMAND1, L"実行するの", L"実行するの（セーブデータを退避）", ROLE_SYSTEM_PUSHBUTTON},
        {"main", L"Command2", IDC_COMMAND2, L"実行するの", L"実行するの（退避データを復元）", ROLE_SYSTEM_PUSHBUTTON},
        {"main", L"Text2", IDC_TEXT2, L"", L"思い出", ROLE_SYSTEM_TEXT},
        {"main", L"Command3", IDC_COMMAND3, L"表示できるの", L"表示できるの（思い出を読む）", ROLE_SYSTEM_PUSHBUTTON},
        {"main", L"Command4", IDC_COMMAND4, L"永遠の世界へ旅立つ（oneを起動する）", L"永遠の世界へ旅立つ（oneを起動する）",
         ROLE_SYSTEM_PUSHBUTTON},
        {"main", L"tab1_label1(1)", IDC_TAB1_LABEL1_1, L"『ゲーム中のセーブデータを指定したフォルダの直下に』",
         L"『ゲーム中のセーブデータを指定したフォルダの直下に』", ROLE_SYSTEM_STATICTEXT},
    };
    // The drive list shows the selected drive ("c: [name]"), as the drive list itself says.
    std::wstring drive = CaptionOf(Descendant(main, IDC_DRIVE1));
    EXPECT_EQ(Utf8(drive.substr(0, 2)), Utf8({static_cast<wchar_t>(std::towlower(game.Path()[0])), L':'}));
    for (Expected e : mainControls) {
        if (e.caption == nullptr) e.caption = drive.c_str();
        ExpectHeard(main, e);
    }

    // The tab control first, then the lists, the three pages and the wide button; on each
    // page its controls in focus order.
    EXPECT_EQ(ChildOrder(main), (std::vector<int>{IDC_SSTAB1, IDC_DRIVE1, IDC_DIR1, 0, 0, 0, IDC_COMMAND4}));
    EXPECT_EQ(ChildOrder(GetParent(Descendant(main, IDC_TEXT2))),
              (std::vector<int>{IDC_TEXT2, IDC_LABEL1_0, IDC_LABEL1_1, IDC_COMMAND3}));

    // The tab control leads, yet the page lies on it: a point on a page's button is the
    // button's, a point on the tabs the tab control's.
    auto windowAt = [](HWND control, int x, int y) {
        RECT r{};
        GetWindowRect(control, &r);
        return WindowFromPoint(POINT{r.left + x, r.top + y});
    };
    HWND command2 = Descendant(main, IDC_COMMAND2), tabControl = Descendant(main, IDC_SSTAB1);
    RECT button{};
    GetClientRect(command2, &button);
    EXPECT_EQ(windowAt(command2, button.right / 2, button.bottom / 2), command2);
    EXPECT_EQ(windowAt(tabControl, 8, 8), tabControl);

    // The tabs, by their captions.
    IAccessible* tabs = ObjectOf(Descendant(main, IDC_SSTAB1));
    ASSERT_NE(tabs, nullptr);
    const wchar_t* const tabCaptions[] = {L"セーブデータを退避", L"退避データを復元", L"思い出を読む"};
    for (long i = 1; i <= 3; ++i) {
        Heard tab = Hear(tabs, i);
        EXPECT_EQ(Utf8(tab.name), Utf8(tabCaptions[i - 1]));
        EXPECT_EQ(tab.role, ROLE_SYSTEM_PAGETAB);
    }
    tabs->Release();

    // The folder list's entries: each by its folder's name, described by its full path,
    // the open one (the game folder) said to be open.
    HWND dir1 = Descendant(main, IDC_DIR1);
    IAccessible* list = ObjectOf(dir1);
    ASSERT_NE(list, nullptr);
    Heard whole = Hear(list, CHILDID_SELF);
    long entries = static_cast<long>(SendMessageW(dir1, LB_GETCOUNT, 0, 0));
    EXPECT_EQ(whole.children, entries);
    wchar_t full[MAX_PATH * 2] = {};
    GetFullPathNameW(game.Path().c_str(), MAX_PATH * 2, full, nullptr);
    std::wstring open = full, openName = open.substr(open.find_last_of(L'\\') + 1);
    std::vector<Heard> items;
    for (long i = 1; i <= entries; ++i) {
        items.push_back(Hear(list, i));
        std::printf("main Dir1 entry %ld: \"%s\", description \"%s\" (role %ld)\n", i, Utf8(items.back().name).c_str(),
                    Utf8(items.back().description).c_str(), items.back().role);
        EXPECT_EQ(items.back().role, ROLE_SYSTEM_LISTITEM);
    }
    list->Release();
    ASSERT_GE(items.size(), 3u);
    EXPECT_EQ(Utf8(items.front().name), Utf8(open.substr(0, 3)));  // the drive's root
    EXPECT_EQ(Utf8(items.front().description), Utf8(open.substr(0, 3)));
    const Heard& openEntry = items[items.size() - 2];  // the game folder, then its one subfolder
    EXPECT_EQ(Utf8(openEntry.name), Utf8(openName));
    EXPECT_EQ(Utf8(openEntry.description), Utf8(open + L"（開いているフォルダ）"));
    EXPECT_EQ(Utf8(items.back().name), Utf8(L"セーブ置き場"));
    EXPECT_EQ(Utf8(items.back().description), Utf8(open + L"\\セーブ置き場"));
    for (size_t i = 0; i + 2 < items.size(); ++i)
        EXPECT_EQ(items[i].description.find(L"開いている"), std::wstring::npos) << Utf8(items[i].description);

    // The version window, from the menu: three labels heard as they read.
    PostMessageW(main, WM_COMMAND, IDM_VER, 0);
    HWND version = WaitForWindow(tool.dwProcessId, L"nadeshiro.help_ver");
    ASSERT_NE(version, nullptr);
    for (int id : {IDC_HELP_VER_LABEL1_0, IDC_HELP_VER_LABEL1_1, IDC_HELP_VER_LABEL1_2}) {
        std::wstring caption = CaptionOf(GetDlgItem(version, id));
        ExpectHeard(version, {"version", caption.c_str(), id, caption.c_str(), caption.c_str(), ROLE_SYSTEM_STATICTEXT});
    }

    // A back-up, as a user makes it: the first tab, a name, Command1; the memo window opens.
    HWND tab = Descendant(main, IDC_SSTAB1);
    PostMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 8));  // on the first tab
    PostMessageW(tab, WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
    HWND text1 = Descendant(main, IDC_TEXT1), command1 = Descendant(main, IDC_COMMAND1);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(command1) != FALSE; })) << "the first tab did not open";
    SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"読み上げの記録"));
    PostMessageW(command1, BM_CLICK, 0, 0);
    HWND memo = WaitForWindow(tool.dwProcessId, L"NadeshiroOmoide");
    ASSERT_NE(memo, nullptr) << "no memo window after the back-up";
    const Expected memoControls[] = {
        {"memo", L"Text1", IDC_OMOIDE_TEXT1, L"", L"思い出", ROLE_SYSTEM_TEXT},
        {"memo", L"Command1", IDC_OMOIDE_COMMAND1, L"思い出を保存するの", L"思い出を保存するの", ROLE_SYSTEM_PUSHBUTTON},
        {"memo", L"Command2", IDC_OMOIDE_COMMAND2, L"過去は振り返らないの", L"過去は振り返らないの", ROLE_SYSTEM_PUSHBUTTON},
        {"memo", L"Label1(3)", IDC_OMOIDE_LABEL1_3, L"『とっても便利なのー（にこにこ）』", L"『とっても便利なのー（にこにこ）』",
         ROLE_SYSTEM_STATICTEXT},
    };
    for (const Expected& e : memoControls) ExpectHeard(memo, e);
    EXPECT_EQ(ChildOrder(memo), (std::vector<int>{IDC_OMOIDE_TEXT1, IDC_OMOIDE_COMMAND1, IDC_OMOIDE_COMMAND2, IDC_OMOIDE_LABEL1_0,
                                                  IDC_OMOIDE_LABEL1_1, IDC_OMOIDE_LABEL1_2, IDC_OMOIDE_LABEL1_3}));
    EXPECT_TRUE(FolderExists(game / L"読み上げの記録"));

    // The tool ends by its menu's end item, every window with it.
    PostMessageW(main, WM_COMMAND, IDM_END, 0);
}

}  // namespace
