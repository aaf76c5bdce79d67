// What the program needs of the system beyond the standard library, behind
// one interface: whether standard output is a terminal and what it reads, the
// conversion of text into its character set, the Windows console's
// wide-character writes and process list, the standard descriptors, binary
// standard input, memory that grows in place, and reports replaced whole. PlatformPosix.cpp and
// PlatformWindows.cpp implement it; the build compiles the one for its target. Nothing outside this
// unit (and the text input library's reader) asks which system it runs on.
#ifndef DESCSTAT_PLATFORM_H
#define DESCSTAT_PLATFORM_H

#include <cstddef>
#include <string>
#include <vector>

namespace descstat {
namespace platform {

// True when standard output is a terminal (a POSIX terminal; a Windows
// console counts as a wide-character console instead, below).
bool StandardOutputIsTerminal();

// True when standard error is a terminal or a Windows console: a progress
// line (Progress.h) is written there, never into a pipe or a file.
bool StandardErrorIsTerminal();

// The character set of the user's locale (LC_ALL, LC_CTYPE, LANG), as the
// system names it ("UTF-8", "EUC-JP", ...); the one the name gives for a
// locale that is not installed; empty for the C and POSIX locales, which say
// nothing about the terminal, and on Windows. The program's own locale is left
// as it was, so that nothing else comes to depend on the user's environment.
std::string UserCharset();

// Converts UTF-8 text into the character set by the system's converter
// (iconv); false when the system has no such converter or the character set
// cannot hold every character of the text (always on Windows).
bool ConvertFromUtf8(const char* utf8, const std::string& charset, std::string& converted);

// True when standard output is a Windows console, which is given text in
// UTF-16 through its wide-character interface, whatever its code page.
bool StandardOutputIsWideConsole();

// Writes the text to the Windows console of standard output; false when that
// failed or wrote only part of it (and always where there is no such console).
bool WriteWideConsole(const std::u16string& text);

// The text of Shift_JIS bytes in UTF-16, decoded by the system (code page
// 932), as the Windows console is given it; empty where the bytes are no
// Shift_JIS text, and where the system has no such decoder (POSIX).
std::u16string ShiftJisToUtf16(const char* bytes);

// The processes attached to the console of this process (empty without a
// console, and on POSIX), each by its process number.
std::vector<unsigned long> ConsoleProcesses();

// Gives each standard descriptor the program was started without a stand-in
// that fails every write (/dev/null opened for reading), so that no file the
// run opens takes its number and gets console text. Nothing to do on Windows,
// whose handles are not numbered that way.
void HoldStandardDescriptors();

// Makes standard input deliver its bytes as they are (Windows would otherwise
// turn CR LF into LF and stop at a Ctrl-Z), for data copied from it.
void UseBinaryStandardInput();

// Address space for an array that grows in place: reserves up to `bytes`
// (fewer where the system or an address-space limit allows no more; `bytes`
// then tells how many), of which nothing is usable until committed. Null when
// not even `minimum` bytes can be had.
void* ReserveMemory(std::size_t& bytes, std::size_t minimum);

// Makes the first `bytes` of a reservation usable; false when the system has
// no memory for them.
bool CommitMemory(void* base, std::size_t bytes);

// Gives a reservation back.
void ReleaseMemory(void* base, std::size_t bytes);

// How a named output is written. One that is absent or a regular file is
// replaced whole: `path` is the file that gets it, with links followed.
// Anything else (a device, a FIFO, a terminal, a dangling link) is written in
// place, as the system opens it.
struct ReportTarget {
    bool replace = false;
    std::string path;
};
ReportTarget TargetOf(const std::string& report);

// What a name of an output is or would be when opened, so that two names of
// one file are told apart from two files: an existing file by its device and
// file number (links followed); a new one by its folder's and its own last
// name. `regular` is false for a device, a FIFO or a terminal, which hold
// nothing of the user's that a second output could overwrite.
struct FileIdentity {
    bool known = false;
    bool exists = false;
    bool regular = false;
    unsigned long long device = 0;
    unsigned long long number = 0;
    std::string newName;  // the last name in its folder, for a new file
};
FileIdentity IdentityOf(const std::string& name);

// The identity of what an open descriptor (1: standard output) writes to.
FileIdentity IdentityOfDescriptor(int fd);

// The descriptor that a name leads to when it is a link to one of this
// process's open descriptors (/dev/stdout, /dev/fd/N, /proc/self/fd/N, or a
// link to one of those); -1 for any other name, and always on Windows. Such a
// name is written through the descriptor, never replaced.
int DescriptorOfName(const std::string& name);

// Writes all the bytes to the descriptor, where it stands (at its end when it
// was opened for appending); false when any could not be written.
bool WriteToDescriptor(int fd, const std::string& bytes);

// Writes the bytes over the named file in place, locked against another run
// doing the same, so that two such runs leave one whole output; false (errno
// set) when it cannot be opened or written completely.
// `text`: the system's text line ends (Windows: CR LF for each LF).
bool WriteInPlace(const std::string& name, const std::string& bytes, bool text);

// Creates a new, empty file beside `path` (in the same folder, under a name
// no other file has, short enough for the system however long `path`'s last
// name is) and stores its name; false (errno set) when it cannot be made
// there. From the moment it exists it is removed if the program is ended by
// a signal, as RemoveOnSignal says, until ForgetOnSignal.
bool CreateFileBeside(const std::string& path, std::string& name);

// Gives the new file the permission bits `path` has, or those a new file
// would get where `path` does not exist yet.
void TakePermissions(const std::string& path, const std::string& newFile);

// Puts the new file in the place of `path` in one step; false (errno set)
// when it cannot.
bool PutInPlace(const std::string& newFile, const std::string& path);

// Removes the named file if the program is interrupted or ended by a signal
// (SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ, SIGQUIT, SIGXCPU, SIGALRM,
// SIGUSR1, SIGUSR2; on Windows Ctrl+C and the console closing) before
// ForgetOnSignal forgets it, so that no part of an output is left behind. A
// few files at a time (the outputs of one run).
void RemoveOnSignal(const std::string& name);
void ForgetOnSignal(const std::string& name);

// This process's number, for scratch names that no other process uses.
int ProcessId();

// The character set standard error is read in, for the data's text shown
// there: the locale's (UserCharset), UTF-8 where the locale says nothing;
// empty on Windows, whose console and pipes take the program's bytes as they
// are, in the system's code page.
std::string MessageCharset();

// Converts Shift_JIS (code page 932) bytes into the character set by the
// system's converter (iconv); false when a byte is no Shift_JIS or a character
// has no place in the set, and always on Windows.
bool ConvertFromShiftJis(const std::string& bytes, const std::string& charset,
                         std::string& converted);

// A table's text between Shift_JIS (code page 932) and UTF-8, as the system
// converts it (iconv; Windows' code page 932), for the names and labels of a
// Shift_JIS file compared with what the user typed and shown in a report of
// either encoding. False when a byte or a character cannot be converted.
bool ShiftJisToUtf8(const std::string& bytes, std::string& utf8);
bool Utf8ToShiftJis(const std::string& utf8, std::string& bytes);
// The text of the command line's arguments in UTF-8, from the locale's
// character set (POSIX) or the ANSI code page (Windows); false when it
// cannot be converted (it is then taken as it is).
bool ArgumentToUtf8(const std::string& argument, std::string& utf8);
// The program's arguments (after its name) in UTF-8 as the system was given
// them, where the system keeps them so (Windows' wide command line, which
// holds every character the ANSI code page may not); empty elsewhere, where
// the arguments are the locale's bytes (ArgumentToUtf8).
std::vector<std::string> ArgumentsInUtf8();
// The columns of the terminal or console standard output shows, 0 when it
// is none or does not say: the report's tables wrap there.
int TerminalColumns();
// The character set that a pipe or a file on standard output is read in, for
// the report written there: the locale's (UserCharset) on POSIX, empty where
// the locale names none (C, POSIX, no locale); on Windows "UTF-8" where the
// ANSI code page is UTF-8 (65001), empty for any other, whose pipes have
// always had the program's Shift_JIS bytes.
std::string PipeCharset();

}  // namespace platform
}  // namespace descstat

#endif  // DESCSTAT_PLATFORM_H
