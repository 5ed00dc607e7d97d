// What a killed copy left goes at the next write or memo view there; a running copy's (under
// any name), links, look-alikes and everything else stay whole.
#include "memo/memo_file.h"
#include "saves/commands.h"
#include "tests/test_support.h"

using ::testing::UnorderedElementsAreArray;

static std::wstring Temporary(DWORD processId, unsigned counter)
{
    wchar_t name[64];
    return swprintf(name, 64, L"~nadeshiro-%lx-%x.tmp", static_cast<unsigned long>(processId), counter), name;
}

// A copy of the tool at work (see leftover_writer.cpp), killed at the latest when the case ends.
// Its handle keeps its id from another process.
struct Writer {
    PROCESS_INFORMATION process;
    void Kill() { TerminateProcess(process.hProcess, 1), WaitForSingleObject(process.hProcess, 30000); }
    ~Writer() { Kill(), CloseHandle(process.hThread), CloseHandle(process.hProcess); }
};

// A copy under another name, held up in a restore (its slot's temporary file dated as the slot it
// copies, before the copy started): its leftover stays while it runs and goes once it is killed, at
// the next memo view there. So does a leftover whose writer's id has been given to a process
// started after it was written, at the next write there. (A killed copy's back-up folder, with a
// slot and a temporary file its writer named after it, going at the next write: the fault test's.)
// Look-alikes stay, and so do a link or a second name of someone else's file named like a
// leftover, and what such links point to; a leftover folder goes only with nothing but slot files
// and its own writer's later temporary files in it.
TEST(Leftovers, OnlyWhatAKilledCopyMadeGoesAtTheNextWriteOrMemoView)
{
    constexpr DWORD kIds = 0x2000;  // above every id Wine gives while the tests run
    TestFolder game, copies, source, reused, elsewhere;
    // Leftovers of every id, all their times (made, written, changed, where the system lets them be
    // set) on the first day of 2001, long before the writer below started.
    FILE_BASIC_INFO times{};
    times.CreationTime.QuadPart = times.LastWriteTime.QuadPart = times.ChangeTime.QuadPart = 0x01C07385C89DC000;
    for (DWORD id = 4; id < kIds; id += 4) {
        WriteBytes(reused / Temporary(id, 1), "before");
        HANDLE file = CreateFileW((reused / Temporary(id, 1)).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_TRUE(SetFileInformationByHandle(file, FileBasicInfo, &times, sizeof times) && CloseHandle(file)) << id;
    }
    const std::wstring renamed = copies / L"nadeshiro - コピー.exe";
    ASSERT_TRUE(CopyFileW(EnvironmentPath(L"NADESHIRO_WRITER").c_str(), renamed.c_str(), TRUE));
    for (const wchar_t* slot : {L"save00", L"save01"}) WriteBytes(source / slot, Utf8(slot));
    Writer restoring{StartProcess(renamed, L"\"" + renamed + L"\" \"" + game.Path() + L"\" \"" + source.Path() + L"\"")};
    const DWORD dead = restoring.process.dwProcessId;  // killed below
    ASSERT_LT(dead, kIds);
    const std::wstring restoreFile = Temporary(dead, 1);
    WaitFor([&] {  // held up at its replace, nothing holding its temporary file open
        HANDLE file = CreateFileW((game / restoreFile).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        return file != INVALID_HANDLE_VALUE && CloseHandle(file);
    }, 30000);
    SetFileAttributesW((game / restoreFile).c_str(), FILE_ATTRIBUTE_READONLY);  // as a failed copy leaves it
    // Kept: look-alikes (no name the tool gives: upper-case digits, no counter, a capital letter, a
    // leading zero, a zero counter or id, an id no process can have).
    Names keep = {L"~nadeshiro-ABC-1.tmp", L"~nadeshiro-1234.tmp", L"~Nadeshiro-" + Temporary(dead, 2).substr(11),
                  L"~nadeshiro-0" + Temporary(dead, 4).substr(11), Temporary(dead, 0), Temporary(0, 6), Temporary(dead | 1, 7)};
    for (const auto& name : keep) WriteBytes(game / name, "not ours to remove");
    const std::wstring fileLink = Temporary(dead, 11), folderLink = Temporary(dead, 12), hardLink = Temporary(dead, 13),
                       mixed = Temporary(dead, 16), linked = Temporary(dead, 17), nested = Temporary(dead, 18), foreign = Temporary(dead, 19),
                       earlier = Temporary(dead, 22);
    const std::pair<std::wstring, std::string> theirs[] = {{L"target", "someone else's"}, {L"hard", "someone else's too"}, {L"target2", "and this"}};
    for (const auto& [name, bytes] : theirs) {
        WriteBytes(elsewhere / name, bytes);
        SetFileAttributesW((elsewhere / name).c_str(), FILE_ATTRIBUTE_READONLY);
    }
    CreateDirectoryW((elsewhere / L"folder").c_str(), nullptr);
    WriteBytes(elsewhere / L"folder\\save00", "their save00");
    // Folders named like leftovers and what they hold, which stay whole.
    const std::pair<std::wstring, Names> folders[] = {{mixed, {L"notes.txt", L"save01"}}, {linked, {L"save02"}}, {nested, {L"save05"}},
        {foreign, {Temporary(dead - 4, 20)}}, {earlier, {Temporary(dead, 21)}}};
    for (const auto& [folder, names] : folders) {
        CreateDirectoryW((game / folder).c_str(), nullptr);
        for (const auto& name : names) WriteBytes(game / (folder + L"\\" + name), "copied");
    }
    CreateDirectoryW((game / (nested + L"\\save04")).c_str(), nullptr);
    struct Links {  // made by the system's ln; removed by its rm before the folders go (Wine cannot)
        Names paths;
        ~Links() { RunUnix(L"rm -f -- \"$0\" \"$1\" \"$2\"", paths); }
    } links{{UnixPath(game / fileLink), UnixPath(game / folderLink), UnixPath(game / (linked + L"\\save03"))}};
    ASSERT_TRUE(RunUnix(L"ln -s \"$0\" \"$1\" && ln -s \"$2\" \"$3\" && ln -s \"$4\" \"$5\"",
                        {UnixPath(elsewhere / L"target"), links.paths[0], UnixPath(elsewhere / L"folder"), links.paths[1],
                         UnixPath(elsewhere / L"target2"), links.paths[2]}));
    ASSERT_TRUE(CreateHardLinkW((game / hardLink).c_str(), (elsewhere / L"hard").c_str(), nullptr));
    keep.insert(keep.end(), {L"save00", L"save01", fileLink, folderLink, hardLink, mixed, linked, nested, foreign, earlier});
    Recorder recorder;
    MainFields fields;
    fields.GameFolder = game.Path();
    ASSERT_TRUE(RunHandler([&] { Restore(fields, source.Path()); }));  // writes into the game folder
    ASSERT_TRUE(RunHandler([&] { WriteMemo(reused.Path(), L"思い出"); }));
    EXPECT_THAT(ListFolder(game.Path()), ::testing::Contains(restoreFile));  // the look-alikes and links: once it is killed too
    EXPECT_EQ(ReadBytes(reused / restoreFile), "<missing>");
    restoring.Kill();
    std::wstring shown;
    ASSERT_TRUE(RunHandler([&] { ShowMemo(game.Path(), shown); }));
    EXPECT_THAT(ListFolder(game.Path()), UnorderedElementsAreArray(keep));
    for (const auto& [name, bytes] : theirs) {
        EXPECT_EQ(ReadBytes(elsewhere / name), bytes);
        EXPECT_EQ(GetFileAttributesW((elsewhere / name).c_str()) & FILE_ATTRIBUTE_READONLY, DWORD(FILE_ATTRIBUTE_READONLY)) << Utf8(name);
    }
    EXPECT_EQ(ListFolder(elsewhere / L"folder"), Names{L"save00"});
    for (const auto& [folder, names] : folders) EXPECT_THAT(ListFolder(game / folder), ::testing::IsSupersetOf(names)) << Utf8(folder);
    // A link or a junction named like a leftover is a reparse point on Windows. Wine makes none (its
    // CreateSymbolicLinkW makes nothing; it refuses FSCTL_SET_REPARSE_POINT): that rule on its own.
    EXPECT_FALSE(platform::MayBeOwnEntry(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT, 1, true));    // a link to a file
    EXPECT_FALSE(platform::MayBeOwnEntry(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, 1, true));  // a junction
}
