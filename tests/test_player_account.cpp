// Folders a player's account cannot write, files it cannot read (Unix permissions under Wine).
#include <functional>

#include "memo/memo_file.h"
#include "saves/commands.h"
#include "tests/test_support.h"

// chmod mode path, by the system's chmod.
static void Chmod(const char* mode, const std::wstring& path)
{
    ASSERT_TRUE(RunUnix(L"chmod $0 \"$1\"", {std::wstring(mode, mode + strlen(mode)), UnixPath(path)}))
        << "chmod " << mode << " " << Utf8(path) << " did not finish (these tests need Wine's Unix paths)";
}

TEST(PlayerAccount, WhatTheAccountCannotWriteOrReadIsReportedAndNothingIsLost)
{
    TestFolder game, backups, backup;
    MainFields fields;
    fields.GameFolder = game.Path();
    for (const wchar_t* slot : {L"save00", L"save03", L"save07"}) WriteBytes(game / slot, SlotContent(slot));
    WriteBytes(backup / L"save00", "restored00");
    WriteMemo(backups.Path(), L"最初の思い出");
    const std::string memo = ReadBytes(backups / L"omoide.txt");
    const struct { const char* mode; std::wstring locked; std::function<void()> command; std::wstring named; } cases[] = {
        {"a-w", game.Path(), [&] { Restore(fields, backup.Path()); }, game / L"save00"},  // a game folder it cannot write
        {"a-w", backups.Path(), [&] { BackUp(fields, backups.Path(), L"新しい退避"); }, backups / L"新しい退避"},  // a back-up parent
        {"a-r", game / L"save03", [&] { BackUp(fields, backups.Path(), L"途中まで"); }, game / L"save03"},  // a slot it cannot read
        {"a-w", backups.Path(), [&] { WriteMemo(backups.Path(), L"上書きされない思い出"); }, backups / L"omoide.txt"}};  // a memo folder
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.named));
        Recorder recorder;
        Chmod(c.mode, c.locked);
        EXPECT_FALSE(RunHandler(c.command)) << "run it as an ordinary account, as scripts/test.sh does";
        Chmod("u+rwx", c.locked);
        EXPECT_THAT(recorder.messages, ElementsAre(Report(c.named)));
    }
    for (const wchar_t* slot : {L"save00", L"save03", L"save07"}) EXPECT_EQ(ReadBytes(game / slot), SlotContent(slot));
    EXPECT_THAT(ListFolder(backups.Path()), ElementsAre(L"omoide.txt", L"途中まで"));  // only the back-up stopped at save03
    EXPECT_THAT(ListFolder(backups / L"途中まで"), ElementsAre(L"save00"));
    EXPECT_EQ(ReadBytes(backups / L"途中まで\\save00"), SlotContent(L"save00"));
    EXPECT_EQ(ReadBytes(backups / L"omoide.txt"), memo);
}
