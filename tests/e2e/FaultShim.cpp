// Fault injection for the end-to-end tests, loaded into the program with
// LD_PRELOAD. It wraps fopen and fclose and acts only on the files the test
// names through the environment:
//
//   SHIM_DATA=name          the data file (matched on the name as opened)
//   SHIM_READ_FAIL=N:K...   opens number K... of the data file (1, 2 or both)
//                           read N bytes, then fail with EIO
//   SHIM_BEFORE_OPEN=K:cmd  run cmd just before open number K of the data file
//   SHIM_AFTER_OPEN=K:cmd   run cmd just after open number K (during pass K)
//   SHIM_CLOSE_FAIL=name    fclose of the file opened under this name writes
//                           everything, then reports EIO
#include <dlfcn.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using FopenFn = FILE* (*)(const char*, const char*);
using FcloseFn = int (*)(FILE*);

int dataOpens = 0;
FILE* failingClose = nullptr;

FopenFn RealFopen() { return reinterpret_cast<FopenFn>(dlsym(RTLD_NEXT, "fopen")); }
FcloseFn RealFclose() { return reinterpret_cast<FcloseFn>(dlsym(RTLD_NEXT, "fclose")); }

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

// A stream over a real one that fails after a number of bytes.
struct Failing {
    FILE* real;
    long left;
};

ssize_t FailingRead(void* cookie, char* buf, size_t size) {
    auto* f = static_cast<Failing*>(cookie);
    if (f->left <= 0) {
        errno = EIO;
        return -1;
    }
    if (static_cast<long>(size) > f->left) size = static_cast<size_t>(f->left);
    const size_t got = std::fread(buf, 1, size, f->real);
    f->left -= static_cast<long>(got);
    return static_cast<ssize_t>(got);
}

int FailingClose(void* cookie) {
    auto* f = static_cast<Failing*>(cookie);
    const int result = RealFclose()(f->real);
    delete f;
    return result;
}

FILE* MaybeFailing(FILE* real) {
    const char* setting = std::getenv("SHIM_READ_FAIL");
    if (real == nullptr || setting == nullptr) return real;
    const char* passes = std::strchr(setting, ':');
    if (passes == nullptr || std::strchr(passes, '0' + dataOpens) == nullptr) return real;
    cookie_io_functions_t io{};
    io.read = FailingRead;
    io.close = FailingClose;
    return fopencookie(new Failing{real, std::strtol(setting, nullptr, 10)}, "r", io);
}

FILE* Open(const char* name, const char* mode) {
    if (!Named("SHIM_DATA", name)) {
        FILE* f = RealFopen()(name, mode);
        if (Named("SHIM_CLOSE_FAIL", name)) failingClose = f;
        return f;
    }
    ++dataOpens;
    RunFor("SHIM_BEFORE_OPEN", dataOpens);
    FILE* f = MaybeFailing(RealFopen()(name, mode));
    RunFor("SHIM_AFTER_OPEN", dataOpens);
    return f;
}

}  // namespace

// The C library's own parameter names are reserved ones.
// NOLINTBEGIN(readability-inconsistent-declaration-parameter-name)
extern "C" FILE* fopen(const char* name, const char* mode) { return Open(name, mode); }
extern "C" FILE* fopen64(const char* name, const char* mode) { return Open(name, mode); }

extern "C" int fclose(FILE* stream) {
    const bool fail = stream != nullptr && stream == failingClose;
    const int result = RealFclose()(stream);
    if (!fail) return result;
    failingClose = nullptr;
    errno = EIO;
    return EOF;
}
// NOLINTEND(readability-inconsistent-declaration-parameter-name)
