// What a crash leaves: a copy of the tool killed while writing leaves its temporary file;
// the next write into that folder removes it, and keeps the temporary files of copies that
// still run and every file of another name.

#include "memo/memo_file.h"
#include "saves/commands.h"
#include "tests/test_support.h"

namespace {

using Names = std::vector<std::wstring>;

std::wstring TemporaryName(DWORD processId, unsigned counter)
{
    wchar_t name[64];
    swprintf(name, 64, L"~nadeshiro-%lx-%x.tmp", static_cast<unsigned long>(processId), counter);
    return name;
}

// Starts program with the folder as its argument; returns the process.
PROCESS_INFORMATION Start(const std::wstring& program, const std::wstring& folder)
{
    std::wstring commandLine = L"\"" + program + L"\" \"" + folder + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    EXPECT_TRUE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process))
        << Utf8(program);
    return process;
}

// Waits (at most about 30 seconds) until the folder holds this many temporary files.
Names WaitForTemporaryFiles(const std::wstring& folder, size_t count)
{
    Names found;
    for (int i = 0; i < 300 && (found = TemporaryFilesIn(folder)).size() < count; ++i) Sleep(100);
    return found;
}

void Kill(PROCESS_INFORMATION& process)
{
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, 30000);
}

TEST(Leftovers, AKilledCopysTemporaryFileGoesAtTheNextWriteAndNothingElse)
{
    std::wstring writer = HostPath(Environment(L"NADESHIRO_WRITER"));
    ASSERT_TRUE(FileExists(writer)) << "NADESHIRO_WRITER names the writer built as nadeshiro.exe";
    TestFolder game, busy, other;
    // A running copy of the tool, and the same program under another name, that is not the tool.
    std::wstring notTool = other / L"another program.exe";
    ASSERT_TRUE(CopyFileW(writer.c_str(), notTool.c_str(), FALSE));
    PROCESS_INFORMATION killed = Start(writer, game.Path()), running = Start(writer, busy.Path());
    PROCESS_INFORMATION stranger = Start(notTool, other.Path());
    Names left = WaitForTemporaryFiles(game.Path(), 1);
    ASSERT_EQ(left, (Names{TemporaryName(killed.dwProcessId, 1)}));
    ASSERT_EQ(WaitForTemporaryFiles(busy.Path(), 1).size(), 1u);
    ASSERT_EQ(WaitForTemporaryFiles(other.Path(), 1).size(), 1u);
    Kill(killed);  // its handle stays open here, so its process id is not given to another

    // Beside the real leftover: names of a running copy (kept), of a running program that is
    // not the tool and of a process that does not exist (both removed), and names that only
    // look like the tool's (kept).
    const Names keep = {TemporaryName(running.dwProcessId, 0xff), L"~nadeshiro-zz-1.tmp", L"~nadeshiro-1234.tmp",
                        L"~Nadeshiro-" + TemporaryName(killed.dwProcessId, 2).substr(11), TemporaryName(killed.dwProcessId, 3) + L".bak",
                        L"save00.tmp", L"~nadeshiro-ABC-1.tmp"};
    const Names remove = {TemporaryName(stranger.dwProcessId, 7), TemporaryName(0x7ffffff0, 1)};
    for (const auto& name : keep) WriteBytes(game / name, "not ours to remove");
    for (const auto& name : remove) WriteBytes(game / name, "left");
    std::wstring folderLikeATemporary = game / TemporaryName(killed.dwProcessId, 9);
    CreateDirectoryW(folderLikeATemporary.c_str(), nullptr);
    SetFileAttributesW((game / left[0]).c_str(), FILE_ATTRIBUTE_READONLY);  // as a copy that failed half-way leaves it

    Recorder recorder;
    MainFields fields;
    fields.GameFolder = game.Path();
    TestFolder backup;
    WriteBytes(backup / L"save03", "backup03");
    ASSERT_TRUE(RunHandler([&] { Restore(fields, backup.Path()); }));
    Names expected = keep;
    expected.push_back(L"save03");
    expected.push_back(TemporaryName(killed.dwProcessId, 9));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ListFolder(game.Path()), expected);
    EXPECT_EQ(ReadBytes(game / L"save03"), "backup03");

    // The memo's folder too: the running copy's file stays until it is killed.
    WriteMemo(busy.Path(), L"memo");
    EXPECT_EQ(TemporaryFilesIn(busy.Path()).size(), 1u);
    Kill(running);
    WriteMemo(busy.Path(), L"memo");
    EXPECT_EQ(ListFolder(busy.Path()), (Names{L"omoide.txt"}));
    EXPECT_TRUE(recorder.messages.empty());

    Kill(stranger);
    for (auto* process : {&killed, &running, &stranger}) {
        CloseHandle(process->hThread);
        CloseHandle(process->hProcess);
    }
}

}  // namespace
