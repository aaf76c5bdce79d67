#include "app/CommandLine.h"

#include <cstddef>

namespace descstat {

namespace {

constexpr int kMinDigits = 1;
constexpr int kMaxDigits = 17;

enum class Opt { kEncoding, kDigits, kSummary, kHelp, kVersion, kUnknown };

struct OptionName {
    const char* longName;
    char shortName;
    Opt opt;
    bool takesValue;
};

constexpr OptionName kOptions[] = {
    {"encoding", 'e', Opt::kEncoding, true}, {"digits", 'd', Opt::kDigits, true},
    {"summary", 's', Opt::kSummary, false},  {"help", 'h', Opt::kHelp, false},
    {"version", 'V', Opt::kVersion, false},
};

// The option a long name or unique prefix names; kUnknown when none does,
// and also when the prefix fits several.
const OptionName* FindLong(const std::string& name, bool& ambiguous) {
    const OptionName* found = nullptr;
    ambiguous = false;
    for (const OptionName& o : kOptions) {
        const std::string full = o.longName;
        if (full == name) return &o;
        if (full.compare(0, name.size(), name) == 0) {
            ambiguous = found != nullptr;
            found = &o;
        }
    }
    return ambiguous ? nullptr : found;
}

const OptionName* FindShort(char c) {
    for (const OptionName& o : kOptions) {
        if (o.shortName == c) return &o;
    }
    return nullptr;
}

std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

bool ParseEncoding(const std::string& value, Encoding& encoding) {
    const std::string v = Lower(value);
    if (v == "shift_jis" || v == "sjis" || v == "cp932") {
        encoding = Encoding::kShiftJis;
        return true;
    }
    if (v == "utf-8" || v == "utf8") {
        encoding = Encoding::kUtf8;
        return true;
    }
    return false;
}

bool ParseDigits(const std::string& value, int& digits) {
    if (value.empty() || value.size() > 2) return false;
    int n = 0;
    for (const char c : value) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    if (n < kMinDigits || n > kMaxDigits) return false;
    digits = n;
    return true;
}

// Applies one option with its value (if it takes one); false with `error` set
// when the value cannot be used.
bool Apply(const OptionName& o, const std::string& value, CommandLine& cl) {
    switch (o.opt) {
        case Opt::kEncoding:
            if (ParseEncoding(value, cl.options.encoding)) return true;
            cl.error = "invalid encoding '" + value + "' (shift_jis, sjis, cp932, utf-8 or utf8)";
            return false;
        case Opt::kDigits:
            if (ParseDigits(value, cl.options.digits)) return true;
            cl.error = "invalid number of digits '" + value + "' (1 to 17)";
            return false;
        case Opt::kSummary: cl.options.summary = true; return true;
        case Opt::kHelp: cl.help = true; return true;
        case Opt::kVersion: cl.version = true; return true;
        case Opt::kUnknown: break;
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
    const OptionName* o = FindLong(name, ambiguous);
    if (o == nullptr) {
        cl.error = std::string(ambiguous ? "option '--" + name + "' is ambiguous"
                                         : "unrecognized option '--" + name + "'");
        return false;
    }
    const std::string full = std::string("--") + o->longName;
    if (!o->takesValue) {
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
        if (!o->takesValue) {
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

}  // namespace

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
        if (cl.operands.size() == 2) {
            cl.error = "extra operand '" + arg + "'";
            return cl;
        }
        cl.operands.push_back(arg);
    }
    return cl;
}

const char* UsageText() {
    return "Usage: descstat [OPTION]... [DATA [REPORT]]\n"
           "Descriptive statistics of the numbers in a text data file: the mean, the\n"
           "variance, the standard deviation, the unbiased variance and its standard\n"
           "deviation, each correctly rounded.\n"
           "\n"
           "With no DATA, ask for the data file and the report file on the console.\n"
           "With DATA, read that file (- for standard input) and write the report to\n"
           "REPORT, or to standard output when REPORT is omitted or -, without asking\n"
           "anything; a failure is one line on standard error.\n"
           "\n"
           "Options:\n"
           "  -e, --encoding=NAME  the report's Japanese text in NAME: shift_jis (the\n"
           "                       default; also sjis, cp932) or utf-8 (also utf8)\n"
           "  -d, --digits=N       significant digits of every number, 1 to 17\n"
           "                       (default 6; 17 shows each double exactly)\n"
           "  -s, --summary        add the count, minimum, quartiles, median and\n"
           "                       maximum after the results\n"
           "  -h, --help           show this help and exit\n"
           "  -V, --version        show the version and exit\n"
           "\n"
           "Exit status:\n"
           "  0  the report was written\n"
           "  2  the command line could not be used\n"
           "  9  any other failure (a file that cannot be opened, read or written,\n"
           "     a data file without a marker line, ...)\n"
           "\n"
           "The data file: free text, then a line starting with /, then one number per\n"
           "line, up to the next line starting with /. See descstat(1) and the README.\n";
}

const char* VersionText() { return "descstat " DESCSTAT_VERSION "\n"; }

}  // namespace descstat
