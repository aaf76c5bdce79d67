// Field extraction and number conversion for text lines, and the test of a
// name that the file functions can be given.
//
// A line is split into fields at blanks, and only a space or a horizontal tab
// is a blank: every other byte, control bytes included, belongs to a field.
// Numbers are read exactly as the C++ stream extraction of a double reads them
// in the classic locale, so the decimal point is always "." and no digit
// grouping is accepted, whatever the user's locale; the conversion itself
// needs no stream. Strings are taken by value; nothing here throws on bad
// input or keeps any state.
#ifndef MYLIB_STRFUNC_H
#define MYLIB_STRFUNC_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace myLib {

// True for the two bytes that separate fields: space (0x20) and tab (0x09).
// Inline: the readers that work where lines lie call it on every blank.
inline bool IsBlnk(char c) { return c == ' ' || c == '\t'; }

// The field with index n (0 is the first) of s: the n-th maximal run of
// non-blank bytes. Empty when s has no such field or n is negative.
std::string GetFld(std::string s, int n);

// The same field, written into `field`: a caller that splits many lines keeps
// one string's room from line to line instead of making a copy of each.
void GetFld(const std::string& s, int n, std::string& field);

// Where the same field lies in s: from index `begin` up to `end`. False (and
// both 0) when s has no such field, so that a caller can read the field in
// place without a copy.
bool FindFld(const std::string& s, int n, std::size_t& begin, std::size_t& end);

// The number at the start of s (after leading white space), read as a double
// and widened. Bytes after the number are ignored, so "7kg" gives 7. When no
// number can be read (no digits, an exponent letter without digits, or a value
// beyond the range of double) the result is a quiet NaN with a clear sign bit,
// so that a bad value stays visible instead of counting as 0.
long double StrToDbl(std::string s);

// The same number, and in `end` where it ends in s: the index of the byte
// after it (leading white space counted), so that a caller can tell a field
// that is wholly a number from one that only starts with one ("1,234", "2kg");
// 0 when no number can be read.
long double StrToDbl(const std::string& s, std::size_t& end);

// The same number read from the bytes `first` up to `last` (a field in place,
// say), and in `end` where it ends: `first` when no number can be read.
long double StrToDbl(const char* first, const char* last, const char*& end);

// A number as it was written: ±digits · 10^scale, trailing zeros kept, when
// its mantissa has at most 15 significant digits (`known`; zero is 0 · 10^0).
// Such a decimal is exactly the value the text means, which the double read
// from it may only approximate ("0.1"), so a caller can compute with the
// number as typed.
struct WrittenNumber {
    bool known = false;
    std::int64_t digits = 0;
    int scale = 0;
};

// StrToDbl on the bytes `first` up to `last`, and in `written` the number as
// written (not known when no number could be read or it is longer).
long double StrToDbl(const char* first, const char* last, const char*& end, WrittenNumber& written);

// A number read where it lies by QuickDecimal: its value, and its digits
// and power of ten as written (what StrToDbl gives in a WrittenNumber).
struct QuickNumber {
    double value = 0.0;
    std::int64_t digits = 0;
    int scale = 0;
    // Its text as written, sign and all, when that is [+-]ddd[.ddd] with at
    // most 7 digits either side (a point with none after it allowed) and 8
    // bytes may be read from its start (a caller may copy them as one
    // word): then also its digits before the point and after it, and
    // whether it has a minus. For any other text wholeDigits is kNotPlain.
    static constexpr std::uint8_t kNotPlain = 255;
    const char* text = nullptr;
    std::uint8_t wholeDigits = kNotPlain;
    std::uint8_t fractionDigits = 0;
    bool negative = false;
};

// Reads at p (before `last`) a number of the kind people type: an optional
// sign, digits with at most one point, an optional exponent; at most 15
// significant digits and a power of ten within 10^±22, so that its value is
// one correctly rounded operation, the very value StrToDbl gives. Returns
// the byte after it, or null for any other text, which StrToDbl must read.
// Digits are taken eight at a time where eight bytes lie before `last`.
const char* QuickDecimal(const char* p, const char* last, QuickNumber& number);

// Value lines of the simplest kind, where they lie from p on: each holds
// blanks, a number that QuickDecimal reads and that is its whole first
// field, then blanks and any further fields, and its line end (LF, or CR LF)
// before `last`, with at most `maxLine` bytes before it. Reads up to `room`
// such lines into `numbers`, none that starts at or after `limit` (at most
// `last`), gives how many, and leaves p after the last one read: at a line
// of any other kind (an odd number, no line end in reach, a lone CR), which
// the caller reads the common way, or at `limit` or beyond.
std::size_t QuickValueLines(const char*& p, const char* last, const char* limit,
                            std::size_t maxLine, QuickNumber* numbers, std::size_t room);

// True when s can be handed to the file system as a name: it holds no NUL
// byte, at which the system would end it early and name another file.
bool IsFlNm(const std::string& s);

}  // namespace myLib

#endif  // MYLIB_STRFUNC_H
