// The memo window, form omoide: the memo box, two buttons and four blue lines that say why a
// memo helps. One instance, modeless and without owner; it saves into the back-up folder it
// was last shown for, never into whatever the last command worked on.
#include "ui/memo_window.h"

#include "app/codepage.h"
#include "app/handler.h"
#include "app/platform.h"
#include "app/resource.h"
#include "memo/memo_file.h"

namespace nadeshiro::ui {

namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);
using K = ControlKind;

// In focus order.
const ControlDesc kControls[] = {
    {L"Text1", IDC_OMOIDE_TEXT1, K::MultiLineTextBox, L"", L"思い出", 120, 1200, 5415, 3615},
    {L"Command1", IDC_OMOIDE_COMMAND1, K::Button, L"思い出を保存するの", nullptr, 1440, 5040, 1935, 375},
    {L"Command2", IDC_OMOIDE_COMMAND2, K::Button, L"過去は振り返らないの", nullptr, 3600, 5040, 1935, 375},
    {L"Label1(0)", IDC_OMOIDE_LABEL1_0, K::Label, L"『あのね』", nullptr, 120, 120, 1455, 255, kOnWindow, kBlue},
    {L"Label1(1)", IDC_OMOIDE_LABEL1_1, K::Label, L"『このセーブデータでどんな思い出があるか記録しておくと』", nullptr, 120, 360, 5415,
     255, kOnWindow, kBlue},
    {L"Label1(2)", IDC_OMOIDE_LABEL1_2, K::Label, L"『あとで復元する時にね』", nullptr, 120, 600, 5415, 255, kOnWindow, kBlue},
    {L"Label1(3)", IDC_OMOIDE_LABEL1_3, K::Label, L"『とっても便利なのー（にこにこ）』", nullptr, 120, 840, 5415, 255, kOnWindow, kBlue},
};

const FormDesc kForm{.className = L"NadeshiroOmoide",
                     .caption = L"思い出（永遠はあるよ…僕のこと忘れないでね）",
                     .clientWidth = 5655,
                     .clientHeight = 5490,
                     .style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                     .controls = kControls};

Form g_form(kForm);
std::wstring g_folder;  // the folder the save writes into; it outlives the window

// Save: the memo goes into the window's back-up folder as "omoide.txt" and the window
// unloads. A memo that code page 932 cannot hold is refused by name; a failing write is
// reported. Either way the window stays with its text.
void Command1_Click()
{
    std::wstring text = WindowText(g_form.Control(IDC_OMOIDE_TEXT1));
    std::wstring unsavable = UnmappableCharacters(text);
    if (!unsavable.empty()) {
        platform::ShowMessage(UnsavableCharactersMessage(unsavable), platform::kStyleWarning, kMessageTitle);
        return;
    }
    WriteMemo(g_folder, text);
    DestroyWindow(g_form.Window());
}

// Discard: the window unloads and nothing is written.
void Command2_Click() { DestroyWindow(g_form.Window()); }

LRESULT CALLBACK MemoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Guarded<LRESULT>(0, [&]() -> LRESULT {
        if (message == WM_COMMAND) {
            switch (LOWORD(wParam)) {
            case IDC_OMOIDE_COMMAND1: Command1_Click(); return 0;
            case IDC_OMOIDE_COMMAND2: Command2_Click(); return 0;
            default: break;
            }
        }
        return g_form.Default(window, message, wParam, lParam);
    });
}

}  // namespace

void ShowMemoWindow(const std::wstring& backupFolder)
{
    g_folder = backupFolder;
    g_form.Load(nullptr, MemoWindowProc);
    g_form.Show();
}

Form& MemoForm() { return g_form; }
const std::wstring& MemoWindowFolder() { return g_folder; }

}  // namespace nadeshiro::ui
