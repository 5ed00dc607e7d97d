// The memo window as a user meets it: real windows, real files, the buttons pressed and the
// keys sent the way the program's message loop sends them.

#include "memo/memo_file.h"
#include "tests/test_support.h"
#include "tests/window_test_support.h"
#include "ui/memo_window.h"

using namespace nadeshiro::ui;

namespace {

struct MemoWindowTest : ::testing::Test {
    TestFolder backup;
    Recorder recorder;
    static HWND C(const wchar_t* name) { return MemoForm().Control(name); }
    static void Show(const std::wstring& folder) { ShowMemoWindow(folder); Pump(); }
    void TearDown() override { DestroyWindow(MemoForm().Window()); Module1::WorkPath.clear(); }
};

TEST_F(MemoWindowTest, LoadsWithItsCaptionLayoutTextsAndBlueLabels)
{
    Show(backup.Path());
    EXPECT_EQ(WindowText(MemoForm().Window()), L"思い出（永遠はあるよ…僕のこと忘れないでね）");
    UINT dpi = WindowDpi(MemoForm().Window());
    RECT client;
    GetClientRect(MemoForm().Window(), &client);
    EXPECT_TRUE(SameRect(client, {0, 0, TwipsToPixels(5655, dpi), TwipsToPixels(5490, dpi)})) << Describe(client);
    const struct { const wchar_t *name, *text; int left, top, width, height; } expected[] = {
        {L"Label1(0)", L"『あのね』", 120, 120, 1455, 255},
        {L"Label1(1)", L"『このセーブデータでどんな思い出があるか記録しておくと』", 120, 360, 5415, 255},
        {L"Label1(2)", L"『あとで復元する時にね』", 120, 600, 5415, 255},
        {L"Label1(3)", L"『とっても便利なのー（にこにこ）』", 120, 840, 5415, 255},
        {L"Text1", L"", 120, 1200, 5415, 3615},
        {L"Command1", L"思い出を保存するの", 1440, 5040, 1935, 375},
        {L"Command2", L"過去は振り返らないの", 3600, 5040, 1935, 375},
    };
    HDC dc = CreateCompatibleDC(nullptr);
    for (const auto& e : expected) {
        SCOPED_TRACE(Utf8(e.name));
        HWND control = C(e.name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(WindowText(control), e.text);
        int left = TwipsToPixels(e.left, dpi), top = TwipsToPixels(e.top, dpi);
        RECT want{left, top, left + TwipsToPixels(e.width, dpi), top + TwipsToPixels(e.height, dpi)};
        EXPECT_TRUE(SameRect(RectInWindow(control), want)) << Describe(RectInWindow(control));
        if (e.text[0] != L'『') continue;
        SetTextColor(dc, RGB(0, 0, 0));
        SendMessageW(MemoForm().Window(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
        EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
    }
    DeleteDC(dc);
}

// Save writes the memo whole into the window's folder and unloads; discard and the close box
// write nothing; a save that cannot be made (a folder gone, characters outside code page
// 932) is told and leaves the window with its text.
TEST_F(MemoWindowTest, EachWayOfClosingWritesExactlyWhatItShould)
{
    const std::string older = "\"older\"\r\n";
    const struct { const wchar_t *button, *folder, *typed; std::string memo; int style; } cases[] = {
        {L"Command2", L"", L"thrown away", older, 0},
        {nullptr, L"", L"thrown away", older, 0},  // the close box
        {L"Command1", L"\\gone", L"大事な思い出", older, 16},
        {L"Command1", L"", L"楽しかった😀 안녕 😀", older, 48},
        {L"Command1", L"", L"abc\r\ndef", "\"abc\r\ndef\"\r\n", 0},
    };
    WriteBytes(backup / L"omoide.txt", older);
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.typed));
        recorder.messages.clear();
        Show(backup.Path() + c.folder);
        EXPECT_EQ(WindowText(C(L"Text1")), L"");  // every window loads empty
        SetWindowTextW(C(L"Text1"), c.typed);
        c.button ? Click(C(c.button)) : (SendMessageW(MemoForm().Window(), WM_SYSCOMMAND, SC_CLOSE, 0), Pump());
        EXPECT_EQ(ReadBytes(backup / L"omoide.txt"), c.memo);
        EXPECT_EQ(ListFolder(backup.Path()), Names{L"omoide.txt"});
        bool told = c.style == 16 ? recorder.Reported() : recorder.Said(UnsavableCharactersMessage(L"😀안녕"), 48);
        EXPECT_TRUE(c.style == 0 ? recorder.messages.empty() : told);
        ASSERT_EQ(MemoForm().Window() != nullptr, c.style != 0);
        if (c.style == 0) continue;
        EXPECT_EQ(WindowText(C(L"Text1")), c.typed);
        Click(C(L"Command2"));
    }
}

// A later back-up while the window is open: the text stays and goes into the later memo, not
// into whatever the last command worked on.
TEST_F(MemoWindowTest, ALaterBackUpKeepsTheTextAndTakesTheMemo)
{
    TestFolder later, elsewhere;
    Show(backup.Path());
    SetWindowTextW(C(L"Text1"), L"書きかけ");
    Show(later.Path());
    EXPECT_EQ(WindowText(C(L"Text1")), L"書きかけ");
    Module1::WorkPath = elsewhere.Path();
    Click(C(L"Command1"));
    EXPECT_EQ(ReadBytes(later / L"omoide.txt"), "\"\x8f\x91\x82\xab\x82\xa9\x82\xaf\"\r\n");
    EXPECT_TRUE(ListFolder(backup.Path()).empty() && ListFolder(elsewhere.Path()).empty());
}

TEST_F(MemoWindowTest, EnterStartsALineAndTabMovesTheFocusOn)
{
    Show(backup.Path());
    ASSERT_EQ(GetFocus(), C(L"Text1"));  // loaded afresh, the memo box has the focus
    for (wchar_t c : std::wstring(L"ab\rcd")) SendMessageW(C(L"Text1"), WM_CHAR, c, 1);
    for (HWND next : {C(L"Command1"), C(L"Command2"), C(L"Text1")}) {
        MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 1, 0, {0, 0}};
        EXPECT_TRUE(PreTranslate(tab));
        Pump();
        EXPECT_EQ(GetFocus(), next);
    }
    // A line break and no tab; Enter neither saved nor closed the window.
    EXPECT_EQ(WindowText(C(L"Text1")), L"ab\r\ncd");
    EXPECT_NE(MemoForm().Window(), nullptr);
}

}  // namespace
