// The operations the tool takes from Windows, one function per operation, named by its
// role. Every failing operation raises RuntimeError; nothing here shows a window but the
// message box.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/runtime_error.h"

namespace nadeshiro::platform {

// Existence probe: the name of the first directory entry matching path (files of any
// attribute and folders; never a volume label), empty when nothing matches. A path ending
// in "\" lists that folder's own entries; wildcards match as a listing does.
std::wstring Probe(const std::wstring& path);
inline bool Exists(const std::wstring& path) { return !Probe(path).empty(); }

// Creates one new folder.
void CreateFolder(const std::wstring& path);

// Copies a whole file, replacing an existing destination. The destination is at every
// moment either its old file or the complete new copy: the copy is made beside it under a
// temporary name, flushed, and then put in its place. A read-only destination or one that
// another program holds open is refused and left as it was. A file copied onto itself is
// left alone.
void CopyWholeFile(const std::wstring& from, const std::wstring& to);

// Whether a new file can be made in folder: one is made under a temporary name and removed.
bool CanCreateFileIn(const std::wstring& folder);

// Removes the temporary files a run of the tool that has ended (a crash, a power cut) left in
// folder: files named as the tool names them, "~nadeshiro-<process id>-<counter>.tmp" in
// lower-case hexadecimal, whose process is gone or is not the tool. Files of a running copy of
// the tool, and every other file, are left alone. Never fails.
void RemoveLeftoverTemporaries(const std::wstring& folder) noexcept;

// The full path of the current directory.
std::wstring CurrentDirectory();

// Text files, by file number. Input reads an existing file from its start; output creates
// the file or replaces it whole when it is closed (until then the old file stays).
enum class FileMode { Input, Output };
void OpenFile(const std::wstring& path, FileMode mode, int fileNumber);
// The next line without its line end. A line ends at CR LF, at a lone CR or at a lone LF.
std::wstring ReadLine(int fileNumber);
// Writes text as one quoted record: 0x22, the text in code page 932, 0x22, CR LF.
void WriteItem(int fileNumber, const std::wstring& text);
bool EndOfFile(int fileNumber);
// Closes the file; an output file is flushed and put in place of the old one.
void CloseFile(int fileNumber);
// Drops an open file without putting an output file in place. Never fails.
void AbandonFile(int fileNumber) noexcept;

// Message box styles the tool uses.
constexpr int kStyleOk = 0;
constexpr int kStyleCritical = 16;
constexpr int kStyleWarning = 48;
void ShowMessage(const std::wstring& prompt, int style, const std::wstring& title);
void Beep();

// Starts the program at path in a window of the given show style (1: normal, with the
// focus). The program's path is named to the system on its own, and its quoted path is
// its command line. The tool does not wait for it.
void StartProgram(const std::wstring& path, int windowStyle);

// Ends the tool at once: every window closed, no further handler runs.
void EndProgram();

// Tests replace the message box, the beep and the end of the program so that they can see
// each of them without a modal box or the test itself ending. Empty members keep the real
// operation.
struct Hooks {
    std::function<void(const std::wstring& prompt, int style, const std::wstring& title)> messageBox;
    std::function<void()> beep;
    std::function<void()> endProgram;
};
void SetHooks(Hooks hooks);

// The window that owns message boxes (the main window).
void SetMessageOwner(HWND owner);

}  // namespace nadeshiro::platform

namespace nadeshiro::platform {

// Abandons a file number when a handler stops part-way, so that no file stays open between
// events and no half-written output replaces anything.
class FileNumberGuard {
public:
    explicit FileNumberGuard(int fileNumber) : fileNumber_(fileNumber) {}
    ~FileNumberGuard() { AbandonFile(fileNumber_); }
    FileNumberGuard(const FileNumberGuard&) = delete;
    FileNumberGuard& operator=(const FileNumberGuard&) = delete;

private:
    int fileNumber_;
};

}  // namespace nadeshiro::platform
