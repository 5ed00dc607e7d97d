// The yardstick for the start-up benchmark: a bare window program with the tool's menu bar
// and nothing else, shown the same way.
#include <windows.h>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = L"NadeshiroBareWindow";
    if (!RegisterClassExW(&windowClass)) return 1;

    HMENU bar = CreateMenu();
    HMENU first = CreatePopupMenu();
    AppendMenuW(first, MF_STRING, 1, L"終了");
    HMENU help = CreatePopupMenu();
    AppendMenuW(help, MF_STRING, 2, L"バージョン情報");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(first), L"なでしろ");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"ヘルプ");

    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"なでしろ",
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 569, 339, nullptr, bar, instance, nullptr);
    if (window == nullptr) return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
