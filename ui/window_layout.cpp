#include "ui/window_layout.h"

#include <commctrl.h>

#include <vector>

#include "app/handler.h"
#include "app/owned.h"
#include "app/system_calls.h"

namespace nadeshiro::ui {

namespace {

// The font enumeration callbacks: 0 ends the listing.
int CALLBACK FaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    return Guarded(0, [&] {
        *reinterpret_cast<bool*>(found) = true;
        return 0;
    });
}

int CALLBACK AnyFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM result)
{
    return Guarded(0, [&] {
        if (font->lfFaceName[0] == L'@') return 1;  // a vertical-writing face
        *reinterpret_cast<std::wstring*>(result) = font->lfFaceName;
        return 0;
    });
}

// Whether face exists with the Japanese character set.
bool HasJapaneseFace(const wchar_t* face)
{
    LOGFONTW query{};
    query.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpynW(query.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    EnumFontFamiliesExW(WindowDc(nullptr).get(), &query, FaceFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// The classic Japanese proportional interface face, or a face made to its metrics, so that the
// captions take the room they were sized for.
const wchar_t* const kProportionalFaces[] = {L"ＭＳ Ｐゴシック", L"MS PGothic", L"IPAPGothic", L"IPA Pゴシック"};

std::wstring FindJapaneseFace(const wchar_t* face)
{
    if (face != nullptr && face[0] != 0 && HasJapaneseFace(face)) return face;
    for (const wchar_t* candidate : kProportionalFaces)
        if (HasJapaneseFace(candidate)) return candidate;
    static const wchar_t* const kOthers[] = {
        L"MS UI Gothic", L"Meiryo UI", L"Yu Gothic UI", L"IPAGothic", L"Noto Sans CJK JP", L"Noto Sans JP",
        L"VL PGothic", L"TakaoPGothic", L"Droid Sans Fallback",
    };
    for (const wchar_t* candidate : kOthers)
        if (HasJapaneseFace(candidate)) return candidate;
    std::wstring any;
    LOGFONTW query{};
    query.lfCharSet = SHIFTJIS_CHARSET;
    EnumFontFamiliesExW(WindowDc(nullptr).get(), &query, AnyFace, reinterpret_cast<LPARAM>(&any), 0);
    return any.empty() && face != nullptr ? std::wstring(face) : any;
}

std::wstring g_overrideFace;

// face when it holds Japanese, else the first Japanese face the system has. Asked once
// per face: listing the system's fonts is slow.
std::wstring JapaneseFace(const wchar_t* face)
{
    if (!g_overrideFace.empty()) return g_overrideFace;
    static std::vector<std::pair<std::wstring, std::wstring>> known;
    std::wstring key = face != nullptr ? face : L"";
    for (const auto& entry : known)
        if (entry.first == key) return entry.second;
    known.emplace_back(key, FindJapaneseFace(face));
    return known.back().second;
}

}  // namespace

int TwipsToPixels(int twips, UINT dpi)
{
    return MulDiv(twips, static_cast<int>(dpi), 1440);
}

int ScalePixels(int pixelsAt96, UINT dpi)
{
    return MulDiv(pixelsAt96, static_cast<int>(dpi), 96);
}

UINT WindowDpi(HWND window)
{
    using ForWindowFn = UINT(WINAPI*)(HWND);
    using ForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto forWindow = platform::sys::SystemFunction<ForWindowFn>(L"user32.dll", "GetDpiForWindow");
    // Windows 8.1 has no DPI per window, but one per monitor.
    static const auto forMonitor =
        forWindow != nullptr ? nullptr : platform::sys::SystemFunction<ForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    if (window != nullptr && forWindow != nullptr) {
        UINT dpi = forWindow(window);
        if (dpi != 0) return dpi;
    }
    if (window != nullptr && forMonitor != nullptr) {
        UINT x = 0, y = 0;
        HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
        if (monitor != nullptr && SUCCEEDED(forMonitor(monitor, 0 /* effective DPI */, &x, &y)) && y != 0)
            return y;
    }
    int dpi = GetDeviceCaps(WindowDc(nullptr).get(), LOGPIXELSY);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

SIZE OuterSize(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, bool hasMenu, UINT dpi)
{
    RECT r{0, 0, TwipsToPixels(clientWidth, dpi), TwipsToPixels(clientHeight, dpi)};
    using AdjustFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static auto adjustForDpi = platform::sys::SystemFunction<AdjustFn>(L"user32.dll", "AdjustWindowRectExForDpi");
    if (adjustForDpi == nullptr || !adjustForDpi(&r, style, hasMenu, exStyle, dpi))
        AdjustWindowRectEx(&r, style, hasMenu, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

void FitClientArea(HWND window, int clientWidth, int clientHeight, UINT dpi, const POINT* placeClient)
{
    int width = TwipsToPixels(clientWidth, dpi), height = TwipsToPixels(clientHeight, dpi);
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT outer, client;
        GetWindowRect(window, &outer);
        GetClientRect(window, &client);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
        int dx = width - (client.right - client.left), dy = height - (client.bottom - client.top);
        int moveX = placeClient != nullptr ? placeClient->x - client.left : 0;
        int moveY = placeClient != nullptr ? placeClient->y - client.top : 0;
        if (dx == 0 && dy == 0 && moveX == 0 && moveY == 0) return;
        SetWindowPos(window, nullptr, outer.left + moveX, outer.top + moveY, outer.right - outer.left + dx,
                     outer.bottom - outer.top + dy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

HFONT CreateInterfaceFont(UINT dpi)
{
    // The classic Japanese interface font, 9 points, or a face made to its metrics.
    for (const wchar_t* face : kProportionalFaces)
        if (JapaneseFace(face) == face) return CreateJapaneseFont(face, 9, dpi);
    if (!g_overrideFace.empty()) return CreateJapaneseFont(g_overrideFace.c_str(), 9, dpi);
    // Else the system's message font, at the window's DPI, with the Japanese character set.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    using ForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    static auto forDpi = platform::sys::SystemFunction<ForDpiFn>(L"user32.dll", "SystemParametersInfoForDpi");
    if (forDpi == nullptr || !forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), static_cast<int>(WindowDpi(nullptr)));
    }
    LOGFONTW font = metrics.lfMessageFont;
    if (font.lfHeight == 0) font.lfHeight = -MulDiv(9, static_cast<int>(dpi), 72);
    std::wstring face = JapaneseFace(font.lfFaceName);
    lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
    font.lfCharSet = SHIFTJIS_CHARSET;
    return CreateFontIndirectW(&font);
}

HFONT CreateJapaneseFont(const wchar_t* face, int points, UINT dpi)
{
    LOGFONTW font{};
    font.lfHeight = -MulDiv(points, static_cast<int>(dpi), 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    std::wstring chosen = JapaneseFace(face);
    lstrcpynW(font.lfFaceName, chosen.c_str(), LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

void OverrideJapaneseFace(const wchar_t* face) { g_overrideFace = face != nullptr ? face : L""; }

int CaptionOverreach(HWND control, const wchar_t* caption, HFONT font, bool button, UINT dpi)
{
    RECT client{};
    GetClientRect(control, &client);
    if (caption == nullptr) {
        RECT last{};
        int count = TabCtrl_GetItemCount(control);
        return count > 0 && TabCtrl_GetItemRect(control, count - 1, &last) ? last.right - client.right : 0;
    }
    if (caption[0] == 0) return 0;
    // A text's width is its font's alone: measured without asking the control for anything.
    MemoryDc dc(CreateCompatibleDC(nullptr));
    Selected chosen(dc.get(), font);
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), caption, lstrlenW(caption), &size);
    return size.cx - (client.right - (button ? ScalePixels(8, dpi) : 0));
}

bool g_assumeHighContrast = false;

void AssumeHighContrast(bool on) { g_assumeHighContrast = on; }

bool HighContrast()
{
    if (g_assumeHighContrast) return true;
    HIGHCONTRASTW contrast{sizeof contrast, 0, nullptr};
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) && (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

std::wstring WindowText(HWND window)
{
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

std::wstring TabCaption(HWND tabControl, int index)
{
    wchar_t caption[256] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption;
    item.cchTextMax = 256;
    SendMessageW(tabControl, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return item.pszText != nullptr ? std::wstring(item.pszText) : std::wstring();
}

}  // namespace nadeshiro::ui
