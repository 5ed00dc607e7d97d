// What a killed copy left goes at the next write or memo view there; a running copy's (under
// any name), links, look-alikes and everything else stay whole.
#include <algorithm>

#include "memo/memo_file.h"
#include "saves/commands.h"
#include "tests/test_support.h"

static std::wstring Temporary(DWORD processId, unsigned counter)
{
    wchar_t name[64];
    return swprintf(name, 64, L"~nadeshiro-%lx-%x.tmp", static_cast<unsigned long>(processId), counter), name;
}

static bool Closed(const std::wstring& path)  // nothing holds it open
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    return file != INVALID_HANDLE_VALUE && CloseHandle(file);
}

// A writer caught at work in folder (see leftover_writer.cpp), once it is held up: writing a
// memo, a restore from or a back-up of source. Its handle keeps its id from another process.
struct Writer {
    PROCESS_INFORMATION process;
    Writer(const std::wstring& program, const std::wstring& folder, const std::wstring& mode = L"", const std::wstring& source = L"")
        : process(StartProcess(program, L"\"" + program + L"\" \"" + folder + L"\" " + mode + L" \"" + source + L"\""))
    {
        const std::wstring made = folder + L"\\" + Temporary(process.dwProcessId, 1);  // its temporary file or folder
        WaitFor([&] {
            return mode == L"restore" ? Closed(made) : mode == L"backup" ? Closed(made + L"\\" + Temporary(process.dwProcessId, 3)) : !TemporaryFilesIn(folder).empty();
        }, 30000);
        EXPECT_EQ(TemporaryFilesIn(folder), Names{Temporary(process.dwProcessId, 1)});
    }
    void Kill() { TerminateProcess(process.hProcess, 1), WaitForSingleObject(process.hProcess, 30000); }
    ~Writer() { Kill(), CloseHandle(process.hThread), CloseHandle(process.hProcess); }
};

static Names Sorted(Names names) { return std::sort(names.begin(), names.end()), names; }

// A killed copy's leftovers go; so does a leftover whose writer's id has been given to a process
// started after it was written, while one of a process running since before it stays.
TEST(Leftovers, AKilledCopysTemporaryFileGoesAtTheNextWriteOrMemoViewAndNothingElse)
{
    constexpr DWORD kIds = 0x2000;  // above every id Wine gives while the tests run
    std::wstring writer = EnvironmentPath(L"NADESHIRO_WRITER");
    TestFolder game, busy, backup, viewed, reused;
    // Leftovers of every id, all their times (made, written, changed, where the system lets them be
    // set) when this process started: before the writers below.
    FILETIME started, unused[3];
    GetProcessTimes(GetCurrentProcess(), &started, &unused[0], &unused[1], &unused[2]);
    FILE_BASIC_INFO times{};
    times.CreationTime.QuadPart = times.LastWriteTime.QuadPart = times.ChangeTime.QuadPart = ULARGE_INTEGER{{started.dwLowDateTime, started.dwHighDateTime}}.QuadPart;
    for (DWORD id = 4; id < kIds; id += 4) {
        WriteBytes(reused / Temporary(id, 1), "before");
        HANDLE file = CreateFileW((reused / Temporary(id, 1)).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_TRUE(SetFileInformationByHandle(file, FileBasicInfo, &times, sizeof times) && CloseHandle(file));
    }
    Writer killed(writer, game.Path()), running(writer, busy.Path()), killedInViewed(writer, viewed.Path());
    killed.Kill(), killedInViewed.Kill();
    const DWORD dead = killed.process.dwProcessId;
    ASSERT_LT(running.process.dwProcessId, kIds);
    SetFileAttributesW((game / Temporary(dead, 1)).c_str(), FILE_ATTRIBUTE_READONLY);  // as a failed copy leaves it
    // Kept: a running copy's, look-alikes (no name the tool gives: a leading zero, a zero, an id no
    // process can have), a folder of the killed copy's naming that holds a file of another name.
    Names keep = {Temporary(running.process.dwProcessId, 0xff), L"~nadeshiro-zz-1.tmp", L"~nadeshiro-1234.tmp", L"save00.tmp",
                  L"~Nadeshiro-" + Temporary(dead, 2).substr(11), Temporary(dead, 3) + L".bak", L"~nadeshiro-ABC-1.tmp",
                  L"~nadeshiro-0" + Temporary(dead, 4).substr(11), Temporary(dead, 5).insert(Temporary(dead, 5).size() - 5, L"0"),
                  Temporary(dead, 0), Temporary(0, 6), Temporary(dead | 1, 7)};
    for (const auto& name : keep) WriteBytes(game / name, "not ours to remove");
    CreateDirectoryW((game / Temporary(dead, 9)).c_str(), nullptr);
    WriteBytes(game / (Temporary(dead, 9) + L"\\notes.txt"), "theirs");
    CreateDirectoryW((game / Temporary(dead, 10)).c_str(), nullptr);  // empty: goes
    Recorder recorder;
    MainFields fields; fields.GameFolder = game.Path();
    WriteBytes(backup / L"save03", "backup03");
    ASSERT_TRUE(RunHandler([&] { Restore(fields, backup.Path()); }));
    keep.insert(keep.end(), {L"save03", Temporary(dead, 9)});
    EXPECT_EQ(ListFolder(game.Path()), Sorted(keep));
    EXPECT_EQ(ReadBytes(game / (Temporary(dead, 9) + L"\\notes.txt")), "theirs");
    std::wstring shown;
    ASSERT_TRUE(RunHandler([&] { ShowMemo(viewed.Path(), shown); }));  // the memo view reads there: tidied too
    EXPECT_EQ(ListFolder(viewed.Path()), Names{});
    ASSERT_TRUE(RunHandler([&] { WriteMemo(reused.Path(), L"思い出"); }));
    EXPECT_EQ(ReadBytes(reused / Temporary(GetCurrentProcessId(), 1)), "before");
    EXPECT_EQ(ReadBytes(reused / Temporary(running.process.dwProcessId, 1)), "<missing>");
    EXPECT_EQ(recorder.messages.size(), 0u);
}

// A link or a second name of someone else's file, named like a leftover, and what such links
// point to, stay; a leftover folder goes only with nothing but slot files and its own writer's
// later temporary files in it.
TEST(Leftovers, OnlyWhatTheToolMadeGoesLinksAndWhatTheyPointToStayWhole)
{
    TestFolder game, elsewhere, backup;
    const DWORD none = 0xffffffc;  // no process has an id so high
    const std::wstring fileLink = Temporary(none, 1), folderLink = Temporary(none, 2), hardLink = Temporary(none, 3),
                       plain = Temporary(none, 4), clean = Temporary(none, 5), mixed = Temporary(none, 7), linked = Temporary(none, 8),
                       nested = Temporary(none, 9), foreign = Temporary(none, 10), earlier = Temporary(none, 11);
    WriteBytes(elsewhere / L"target", "someone else's");
    WriteBytes(elsewhere / L"hard", "someone else's too");
    WriteBytes(elsewhere / L"target2", "and this");
    CreateDirectoryW((elsewhere / L"folder").c_str(), nullptr);
    WriteBytes(elsewhere / L"folder\\save00", "their save00");
    for (const wchar_t* name : {L"target", L"hard", L"target2"}) SetFileAttributesW((elsewhere / name).c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_NE(UnixPath(game.Path()), L"") << "links are made with Wine's Unix paths";
    for (const auto& name : {clean, mixed, linked, nested, foreign, earlier}) CreateDirectoryW((game / name).c_str(), nullptr);
    struct Links {  // made by the system's ln; removed by its rm before the folders go (Wine cannot)
        Names paths;
        ~Links() { RunUnix(L"rm -f -- \"$0\" \"$1\" \"$2\"", paths); }
    } links{{UnixPath(game / fileLink), UnixPath(game / folderLink), UnixPath(game / (linked + L"\\save03"))}};
    ASSERT_TRUE(RunUnix(L"ln -s \"$0\" \"$1\" && ln -s \"$2\" \"$3\" && ln -s \"$4\" \"$5\"",
                        {UnixPath(elsewhere / L"target"), links.paths[0], UnixPath(elsewhere / L"folder"), links.paths[1],
                         UnixPath(elsewhere / L"target2"), links.paths[2]}));
    ASSERT_TRUE(CreateHardLinkW((game / hardLink).c_str(), (elsewhere / L"hard").c_str(), nullptr));
    WriteBytes(game / plain, "a killed copy's");
    SetFileAttributesW((game / plain).c_str(), FILE_ATTRIBUTE_READONLY);
    for (const std::wstring& name : {std::wstring(L"save00"), std::wstring(L"save29"), Temporary(none, 6)}) WriteBytes(game / (clean + L"\\" + name), "copied");
    WriteBytes(game / (foreign + L"\\" + Temporary(none - 4, 12)), "another writer's");
    WriteBytes(game / (earlier + L"\\" + Temporary(none, 10)), "named before the folder");
    SetFileAttributesW((game / (clean + L"\\save29")).c_str(), FILE_ATTRIBUTE_READONLY);
    for (const wchar_t* name : {L"save01", L"notes.txt"}) WriteBytes(game / (mixed + L"\\" + name), "kept");
    WriteBytes(game / (linked + L"\\save02"), "kept");
    CreateDirectoryW((game / (nested + L"\\save04")).c_str(), nullptr);
    WriteBytes(game / (nested + L"\\save05"), "kept");
    Recorder recorder;
    MainFields fields; fields.GameFolder = game.Path();
    WriteBytes(backup / L"save03", "backup03");
    ASSERT_TRUE(RunHandler([&] { Restore(fields, backup.Path()); }));
    EXPECT_EQ(ListFolder(game.Path()), Sorted({fileLink, folderLink, hardLink, mixed, linked, nested, foreign, earlier, L"save03"}));
    EXPECT_EQ(ReadBytes(elsewhere / L"target"), "someone else's");
    EXPECT_EQ(ReadBytes(elsewhere / L"hard"), "someone else's too");
    EXPECT_EQ(ReadBytes(elsewhere / L"target2"), "and this");
    for (const wchar_t* name : {L"target", L"hard", L"target2"})
        EXPECT_EQ(GetFileAttributesW((elsewhere / name).c_str()) & FILE_ATTRIBUTE_READONLY, DWORD(FILE_ATTRIBUTE_READONLY)) << Utf8(name);
    EXPECT_EQ(ListFolder(elsewhere / L"folder"), Names{L"save00"});
    EXPECT_EQ(ReadBytes(game / hardLink), "someone else's too");
    EXPECT_EQ(ListFolder(game / mixed), (Names{L"notes.txt", L"save01"}));
    EXPECT_EQ(ListFolder(game / linked), (Names{L"save02", L"save03"}));
    EXPECT_EQ(ListFolder(game / nested), (Names{L"save04", L"save05"}));
    EXPECT_EQ(recorder.messages.size(), 0u);
    // A link or a junction named like a leftover is a reparse point on Windows. Wine makes none (its
    // CreateSymbolicLinkW makes nothing; it refuses FSCTL_SET_REPARSE_POINT): that rule on its own.
    EXPECT_FALSE(platform::MayBeOwnEntry(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT, 1, true));    // a link to a file
    EXPECT_FALSE(platform::MayBeOwnEntry(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, 1, true));  // a junction
}

// Copies under another name, held up in a restore (its slot's temporary file closed, dated as the
// slot it copies, long ago) and in a back-up: theirs stay while they run and go once they are
// killed. A back-up cut short never shows under its name.
TEST(Leftovers, ARunningCopyKeepsWhatItWritesWhateverItsNameAndABackUpCutShortNeverLooksWhole)
{
    TestFolder game, backups, copies, source;
    const std::wstring renamed = copies / L"nadeshiro - コピー.exe";
    ASSERT_TRUE(CopyFileW(EnvironmentPath(L"NADESHIRO_WRITER").c_str(), renamed.c_str(), TRUE));
    for (const wchar_t* slot : {L"save00", L"save01"}) WriteBytes(source / slot, Utf8(slot));
    HANDLE slot = CreateFileW((source / L"save00").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const FILETIME longAgo{0xC89DC000, 0x01C07385};  // 2001-01-01
    ASSERT_TRUE(SetFileTime(slot, nullptr, nullptr, &longAgo));
    CloseHandle(slot);
    Writer restoring(renamed, game.Path(), L"restore", source.Path()), backingUp(renamed, backups.Path(), L"backup", source.Path());
    Recorder recorder;
    MainFields fields; fields.GameFolder = game.Path();
    const std::wstring restoreFile = Temporary(restoring.process.dwProcessId, 1), backUpFolder = Temporary(backingUp.process.dwProcessId, 1);
    for (bool running : {true, false}) {
        SCOPED_TRACE(running ? "running" : "killed");
        if (!running) restoring.Kill(), backingUp.Kill();
        ASSERT_TRUE(RunHandler([&] { Restore(fields, source.Path()); }));  // writes into the game folder
        ASSERT_TRUE(RunHandler([&] { BackUp(fields, backups.Path(), running ? L"while running" : L"after"); }));
        EXPECT_EQ(ListFolder(game.Path()), running ? Sorted({restoreFile, L"save00", L"save01"}) : (Names{L"save00", L"save01"}));
        EXPECT_EQ(ListFolder(backups.Path()), running ? Sorted({backUpFolder, L"while running"}) : (Names{L"after", L"while running"}));
    }
    EXPECT_EQ(recorder.messages.size(), 0u);
}
