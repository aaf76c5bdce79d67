// Fault injection for the end-to-end tests, loaded into the program with
// LD_PRELOAD. It wraps fopen, fread and fclose, the writes of both the system
// (write, writev) and the C library (fwrite, fputc, putc), and mkstemp, and
// acts only on the files the test names through the environment:
//
//   SHIM_DATA=name          the data file (matched on the name as opened)
//   SHIM_READ_FAIL=N:K...   opens number K... of the data file (1, 2 or both)
//                           read N bytes, then fail with EIO
//   SHIM_READ_FAIL=N:K...:once  only the read at byte N fails; the reads
//                           after it go on with the rest of the file
//   SHIM_BEFORE_OPEN=K:cmd  run cmd just before open number K of the data file
//   SHIM_AFTER_OPEN=K:cmd   run cmd just after open number K (during pass K)
//   SHIM_CLOSE_FAIL=name    fclose of the file opened under this name writes
//                           everything, then reports EIO
//   SHIM_WRITE_FAIL=T:N     writes to T fail with ENOSPC from byte N on (a full
//                           disk); the write that reaches byte N writes what
//                           fits before it. T is a file name as opened with
//                           fopen (ending in "*": any name that starts so),
//                           "stdout", or "temp" (the file mkstemp makes)
//   SHIM_WRITE_FAIL=T:N:once  only the one write that starts at byte N fails;
//                           the writes before and after it succeed
//   SHIM_TEMP_FAIL=E        mkstemp fails with error number E
#include <dlfcn.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using FopenFn = FILE* (*)(const char*, const char*);
using FcloseFn = int (*)(FILE*);
using WriteFn = ssize_t (*)(int, const void*, size_t);
using WritevFn = ssize_t (*)(int, const struct iovec*, int);
using FwriteFn = size_t (*)(const void*, size_t, size_t, FILE*);
using FreadFn = size_t (*)(void*, size_t, size_t, FILE*);
using PutcFn = int (*)(int, FILE*);
using MkstempFn = int (*)(char*);

int dataOpens = 0;
FILE* failingClose = nullptr;

template <typename Fn>
Fn Real(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}
FopenFn RealFopen() { return Real<FopenFn>("fopen"); }
FcloseFn RealFclose() { return Real<FcloseFn>("fclose"); }

bool Named(const char* var, const char* name) {
    const char* want = std::getenv(var);
    return want != nullptr && name != nullptr && std::strcmp(want, name) == 0;
}

// The command of "K:cmd" when K is this open's number; null otherwise.
const char* CommandFor(const char* var, int open) {
    const char* setting = std::getenv(var);
    if (setting == nullptr || std::strtol(setting, nullptr, 10) != open) return nullptr;
    const char* colon = std::strchr(setting, ':');
    return colon != nullptr ? colon + 1 : nullptr;
}

void RunFor(const char* var, int open) {
    if (const char* cmd = CommandFor(var, open)) {
        // The test's own command, from its environment.
        if (std::system(cmd) != 0) std::abort();  // NOLINT(cert-env33-c)
    }
}

// The data file whose reads fail (SHIM_READ_FAIL), while it is open: the
// real file, so that the program sees its kind and identity as they are,
// and only fread's results change.
struct ReadFault {
    FILE* stream = nullptr;
    long left = 0;
    bool once = false;
};

ReadFault readFault;

void MaybeFailing(FILE* real) {
    const char* setting = std::getenv("SHIM_READ_FAIL");
    if (real == nullptr || setting == nullptr) return;
    const char* passes = std::strchr(setting, ':');
    if (passes == nullptr || std::strchr(passes, '0' + dataOpens) == nullptr) return;
    readFault = {real, std::strtol(setting, nullptr, 10), std::strstr(passes, ":once") != nullptr};
}

// Reads at most what is left before the fault; the read that reaches it
// stops there and marks the stream as a failed read does (its error flag,
// EIO). With `once`, the reads after it go on with the rest of the file.
size_t FailingRead(void* buf, size_t size, size_t count, FILE* stream) {
    const auto realRead = Real<FreadFn>("fread");
    if (size == 0 || count == 0) return realRead(buf, size, count, stream);
    const size_t fits = static_cast<size_t>(readFault.left) / size;
    const size_t got = realRead(buf, size, count < fits ? count : fits, stream);
    readFault.left -= static_cast<long>(got * size);
    if (got < count && readFault.left < static_cast<long>(size) && std::feof(stream) == 0) {
        stream->_flags |= _IO_ERR_SEEN;
        errno = EIO;
        if (readFault.once) readFault.left = LONG_MAX;
    }
    return got;
}

// The file whose writes fail (SHIM_WRITE_FAIL), once it is known.
struct WriteFault {
    bool parsed = false;
    std::string target;
    long long failAt = 0;
    bool once = false;
    int fd = -1;
    long long written = 0;
    bool failedOnce = false;
};

WriteFault& Fault() {
    static WriteFault fault;
    if (!fault.parsed) {
        fault.parsed = true;
        if (const char* setting = std::getenv("SHIM_WRITE_FAIL")) {
            const std::string s = setting;
            const std::size_t colon = s.find(':');
            fault.target = s.substr(0, colon);
            if (colon != std::string::npos)
                fault.failAt = std::strtoll(s.c_str() + colon + 1, nullptr, 10);
            fault.once = s.size() > 5 && s.compare(s.size() - 5, 5, ":once") == 0;
            if (fault.target == "stdout") fault.fd = 1;
        }
    }
    return fault;
}

// How many of n bytes about to be written to fd may pass. When none may,
// `fail` is set and the write must fail with ENOSPC.
size_t Admit(int fd, size_t n, bool& fail) {
    WriteFault& f = Fault();
    fail = false;
    if (fd < 0 || fd != f.fd || n == 0 || (f.once && f.failedOnce)) return n;
    const long long left = f.failAt > f.written ? f.failAt - f.written : 0;
    if (left == 0) {
        fail = true;
        f.failedOnce = true;
        errno = ENOSPC;
        return 0;
    }
    return static_cast<long long>(n) < left ? n : static_cast<size_t>(left);
}

// True when the name is the write fault's target; a target ending in "*"
// names every file whose name starts with what comes before it.
bool Targets(const char* name) {
    const std::string& t = Fault().target;
    if (!t.empty() && t.back() == '*') return std::strncmp(name, t.c_str(), t.size() - 1) == 0;
    return t == name;
}

void Count(int fd, long long bytes) {
    if (fd >= 0 && fd == Fault().fd && bytes > 0) Fault().written += bytes;
}

FILE* Open(const char* name, const char* mode) {
    if (!Named("SHIM_DATA", name)) {
        FILE* f = RealFopen()(name, mode);
        if (Named("SHIM_CLOSE_FAIL", name)) failingClose = f;
        if (f != nullptr && name != nullptr && Targets(name)) Fault().fd = fileno(f);
        return f;
    }
    ++dataOpens;
    RunFor("SHIM_BEFORE_OPEN", dataOpens);
    FILE* f = RealFopen()(name, mode);
    MaybeFailing(f);
    RunFor("SHIM_AFTER_OPEN", dataOpens);
    return f;
}

int PutOne(const char* real, int c, FILE* stream) {
    const int fd = fileno(stream);
    bool fail = false;
    Admit(fd, 1, fail);
    if (fail) return EOF;
    const int done = Real<PutcFn>(real)(c, stream);
    if (done != EOF) Count(fd, 1);
    return done;
}

int MakeTemp(const char* real, char* pattern) {
    if (const char* e = std::getenv("SHIM_TEMP_FAIL")) {
        errno = static_cast<int>(std::strtol(e, nullptr, 10));
        return -1;
    }
    const int fd = Real<MkstempFn>(real)(pattern);
    if (Fault().target == "temp") Fault().fd = fd;
    return fd;
}

}  // namespace

// The C library's own parameter names are reserved ones.
// NOLINTBEGIN(readability-inconsistent-declaration-parameter-name)
extern "C" FILE* fopen(const char* name, const char* mode) { return Open(name, mode); }
extern "C" FILE* fopen64(const char* name, const char* mode) { return Open(name, mode); }

extern "C" size_t fread(void* buf, size_t size, size_t count, FILE* stream) {
    if (stream == nullptr || stream != readFault.stream) {
        return Real<FreadFn>("fread")(buf, size, count, stream);
    }
    return FailingRead(buf, size, count, stream);
}

extern "C" int fclose(FILE* stream) {
    if (stream != nullptr && stream == readFault.stream) readFault.stream = nullptr;
    const bool fail = stream != nullptr && stream == failingClose;
    const int result = RealFclose()(stream);
    if (!fail) return result;
    failingClose = nullptr;
    errno = EIO;
    return EOF;
}

extern "C" ssize_t write(int fd, const void* buf, size_t n) {
    bool fail = false;
    const size_t admitted = Admit(fd, n, fail);
    if (fail) return -1;
    const ssize_t done = Real<WriteFn>("write")(fd, buf, admitted);
    Count(fd, done);
    return done;
}

extern "C" ssize_t writev(int fd, const struct iovec* iov, int count) {
    size_t n = 0;
    for (int i = 0; i < count; ++i) n += iov[i].iov_len;
    bool fail = false;
    size_t admitted = Admit(fd, n, fail);
    if (fail) return -1;
    if (admitted == n) {
        const ssize_t done = Real<WritevFn>("writev")(fd, iov, count);
        Count(fd, done);
        return done;
    }
    // Only the bytes before the failing one: the leading part of the vector.
    ssize_t total = 0;
    for (int i = 0; i < count && admitted > 0; ++i) {
        const size_t part = iov[i].iov_len < admitted ? iov[i].iov_len : admitted;
        const ssize_t done = Real<WriteFn>("write")(fd, iov[i].iov_base, part);
        if (done <= 0) break;
        Count(fd, done);
        total += done;
        admitted -= static_cast<size_t>(done);
    }
    return total;
}

extern "C" size_t fwrite(const void* ptr, size_t size, size_t count, FILE* stream) {
    const int fd = fileno(stream);
    bool fail = false;
    const size_t admitted = size == 0 ? 0 : Admit(fd, size * count, fail) / size;
    if (fail) return 0;
    const size_t done = Real<FwriteFn>("fwrite")(ptr, size, admitted, stream);
    Count(fd, static_cast<long long>(done) * static_cast<long long>(size));
    if (done < count) errno = ENOSPC;  // a short fwrite is a failed one
    return done;
}

extern "C" int fputc(int c, FILE* stream) { return PutOne("fputc", c, stream); }
extern "C" int putc(int c, FILE* stream) { return PutOne("putc", c, stream); }
// The C library's own name for putc, which it may call instead.
// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
extern "C" int _IO_putc(int c, FILE* stream) { return PutOne("_IO_putc", c, stream); }

extern "C" int mkstemp(char* pattern) { return MakeTemp("mkstemp", pattern); }
extern "C" int mkstemp64(char* pattern) { return MakeTemp("mkstemp64", pattern); }
// NOLINTEND(readability-inconsistent-declaration-parameter-name)
