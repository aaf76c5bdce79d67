// The platform layer on POSIX systems (Linux and the like).
#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <stdlib.h>  // getenv, mkstemp, realpath
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "app/Platform.h"

namespace descstat {
namespace platform {

bool StandardOutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

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

bool ConvertFromUtf8(const char* utf8, const std::string& charset, std::string& converted) {
    const iconv_t cd = iconv_open(charset.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;  // NOLINT(performance-no-int-to-ptr)
    std::string in = utf8;
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

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ};

}  // namespace

bool CreateFileBeside(const std::string& path, std::string& name) {
    // The ending signals wait while the file is made and protected, so that
    // none can end the program between the two and leave the file behind.
    sigset_t ending;
    sigset_t previousMask;
    sigemptyset(&ending);
    for (const int s : kEndingSignals) sigaddset(&ending, s);
    (void)sigprocmask(SIG_BLOCK, &ending, &previousMask);
    // The same folder: the name with a suffix of its own.
    std::string pattern = path + ".descstat-XXXXXX";
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

constexpr std::size_t kMaxProtectedName = 4096;

char protectedName[kMaxProtectedName];
volatile std::sig_atomic_t protectedArmed = 0;
struct sigaction previous[std::size(kEndingSignals)];
bool installed[std::size(kEndingSignals)];

// Removes the protected file, then ends the program as the signal would have.
void RemoveAndEnd(int signal) {
    if (protectedArmed != 0) (void)unlink(protectedName);
    (void)std::signal(signal, SIG_DFL);  // async-signal-safe, as raise is
    (void)raise(signal);
}

}  // namespace

void RemoveOnSignal(const std::string& name) {
    if (name.size() >= kMaxProtectedName) return;
    std::memcpy(protectedName, name.c_str(), name.size() + 1);
    protectedArmed = 1;
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

void ForgetOnSignal() {
    protectedArmed = 0;
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
        if (installed[i]) (void)sigaction(kEndingSignals[i], &previous[i], nullptr);
        installed[i] = false;
    }
}

int ProcessId() { return static_cast<int>(getpid()); }

}  // namespace platform
}  // namespace descstat
