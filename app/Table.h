// A table: the data file as rows of cells, as spreadsheets, R and databases
// save them. A data file without a marker line is read so, and so is every
// file read with --plain.
//
// Its form is found from its first lines (up to kSampleLines), unless the
// rules say it: the separator (tab, ';', ',', '|' or runs of blanks: the
// first that splits every sampled row into the same number of fields, quotes
// respected, else the one that splits the most rows alike); whether the first
// row names the columns (it has a field that is no number where the rows
// below hold numbers); whether numbers are written with a decimal comma (the
// separator is ';' or a tab and the number cells have a comma and no point);
// and the character set of its names and labels (a byte order mark, else
// UTF-8 when the sample is valid UTF-8, else Shift_JIS). Rows may be of any
// length; a quoted field may go on over several lines; blank lines are no
// rows.
//
// A cell that is empty or says that there is no value (NA, N/A, NaN, nan, -,
// #N/A, null, NULL, .) is missing: no value, no remark, counted. The columns
// read are those the rules name or, without --field, every numeric column
// (one whose cells are numbers or missing) but the group columns and R's row
// names (a first column the header line leaves unnamed). A cell of a named
// column that is neither is missing too, and remarked. With --group, each
// distinct value (or combination) of the group columns, in order of first
// appearance, has a sample of each column read. Each value costs its 8 bytes
// once; each group label is kept once.
#ifndef DESCSTAT_TABLE_H
#define DESCSTAT_TABLE_H

#include <cstdint>
#include <memory>
#include <string>

#include "app/DataFile.h"
#include "app/Messages.h"
#include "app/Options.h"
#include "mylib/RdTxtLn.h"

namespace descstat {

// The lines a table's form is found from.
constexpr int kSampleLines = 100;

// A table as its lines arrive: each is taken as it is read (the search for a
// marker line hands them over as it goes, so that a file read once need not
// be kept), and the samples are made when the last has come.
class TableReader {
public:
    // The reader is asked whether a byte order mark began the file; more
    // than `maxRows` rows fail with kTooManyLines.
    TableReader(const DataRules& rules, const myLib::RdTxtLn& reader, std::int32_t maxRows);
    ~TableReader();
    TableReader(const TableReader&) = delete;
    TableReader& operator=(const TableReader&) = delete;
    TableReader(TableReader&&) = delete;
    TableReader& operator=(TableReader&&) = delete;

    // Takes the file's next line, `number` counted from 1. A failure (a field
    // the rules name that the table lacks, no memory) ends the reading.
    Outcome AddLine(const std::string& line, std::int64_t number);
    // Takes the rows of the simplest kind where they lie in the reader's
    // block, as AddLine would take each: once the form, the header and a
    // first row are known, one column is read without groups, and the line
    // holds no quote, no lone CR and no more cells than the first rows, its
    // cell a number that myLib::QuickDecimal reads (a line that starts with
    // '/' only with `noMarkers`). Stops before any other line, which the
    // caller reads and hands to AddLine; gives how many lines it took.
    std::int64_t AddQuickLines(myLib::RdTxtLn& reader, bool noMarkers);
    // After the last line: the samples in `columns`, column by column and
    // each column's groups in order of first appearance; the remarks to
    // `sink`. Fails when a quote is left open, when the file holds no row
    // (kNoMarker, unless the rules say it is a plain list) and when no
    // column holds numbers (the columns and their first cells are named).
    Outcome Finish(ValueSink& sink, Columns& columns);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// A name or label from a data file in UTF-8: as it is when it is valid UTF-8,
// else converted from Shift_JIS where it is that, else as it is.
std::string TextInUtf8(const std::string& text);

// True for the text of a cell that says it holds no value (blanks around it
// aside): "", NA, N/A, NaN, nan, -, #N/A, null, NULL, ".".
bool IsMissingCell(const std::string& cell);

// The cells of a row: fields between `separator` ('\0': runs of blanks),
// quoted as CSV quotes them, blanks around each taken off. In Shift_JIS text
// (`shiftJis`) the second byte of a character is never a separator. False
// when a quote is left open at the end (the row goes on on the next line).
bool SplitCells(const std::string& row, char separator, bool shiftJis,
                std::vector<std::string>& cells);

}  // namespace descstat

#endif  // DESCSTAT_TABLE_H
