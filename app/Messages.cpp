#include "app/Messages.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "app/CommandLine.h"
#include "app/Shown.h"

namespace descstat {

const char* Message(Failure f) {
    switch (f) {
        case Failure::kOpenInput: return "To open input data file failed.";
        case Failure::kOutputIsInput:
            return "To open output file failed: it is the input data file.";
        case Failure::kOpenOutput: return "To open output file failed.";
        case Failure::kNoMarker: return "To find the marker line in input data file failed.";
        case Failure::kNoField: return "To find the field in input data file failed.";
        case Failure::kLongLine:
            return "To read input data file failed: a line is longer than 998 bytes.";
        case Failure::kReadError: return "To read input data file failed: a read error occurred.";
        case Failure::kChanged:
            return "To read input data file failed: it changed while being read.";
        case Failure::kTooManyLines:
            return "To count the values failed: more than 2147483647 lines.";
        case Failure::kNoMemory: return "To allocate memory for the values failed.";
        // The spelling "inpur" is the program's own: users and their scripts
        // know the message by it, so it is kept on purpose.
        case Failure::kReopenInput: return "To re-open the inpur file failed.";
        case Failure::kWriteOutput: return "To write output file failed.";
        case Failure::kNotReport: return "To open output file failed: it exists and is no report.";
        case Failure::kOutputIsChart: return "To open output file failed: it is the chart file.";
        // Said with the line where the quote opened, as the detail.
        case Failure::kOpenQuote: return "To read input data file failed.";
        // Said with the columns found and their first cells, as the detail.
        case Failure::kNoNumbers: return "To find numbers in input data file failed.";
        case Failure::kNone: break;
    }
    return "";
}

std::string MessageWith(Failure f, const std::string& detail) {
    std::string message = Message(f);
    if (!detail.empty()) {
        message.pop_back();
        message += ": " + detail;
    }
    return message;
}

std::string JoinedList(const std::vector<std::string>& items) {
    std::string list;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) list += i + 1 == items.size() ? " and " : ", ";
        list += items[i];
    }
    return list;
}

std::string FolderDetail(const std::string& name) {
    return (name == "-" ? std::string("standard input") : name) + " is a folder.";
}

std::string FailureText(const Outcome& outcome, const std::string& typed) {
    const std::string name = Shown(typed);  // the file name shown safely
    std::string detail;
    if (outcome.failure == Failure::kOpenInput && outcome.reason == EISDIR) {
        detail = FolderDetail(name);
    } else if (outcome.reason != 0) {
        detail = name + ": " + std::strerror(outcome.reason);
    } else if (!outcome.detail.empty()) {
        detail = name + ": " + outcome.detail;
    } else if (outcome.failure == Failure::kNoMarker) {
        detail = (name == "-" ? std::string("standard input") : name) +
                 " has no line starting with '/' (--plain reads a list of values)";
    }
    return MessageWith(outcome.failure, detail);
}

namespace {

// --help before its list of options, which the option table gives.
constexpr const char* kUsageHead =
    "Usage: descstat [OPTION]... [DATA [REPORT]]\n"
    "  or:  descstat --format=tsv|csv|json [OPTION]... DATA...\n"
    "  or:  descstat --compare [OPTION]... DATA...\n"
    "Descriptive statistics of the numbers in a text data file: the mean, the\n"
    "variance, the standard deviation, the unbiased variance and its standard\n"
    "deviation, each correctly rounded.\n"
    "\n"
    "With no DATA, ask for the data file and the report file on the console\n"
    "(a name with blanks is typed between double quotes).\n"
    "With DATA, read that file (- for standard input) and write the report to\n"
    "REPORT, or to standard output when REPORT is omitted or -, without asking\n"
    "anything; a failure is one line on standard error. Data that can be read\n"
    "only once (standard input, a pipe) is read in one pass. The report is\n"
    "written once the data has been read; a named REPORT (and the chart, and\n"
    "-o FILE) is replaced whole, all together, and a failed run leaves each as it\n"
    "was. A report that is the data is refused, and so is a REPORT that exists\n"
    "and is no report (two data files, say; -F tsv gives a row for each), or a\n"
    "--plot or -o file that holds anything but what descstat writes. /dev/stdout\n"
    "and /dev/fd/N are written through their descriptor, never replaced.\n"
    "A report on a terminal is written in the terminal's character set (UTF-8\n"
    "also for the C locale; English where Japanese cannot be shown) unless\n"
    "--encoding is given; on a pipe or under > in the locale's (Shift_JIS for\n"
    "the C locale); a named REPORT gets Shift_JIS unless told otherwise.\n"
    "With DATA, each value line whose field is not wholly a number ('NA', '2kg',\n"
    "'1,234') is named on standard error, FILE:LINE, at most 10 and then how\n"
    "many more; the exit status stays 0. With DATA or a data option (-p, -H,\n"
    "-f, -t, --skip-invalid) a lone CR ends a line (old Mac line ends).\n"
    "With --compare, the first sample (a data file, a table's field or group)\n"
    "is the baseline and each other one is compared with it by Student's t.\n"
    "\n"
    "Options:\n";

// --help after its list of options.
constexpr const char* kUsageTail =
    "\n"
    "Exit status:\n"
    "  0  the report was written\n"
    "  2  the command line could not be used\n"
    "  9  any other failure (a file that cannot be opened, read or written,\n"
    "     an empty data file, a table without numbers, ...; with --compare\n"
    "     also samples that cannot be paired, or fewer than two samples)\n"
    "\n"
    "The data file: free text, then a line starting with /, then one number per\n"
    "line, up to the next line starting with /. A file without such a line (or\n"
    "with --plain) is a table: CSV, TSV, ... as spreadsheets and R save them;\n"
    "its separator, header line and character set are found, and every numeric\n"
    "column gives a result set (-f and -g choose columns and groups).\n"
    "See descstat(1) and the README.\n";

}  // namespace

const char* UsageText() {
    static const std::string text = kUsageHead + OptionsHelp() + kUsageTail;
    return text.c_str();
}

const char* VersionText() { return "descstat " DESCSTAT_VERSION "\n"; }

}  // namespace descstat
