// The memo window as a user meets it: real windows, real files, the buttons pressed and the
// keys sent the way the program's message loop sends them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/handler.h"
#include "app/state.h"
#include "memo/memo_file.h"
#include "tests/test_support.h"
#include "tests/window_test_support.h"
#include "ui/memo_window.h"

using namespace nadeshiro;
using namespace nadeshiro::test;
using namespace nadeshiro::ui;

namespace {

// Dispatches what is queued, as Pump does, and tells whether the program was told to end.
bool PumpSeeingQuit()
{
    bool quit = false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            continue;
        }
        if (PreTranslate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return quit;
}

::testing::AssertionResult PlacedAt(HWND control, const RECT& expected)
{
    RECT actual = RectInWindow(control);
    if (SameRect(actual, expected)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "at (" << actual.left << "," << actual.top << ")-(" << actual.right << ","
                                         << actual.bottom << "), expected (" << expected.left << "," << expected.top
                                         << ")-(" << expected.right << "," << expected.bottom << ")";
}

const ControlSpec& Spec(const wchar_t* name)
{
    for (const ControlSpec& desc : MemoWindowControls())
        if (std::wstring(desc.name) == name) return desc;
    throw std::runtime_error("no such control");
}

int FontHeight(HWND control)
{
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    LOGFONTW info{};
    if (font == nullptr || GetObjectW(font, sizeof info, &info) == 0) return 0;
    return std::abs(info.lfHeight);
}

struct MemoWindowTest : ::testing::Test {
    TestFolder backup;
    Recorder recorder;
    HINSTANCE instance = GetModuleHandleW(nullptr);

    void TearDown() override
    {
        if (MemoWindow() != nullptr) DestroyWindow(MemoWindow());
        Pump();
        Module1::WorkPath.clear();
    }

    void Show(const std::wstring& folder)
    {
        ShowMemoWindow(instance, folder);
        Pump();
    }
    static HWND Text1() { return MemoControl(L"Text1"); }
    static void Type(const std::wstring& text) { SetWindowTextW(Text1(), text.c_str()); }
    static void Press(const wchar_t* button) { Click(MemoControl(button)); }
    std::wstring Memo() const { return backup / L"omoide.txt"; }
    // Whether the window can hold the keyboard focus here at all (it needs an active window).
    static bool FocusWorks()
    {
        SetFocus(Text1());
        return GetFocus() == Text1();
    }
};

TEST_F(MemoWindowTest, LoadsEmptyWithItsCaptionLayoutAndTexts)
{
    Show(backup.Path());
    HWND window = MemoWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(WindowText(window), L"思い出（永遠はあるよ…僕のこと忘れないでね）");
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
    EXPECT_EQ(GetParent(window), nullptr);
    EXPECT_EQ(MemoWindowFolder(), backup.Path());

    // A fixed frame: no sizing border and no maximize box.
    auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU);

    UINT dpi = WindowDpi(window);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, TwipsToPixels(5655, dpi));
    EXPECT_EQ(client.bottom, TwipsToPixels(5490, dpi));

    struct Expected {
        const wchar_t* name;
        const wchar_t* text;
        int left, top, width, height;
    };
    const Expected expected[] = {
        {L"Label1(0)", L"『あのね』", 120, 120, 1455, 255},
        {L"Label1(1)", L"『このセーブデータでどんな思い出があるか記録しておくと』", 120, 360, 5415, 255},
        {L"Label1(2)", L"『あとで復元する時にね』", 120, 600, 5415, 255},
        {L"Label1(3)", L"『とっても便利なのー（にこにこ）』", 120, 840, 5415, 255},
        {L"Text1", L"", 120, 1200, 5415, 3615},
        {L"Command1", L"思い出を保存するの", 1440, 5040, 1935, 375},
        {L"Command2", L"過去は振り返らないの", 3600, 5040, 1935, 375},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(Utf8(e.name));
        HWND control = MemoControl(e.name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(GetParent(control), window);
        EXPECT_TRUE(IsWindowVisible(control));
        EXPECT_EQ(WindowText(control), e.text);
        RECT want{TwipsToPixels(e.left, dpi), TwipsToPixels(e.top, dpi), 0, 0};
        want.right = want.left + TwipsToPixels(e.width, dpi);
        want.bottom = want.top + TwipsToPixels(e.height, dpi);
        EXPECT_TRUE(PlacedAt(control, want));
    }

    // The memo box: several lines with both scroll bars, Enter kept, no wrapping, no limit
    // of its own. Neither button is a default button.
    auto textStyle = static_cast<DWORD>(GetWindowLongPtrW(Text1(), GWL_STYLE));
    EXPECT_TRUE(textStyle & ES_MULTILINE);
    EXPECT_TRUE(textStyle & ES_WANTRETURN);
    EXPECT_TRUE(textStyle & WS_VSCROLL);
    EXPECT_TRUE(textStyle & WS_HSCROLL);
    EXPECT_TRUE(textStyle & ES_AUTOHSCROLL);
    EXPECT_GE(static_cast<DWORD>(SendMessageW(Text1(), EM_GETLIMITTEXT, 0, 0)), 0x7FFFFFFEu);
    for (const wchar_t* button : {L"Command1", L"Command2"}) {
        auto buttonStyle = static_cast<DWORD>(GetWindowLongPtrW(MemoControl(button), GWL_STYLE));
        EXPECT_EQ(buttonStyle & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));
    }
    if (FocusWorks()) {
        // Loaded afresh, the memo box has the focus.
        DestroyWindow(window);
        Pump();
        Show(backup.Path());
        EXPECT_EQ(GetFocus(), Text1());
    }
}

TEST_F(MemoWindowTest, LabelsAreDrawnInPureBlue)
{
    Show(backup.Path());
    for (const wchar_t* name : {L"Label1(0)", L"Label1(1)", L"Label1(2)", L"Label1(3)"}) {
        SCOPED_TRACE(Utf8(name));
        HWND label = MemoControl(name);
        ASSERT_NE(label, nullptr);
        RECT area;
        GetClientRect(label, &area);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = area.right;
        info.bmiHeader.biHeight = -area.bottom;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(bitmap, nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        // The colour the window gives the label, and the pixels the label draws with it.
        SendMessageW(MemoWindow(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label));
        EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
        SendMessageW(label, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
        GdiFlush();
        COLORREF face = GetSysColor(COLOR_BTNFACE);
        int ink = 0, blue = 0, other = 0;
        const auto* pixel = static_cast<const unsigned char*>(bits);
        for (int i = 0; i < area.right * area.bottom; ++i, pixel += 4) {
            int b = pixel[0], g = pixel[1], r = pixel[2];
            if (RGB(r, g, b) == face) continue;
            ++ink;
            if (r < 64 && g < 64 && b > 192) ++blue;
            if (b <= r || b <= g) ++other;
        }
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        EXPECT_GT(ink, 20);
        EXPECT_GT(blue, 0);
        EXPECT_EQ(other, 0);
    }
}

TEST_F(MemoWindowTest, SaveWritesTheMemoExactlyAndUnloads)
{
    struct Case {
        std::wstring typed;
        std::string bytes;
    };
    const Case cases[] = {
        {L"abc\r\ndef", "\x22\x61\x62\x63\x0D\x0A\x64\x65\x66\x22\x0D\x0A"},
        {L"", "\x22\x22\x0D\x0A"},
        // Several lines, quotes kept as they are, a blank line and a last line break.
        {L"一行目\r\n彼女は\"永遠\"と\r\n\r\nｱｲｳ\r\n",
         "\"\x88\xea\x8d\x73\x96\xda\r\n\x94\xde\x8f\x97\x82\xcd\"\x89\x69\x89\x93\"\x82\xc6\r\n\r\n\xb1\xb2\xb3\r\n\"\r\n"},
    };
    WriteBytes(Memo(), "\"an older memo, replaced whole\"\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.typed));
        Show(backup.Path());
        ASSERT_NE(MemoWindow(), nullptr);
        EXPECT_EQ(WindowText(Text1()), L"");  // loaded afresh every time
        Type(c.typed);
        Press(L"Command1");
        EXPECT_EQ(ReadBytes(Memo()), c.bytes);
        EXPECT_EQ(MemoWindow(), nullptr);
        EXPECT_EQ(MemoPath(), backup.Path() + L"\\omoide.txt");
        EXPECT_TRUE(TemporaryFilesIn(backup.Path()).empty());
    }
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(MemoWindowTest, DiscardAndTheCloseBoxWriteNothing)
{
    TestFolder bare;
    const std::string older = "\"keep me\"\r\n";
    WriteBytes(Memo(), older);
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(way == 0 ? "Command2" : "close box");
        for (const std::wstring& folder : {backup.Path(), bare.Path()}) {
            Show(folder);
            Type(L"typed, then thrown away");
            if (way == 0) {
                Press(L"Command2");
            } else {
                SendMessageW(MemoWindow(), WM_CLOSE, 0, 0);
                Pump();
            }
            EXPECT_EQ(MemoWindow(), nullptr);
        }
        EXPECT_EQ(ReadBytes(Memo()), older);
        EXPECT_TRUE(ListFolder(bare.Path()).empty());
        // What was typed is gone with the window.
        Show(backup.Path());
        EXPECT_EQ(WindowText(Text1()), L"");
        Press(L"Command2");
    }
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(MemoWindowTest, ALaterBackUpKeepsTheTextAndTakesTheMemo)
{
    TestFolder later, elsewhere;
    Show(backup.Path());
    HWND first = MemoWindow();
    Type(L"書きかけ");
    Show(later.Path());
    EXPECT_EQ(MemoWindow(), first);
    EXPECT_EQ(WindowText(Text1()), L"書きかけ");
    EXPECT_EQ(MemoWindowFolder(), later.Path());

    // What the last command worked on does not redirect the memo.
    Module1::WorkPath = elsewhere.Path();
    Press(L"Command1");
    EXPECT_EQ(MemoWindow(), nullptr);
    EXPECT_EQ(ReadBytes(later / L"omoide.txt"), "\"\x8f\x91\x82\xab\x82\xa9\x82\xaf\"\r\n");
    EXPECT_FALSE(FileExists(Memo()));
    EXPECT_TRUE(ListFolder(elsewhere.Path()).empty());
}

TEST_F(MemoWindowTest, AFailingSaveIsReportedAndTheTextStays)
{
    std::wstring gone = backup / L"gone";
    Show(gone);
    Type(L"大事な思い出");
    Press(L"Command1");
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].style, 16);
    ASSERT_NE(MemoWindow(), nullptr);
    EXPECT_EQ(WindowText(Text1()), L"大事な思い出");
    EXPECT_EQ(MemoPath(), gone + L"\\omoide.txt");
    EXPECT_TRUE(ListFolder(backup.Path()).empty());

    // Nothing was lost: the same text saves once the window has a folder to go to.
    Show(backup.Path());
    Press(L"Command1");
    EXPECT_EQ(MemoWindow(), nullptr);
    EXPECT_EQ(ReadBytes(Memo()), "\"\x91\xe5\x8e\x96\x82\xc8\x8e\x76\x82\xa2\x8f\x6f\"\r\n");
    EXPECT_EQ(recorder.messages.size(), 1u);
}

TEST_F(MemoWindowTest, CharactersCodePage932CannotHoldAreRefusedByName)
{
    const std::string older = "\"older\"\r\n";
    WriteBytes(Memo(), older);
    Show(backup.Path());
    const std::wstring typed = L"楽しかった😀 안녕 😀";
    Type(typed);
    Press(L"Command1");
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].prompt, UnsavableCharactersMessage(L"😀안녕"));
    EXPECT_EQ(recorder.messages[0].style, 48);
    EXPECT_EQ(recorder.messages[0].title, L"あのね");
    EXPECT_EQ(ReadBytes(Memo()), older);
    EXPECT_TRUE(TemporaryFilesIn(backup.Path()).empty());
    ASSERT_NE(MemoWindow(), nullptr);
    EXPECT_EQ(WindowText(Text1()), typed);

    Type(L"楽しかった");
    Press(L"Command1");
    EXPECT_EQ(MemoWindow(), nullptr);
    EXPECT_EQ(ReadBytes(Memo()), "\"\x8a\x79\x82\xb5\x82\xa9\x82\xc1\x82\xbd\"\r\n");
}

TEST_F(MemoWindowTest, EnterStartsALineAndTabMovesTheFocusOn)
{
    Show(backup.Path());
    for (wchar_t c : std::wstring(L"ab\rcd")) SendMessageW(Text1(), WM_CHAR, c, 1);
    Pump();
    EXPECT_EQ(WindowText(Text1()), L"ab\r\ncd");
    EXPECT_NE(MemoWindow(), nullptr);  // Enter saves nothing and closes nothing
    EXPECT_FALSE(FileExists(Memo()));

    std::vector<HWND> order{Text1(), MemoControl(L"Command1"), MemoControl(L"Command2")};
    if (FocusWorks()) {
        for (int step = 1; step <= 3; ++step) {
            EXPECT_NE(SendMessageW(MemoWindow(), WM_NADESHIRO_TABKEY, 0, 0), 0);
            EXPECT_EQ(GetFocus(), order[step % 3]) << "Tab " << step;
        }
        for (int step = 1; step <= 3; ++step) {
            EXPECT_NE(SendMessageW(MemoWindow(), WM_NADESHIRO_TABKEY, 1, 0), 0);
            EXPECT_EQ(GetFocus(), order[(3 - step) % 3]) << "Shift+Tab " << step;
        }
        // The Tab key as the program's message loop meets it: the focus moves on and the
        // memo gains no tab character.
        MSG tab{Text1(), WM_KEYDOWN, VK_TAB, 1, 0, {0, 0}};
        EXPECT_TRUE(PreTranslate(tab));
        EXPECT_EQ(GetFocus(), order[1]);
        EXPECT_EQ(WindowText(Text1()), L"ab\r\ncd");
    } else {
        ADD_FAILURE() << "the memo box cannot take the focus here";
    }
}

TEST_F(MemoWindowTest, ANewDpiLaysTheWindowOutAgain)
{
    Show(backup.Path());
    HWND window = MemoWindow();
    UINT dpi = WindowDpi(window);
    int baseFont = FontHeight(Text1());
    ASSERT_GT(baseFont, 0);
    for (UINT newDpi : {dpi * 2, dpi}) {
        SCOPED_TRACE(newDpi);
        RECT suggested{40, 30, 41, 31};
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi), reinterpret_cast<LPARAM>(&suggested));
        Pump();
        RECT client;
        GetClientRect(window, &client);
        EXPECT_EQ(client.right, TwipsToPixels(5655, newDpi));
        EXPECT_EQ(client.bottom, TwipsToPixels(5490, newDpi));
        RECT frame;
        GetWindowRect(window, &frame);
        EXPECT_EQ(frame.left, 40);
        EXPECT_EQ(frame.top, 30);
        for (const wchar_t* name : {L"Label1(3)", L"Text1", L"Command2"})
            EXPECT_TRUE(PlacedAt(MemoControl(name), ControlRect(Spec(name), newDpi))) << Utf8(name);
        EXPECT_NEAR(FontHeight(Text1()), baseFont * static_cast<int>(newDpi) / static_cast<int>(dpi), 1);
        EXPECT_EQ(FontHeight(MemoControl(L"Label1(0)")), FontHeight(Text1()));
    }
}

TEST_F(MemoWindowTest, TheLastWindowClosedEndsTheProgram)
{
    // Beside another open window (the main window), closing the memo window ends nothing.
    TopLevelWindowOpened();
    Show(backup.Path());
    SendMessageW(MemoWindow(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(PumpSeeingQuit());
    TopLevelWindowClosed();
    EXPECT_TRUE(PumpSeeingQuit());

    // Alone, it does, however it closes.
    Show(backup.Path());
    SendMessageW(MemoControl(L"Command2"), BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpSeeingQuit());
    Show(backup.Path());
    Type(L"x");
    SendMessageW(MemoControl(L"Command1"), BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpSeeingQuit());
    EXPECT_EQ(MemoWindow(), nullptr);
}

}  // namespace
