#include "app/TableRows.h"

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <cstring>

#include "mylib/ShortDecimal.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

namespace descstat {

namespace {

// A row as it lies in the block: where its text ends (before its LF or CR
// LF), where the next row starts, where the cell starts, and how many
// separators follow the cell.
struct RowParts {
    const char* end = nullptr;
    const char* next = nullptr;
    const char* cell = nullptr;
    int more = 0;
};

const char* SkipBlanks(const char* p, const char* end) {
    while (p < end && myLib::IsBlnk(*p)) ++p;
    return p;
}

// Reads the number in the row's cell into `number`: false when the cell holds
// no number alone but for blanks. `kRoomy`: the caller knows kShortNumber
// bytes may be read from the cell on.
template <bool kRoomy = false>
inline bool CellNumber(const RowParts& row, const char* last, char separator,
                       myLib::QuickNumber& number) {
    if (myLib::kWordDigits && FLT_EVAL_METHOD == 0 &&
        (kRoomy || last - row.cell >= myLib::kShortNumber)) {
        // The commonest cell: a short number that ends it. It cannot have
        // read past the cell, as neither a separator nor a line end is part
        // of a number (the table's common way takes any such separator).
        const char* const after = myLib::ShortDecimal(row.cell, number);
        if (after != nullptr && (*after == separator || after == row.end)) return true;
    }
    const char* after = myLib::QuickDecimalIn(SkipBlanks(row.cell, row.end), row.end, last, number);
    if (after == nullptr) return false;
    after = SkipBlanks(after, row.end);
    // No separator lies in the number and its blanks: those after the cell's
    // start are those after it.
    return after == row.end || *after == separator;
}

// Reads the number of the row at p into `number`: false when the row is no
// common one for the rules.
inline bool TakeCell(const char* p, const RowParts& row, const char* last, const CellRules& rules,
                     myLib::QuickNumber& number) {
    if ((*p == '/' && rules.markers) || row.end - p > rules.longestRow ||
        static_cast<std::size_t>(row.more) > rules.mostAfter) {
        return false;
    }
    return CellNumber(row, last, rules.separator, number);
}

// The start of the cell after the `index`-th separator from p (index 0: p),
// or null when the row has fewer.
const char* CellStart(const char* p, const char* end, char separator, int index) {
    for (int k = 0; k < index; ++k) {
        const void* found = std::memchr(p, separator, static_cast<std::size_t>(end - p));
        if (found == nullptr) return nullptr;
        p = static_cast<const char*>(found) + 1;
    }
    return p;
}

// How many separators from p to `end`.
std::size_t SeparatorsIn(const char* p, const char* end, char separator) {
    std::size_t count = 0;
    for (;;) {
        const void* found = std::memchr(p, separator, static_cast<std::size_t>(end - p));
        if (found == nullptr) return count;
        ++count;
        p = static_cast<const char*>(found) + 1;
    }
}

// The row from p found 16 bytes at a time, its separators, LF, quotes and
// CRs compared at once: true with its parts for a row with no quote and no
// CR but the one before its LF, holding cell `index`. False when that is
// not so, or when 16 bytes more would pass `last`: the caller then looks at
// the row the memchr way, which tells the rest apart.
bool ScanRow(const char* p, const char* last, char separator, int index, RowParts& row) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i sep = _mm_set1_epi8(separator);
    int separators = 0;
    row.cell = index == 0 ? p : nullptr;
    for (const char* at = p; last - at >= 16; at += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const auto stops = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(x, lf), _mm_cmpeq_epi8(x, quote)), _mm_cmpeq_epi8(x, cr))));
        auto seps = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, sep)));
        const int stop = stops == 0 ? 16 : __builtin_ctz(stops);
        if (stop < 16) seps &= (1u << stop) - 1;  // the separators before it
        for (; seps != 0; seps &= seps - 1) {
            if (++separators == index) row.cell = at + __builtin_ctz(seps) + 1;
        }
        if (stop == 16) continue;
        const char* const at_stop = at + stop;
        if (*at_stop == '"' || row.cell == nullptr) return false;
        if (*at_stop == '\r' && (last - at_stop < 2 || at_stop[1] != '\n')) return false;
        row.end = at_stop;
        row.next = at_stop + (*at_stop == '\r' ? 2 : 1);
        row.more = separators - index;
        return true;
    }
#else
    (void)p, (void)last, (void)separator, (void)index, (void)row;
#endif
    return false;
}

// The row from p the memchr way: false when it has no LF before `last`, or
// a quote or a CR but the one before its LF, or not cell `index`.
bool FindRow(const char* p, const char* last, char separator, int index, RowParts& row) {
    if (p == last) return false;  // nothing left (where an empty block may have no address)
    const void* feed = std::memchr(p, '\n', static_cast<std::size_t>(last - p));
    if (feed == nullptr) return false;
    row.next = static_cast<const char*>(feed) + 1;
    row.end = row.next - 1;
    if (row.end > p && row.end[-1] == '\r') --row.end;
    const auto size = static_cast<std::size_t>(row.end - p);
    if (std::memchr(p, '"', size) != nullptr || std::memchr(p, '\r', size) != nullptr) {
        return false;
    }
    row.cell = CellStart(p, row.end, separator, index);
    if (row.cell == nullptr) return false;
    row.more = static_cast<int>(SeparatorsIn(row.cell, row.end, separator));
    return true;
}

#if defined(__GNUC__) && defined(__x86_64__)
#define DESCSTAT_WIDE_ROWS 1

// Which of the 32 bytes of x equal c, as bits.
__attribute__((target("avx2"))) inline std::uint64_t Equal32(__m256i x, __m256i c) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(x, c)));
}

// Which of the 32 bytes of x equal a, b or c, as bits.
__attribute__((target("avx2"))) inline std::uint64_t Stops32(__m256i x, __m256i a, __m256i b,
                                                             __m256i c) {
    const __m256i any = _mm256_or_si256(
        _mm256_or_si256(_mm256_cmpeq_epi8(x, a), _mm256_cmpeq_epi8(x, b)), _mm256_cmpeq_epi8(x, c));
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(any));
}

// Where a common row found 64 bytes at a time lies: its start, its cell and
// its end (before its LF or CR LF).
struct RowSpot {
    const char* start;
    const char* cell;
    const char* end;
};

// The most rows WideCells finds before it reads their numbers.
constexpr std::size_t kSpots = 64;

// The rows from `from` on, 64 bytes at a time: the LFs, CRs, quotes and
// separators of 64 bytes become bits, and each row that ends among them is
// read off its bits: its end is the first stop, its cell follows the
// index-th separator before it, and the separators after the cell are
// counted. Finds up to `room` rows into `spots` and leaves `from` after the
// last: before a row that is no common one, and before one not wholly among
// 64 bytes that lie kShortNumber bytes before `last`, which the caller looks
// at another way. Each cell found has kShortNumber bytes to be read.
__attribute__((target("avx2,bmi,bmi2,popcnt"))) std::size_t WideRows(
    const char*& from, const char* last, const CellRules& rules, RowSpot* spots, std::size_t room) {
    const char separator = rules.separator;
    const int index = rules.index;
    const bool markers = rules.markers;
    // A row here has fewer than 64 separators.
    const auto mostAfter = static_cast<unsigned>(std::min<std::size_t>(rules.mostAfter, 64));
    const char* p = from;
    const __m256i lf = _mm256_set1_epi8('\n');
    const __m256i quote = _mm256_set1_epi8('"');
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i sep = _mm256_set1_epi8(separator);
    std::size_t count = 0;
    while (count < room && last - p >= 64 + myLib::kShortNumber) {
        const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
        // Bit k stands for the byte at p + k; the bits are shifted along as
        // rows are taken, so that bit 0 is always the next row's start.
        std::uint64_t stops = Stops32(low, lf, quote, cr) | Stops32(high, lf, quote, cr) << 32;
        std::uint64_t seps = Equal32(low, sep) | Equal32(high, sep) << 32;
        if (stops == 0) break;  // a row of 64 bytes or more
        do {
            const auto length = static_cast<unsigned>(_tzcnt_u64(stops));
            const char* const end = p + length;
            unsigned next = length + 1;
            if (*end != '\n') {
                if (*end == '"' || end[1] != '\n') {  // a quote, a lone CR
                    from = p;
                    return count;
                }
                ++next;
            }
            const std::uint64_t rowSeps = _bzhi_u64(seps, length);
            // Too few cells or too many after the chosen one, at once.
            const auto more = static_cast<unsigned>(_mm_popcnt_u64(rowSeps)) - index;
            if (more > mostAfter || (*p == '/' && markers)) {
                from = p;
                return count;
            }
            spots[count].start = p;
            spots[count].cell =
                index == 0
                    ? p
                    : p + _tzcnt_u64(_pdep_u64(std::uint64_t{1} << (index - 1), rowSeps)) + 1;
            spots[count].end = end;
            ++count;
            p += next;
            if (next >= 64) break;
            stops >>= next;  // the bits past the 64 bytes are 0: no stop seen there
            seps >>= next;
        } while (stops != 0 && count < room);
    }
    from = p;
    return count;
}

// The numbers of the rows found (WideRows) into `numbers`: how many are read
// before a cell that holds none, or all.
__attribute__((noinline)) std::size_t SpotNumbers(const RowSpot* spots, std::size_t found,
                                                  const char* last, char separator,
                                                  myLib::QuickNumber* numbers) {
    for (std::size_t i = 0; i < found; ++i) {
        if (!CellNumber<true>({spots[i].end, nullptr, spots[i].cell, 0}, last, separator,
                              numbers[i])) {
            return i;
        }
    }
    return found;
}

// QuickCells 64 bytes at a time: the rows found first (WideRows), then their
// numbers read, each loop with few values to hold. Stops where either does.
__attribute__((target("avx2,bmi,bmi2,popcnt"))) std::size_t WideCells(const char*& from,
                                                                      const char* last,
                                                                      const CellRules& rules,
                                                                      myLib::QuickNumber* numbers,
                                                                      std::size_t room) {
    const char separator = rules.separator;
    // A row here is shorter than 64 bytes: too long for no rule but one that
    // allows next to nothing, left to the other ways.
    if (rules.longestRow < 64) return 0;
    std::size_t count = 0;
    while (count < room) {
        RowSpot spots[kSpots];
        const std::size_t wanted = std::min(room - count, kSpots);
        const char* p = from;
        const std::size_t found = WideRows(p, last, rules, spots, wanted);
        const std::size_t read = SpotNumbers(spots, found, last, separator, numbers + count);
        count += read;
        if (read < found) {
            from = spots[read].start;
            return count;
        }
        from = p;
        if (found < wanted) break;
    }
    return count;
}

// Whether this processor runs WideCells.
bool HasWideCells() {
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
                            __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
    return has;
}
#endif

}  // namespace

std::size_t QuickCells(const char*& p, const char* last, const CellRules& rules,
                       myLib::QuickNumber* numbers, std::size_t room, RowWay way) {
    // The ways find rows by their line ends and quotes: a separator that is
    // one of them leaves every row to the table's common way.
    if (rules.separator == '\n' || rules.separator == '"' || rules.separator == '\r') return 0;
#if defined(DESCSTAT_WIDE_ROWS)
    const bool wide = (way == RowWay::kQuickest || way == RowWay::kBytes64) && HasWideCells();
#endif
    std::size_t count = 0;
    while (count < room) {
#if defined(DESCSTAT_WIDE_ROWS)
        if (wide) {
            count += WideCells(p, last, rules, numbers + count, room - count);
            if (count == room) break;
        }
#endif
        // One row another way: one of 64 bytes or more, or one the quick
        // way stopped at (which this way stops at too).
        RowParts row;
        if (!(way != RowWay::kSearch && ScanRow(p, last, rules.separator, rules.index, row)) &&
            !FindRow(p, last, rules.separator, rules.index, row)) {
            break;
        }
        if (!TakeCell(p, row, last, rules, numbers[count])) break;
        ++count;
        p = row.next;
    }
    return count;
}

}  // namespace descstat
