#include "app/CommandLine.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string>

#include "app/Histogram.h"
#include "app/StatisticTable.h"

namespace descstat {

namespace {

enum class Opt {
    kEncoding,
    kLanguage,
    kDigits,
    kSummary,
    kStatistics,
    kDescribe,
    kConfidence,
    kCompare,
    kPooled,
    kPaired,
    kPlain,
    kHeader,
    kNoHeader,
    kField,
    kGroup,
    kSeparator,
    kDecimalComma,
    kInputEncoding,
    kSkipInvalid,
    kThreads,
    kNoListing,
    kForce,
    kHistogram,
    kBins,
    kPlot,
    kFormat,
    kOutput,
    kHelp,
    kVersion,
};

struct OptionName {
    const char* longName;
    char shortName;  // '\0': none
    Opt opt;
    const char* value;  // the value as --help names it ("NAME"); null: the option takes none
    const char* help;   // what it does, as --help's lines, '\n' between them
    // Added with tables: a prefix that named an older option alone ("--d",
    // "--no") still names that one.
    bool added = false;
};

// The largest field number: far beyond any line's 998 bytes.
constexpr long long kMaxField = 1000000;

// Every option, in the order --help lists them.
constexpr OptionName kOptions[] = {
    {"encoding", 'e', Opt::kEncoding, "NAME",
     "the report's Japanese text in NAME: shift_jis (the\n"
     "default; also sjis, cp932) or utf-8 (also utf8)"},
    // Its help lists the labels from the table of statistics (LanguageHelp).
    {"language", 'L', Opt::kLanguage, "LANG", nullptr},
    {"digits", 'd', Opt::kDigits, "N",
     "significant digits of every number, 1 to 17\n"
     "(default 6): each result its exact value over\n"
     "the numbers as written, rounded once; each value\n"
     "listed as its double; or 0 for the fewest that\n"
     "read back as the same double"},
    {"no-listing", '\0', Opt::kNoListing, nullptr, "the report without the listing of the values"},
    {"histogram", '\0', Opt::kHistogram, nullptr,
     "add a histogram after the results (and the summary):\n"
     "each value in the bin of its shortest decimal, bins\n"
     "1, 2 or 5 times a power of ten wide, as many as\n"
     "Sturges' rule says; with -F json a \"histogram\" field"},
    {"bins", '\0', Opt::kBins, "K", "about K bins (1 to 1000) instead"},
    {"plot", '\0', Opt::kPlot, "FILE",
     "an SVG chart of the data into FILE, replaced whole:\n"
     "the histogram, a box plot, the mean and the mean\n"
     "plus and minus one SD (unbiased variance)"},
    {"format", 'F', Opt::kFormat, "FORMAT",
     "report (the default), or the statistics alone, one\n"
     "row per data file (every operand is one): tsv, csv\n"
     "or json (JSON Lines); shortest digits unless -d;\n"
     "in tsv and csv a name that begins with = + - @\n"
     "and is no number gets a leading ' (no formula)"},
    {"output", 'o', Opt::kOutput, "FILE", "a machine format's rows into FILE, replaced whole"},
    {"force", '\0', Opt::kForce, nullptr,
     "replace a REPORT, --plot or -o file even when it holds\n"
     "something else than what descstat writes"},
    {"summary", 's', Opt::kSummary, nullptr,
     "add the count, minimum, quartiles, median and\n"
     "maximum after the results"},
    // Its help lists the keys from the table of statistics (StatisticsHelp).
    {"statistics", 'S', Opt::kStatistics, "LIST", nullptr, true},
    {"describe", 'D', Opt::kDescribe, nullptr,
     "the spreadsheet tool's descriptive statistics:\n"
     "-S n,missing,mean,se,median,mode,unbiased_sd,\n"
     "unbiased_variance,kurtosis,skewness,range,min,q1,\n"
     "q3,max,sum,ci,ci_half",
     true},
    {"confidence", '\0', Opt::kConfidence, "LEVEL",
     "the level of ci and of --compare in percent, above\n"
     "0 and below 100 (default 95; decimals allowed: 99.9)",
     true},
    {"compare", 'c', Opt::kCompare, nullptr,
     "compare each sample with the first (the baseline):\n"
     "the data files, a table's fields or its groups;\n"
     "a table of the samples, then the difference of\n"
     "the means with its interval at --confidence, in\n"
     "percent too, t, df, p and the verdict (Welch's t)",
     true},
    {"pooled", '\0', Opt::kPooled, nullptr, "with -c: Student's t with the pooled SD", true},
    {"paired", '\0', Opt::kPaired, nullptr,
     "with -c: paired samples of equal counts, the t of\n"
     "the i-th values' differences",
     true},
    {"plain", 'p', Opt::kPlain, nullptr,
     "the data file is a table from its first line (no\n"
     "header, no marker lines); a file without a marker\n"
     "line is read as a table anyway"},
    {"header", 'H', Opt::kHeader, nullptr,
     "the first value line (a table's first row) names\n"
     "the fields; it is no value (a table: found)"},
    {"no-header", '\0', Opt::kNoHeader, nullptr, "a table's first row holds values, not names",
     true},
    {"field", 'f', Opt::kField, "LIST",
     "the fields that hold the values: numbers, ranges\n"
     "and names (2,4-6,height), repeated -f adding to\n"
     "the list; a name needs a line that names the fields.\n"
     "Default: a marker file's first field, every\n"
     "numeric column of a table"},
    {"group", 'g', Opt::kGroup, "LIST",
     "a result set for each distinct value (or\n"
     "combination) of these fields, in order of first\n"
     "appearance",
     true},
    {"separator", 't', Opt::kSeparator, "C",
     "fields are separated by the byte C (, ; | or tab)\n"
     "instead of blanks (a table: found), and may be\n"
     "quoted as in CSV (line breaks inside the quotes\n"
     "too); a field is then a number only when it is\n"
     "wholly one"},
    {"decimal-comma", '\0', Opt::kDecimalComma, nullptr,
     "a table's numbers are written 5,1 (the separator\n"
     "is then ; unless -t says; found when ; or tab\n"
     "separates numbers with a comma and no point)",
     true},
    {"input-encoding", '\0', Opt::kInputEncoding, "NAME",
     "a table's names and labels are utf-8, shift_jis\n"
     "or utf-16 (found: a byte order mark, else UTF-8\n"
     "when valid, else Shift_JIS)",
     true},
    {"skip-invalid", '\0', Opt::kSkipInvalid, nullptr,
     "leave out every value line whose field holds no\n"
     "number (empty, NA, a word)"},
    {"threads", '\0', Opt::kThreads, "N",
     "read a large data file's values in N parts at once,\n"
     "one per thread (default: one per core; 1: one\n"
     "thread); the results are the same",
     true},
    {"help", 'h', Opt::kHelp, nullptr, "show this help and exit"},
    {"version", 'V', Opt::kVersion, nullptr, "show the version and exit"},
};

// Where --help's descriptions begin: every line of one starts in this column.
constexpr std::size_t kHelpColumn = 23;

// An option as --help names it: "  -e, --encoding=NAME" or "      --force".
std::string HelpHead(const OptionName& o) {
    std::string head = "  ";
    head += o.shortName != '\0' ? std::string("-") + o.shortName + ", " : std::string(4, ' ');
    head += std::string("--") + o.longName;
    if (o.value != nullptr) head += std::string("=") + o.value;
    return head;
}

// Words joined by blanks into lines of at most `width` bytes, '\n' between.
std::string Wrapped(const std::string& text, std::size_t width) {
    std::string out;
    std::size_t lineStart = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t end = std::min(text.find(' ', i), text.size());
        const std::string word = text.substr(i, end - i);
        if (out.size() > lineStart && out.size() - lineStart + 1 + word.size() > width) {
            out += '\n';
            lineStart = out.size();
        } else if (out.size() > lineStart) {
            out += ' ';
        }
        out += word;
        i = end + 1;
    }
    return out;
}

// The --language help: the English labels, read from the table of
// statistics, so that a new statistic is listed with no edit here.
std::string LanguageHelp() {
    constexpr std::size_t kWidth = 47;
    return Wrapped(std::string("the report's labels and the closing lines in ja (Japanese, the "
                               "default) or en (English, ASCII: ") +
                       kListingHeading.english + ", " + EnglishLabels(Block::kResults) + "; " +
                       EnglishLabels(Block::kSummary) + ")",
                   kWidth);
}

// The --statistics help: the keys, read from the table of statistics.
std::string StatisticsHelp() {
    constexpr std::size_t kWidth = 47;
    return Wrapped(
        "a block of these statistics after the results, in the order given, each "
        "exact and rounded once (in the machine formats: the row's columns): " +
            StatisticKeys() +
            "; ci is ci_low,ci_high (Student's t), mode is mode,mode_count, pN the "
            "percentile N (0 to 100: p2.5)",
        kWidth);
}

// One option's entry: its head, then its description from kHelpColumn, on a
// line of its own when the head leaves no room for two blanks.
std::string HelpEntry(const OptionName& o) {
    const std::string indent(kHelpColumn, ' ');
    std::string entry = HelpHead(o);
    if (entry.size() + 2 > kHelpColumn) {
        entry += "\n" + indent;
    } else {
        entry.resize(kHelpColumn, ' ');
    }
    std::string help;
    if (o.help != nullptr) {
        help = o.help;
    } else {
        help = o.opt == Opt::kStatistics ? StatisticsHelp() : LanguageHelp();
    }
    for (const char c : help) {
        entry += c;
        if (c == '\n') entry += indent;
    }
    return entry + "\n";
}

// The option a long name or unique prefix names (a prefix of several that
// fits one older option alone names that one); null when none does, and
// also when the prefix fits several (`ambiguous` then tells so).
const OptionName* FindLong(const std::string& name, bool& ambiguous) {
    const OptionName* found = nullptr;
    const OptionName* older = nullptr;
    int matches = 0;
    int olderMatches = 0;
    for (const OptionName& o : kOptions) {
        const std::string full = o.longName;
        if (full == name) {
            ambiguous = false;
            return &o;
        }
        if (full.compare(0, name.size(), name) == 0) {
            found = &o;
            ++matches;
            if (!o.added) {
                older = &o;
                ++olderMatches;
            }
        }
    }
    if (matches > 1 && olderMatches == 1) found = older;
    ambiguous = matches > 1 && olderMatches != 1;
    return ambiguous ? nullptr : found;
}

const OptionName* FindShort(char c) {
    for (const OptionName& o : kOptions) {
        if (o.shortName == c && c != '\0') return &o;
    }
    return nullptr;
}

std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

// The value a table of names gives `value`, in any case; false when it names
// none. Each entry has a `name` and the value `field` points to.
template <typename Entry, std::size_t N, typename Value>
bool ParseNamed(const Entry (&table)[N], Value Entry::*field, const std::string& value,
                Value& result) {
    const std::string v = Lower(value);
    for (const Entry& entry : table) {
        if (v == entry.name) {
            result = entry.*field;
            return true;
        }
    }
    return false;
}

// "a, b, c or d": every name an encoding may be given by.
std::string EncodingNameList() {
    std::string list;
    const std::size_t count = std::size(kEncodingNames);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) list += i + 1 == count ? " or " : ", ";
        list += kEncodingNames[i].name;
    }
    return list;
}

// A decimal number, leading zeros allowed ("017" is 17); 0 asks for the
// shortest digits.
bool ParseDigits(const std::string& value, int& digits) {
    if (value.empty()) return false;
    int n = 0;
    for (const char c : value) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
        if (n > kMaxDigits) return false;  // and no overflow on a long value
    }
    if (n != kShortestDigits && (n < kMinDigits || n > kMaxDigits)) return false;
    digits = n;
    return true;
}

// A field number from 1 in decimal digits; false for anything else.
bool ParseFieldNumber(const std::string& text, int& n) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    long long v = 0;
    for (const char c : text) {
        v = v * 10 + (c - '0');
        if (v > kMaxField) return false;
    }
    if (v < 1) return false;
    n = static_cast<int>(v);
    return true;
}

// A list of fields, comma-separated: numbers, ranges of numbers (4-6) and,
// for anything else, the names a header line gives them; added to `list`.
bool ParseFieldList(const std::string& value, std::vector<FieldChoice>& list) {
    if (value.empty()) return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = std::min(value.find(',', start), value.size());
        const std::string item = value.substr(start, comma - start);
        if (item.empty()) return false;
        FieldChoice choice;
        const std::size_t dash = item.find('-');
        if (ParseFieldNumber(item, choice.first)) {
            choice.last = choice.first;
        } else if (dash != std::string::npos &&
                   ParseFieldNumber(item.substr(0, dash), choice.first) &&
                   ParseFieldNumber(item.substr(dash + 1), choice.last)) {
            if (choice.last < choice.first) return false;
        } else if (item.find_first_not_of("0123456789-") == std::string::npos) {
            return false;  // 0, or a range that is none
        } else {
            choice.name = item;
        }
        list.push_back(choice);
        if (comma == value.size()) return true;
        start = comma + 1;
    }
}

// A file's name: anything but the empty name.
bool TakeFileName(const std::string& value, std::string& name) {
    if (value.empty()) return false;
    name = value;
    return true;
}

// A number of bins from 1 to kMaxBins, in decimal digits.
bool ParseBins(const std::string& value, int& bins) {
    if (value.empty() || value.size() > 4 ||
        value.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const int n = std::stoi(value);
    if (n < 1 || n > kMaxBins) return false;
    bins = n;
    return true;
}

// The most threads --threads takes: more parts than that only cost.
constexpr int kMaxThreads = 64;

bool ParseThreads(const std::string& value, int& threads) {
    if (value.empty() || value.size() > 2 ||
        value.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const int n = std::stoi(value);
    if (n < 1 || n > kMaxThreads) return false;
    threads = n;
    return true;
}

// One byte, or "tab" or "\t" for a tab; never a quote or a line end, which
// have meanings of their own.
bool ParseSeparator(const std::string& value, char& separator) {
    if (value == "tab" || value == "\\t") {
        separator = '\t';
        return true;
    }
    if (value.size() != 1 || value[0] == '"' || value[0] == '\n' || value[0] == '\r') {
        return false;
    }
    separator = value[0];
    return true;
}

// The test --pooled or --paired asks for.
TestMethod MethodOf(Opt opt) {
    return opt == Opt::kPooled ? TestMethod::kPooled : TestMethod::kPaired;
}

// Applies one option with its value (if it takes one); false with `error` set
// when the value cannot be used.
bool Apply(const OptionName& o, const std::string& value, CommandLine& cl) {
    switch (o.opt) {
        case Opt::kEncoding:
            cl.options.encodingGiven = true;
            if (ParseNamed(kEncodingNames, &EncodingName::encoding, value, cl.options.encoding))
                return true;
            cl.error = "invalid encoding '" + value + "' (" + EncodingNameList() + ")";
            return false;
        case Opt::kLanguage:
            if (ParseNamed(kLanguageNames, &LanguageName::language, value, cl.options.language))
                return true;
            cl.error = "invalid language '" + value + "' (ja or en)";
            return false;
        case Opt::kDigits:
            cl.options.digitsGiven = true;
            if (ParseDigits(value, cl.options.digits)) return true;
            cl.error = "invalid number of digits '" + value + "' (" +
                       std::to_string(kShortestDigits) + " for the shortest, or " +
                       std::to_string(kMinDigits) + " to " + std::to_string(kMaxDigits) + ")";
            return false;
        case Opt::kSummary: cl.options.summary = true; return true;
        case Opt::kStatistics: {
            std::string bad;
            if (ParseStatistics(value, cl.options.statistics, bad)) return true;
            cl.error = "invalid statistic '" + bad + "' (" + StatisticKeys() + ")";
            return false;
        }
        case Opt::kDescribe: {
            std::string bad;
            return ParseStatistics(kDescribeList, cl.options.statistics, bad);
        }
        case Opt::kConfidence:
            if (ParseConfidence(value, cl.options.confidence)) return true;
            cl.error = "invalid confidence level '" + value + "' (above 0 and below 100, as 95)";
            return false;
        case Opt::kCompare: cl.options.compare = true; return true;
        case Opt::kPooled:
        case Opt::kPaired:
            if (cl.options.methodGiven && cl.options.method != MethodOf(o.opt)) {
                cl.error = "options '--pooled' and '--paired' cannot be given together";
                return false;
            }
            cl.options.methodGiven = true;
            cl.options.method = MethodOf(o.opt);
            return true;
        case Opt::kPlain: cl.options.data.plain = true; return true;
        case Opt::kHeader: cl.options.data.header = true; return true;
        case Opt::kNoHeader: cl.options.data.noHeader = true; return true;
        case Opt::kField:
            if (ParseFieldList(value, cl.options.data.fields)) return true;
            cl.error = "invalid field '" + value + "' (numbers from 1, ranges like 2-4, names)";
            return false;
        case Opt::kGroup:
            if (ParseFieldList(value, cl.options.data.groups)) return true;
            cl.error =
                "invalid group field '" + value + "' (numbers from 1, ranges like 2-4, names)";
            return false;
        case Opt::kDecimalComma: cl.options.data.decimalComma = true; return true;
        case Opt::kInputEncoding:
            if (ParseNamed(kInputEncodingNames, &InputEncodingName::encoding, value,
                           cl.options.data.inputEncoding)) {
                return true;
            }
            cl.error = "invalid input encoding '" + value + "' (utf-8, shift_jis or utf-16)";
            return false;
        case Opt::kSeparator:
            if (ParseSeparator(value, cl.options.data.separator)) return true;
            cl.error = "invalid separator '" + value + "' (one byte, or tab)";
            return false;
        case Opt::kSkipInvalid: cl.options.data.skipInvalid = true; return true;
        case Opt::kThreads:
            if (ParseThreads(value, cl.options.data.threads)) return true;
            cl.error = "invalid number of threads '" + value + "' (1 to " +
                       std::to_string(kMaxThreads) + ")";
            return false;
        case Opt::kNoListing: cl.options.listing = false; return true;
        case Opt::kForce: cl.options.force = true; return true;
        case Opt::kHistogram: cl.options.histogram = true; return true;
        case Opt::kPlot:
            if (TakeFileName(value, cl.options.plot)) return true;
            cl.error = "invalid chart file '' (a name)";
            return false;
        case Opt::kBins:
            if (ParseBins(value, cl.options.bins)) return true;
            cl.error =
                "invalid number of bins '" + value + "' (1 to " + std::to_string(kMaxBins) + ")";
            return false;
        case Opt::kFormat:
            if (ParseNamed(kFormatNames, &FormatName::format, value, cl.options.format))
                return true;
            cl.error = "invalid format '" + value + "' (report, tsv, csv or json)";
            return false;
        case Opt::kOutput:
            if (TakeFileName(value, cl.options.output)) return true;
            cl.error = "invalid output file '' (a name, or - for standard output)";
            return false;
        case Opt::kHelp: cl.help = true; return true;
        case Opt::kVersion: cl.version = true; return true;
    }
    return false;
}

// "--name", "--name=value" or "--name value"; `i` moves past a value taken
// from the next argument.
bool ParseLong(const std::vector<std::string>& args, std::size_t& i, CommandLine& cl) {
    const std::string arg = args[i].substr(2);
    const std::size_t eq = arg.find('=');
    const std::string name = arg.substr(0, eq);
    bool ambiguous = false;
    // "--=x" names no option at all; every name would start with "".
    const OptionName* o = name.empty() ? nullptr : FindLong(name, ambiguous);
    if (o == nullptr && name.empty()) {
        cl.error = "unrecognized option '" + args[i] + "'";
        return false;
    }
    if (o == nullptr) {
        cl.error = std::string(ambiguous ? "option '--" + name + "' is ambiguous"
                                         : "unrecognized option '--" + name + "'");
        return false;
    }
    const std::string full = std::string("--") + o->longName;
    if (o->value == nullptr) {
        if (eq != std::string::npos) {
            cl.error = "option '" + full + "' doesn't allow an argument";
            return false;
        }
        return Apply(*o, "", cl);
    }
    if (eq != std::string::npos) return Apply(*o, arg.substr(eq + 1), cl);
    if (i + 1 >= args.size()) {
        cl.error = "option '" + full + "' requires an argument";
        return false;
    }
    return Apply(*o, args[++i], cl);
}

// "-x", bundled flags "-sh", and "-eNAME" or "-e NAME".
bool ParseShort(const std::vector<std::string>& args, std::size_t& i, CommandLine& cl) {
    const std::string& arg = args[i];
    for (std::size_t k = 1; k < arg.size(); ++k) {
        const OptionName* o = FindShort(arg[k]);
        if (o == nullptr) {
            cl.error = std::string("invalid option -- '") + arg[k] + "'";
            return false;
        }
        if (o->value == nullptr) {
            if (!Apply(*o, "", cl)) return false;
            continue;
        }
        if (k + 1 < arg.size()) return Apply(*o, arg.substr(k + 1), cl);
        if (i + 1 >= args.size()) {
            cl.error = std::string("option requires an argument -- '") + arg[k] + "'";
            return false;
        }
        return Apply(*o, args[++i], cl);
    }
    return true;
}

// What --compare cannot go with: a test without it, its own table beside
// another block, the dialogue (it compares data files named).
std::string CompareConflict(const CommandLine& cl) {
    const RunOptions& o = cl.options;
    if (!o.compare) {
        if (!o.methodGiven) return {};
        return std::string("option '--") + (o.method == TestMethod::kPooled ? "pooled" : "paired") +
               "' needs --compare";
    }
    if (!o.statistics.empty() || o.summary || o.histogram) {
        return "option '--compare' writes its own table: not with --statistics, --describe, "
               "--summary or --histogram";
    }
    if (cl.operands.empty()) return "option '--compare' needs data files named on the command line";
    return {};
}

// What the options and operands cannot mean together: more than two operands
// of a text report (a machine format and --compare take any number of data
// files, but standard input once), an output file without a machine format or --compare, a header
// line both asked for and refused, a number of bins without a histogram or a
// chart, a chart with a machine format, an output file in the dialogue
// (which asks for its report file). Outputs that are one file are told apart
// by the front end, which looks at the files.
void CheckCombination(CommandLine& cl) {
    const RunOptions& o = cl.options;
    const bool machine = o.format != Format::kReport;
    const bool everyOperand = machine || o.compare;
    const std::string compare = CompareConflict(cl);
    if (!compare.empty()) {
        cl.error = compare;
    } else if (!everyOperand && cl.operands.size() > 2) {
        cl.error = "extra operand '" + cl.operands[2] + "'";
    } else if (everyOperand && std::count(cl.operands.begin(), cl.operands.end(), "-") > 1) {
        cl.error = "standard input ('-') named more than once";
    } else if (!everyOperand && !o.output.empty()) {
        cl.error = "option '--output' needs a machine format (--format=tsv, csv or json)";
    } else if (o.bins != 0 && !o.histogram && o.plot.empty()) {
        cl.error = "option '--bins' needs --histogram or --plot";
    } else if (machine && !o.compare && !o.plot.empty()) {
        cl.error = "option '--plot' needs the text report (--format=report)";
    } else if (cl.operands.empty() && !o.output.empty()) {
        cl.error = "option '--output' needs data files named on the command line";
    } else if (o.data.header && o.data.noHeader) {
        cl.error = "options '--header' and '--no-header' cannot be given together";
    }
}

}  // namespace

std::string OptionsHelp() {
    std::string list;
    for (const OptionName& o : kOptions) list += HelpEntry(o);
    return list;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (isOption && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (isOption) {
            const bool ok = arg[1] == '-' ? ParseLong(args, i, cl) : ParseShort(args, i, cl);
            if (!ok) return cl;
            continue;
        }
        cl.operands.push_back(arg);
    }
    CheckCombination(cl);
    // The dialogue keeps its own line rule; a run given its data by name, or
    // data options, also takes the CR line ends of old Mac files.
    cl.options.data.loneCrEnds = !cl.operands.empty() || ChangesDataRules(cl.options.data);
    return cl;
}

}  // namespace descstat
