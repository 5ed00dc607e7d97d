// Stands in for the game "one.exe" in the demo folder and in the tests: a small window that
// says what it is. When NADESHIRO_STANDIN_REPORT names a file, it writes its command line
// and current folder there (UTF-16) and ends at once.
#include <windows.h>

#include <string>

namespace {

bool WriteReport(const wchar_t* reportPath)
{
    wchar_t folder[MAX_PATH * 4] = {};
    GetCurrentDirectoryW(MAX_PATH * 4, folder);
    std::wstring text = std::wstring(GetCommandLineW()) + L"\n" + folder + L"\n";
    HANDLE file = CreateFileW(reportPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    return true;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT area;
        GetClientRect(window, &area);
        HFONT font = CreateFontW(-18, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0, 0, CLEARTYPE_QUALITY,
                                 0, L"MS UI Gothic");
        HGDIOBJ old = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, L"ここでゲーム one.exe が始まります。\r\nこれはテスト用の代わりのプログラムです。", -1, &area,
                  DT_CENTER | DT_VCENTER | DT_WORDBREAK);
        SelectObject(dc, old);
        DeleteObject(font);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    wchar_t reportPath[MAX_PATH * 4] = {};
    if (GetEnvironmentVariableW(L"NADESHIRO_STANDIN_REPORT", reportPath, MAX_PATH * 4) > 0)
        return WriteReport(reportPath) ? 0 : 1;

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"OneStandIn";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(L"OneStandIn", L"one (stand-in)", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                480, 200, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, show);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
