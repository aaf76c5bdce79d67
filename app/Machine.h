// The statistics alone, for scripts and spreadsheets: tab-separated values,
// comma-separated values (RFC 4180) or JSON Lines, one row or object per
// result set. The keys are ASCII and never depend on the language or the
// encoding: file, then the table of statistics' keys (StatisticTable.h): n,
// mean, variance, sd, unbiased_variance, unbiased_sd, with the summary also
// min, q1, median, q3, max; tsv and csv end each row with an
// error column, empty on success. Numbers have the fewest digits that read
// back as the same double (1e+300 with its sign), or the digits asked for;
// NaN is "nan" and an infinite result "inf" (null in JSON); the count is an
// integer. With the histogram, a JSON object also has "histogram": its bins
// as [low, high, count], an edge beyond the doubles' range as the largest
// double of its sign. Every row ends with a line feed.
//
// A name a format cannot carry as it is gets a reversible escape: in tsv a
// backslash, a tab, a CR or an LF is written \\, \t, \r, \n; in csv a field
// with a comma, a quote, a CR or an LF is quoted, its quotes doubled; in JSON
// a byte that is not part of valid UTF-8 is written \udcXX (XX its value, as
// Python's surrogateescape reads it back), besides JSON's own escapes.
// In tsv and csv a name or message a spreadsheet would take for a formula
// (it begins with =, +, -, @, a tab or a CR, and is no number) gets a leading
// apostrophe: `'=HYPERLINK(...)`, `'-x.txt`; `-1.5` stays as it is.
#ifndef DESCSTAT_MACHINE_H
#define DESCSTAT_MACHINE_H

#include <ostream>
#include <string>

#include "app/Options.h"
#include "app/ResultSet.h"

namespace descstat {

// The header row of tsv and csv (nothing for JSON), then one row or object
// per result set: its key, and its statistics or (`error` set) why there are
// none. The statistics are those of the table that the options ask for;
// `digits` as the report's (kShortestDigits: the fewest).
void WriteMachineRows(std::ostream& out, const ResultSets& sets, const RunOptions& options,
                      int digits);

// A name or a note as a field of a row in `format`: with tsv's escapes or
// csv's quotes and, in both, the formula guard; a JSON string in JSON.
std::string MachineText(const std::string& text, Format format);

}  // namespace descstat

#endif  // DESCSTAT_MACHINE_H
