#include "app/DataFile.h"

#include <cerrno>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "app/Fields.h"
#include "app/Shown.h"
#include "mylib/StrFunc.h"

namespace descstat {

namespace {

using myLib::RdTxtLn;

// The data file's lines as a pass reads them, under the run's data rules,
// with the number of the last line read (every line of the file counts).
struct Lines {
    RdTxtLn& reader;
    const DataRules& rules;
    std::int64_t number = 0;
    std::string field;             // the last value line's field, its room kept from line to line
    std::int64_t recordStart = 0;  // the number of the first line of the last value line
    std::string more;              // a line that goes on a quoted field, its room kept
    std::vector<double> row;       // the last value line's values, one per selected field
    std::vector<DecimalValue> decimals;  // and their shortest decimals (for numbers)
};

// Reads the next line into `line` (only its first byte unless `whole`), or
// sets `end` at the end of the file: the empty line that the reader delivers
// when the file ends right after a line end is the end, not a line of its
// own. A line that is too long, or that a read error cut short, is a failure.
Failure NextLine(Lines& lines, std::string& line, bool& end, bool whole = true) {
    const int result = whole ? lines.reader.GetLn(line) : lines.reader.GetLnHead(line);
    if (lines.reader.RdErr()) return Failure::kReadError;
    if (result == RdTxtLn::kLineTooLong) return Failure::kLongLine;
    end = result != RdTxtLn::kLineRead ||
          (lines.reader.status == RdTxtLn::kEndOfFile && line.empty());
    if (!end) ++lines.number;
    return Failure::kNone;
}

bool IsMarker(const std::string& line) { return !line.empty() && line[0] == '/'; }

// A marker line ends the data section; a plain list has none.
bool EndsSection(const Lines& lines, const std::string& line) {
    return !lines.rules.plain && IsMarker(line);
}

// Reads the next line of the data section as NextLine does (only its first
// byte unless `whole`). With a separator it is read whole, and a quoted field
// still open at its end goes on over the next lines, which join it after a
// line feed: one value line, as a CSV file holds a line break typed in a
// cell, of at most kMaxLine bytes in all. A quote still open at the end of
// the file is kOpenQuote; `recordStart` tells where the value line began.
Failure NextRecord(Lines& lines, std::string& line, bool& end, bool whole = true) {
    const char separator = lines.rules.separator;
    const Failure f = NextLine(lines, line, end, whole || separator != '\0');
    lines.recordStart = lines.number;
    if (separator == '\0' || f != Failure::kNone || end || EndsSection(lines, line)) return f;
    while (QuoteOpen(line, separator)) {
        bool last = false;
        const Failure g = NextLine(lines, lines.more, last);
        if (g != Failure::kNone) return g;
        if (last) return Failure::kOpenQuote;
        if (line.size() + 1 + lines.more.size() > RdTxtLn::kMaxLine) return Failure::kLongLine;
        line += '\n';
        line += lines.more;
    }
    return Failure::kNone;
}

// The outcome of a pass that failed, with the line a quote opened on that
// no quote closed.
Outcome Failed(const Lines& lines, Failure f) {
    if (f != Failure::kOpenQuote) return {f, 0};
    return {
        f, 0,
        "a quoted field opened on line " + std::to_string(lines.recordStart) + " is not closed."};
}

// True when nothing but blanks stands from `p` to `last`.
bool OnlyBlanks(const char* p, const char* last) {
    for (; p < last; ++p) {
        if (!myLib::IsBlnk(*p)) return false;
    }
    return true;
}

bool IsBlankLine(const std::string& line) {
    for (const char c : line) {
        if (!myLib::IsBlnk(c)) return false;
    }
    return true;
}

// The value of a value line: its chosen field (into `field`) as a number;
// `whole` tells that the field is wholly a number. A field between blanks
// is read where it stands in the line and copied only when it is not wholly
// a number (for the remark), and a number at its start is its value. A
// separated field may hold quotes, so it is always taken out first, and it
// holds a number only when it is wholly one (blanks around it aside): in a
// file with decimal commas, '5,1' must not pass as 5. A field beyond the
// line's fields holds none. A number's shortest decimal goes to `decimal`,
// found from its text where that is short.
double ValueOf(const std::string& line, char separator, int index, std::string& field,
               bool& present, bool& whole, DecimalValue& decimal) {
    myLib::WrittenNumber written;
    const char* stop = nullptr;
    double value = 0.0;
    if (separator == '\0') {
        std::size_t begin = 0;
        std::size_t end = 0;
        present = myLib::FindFld(line, index, begin, end);
        const char* const first = line.data() + begin;
        const char* const last = line.data() + end;
        value = static_cast<double>(myLib::StrToDbl(first, last, stop, written));
        whole = stop != first && stop == last;
        if (!whole) field.assign(line, begin, end - begin);
    } else {
        present = NthField(line, separator, index, field);
        if (!present) field.clear();
        const char* const first = field.data();
        value = static_cast<double>(myLib::StrToDbl(first, first + field.size(), stop, written));
        whole = stop != first && OnlyBlanks(stop, first + field.size());
        if (!present || !(whole || std::isnan(value))) value = std::nan("");
    }
    if (std::isfinite(value)) decimal = DecimalOfWritten(value, written);
    return value;
}

// What a value line whose field is not wholly a number is remarked as.
LineRemark RemarkOf(const Lines& lines, const std::string& line, int index, std::string field,
                    bool present, double value) {
    LineRemark remark;
    if (!std::isnan(value)) {
        remark.kind = LineRemark::kNumberAtStart;
    } else if (IsBlankLine(line)) {
        remark.kind = LineRemark::kEmptyLine;
    } else {
        remark.kind = present ? LineRemark::kNoNumber : LineRemark::kNoSuchField;
    }
    remark.line = lines.recordStart;
    remark.field = std::move(field);
    remark.fieldNumber = index + 1;
    remark.value = value;
    remark.leftOut = lines.rules.skipInvalid && std::isnan(value);
    return remark;
}

// "a, b and c": the items in a sentence.
std::string JoinedList(const std::vector<std::string>& items) {
    std::string list;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) list += i + 1 == items.size() ? " and " : ", ";
        list += items[i];
    }
    return list;
}

// "'a', 'b' and 'c'": the names a header line holds.
std::string NameList(const std::vector<std::string>& names) {
    std::vector<std::string> quoted;
    quoted.reserve(names.size());
    for (const std::string& name : names) quoted.push_back("'" + Shown(name) + "'");
    return JoinedList(quoted);
}

// The index of the field that holds the values: the number asked for, or the
// place of the name asked for in the line that names the fields (`names`,
// null when the data section has no such line).
Outcome FieldIndex(const DataRules& rules, const std::string* names, int& index) {
    index = rules.field - 1;
    if (rules.fieldName.empty()) return {};
    const std::string wanted = "no field named '" + Shown(rules.fieldName) + "'";
    if (names == nullptr) return {Failure::kNoField, 0, wanted + " (the data has no header line)"};
    const std::vector<std::string> found = AllFields(*names, rules.separator);
    std::vector<std::string> places;  // where the name stands, counted from 1
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (found[i] != rules.fieldName) continue;
        if (places.empty()) index = static_cast<int>(i);
        places.push_back(std::to_string(i + 1));
    }
    if (places.empty()) {
        return {Failure::kNoField, 0, wanted + " (the header line names " + NameList(found) + ")"};
    }
    if (places.size() > 1) {
        // Taking either would be a guess.
        return {Failure::kNoField, 0,
                "'" + Shown(rules.fieldName) + "' names fields " + JoinedList(places) +
                    " of the header line"};
    }
    return {};
}

// Reads up to and including the opening marker line; a plain list has none.
Failure SkipHeader(Lines& lines, std::string& line) {
    if (lines.rules.plain) return Failure::kNone;
    for (;;) {
        bool end = false;
        const Failure f = NextLine(lines, line, end);
        if (f != Failure::kNone) return f;
        if (end) return Failure::kNoMarker;
        if (IsMarker(line)) return Failure::kNone;
    }
}

// After the counted lines, the reading pass must meet what ended the counting
// pass: the closing marker line, or the end of the file.
Failure CheckSectionEnd(Lines& lines, std::string& line, bool closedByMarker) {
    bool end = false;
    const Failure f = NextRecord(lines, line, end);
    if (f == Failure::kReadError) return f;
    const bool atMarker = f == Failure::kNone && !end && EndsSection(lines, line);
    const bool atEnd = f == Failure::kNone && end;
    return (closedByMarker ? atMarker : atEnd) ? Failure::kNone : Failure::kChanged;
}

// What the start of a data section held: whether a line named the fields,
// and whether the section ended before any value line could follow (then
// `closedByMarker` tells whether at a marker line).
struct SectionStart {
    bool namesLine = false;
    bool ended = false;
    bool closedByMarker = false;
};

// The fields that hold the values, as the rules select them.
Outcome SelectFields(const DataRules& rules, const std::string* names, std::vector<int>& fields) {
    int index = 0;
    Outcome found = FieldIndex(rules, names, index);
    fields.assign(1, index);
    return found;
}

// Reads the line that names the fields, when the rules say there is one, and
// finds the fields that hold the values.
Outcome StartSection(Lines& lines, std::string& line, std::vector<int>& fields,
                     SectionStart& start) {
    if (!lines.rules.header) return SelectFields(lines.rules, nullptr, fields);
    bool end = false;
    const Failure f = NextRecord(lines, line, end);
    if (f != Failure::kNone) return Failed(lines, f);
    if (end || EndsSection(lines, line)) {
        start.ended = true;
        start.closedByMarker = !end;
        return SelectFields(lines.rules, nullptr, fields);
    }
    start.namesLine = true;
    return SelectFields(lines.rules, &line, fields);
}

// Reads a value line's selected fields into `lines.row`; each that is not
// wholly a number is remarked to the sink. Returns whether the line is kept:
// all are, but those with a field that holds no number when such lines are
// left out.
bool ReadValueLine(Lines& lines, const std::string& line, const std::vector<int>& fields,
                   ValueSink& sink) {
    bool kept = true;
    lines.row.resize(fields.size());
    lines.decimals.resize(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        bool present = false;
        bool whole = false;
        lines.row[i] = ValueOf(line, lines.rules.separator, fields[i], lines.field, present, whole,
                               lines.decimals[i]);
        if (whole) continue;
        const LineRemark remark =
            RemarkOf(lines, line, fields[i], lines.field, present, lines.row[i]);
        sink.Remark(remark);
        kept = kept && !remark.leftOut;
    }
    return kept;
}

// Tells the progress hook where the read stands, every kProgressLines lines
// (`lineCount` of them so far), so that the clock is read rarely.
constexpr std::int32_t kProgressLines = 4096;
void TellProgress(const Lines& lines, const RunHooks& hooks, std::int32_t lineCount, bool counting,
                  std::int32_t values) {
    if (hooks.progress == nullptr || lineCount % kProgressLines != 0) return;
    hooks.progress(hooks.progressContext,
                   {counting, lines.reader.BytesRd(), lines.reader.FlSize(), values});
}

// Adds a kept value to its column's sums: its shortest decimal, or, for no
// number, the mark that makes every result NaN.
void AddRowValue(DecimalSums& sums, double value, DecimalValue decimal) {
    if (std::isfinite(value)) {
        AddDecimal(sums, decimal);
    } else {
        AddDecimalValue(sums, value);
    }
}

// The reading loop of both ways of reading, from the data section's first
// value line on: each kept line's values are appended to the columns and
// handed to the sink. With `counted` (the second of two passes) exactly the
// lines it counted are read, its names line skipped, and then its end must
// follow: anything else (an earlier or later end of file or marker line)
// means the file changed. Without (the one pass) the lines are read up to
// the section's end, and at most hooks.maxCount are kept.
Failure ReadValueLines(Lines& lines, const std::vector<int>& fields, const Section* counted,
                       ValueSink& sink, const RunHooks& hooks, Columns& columns) {
    columns.resize(fields.size());
    for (Column& column : columns) column.sums = std::make_unique<DecimalSums>();
    const std::int32_t lineCount =
        counted == nullptr ? 0 : counted->count + (counted->namesLine ? 1 : 0);
    std::string line;
    std::int32_t kept = 0;
    for (std::int32_t p = 0; counted == nullptr || p < lineCount; ++p) {
        bool end = false;
        const Failure f = NextRecord(lines, line, end);
        if (f != Failure::kNone) return f;
        if (end || EndsSection(lines, line)) {
            return counted == nullptr ? Failure::kNone : Failure::kChanged;
        }
        if (p == 0 && counted != nullptr && counted->namesLine) continue;
        if (!ReadValueLine(lines, line, fields, sink)) continue;
        if (kept >= hooks.maxCount) return Failure::kTooManyLines;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (!columns[i].values.Append(lines.row[i])) return Failure::kNoMemory;
            AddRowValue(*columns[i].sums, lines.row[i], lines.decimals[i]);
        }
        ++kept;
        sink.Take({lines.recordStart, kept, lines.row.data(), lines.row.size()});
        TellProgress(lines, hooks, kept, false, kept);
    }
    return CheckSectionEnd(lines, line, counted->closedByMarker);
}

// Reading pass: skips the header again and reads the counted value lines.
Failure ReadValues(Lines& lines, const Section& section, ValueSink& sink, const RunHooks& hooks,
                   Columns& columns) {
    std::string line;
    const Failure header = SkipHeader(lines, line);
    if (header == Failure::kNoMarker) return Failure::kChanged;
    if (header != Failure::kNone) return header;
    sink.SectionFound();
    return ReadValueLines(lines, section.fields, &section, sink, hooks, columns);
}

// The one pass of ReadOnce over the lines of data read only once.
Outcome ReadSectionOnce(Lines& lines, ValueSink& sink, const RunHooks& hooks, Columns& columns) {
    std::string line;
    const Failure header = SkipHeader(lines, line);
    if (header != Failure::kNone) return {header, 0};
    std::vector<int> fields;
    SectionStart start;
    Outcome started = StartSection(lines, line, fields, start);
    columns.resize(fields.size());
    if (started.failure != Failure::kNone || start.ended) return started;
    return Failed(lines, ReadValueLines(lines, fields, nullptr, sink, hooks, columns));
}

}  // namespace

Outcome CountValueLines(RdTxtLn& reader, const DataRules& rules, std::int32_t maxCount,
                        Section& section, const RunHooks& hooks) {
    section = Section();
    reader.CrEndsLn(rules.loneCrEnds);
    Lines lines{reader, rules, 0, {}, 0, {}, {}, {}};
    std::string line;
    const Failure header = SkipHeader(lines, line);
    if (header != Failure::kNone) return {header, 0};
    SectionStart start;
    Outcome started = StartSection(lines, line, section.fields, start);
    if (started.failure != Failure::kNone) return started;
    section.namesLine = start.namesLine;
    if (start.ended) {
        section.closedByMarker = start.closedByMarker;
        return {};
    }
    for (;;) {
        // Counting needs no more of a line than whether it is a marker line,
        // but for the quotes of separated fields.
        bool end = false;
        const Failure f = NextRecord(lines, line, end, false);
        if (f != Failure::kNone) return Failed(lines, f);
        if (end || EndsSection(lines, line)) {
            section.closedByMarker = !end;
            return {};
        }
        if (section.count >= maxCount) return {Failure::kTooManyLines, 0};
        ++section.count;
        TellProgress(lines, hooks, section.count, true, 0);
    }
}

Outcome ReadDataFile(RdTxtLn& reader, const std::string& openName, const DataRules& rules,
                     ValueSink& sink, const RunHooks& hooks, Columns& columns) {
    Section section;
    Outcome counted = CountValueLines(reader, rules, hooks.maxCount, section, hooks);
    if (counted.failure != Failure::kNone) return counted;

    columns.clear();
    columns.resize(section.fields.size());
    for (Column& column : columns) {
        if (!column.values.Reserve(section.count)) return {Failure::kNoMemory, 0};
    }

    reader.Close();
    if (hooks.betweenPasses != nullptr) hooks.betweenPasses(hooks.context);
    errno = 0;
    reader.ReOpen(openName);
    if (reader.status != RdTxtLn::kReady) return {Failure::kReopenInput, errno};

    Lines lines{reader, rules, 0, {}, 0, {}, {}, {}};
    const Failure read = ReadValues(lines, section, sink, hooks, columns);
    if (reader.MetLoneCr()) sink.CrLineEnds();
    if (read != Failure::kNone) return Failed(lines, read);
    reader.Close();
    return {};
}

bool ReadableOnce(const RdTxtLn& reader, const std::string& openName) {
    return openName.empty() || reader.FlKind() != RdTxtLn::kRegularFile;
}

Outcome ReadOnce(RdTxtLn& reader, const DataRules& rules, ValueSink& sink, const RunHooks& hooks,
                 Columns& columns) {
    reader.CrEndsLn(rules.loneCrEnds);
    Lines lines{reader, rules, 0, {}, 0, {}, {}, {}};
    Outcome read = ReadSectionOnce(lines, sink, hooks, columns);
    if (reader.MetLoneCr()) sink.CrLineEnds();
    return read;
}

Outcome ReadData(RdTxtLn& reader, const std::string& openName, const DataRules& rules,
                 ValueSink& sink, const RunHooks& hooks, Columns& columns) {
    return ReadableOnce(reader, openName)
               ? ReadOnce(reader, rules, sink, hooks, columns)
               : ReadDataFile(reader, openName, rules, sink, hooks, columns);
}

}  // namespace descstat
