// Twips, DPI and fonts. Windows are described in twips; one function turns twips into pixels
// at the window's DPI, and everything else builds on it.
#pragma once

#include <windows.h>

#include <string>

namespace nadeshiro::ui {

// 1440 twips make an inch; 15 twips are one pixel at 96 DPI.
int TwipsToPixels(int twips, UINT dpi);
// A length drawn by the tool in pixels at 96 DPI, at dpi.
int ScalePixels(int pixelsAt96, UINT dpi);

// The DPI the window is shown at: the window's own where the system has it (Windows 10),
// else its monitor's (Windows 8.1), else the system's.
UINT WindowDpi(HWND window);

// The outer size of a window whose client area is clientWidth x clientHeight twips.
SIZE OuterSize(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, bool hasMenu, UINT dpi);

// Sizes window so that its client area is clientWidth x clientHeight twips at dpi, whatever
// its frame and menu bar take (measured, not assumed). With placeClient, the client area's
// top-left corner goes to that screen point; otherwise the frame's corner stays.
void FitClientArea(HWND window, int clientWidth, int clientHeight, UINT dpi, const POINT* placeClient = nullptr);

// The default user-interface font at dpi, with the Japanese character set so that the
// captions are drawn with a font that holds them.
HFONT CreateInterfaceFont(UINT dpi);

// A font by face name at a point size, falling back to a Japanese face where the named one
// is missing.
HFONT CreateJapaneseFont(const wchar_t* face, int points, UINT dpi);

// Stands in a face for every Japanese face the tool would choose, as on a system that has only
// that face (nullptr: the system's own). For tests of the captions in other faces.
void OverrideJapaneseFace(const wchar_t* face);

// How far a control's caption, drawn in font, reaches past the room the control gives it, in
// pixels; 0 or less when it fits. A label has its width; a push button draws its caption inside
// its edges and focus rectangle; a tab control's tabs (caption nullptr) must end inside it.
int CaptionOverreach(HWND control, const wchar_t* caption, HFONT font, bool button, UINT dpi);

// Whether the system shows its high contrast colours.
bool HighContrast();
// Takes high contrast as on whatever the system says, for a test on a system that cannot switch
// it on (Wine answers that it has no high contrast).
void AssumeHighContrast(bool on);

std::wstring WindowText(HWND window);
// The caption of a tab control's tab.
std::wstring TabCaption(HWND tabControl, int index);

}  // namespace nadeshiro::ui
