// What a crash leaves: a copy of the tool killed while writing leaves its temporary file; the
// next write into that folder removes it, and keeps the temporary files of copies that still
// run and every file of another name.

#include <algorithm>

#include "memo/memo_file.h"
#include "saves/commands.h"
#include "tests/test_support.h"

namespace {

std::wstring TemporaryName(DWORD processId, unsigned counter)
{
    wchar_t name[64];
    swprintf(name, 64, L"~nadeshiro-%lx-%x.tmp", static_cast<unsigned long>(processId), counter);
    return name;
}

struct Writer {
    PROCESS_INFORMATION process{};
    // Starts program on folder and waits (at most about 30 s) for its temporary file there.
    Writer(const std::wstring& program, const std::wstring& folder)
    {
        process = StartProcess(program, L"\"" + program + L"\" \"" + folder + L"\"");
        for (int i = 0; i < 300 && TemporaryFilesIn(folder).empty(); ++i) Sleep(100);
        EXPECT_EQ(TemporaryFilesIn(folder), Names{TemporaryName(process.dwProcessId, 1)});
    }
    void Kill() { TerminateProcess(process.hProcess, 1); WaitForSingleObject(process.hProcess, 30000); }
    // The handle stays open until here, so that the process id is not given to another.
    ~Writer() { Kill(); CloseHandle(process.hThread); CloseHandle(process.hProcess); }
};

TEST(Leftovers, AKilledCopysTemporaryFileGoesAtTheNextWriteAndNothingElse)
{
    std::wstring writer = EnvironmentPath(L"NADESHIRO_WRITER");
    TestFolder game, busy, other;
    // The same program under another name is not the tool.
    std::wstring notTool = other / L"another program.exe";
    ASSERT_TRUE(CopyFileW(writer.c_str(), notTool.c_str(), FALSE)) << "NADESHIRO_WRITER names the writer";
    Writer killed(writer, game.Path()), running(writer, busy.Path()), stranger(notTool, other.Path());
    killed.Kill();
    const DWORD dead = killed.process.dwProcessId;
    SetFileAttributesW((game / TemporaryName(dead, 1)).c_str(), FILE_ATTRIBUTE_READONLY);  // as a failed copy leaves it

    // Beside the real leftover: names of a running copy and names that only look like the
    // tool's (kept), of a running program that is not the tool and of a process that does not
    // exist (removed), and a folder named like a leftover (kept).
    const Names keep = {TemporaryName(running.process.dwProcessId, 0xff), L"~nadeshiro-zz-1.tmp", L"~nadeshiro-1234.tmp",
                        L"~Nadeshiro-" + TemporaryName(dead, 2).substr(11), TemporaryName(dead, 3) + L".bak", L"save00.tmp",
                        L"~nadeshiro-ABC-1.tmp"};
    for (const auto& name : keep) WriteBytes(game / name, "not ours to remove");
    for (const auto& name : {TemporaryName(stranger.process.dwProcessId, 7), TemporaryName(0x7ffffff0, 1)}) WriteBytes(game / name, "left");
    CreateDirectoryW((game / TemporaryName(dead, 9)).c_str(), nullptr);

    Recorder recorder;
    MainFields fields;
    fields.GameFolder = game.Path();
    TestFolder backup;
    WriteBytes(backup / L"save03", "backup03");
    ASSERT_TRUE(RunHandler([&] { Restore(fields, backup.Path()); }));
    Names expected = keep;
    expected.insert(expected.end(), {L"save03", TemporaryName(dead, 9)});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ListFolder(game.Path()), expected);
    EXPECT_EQ(ReadBytes(game / L"save03"), "backup03");

    // The memo's folder too: the running copy's file stays until it is killed.
    WriteMemo(busy.Path(), L"memo");
    EXPECT_EQ(TemporaryFilesIn(busy.Path()).size(), 1u);
    running.Kill();
    WriteMemo(busy.Path(), L"memo");
    EXPECT_EQ(ListFolder(busy.Path()), Names{L"omoide.txt"});
    EXPECT_TRUE(recorder.messages.empty());
}

}  // namespace
