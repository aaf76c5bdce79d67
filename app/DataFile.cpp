#include "app/DataFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "app/Fields.h"
#include "app/Shown.h"
#include "app/SplitRead.h"
#include "app/Table.h"
#include "mylib/StrFunc.h"

namespace descstat {

namespace {

using myLib::RdTxtLn;

// The data file's lines as a pass reads them, under the run's data rules,
// with the number of the last line read (every line of the file counts).
struct Lines {
    Lines(RdTxtLn& r, const DataRules& d) : reader(r), rules(d) {}
    RdTxtLn& reader;
    const DataRules& rules;
    std::int64_t number = 0;
    std::string field;             // the last value line's field, its room kept from line to line
    std::int64_t recordStart = 0;  // the number of the first line of the last value line
    std::string more;              // a line that goes on a quoted field, its room kept
    std::vector<double> row;       // the last value line's values, one per selected field
    std::vector<DecimalValue> decimals;  // and their shortest decimals (for numbers)
    std::vector<std::string> names;      // the fields' names, when a line names them
    std::unordered_map<std::string, std::size_t> groupIndex;  // each group's, by its values
    std::vector<std::string> labels;  // each group's label (UTF-8), in order met
};

// Reads the next line into `line` (only its first byte unless `whole`), or
// sets `end` at the end of the file: the empty line that the reader delivers
// when the file ends right after a line end is the end, not a line of its
// own. A line that is too long, or that a read error cut short, is a failure.
Failure NextLine(Lines& lines, std::string& line, bool& end, bool whole = true,
                 bool anyLength = false) {
    const int result = anyLength ? lines.reader.GetLongLn(line)
                       : whole   ? lines.reader.GetLn(line)
                                 : lines.reader.GetLnHead(line);
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

// "'a', 'b' and 'c'": the names a header line holds.
std::string NameList(const std::vector<std::string>& names) {
    std::vector<std::string> quoted;
    quoted.reserve(names.size());
    for (const std::string& name : names) quoted.push_back("'" + Shown(name) + "'");
    return JoinedList(quoted);
}

// The index of a field chosen by name in the line that names the fields
// (`names`, null when the data section has no such line).
Outcome NamedIndex(const std::string& name, const std::string* names, char separator, int& index) {
    const std::string wanted = "no field named '" + Shown(name) + "'";
    if (names == nullptr) return {Failure::kNoField, 0, wanted + " (the data has no header line)"};
    const std::vector<std::string> found = AllFields(*names, separator);
    std::vector<std::string> places;  // where the name stands, counted from 1
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (found[i] != name) continue;
        if (places.empty()) index = static_cast<int>(i);
        places.push_back(std::to_string(i + 1));
    }
    if (places.empty()) {
        return {Failure::kNoField, 0, wanted + " (the header line names " + NameList(found) + ")"};
    }
    if (places.size() > 1) {
        // Taking either would be a guess.
        return {Failure::kNoField, 0,
                "'" + Shown(name) + "' names fields " + JoinedList(places) + " of the header line"};
    }
    return {};
}

// Tells the progress hook where the read stands, every kProgressLines lines
// (`lineCount` of them so far), so that the clock is read rarely.
constexpr std::int32_t kProgressLines = 4096;
void TellProgress(const Lines& lines, const RunHooks& hooks, std::int64_t lineCount, bool counting,
                  std::int64_t values) {
    if (hooks.progress == nullptr || lineCount % kProgressLines != 0) return;
    hooks.progress(hooks.progressContext, {counting, lines.reader.BytesRd(), lines.reader.FlSize(),
                                           static_cast<std::int32_t>(values)});
}

// Reads up to and including the opening marker line; a plain list has none.
// With `table`, every line read is also handed to it, of any length, in
// case the file ends before a marker line: then it is a table, and the
// result is kNoMarker; a plain list is a table from its first line. A line
// too long for a marker file fails only once a marker line follows it.
Failure SkipHeader(Lines& lines, std::string& line, TableReader* table = nullptr,
                   const RunHooks& hooks = RunHooks()) {
    if (lines.rules.plain && table == nullptr) return Failure::kNone;
    bool longLine = false;
    for (;;) {
        // A table's common rows, where they lie.
        if (table != nullptr) {
            const std::int64_t before = lines.number;
            lines.number += table->AddQuickLines(lines.reader, lines.rules.plain);
            if (lines.number / kProgressLines != before / kProgressLines) {
                TellProgress(lines, hooks, 0, false, lines.number);
            }
        }
        bool end = false;
        const Failure f = NextLine(lines, line, end, true, table != nullptr);
        if (f != Failure::kNone) return f;
        if (end) return Failure::kNoMarker;
        if (IsMarker(line) && !lines.rules.plain) {
            return longLine ? Failure::kLongLine : Failure::kNone;
        }
        if (table == nullptr) continue;
        longLine = longLine || line.size() > static_cast<std::size_t>(RdTxtLn::kMaxLine);
        // A failure of the table (a field it lacks) is its own: it counts
        // only if no marker line follows, and Finish tells it.
        (void)table->AddLine(line, lines.number);
        TellProgress(lines, hooks, lines.number, false, lines.number);
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

// The indexes of the fields a list of choices names, each once.
Outcome FieldIndexes(const std::vector<FieldChoice>& choices, const DataRules& rules,
                     const std::string* names, std::vector<int>& fields) {
    fields.clear();
    for (const FieldChoice& choice : choices) {
        int first = choice.first - 1;
        int last = choice.last - 1;
        if (!choice.name.empty()) {
            Outcome found = NamedIndex(choice.name, names, rules.separator, first);
            if (found.failure != Failure::kNone) return found;
            last = first;
        }
        for (int f = first; f <= last; ++f) {
            if (std::find(fields.begin(), fields.end(), f) == fields.end()) fields.push_back(f);
        }
    }
    return {};
}

// The fields that hold the values, as the rules select them (the first when
// they name none), and the fields whose values group them.
Outcome SelectFields(const DataRules& rules, const std::string* names, std::vector<int>& fields,
                     std::vector<int>& groups) {
    Outcome found = FieldIndexes(rules.fields, rules, names, fields);
    if (found.failure != Failure::kNone) return found;
    if (fields.empty()) fields.push_back(0);
    return FieldIndexes(rules.groups, rules, names, groups);
}

// Reads the line that names the fields, when the rules say there is one, and
// finds the fields that hold the values.
Outcome StartSection(Lines& lines, std::string& line, std::vector<int>& fields,
                     std::vector<int>& groups, SectionStart& start) {
    if (!lines.rules.header) return SelectFields(lines.rules, nullptr, fields, groups);
    bool end = false;
    const Failure f = NextRecord(lines, line, end);
    if (f != Failure::kNone) return Failed(lines, f);
    if (end || EndsSection(lines, line)) {
        start.ended = true;
        start.closedByMarker = !end;
        return SelectFields(lines.rules, nullptr, fields, groups);
    }
    start.namesLine = true;
    lines.names = AllFields(line, lines.rules.separator);
    return SelectFields(lines.rules, &line, fields, groups);
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

// Names each column of a marker file's section by its field (the name the
// header line gives it, or its number) and group, field by field and each
// field's groups in order of first appearance, as a table's; several are
// named in the renderers. Read with groups, the columns stand group by group.
void NameColumns(const std::vector<int>& fields, const std::vector<std::string>& names,
                 const std::vector<std::string>& labels, Columns& columns) {
    const std::size_t groups = std::max<std::size_t>(1, labels.size());
    Columns arranged;
    arranged.reserve(columns.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        for (std::size_t g = 0; g < groups && g * fields.size() + i < columns.size(); ++g) {
            arranged.push_back(std::move(columns[g * fields.size() + i]));
            Column& column = arranged.back();
            const auto f = static_cast<std::size_t>(fields[i]);
            column.field = f < names.size() ? TextInUtf8(names[f]) : std::to_string(f + 1);
            column.group = labels.empty() ? std::string() : labels[g];
        }
    }
    for (Column& column : arranged) column.named = arranged.size() > 1 || !labels.empty();
    columns = std::move(arranged);
}

// The group of a value line: the index of its group fields' values among
// those met so far, a new one (and its columns, one per field) when they are
// new.
std::size_t GroupOfLine(Lines& lines, const std::string& line, const std::vector<int>& groups,
                        std::size_t fieldCount, Columns& columns) {
    std::string key;
    std::string label;
    for (const int g : groups) {
        const char separator = lines.rules.separator;
        if (separator == '\0') {
            myLib::GetFld(line, g, lines.field);
        } else if (!NthField(line, separator, g, lines.field)) {
            lines.field.clear();
        }
        key += lines.field;
        key += '\n';
        if (!label.empty()) label += " / ";
        label += TextInUtf8(lines.field);
    }
    const auto found = lines.groupIndex.find(key);
    if (found != lines.groupIndex.end()) return found->second;
    const std::size_t index = lines.labels.size();
    lines.groupIndex.emplace(key, index);
    lines.labels.push_back(label);
    for (std::size_t i = 0; i < fieldCount; ++i) {
        columns.emplace_back();
        columns.back().sums = std::make_unique<DecimalSums>();
        if (!lines.rules.keepValues) columns.back().values.CountOnly();
    }
    return index;
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

// True when the value lines may be read where they lie (ReadQuickLines):
// the first blank-separated field is the only one read.
bool ReadsQuickly(const DataRules& rules, const std::vector<int>& fields,
                  const std::vector<int>& groups) {
    return rules.separator == '\0' && groups.empty() && fields.size() == 1 && fields[0] == 0;
}

// Reads the value lines of the simplest kind (myLib::QuickValueLines) where
// they lie in the reader's block, at most `most` of them, and keeps each as
// the reading loop would, with its value and decimal as written; `read`
// tells how many. It stops before any other line, which the loop reads.
Failure ReadQuickLines(Lines& lines, std::int32_t most, Column& column, ValueSink& sink,
                       const RunHooks& hooks, std::int32_t& kept, std::int32_t& read) {
    constexpr std::int32_t kBatch = 64;
    myLib::QuickNumber numbers[kBatch];
    const bool records = sink.TakesRecords();
    const char* first = nullptr;
    const char* last = nullptr;
    while (read < most && lines.reader.PeekBlock(first, last)) {
        const char* p = first;
        for (;;) {
            const auto room = static_cast<std::size_t>(std::min(kBatch, most - read));
            const auto n = static_cast<std::int32_t>(
                myLib::QuickValueLines(p, last, last, RdTxtLn::kMaxLine, numbers, room));
            if (n == 0) break;
            // Past the largest count the loop's own check fails the read.
            const std::int32_t taken = std::min(n, std::max(0, hooks.maxCount - kept));
            if (column.values.CountsOnly()) {
                column.values.AddCounted(taken);
            } else if (taken > 0) {
                double* into = column.values.AppendRoom(taken);
                if (into == nullptr) return Failure::kNoMemory;
                for (std::int32_t i = 0; i < taken; ++i) into[i] = numbers[i].value;
            }
            AddWrittenNumbers(*column.sums, numbers, static_cast<std::size_t>(taken));
            if (records && taken > 0) {
                sink.TakeWritten(numbers, static_cast<std::size_t>(taken),
                                 {lines.number + 1, kept + 1, nullptr, 1});
            }
            lines.number += taken;
            lines.recordStart = lines.number;
            read += taken;
            const std::int32_t passed = (kept + taken) / kProgressLines * kProgressLines;
            if (hooks.progress != nullptr && passed > kept) {
                TellProgress(lines, hooks, passed, false, passed);
            }
            kept += taken;
            if (taken < n) return Failure::kTooManyLines;
            if (read == most) break;
        }
        lines.reader.SkipTo(p);
        if (p != last) break;  // a line the loop reads
    }
    return Failure::kNone;
}

// The reading loop of both ways of reading, from the data section's first
// value line on: each kept line's values are appended to the columns and
// handed to the sink. With `counted` (the second of two passes) exactly the
// lines it counted are read, its names line skipped, and then its end must
// follow: anything else (an earlier or later end of file or marker line)
// means the file changed. Without (the one pass) the lines are read up to
// the section's end, and at most hooks.maxCount are kept.
Failure ReadValueLines(Lines& lines, const std::vector<int>& fields, const std::vector<int>& groups,
                       const Section* counted, ValueSink& sink, const RunHooks& hooks,
                       Columns& columns) {
    if (groups.empty()) {
        columns.resize(fields.size());
        const bool listedOnly = lines.rules.listedAsRead && fields.size() == 1;
        for (Column& column : columns) {
            column.sums = std::make_unique<DecimalSums>();
            if (!lines.rules.keepValues || listedOnly) column.values.CountOnly();
        }
    } else {
        columns.clear();
    }
    const std::int32_t lineCount =
        counted == nullptr ? 0 : counted->count + (counted->namesLine ? 1 : 0);
    const bool quick = ReadsQuickly(lines.rules, fields, groups);
    std::string line;
    std::int32_t kept = 0;
    // Values only counted and summed, which no sink takes one by one, can be
    // read by every core from a large file.
    std::int64_t split = 0;
    if (quick && counted == nullptr && !lines.rules.keepValues && !sink.TakesRecords() &&
        ReadInParts(lines.reader, ThreadsFor(lines.rules.threads), hooks.leastPartBytes,
                    *columns[0].sums, split)) {
        if (split > hooks.maxCount) return Failure::kTooManyLines;
        kept = static_cast<std::int32_t>(split);
        lines.number += split;
        columns[0].values.AddCounted(kept);
    }
    for (std::int32_t p = 0; counted == nullptr || p < lineCount; ++p) {
        if (quick && (p > 0 || counted == nullptr || !counted->namesLine)) {
            const std::int32_t most =
                counted == nullptr ? std::numeric_limits<std::int32_t>::max() - p : lineCount - p;
            std::int32_t read = 0;
            const Failure f = ReadQuickLines(lines, most, columns[0], sink, hooks, kept, read);
            if (f != Failure::kNone) return f;
            p += read;
            if (counted != nullptr && p == lineCount) break;
        }
        bool end = false;
        const Failure f = NextRecord(lines, line, end);
        if (f != Failure::kNone) return f;
        if (end || EndsSection(lines, line)) {
            return counted == nullptr ? Failure::kNone : Failure::kChanged;
        }
        if (p == 0 && counted != nullptr && counted->namesLine) continue;
        if (!ReadValueLine(lines, line, fields, sink)) continue;
        if (kept >= hooks.maxCount) return Failure::kTooManyLines;
        const std::size_t first =
            groups.empty()
                ? 0
                : GroupOfLine(lines, line, groups, fields.size(), columns) * fields.size();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            Column& column = columns[first + i];
            if (!column.values.Append(lines.row[i])) return Failure::kNoMemory;
            AddRowValue(*column.sums, lines.row[i], lines.decimals[i]);
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
    return ReadValueLines(lines, section.fields, section.groups, &section, sink, hooks, columns);
}

// The one pass of ReadOnce over the lines of data read only once.
Outcome ReadSectionOnce(Lines& lines, ValueSink& sink, const RunHooks& hooks, Columns& columns) {
    std::string line;
    TableReader table(lines.rules, lines.reader, hooks.maxCount);
    const Failure header = SkipHeader(lines, line, &table, hooks);
    if (header == Failure::kNoMarker) return table.Finish(sink, columns);
    if (header != Failure::kNone) return {header, 0};
    sink.SectionFound();
    std::vector<int> fields;
    std::vector<int> groups;
    SectionStart start;
    Outcome started = StartSection(lines, line, fields, groups, start);
    columns.resize(groups.empty() ? fields.size() : 0);
    if (started.failure != Failure::kNone || start.ended) return started;
    Outcome read =
        Failed(lines, ReadValueLines(lines, fields, groups, nullptr, sink, hooks, columns));
    NameColumns(fields, lines.names, lines.labels, columns);
    return read;
}

// How the reader decodes UTF-16 under the rules.
int Utf16Mode(const DataRules& rules) {
    return rules.inputEncoding == InputEncoding::kUtf16 ? RdTxtLn::kUtf16 : RdTxtLn::kUtf16ByMark;
}

}  // namespace

void ValueSink::TakeWritten(const myLib::QuickNumber* numbers, std::size_t count,
                            const Record& first) {
    for (std::size_t i = 0; i < count; ++i) {
        const auto n = static_cast<std::int32_t>(i);
        Take({first.line + n, first.number + n, &numbers[i].value, 1});
    }
}

Section::Section() = default;
Section::~Section() = default;
Section::Section(Section&&) noexcept = default;
Section& Section::operator=(Section&&) noexcept = default;

Outcome CountValueLines(RdTxtLn& reader, const DataRules& rules, std::int32_t maxCount,
                        Section& section, const RunHooks& hooks) {
    section = Section();
    reader.CrEndsLn(rules.loneCrEnds);
    reader.DecodeUtf16(Utf16Mode(rules));
    Lines lines(reader, rules);
    std::string line;
    auto table = std::make_unique<TableReader>(rules, reader, maxCount);
    const Failure header = SkipHeader(lines, line, table.get(), hooks);
    if (header == Failure::kNoMarker) {
        section.table = std::move(table);
        return {};
    }
    table.reset();
    if (header != Failure::kNone) return {header, 0};
    SectionStart start;
    Outcome started = StartSection(lines, line, section.fields, section.groups, start);
    if (started.failure != Failure::kNone) return started;
    section.namesLine = start.namesLine;
    section.names = lines.names;
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
    if (section.table) {
        Outcome finished = section.table->Finish(sink, columns);
        if (reader.MetLoneCr()) sink.CrLineEnds();
        reader.Close();
        return finished;
    }

    // Without groups each column takes a value of every line; with them
    // the columns grow as the groups come.
    columns.clear();
    columns.resize(section.groups.empty() ? section.fields.size() : 0);
    for (Column& column : columns) {
        if (!rules.keepValues) column.values.CountOnly();
        if (!column.values.Reserve(section.count)) return {Failure::kNoMemory, 0};
    }

    reader.Close();
    if (hooks.betweenPasses != nullptr) hooks.betweenPasses(hooks.context);
    errno = 0;
    reader.ReOpen(openName);
    if (reader.status != RdTxtLn::kReady) return {Failure::kReopenInput, errno};

    Lines lines(reader, rules);
    const Failure read = ReadValues(lines, section, sink, hooks, columns);
    if (reader.MetLoneCr()) sink.CrLineEnds();
    if (read != Failure::kNone) return Failed(lines, read);
    NameColumns(section.fields, section.names, lines.labels, columns);
    reader.Close();
    return {};
}

bool ReadableOnce(const RdTxtLn& reader, const std::string& openName) {
    return openName.empty() || reader.FlKind() != RdTxtLn::kRegularFile;
}

Outcome ReadOnce(RdTxtLn& reader, const DataRules& rules, ValueSink& sink, const RunHooks& hooks,
                 Columns& columns) {
    reader.CrEndsLn(rules.loneCrEnds);
    reader.DecodeUtf16(Utf16Mode(rules));
    Lines lines(reader, rules);
    Outcome read = ReadSectionOnce(lines, sink, hooks, columns);
    if (reader.MetLoneCr()) sink.CrLineEnds();
    return read;
}

Outcome ReadData(RdTxtLn& reader, const std::string& openName, const DataRules& rules,
                 ValueSink& sink, const RunHooks& hooks, Columns& columns) {
    // Values only counted need no count first: any file is read once then.
    return ReadableOnce(reader, openName) || !rules.keepValues
               ? ReadOnce(reader, rules, sink, hooks, columns)
               : ReadDataFile(reader, openName, rules, sink, hooks, columns);
}

}  // namespace descstat
