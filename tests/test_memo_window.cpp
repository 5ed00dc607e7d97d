#include "memo/memo_file.h"
#include "tests/test_support.h"
#include "tests/window_test_support.h"
#include "ui/memo_window.h"
#include "ui/version_window.h"

using namespace nadeshiro::ui;
static HWND C(const wchar_t* name) { return MemoForm().Control(name); }
static void Show(const std::wstring& folder)
{
    ShowMemoWindow(folder);
    Pump();
}

// The version window: one at a time; moved and closed with its close box, it loads afresh at
// its fixed place. The labels of the memo and version windows are blue (the version's last one
// black), in the colour each window answers its labels with; in high contrast every one of them
// takes the system's own text colour instead.
TEST(VersionWindow, IsOneWindowAtItsFixedPlaceAndItsLabelsAndTheMemoWindowsAreBlueUnlessInHighContrast)
{
    ShowMemoWindow(OwnFolder());
    ShowVersionWindow();
    HWND first = VersionForm().Window();
    ShowVersionWindow();
    EXPECT_EQ(VersionForm().Window(), first) << "a second version window";
    SetWindowPos(first, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(first));
    ShowVersionWindow();
    Pump();
    RECT client;
    GetClientRect(VersionForm().Window(), &client);
    MapWindowPoints(VersionForm().Window(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    const UINT dpi = WindowDpi(VersionForm().Window());
    const int x = TwipsToPixels(5505, dpi), y = TwipsToPixels(2835, dpi);
    EXPECT_EQ(client, (RECT{x, y, x + TwipsToPixels(5475, dpi), y + TwipsToPixels(1500, dpi)}));
    EXPECT_EQ(WindowText(VersionForm().Window()), L"バージョン情報");
    auto colours = [] {
        std::vector<COLORREF> found;
        HDC dc = CreateCompatibleDC(nullptr);
        for (Form* form : {&MemoForm(), &VersionForm()})
            for (const ControlDesc& label : form->Description().controls)
                if (label.kind == ControlKind::Label) {
                    SetTextColor(dc, RGB(1, 2, 3));
                    SendMessageW(form->Window(), WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(form->Control(label.id)));
                    found.push_back(GetTextColor(dc));
                }
        DeleteDC(dc);
        return found;
    };
    const COLORREF blue = RGB(0, 0, 255);
    EXPECT_THAT(colours(), ElementsAre(blue, blue, blue, blue, blue, blue, RGB(0, 0, 0)));
    // Switched on as a player does; where the system cannot (Wine has no high contrast: it
    // refuses the setting or answers "off" all the same), the tool is told to take it as on.
    HIGHCONTRASTW setting{sizeof setting, HCF_HIGHCONTRASTON, nullptr};
    if (!SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof setting, &setting, 0) ||
        !SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) || !(setting.dwFlags & HCF_HIGHCONTRASTON))
        AssumeHighContrast(true);
    EXPECT_THAT(colours(), ::testing::Each(GetSysColor(COLOR_WINDOWTEXT)));
    AssumeHighContrast(false);
    setting.dwFlags = 0;
    SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof setting, &setting, 0);
    for (HWND window : {MemoForm().Window(), VersionForm().Window()}) DestroyWindow(window);
}

// Discard and the close box write nothing. A memo code page 932 cannot hold is refused by
// name, the window staying with its text. A later back-up while the window is open keeps the
// text, and save writes the memo whole into the later folder, whatever the last command
// worked on, and unloads.
TEST(MemoWindow, EachWayOfClosingWritesExactlyWhatItShouldWhereItShould)
{
    TestFolder backup, later;
    Recorder recorder;
    for (const TestFolder* folder : {&backup, &later}) WriteBytes(*folder / L"omoide.txt", "\"older\"\r\n");
    for (const std::wstring button : {L"Command2", L"close box"}) {
        SCOPED_TRACE(Utf8(button));
        Show(backup.Path());
        SetWindowTextW(C(L"Text1"), L"abc\r\ndef");
        button != L"close box" ? Click(C(button.c_str())) : (SendMessageW(MemoForm().Window(), WM_SYSCOMMAND, SC_CLOSE, 0), Pump());
        EXPECT_EQ(ReadBytes(backup / L"omoide.txt"), "\"older\"\r\n");
        EXPECT_EQ(MemoForm().Window(), nullptr);
    }
    Show(backup.Path());
    SetWindowTextW(C(L"Text1"), L"書きかけ😀 안녕 😀");
    Click(C(L"Command1"));
    EXPECT_THAT(recorder.messages, ElementsAre(Message(UnsavableCharactersMessage(L"😀안녕"), 48)));
    EXPECT_EQ(WindowText(C(L"Text1")), L"書きかけ😀 안녕 😀");
    SetWindowTextW(C(L"Text1"), L"書きかけ\r\nabc");
    Show(later.Path());
    EXPECT_EQ(WindowText(C(L"Text1")), L"書きかけ\r\nabc");
    Module1::WorkPath = backup.Path();
    Click(C(L"Command1"));
    EXPECT_EQ(ReadBytes(later / L"omoide.txt"), "\"\x8f\x91\x82\xab\x82\xa9\x82\xaf\r\nabc\"\r\n");
    EXPECT_EQ(MemoForm().Window(), nullptr);
    EXPECT_EQ(ListFolder(backup.Path()), Names{L"omoide.txt"});
    EXPECT_EQ(ListFolder(later.Path()), Names{L"omoide.txt"});
    EXPECT_EQ(ReadBytes(backup / L"omoide.txt"), "\"older\"\r\n");
    Module1::WorkPath.clear();
}
