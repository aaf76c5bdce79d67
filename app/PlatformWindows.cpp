// The platform layer on Windows (MinGW-w64 builds).
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/Platform.h"

namespace descstat {
namespace platform {

namespace {

constexpr unsigned kShiftJisCodePage = 932;

}  // namespace

// A Windows console is told apart from a pipe or a file by its mode; it is
// written through the wide-character interface instead (below).
bool StandardOutputIsTerminal() { return false; }

bool StandardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

// A Windows console is never a POSIX terminal, so no locale is asked.
std::string UserCharset() { return {}; }

// Japanese reaches a Windows console as wide characters instead.
bool ConvertFromUtf8(const char* /*utf8*/, const std::string& /*charset*/,
                     std::string& /*converted*/) {
    return false;
}

bool StandardOutputIsWideConsole() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

bool WriteWideConsole(const std::u16string& text) {
    DWORD written = 0;
    const std::wstring wide(text.begin(), text.end());
    return WriteConsoleW(GetStdHandle(STD_OUTPUT_HANDLE), wide.data(),
                         static_cast<DWORD>(wide.size()), &written, nullptr) != 0 &&
           written == wide.size();
}

std::u16string ShiftJisToUtf16(const char* bytes) {
    const int size = static_cast<int>(std::strlen(bytes));
    const int wide =
        MultiByteToWideChar(kShiftJisCodePage, MB_ERR_INVALID_CHARS, bytes, size, nullptr, 0);
    if (wide <= 0) return {};
    std::wstring text(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(kShiftJisCodePage, MB_ERR_INVALID_CHARS, bytes, size, text.data(), wide);
    return std::u16string(text.begin(), text.end());
}

std::vector<unsigned long> ConsoleProcesses() {
    // Room for a few; a console shared by more is not this process's own.
    DWORD list[4];
    const DWORD count = GetConsoleProcessList(list, 4);
    if (count == 0) return {};  // no console
    if (count > 4) return std::vector<unsigned long>(count, 0);
    return std::vector<unsigned long>(list, list + count);
}

void HoldStandardDescriptors() {}

void UseBinaryStandardInput() { (void)_setmode(_fileno(stdin), _O_BINARY); }

void* ReserveMemory(std::size_t& bytes, std::size_t minimum) {
    for (std::size_t size = bytes; size >= minimum && size > 0; size /= 2) {
        void* base = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
        if (base == nullptr) continue;
        bytes = size;
        return base;
    }
    return nullptr;
}

bool CommitMemory(void* base, std::size_t bytes) {
    return VirtualAlloc(base, bytes, MEM_COMMIT, PAGE_READWRITE) != nullptr;
}

void ReleaseMemory(void* base, std::size_t /*bytes*/) { (void)VirtualFree(base, 0, MEM_RELEASE); }

ReportTarget TargetOf(const std::string& report) {
    if (GetFileAttributesA(report.c_str()) == INVALID_FILE_ATTRIBUTES) return {true, report};
    const HANDLE h =
        CreateFileA(report.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {false, report};
    const bool disk = GetFileType(h) == FILE_TYPE_DISK;
    CloseHandle(h);
    const DWORD attributes = GetFileAttributesA(report.c_str());
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return {disk && !folder, report};
}

FileIdentity IdentityOf(const std::string& name) {
    const HANDLE h = CreateFileA(name.c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    if (h != INVALID_HANDLE_VALUE) {
        FileIdentity id;
        if (GetFileInformationByHandle(h, &info) != 0) {
            id.known = true;
            id.exists = true;
            id.regular = GetFileType(h) == FILE_TYPE_DISK &&
                         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
            id.device = info.dwVolumeSerialNumber;
            id.number =
                (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        }
        CloseHandle(h);
        return id;
    }
    // A new file: its folder and its last name there, in any case (Windows
    // names are the same file whatever their case).
    const std::size_t slash = name.find_last_of("\\/:");
    const std::string folder = slash == std::string::npos ? "." : name.substr(0, slash + 1);
    std::string last = slash == std::string::npos ? name : name.substr(slash + 1);
    if (last.empty()) return {};
    FileIdentity id = IdentityOf(folder);
    if (!id.known) return {};
    for (char& c : last) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    id.exists = false;
    id.regular = true;
    id.newName = last;
    return id;
}

FileIdentity IdentityOfDescriptor(int fd) {
    const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    BY_HANDLE_FILE_INFORMATION info{};
    if (h == INVALID_HANDLE_VALUE || GetFileInformationByHandle(h, &info) == 0) return {};
    FileIdentity id;
    id.known = true;
    id.exists = true;
    id.regular = GetFileType(h) == FILE_TYPE_DISK;
    id.device = info.dwVolumeSerialNumber;
    id.number = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return id;
}

// Windows has no names for its descriptors.
int DescriptorOfName(const std::string& /*name*/) { return -1; }

bool WriteToDescriptor(int fd, const std::string& bytes) {
    return _write(fd, bytes.data(), static_cast<unsigned>(bytes.size())) ==
           static_cast<int>(bytes.size());
}

bool WriteInPlace(const std::string& name, const std::string& bytes, bool text) {
    std::FILE* f = std::fopen(name.c_str(), text ? "w" : "wb");
    if (f == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

bool CreateFileBeside(const std::string& path, std::string& name) {
    const std::size_t slash = path.find_last_of("\\/:");
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    char made[MAX_PATH + 1];
    if (GetTempFileNameA(folder.c_str(), "dst", 0, made) == 0) {
        // A folder that is not there (whatever the system's code for it)
        // is no folder that may not be written.
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesA(folder.c_str());
        const bool noFolder =
            attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
        errno = error == ERROR_PATH_NOT_FOUND || noFolder ? ENOENT
                : error == ERROR_DISK_FULL                ? ENOSPC
                                                          : EACCES;
        return false;
    }
    name = made;
    RemoveOnSignal(name);
    return true;
}

// The new file takes the permissions its folder gives new files.
void TakePermissions(const std::string& /*path*/, const std::string& /*newFile*/) {}

bool PutInPlace(const std::string& newFile, const std::string& path) {
    if (MoveFileExA(newFile.c_str(), path.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
        return true;
    }
    errno = EACCES;
    return false;
}

namespace {

// The new files of one run's outputs, each removed if the run is ended.
constexpr int kMaxProtected = 4;
char protectedName[kMaxProtected][MAX_PATH + 1];
volatile LONG protectedArmed[kMaxProtected] = {0, 0, 0, 0};

// Ctrl+C, Ctrl+Break and the console closing: the files go, then the
// system's own handling ends the program.
BOOL WINAPI RemoveAndEnd(DWORD /*event*/) {
    for (int i = 0; i < kMaxProtected; ++i) {
        if (protectedArmed[i] != 0) (void)DeleteFileA(protectedName[i]);
    }
    return FALSE;
}

bool AnyProtected() {
    for (int i = 0; i < kMaxProtected; ++i) {
        if (protectedArmed[i] != 0) return true;
    }
    return false;
}

}  // namespace

void RemoveOnSignal(const std::string& name) {
    if (name.size() > MAX_PATH) return;
    const bool first = !AnyProtected();
    for (int i = 0; i < kMaxProtected; ++i) {
        if (protectedArmed[i] != 0) continue;
        std::memcpy(protectedName[i], name.c_str(), name.size() + 1);
        protectedArmed[i] = 1;
        break;
    }
    if (first) (void)SetConsoleCtrlHandler(RemoveAndEnd, TRUE);
}

void ForgetOnSignal(const std::string& name) {
    for (int i = 0; i < kMaxProtected; ++i) {
        if (protectedArmed[i] != 0 && name == protectedName[i]) protectedArmed[i] = 0;
    }
    if (!AnyProtected()) (void)SetConsoleCtrlHandler(RemoveAndEnd, FALSE);
}

int ProcessId() { return _getpid(); }

// The console shows narrow text in its code page, and a pipe takes it as it
// is: the data's bytes are left as they are, but for control characters.
std::string MessageCharset() { return {}; }

bool ConvertFromShiftJis(const std::string& /*bytes*/, const std::string& /*charset*/,
                         std::string& /*converted*/) {
    return false;
}

namespace {

// Bytes of one code page in another, through UTF-16; false when a byte or a
// character has no place.
bool Recode(const std::string& bytes, unsigned from, unsigned to, std::string& out) {
    out.clear();
    if (bytes.empty()) return true;
    const int size = static_cast<int>(bytes.size());
    const int wide =
        MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (wide <= 0) return false;
    std::wstring text(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, bytes.data(), size, text.data(), wide);
    BOOL lost = FALSE;
    const bool utf8 = to == CP_UTF8;
    const int n = WideCharToMultiByte(to, utf8 ? WC_ERR_INVALID_CHARS : 0, text.data(), wide,
                                      nullptr, 0, nullptr, utf8 ? nullptr : &lost);
    if (n <= 0 || lost) return false;
    out.assign(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(to, utf8 ? WC_ERR_INVALID_CHARS : 0, text.data(), wide, out.data(), n,
                        nullptr, nullptr);
    return true;
}

}  // namespace

bool ShiftJisToUtf8(const std::string& bytes, std::string& utf8) {
    return Recode(bytes, kShiftJisCodePage, CP_UTF8, utf8);
}

bool Utf8ToShiftJis(const std::string& utf8, std::string& bytes) {
    return Recode(utf8, CP_UTF8, kShiftJisCodePage, bytes);
}

bool ArgumentToUtf8(const std::string& argument, std::string& utf8) {
    return Recode(argument, GetACP(), CP_UTF8, utf8);
}

std::vector<std::string> ArgumentsInUtf8() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return {};
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
        const int n = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string utf8(n > 0 ? static_cast<std::size_t>(n) : 1, '\0');
        if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, utf8.data(), n, nullptr, nullptr);
        utf8.resize(utf8.size() - 1);  // the terminating NUL
        arguments.push_back(utf8);
    }
    LocalFree(static_cast<HLOCAL>(wide));
    return arguments;
}

int TerminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info) == 0) return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

// A UTF-8 code page is the user's choice ("Use Unicode UTF-8"); any other
// keeps the Shift_JIS bytes that Japanese Windows reads.
std::string PipeCharset() {
    constexpr unsigned kUtf8CodePage = 65001;
    return GetACP() == kUtf8CodePage ? "UTF-8" : "";
}

}  // namespace platform
}  // namespace descstat
