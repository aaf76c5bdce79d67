#include "app/Driver.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <new>
#include <vector>

#include "app/Statistics.h"
#include "app/Summary.h"
#include "app/TempCopy.h"
#include "mylib/StrFunc.h"

namespace descstat {

namespace {

using myLib::RdTxtLn;

// Console texts.
constexpr const char* kDataPrompt = "Input data file = ";
constexpr const char* kReportPrompt = "Output file = ";
constexpr const char* kKeyRequest = "Press down any character key, then press Enter key.";
constexpr const char* kProgramPrefix = "descstat: ";
// Room for a value's number in the listing (at most 2147483647).
constexpr int kIndexChars = 12;
// The report buffer of a run without the dialogue: its report is written in
// large blocks and flushed once at the end.
constexpr std::size_t kReportBuffer = 1 << 16;

// Every way a run can fail after its names are known.
enum class Failure {
    kNone,
    kOpenInput,
    kOutputIsInput,
    kOpenOutput,
    kNoMarker,
    kLongLine,
    kReadError,
    kChanged,
    kTooManyLines,
    kNoMemory,
    kReopenInput,
    kWriteOutput,
};

const char* Message(Failure f) {
    switch (f) {
        case Failure::kOpenInput: return "To open input data file failed.";
        case Failure::kOutputIsInput:
            return "To open output file failed: it is the input data file.";
        case Failure::kOpenOutput: return "To open output file failed.";
        case Failure::kNoMarker: return "To find the marker line in input data file failed.";
        case Failure::kLongLine:
            return "To read input data file failed: a line is longer than 998 bytes.";
        case Failure::kReadError: return "To read input data file failed: a read error occurred.";
        case Failure::kChanged:
            return "To read input data file failed: it changed while being read.";
        case Failure::kTooManyLines:
            return "To count the values failed: more than 2147483647 lines.";
        case Failure::kNoMemory: return "To allocate memory for the values failed.";
        case Failure::kReopenInput: return "To re-open the inpur file failed.";
        case Failure::kWriteOutput: return "To write output file failed.";
        case Failure::kNone: break;
    }
    return "";
}

Failure FromPass(PassResult result) {
    switch (result) {
        case PassResult::kNoMarker: return Failure::kNoMarker;
        case PassResult::kLineTooLong: return Failure::kLongLine;
        case PassResult::kTooManyLines: return Failure::kTooManyLines;
        case PassResult::kChanged: return Failure::kChanged;
        case PassResult::kReadError: return Failure::kReadError;
        case PassResult::kOk: break;
    }
    return Failure::kNone;
}

// One data file line as the passes see it.
enum class Next { kLine, kEnd, kTooLong, kReadError };

// Reads the next line. The empty line that the reader delivers when the file
// ends right after a line end is the end, not a line of its own. A line or an
// end that a read error cut short is neither.
Next NextLine(RdTxtLn& reader, std::string& line) {
    const int result = reader.GetLn(line);
    if (reader.RdErr()) return Next::kReadError;
    if (result == RdTxtLn::kLineTooLong) return Next::kTooLong;
    if (result != RdTxtLn::kLineRead) return Next::kEnd;
    if (reader.status == RdTxtLn::kEndOfFile && line.empty()) return Next::kEnd;
    return Next::kLine;
}

bool IsMarker(const std::string& line) { return !line.empty() && line[0] == '/'; }

// Reads up to and including the opening marker line.
PassResult SkipHeader(RdTxtLn& reader, std::string& line) {
    for (;;) {
        switch (NextLine(reader, line)) {
            case Next::kReadError: return PassResult::kReadError;
            case Next::kTooLong: return PassResult::kLineTooLong;
            case Next::kEnd: return PassResult::kNoMarker;
            case Next::kLine:
                if (IsMarker(line)) return PassResult::kOk;
                break;
        }
    }
}

// After the counted lines, the reading pass must meet what ended the counting
// pass: the closing marker line, or the end of the file.
PassResult CheckSectionEnd(RdTxtLn& reader, std::string& line, bool closedByMarker) {
    const Next next = NextLine(reader, line);
    if (next == Next::kReadError) return PassResult::kReadError;
    const bool atMarker = next == Next::kLine && IsMarker(line);
    const bool atEnd = next == Next::kEnd;
    return (closedByMarker ? atMarker : atEnd) ? PassResult::kOk : PassResult::kChanged;
}

// "k:  value" and a line end, formatted in place: one write per line.
void WriteListingLine(std::ostream& report, std::int32_t k, double value, int digits) {
    char text[kIndexChars + kNumberChars + 4];
    char* end = std::to_chars(text, text + kIndexChars, k).ptr;
    *end++ = ':';
    *end++ = ' ';
    *end++ = ' ';
    end += FormatNumber(end, value, digits);
    *end++ = '\n';
    // Straight to the stream's buffer (or, unbuffered, to the file): a line
    // that does not arrive whole marks the stream bad, as a failed write does.
    const std::streamsize length = end - text;
    if (report.rdbuf()->sputn(text, length) != length) report.setstate(std::ios_base::badbit);
}

// Reading pass: skips the header again and reads the `count` value lines into
// `values`, listing each in the report. Anything other than the counted lines
// followed by the same end (an earlier or later end of file or marker line)
// means the file changed.
PassResult ReadValues(RdTxtLn& reader, std::string& line, double* values, std::int32_t count,
                      bool closedByMarker, std::ostream& report, const RunOptions& options) {
    const PassResult header = SkipHeader(reader, line);
    if (header == PassResult::kNoMarker) return PassResult::kChanged;
    if (header != PassResult::kOk) return header;

    report << kListingHeading.In(options.encoding) << std::endl;
    for (std::int32_t p = 0; p < count; ++p) {
        const Next next = NextLine(reader, line);
        if (next == Next::kReadError) return PassResult::kReadError;
        if (next == Next::kTooLong) return PassResult::kLineTooLong;
        if (next == Next::kEnd || IsMarker(line)) return PassResult::kChanged;
        values[p] = static_cast<double>(myLib::StrToDbl(myLib::GetFld(line, 0)));
        WriteListingLine(report, p + 1, values[p], options.digits);
    }
    return CheckSectionEnd(reader, line, closedByMarker);
}

// Everything the report holds after its header, from both passes over the
// data file; the report is left open.
Failure WriteBody(RdTxtLn& reader, const std::string& openName, std::ostream& report,
                  const RunOptions& options, const RunHooks& hooks) {
    std::string line;
    std::int32_t count = 0;
    bool closedByMarker = false;
    const PassResult counted = CountValueLines(reader, line, hooks.maxCount, count, closedByMarker);
    if (counted != PassResult::kOk) return FromPass(counted);

    const std::unique_ptr<double[]> values(new (std::nothrow) double[count]);
    if (!values) return Failure::kNoMemory;

    reader.Close();
    if (hooks.betweenPasses != nullptr) hooks.betweenPasses(hooks.context);
    reader.ReOpen(openName);
    if (reader.status != RdTxtLn::kReady) return Failure::kReopenInput;

    const PassResult read =
        ReadValues(reader, line, values.get(), count, closedByMarker, report, options);
    if (read != PassResult::kOk) return FromPass(read);
    reader.Close();

    report << std::endl;
    WriteResultBlock(report, values.get(), count, options.encoding);
    // Last, since it reorders the values.
    if (options.summary) WriteSummaryBlock(report, values.get(), count, options.encoding);
    return Failure::kNone;
}

// True when the name can be handed to the file system: a NUL byte would end
// it early and name another file.
bool IsUsableName(const std::string& name) { return name.find('\0') == std::string::npos; }

// Why the report may not be made under this name, before anything is made.
Failure CheckReportName(const RdTxtLn& reader, const std::string& reportName) {
    if (reader.IsOpenFl(reportName)) return Failure::kOutputIsInput;
    if (!IsUsableName(reportName)) return Failure::kOpenOutput;
    return Failure::kNone;
}

void WriteHeader(std::ostream& report, const std::string& dataName, const RunOptions& options) {
    report.precision(options.digits);
    report << "Input data file = " << dataName << std::endl << std::endl;
}

// One white-space-delimited token; empty at the end of input.
std::string ReadToken(std::istream& in) {
    std::string token;
    in >> token;
    return token;
}

// True when the last answer could not be held: the stream swallows the
// allocation failure of an over-long token and marks itself bad, leaving a
// cut name that must not be used.
bool AnswerLost(const std::istream& in, std::ostream& con) {
    if (!in.bad()) return false;
    con << kNoMemoryMessage << std::endl;
    return true;
}

// The dialogue's end of a failed run: the message, then (except after a
// failed reopen) the key request and its wait.
int FailDialogue(std::istream& in, std::ostream& con, Failure f) {
    con << Message(f) << std::endl;
    if (f == Failure::kReopenInput) return kExitFailure;
    con << kKeyRequest << std::endl;
    ReadToken(in);
    return kExitFailure;
}

// The argument run's end of a failed run: one line on standard error. Where
// the system said why a named file could not be opened, the message (without
// its full stop) is followed by the name and that reason.
int FailArguments(std::ostream& err, Failure f, const std::string& name, int reason) {
    std::string message = Message(f);
    if (reason != 0) {
        message.pop_back();
        message += ": " + name + ": " + std::strerror(reason);
    }
    err << kProgramPrefix << message << std::endl;
    return kExitFailure;
}

// The reason a named file could not be opened, where the failure has one.
int OpenReason(Failure f, int savedErrno) {
    const bool opening =
        f == Failure::kOpenInput || f == Failure::kOpenOutput || f == Failure::kReopenInput;
    return opening ? savedErrno : 0;
}

// True when the report is standard output and that is the data file itself
// (`descstat data.txt >> data.txt`): writing it would change the data.
bool StandardOutputIsData(const RdTxtLn& reader) {
#ifdef _WIN32
    (void)reader;
    return false;
#else
    return reader.IsOpenFl("/dev/stdout");
#endif
}

}  // namespace

PassResult CountValueLines(RdTxtLn& reader, std::string& line, std::int32_t maxCount,
                           std::int32_t& count, bool& closedByMarker) {
    count = 0;
    closedByMarker = false;
    const PassResult header = SkipHeader(reader, line);
    if (header != PassResult::kOk) return header;
    for (;;) {
        const Next next = NextLine(reader, line);
        if (next == Next::kReadError) return PassResult::kReadError;
        if (next == Next::kTooLong) return PassResult::kLineTooLong;
        if (next == Next::kEnd) return PassResult::kOk;
        if (IsMarker(line)) {
            closedByMarker = true;
            return PassResult::kOk;
        }
        if (count >= maxCount) return PassResult::kTooManyLines;
        ++count;
    }
}

int Run(std::istream& in, std::ostream& con, const RunHooks& hooks, const RunOptions& options) {
    con << kDataPrompt;
    const std::string dataName = ReadToken(in);
    if (AnswerLost(in, con)) return kExitFailure;
    RdTxtLn reader(dataName);
    if (reader.status != RdTxtLn::kReady) return FailDialogue(in, con, Failure::kOpenInput);

    con << kReportPrompt;
    const std::string reportName = ReadToken(in);
    if (AnswerLost(in, con)) return kExitFailure;
    Failure f = CheckReportName(reader, reportName);
    if (f != Failure::kNone) return FailDialogue(in, con, f);
    // Unbuffered: every write of the report reaches the file at once, so that
    // it is readable up to its last line whatever happens to the run, and a
    // listing line (written whole) costs one system call.
    std::ofstream report;
    report.rdbuf()->pubsetbuf(nullptr, 0);
    report.open(reportName);
    if (!report.is_open()) return FailDialogue(in, con, Failure::kOpenOutput);
    WriteHeader(report, dataName, options);

    f = WriteBody(reader, dataName, report, options, hooks);
    if (f == Failure::kNone) {
        report.close();
        if (report.fail()) f = Failure::kWriteOutput;
    }
    if (f != Failure::kNone) return FailDialogue(in, con, f);

    con << std::endl;
    WriteJapaneseLine(con, options.console, kFinished);
    WriteJapaneseLine(con, options.console, kFinishedKeyRequest);
    ReadToken(in);
    return kExitSuccess;
}

int RunWithNames(const std::string& dataName, const std::string& reportName, std::istream& in,
                 std::ostream& out, std::ostream& err, const RunOptions& options,
                 const RunHooks& hooks) {
    // The copy of standard input outlives the reader, which must let go of it
    // before it can be removed.
    TempCopy copy;
    std::string openName = dataName;
    if (dataName == "-") {
        const int reason = copy.Fill(in);
        if (reason != 0 && copy.ReadFailed()) {
            return FailArguments(err, Failure::kReadError, dataName, 0);
        }
        if (reason != 0) return FailArguments(err, Failure::kOpenInput, dataName, reason);
        openName = copy.Name();
    }
    errno = 0;
    RdTxtLn reader(openName);
    if (reader.status != RdTxtLn::kReady) {
        return FailArguments(err, Failure::kOpenInput, dataName, errno);
    }

    const bool toStandardOutput = reportName == "-";
    std::vector<char> buffer(kReportBuffer);  // outlives the stream that uses it
    std::ofstream file;
    file.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    if (toStandardOutput && StandardOutputIsData(reader)) {
        return FailArguments(err, Failure::kOutputIsInput, reportName, 0);
    }
    if (!toStandardOutput) {
        const Failure f = CheckReportName(reader, reportName);
        if (f != Failure::kNone) return FailArguments(err, f, reportName, 0);
        errno = 0;
        file.open(reportName);
        if (!file.is_open()) return FailArguments(err, Failure::kOpenOutput, reportName, errno);
    }
    std::ostream& report = toStandardOutput ? out : file;
    WriteHeader(report, dataName, options);

    errno = 0;
    Failure f = WriteBody(reader, openName, report, options, hooks);
    const int reason = OpenReason(f, errno);
    if (f == Failure::kNone) {
        if (toStandardOutput) {
            out.flush();
        } else {
            file.close();
        }
        if (report.fail()) f = Failure::kWriteOutput;
    }
    if (f != Failure::kNone) return FailArguments(err, f, dataName, reason);
    return kExitSuccess;
}

}  // namespace descstat
