// A table's common rows read where they lie in the read block: the number
// in one cell of each, without copying a byte. A row is common when it ends
// in LF (or CR LF) before the block's end, holds no quote and no other CR,
// and its cell holds a number myLib::QuickDecimal reads, alone but for
// blanks; any other row is left to the table's common way, which splits it
// in full and tells of what it finds. Every way of finding rows gives the
// very same numbers: the quickest the processor has is taken.
#ifndef DESCSTAT_TABLEROWS_H
#define DESCSTAT_TABLEROWS_H

#include <cstddef>

#include "mylib/StrFunc.h"

namespace descstat {

// What a row must be to be read here.
struct CellRules {
    char separator = ',';
    int index = 0;                  // the cell, from 0
    bool markers = true;            // a row that starts with '/' is a marker line
    std::ptrdiff_t longestRow = 0;  // bytes before its line end, at most
    std::size_t mostAfter = 0;      // separators after the cell, at most
};

// How rows are looked for: the quickest at hand, 64 bytes at a time (AVX2,
// where the processor has it), 16 bytes at a time (SSE2), or a byte search.
// A way the build or the processor lacks gives the next one down. The
// slower ways are there for the tests, which hold each to the others.
enum class RowWay { kQuickest, kBytes64, kBytes16, kSearch };

// Reads the numbers of the common rows from p on into `numbers`, up to
// `room` of them, gives how many, and leaves p after the last row read: at
// a row of any other kind, or one with no line end before `last`. None
// when the separator is a line end or a quote.
std::size_t QuickCells(const char*& p, const char* last, const CellRules& rules,
                       myLib::QuickNumber* numbers, std::size_t room,
                       RowWay way = RowWay::kQuickest);

}  // namespace descstat

#endif  // DESCSTAT_TABLEROWS_H
