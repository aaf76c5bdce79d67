// The platform layer on POSIX systems (Linux and the like).
#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <stdlib.h>  // getenv, mkstemp, realpath
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "app/Platform.h"
#include "app/Text.h"

namespace descstat {
namespace platform {

bool StandardOutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

namespace {

// The locale the user asked for, as the C library reads the environment.
std::string UserLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return value;
    }
    return "C";
}

// The character set a locale's name gives ("ja_JP.eucJP@x" gives "eucJP").
std::string CharsetInName(const std::string& name) {
    const std::size_t dot = name.find('.');
    if (dot == std::string::npos) return {};
    return name.substr(dot + 1, name.find('@', dot) - dot - 1);
}

}  // namespace

std::string UserCharset() {
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = current != nullptr ? current : "C";
    std::string charset;
    const char* loaded = std::setlocale(LC_CTYPE, "");
    if (loaded == nullptr) {
        // Not installed: the name still tells the character set meant.
        charset = CharsetInName(UserLocaleName());
    } else if (std::strcmp(loaded, "C") != 0 && std::strcmp(loaded, "POSIX") != 0) {
        const char* codeset = nl_langinfo(CODESET);
        charset = codeset != nullptr ? codeset : "";
    }
    (void)std::setlocale(LC_CTYPE, saved.c_str());
    return charset;
}

namespace {

// The bytes in `fromCharset` converted into `toCharset` by iconv; false
// when there is no such converter or a byte cannot be converted.
bool Convert(const std::string& bytes, const char* fromCharset, const std::string& toCharset,
             std::string& converted) {
    const iconv_t cd = iconv_open(toCharset.c_str(), fromCharset);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;  // NOLINT(performance-no-int-to-ptr)
    std::string in = bytes;
    converted.assign(in.size() * 4 + 16, '\0');
    char* from = in.data();
    std::size_t fromLeft = in.size();
    char* to = converted.data();
    std::size_t toLeft = converted.size();
    const bool ok = iconv(cd, &from, &fromLeft, &to, &toLeft) != static_cast<std::size_t>(-1) &&
                    iconv(cd, nullptr, nullptr, &to, &toLeft) != static_cast<std::size_t>(-1);
    (void)iconv_close(cd);
    converted.resize(converted.size() - toLeft);
    return ok && fromLeft == 0;
}

}  // namespace

bool ConvertFromUtf8(const char* utf8, const std::string& charset, std::string& converted) {
    return Convert(utf8, "UTF-8", charset, converted);
}

bool StandardOutputIsWideConsole() { return false; }

bool WriteWideConsole(const std::u16string& /*text*/) { return false; }

std::u16string ShiftJisToUtf16(const char* /*bytes*/) { return {}; }

std::vector<unsigned long> ConsoleProcesses() { return {}; }

void HoldStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1) {
            // open takes the lowest free number, which is this one.
            const int held =
                open("/dev/null", O_RDONLY);  // NOLINT(cppcoreguidelines-pro-type-vararg)
            if (held > 2) (void)close(held);
        }
    }
}

void UseBinaryStandardInput() {}  // POSIX reads every byte as it is

void* ReserveMemory(std::size_t& bytes, std::size_t minimum) {
    const std::size_t wanted = bytes;
    for (std::size_t size = wanted; size >= minimum && size > 0; size /= 2) {
        void* base =
            mmap(nullptr, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (base == MAP_FAILED) continue;
        if (size < wanted && size / 2 >= minimum) {
            // An address-space limit allowed no more: take half of it, so
            // that the rest of the run keeps room of its own.
            (void)munmap(base, size);
            size /= 2;
            base =
                mmap(nullptr, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
            if (base == MAP_FAILED) return nullptr;
        }
        bytes = size;
        return base;
    }
    return nullptr;
}

bool CommitMemory(void* base, std::size_t bytes) {
    return mprotect(base, bytes, PROT_READ | PROT_WRITE) == 0;
}

void ReleaseMemory(void* base, std::size_t bytes) { (void)munmap(base, bytes); }

ReportTarget TargetOf(const std::string& report) {
    struct stat link {};
    if (lstat(report.c_str(), &link) != 0) return {true, report};  // a new file
    std::string path = report;
    if (S_ISLNK(link.st_mode)) {
        char* real = realpath(report.c_str(), nullptr);
        if (real == nullptr) return {false, report};  // a dangling link
        path = real;
        std::free(real);  // NOLINT(cppcoreguidelines-no-malloc): realpath's own memory
    }
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return {false, report};
    return {true, path};
}

namespace {

// The descriptor a path names by the system's own links to descriptors:
// /dev/stdin, /dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N (also by
// the process's number, or as the thread's); -1 for any other path.
int DescriptorInPath(const std::string& path) {
    if (path == "/dev/stdin") return 0;
    if (path == "/dev/stdout") return 1;
    if (path == "/dev/stderr") return 2;
    const std::string self = "/proc/" + std::to_string(getpid()) + "/fd/";
    for (const std::string& folder : {std::string("/dev/fd/"), std::string("/proc/self/fd/"),
                                      std::string("/proc/thread-self/fd/"), self}) {
        if (path.compare(0, folder.size(), folder) != 0 || path.size() == folder.size()) continue;
        int fd = 0;
        for (std::size_t i = folder.size(); i < path.size(); ++i) {
            if (path[i] < '0' || path[i] > '9' || fd > 100000) return -1;
            fd = fd * 10 + (path[i] - '0');
        }
        return fd;
    }
    return -1;
}

FileIdentity IdentityOfStat(const struct stat& info) {
    FileIdentity id;
    id.known = true;
    id.exists = true;
    id.regular = S_ISREG(info.st_mode);
    id.device = static_cast<unsigned long long>(info.st_dev);
    id.number = static_cast<unsigned long long>(info.st_ino);
    return id;
}

}  // namespace

FileIdentity IdentityOf(const std::string& name) {
    struct stat info {};
    if (stat(name.c_str(), &info) == 0) return IdentityOfStat(info);
    if (errno != ENOENT) return {};
    // A new file: the folder it would be made in, and its last name there.
    const std::size_t slash = name.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : name.substr(0, slash + 1);
    const std::string last = slash == std::string::npos ? name : name.substr(slash + 1);
    if (last.empty() || stat(folder.c_str(), &info) != 0) return {};
    FileIdentity id = IdentityOfStat(info);
    id.exists = false;
    id.regular = true;
    id.newName = last;
    return id;
}

FileIdentity IdentityOfDescriptor(int fd) {
    struct stat info {};
    if (fstat(fd, &info) != 0) return {};
    return IdentityOfStat(info);
}

int DescriptorOfName(const std::string& name) {
    std::string path = name;
    constexpr int kMostLinks = 40;  // as the system follows them
    for (int hop = 0; hop < kMostLinks; ++hop) {
        const int fd = DescriptorInPath(path);
        if (fd >= 0) return fcntl(fd, F_GETFD) != -1 ? fd : -1;
        struct stat link {};
        if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return -1;
        std::string target(4096, '\0');
        const ssize_t n = readlink(path.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return -1;
        target.resize(static_cast<std::size_t>(n));
        // A relative link is relative to the folder that holds it.
        const std::size_t slash = path.rfind('/');
        if (target[0] == '/' || slash == std::string::npos) {
            path = target;
        } else {
            path.resize(slash + 1);
            path += target;
        }
    }
    return -1;
}

bool WriteToDescriptor(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteInPlace(const std::string& name, const std::string& bytes, bool /*text*/) {
    // Opened without emptying it: another run may be writing it. Once this
    // run holds the lock, it empties the file and writes it whole.
    const int fd = open(
        name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC,  // NOLINT(cppcoreguidelines-pro-type-vararg)
        0666);
    if (fd == -1) return false;
    (void)flock(fd, LOCK_EX);
    struct stat info {};
    bool ok = fstat(fd, &info) == 0 && (!S_ISREG(info.st_mode) || ftruncate(fd, 0) == 0) &&
              WriteToDescriptor(fd, bytes);
    const int failed = errno;
    if (close(fd) != 0) ok = false;
    if (!ok && errno == 0) errno = failed;
    return ok;
}

namespace {

constexpr int kEndingSignals[] = {SIGINT,  SIGTERM, SIGHUP,  SIGPIPE, SIGXFSZ,
                                  SIGQUIT, SIGXCPU, SIGALRM, SIGUSR1, SIGUSR2};

// The longest last name of a new file's base: with its suffix it stays
// within the 255 bytes a name may have on the usual file systems.
constexpr std::size_t kLongestBase = 200;

}  // namespace

bool CreateFileBeside(const std::string& path, std::string& name) {
    // The ending signals wait while the file is made and protected, so that
    // none can end the program between the two and leave the file behind.
    sigset_t ending;
    sigset_t previousMask;
    sigemptyset(&ending);
    for (const int s : kEndingSignals) sigaddset(&ending, s);
    (void)sigprocmask(SIG_BLOCK, &ending, &previousMask);
    // The same folder: the name (or its start, for a long one) with a suffix
    // of its own.
    const std::size_t slash = path.rfind('/');
    const std::size_t baseStart = slash == std::string::npos ? 0 : slash + 1;
    std::string pattern =
        path.substr(0, baseStart + std::min(path.size() - baseStart, kLongestBase)) +
        ".descstat-XXXXXX";
    const int fd = mkstemp(pattern.data());
    const int made = errno;
    if (fd != -1) {
        (void)close(fd);
        name = pattern;
        RemoveOnSignal(name);
    }
    (void)sigprocmask(SIG_SETMASK, &previousMask, nullptr);
    errno = made;
    return fd != -1;
}

void TakePermissions(const std::string& path, const std::string& newFile) {
    struct stat info {};
    mode_t mode = 0;
    if (stat(path.c_str(), &info) == 0) {
        mode = info.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        (void)umask(mask);
        mode = 0666 & ~mask;
    }
    (void)chmod(newFile.c_str(), mode);
}

bool PutInPlace(const std::string& newFile, const std::string& path) {
    return std::rename(newFile.c_str(), path.c_str()) == 0;
}

namespace {

// The new files of one run's outputs, each removed if a signal ends the run.
constexpr std::size_t kMaxProtectedName = 4096;
constexpr std::size_t kMaxProtected = 4;

char protectedName[kMaxProtected][kMaxProtectedName];
volatile std::sig_atomic_t protectedArmed[kMaxProtected] = {0, 0, 0, 0};
struct sigaction previous[std::size(kEndingSignals)];
bool installed[std::size(kEndingSignals)];

// Removes the protected files, then ends the program as the signal would have.
void RemoveAndEnd(int signal) {
    for (std::size_t i = 0; i < kMaxProtected; ++i) {
        if (protectedArmed[i] != 0) (void)unlink(protectedName[i]);
    }
    (void)std::signal(signal, SIG_DFL);  // async-signal-safe, as raise is
    (void)raise(signal);
}

bool AnyProtected() {
    for (std::size_t i = 0; i < kMaxProtected; ++i) {
        if (protectedArmed[i] != 0) return true;
    }
    return false;
}

void InstallHandlers() {
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
        struct sigaction now {};
        installed[i] = false;
        // A signal the program was started to ignore stays ignored.
        if (sigaction(kEndingSignals[i], nullptr, &previous[i]) != 0 ||
            previous[i].sa_handler == SIG_IGN) {  // NOLINT(cppcoreguidelines-pro-type-union-access)
            continue;
        }
        now.sa_handler = RemoveAndEnd;  // NOLINT(cppcoreguidelines-pro-type-union-access)
        sigemptyset(&now.sa_mask);
        installed[i] = sigaction(kEndingSignals[i], &now, nullptr) == 0;
    }
}

}  // namespace

void RemoveOnSignal(const std::string& name) {
    if (name.size() >= kMaxProtectedName) return;
    const bool first = !AnyProtected();
    for (std::size_t i = 0; i < kMaxProtected; ++i) {
        if (protectedArmed[i] != 0) continue;
        std::memcpy(protectedName[i], name.c_str(), name.size() + 1);
        protectedArmed[i] = 1;
        break;
    }
    if (first) InstallHandlers();
}

void ForgetOnSignal(const std::string& name) {
    for (std::size_t i = 0; i < kMaxProtected; ++i) {
        if (protectedArmed[i] != 0 && name == protectedName[i]) protectedArmed[i] = 0;
    }
    if (AnyProtected()) return;
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
        if (installed[i]) (void)sigaction(kEndingSignals[i], &previous[i], nullptr);
        installed[i] = false;
    }
}

int ProcessId() { return static_cast<int>(getpid()); }

std::string MessageCharset() {
    const std::string charset = UserCharset();
    return charset.empty() ? "UTF-8" : charset;
}

bool ConvertFromShiftJis(const std::string& bytes, const std::string& charset,
                         std::string& converted) {
    return Convert(bytes, "CP932", charset, converted);
}

std::string PipeCharset() { return UserCharset(); }

bool ShiftJisToUtf8(const std::string& bytes, std::string& utf8) {
    return Convert(bytes, "CP932", "UTF-8", utf8);
}

bool Utf8ToShiftJis(const std::string& utf8, std::string& bytes) {
    return Convert(utf8, "UTF-8", "CP932", bytes);
}

bool ArgumentToUtf8(const std::string& argument, std::string& utf8) {
    const std::string charset = UserCharset();
    if (charset.empty() || IsUtf8Charset(charset)) {
        utf8 = argument;
        return true;
    }
    return Convert(argument, charset.c_str(), "UTF-8", utf8);
}

std::vector<std::string> ArgumentsInUtf8() { return {}; }

int TerminalColumns() {
    struct winsize size {};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) return 0;  // NOLINT
    return size.ws_col;
}

}  // namespace platform
}  // namespace descstat
