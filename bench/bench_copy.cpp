// Times the slot copy (a temporary file per slot, flushed, then put in place) against two
// yardsticks over the same thirty files, and prints the times and both ratios:
// - a bare loop of CopyFileW, which promises nothing if the copy is cut short;
// - the same guarantee done plainly: CopyFileW to a file beside, flushed to the disk, then moved
//   over the destination.
//   wine build/bench/bench_copy.exe [rounds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/state.h"
#include "bench/bench_support.h"
#include "saves/slot_set.h"

using namespace nadeshiro;
using nadeshiro::bench::Median;
using nadeshiro::bench::Now;

namespace {

std::wstring MakeFolder(const std::wstring& base, const std::wstring& name)
{
    std::wstring path = base + L"\\" + name;
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

void RemoveFiles(const std::wstring& folder)
{
    for (int i = 0; i < SlotCount; ++i) DeleteFileW((folder + L"\\save" + SlotNumberText(i)).c_str());
    RemoveDirectoryW(folder.c_str());
}

void Run(const std::wstring& base, size_t fileSize, int rounds)
{
    std::wstring source = MakeFolder(base, L"bench-source");
    std::wstring atomic = MakeFolder(base, L"bench-atomic");
    std::wstring bare = MakeFolder(base, L"bench-bare");
    std::wstring guarded = MakeFolder(base, L"bench-guarded");
    std::string bytes(fileSize, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 131 + 7);
    for (int i = 0; i < SlotCount; ++i) {
        HANDLE f = CreateFileW((source + L"\\save" + SlotNumberText(i)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD w;
        WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &w, nullptr);
        CloseHandle(f);
    }

    MainFields fields;
    const std::function<void()> ways[] = {
        [&] { CopySlotSet(fields, source, atomic); },
        [&] {
            for (int i = 0; i < SlotCount; ++i) {
                std::wstring name = L"\\save" + SlotNumberText(i);
                CopyFileW((source + name).c_str(), (bare + name).c_str(), FALSE);
            }
        },
        [&] {
            for (int i = 0; i < SlotCount; ++i) {
                std::wstring name = L"\\save" + SlotNumberText(i), beside = guarded + L"\\~bench.tmp";
                CopyFileW((source + name).c_str(), beside.c_str(), FALSE);
                HANDLE f = CreateFileW(beside.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
                FlushFileBuffers(f);
                CloseHandle(f);
                MoveFileExW(beside.c_str(), (guarded + name).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
            }
        }};
    std::vector<double> times[3];
    for (int r = 0; r < rounds; ++r) {
        // Each round starts with another of the three, so that none always gets a warmer cache.
        for (int k = 0; k < 3; ++k) {
            const int way = (r + k) % 3;
            double start = Now();
            ways[way]();
            times[way].push_back(Now() - start);
        }
    }
    double a = Median(times[0]) * 1000, b = Median(times[1]) * 1000, g = Median(times[2]) * 1000;
    std::printf("30 slot files of %6zu KiB: slot copy %8.2f ms, bare CopyFileW %8.2f ms (ratio %.2f), "
                "CopyFileW beside + flush + move %8.2f ms (ratio %.2f), medians of %d\n",
                fileSize / 1024, a, b, a / b, g, a / g, rounds);
    RemoveFiles(source);
    RemoveFiles(atomic);
    RemoveFiles(bare);
    RemoveFiles(guarded);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    int rounds = argc > 1 ? _wtoi(argv[1]) : 15;
    if (rounds < 1) rounds = 1;
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    std::wstring base = temp;
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    Run(base, 64 * 1024, rounds);
    Run(base, 1024 * 1024, rounds);
    return 0;
}
