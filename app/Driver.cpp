#include "app/Driver.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

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
constexpr const char* kTooManyLinesFailed =
    "To count the values failed: more than 2147483647 lines.";
constexpr const char* kNoMemoryFailed = "To allocate memory for the values failed.";
constexpr const char* kListingHeading = "\x83\x66\x81\x5B\x83\x5E...";         // データ...
constexpr const char* kFinished = "\x8C\x76\x8E\x5A\x8F\x49\x97\xB9\x81\x42";  // 計算終了。
// 何か文字キーを押してからEnterキーを押して下さい。
constexpr const char* kFinishedKeyRequest =
    "\x89\xBD\x82\xA9\x95\xB6\x8E\x9A\x83\x4C\x81\x5B\x82\xF0\x89\x9F\x82\xB5\x82\xC4\x82\xA9"
    "\x82\xE7"
    "Enter"
    "\x83\x4C\x81\x5B\x82\xF0\x89\x9F\x82\xB5\x82\xC4\x89\xBA\x82\xB3\x82\xA2\x81\x42";

// One data file line as the passes see it.
enum class Next { kLine, kEnd, kTooLong };

// Reads the next line. The empty line that the reader delivers when the file
// ends right after a line end is the end, not a line of its own.
Next NextLine(RdTxtLn& reader, std::string& line) {
    const int result = reader.GetLn(line);
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
            case Next::kTooLong: return PassResult::kLineTooLong;
            case Next::kEnd: return PassResult::kNoMarker;
            case Next::kLine:
                if (IsMarker(line)) return PassResult::kOk;
                break;
        }
    }
}

// Reading pass: skips the header again and reads the `count` value lines into
// `values`, listing each in the report. Anything other than the counted lines
// (an earlier end of file or marker line) means the file changed.
PassResult ReadValues(RdTxtLn& reader, std::string& line, double* values, std::int32_t count,
                      std::ofstream& report) {
    const PassResult header = SkipHeader(reader, line);
    if (header == PassResult::kNoMarker) return PassResult::kChanged;
    if (header != PassResult::kOk) return header;

    report << kListingHeading << std::endl;
    for (std::int32_t p = 0; p < count; ++p) {
        const Next next = NextLine(reader, line);
        if (next == Next::kTooLong) return PassResult::kLineTooLong;
        if (next == Next::kEnd || IsMarker(line)) return PassResult::kChanged;
        values[p] = static_cast<double>(myLib::StrToDbl(myLib::GetFld(line, 0)));
        report << (p + 1) << ":  ";
        WriteNumber(report, values[p]);
        report << std::endl;
    }
    return PassResult::kOk;
}

const char* PassFailureMessage(PassResult result) {
    switch (result) {
        case PassResult::kNoMarker: return kNoMarkerFailed;
        case PassResult::kLineTooLong: return kLongLineFailed;
        case PassResult::kTooManyLines: return kTooManyLinesFailed;
        case PassResult::kChanged: return kChangedFailed;
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

// Writes the message, asks for a key and gives the failure exit code.
int FailWithKeyRequest(std::istream& in, std::ostream& con, const char* message) {
    con << message << std::endl;
    con << kKeyRequest << std::endl;
    ReadToken(in);
    return kExitFailure;
}

// The file system path of a name as fopen and the file streams read it. On
// Windows they take a name in the ANSI code page (Shift_JIS on a Japanese
// system), while a path made from a narrow string expects UTF-8.
std::filesystem::path FilePath(const std::string& name) {
#ifdef _WIN32
    const int size = static_cast<int>(name.size());
    const int wide = MultiByteToWideChar(CP_ACP, 0, name.data(), size, nullptr, 0);
    std::wstring converted(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, name.data(), size, converted.data(), wide);
    return std::filesystem::path(converted);
#else
    return std::filesystem::path(name);
#endif
}

// True when both names refer to one existing file, however spelled.
bool IsSameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(FilePath(a), FilePath(b), ec) && !ec;
}

}  // namespace

PassResult CountValueLines(RdTxtLn& reader, std::string& line, std::int32_t maxCount,
                           std::int32_t& count) {
    count = 0;
    const PassResult header = SkipHeader(reader, line);
    if (header != PassResult::kOk) return header;
    for (;;) {
        const Next next = NextLine(reader, line);
        if (next == Next::kTooLong) return PassResult::kLineTooLong;
        if (next == Next::kEnd || IsMarker(line)) return PassResult::kOk;
        if (count >= maxCount) return PassResult::kTooManyLines;
        ++count;
    }
}

int Run(std::istream& in, std::ostream& con, const RunHooks& hooks) {
    con << kDataPrompt;
    const std::string dataName = ReadToken(in);
    RdTxtLn reader(dataName);
    if (reader.status != RdTxtLn::kReady) return FailWithKeyRequest(in, con, kOpenInputFailed);

    con << kReportPrompt;
    const std::string reportName = ReadToken(in);
    if (IsSameFile(dataName, reportName)) return FailWithKeyRequest(in, con, kOutputIsInput);
    std::ofstream report(reportName);
    if (!report.is_open()) return FailWithKeyRequest(in, con, kOpenOutputFailed);
    report << "Input data file = " << dataName << std::endl << std::endl;

    std::string line;
    std::int32_t count = 0;
    const PassResult counted = CountValueLines(reader, line, hooks.maxCount, count);
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

    const PassResult read = ReadValues(reader, line, values.get(), count, report);
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
