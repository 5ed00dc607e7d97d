// What a screen reader hears from another process: each control's name and standard role, captions
// unchanged, the folder list's entries (which folder, which one is open), the controls in focus order.
#include "tests/test_support.h"

#include <commctrl.h>
#include <oleacc.h>

#include "app/resource.h"
#include "app/version.h"
#include "tests/window_test_support.h"

namespace {

using ::testing::Field;

// What is heard of an accessible object or of one of its children.
struct Heard {
    std::string name, description;
    long role;
};
void PrintTo(const Heard& heard, std::ostream* out) { *out << heard.name << " (" << heard.description << "), role " << heard.role; }
auto Said(const std::wstring& name, long role) { return AllOf(Field("name", &Heard::name, Utf8(name)), Field("role", &Heard::role, role)); }

// What a screen reader in another process hears of a window: its object, then each child of the object.
std::vector<Heard> Hear(HWND window)
{
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, DWORD(OBJID_CLIENT), __uuidof(IAccessible), reinterpret_cast<void**>(&object))))
        return {{"<no accessible object>", "", -1}};
    long count = 0;
    object->get_accChildCount(&count);
    std::vector<Heard> heard;
    for (long id = CHILDID_SELF; id <= count; ++id) {
        VARIANT child{}, role{};
        child.vt = VT_I4, child.lVal = id;
        std::string said[2];
        BSTR b = nullptr;
        for (int i = 0; i < 2; ++i, SysFreeString(b), b = nullptr)
            if (SUCCEEDED((object->*(i == 0 ? &IAccessible::get_accName : &IAccessible::get_accDescription))(child, &b)) && b != nullptr)
                said[i] = Utf8(std::wstring(b, SysStringLen(b)));
        object->get_accRole(child, &role);
        heard.push_back({said[0], said[1], role.vt == VT_I4 ? role.lVal : -1});
    }
    object->Release();
    return heard;
}

// The control identifiers of a window's children as its object gives them (0 for a tab page).
std::vector<int> ChildOrder(HWND window)
{
    IAccessible* object = nullptr;
    VARIANT children[16];
    long got = 0;
    if (SUCCEEDED(AccessibleObjectFromWindow(window, DWORD(OBJID_CLIENT), __uuidof(IAccessible), reinterpret_cast<void**>(&object))))
        AccessibleChildren(object, 0, 16, children, &got), object->Release();
    std::vector<int> ids;
    for (long i = 0; i < got; ++i) {
        HWND hwnd = nullptr;
        if (children[i].vt == VT_DISPATCH) WindowFromAccessibleObject(static_cast<IAccessible*>(children[i].pdispVal), &hwnd);
        ids.push_back(hwnd != nullptr ? GetDlgCtrlID(hwnd) : -1);
        VariantClear(&children[i]);
    }
    return ids;
}

// The tool, started in a game folder of its own, its main window shown and each tab visited
// with the arrow keys as a user would (a page's controls are there once its tab has been
// shown), the start tab taken again; then a back-up made, which opens the memo window, and
// the version window opened from the menu. Ended with the test.
struct ScreenReader : ::testing::Test {
    TestFolder game{L"", L"screen reader game "};
    PROCESS_INFORMATION process{};
    HWND windows[3] = {};  // the main window, the memo window, the version window
    void SetUp() override
    {
        const std::wstring exe = EnvironmentPath(L"NADESHIRO_EXE");
        ASSERT_NE((process = StartProcess(exe, L"\"" + exe + L"\"", game.Path())).hProcess, nullptr) << "NADESHIRO_EXE names the built program";
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        HWND& main = windows[0];
        ASSERT_TRUE(WaitFor([&] {
            DWORD owner = 0;
            GetWindowThreadProcessId(main = FindWindowW(L"nadeshiro", nullptr), &owner);
            return owner == process.dwProcessId && IsWindowVisible(main);
        }, 30000));
        ASSERT_TRUE(WaitFor([&] { return SendMessageW(Descendant(main, IDC_DIR1), LB_GETCOUNT, 0, 0) > 0; }));  // filled once the window is shown
        for (WPARAM key : {VK_LEFT, VK_RIGHT, VK_RIGHT, VK_LEFT}) SendMessageW(Descendant(main, IDC_SSTAB1), WM_KEYDOWN, key, 0);
        SendMessageW(Descendant(main, IDC_TEXT1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"読み上げの退避"));
        PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_COMMAND1, BN_CLICKED), 0);
        PostMessageW(main, WM_COMMAND, IDM_VER, 0);
        ASSERT_TRUE(WaitFor([&] {
            return (windows[1] = FindWindowW(L"NadeshiroOmoide", nullptr)) && (windows[2] = FindWindowW(L"nadeshiro.help_ver", nullptr));
        }));
    }
    void TearDown() override { if (process.hProcess) TerminateProcess(process.hProcess, 1), CloseHandle(process.hProcess), CloseHandle(process.hThread); }
};

// The focusable controls and the version window's title: the window (0 main, 1 memo, 2 version),
// the caption shown (none checked for a text box the back-up's name was typed into), the name,
// the standard role.
struct Control { int window, id; const wchar_t *caption, *name; long role; };
const Control kControls[] = {{0, IDC_SSTAB1, L"", L"操作を選ぶタブ", ROLE_SYSTEM_PAGETABLIST},
    {0, IDC_DRIVE1, nullptr, L"ドライブ", ROLE_SYSTEM_COMBOBOX}, {0, IDC_DIR1, L"", L"フォルダ", ROLE_SYSTEM_LIST},
    {0, IDC_TEXT1, nullptr, L"新しいフォルダの名前", ROLE_SYSTEM_TEXT}, {0, IDC_TEXT2, L"", L"思い出", ROLE_SYSTEM_TEXT},
    {0, IDC_COMMAND1, L"実行するの", L"実行するの（セーブデータを退避）", ROLE_SYSTEM_PUSHBUTTON},
    {0, IDC_COMMAND2, L"実行するの", L"実行するの（退避データを復元）", ROLE_SYSTEM_PUSHBUTTON},
    {0, IDC_COMMAND3, L"表示できるの", L"表示できるの（思い出を読む）", ROLE_SYSTEM_PUSHBUTTON},
    {0, IDC_COMMAND4, L"永遠の世界へ旅立つ（oneを起動する）", L"永遠の世界へ旅立つ（oneを起動する）", ROLE_SYSTEM_PUSHBUTTON},
    {1, IDC_OMOIDE_TEXT1, L"", L"思い出", ROLE_SYSTEM_TEXT},
    {1, IDC_OMOIDE_COMMAND1, L"思い出を保存するの", L"思い出を保存するの", ROLE_SYSTEM_PUSHBUTTON},
    {1, IDC_OMOIDE_COMMAND2, L"過去は振り返らないの", L"過去は振り返らないの", ROLE_SYSTEM_PUSHBUTTON},
    {2, IDC_HELP_VER_LABEL1_0, L"" NADESHIRO_PRODUCT_LABEL, L"" NADESHIRO_PRODUCT_LABEL, ROLE_SYSTEM_STATICTEXT}};
const wchar_t* const kTabCaptions[] = {L"セーブデータを退避", L"退避データを復元", L"思い出を読む"};

TEST_F(ScreenReader, EveryControlSaysWhatItIsInFocusOrderWithItsCaptionUnchanged)
{
    for (const Control& e : kControls) {
        SCOPED_TRACE(Utf8(e.name));
        HWND control = Descendant(windows[e.window], e.id);
        EXPECT_THAT(Hear(control)[0], Said(e.name, e.role));
        wchar_t caption[512] = {};  // GetWindowText gives another process's controls their first caption
        SendMessageW(control, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(caption));
        if (e.caption != nullptr) {
            EXPECT_EQ(std::wstring(caption), e.caption);
        }
    }
    // The tabs by their captions, with the page tab role.
    EXPECT_THAT(Hear(Descendant(windows[0], IDC_SSTAB1)), ElementsAre(::testing::_, Said(kTabCaptions[0], ROLE_SYSTEM_PAGETAB),
        Said(kTabCaptions[1], ROLE_SYSTEM_PAGETAB), Said(kTabCaptions[2], ROLE_SYSTEM_PAGETAB)));
    // The folder list's entries: the drive's root, each folder down to the open one (the game
    // folder), then its one subfolder, the new back-up; each by its folder's name, described by
    // its full path, the open one said to be open, and only it.
    const std::wstring own = OwnFolder(), open = game.Path();
    auto entry = [](const std::wstring& name, const std::wstring& path) {
        return AllOf(Said(name, ROLE_SYSTEM_LISTITEM), Field("description", &Heard::description, Utf8(path)));
    };
    EXPECT_THAT(Hear(Descendant(windows[0], IDC_DIR1)), ElementsAre(::testing::_, entry(L"R:\\", L"R:\\"), entry(own.substr(3), own),
        entry(open.substr(own.size() + 1), open + L"（開いているフォルダ）"), entry(L"読み上げの退避", game / L"読み上げの退避")));

    // Children in focus order, which goes round: the lists, the three pages, the wide button, then the tab
    // control, which lies beneath the pages; a page's own; the memo window's.
    EXPECT_THAT(ChildOrder(windows[0]), ElementsAre(IDC_DRIVE1, IDC_DIR1, 0, 0, 0, IDC_COMMAND4, IDC_SSTAB1));
    EXPECT_THAT(ChildOrder(GetParent(Descendant(windows[0], IDC_TEXT2))), ElementsAre(IDC_TEXT2, IDC_LABEL1_0, IDC_LABEL1_1, IDC_COMMAND3));
    EXPECT_THAT(ChildOrder(windows[1]), ElementsAre(IDC_OMOIDE_TEXT1, IDC_OMOIDE_COMMAND1, IDC_OMOIDE_COMMAND2, IDC_OMOIDE_LABEL1_0,
                                                    IDC_OMOIDE_LABEL1_1, IDC_OMOIDE_LABEL1_2, IDC_OMOIDE_LABEL1_3));

    PostMessageW(windows[0], WM_COMMAND, IDM_END, 0);  // the menu's end item ends the tool
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), DWORD(WAIT_OBJECT_0)) << "the tool did not end";
}

}  // namespace
