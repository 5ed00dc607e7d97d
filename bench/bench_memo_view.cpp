// Times the memo view (the third tab's button) over memo files of 10,000 and 100,000 lines,
// shown in the real main window, and prints both times and their ratio. Needs a display.
//   wine build/bench/bench_memo_view.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/platform.h"
#include "bench/bench_support.h"
#include "ui/main_window.h"
#include "ui/window_layout.h"

using namespace nadeshiro;
using nadeshiro::bench::Median;
using nadeshiro::bench::Now;

namespace {

void Pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::wstring MakeMemoFolder(const std::wstring& base, int lines)
{
    std::wstring folder = base + L"\\memo-" + std::to_wstring(lines);
    CreateDirectoryW(folder.c_str(), nullptr);
    std::string bytes = "\"";
    // "思い出 n 行目: abc..." in code page 932.
    const std::string words = "\x8e\x76\x82\xa2\x8f\x6f ";
    for (int i = 0; i < lines; ++i) {
        bytes += words + std::to_string(i) + " \x8d\x73\x96\xda: the day we saved before the last battle";
        bytes += i + 1 < lines ? "\r\n" : "\"\r\n";
    }
    HANDLE file = CreateFileW((folder + L"\\omoide.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return folder;
}

double TimeView(const std::wstring& folder, int rounds)
{
    HWND text2 = ui::MainForm().Control(L"Text2");
    HWND command3 = ui::MainForm().Control(L"Command3");
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
        SetWindowTextW(text2, L"");
        ui::Dir1().SetPath(folder);
        Pump();
        double t0 = Now();
        SendMessageW(command3, BM_CLICK, 0, 0);
        Pump();
        times.push_back(Now() - t0);
    }
    return Median(times);
}

}  // namespace

int wmain()
{
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    std::wstring base = temp;
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    std::wstring small = MakeMemoFolder(base, 10000);
    std::wstring large = MakeMemoFolder(base, 100000);

    platform::Hooks hooks;
    hooks.messageBox = [](const std::wstring& prompt, int, const std::wstring&) {
        std::fwprintf(stderr, L"message: %ls\n", prompt.c_str());
    };
    platform::SetHooks(hooks);
    HWND window = ui::CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE);
    if (window == nullptr) {
        std::printf("no window: this benchmark needs a display\n");
        return 1;
    }
    ui::FillStartLists();
    ui::MainForm().MakePage(2);  // the memo view's tab
    Pump();
    double a = TimeView(small, 5) * 1000;
    double b = TimeView(large, 3) * 1000;
    int length = GetWindowTextLengthW(ui::MainForm().Control(L"Text2"));
    if (length == 0) {
        std::printf("the memo view showed nothing: no figures\n");
        return 1;
    }
    std::printf("memo view of  10,000 lines: %8.1f ms\n", a);
    std::printf("memo view of 100,000 lines: %8.1f ms (%d characters shown)\n", b, length);
    std::printf("ratio 100,000 / 10,000: %.2f (10 would be exactly linear)\n", b / a);
    DestroyWindow(window);
    for (const auto& folder : {small, large}) {
        DeleteFileW((folder + L"\\omoide.txt").c_str());
        RemoveDirectoryW(folder.c_str());
    }
    return 0;
}
