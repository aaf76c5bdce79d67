#include "app/Table.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "app/DecimalSums.h"
#include "app/Platform.h"
#include "app/Shown.h"
#include "app/TableRows.h"
#include "app/Text.h"
#include "mylib/StrFunc.h"

namespace descstat {

namespace {

// The sample is found from at most this much text, however few its lines.
constexpr std::size_t kSampleBytes = std::size_t{1} << 20;
// The remarks kept for each column read; beyond them only their number.
constexpr std::size_t kRemarksKept = 10;
// The address space the samples' values reserve at first, all together: each
// new sample takes an eighth of what is left for each column read, and at
// least kLeastReservation, so that a table of hundreds of columns or
// thousands of groups fits where address space is bounded (valgrind, a
// ulimit), and a few samples grow in place far beyond any usual size. One
// that outgrows its reservation moves once to one twice as large.
constexpr std::size_t kTableAddressSpace = std::size_t{32} << 30;
constexpr std::size_t kLeastReservation = std::size_t{16} << 20;
// What separates the cells of a group key, which no cell of a line holds.
constexpr char kKeySeparator = '\n';
// Between the labels of several group columns.
constexpr const char* kLabelSeparator = " / ";

// The separators a table's form is looked for with, in the order preferred.
constexpr char kSeparators[] = {'\t', ';', ',', '|', '\0'};

bool IsShiftJisLead(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The next cell of `cells` to fill (its room kept from row to row).
std::string& NextCell(std::vector<std::string>& cells, std::size_t& count) {
    if (count == cells.size()) cells.emplace_back();
    std::string& cell = cells[count++];
    cell.clear();
    return cell;
}

void TrimBlanksAtEnd(std::string& s) {
    while (!s.empty() && myLib::IsBlnk(s.back())) s.pop_back();
}

// True when the row holds nothing but blanks.
bool IsBlankRow(const std::string& row) {
    return std::all_of(row.begin(), row.end(), [](char c) { return myLib::IsBlnk(c); });
}

bool AllEmpty(const std::vector<std::string>& cells) {
    return std::all_of(cells.begin(), cells.end(), [](const std::string& c) { return c.empty(); });
}

// The cell as a number: true when it is wholly one, with its value and its
// shortest decimal. With decimal commas, one comma stands for the point.
bool CellNumber(const std::string& cell, bool decimalComma, std::string& scratch, double& value,
                DecimalValue& decimal) {
    const std::string* text = &cell;
    if (decimalComma) {
        const std::size_t comma = cell.find(',');
        if (comma != std::string::npos) {
            if (cell.find(',', comma + 1) != std::string::npos ||
                cell.find('.') != std::string::npos) {
                return false;
            }
            scratch = cell;
            scratch[comma] = '.';
            text = &scratch;
        }
    }
    if (text->empty()) return false;
    myLib::WrittenNumber written;
    const char* const first = text->data();
    const char* const last = first + text->size();
    const char* stop = nullptr;
    value = static_cast<double>(myLib::StrToDbl(first, last, stop, written));
    if (stop == first || stop != last || !std::isfinite(value)) return false;
    decimal = DecimalOfWritten(value, written);
    return true;
}

bool IsNumberCell(const std::string& cell, bool decimalComma) {
    std::string scratch;
    double value = 0.0;
    DecimalValue decimal;
    return CellNumber(cell, decimalComma, scratch, value, decimal);
}

// A name or label of the table in UTF-8.
std::string ToUtf8(const std::string& text, bool shiftJis) {
    if (!shiftJis) return text;
    std::string utf8;
    return platform::ShiftJisToUtf8(text, utf8) ? utf8 : text;
}

// A name the user typed, in UTF-8.
std::string TypedInUtf8(const std::string& typed) {
    if (IsValidUtf8(typed)) return typed;
    std::string utf8;
    if (platform::ArgumentToUtf8(typed, utf8) && IsValidUtf8(utf8)) return utf8;
    return platform::ShiftJisToUtf8(typed, utf8) ? utf8 : typed;
}

// The rows of the sample split at `separator`: blank lines are none, and a
// quote left open joins the next line.
std::vector<std::vector<std::string>> SampleRows(const std::vector<std::string>& lines,
                                                 char separator, bool shiftJis) {
    std::vector<std::vector<std::string>> rows;
    std::string row;
    bool open = false;
    std::vector<std::string> cells;
    for (const std::string& line : lines) {
        if (open) {
            row += '\n';
            row += line;
        } else if (IsBlankRow(line)) {
            continue;
        } else {
            row = line;
        }
        open = !SplitCells(row, separator, shiftJis, cells);
        if (!open && !AllEmpty(cells)) rows.push_back(cells);
    }
    return rows;
}

// How well a separator splits the sampled rows: the rows of the most common
// width of at least two fields, and whether that is every row.
struct SeparatorFit {
    std::size_t rows = 0;
    bool every = false;
    std::size_t width = 0;
};

SeparatorFit FitOf(const std::vector<std::vector<std::string>>& rows) {
    std::unordered_map<std::size_t, std::size_t> widths;
    SeparatorFit fit;
    for (const auto& row : rows) {
        if (row.size() < 2) continue;
        const std::size_t n = ++widths[row.size()];
        if (n > fit.rows) {
            fit.rows = n;
            fit.width = row.size();
        }
    }
    fit.every = fit.rows > 0 && fit.rows == rows.size();
    return fit;
}

// True when the first row names columns: it holds no number, and it has a
// field that is no number where the rows below hold numbers more than
// anything else.
bool FirstRowNames(const std::vector<std::vector<std::string>>& rows, bool decimalComma) {
    if (rows.size() < 2) return false;
    const std::vector<std::string>& first = rows[0];
    if (std::any_of(first.begin(), first.end(), [decimalComma](const std::string& cell) {
            return IsNumberCell(cell, decimalComma);
        })) {
        return false;
    }
    for (std::size_t j = 0; j < first.size(); ++j) {
        if (IsMissingCell(first[j])) continue;
        std::size_t numbers = 0;
        std::size_t texts = 0;
        for (std::size_t r = 1; r < rows.size(); ++r) {
            if (j >= rows[r].size() || IsMissingCell(rows[r][j])) continue;
            ++(IsNumberCell(rows[r][j], decimalComma) ? numbers : texts);
        }
        if (numbers > 0 && numbers >= texts) return true;
    }
    return false;
}

// True when the number cells of the rows (after the first) are written with
// a comma and none with a point.
bool UsesDecimalComma(const std::vector<std::vector<std::string>>& rows) {
    std::size_t commas = 0;
    std::size_t points = 0;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        for (const std::string& cell : rows[r]) {
            if (IsNumberCell(cell, false)) {
                if (cell.find('.') != std::string::npos) ++points;
            } else if (IsNumberCell(cell, true)) {
                ++commas;
            }
        }
    }
    return commas > 0 && points == 0;
}

}  // namespace

std::string TextInUtf8(const std::string& text) {
    if (IsValidUtf8(text)) return text;
    std::string utf8;
    return platform::ShiftJisToUtf8(text, utf8) ? utf8 : text;
}

bool IsMissingCell(const std::string& cell) {
    static const std::string_view kMissing[] = {"",  "NA",   "N/A",  "NaN",  "nan",
                                                "-", "#N/A", "null", "NULL", "."};
    // None is longer than four bytes, and none begins with a digit: a number
    // is told apart at once.
    if (cell.size() > 4 || (!cell.empty() && cell[0] >= '0' && cell[0] <= '9')) return false;
    const std::string_view text(cell);
    return std::any_of(std::begin(kMissing), std::end(kMissing),
                       [text](std::string_view m) { return text == m; });
}

bool SplitCells(const std::string& row, char separator, bool shiftJis,
                std::vector<std::string>& cells) {
    const bool blanks = separator == '\0';
    const auto isSeparator = [blanks, separator](char c) {
        return blanks ? myLib::IsBlnk(c) : c == separator;
    };
    const std::size_t n = row.size();
    std::size_t count = 0;
    std::size_t i = 0;
    const auto skipBlanks = [&row, &i, n]() {
        while (i < n && myLib::IsBlnk(row[i])) ++i;
    };
    // The bytes up to the next separator, a Shift_JIS character's two together.
    const auto takeUnquoted = [&](std::string& cell) {
        const std::size_t start = i;
        if (!blanks && !shiftJis) {
            // One byte to look for: the library's search.
            const void* found = std::memchr(row.data() + i, separator, n - i);
            i = found == nullptr
                    ? n
                    : static_cast<std::size_t>(static_cast<const char*>(found) - row.data());
        } else {
            while (i < n && !isSeparator(row[i])) i += shiftJis && IsShiftJisLead(row[i]) ? 2 : 1;
        }
        i = std::min(i, n);
        cell.append(row, start, i - start);
    };
    skipBlanks();
    if (blanks && i == n) {
        cells.clear();
        return true;
    }
    for (;;) {
        std::string& cell = NextCell(cells, count);
        if (!blanks) skipBlanks();
        if (i < n && row[i] == '"') {
            ++i;
            bool closed = false;
            while (i < n) {
                const char c = row[i++];
                if (c != '"') {
                    cell += c;
                } else if (i < n && row[i] == '"') {
                    cell += '"';
                    ++i;
                } else {
                    closed = true;
                    break;
                }
            }
            if (!closed) {
                cells.resize(count);
                return false;
            }
        }
        takeUnquoted(cell);
        if (!blanks) TrimBlanksAtEnd(cell);
        if (i >= n) break;
        if (blanks) {
            while (i < n && myLib::IsBlnk(row[i])) ++i;
            if (i == n) break;
        } else {
            ++i;  // the separator; one at the end leaves an empty last cell
        }
    }
    cells.resize(count);
    return true;
}

// One sample: the values of one column in one group.
struct Sample {
    Column data;
};

// What the reader knows of one column.
struct TableColumn {
    std::string raw;        // its name as the header line writes it (empty: none)
    std::string name;       // in UTF-8, or its number when the table has no header line
    bool read = false;      // a column whose values are kept
    bool named = false;     // asked for by --field: its stray cells are remarked
    bool grouping = false;  // a group column
    std::int64_t numbers = 0;
    std::int64_t texts = 0;
    std::string firstCell;            // its first row's cell, for a message
    LineRemark firstText;             // its first cell that is no number
    std::vector<LineRemark> remarks;  // the first few of its stray cells
    std::vector<int> samples;         // per group, an index into the samples; -1: none yet
};

struct TableReader::State {
    const DataRules rules;  // a copy: the table may be finished after the caller's rules are gone
    const myLib::RdTxtLn& reader;
    std::int32_t maxRows = 0;
    Outcome failure;
    // Until the form is found: the lines so far.
    bool formFound = false;
    std::vector<std::string> sampleLines;
    std::vector<std::int64_t> sampleNumbers;
    std::size_t sampleBytes = 0;
    // The form.
    char separator = '\0';
    bool decimalComma = false;
    bool shiftJis = false;
    bool header = false;
    std::size_t width = 0;  // the fields a row is read for
    // The row being read: a quote left open joins the next line.
    std::string row;
    std::int64_t rowLine = 0;
    bool open = false;
    std::vector<std::string> cells;
    std::string scratch;
    bool headerDone = false;
    std::int64_t rowCount = 0;
    bool longRowSeen = false;
    LineRemark longRow;
    // The columns and the order they are read in.
    std::vector<TableColumn> columns;
    std::vector<int> order;
    std::vector<int> groupColumns;
    bool chosen = false;  // --field named the columns
    // The groups: each key's index, and each group's label.
    std::unordered_map<std::string, int> groupIndex;
    std::vector<std::string> groupLabels;
    std::string key;
    std::vector<Sample> samples;
    std::size_t reserved = 0;  // the address space the samples reserve at first

    State(const DataRules& r, const myLib::RdTxtLn& rd) : rules(r), reader(rd) {}

    void FindForm();
    void TakeLine(const std::string& line, std::int64_t number);
    void TakeRow();
    void SetUpColumns();
    Outcome ResolveChoices(const std::vector<FieldChoice>& choices,
                           std::vector<int>& indexes) const;
    int GroupOf();
    Sample& SampleOf(TableColumn& column, int group);
    void TakeCell(int c, int group);
    Outcome NoNumericColumn() const;
};

TableReader::TableReader(const DataRules& rules, const myLib::RdTxtLn& reader, std::int32_t maxRows)
    : state_(new State(rules, reader)) {
    state_->maxRows = maxRows;
}

TableReader::~TableReader() = default;

void TableReader::State::FindForm() {
    formFound = true;
    switch (rules.inputEncoding) {
        case InputEncoding::kShiftJis: shiftJis = true; break;
        case InputEncoding::kUtf8:
        case InputEncoding::kUtf16: shiftJis = false; break;
        case InputEncoding::kDetect:
            shiftJis = !reader.MetBom() && !reader.IsUtf16() &&
                       !std::all_of(sampleLines.begin(), sampleLines.end(), IsValidUtf8);
            break;
    }
    separator = rules.separator;
    if (separator == '\0' && rules.decimalComma) separator = ';';
    if (separator == '\0') {
        SeparatorFit best;
        for (const char candidate : kSeparators) {
            const SeparatorFit fit = FitOf(SampleRows(sampleLines, candidate, shiftJis));
            if (fit.every) {
                separator = candidate;
                break;
            }
            if (fit.rows > best.rows) {
                best = fit;
                separator = candidate;
            }
        }
    }
    const std::vector<std::vector<std::string>> rows = SampleRows(sampleLines, separator, shiftJis);
    decimalComma =
        rules.decimalComma || ((separator == ';' || separator == '\t') && UsesDecimalComma(rows));
    header = rules.header || (!rules.noHeader && FirstRowNames(rows, decimalComma));
    for (const auto& r : rows) width = std::max(width, r.size());
    // Replayed as if they came now.
    std::vector<std::string> lines = std::move(sampleLines);
    std::vector<std::int64_t> numbers = std::move(sampleNumbers);
    for (std::size_t i = 0; i < lines.size() && failure.failure == Failure::kNone; ++i) {
        TakeLine(lines[i], numbers[i]);
    }
}

void TableReader::State::TakeLine(const std::string& line, std::int64_t number) {
    if (open) {
        row += '\n';
        row += line;
    } else if (IsBlankRow(line)) {
        return;
    } else {
        row = line;
        rowLine = number;
    }
    open = !SplitCells(row, separator, shiftJis, cells);
    if (open || AllEmpty(cells)) return;
    TakeRow();
}

Outcome TableReader::State::ResolveChoices(const std::vector<FieldChoice>& choices,
                                           std::vector<int>& indexes) const {
    for (const FieldChoice& choice : choices) {
        if (choice.name.empty()) {
            for (int f = choice.first; f <= choice.last; ++f) {
                if (static_cast<std::size_t>(f) > columns.size()) {
                    return {Failure::kNoField, 0,
                            "no field " + std::to_string(f) + " (the table has " +
                                std::to_string(columns.size()) + " fields)"};
                }
                indexes.push_back(f - 1);
            }
            continue;
        }
        const std::string wanted = TypedInUtf8(choice.name);
        std::vector<int> places;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (header && (columns[i].name == wanted || columns[i].raw == choice.name)) {
                places.push_back(static_cast<int>(i));
            }
        }
        if (places.size() == 1) {
            indexes.push_back(places[0]);
            continue;
        }
        if (places.size() > 1) {
            std::vector<std::string> numbers;
            numbers.reserve(places.size());
            for (const int p : places) numbers.push_back(std::to_string(p + 1));
            return {Failure::kNoField, 0,
                    "'" + Shown(choice.name) + "' names fields " + JoinedList(numbers) +
                        " of the header line"};
        }
        std::string detail = "no field named '" + Shown(choice.name) + "'";
        if (!header) return {Failure::kNoField, 0, detail + " (the table has no header line)"};
        std::vector<std::string> names;
        names.reserve(columns.size());
        for (const TableColumn& column : columns) names.push_back("'" + Shown(column.name) + "'");
        return {Failure::kNoField, 0,
                detail + " (the header line names " + JoinedList(names) + ")"};
    }
    return {};
}

void TableReader::State::SetUpColumns() {
    const bool names = header;
    std::size_t count = std::max(width, names ? cells.size() : std::size_t{0});
    for (const FieldChoice& choice : rules.fields) {
        if (choice.name.empty()) count = std::max(count, static_cast<std::size_t>(choice.last));
    }
    columns.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        TableColumn& column = columns[i];
        if (names && i < cells.size()) column.raw = cells[i];
        column.name =
            names && !column.raw.empty() ? ToUtf8(column.raw, shiftJis) : std::to_string(i + 1);
    }
    width = count;
    failure = ResolveChoices(rules.groups, groupColumns);
    if (failure.failure != Failure::kNone) return;
    for (const int g : groupColumns) columns[static_cast<std::size_t>(g)].grouping = true;
    std::vector<int> fields;
    failure = ResolveChoices(rules.fields, fields);
    if (failure.failure != Failure::kNone) return;
    chosen = !fields.empty();
    if (!chosen) {
        for (std::size_t i = 0; i < count; ++i) {
            // R's write.csv leaves the row names' column unnamed.
            const bool rowNames = i == 0 && names && columns[0].raw.empty() && count > 1;
            if (!columns[i].grouping && !rowNames) fields.push_back(static_cast<int>(i));
        }
    }
    for (const int f : fields) {
        TableColumn& column = columns[static_cast<std::size_t>(f)];
        if (column.read) continue;  // named twice: read once
        column.read = true;
        column.named = chosen;
        order.push_back(f);
    }
}

int TableReader::State::GroupOf() {
    if (groupColumns.empty()) return 0;
    key.clear();
    for (const int g : groupColumns) {
        const auto i = static_cast<std::size_t>(g);
        if (i < cells.size()) key += cells[i];
        key += kKeySeparator;
    }
    const auto found = groupIndex.find(key);
    if (found != groupIndex.end()) return found->second;
    std::string label;
    for (const int g : groupColumns) {
        const auto i = static_cast<std::size_t>(g);
        if (!label.empty()) label += kLabelSeparator;
        if (i < cells.size()) label += ToUtf8(cells[i], shiftJis);
    }
    const int index = static_cast<int>(groupLabels.size());
    groupLabels.push_back(label);
    groupIndex.emplace(key, index);
    return index;
}

Sample& TableReader::State::SampleOf(TableColumn& column, int group) {
    const auto g = static_cast<std::size_t>(group);
    if (column.samples.size() <= g) column.samples.resize(g + 1, -1);
    if (column.samples[g] < 0) {
        column.samples[g] = static_cast<int>(samples.size());
        samples.emplace_back();
        Column& data = samples.back().data;
        const std::size_t left = kTableAddressSpace - std::min(reserved, kTableAddressSpace);
        const std::size_t share = left / (8 * std::max<std::size_t>(1, order.size()));
        const std::size_t reservation = std::max(kLeastReservation, share);
        data.values = Values(reservation);
        if (!rules.keepValues) data.values.CountOnly();
        reserved += reservation;
        data.sums = std::make_unique<DecimalSums>();
        data.field = column.name;
        data.group = groupLabels.empty() ? std::string() : groupLabels[g];
        data.table = true;
    }
    return samples[static_cast<std::size_t>(column.samples[g])];
}

void TableReader::State::TakeCell(int c, int group) {
    TableColumn& column = columns[static_cast<std::size_t>(c)];
    Sample& sample = SampleOf(column, group);
    const auto i = static_cast<std::size_t>(c);
    if (i >= cells.size() || IsMissingCell(cells[i])) {
        ++sample.data.missing;
        return;
    }
    double value = 0.0;
    DecimalValue decimal;
    if (CellNumber(cells[i], decimalComma, scratch, value, decimal)) {
        ++column.numbers;
        if (!sample.data.values.Append(value)) {
            failure = {Failure::kNoMemory, 0};
            return;
        }
        AddDecimal(*sample.data.sums, decimal);
        return;
    }
    ++sample.data.missing;
    if (++column.texts == 1) {
        column.firstText.kind = LineRemark::kTextColumn;
        column.firstText.line = rowLine;
        column.firstText.field = cells[i];
        column.firstText.fieldNumber = c + 1;
        column.firstText.column = column.raw;
    }
    if (column.remarks.size() < kRemarksKept) {
        LineRemark remark = column.firstText;
        remark.kind = LineRemark::kMissingCell;
        remark.line = rowLine;
        remark.field = cells[i];
        remark.leftOut = true;
        column.remarks.push_back(std::move(remark));
    }
}

void TableReader::State::TakeRow() {
    if (!headerDone) {
        headerDone = true;
        SetUpColumns();
        if (failure.failure != Failure::kNone || header) return;
    }
    if (cells.size() > width && !longRowSeen) {
        longRowSeen = true;
        longRow.kind = LineRemark::kLongRow;
        longRow.line = rowLine;
        longRow.fieldNumber = static_cast<int>(cells.size());
        longRow.value = static_cast<double>(width);
    }
    if (rowCount == 0) {
        for (std::size_t i = 0; i < columns.size() && i < cells.size(); ++i) {
            columns[i].firstCell = cells[i];
        }
    }
    if (rowCount >= maxRows) {
        failure = {Failure::kTooManyLines, 0};
        return;
    }
    ++rowCount;
    const int group = GroupOf();
    for (const int c : order) {
        TakeCell(c, group);
        if (failure.failure != Failure::kNone) return;
    }
}

Outcome TableReader::State::NoNumericColumn() const {
    std::vector<std::string> found;
    found.reserve(columns.size());
    for (const TableColumn& column : columns) {
        std::string text = "'" + Shown(header ? column.raw : column.name) + "'";
        if (!column.firstCell.empty()) text += " ('" + Shown(column.firstCell) + "' first)";
        found.push_back(text);
    }
    if (found.empty()) return {Failure::kNoNumbers, 0, "the table has no rows"};
    return {Failure::kNoNumbers, 0,
            "no column holds numbers; the columns are " + JoinedList(found)};
}

std::int64_t TableReader::AddQuickLines(myLib::RdTxtLn& reader, bool noMarkers) {
    State& s = *state_;
    // A separator that may be the second byte of a Shift_JIS character
    // ('|') needs the common split, and so does one that may lie within a
    // number ("-t ." or "-t e"), which the number would read past.
    const bool quick = s.formFound && s.headerDone && !s.open && s.rowCount > 0 &&
                       s.failure.failure == Failure::kNone && s.order.size() == 1 &&
                       s.groupColumns.empty() && s.separator != '\0' && !s.decimalComma &&
                       !(s.shiftJis && static_cast<unsigned char>(s.separator) >= 0x40) &&
                       std::strchr("0123456789.eE+-", s.separator) == nullptr;
    if (!quick) return 0;
    const int c = s.order[0];
    TableColumn& column = s.columns[static_cast<std::size_t>(c)];
    Sample& sample = s.SampleOf(column, 0);
    std::int64_t taken = 0;
    // The rows' numbers are kept and summed a batch at a time.
    constexpr std::int32_t kBatch = 64;
    myLib::QuickNumber numbers[kBatch];
    std::int32_t held = 0;
    const auto keepHeld = [&]() {
        Values& values = sample.data.values;
        if (values.CountsOnly()) {
            values.AddCounted(held);
        } else if (held > 0) {
            double* into = values.AppendRoom(held);
            if (into == nullptr) {
                s.failure = {Failure::kNoMemory, 0};
                held = 0;
                return;
            }
            for (std::int32_t i = 0; i < held; ++i) into[i] = numbers[i].value;
        }
        AddWrittenNumbers(*sample.data.sums, numbers, static_cast<std::size_t>(held));
        held = 0;
    };
    // What a row must be to be read where it lies; a row longer than the
    // header (unless one was seen) goes the common way, which tells of it.
    const std::size_t cellsAllowed =
        s.longRowSeen ? std::numeric_limits<std::size_t>::max() : s.width;
    if (cellsAllowed <= static_cast<std::size_t>(c)) return 0;
    CellRules rules;
    rules.separator = s.separator;
    rules.index = c;
    rules.markers = !noMarkers;
    rules.longestRow = myLib::RdTxtLn::kMaxLine;
    rules.mostAfter = cellsAllowed - static_cast<std::size_t>(c) - 1;
    const std::int64_t rowsAllowed = s.maxRows - s.rowCount;
    const char* first = nullptr;
    const char* last = nullptr;
    while (reader.PeekBlock(first, last)) {
        const char* p = first;
        for (;;) {
            const auto room = static_cast<std::size_t>(
                std::min<std::int64_t>(kBatch - held, rowsAllowed - taken));
            const std::size_t read =
                room == 0 ? 0 : QuickCells(p, last, rules, numbers + held, room);
            held += static_cast<std::int32_t>(read);
            taken += static_cast<std::int64_t>(read);
            if (held == kBatch) keepHeld();
            if (read < room || room == 0 || s.failure.failure != Failure::kNone) break;
        }
        keepHeld();
        reader.SkipTo(p);
        if (p != last || s.failure.failure != Failure::kNone) break;
    }
    s.rowCount += taken;
    column.numbers += taken;
    return taken;
}

Outcome TableReader::AddLine(const std::string& line, std::int64_t number) {
    State& s = *state_;
    if (s.failure.failure != Failure::kNone) return s.failure;
    if (!s.formFound) {
        s.sampleLines.push_back(line);
        s.sampleNumbers.push_back(number);
        s.sampleBytes += line.size();
        if (s.sampleLines.size() >= static_cast<std::size_t>(kSampleLines) ||
            s.sampleBytes >= kSampleBytes) {
            s.FindForm();
        }
        return s.failure;
    }
    s.TakeLine(line, number);
    return s.failure;
}

Outcome TableReader::Finish(ValueSink& sink, Columns& columns) {
    State& s = *state_;
    if (!s.formFound && s.failure.failure == Failure::kNone) s.FindForm();
    if (s.failure.failure != Failure::kNone) return s.failure;
    if (s.open) {
        return {Failure::kOpenQuote, 0,
                "a quoted field opened on line " + std::to_string(s.rowLine) + " is not closed."};
    }
    if (!s.headerDone && !s.rules.plain) return {Failure::kNoMarker, 0};
    // Remarks in the order of their lines, of the columns kept.
    std::vector<LineRemark> remarks;
    std::int64_t more = 0;
    std::vector<const TableColumn*> kept;
    for (const int c : s.order) {
        const TableColumn& column = s.columns[static_cast<std::size_t>(c)];
        // A column of numbers, with fewer other texts; or the only one there
        // is, when it holds nothing but missing cells (a plain list of NA).
        const bool numeric = column.named ||
                             (column.numbers > 0 && column.numbers >= column.texts) ||
                             (s.order.size() == 1 && column.texts == 0);
        if (!numeric) {
            if (column.numbers > 0) remarks.push_back(column.firstText);
            continue;
        }
        kept.push_back(&column);
        remarks.insert(remarks.end(), column.remarks.begin(), column.remarks.end());
        more += column.texts - static_cast<std::int64_t>(column.remarks.size());
    }
    if (s.longRowSeen) remarks.push_back(s.longRow);
    std::stable_sort(remarks.begin(), remarks.end(),
                     [](const LineRemark& a, const LineRemark& b) { return a.line < b.line; });
    for (const LineRemark& remark : remarks) sink.Remark(remark);
    if (more > 0) sink.MoreRemarks(more);

    columns.clear();
    if (!s.headerDone) {
        // A plain list without a line: one empty sample, as before.
        columns.emplace_back();
        columns.back().sums = std::make_unique<DecimalSums>();
        columns.back().field = "1";
        columns.back().table = true;
        return {};
    }
    if (kept.empty()) return s.NoNumericColumn();
    const std::size_t groups = std::max<std::size_t>(1, s.groupLabels.size());
    for (const TableColumn* column : kept) {
        for (std::size_t g = 0; g < groups; ++g) {
            if (g < column->samples.size() && column->samples[g] >= 0) {
                columns.push_back(
                    std::move(s.samples[static_cast<std::size_t>(column->samples[g])].data));
            } else {
                // A group that came before any row of the column's: no value.
                columns.emplace_back();
                columns.back().sums = std::make_unique<DecimalSums>();
                columns.back().field = column->name;
                columns.back().group = g < s.groupLabels.size() ? s.groupLabels[g] : "";
                columns.back().table = true;
            }
        }
    }
    const bool named = columns.size() > 1 || !s.groupColumns.empty() || (!s.chosen && s.width > 1);
    for (Column& column : columns) column.named = named;
    return {};
}

}  // namespace descstat
