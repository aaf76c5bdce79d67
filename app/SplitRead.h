// A large regular file's value lines read in parts, a thread each.
//
// The bytes after the line where the reader stands are cut into parts of
// about equal size; a part's lines are those that start in it (the first
// after the line end nearest before its start). Each thread counts and sums
// its part's value lines of the simplest kind (myLib::QuickValueLines) on
// its own, up to the first line of any other kind: a marker line, a blank or
// bad value, a lone CR, a long line. The parts are then joined in file
// order up to the first such line, where the reader goes on reading the
// common way. The sums are whole numbers per power of ten and join exactly:
// the results are those of one thread, byte for byte. Nothing here writes.
#ifndef DESCSTAT_SPLITREAD_H
#define DESCSTAT_SPLITREAD_H

#include <cstdint>

#include "app/DecimalSums.h"
#include "mylib/RdTxtLn.h"

namespace descstat {

// The threads a run's rules ask for (0: one per core) as a number from 1.
int ThreadsFor(int asked);

// Reads the value lines ahead of `reader` in `threads` parts when it can be
// read by position (myLib::RdTxtLn::ReadableAt) and at least two parts of
// `leastPartBytes` lie ahead: adds their values to `sums`, gives how many in
// `lines`, and leaves the reader at the first line not read. False, with
// nothing read, when it does not apply.
bool ReadInParts(myLib::RdTxtLn& reader, int threads, long long leastPartBytes, DecimalSums& sums,
                 std::int64_t& lines);

}  // namespace descstat

#endif  // DESCSTAT_SPLITREAD_H
