// A killed copy's temporary file goes at the next write there; a running copy's and others stay.
#include <algorithm>

#include "saves/commands.h"
#include "tests/test_support.h"

static std::wstring Temporary(DWORD processId, unsigned counter)
{
    wchar_t name[64];
    return swprintf(name, 64, L"~nadeshiro-%lx-%x.tmp", static_cast<unsigned long>(processId), counter), name;
}

struct Writer {  // a writer on folder, its temporary file made; its handle keeps the id from reuse
    PROCESS_INFORMATION process;
    Writer(const std::wstring& program, const std::wstring& folder) : process(StartProcess(program, L"\"" + program + L"\" \"" + folder + L"\""))
    {
        for (int i = 0; i < 300 && TemporaryFilesIn(folder).empty(); ++i) Sleep(100);
        EXPECT_EQ(TemporaryFilesIn(folder), Names{Temporary(process.dwProcessId, 1)});
    }
    void Kill() { TerminateProcess(process.hProcess, 1), WaitForSingleObject(process.hProcess, 30000); }
    ~Writer() { Kill(), CloseHandle(process.hThread), CloseHandle(process.hProcess); }
};

TEST(Leftovers, AKilledCopysTemporaryFileGoesAtTheNextWriteAndNothingElse)
{
    std::wstring writer = EnvironmentPath(L"NADESHIRO_WRITER");
    TestFolder game, busy, backup;
    Writer killed(writer, game.Path()), running(writer, busy.Path());
    killed.Kill();
    const DWORD dead = killed.process.dwProcessId;
    SetFileAttributesW((game / Temporary(dead, 1)).c_str(), FILE_ATTRIBUTE_READONLY);  // as a failed copy leaves it
    // Kept: a running copy's, look-alikes, a folder.
    Names keep = {Temporary(running.process.dwProcessId, 0xff), L"~nadeshiro-zz-1.tmp", L"~nadeshiro-1234.tmp", L"save00.tmp",
                  L"~Nadeshiro-" + Temporary(dead, 2).substr(11), Temporary(dead, 3) + L".bak", L"~nadeshiro-ABC-1.tmp"};
    for (const auto& name : keep) WriteBytes(game / name, "not ours to remove");
    CreateDirectoryW((game / Temporary(dead, 9)).c_str(), nullptr);
    Recorder recorder;
    MainFields fields; fields.GameFolder = game.Path();
    WriteBytes(backup / L"save03", "backup03");
    ASSERT_TRUE(RunHandler([&] { Restore(fields, backup.Path()); }));
    keep.insert(keep.end(), {L"save03", Temporary(dead, 9)});
    std::sort(keep.begin(), keep.end());
    EXPECT_EQ(ListFolder(game.Path()), keep);
    EXPECT_TRUE(recorder.messages.empty());
}
