// Times the start of the tool, from its process being created to its main window shown and
// waiting for input, against a bare window program with the same menu bar, alternated round
// by round, and prints both medians and their ratio. Both start in a game folder of their own
// with a few slot files.
//   wine build/bench/bench_startup.exe [rounds] [tool.exe] [bare.exe] [pause]
// pause: milliseconds to wait after each program has ended (default 0), so that the system's
// tidying up after one program is not paid by the start of the next.
// Each program is named by its file name (bench\bare_controls.exe: the bare window with the
// standard controls the tool shows at start).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"

using nadeshiro::bench::Median;
using nadeshiro::bench::Now;

namespace {

std::wstring Beside(const wchar_t* relative)
{
    wchar_t self[MAX_PATH * 2];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    std::wstring folder(self, length);
    folder.resize(folder.find_last_of(L'\\') + 1);
    return folder + relative;
}

std::wstring FileName(const std::wstring& path)
{
    std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
    return name.substr(0, name.rfind(L'.'));
}

struct Found {
    DWORD processId;
    HWND window;
};

BOOL CALLBACK FindShown(HWND window, LPARAM lParam)
{
    auto* found = reinterpret_cast<Found*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == found->processId && IsWindowVisible(window) && GetWindow(window, GW_OWNER) == nullptr) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

// Seconds from the start of program to its window shown and idle; negative on failure.
double TimeStart(const std::wstring& program, const std::wstring& folder, DWORD settle = 0)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    double start = Now();
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process))
        return -1;
    WaitForInputIdle(process.hProcess, 20000);
    Found found{process.dwProcessId, nullptr};
    for (int i = 0; i < 20000 && found.window == nullptr; ++i) {
        EnumWindows(FindShown, reinterpret_cast<LPARAM>(&found));
        if (found.window == nullptr) Sleep(1);
    }
    double elapsed = Now() - start;
    if (found.window != nullptr) PostMessageW(found.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // The system tidies up after a program a little after it has ended; the next start does
    // not pay for that.
    Sleep(settle);
    return found.window != nullptr ? elapsed : -1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    int rounds = argc > 1 ? _wtoi(argv[1]) : 20;
    if (rounds < 1) rounds = 1;
    // An empty argument keeps the default.
    std::wstring tool = argc > 2 && argv[2][0] != 0 ? argv[2] : Beside(L"..\\nadeshiro.exe");
    std::wstring bare = argc > 3 && argv[3][0] != 0 ? argv[3] : Beside(L"bare_window.exe");
    DWORD settle = argc > 4 ? static_cast<DWORD>(_wtoi(argv[4])) : 0;

    wchar_t temp[MAX_PATH + 1];
    std::wstring folder(temp, GetTempPathW(MAX_PATH + 1, temp));
    folder += L"nadeshiro-bench-game";
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* name : {L"\\save00", L"\\save07", L"\\save29"}) {
        HANDLE f = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, "slot", 4, &written, nullptr);
        CloseHandle(f);
    }

    // One start of each first, unmeasured, so that neither pays for the first load alone.
    TimeStart(tool, folder);
    TimeStart(bare, folder);
    std::vector<double> toolTimes, bareTimes;
    for (int r = 0; r < rounds; ++r) {
        // Each goes first every other round, so that neither always starts while the system is
        // still tidying up after the other.
        double t = 0, b = 0;
        if (r % 2 == 0) t = TimeStart(tool, folder, settle), b = TimeStart(bare, folder, settle);
        else b = TimeStart(bare, folder, settle), t = TimeStart(tool, folder, settle);
        if (t < 0 || b < 0) {
            std::fprintf(stderr, "%ls did not show its window (round %d)\n", FileName(t < 0 ? tool : bare).c_str(), r + 1);
            return 1;
        }
        toolTimes.push_back(t);
        bareTimes.push_back(b);
    }
    double t = Median(toolTimes) * 1000, b = Median(bareTimes) * 1000;
    std::printf("start to window shown and idle: %ls %.1f ms, %ls %.1f ms, ratio %.2f (medians of %d)\n",
                FileName(tool).c_str(), t, FileName(bare).c_str(), b, t / b, rounds);
    for (const wchar_t* name : {L"\\save00", L"\\save07", L"\\save29"}) DeleteFileW((folder + name).c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
