#include "memo/memo_file.h"
#include "tests/test_support.h"
#include "tests/window_test_support.h"
#include "ui/memo_window.h"

using namespace nadeshiro::ui;
static HWND C(const wchar_t* name) { return MemoForm().Control(name); }
static void Show(const std::wstring& folder) { ShowMemoWindow(folder); Pump(); }

TEST(MemoWindow, LoadsWithItsCaptionLayoutTextsAndBlueLabels)
{
    TestFolder backup;
    Show(backup.Path());
    HWND window = MemoForm().Window();
    EXPECT_EQ(WindowText(window), L"思い出（永遠はあるよ…僕のこと忘れないでね）");
    const struct { const wchar_t *name, *text; int left, top, width, height; } expected[] = {{nullptr, L"", 0, 0, 5655, 5490},
        {L"Label1(0)", L"『あのね』", 120, 120, 1455, 255}, {L"Label1(1)", L"『このセーブデータでどんな思い出があるか記録しておくと』", 120, 360, 5415, 255},
        {L"Label1(2)", L"『あとで復元する時にね』", 120, 600, 5415, 255}, {L"Label1(3)", L"『とっても便利なのー（にこにこ）』", 120, 840, 5415, 255},
        {L"Text1", L"", 120, 1200, 5415, 3615}, {L"Command1", L"思い出を保存するの", 1440, 5040, 1935, 375},
        {L"Command2", L"過去は振り返らないの", 3600, 5040, 1935, 375}};
    const UINT dpi = WindowDpi(window);
    HDC dc = CreateCompatibleDC(nullptr);
    for (const auto& e : expected) {
        RECT is, want{TwipsToPixels(e.left, dpi), TwipsToPixels(e.top, dpi), 0, 0};
        want.right = want.left + TwipsToPixels(e.width, dpi), want.bottom = want.top + TwipsToPixels(e.height, dpi);
        e.name ? void(is = RectInWindow(C(e.name))) : void(GetClientRect(window, &is));
        EXPECT_TRUE(SameRect(is, want) && (!e.name || WindowText(C(e.name)) == e.text)) << Utf8(e.text) << " at " << Describe(is);
        SetTextColor(dc, RGB(0, 0, 0));
        if (e.text[0] == L'『') SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(C(e.name)));
        EXPECT_TRUE(e.text[0] != L'『' || GetTextColor(dc) == RGB(0, 0, 255)) << Utf8(e.text) << " not blue";
    }
    DeleteDC(dc);
    DestroyWindow(window);
}

// Save writes the memo whole and unloads; discard and the close box write nothing; a memo
// code page 932 cannot hold is refused by name, the window staying with its text. A later
// back-up while the window is open keeps the text and saves into the later folder.
TEST(MemoWindow, EachWayOfClosingWritesExactlyWhatItShould)
{
    TestFolder backup, later;
    Recorder recorder;
    WriteBytes(backup / L"omoide.txt", "\"older\"\r\n");
    for (const std::wstring button : {L"Command2", L"close box", L"Command1"}) {
        Show(backup.Path());
        SetWindowTextW(C(L"Text1"), L"abc\r\ndef");
        button != L"close box" ? Click(C(button.c_str())) : (SendMessageW(MemoForm().Window(), WM_SYSCOMMAND, SC_CLOSE, 0), Pump());
        EXPECT_EQ(ReadBytes(backup / L"omoide.txt"), button == L"Command1" ? "\"abc\r\ndef\"\r\n" : "\"older\"\r\n") << Utf8(button);
        EXPECT_TRUE(ListFolder(backup.Path()) == Names{L"omoide.txt"} && !MemoForm().Window());
    }
    Show(backup.Path());
    SetWindowTextW(C(L"Text1"), L"書きかけ😀 안녕 😀");
    Click(C(L"Command1"));
    EXPECT_TRUE(recorder.Said(UnsavableCharactersMessage(L"😀안녕"), 48) && WindowText(C(L"Text1")) == L"書きかけ😀 안녕 😀");
    SetWindowTextW(C(L"Text1"), L"書きかけ");
    Show(later.Path());
    EXPECT_EQ(WindowText(C(L"Text1")), L"書きかけ");
    Module1::WorkPath = backup.Path();
    Click(C(L"Command1"));
    EXPECT_EQ(ReadBytes(later / L"omoide.txt"), "\"\x8f\x91\x82\xab\x82\xa9\x82\xaf\"\r\n");
    EXPECT_EQ(ReadBytes(backup / L"omoide.txt"), "\"abc\r\ndef\"\r\n");
    Module1::WorkPath.clear();
}
