// The version window as a real window, and the version record of the built program.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/resource.h"
#include "tests/test_support.h"
#include "ui/version_window.h"
#include "ui/window_layout.h"

using namespace nadeshiro;
using namespace nadeshiro::ui;
using nadeshiro::test::Utf8;

namespace {

const wchar_t* const kLabels[] = {L"Label1(0)", L"Label1(1)", L"Label1(2)"};

// Delivers what is queued; says whether the program was told to end.
bool Pump()
{
    bool quit = false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return quit;
}

std::wstring ClassName(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

RECT ClientOnScreen(HWND window)
{
    RECT r{};
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A control's rectangle relative to its parent's client area.
RECT RectInParent(HWND control)
{
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::vector<HWND> WindowsOfClass(const wchar_t* className)
{
    std::vector<HWND> found;
    HWND at = nullptr;
    while ((at = FindWindowExW(nullptr, at, className, nullptr)) != nullptr) found.push_back(at);
    return found;
}

LOGFONTW FontOf(HWND control)
{
    LOGFONTW font{};
    auto handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (handle != nullptr) GetObjectW(handle, sizeof font, &font);
    return font;
}

int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FaceHasJapanese(const wchar_t* face)
{
    HDC dc = GetDC(nullptr);
    LOGFONTW query{};
    query.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpynW(query.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    EnumFontFamiliesExW(dc, &query, NoteFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT& r)
{
    char text[96];
    std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", static_cast<long>(r.left), static_cast<long>(r.top),
                  static_cast<long>(r.right), static_cast<long>(r.bottom));
    return text;
}

struct VersionWindowTest : ::testing::Test {
    HWND window = nullptr;

    void SetUp() override
    {
        ASSERT_EQ(VersionWindow(), nullptr) << "a version window was left behind";
        ShowVersionWindow(GetModuleHandleW(nullptr));
        Pump();
        window = VersionWindow();
        ASSERT_NE(window, nullptr);
    }

    void TearDown() override
    {
        if (VersionWindow() != nullptr) DestroyWindow(VersionWindow());
        Pump();
    }

    UINT Dpi() const { return WindowDpi(window); }

    void ExpectLaidOutAt(UINT dpi)
    {
        RECT client{};
        GetClientRect(window, &client);
        EXPECT_EQ(client.right, TwipsToPixels(5475, dpi)) << "dpi " << dpi;
        EXPECT_EQ(client.bottom, TwipsToPixels(1500, dpi)) << "dpi " << dpi;
        const auto& specs = VersionWindowControls();
        ASSERT_EQ(specs.size(), 3u);
        for (const auto& desc : specs) {
            HWND label = VersionControl(desc.name);
            ASSERT_NE(label, nullptr) << Utf8(desc.name);
            RECT expected = ControlRect(desc, dpi);
            RECT actual = RectInParent(label);
            EXPECT_TRUE(SameRect(actual, expected))
                << Utf8(desc.name) << " at dpi " << dpi << ": " << Describe(actual) << " instead of " << Describe(expected);
            LOGFONTW font = FontOf(label);
            EXPECT_EQ(font.lfHeight, -MulDiv(12, static_cast<int>(dpi), 72)) << Utf8(desc.name) << " at dpi " << dpi;
        }
    }
};

TEST_F(VersionWindowTest, StandsAtItsFixedPlaceWithItsCaptionFrameAndClientArea)
{
    EXPECT_EQ(WindowText(window), L"バージョン情報");
    EXPECT_EQ(ClassName(window), std::wstring(kVersionWindowClass));
    EXPECT_TRUE(IsWindowVisible(window));
    // Modeless and without owner: a top-level window of its own beside the main window.
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
    EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());
    // A fixed frame with a close box.
    LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_FALSE(style & WS_CHILD);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);

    UINT dpi = Dpi();
    RECT client = ClientOnScreen(window);
    EXPECT_EQ(client.left, TwipsToPixels(5505, dpi));
    EXPECT_EQ(client.top, TwipsToPixels(2835, dpi));
    EXPECT_EQ(client.right - client.left, TwipsToPixels(5475, dpi));
    EXPECT_EQ(client.bottom - client.top, TwipsToPixels(1500, dpi));
    if (dpi == 96) {  // 15 twips to the pixel
        EXPECT_EQ(client.left, 367);
        EXPECT_EQ(client.top, 189);
        EXPECT_EQ(client.right - client.left, 365);
        EXPECT_EQ(client.bottom - client.top, 100);
    }
}

TEST_F(VersionWindowTest, LabelsShowTheirCaptionsInPlaceAndFitThem)
{
    HWND product = VersionControl(L"Label1(0)");
    HWND credit = VersionControl(L"Label1(1)");
    HWND rights = VersionControl(L"Label1(2)");
    ASSERT_NE(product, nullptr);
    ASSERT_NE(credit, nullptr);
    ASSERT_NE(rights, nullptr);
    EXPECT_EQ(VersionControl(L"Label1(3)"), nullptr);
    EXPECT_EQ(VersionControl(L"Label1"), nullptr);

    EXPECT_EQ(WindowText(product), L"なでしろ ver1.00");
    EXPECT_NE(WindowText(credit).find(L"プログラム"), std::wstring::npos);
    EXPECT_NE(WindowText(rights).find(L"なでしろ製作委員会"), std::wstring::npos);
    for (const wchar_t* name : kLabels) {
        HWND label = VersionControl(name);
        EXPECT_EQ(GetParent(label), window) << Utf8(name);
        EXPECT_EQ(ClassName(label), L"Static") << Utf8(name);
        EXPECT_TRUE(IsWindowVisible(label)) << Utf8(name);
        EXPECT_FALSE(GetWindowLongW(label, GWL_STYLE) & WS_TABSTOP) << Utf8(name);
    }
    ExpectLaidOutAt(Dpi());
    if (Dpi() == 96) {
        EXPECT_TRUE(SameRect(RectInParent(product), RECT{8, 16, 8 + 257, 16 + 17}));
        EXPECT_TRUE(SameRect(RectInParent(credit), RECT{136, 56, 136 + 225, 56 + 17}));
        EXPECT_TRUE(SameRect(RectInParent(rights), RECT{32, 80, 32 + 329, 80 + 17}));
    }

    // Each caption stands on one line within its label, in the label's own font: a wider
    // one would wrap and lose its second half below the label.
    HDC dc = GetDC(window);
    for (const wchar_t* name : kLabels) {
        HWND label = VersionControl(name);
        auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
        HGDIOBJ old = SelectObject(dc, font);
        std::wstring text = WindowText(label);
        SIZE extent{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        SelectObject(dc, old);
        RECT r{};
        GetClientRect(label, &r);
        EXPECT_LE(extent.cx, r.right) << Utf8(name) << " is " << extent.cx << " pixels wide";
    }
    ReleaseDC(window, dc);
}

TEST_F(VersionWindowTest, LabelsUseTwelvePointRegularJapaneseFontThatHoldsTheirText)
{
    UINT dpi = Dpi();
    HDC dc = GetDC(window);
    for (const wchar_t* name : kLabels) {
        HWND label = VersionControl(name);
        LOGFONTW font = FontOf(label);
        EXPECT_EQ(font.lfHeight, -MulDiv(12, static_cast<int>(dpi), 72)) << Utf8(name);
        EXPECT_EQ(font.lfWeight, 400) << Utf8(name);
        EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET) << Utf8(name);
        EXPECT_FALSE(font.lfItalic || font.lfUnderline || font.lfStrikeOut) << Utf8(name);
        // The named face where the system has it, else a Japanese one.
        if (FaceHasJapanese(kVersionFontFace))
            EXPECT_EQ(std::wstring(font.lfFaceName), std::wstring(L"ＭＳ Ｐゴシック")) << Utf8(name);
        else
            EXPECT_TRUE(FaceHasJapanese(font.lfFaceName)) << Utf8(name) << ": " << Utf8(font.lfFaceName);

        // The font really drawn holds every character of the caption.
        auto handle = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
        HGDIOBJ old = SelectObject(dc, handle);
        EXPECT_EQ(GetTextCharset(dc), SHIFTJIS_CHARSET) << Utf8(name);
        std::wstring text = WindowText(label);
        std::vector<WORD> glyphs(text.size());
        GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
        for (size_t i = 0; i < text.size(); ++i)
            EXPECT_NE(glyphs[i], 0xFFFF) << Utf8(name) << ": no glyph for U+" << std::hex << static_cast<int>(text[i]);
        SelectObject(dc, old);
    }
    ReleaseDC(window, dc);
    // All three share one font.
    EXPECT_EQ(SendMessageW(VersionControl(L"Label1(0)"), WM_GETFONT, 0, 0),
              SendMessageW(VersionControl(L"Label1(2)"), WM_GETFONT, 0, 0));
}

TEST_F(VersionWindowTest, ProductAndCreditAreBlueAndRightsBlackOnButtonFace)
{
    const std::pair<const wchar_t*, COLORREF> expected[] = {
        {L"Label1(0)", RGB(0, 0, 255)}, {L"Label1(1)", RGB(0, 0, 255)}, {L"Label1(2)", RGB(0, 0, 0)}};
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    for (const auto& [name, colour] : expected) {
        SetTextColor(dc, RGB(1, 2, 3));
        SetBkColor(dc, RGB(4, 5, 6));
        LRESULT brush = SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(VersionControl(name)));
        EXPECT_EQ(GetTextColor(dc), colour) << Utf8(name);
        EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE)) << Utf8(name);
        ASSERT_NE(brush, 0) << Utf8(name);
        LOGBRUSH logBrush{};
        GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof logBrush, &logBrush);
        EXPECT_EQ(logBrush.lbColor, GetSysColor(COLOR_BTNFACE)) << Utf8(name);
    }
    DeleteDC(dc);
    // The window's own background is the button face too.
    EXPECT_EQ(GetClassLongPtrW(window, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));
}

TEST_F(VersionWindowTest, DpiChangeLaysTheWindowOutAgain)
{
    RECT before{};
    GetWindowRect(window, &before);
    RECT suggested{before.left, before.top, before.left + 600, before.top + 250};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    Pump();
    EXPECT_EQ(VersionWindowDpi(), 144u);
    ExpectLaidOutAt(144);
    if (HasFatalFailure()) return;
    EXPECT_TRUE(SameRect(RectInParent(VersionControl(L"Label1(1)")), RECT{204, 84, 204 + 338, 84 + 26}));

    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(96, 96), 0);
    Pump();
    EXPECT_EQ(VersionWindowDpi(), 96u);
    ExpectLaidOutAt(96);
    RECT after{};
    GetWindowRect(window, &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
}

TEST_F(VersionWindowTest, NothingInItTakesTheFocus)
{
    EXPECT_EQ(SendMessageW(window, WM_NADESHIRO_TABKEY, 0, 0), 0);
    EXPECT_EQ(SendMessageW(window, WM_NADESHIRO_TABKEY, 1, 0), 0);
    MSG tab{window, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_FALSE(PreTranslate(tab));
    SetFocus(window);
    Pump();
    HWND focus = GetFocus();
    for (const wchar_t* name : kLabels) EXPECT_NE(focus, VersionControl(name)) << Utf8(name);
}

TEST_F(VersionWindowTest, ShowingAgainBringsTheOneWindowToTheFront)
{
    // Another top-level window of the program, shown above the version window.
    HWND other = CreateWindowExW(0, L"Static", L"other", WS_OVERLAPPEDWINDOW, 300, 150, 400, 300, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    struct Closer {
        HWND window;
        ~Closer() { DestroyWindow(window); }
    } closeOther{other};
    ShowWindow(other, SW_SHOW);
    SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Pump();
    auto above = [](HWND upper, HWND lower) {
        for (HWND at = GetWindow(upper, GW_HWNDNEXT); at != nullptr; at = GetWindow(at, GW_HWNDNEXT))
            if (at == lower) return true;
        return false;
    };
    ASSERT_TRUE(above(other, window));

    RECT placed = ClientOnScreen(window);
    ShowVersionWindow(GetModuleHandleW(nullptr));
    ShowVersionWindow(GetModuleHandleW(nullptr));
    Pump();
    EXPECT_EQ(VersionWindow(), window);
    EXPECT_EQ(WindowsOfClass(kVersionWindowClass), std::vector<HWND>{window});
    EXPECT_TRUE(above(window, other));
    EXPECT_TRUE(SameRect(ClientOnScreen(window), placed));

    // A hidden one is shown again, still the same window.
    ShowWindow(window, SW_HIDE);
    Pump();
    ShowVersionWindow(GetModuleHandleW(nullptr));
    Pump();
    EXPECT_EQ(VersionWindow(), window);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(WindowsOfClass(kVersionWindowClass), std::vector<HWND>{window});
}

TEST_F(VersionWindowTest, ClosingUnloadsItAndTheNextShowLoadsItAgainInItsPlace)
{
    RECT placed = ClientOnScreen(window);
    // Some other top-level window is still open: closing this one does not end the program.
    TopLevelWindowOpened();
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(VersionWindow(), nullptr);
    EXPECT_EQ(VersionControl(L"Label1(0)"), nullptr);
    EXPECT_EQ(VersionWindowDpi(), 0u);
    EXPECT_TRUE(WindowsOfClass(kVersionWindowClass).empty());
    EXPECT_FALSE(Pump()) << "the program ended while a window was open";

    // Moved away before it was closed: it still comes back at its fixed place.
    ShowVersionWindow(GetModuleHandleW(nullptr));
    Pump();
    HWND again = VersionWindow();
    ASSERT_NE(again, nullptr);
    SetWindowPos(again, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    DestroyWindow(again);
    Pump();
    ShowVersionWindow(GetModuleHandleW(nullptr));
    Pump();
    window = VersionWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindow(again));
    EXPECT_TRUE(SameRect(ClientOnScreen(window), placed)) << Describe(ClientOnScreen(window));
    EXPECT_EQ(WindowText(VersionControl(L"Label1(0)")), L"なでしろ ver1.00");
    EXPECT_EQ(WindowsOfClass(kVersionWindowClass), std::vector<HWND>{window});

    // The last window of the program to close ends it.
    TopLevelWindowClosed();
    EXPECT_FALSE(Pump());
    DestroyWindow(window);
    EXPECT_TRUE(Pump()) << "closing the last window did not end the program";
}

// The icon comes from the module given to the show: the program's own, where it has one.
TEST(VersionWindowIcon, CarriesTheProgramIcon)
{
    std::wstring exe = test::HostPath(test::Environment(L"NADESHIRO_EXE"));
    ASSERT_FALSE(exe.empty()) << "NADESHIRO_EXE is not set";
    HMODULE program = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr);
    ASSERT_EQ(VersionWindow(), nullptr);
    ShowVersionWindow(program);
    Pump();
    HWND window = VersionWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);
    DestroyWindow(window);
    Pump();
    FreeLibrary(program);

    // A module without the icon still gets the window.
    ShowVersionWindow(GetModuleHandleW(nullptr));
    Pump();
    window = VersionWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), L"バージョン情報");
    DestroyWindow(window);
    Pump();
}

// The version record of the built program, read back as Windows' file properties read it.
struct VersionRecordTest : ::testing::Test {
    std::vector<BYTE> record;

    void SetUp() override
    {
        std::wstring exe = test::HostPath(test::Environment(L"NADESHIRO_EXE"));
        ASSERT_FALSE(exe.empty()) << "NADESHIRO_EXE is not set";
        DWORD handle = 0;
        DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &handle);
        ASSERT_GT(size, 0u) << "no version record in " << Utf8(exe);
        record.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, record.data()));
    }

    // A string of the Japanese Unicode table; "<missing>" when the key is absent.
    std::wstring String(const wchar_t* key)
    {
        std::wstring path = std::wstring(L"\\StringFileInfo\\041104b0\\") + key;
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(record.data(), path.c_str(), &value, &length) || value == nullptr) return L"<missing>";
        std::wstring text(static_cast<const wchar_t*>(value), length);
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        return text;
    }
};

TEST_F(VersionRecordTest, FixedPartIsVersionOneOfAWindowsApplication)
{
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);
}

TEST_F(VersionRecordTest, OneStringTableForJapaneseUnicode)
{
    WORD* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 2 * sizeof(WORD)) << "exactly one language and code page";
    EXPECT_EQ(translation[0], 0x0411);
    EXPECT_EQ(translation[1], 0x04B0);
}

TEST_F(VersionRecordTest, StringsSayWhatTheProductLabelSays)
{
    EXPECT_EQ(String(L"Comments"), L"なでしろ ver1.00");
    EXPECT_EQ(String(L"ProductName"), L"なでしろ ver1.00");
    EXPECT_EQ(String(L"FileDescription"), L"oneのセーブセレクタ");
    EXPECT_EQ(String(L"FileVersion"), L"1.00");
    EXPECT_EQ(String(L"ProductVersion"), L"1.00");
    EXPECT_EQ(String(L"InternalName"), L"nadeshiro");
    EXPECT_EQ(String(L"OriginalFilename"), L"nadeshiro.exe");

    std::wstring company = String(L"CompanyName");
    std::wstring rights = String(L"LegalCopyright");
    ASSERT_NE(company, L"<missing>");
    ASSERT_NE(rights, L"<missing>");
    EXPECT_FALSE(company.empty());
    EXPECT_FALSE(rights.empty());
    EXPECT_NE(rights.find(company), std::wstring::npos) << "the rights notice names the maker";

    // The window's product label and rights line say the same as the record.
    const auto& labels = VersionWindowControls();
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(std::wstring(labels[0].caption), String(L"ProductName"));
    EXPECT_NE(std::wstring(labels[2].caption).find(company), std::wstring::npos);
}

}  // namespace
