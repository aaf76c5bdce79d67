// What the program needs of the system beyond the standard library, behind
// one interface: whether standard output is a terminal and what it reads, the
// Windows console's wide-character writes, the standard descriptors, binary
// standard input, whether standard output is the data file, and temporary
// files. PlatformPosix.cpp and PlatformWindows.cpp implement it; the build
// compiles the one for its target. Nothing outside this unit (and the text
// input library's reader) asks which system it runs on.
#ifndef DESCSTAT_PLATFORM_H
#define DESCSTAT_PLATFORM_H

#include <cstdio>
#include <string>

#include "mylib/RdTxtLn.h"

namespace descstat {
namespace platform {

// True when standard output is a terminal (a POSIX terminal; a Windows
// console counts as a wide-character console instead, below).
bool StandardOutputIsTerminal();

// True when the user's locale (LC_ALL, LC_CTYPE, LANG) has UTF-8 as its
// character set. The program's own locale is left as it was, so that nothing
// else comes to depend on the user's environment. False on Windows.
bool UserCharsetIsUtf8();

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

// Gives each standard descriptor the program was started without a stand-in
// that fails every write (/dev/null opened for reading), so that no file the
// run opens takes its number and gets console text. Nothing to do on Windows,
// whose handles are not numbered that way.
void HoldStandardDescriptors();

// Makes standard input deliver its bytes as they are (Windows would otherwise
// turn CR LF into LF and stop at a Ctrl-Z), for data copied from it.
void UseBinaryStandardInput();

// True when standard output is the very file the reader holds open, so that a
// report written there would change the data (`descstat d.txt >> d.txt`).
bool StandardOutputIsOpenFile(const myLib::RdTxtLn& reader);

// Creates a new, empty file in the temporary folder under a name no other file
// has, open for binary writing, and stores that name. Null when it could not
// be made; errno then tells why.
std::FILE* CreateTemporaryFile(std::string& name);

// This process's number, for scratch names that no other process uses.
int ProcessId();

}  // namespace platform
}  // namespace descstat

#endif  // DESCSTAT_PLATFORM_H
