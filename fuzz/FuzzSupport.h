// Helpers shared by the fuzz targets: a scratch file per target and process,
// and a check that stops the run with a message when an invariant breaks.
#ifndef DESCSTAT_FUZZ_FUZZSUPPORT_H
#define DESCSTAT_FUZZ_FUZZSUPPORT_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/Platform.h"

namespace fuzz {

// A file name in the temporary folder that is this process's own.
inline std::string ScratchPath(const char* tag) {
    const auto dir = std::filesystem::temp_directory_path();
    return (dir / ("descstat-fuzz-" + std::string(tag) + "-" +
                   std::to_string(descstat::platform::ProcessId())))
        .string();
}

// Writes the bytes to the named file, replacing what it held.
inline void WriteFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (f == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    if (std::fclose(f) != 0) std::abort();
}

// Stops the run when an invariant does not hold, so that the fuzzer keeps the
// input that broke it.
inline void Check(bool holds, const char* what) {
    if (!holds) {
        (void)std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

}  // namespace fuzz

#endif  // DESCSTAT_FUZZ_FUZZSUPPORT_H
