// What only a player's own account meets: folders it cannot write and files it cannot read,
// refused by the system itself through Unix permissions under Wine. Each failure is reported
// with the file it concerns, and nothing that was there is lost. The test script runs this
// program as an ordinary account; as root the permissions would not hold, so it fails there.

#include "memo/memo_file.h"
#include "saves/commands.h"
#include "tests/test_support.h"

namespace {

// The folder the tests' folders are made in.
std::wstring TestFolderRoot()
{
    wchar_t temp[MAX_PATH + 1];
    std::wstring root(temp, GetTempPathW(MAX_PATH + 1, temp));
    if (!root.empty() && root.back() == L'\\') root.pop_back();
    return root;
}

// The Unix path of a Windows path, as Wine maps it.
std::string UnixPath(const std::wstring& path)
{
    using ToUnix = char*(CDECL*)(const wchar_t*);
    static auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (toUnix == nullptr) return {};
    char* unix = toUnix(path.c_str());
    if (unix == nullptr) return {};
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

std::wstring Wide(const std::string& utf8)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

// Sets a file's or folder's Unix permission bits with the system's chmod. Wine starts a Unix
// program without a handle to wait on, so the program leaves a mark when it is done.
void Chmod(const char* mode, const std::wstring& path)
{
    static int count = 0;
    std::wstring done = TestFolderRoot() + L"\\chmod-done-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(++count);
    std::string target = UnixPath(path), mark = UnixPath(done);
    ASSERT_FALSE(target.empty() || mark.empty()) << "these tests need Wine's Unix paths";
    std::wstring commandLine = L"/bin/sh -c \"chmod $0 \\\"$1\\\" && touch \\\"$2\\\"\" " + Wide(mode) + L" \"" +
                               Wide(target) + L"\" \"" + Wide(mark) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(L"Z:\\bin\\sh", commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process))
        << "cannot run /bin/sh: " << GetLastError();
    for (int i = 0; i < 200 && !FileExists(done); ++i) Sleep(25);
    ASSERT_TRUE(FileExists(done)) << "chmod " << mode << " " << target << " did not finish";
    DeleteFileW(done.c_str());
}

// Takes the write (or read) permission away for as long as it lives.
class Locked {
public:
    Locked(const std::wstring& path, const char* mode) : path_(path) { Chmod(mode, path_); }
    ~Locked() { Chmod("u+rwx", path_); }

private:
    std::wstring path_;
};

struct PlayerAccountTest : ::testing::Test {
    TestFolder game, backups;
    MainFields fields;
    Recorder recorder;
    void SetUp() override
    {
        fields.GameFolder = game.Path();
        WriteBytes(game / L"save00", SlotContent(L"game00"));
        WriteBytes(game / L"save03", SlotContent(L"game03"));
        WriteBytes(game / L"save07", SlotContent(L"game07"));
    }
    // The permission really holds: this account cannot make a file in the folder.
    static void ExpectUnwritable(const std::wstring& folder)
    {
        std::wstring probe = folder + L"\\probe";
        HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            DeleteFileW(probe.c_str());
            FAIL() << "this account can write where it may not: run it as an ordinary account, as scripts/test.sh does";
        }
    }
    bool ReportedAbout(const std::wstring& path) const
    {
        return recorder.Reported() && recorder.messages[0].prompt.find(path) != std::wstring::npos;
    }
};

TEST_F(PlayerAccountTest, RestoreIntoAGameFolderTheAccountCannotWriteKeepsEverySlot)
{
    TestFolder backup;
    WriteBytes(backup / L"save00", "restored00");
    WriteBytes(backup / L"save07", "restored07");
    {
        Locked locked(game.Path(), "a-w");
        ExpectUnwritable(game.Path());
        EXPECT_FALSE(RunHandler([&] { Restore(fields, backup.Path()); }));
    }
    EXPECT_TRUE(ReportedAbout(game / L"save00"));
    EXPECT_EQ(ReadBytes(game / L"save00"), SlotContent(L"game00"));
    EXPECT_EQ(ReadBytes(game / L"save07"), SlotContent(L"game07"));
    EXPECT_EQ(ListFolder(game.Path()), (std::vector<std::wstring>{L"save00", L"save03", L"save07"}));
}

TEST_F(PlayerAccountTest, BackUpIntoAParentTheAccountCannotWriteMakesNothing)
{
    {
        Locked locked(backups.Path(), "a-w");
        ExpectUnwritable(backups.Path());
        EXPECT_FALSE(RunHandler([&] { BackUp(fields, backups.Path(), L"新しい退避"); }));
    }
    EXPECT_TRUE(ReportedAbout(backups / L"新しい退避"));
    EXPECT_TRUE(ListFolder(backups.Path()).empty());
}

TEST_F(PlayerAccountTest, BackUpOfASlotTheAccountCannotReadStopsThereWithTheLowerSlotsWhole)
{
    {
        Locked locked(game / L"save03", "a-r");
        EXPECT_FALSE(RunHandler([&] { BackUp(fields, backups.Path(), L"途中まで"); }));
    }
    EXPECT_TRUE(ReportedAbout(game / L"save03"));
    EXPECT_EQ(ListFolder(backups / L"途中まで"), (std::vector<std::wstring>{L"save00"}));
    EXPECT_EQ(ReadBytes(backups / L"途中まで\\save00"), SlotContent(L"game00"));
    EXPECT_EQ(ReadBytes(game / L"save03"), SlotContent(L"game03"));
}

TEST_F(PlayerAccountTest, MemoIntoAFolderTheAccountCannotWriteKeepsTheEarlierMemo)
{
    WriteMemo(backups.Path(), L"最初の思い出");
    std::string before = ReadBytes(backups / L"omoide.txt");
    {
        Locked locked(backups.Path(), "a-w");
        ExpectUnwritable(backups.Path());
        EXPECT_FALSE(RunHandler([&] { WriteMemo(backups.Path(), L"上書きされない思い出"); }));
    }
    EXPECT_TRUE(ReportedAbout(backups / L"omoide.txt"));
    EXPECT_EQ(ReadBytes(backups / L"omoide.txt"), before);
    EXPECT_EQ(ListFolder(backups.Path()), (std::vector<std::wstring>{L"omoide.txt"}));
}

}  // namespace
