#include "app/DataFile.h"

#include <cerrno>

#include "mylib/StrFunc.h"

namespace descstat {

namespace {

using myLib::RdTxtLn;

// Reads the next line into `line`, or sets `end` at the end of the file: the
// empty line that the reader delivers when the file ends right after a line
// end is the end, not a line of its own. A line that is too long, or that a
// read error cut short, is a failure.
Failure NextLine(RdTxtLn& reader, std::string& line, bool& end) {
    const int result = reader.GetLn(line);
    if (reader.RdErr()) return Failure::kReadError;
    if (result == RdTxtLn::kLineTooLong) return Failure::kLongLine;
    end = result != RdTxtLn::kLineRead || (reader.status == RdTxtLn::kEndOfFile && line.empty());
    return Failure::kNone;
}

bool IsMarker(const std::string& line) { return !line.empty() && line[0] == '/'; }

// The value of a value line: its first blank-separated field as a number.
double ValueOf(const std::string& line) {
    return static_cast<double>(myLib::StrToDbl(myLib::GetFld(line, 0)));
}

// Reads up to and including the opening marker line.
Failure SkipHeader(RdTxtLn& reader, std::string& line) {
    for (;;) {
        bool end = false;
        const Failure f = NextLine(reader, line, end);
        if (f != Failure::kNone) return f;
        if (end) return Failure::kNoMarker;
        if (IsMarker(line)) return Failure::kNone;
    }
}

// After the counted lines, the reading pass must meet what ended the counting
// pass: the closing marker line, or the end of the file.
Failure CheckSectionEnd(RdTxtLn& reader, std::string& line, bool closedByMarker) {
    bool end = false;
    const Failure f = NextLine(reader, line, end);
    if (f == Failure::kReadError) return f;
    const bool atMarker = f == Failure::kNone && !end && IsMarker(line);
    const bool atEnd = f == Failure::kNone && end;
    return (closedByMarker ? atMarker : atEnd) ? Failure::kNone : Failure::kChanged;
}

// Reading pass: skips the header again and reads the counted value lines
// into `values`, handing each to the sink. Anything other than the counted
// lines followed by the same end (an earlier or later end of file or marker
// line) means the file changed.
Failure ReadValues(RdTxtLn& reader, const Section& section, double* values, ValueSink& sink) {
    std::string line;
    const Failure header = SkipHeader(reader, line);
    if (header == Failure::kNoMarker) return Failure::kChanged;
    if (header != Failure::kNone) return header;

    sink.SectionFound();
    for (std::int32_t p = 0; p < section.count; ++p) {
        bool end = false;
        const Failure f = NextLine(reader, line, end);
        if (f != Failure::kNone) return f;
        if (end || IsMarker(line)) return Failure::kChanged;
        values[p] = ValueOf(line);
        sink.Take(p + 1, values[p]);
    }
    return CheckSectionEnd(reader, line, section.closedByMarker);
}

}  // namespace

Failure CountValueLines(RdTxtLn& reader, std::int32_t maxCount, Section& section) {
    section = Section();
    std::string line;
    const Failure header = SkipHeader(reader, line);
    if (header != Failure::kNone) return header;
    for (;;) {
        bool end = false;
        const Failure f = NextLine(reader, line, end);
        if (f != Failure::kNone) return f;
        if (end) return Failure::kNone;
        if (IsMarker(line)) {
            section.closedByMarker = true;
            return Failure::kNone;
        }
        if (section.count >= maxCount) return Failure::kTooManyLines;
        ++section.count;
    }
}

Outcome ReadDataFile(RdTxtLn& reader, const std::string& openName, ValueSink& sink,
                     const RunHooks& hooks, Values& values) {
    Section section;
    const Failure counted = CountValueLines(reader, hooks.maxCount, section);
    if (counted != Failure::kNone) return {counted, 0};

    if (!values.Allocate(section.count)) return {Failure::kNoMemory, 0};

    reader.Close();
    if (hooks.betweenPasses != nullptr) hooks.betweenPasses(hooks.context);
    errno = 0;
    reader.ReOpen(openName);
    if (reader.status != RdTxtLn::kReady) return {Failure::kReopenInput, errno};

    const Failure read = ReadValues(reader, section, values.Data(), sink);
    if (read != Failure::kNone) return {read, 0};
    reader.Close();
    return {};
}

bool ReadableOnce(const RdTxtLn& reader, const std::string& openName) {
    return openName.empty() || reader.FlKind() != RdTxtLn::kRegularFile;
}

Failure ReadOnce(RdTxtLn& reader, const RunHooks& hooks, Values& values) {
    std::string line;
    const Failure header = SkipHeader(reader, line);
    if (header != Failure::kNone) return header;
    for (;;) {
        bool end = false;
        const Failure f = NextLine(reader, line, end);
        if (f != Failure::kNone) return f;
        if (end || IsMarker(line)) return Failure::kNone;
        if (values.Count() >= hooks.maxCount) return Failure::kTooManyLines;
        if (!values.Append(ValueOf(line))) return Failure::kNoMemory;
    }
}

}  // namespace descstat
