// Eight bytes at a time: the tests with which the line reader and the field
// scan pass over the ordinary bytes of a line quickly. Internal to mylib.
#ifndef MYLIB_BYTEWORDS_H
#define MYLIB_BYTEWORDS_H

#include <cstdint>
#include <cstring>

namespace myLib {

constexpr std::uint64_t kEachByte = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// The eight bytes from p as one word (in memory order, however aligned).
inline std::uint64_t WordAt(const char* p) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// True when a byte of the word is below n (n at most 128): such a byte
// borrows when n is taken from it, and a byte of 128 or more, which is no
// such byte, has its high bit masked out.
inline bool AnyByteBelow(std::uint64_t word, unsigned n) {
    return ((word - kEachByte * n) & ~word & kHighBits) != 0;
}

// True when a byte of the word is c: that byte becomes 0, the only one below 1.
inline bool AnyByteIs(std::uint64_t word, char c) {
    return AnyByteBelow(word ^ (kEachByte * static_cast<unsigned char>(c)), 1);
}

}  // namespace myLib

#endif  // MYLIB_BYTEWORDS_H
