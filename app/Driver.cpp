#include "app/Driver.h"

#include <fstream>
#include <memory>
#include <new>

#include "app/Statistics.h"
#include "mylib/StrFunc.h"

namespace descstat {

namespace {

using myLib::RdTxtLn;

// Console and report texts. The Japanese ones are Shift_JIS bytes.
constexpr const char* kDataPrompt = "Input data file = ";
constexpr const char* kReportPrompt = "Output file = ";
constexpr const char* kKeyRequest = "Press down any character key, then press Enter key.";
constexpr const char* kOpenInputFailed = "To open input data file failed.";
constexpr const char* kReopenInputFailed = "To re-open the inpur file failed.";
constexpr const char* kOpenOutputFailed = "To open output file failed.";
constexpr const char* kOutputIsInput = "To open output file failed: it is the input data file.";
constexpr const char* kWriteOutputFailed = "To write output file failed.";
constexpr const char* kNoMarkerFailed = "To find the marker line in input data file failed.";
constexpr const char* kLongLineFailed =
    "To read input data file failed: a line is longer than 998 bytes.";
constexpr const char* kChangedFailed =
    "To read input data file failed: it changed while being read.";
constexpr const char* kReadErrorFailed = "To read input data file failed: a read error occurred.";
constexpr const char* kTooManyLinesFailed =
    "To count the values failed: more than 2147483647 lines.";
constexpr const char* kNoMemoryFailed = "To allocate memory for the values failed.";
constexpr const char* kNoMemoryForAnswer = "To allocate memory failed.";
constexpr const char* kListingHeading = "\x83\x66\x81\x5B\x83\x5E...";         // データ...
constexpr const char* kFinished = "\x8C\x76\x8E\x5A\x8F\x49\x97\xB9\x81\x42";  // 計算終了。
// 何か文字キーを押してからEnterキーを押して下さい。
constexpr const char* kFinishedKeyRequest =
    "\x89\xBD\x82\xA9\x95\xB6\x8E\x9A\x83\x4C\x81\x5B\x82\xF0\x89\x9F\x82\xB5\x82\xC4\x82\xA9"
    "\x82\xE7"
    "Enter"
    "\x83\x4C\x81\x5B\x82\xF0\x89\x9F\x82\xB5\x82\xC4\x89\xBA\x82\xB3\x82\xA2\x81\x42";

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

// Reading pass: skips the header again and reads the `count` value lines into
// `values`, listing each in the report. Anything other than the counted lines
// followed by the same end (an earlier or later end of file or marker line)
// means the file changed.
PassResult ReadValues(RdTxtLn& reader, std::string& line, double* values, std::int32_t count,
                      bool closedByMarker, std::ofstream& report) {
    const PassResult header = SkipHeader(reader, line);
    if (header == PassResult::kNoMarker) return PassResult::kChanged;
    if (header != PassResult::kOk) return header;

    report << kListingHeading << std::endl;
    for (std::int32_t p = 0; p < count; ++p) {
        const Next next = NextLine(reader, line);
        if (next == Next::kReadError) return PassResult::kReadError;
        if (next == Next::kTooLong) return PassResult::kLineTooLong;
        if (next == Next::kEnd || IsMarker(line)) return PassResult::kChanged;
        values[p] = static_cast<double>(myLib::StrToDbl(myLib::GetFld(line, 0)));
        report << (p + 1) << ":  ";
        WriteNumber(report, values[p]);
        report << std::endl;
    }
    return CheckSectionEnd(reader, line, closedByMarker);
}

const char* PassFailureMessage(PassResult result) {
    switch (result) {
        case PassResult::kNoMarker: return kNoMarkerFailed;
        case PassResult::kLineTooLong: return kLongLineFailed;
        case PassResult::kTooManyLines: return kTooManyLinesFailed;
        case PassResult::kChanged: return kChangedFailed;
        case PassResult::kReadError: return kReadErrorFailed;
        case PassResult::kOk: break;
    }
    return "";
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
    con << kNoMemoryForAnswer << std::endl;
    return true;
}

// Writes the message, asks for a key and gives the failure exit code.
int FailWithKeyRequest(std::istream& in, std::ostream& con, const char* message) {
    con << message << std::endl;
    con << kKeyRequest << std::endl;
    ReadToken(in);
    return kExitFailure;
}

// True when the name can be handed to the file system: a NUL byte would end
// it early and name another file.
bool IsUsableName(const std::string& name) { return name.find('\0') == std::string::npos; }

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

int Run(std::istream& in, std::ostream& con, const RunHooks& hooks) {
    con << kDataPrompt;
    const std::string dataName = ReadToken(in);
    if (AnswerLost(in, con)) return kExitFailure;
    RdTxtLn reader(dataName);
    if (reader.status != RdTxtLn::kReady) return FailWithKeyRequest(in, con, kOpenInputFailed);

    con << kReportPrompt;
    const std::string reportName = ReadToken(in);
    if (AnswerLost(in, con)) return kExitFailure;
    if (reader.IsOpenFl(reportName)) return FailWithKeyRequest(in, con, kOutputIsInput);
    if (!IsUsableName(reportName)) return FailWithKeyRequest(in, con, kOpenOutputFailed);
    std::ofstream report(reportName);
    if (!report.is_open()) return FailWithKeyRequest(in, con, kOpenOutputFailed);
    report << "Input data file = " << dataName << std::endl << std::endl;

    std::string line;
    std::int32_t count = 0;
    bool closedByMarker = false;
    const PassResult counted = CountValueLines(reader, line, hooks.maxCount, count, closedByMarker);
    if (counted != PassResult::kOk) return FailWithKeyRequest(in, con, PassFailureMessage(counted));

    const std::unique_ptr<double[]> values(new (std::nothrow) double[count]);
    if (!values) return FailWithKeyRequest(in, con, kNoMemoryFailed);

    reader.Close();
    if (hooks.betweenPasses != nullptr) hooks.betweenPasses(hooks.context);
    reader.ReOpen(dataName);
    if (reader.status != RdTxtLn::kReady) {
        con << kReopenInputFailed << std::endl;
        return kExitFailure;
    }

    const PassResult read = ReadValues(reader, line, values.get(), count, closedByMarker, report);
    if (read != PassResult::kOk) return FailWithKeyRequest(in, con, PassFailureMessage(read));
    reader.Close();

    report << std::endl;
    WriteResultBlock(report, values.get(), count);
    if (report.fail()) return FailWithKeyRequest(in, con, kWriteOutputFailed);

    con << std::endl;
    con << kFinished << std::endl;
    con << kFinishedKeyRequest << std::endl;
    ReadToken(in);
    return kExitSuccess;
}

}  // namespace descstat
