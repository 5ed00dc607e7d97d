#include "memo/memo_file.h"
#include "tests/test_support.h"
#include "tests/window_test_support.h"
#include "ui/memo_window.h"
#include "ui/version_window.h"

using namespace nadeshiro::ui;
static HWND C(const wchar_t* name) { return MemoForm().Control(name); }
static void Show(const std::wstring& folder) { ShowMemoWindow(folder); Pump(); }

// The text colour a label of window is drawn in, as the window answers the label.
static COLORREF TextColourOf(HWND window, HWND label)
{
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));
    SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label));
    COLORREF colour = GetTextColor(dc);
    DeleteDC(dc);
    return colour;
}

// Switches the system's high contrast on for as long as it lives, as a player does. Where the
// system cannot (Wine has no high contrast: it refuses the setting or answers "off" all the
// same), the tool is told to take it as on.
struct HighContrastOn {
    HIGHCONTRASTW setting{sizeof setting, HCF_HIGHCONTRASTON, nullptr};
    HighContrastOn()
    {
        if (!SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof setting, &setting, 0) ||
            !SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) || !(setting.dwFlags & HCF_HIGHCONTRASTON))
            AssumeHighContrast(true);
    }
    ~HighContrastOn()
    {
        AssumeHighContrast(false);
        setting.dwFlags = 0;
        SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof setting, &setting, 0);
    }
};

// The labels of the memo and version windows are blue (the version's last one black); in high
// contrast every one of them takes the system's own text colour instead.
TEST(MemoWindow, LabelsAreBlueUnlessTheSystemIsInHighContrast)
{
    TestFolder backup;
    Show(backup.Path());
    ShowVersionWindow();
    Pump();
    HWND memo = MemoForm().Window(), version = VersionForm().Window();
    for (const wchar_t* label : {L"Label1(0)", L"Label1(1)", L"Label1(2)", L"Label1(3)"})
        EXPECT_EQ(TextColourOf(memo, C(label)), RGB(0, 0, 255)) << Utf8(label);
    EXPECT_EQ(TextColourOf(version, VersionForm().Control(L"Label1(0)")), RGB(0, 0, 255));
    EXPECT_EQ(TextColourOf(version, VersionForm().Control(L"Label1(2)")), RGB(0, 0, 0));
    {
        HighContrastOn contrast;
        for (const wchar_t* label : {L"Label1(0)", L"Label1(1)", L"Label1(2)", L"Label1(3)"})
            EXPECT_EQ(TextColourOf(memo, C(label)), GetSysColor(COLOR_WINDOWTEXT)) << Utf8(label);
        EXPECT_EQ(TextColourOf(version, VersionForm().Control(L"Label1(0)")), GetSysColor(COLOR_WINDOWTEXT));
        EXPECT_EQ(TextColourOf(version, VersionForm().Control(L"Label1(2)")), GetSysColor(COLOR_WINDOWTEXT));
    }
    EXPECT_EQ(TextColourOf(memo, C(L"Label1(0)")), RGB(0, 0, 255));
    DestroyWindow(memo);
    DestroyWindow(version);
}

// Save writes the memo whole and unloads; discard and the close box write nothing.
TEST(MemoWindow, EachWayOfClosingWritesExactlyWhatItShould)
{
    TestFolder backup;
    Recorder recorder;
    WriteBytes(backup / L"omoide.txt", "\"older\"\r\n");
    for (const std::wstring button : {L"Command2", L"close box", L"Command1"}) {
        SCOPED_TRACE(Utf8(button));
        Show(backup.Path());
        SetWindowTextW(C(L"Text1"), L"abc\r\ndef");
        button != L"close box" ? Click(C(button.c_str())) : (SendMessageW(MemoForm().Window(), WM_SYSCOMMAND, SC_CLOSE, 0), Pump());
        EXPECT_EQ(ReadBytes(backup / L"omoide.txt"), button == L"Command1" ? "\"abc\r\ndef\"\r\n" : "\"older\"\r\n");
        EXPECT_EQ(ListFolder(backup.Path()), Names{L"omoide.txt"});
        EXPECT_EQ(MemoForm().Window(), nullptr);
    }
    EXPECT_THAT(recorder.messages, IsEmpty());
}

// A memo code page 932 cannot hold is refused by name, the window staying with its text. A
// later back-up while the window is open keeps the text and saves into the later folder,
// whatever the last command worked on.
TEST(MemoWindow, RefusesWhatCodePage932CannotHoldAndSavesIntoTheLatestBackUp)
{
    TestFolder backup, later;
    Recorder recorder;
    Show(backup.Path());
    SetWindowTextW(C(L"Text1"), L"書きかけ😀 안녕 😀");
    Click(C(L"Command1"));
    EXPECT_THAT(recorder.messages, ElementsAre(Message(UnsavableCharactersMessage(L"😀안녕"), 48)));
    EXPECT_EQ(WindowText(C(L"Text1")), L"書きかけ😀 안녕 😀");
    EXPECT_EQ(ListFolder(backup.Path()), Names{});
    SetWindowTextW(C(L"Text1"), L"書きかけ");
    Show(later.Path());
    EXPECT_EQ(WindowText(C(L"Text1")), L"書きかけ");
    Module1::WorkPath = backup.Path();
    Click(C(L"Command1"));
    EXPECT_EQ(ReadBytes(later / L"omoide.txt"), "\"\x8f\x91\x82\xab\x82\xa9\x82\xaf\"\r\n");
    EXPECT_EQ(ListFolder(backup.Path()), Names{});
    Module1::WorkPath.clear();
}
