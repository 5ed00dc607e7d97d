// Placeholder until the version window lands.
#include "ui/version_window.h"

namespace nadeshiro::ui {
const WindowSpec kVersionWindow{L"help_ver", L"", 5475, 1500};
const std::vector<ControlSpec>& VersionWindowControls() { static std::vector<ControlSpec> none; return none; }
void ShowVersionWindow(HINSTANCE) {}
HWND VersionWindow() { return nullptr; }
HWND VersionControl(const wchar_t*) { return nullptr; }
}  // namespace nadeshiro::ui
