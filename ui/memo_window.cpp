// Placeholder until the memo window lands.
#include "ui/memo_window.h"

namespace nadeshiro::ui {
const WindowSpec kMemoWindow{L"omoide", L"", 5655, 5490};
const std::vector<ControlSpec>& MemoWindowControls() { static std::vector<ControlSpec> none; return none; }
void ShowMemoWindow(HINSTANCE, const std::wstring&) {}
HWND MemoWindow() { return nullptr; }
HWND MemoControl(const wchar_t*) { return nullptr; }
const std::wstring& MemoWindowFolder() { static std::wstring s; return s; }
const std::wstring& MemoPath() { static std::wstring s; return s; }
}  // namespace nadeshiro::ui
