// The operations the tool takes from Windows, one function per operation, named by its
// role. Every failing operation raises RuntimeError; nothing here shows a window but the
// message box. The file system calls behind them go through one seam, app/system_calls.h.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/owned.h"
#include "app/runtime_error.h"

namespace nadeshiro::platform {

// Existence probe: the name of the first directory entry matching path (files of any
// attribute and folders; never a volume label), empty when nothing matches. A path ending
// in "\" lists that folder's own entries; wildcards match as a listing does.
std::wstring Probe(const std::wstring& path);
// Whether anything (a file or a folder, of any attributes) is there under exactly this path:
// the name is compared as it is, never as a pattern. A path ending in "\" is its folder.
bool Exists(const std::wstring& path);

// Whether name can name one new folder made in folder, as Windows names folders: one name (no
// "\", "/" or drive, not "." or ".."), none of the characters Windows refuses in a name
// (< > : " | ? * and control characters), not ending in a dot or a space, no device's name (CON,
// PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9 and their superscript-digit forms, CONIN$ and CONOUT$,
// with an extension or not), not of the form of the tool's temporary names, and short enough
// that the folder and every file the tool writes into it stay within the longest path Windows
// takes from the tool (which does not ask for long paths). The empty name is none.
bool IsFolderName(const std::wstring& folder, const std::wstring& name);

inline bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Whether path is an existing folder.
bool IsFolder(const std::wstring& path);
// Raises path not found (76), naming path, unless path is an existing folder.
void RequireFolder(const std::wstring& path);

// The names of the subfolders of folder, in the order the system lists them, without the
// system's own hidden folders ("System Volume Information" and the like). Raises when the
// folder cannot be listed.
std::vector<std::wstring> Subfolders(const std::wstring& folder);

// Copies a whole file, replacing an existing destination. The destination is at every
// moment either its old file or the complete new copy: the copy is made beside it under a
// temporary name, flushed, and then put in its place. A read-only destination or one that
// another program holds open is refused and left as it was. A file copied onto itself is
// left alone.
void CopyWholeFile(const std::wstring& from, const std::wstring& to);

// Whether a new file can be made in folder: one is made under a temporary name and removed.
// When not, the system's error says why.
bool CanCreateFileIn(const std::wstring& folder);

// Removes the temporary files and folders a run of the tool that has ended (a crash, a power
// cut) left in folder: named exactly as the tool names them, "~nadeshiro-<process id>-<counter>.tmp"
// in lower-case hexadecimal without leading zeros, with an id a process can have (a nonzero
// multiple of four) and a nonzero counter, whose process is gone: no process of that id runs,
// or the one that does started after the leftover was last changed (it was given the id of one
// that ended). Only what the tool made goes: a plain file with no other name, or a real folder,
// that is itself that entry of folder and not reached through a link; a folder with the slot
// files and temporary files in it, and only when it holds nothing else and its temporary files
// are its own writer's, named after it. Each is deleted through the one handle it was checked
// by. Everything else, and what a running copy of the tool writes under whatever name, is left
// alone. Never fails.
void RemoveLeftoverTemporaries(const std::wstring& folder) noexcept;
// Whether an entry with these attributes and this many names may be one the tool made, as
// the tidying asks: a plain file with one name, or a real folder where folders are allowed;
// never a link or another reparse point (a junction), whatever it points to.
bool MayBeOwnEntry(DWORD attributes, DWORD links, bool folders);

// The drives (bit 0 for A:), a drive's type (DRIVE_FIXED, DRIVE_CDROM, ...) and its volume's
// name (false when the drive is not ready), by the drive's letter.
DWORD Drives();
UINT DriveType(wchar_t letter);
bool VolumeName(wchar_t letter, std::wstring& name);

// The full, long form of path without a trailing separator (but for a drive's root); empty
// when the system cannot make it full.
std::wstring FullPath(const std::wstring& path);

// The full path of the current directory.
std::wstring CurrentDirectory();

// A file written whole: the new content goes into a temporary file beside path, and Commit
// flushes it and puts it in the place of path. Until then, and when the writer goes without
// Commit (a failing step), path is its old file and the temporary file is removed. The
// caller has checked that path may be replaced.
class WholeFileWriter {
public:
    explicit WholeFileWriter(const std::wstring& path);
    ~WholeFileWriter();
    WholeFileWriter(const WholeFileWriter&) = delete;
    WholeFileWriter& operator=(const WholeFileWriter&) = delete;

    void Write(const char* data, size_t size);
    // written, when given, becomes the file's last-written time; attributes, when not 0,
    // its attributes.
    void Commit(const FILETIME* written = nullptr, DWORD attributes = 0);

private:
    void Discard() noexcept;
    std::wstring path_;
    std::wstring temporaryPath_;
    Handle file_;
};

// A folder made whole: it is made under a temporary name beside path (in path's folder, once
// the leftovers there are tidied), filled through TemporaryPath, and given the name path by
// Commit. Until then nothing of the name path is made, and a writer that goes without Commit
// removes the temporary folder with the files in it. The caller has checked path's last name
// (IsFolderName); failures to make the folder name path.
class FolderWriter {
public:
    explicit FolderWriter(const std::wstring& path);
    ~FolderWriter() { Discard(); }
    FolderWriter(const FolderWriter&) = delete;
    FolderWriter& operator=(const FolderWriter&) = delete;

    const std::wstring& TemporaryPath() const { return temporaryPath_; }
    // Where a path inside the temporary folder is once the folder has its name.
    std::wstring Named(const std::wstring& inside) const;
    // Gives the folder the name path, never replacing anything of that name: 0, or the system's
    // error (ERROR_ALREADY_EXISTS when the name has been taken meanwhile). A folder another
    // program holds for a moment is tried again, as a replace is.
    DWORD Commit() noexcept;

private:
    void Discard() noexcept;
    std::wstring path_;
    std::wstring temporaryPath_;
};

// A text file, open from its construction to Close. Input reads an existing file from its
// start; output replaces the file whole at Close. A file that goes without Close (a handler
// stopped part-way) is closed with it, and an output file then leaves the old file as it was.
enum class FileMode { Input, Output };
class TextFile {
public:
    TextFile(const std::wstring& path, FileMode mode);
    // The next line without its line end. A line ends at CR LF, at a lone CR or at a lone LF.
    std::wstring ReadLine();
    // Writes text as one quoted record: 0x22, the text in code page 932, 0x22, CR LF.
    void WriteItem(const std::wstring& text);
    bool EndOfFile() const;
    // An output file is flushed and put in place of the old one.
    void Close();

private:
    std::wstring path_;
    std::string bytes_;  // input: the whole file
    size_t position_ = 0;
    std::optional<WholeFileWriter> output_;
};

// Message box styles the tool uses.
constexpr int kStyleOk = 0;
constexpr int kStyleCritical = 16;
constexpr int kStyleWarning = 48;
void ShowMessage(const std::wstring& prompt, int style, const std::wstring& title);
void Beep();

// Starts the program at path, with folder as its current folder, in a window of the given
// show style (1: normal, with the focus), as Explorer starts it: the path is taken whole,
// with no arguments, and a program marked to run as administrator asks for elevation. The
// tool does not wait for it. A program that cannot be started, or whose elevation the user
// declines, raises.
void StartProgram(const std::wstring& path, const std::wstring& folder, int windowStyle);

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
