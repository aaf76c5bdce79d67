// Scratch files for tests: each holds given bytes and is removed when the
// object goes out of scope.
#ifndef DESCSTAT_TESTS_TEMPFILE_H
#define DESCSTAT_TESTS_TEMPFILE_H

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

class TempFile {
public:
    explicit TempFile(const std::string& bytes) : path_(NewPath()) { Write(bytes); }
    ~TempFile() {
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    // Replaces the file's contents; binary, so the bytes land as given.
    void Write(const std::string& bytes) const {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string Read() const {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string Name() const { return path_.string(); }

    // A name in the temporary folder that no file has yet.
    static std::filesystem::path NewPath() {
        static int serial = 0;
        const auto dir = std::filesystem::temp_directory_path();
        for (;;) {
            auto p = dir / ("descstat-test-" + std::to_string(std::random_device()()) + "-" +
                            std::to_string(++serial) + ".txt");
            if (!std::filesystem::exists(p)) return p;
        }
    }

private:
    std::filesystem::path path_;
};

#endif  // DESCSTAT_TESTS_TEMPFILE_H
