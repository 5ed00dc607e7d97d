// What a screen reader hears from another process: each control's name and standard role, captions
// unchanged, the folder list's entries (which folder, which one is open), the controls in focus order.
#include "tests/test_support.h"

#include <commctrl.h>
#include <oleacc.h>

#include "app/resource.h"
#include "app/version.h"
#include "tests/ui_automation.h"
#include "tests/window_test_support.h"

namespace {

// What is heard of an object (CHILDID_SELF) or its child.
struct Heard {
    std::string name, description;
    long role;
};
Heard Hear(IAccessible* object, long id)
{
    VARIANT child{}, role{};
    child.vt = VT_I4, child.lVal = id;
    std::string said[2];
    BSTR b = nullptr;
    for (int i = 0; i < 2; ++i, SysFreeString(b), b = nullptr)
        if (SUCCEEDED((object->*(i == 0 ? &IAccessible::get_accName : &IAccessible::get_accDescription))(child, &b)) && b != nullptr)
            said[i] = Utf8(std::wstring(b, SysStringLen(b)));
    object->get_accRole(child, &role);
    return {said[0], said[1], role.vt == VT_I4 ? role.lVal : -1};
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

// The tool, started in a game folder of its own, its main window shown and each tab visited
// with the arrow keys as a user would (a page's controls are there once its tab has been
// shown), the start tab taken again; ended with the test.
struct ScreenReader : ::testing::Test {
    TestFolder game{L"", L"screen reader game "};
    PROCESS_INFORMATION process{};
    HWND main = nullptr;
    void SetUp() override
    {
        CreateDirectoryW((game / L"セーブ置き場").c_str(), nullptr);
        const std::wstring exe = EnvironmentPath(L"NADESHIRO_EXE");
        ASSERT_NE((process = StartProcess(exe, L"\"" + exe + L"\"", game.Path())).hProcess, nullptr) << "NADESHIRO_EXE names the built program";
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(WaitFor([&] {
            DWORD owner = 0;
            GetWindowThreadProcessId(main = FindWindowW(L"nadeshiro", nullptr), &owner);
            return owner == process.dwProcessId && IsWindowVisible(main);
        }, 30000));
        ASSERT_TRUE(WaitFor([&] { return SendMessageW(Descendant(main, IDC_DIR1), LB_GETCOUNT, 0, 0) > 0; }));  // filled once the window is shown
        HWND tabs = Descendant(main, IDC_SSTAB1);
        for (WPARAM key : {VK_LEFT, VK_RIGHT, VK_RIGHT, VK_LEFT}) SendMessageW(tabs, WM_KEYDOWN, key, 0);
        EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 1);
    }
    void TearDown() override { if (process.hProcess) TerminateProcess(process.hProcess, 1), CloseHandle(process.hProcess), CloseHandle(process.hThread); }
};

// The main window's focusable controls: caption as shown, name, standard role, UI Automation control type.
struct Control { int id; std::wstring caption; const wchar_t* name; long role; int type; };
std::vector<Control> MainControls(HWND main)
{
    std::wstring drive = CaptionOf(Descendant(main, IDC_DRIVE1));  // the drive list's caption: the selected drive
    return {{IDC_SSTAB1, L"", L"操作を選ぶタブ", ROLE_SYSTEM_PAGETABLIST, uia::Tab}, {IDC_DRIVE1, drive, L"ドライブ", ROLE_SYSTEM_COMBOBOX, uia::ComboBox},
        {IDC_DIR1, L"", L"フォルダ", ROLE_SYSTEM_LIST, uia::List}, {IDC_TEXT1, L"", L"新しいフォルダの名前", ROLE_SYSTEM_TEXT, uia::Edit},
        {IDC_COMMAND1, L"実行するの", L"実行するの（セーブデータを退避）", ROLE_SYSTEM_PUSHBUTTON, uia::Button},
        {IDC_COMMAND2, L"実行するの", L"実行するの（退避データを復元）", ROLE_SYSTEM_PUSHBUTTON, uia::Button},
        {IDC_TEXT2, L"", L"思い出", ROLE_SYSTEM_TEXT, uia::Edit}, {IDC_COMMAND3, L"表示できるの", L"表示できるの（思い出を読む）", ROLE_SYSTEM_PUSHBUTTON, uia::Button},
        {IDC_COMMAND4, L"永遠の世界へ旅立つ（oneを起動する）", L"永遠の世界へ旅立つ（oneを起動する）", ROLE_SYSTEM_PUSHBUTTON, uia::Button}};
}
const wchar_t* const kTabCaptions[] = {L"セーブデータを退避", L"退避データを復元", L"思い出を読む"};

TEST_F(ScreenReader, EveryControlSaysWhatItIsInFocusOrderWithItsCaptionUnchanged)
{
    for (const auto& e : MainControls(main)) {
        SCOPED_TRACE(e.id);
        HWND control = Descendant(main, e.id);
        IAccessible* object = ObjectOf(control);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(Hear(object, CHILDID_SELF).name, Utf8(e.name));
        EXPECT_EQ(Hear(object, CHILDID_SELF).role, e.role);
        EXPECT_EQ(CaptionOf(control), e.caption);
        for (long i = 1; e.id == IDC_SSTAB1 && i <= 3; ++i) {  // the tabs by their captions, with the page tab role
            EXPECT_EQ(Hear(object, i).name, Utf8(kTabCaptions[i - 1]));
            EXPECT_EQ(Hear(object, i).role, ROLE_SYSTEM_PAGETAB);
        }
        object->Release();
    }
    // Children in focus order, which goes round: the lists, the three pages, the wide button, then the tab
    // control, which lies beneath the pages; a page's own.
    EXPECT_THAT(ChildOrder(main), ElementsAre(IDC_DRIVE1, IDC_DIR1, 0, 0, 0, IDC_COMMAND4, IDC_SSTAB1));
    EXPECT_THAT(ChildOrder(GetParent(Descendant(main, IDC_TEXT2))), ElementsAre(IDC_TEXT2, IDC_LABEL1_0, IDC_LABEL1_1, IDC_COMMAND3));

    // The folder list's entries: the drive's root, each folder down to the open one (the game
    // folder), then its one subfolder; each by its folder's name, described by its full path,
    // the open one said to be open, and only it.
    std::wstring open(MAX_PATH * 2, L'\0');
    open.resize(GetFullPathNameW(game.Path().c_str(), MAX_PATH * 2, open.data(), nullptr));
    std::vector<std::string> names{Utf8(open.substr(0, 3))}, descriptions{Utf8(open.substr(0, 3))};
    for (size_t end = open.find(L'\\', 3);; end = open.find(L'\\', end + 1)) {
        const std::wstring path = open.substr(0, end);
        names.push_back(Utf8(path.substr(path.find_last_of(L'\\') + 1)));
        descriptions.push_back(Utf8(path + (end == std::wstring::npos ? L"（開いているフォルダ）" : L"")));
        if (end == std::wstring::npos) break;
    }
    names.push_back(Utf8(L"セーブ置き場")), descriptions.push_back(Utf8(open + L"\\セーブ置き場"));
    IAccessible* list = ObjectOf(Descendant(main, IDC_DIR1));
    ASSERT_NE(list, nullptr);
    long count = 0;
    ASSERT_EQ(list->get_accChildCount(&count), S_OK);
    std::vector<std::string> heardNames, heardDescriptions;
    std::vector<long> roles;
    for (long i = 1; i <= count; ++i) {
        const Heard heard = Hear(list, i);
        heardNames.push_back(heard.name), heardDescriptions.push_back(heard.description), roles.push_back(heard.role);
    }
    list->Release();
    EXPECT_EQ(heardNames, names);
    EXPECT_EQ(heardDescriptions, descriptions);
    EXPECT_EQ(roles, std::vector<long>(names.size(), ROLE_SYSTEM_LISTITEM));

    // The memo window, opened by a back-up, and the version window, opened from the menu.
    SendMessageW(Descendant(main, IDC_TEXT1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"読み上げの退避"));
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_COMMAND1, BN_CLICKED), 0);
    PostMessageW(main, WM_COMMAND, IDM_VER, 0);
    HWND memo = nullptr, version = nullptr;
    WaitFor([&] { return (memo = FindWindowW(L"NadeshiroOmoide", nullptr)) && (version = FindWindowW(L"nadeshiro.help_ver", nullptr)); });
    const struct { HWND window; int id; const wchar_t* name; long role; } others[] = {
        {memo, IDC_OMOIDE_TEXT1, L"思い出", ROLE_SYSTEM_TEXT}, {memo, IDC_OMOIDE_COMMAND1, L"思い出を保存するの", ROLE_SYSTEM_PUSHBUTTON},
        {memo, IDC_OMOIDE_COMMAND2, L"過去は振り返らないの", ROLE_SYSTEM_PUSHBUTTON},
        {version, IDC_HELP_VER_LABEL1_0, L"" NADESHIRO_PRODUCT_LABEL, ROLE_SYSTEM_STATICTEXT}};
    for (const auto& e : others) {
        SCOPED_TRACE(e.id);
        IAccessible* object = e.window != nullptr ? ObjectOf(Descendant(e.window, e.id)) : nullptr;
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(Hear(object, CHILDID_SELF).name, Utf8(e.name));
        EXPECT_EQ(Hear(object, CHILDID_SELF).role, e.role);
        object->Release();
    }
    EXPECT_THAT(ChildOrder(memo), ElementsAre(IDC_OMOIDE_TEXT1, IDC_OMOIDE_COMMAND1, IDC_OMOIDE_COMMAND2, IDC_OMOIDE_LABEL1_0,
                                              IDC_OMOIDE_LABEL1_1, IDC_OMOIDE_LABEL1_2, IDC_OMOIDE_LABEL1_3));

    PostMessageW(main, WM_COMMAND, IDM_END, 0);  // the menu's end item ends the tool
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), DWORD(WAIT_OBJECT_0)) << "the tool did not end";
}

// The name of an element through UI Automation, and its control type.
std::pair<std::string, int> HeardThroughUia(uia::Element* element)
{
    BSTR name = nullptr;
    int type = 0;
    element->get_CurrentName(&name);
    element->get_CurrentControlType(&type);
    std::pair<std::string, int> heard{Utf8(name != nullptr ? std::wstring(name, SysStringLen(name)) : L"<no name>"), type};
    SysFreeString(name);
    return heard;
}

// The same names through UI Automation, which Windows' own Narrator and newer screen readers
// use: each focusable control with the name it has through the standard accessible object and
// its control type, the tab control a Tab of three TabItems named by their captions. Wine 8
// has no UI Automation: there this case is skipped (Wine 9 and later have it).
TEST_F(ScreenReader, UiAutomationGivesTheSameNamesAndControlTypes)
{
    uia::Automation* automation = nullptr;
    if (FAILED(CoCreateInstance(uia::ClassId, nullptr, CLSCTX_INPROC_SERVER, uia::InterfaceId, reinterpret_cast<void**>(&automation))))
        GTEST_SKIP() << "this system has no UI Automation";
    uia::Condition* all = nullptr;
    ASSERT_EQ(automation->CreateTrueCondition(&all), S_OK);
    for (const auto& e : MainControls(main)) {
        uia::Element* element = nullptr;
        ASSERT_EQ(automation->ElementFromHandle(Descendant(main, e.id), &element), S_OK) << e.id;
        ASSERT_NE(element, nullptr) << e.id;
        EXPECT_EQ(HeardThroughUia(element), std::make_pair(Utf8(e.name), e.type));
        if (e.id == IDC_SSTAB1) {
            uia::ElementArray* tabs = nullptr;
            int count = 0;
            if (SUCCEEDED(element->FindAll(uia::Children, all, &tabs)) && tabs != nullptr) tabs->get_Length(&count);
            EXPECT_EQ(count, 3);
            for (int i = 0; i < count; ++i) {
                uia::Element* tab = nullptr;
                tabs->GetElement(i, &tab);
                ASSERT_NE(tab, nullptr);
                EXPECT_EQ(HeardThroughUia(tab), std::make_pair(Utf8(kTabCaptions[i]), int(uia::TabItem)));
                tab->Release();
            }
            if (tabs) tabs->Release();
        }
        element->Release();
    }
    all->Release();
    automation->Release();
}

}  // namespace
