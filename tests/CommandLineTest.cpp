// The command line's parser: shortened long options, bundled short ones, the
// values each option takes or refuses, and what options cannot mean together.
// Each case names what the arguments must come to in a few words (see
// Described), so that a table reads as the command lines it checks.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using descstat::CommandLine;
using descstat::ParseCommandLine;

// The settings that differ from a run without options, in a fixed order,
// then the operands in brackets: "summary digits=8 [data.txt]".
std::string FieldText(const descstat::FieldChoice& f) {
    if (!f.name.empty()) return f.name;
    const std::string first = std::to_string(f.first);
    return f.first == f.last ? first : first + "-" + std::to_string(f.last);
}

std::string Described(const CommandLine& cl) {
    const descstat::RunOptions& o = cl.options;
    const descstat::DataRules& d = o.data;
    static const char* const kFormats[] = {"report", "tsv", "csv", "json"};
    std::ostringstream out;
    if (o.encodingGiven)
        out << " encoding=" << (o.encoding == descstat::Encoding::kUtf8 ? "utf-8" : "shift_jis");
    if (o.language == descstat::Language::kEnglish) out << " en";
    if (o.digitsGiven) out << " digits=" << o.digits;
    if (o.summary) out << " summary";
    if (!o.listing) out << " no-listing";
    if (o.histogram) out << " histogram";
    if (o.bins != 0) out << " bins=" << o.bins;
    if (!o.plot.empty()) out << " plot=" << o.plot;
    if (o.format != descstat::Format::kReport) out << " " << kFormats[static_cast<int>(o.format)];
    if (!o.output.empty()) out << " output=" << o.output;
    if (o.force) out << " force";
    if (d.plain) out << " plain";
    if (d.header) out << " header";
    if (d.noHeader) out << " no-header";
    for (const descstat::FieldChoice& f : d.fields) out << " field=" << FieldText(f);
    for (const descstat::FieldChoice& f : d.groups) out << " group=" << FieldText(f);
    if (d.decimalComma) out << " decimal-comma";
    if (d.inputEncoding != descstat::InputEncoding::kDetect) {
        out << " input-encoding=" << static_cast<int>(d.inputEncoding);
    }
    if (d.separator == '\t') out << " separator=tab";
    if (d.separator != '\0' && d.separator != '\t') out << " separator=" << d.separator;
    if (d.skipInvalid) out << " skip-invalid";
    if (cl.help) out << " help";
    if (cl.version) out << " version";
    for (const std::string& operand : cl.operands) out << " [" << operand << "]";
    const std::string text = out.str();
    return text.empty() ? text : text.substr(1);
}

struct Accepted {
    std::vector<std::string> args;
    std::string described;
};

struct Refused {
    std::vector<std::string> args;
    std::string error;
};

std::string Joined(const std::vector<std::string>& args) {
    std::string joined;
    for (const std::string& a : args) joined += "<" + a + ">";
    return joined;
}

void ExpectAccepted(const std::vector<Accepted>& table) {
    for (const Accepted& c : table) {
        SCOPED_TRACE(Joined(c.args));
        const CommandLine cl = ParseCommandLine(c.args);
        EXPECT_EQ(cl.error, "");
        EXPECT_EQ(Described(cl), c.described);
    }
}

void ExpectRefused(const std::vector<Refused>& table) {
    for (const Refused& c : table) {
        SCOPED_TRACE(Joined(c.args));
        EXPECT_EQ(ParseCommandLine(c.args).error, c.error);
    }
}

TEST(CommandLine, LongOptionsMayBeShortenedToAUniquePrefix) {
    ExpectAccepted({
        {{"--e=utf8"}, "encoding=utf-8"},
        {{"--l", "en"}, "en"},
        {{"--d=3"}, "digits=3"},
        {{"--n"}, "no-listing"},
        {{"--hi"}, "histogram"},
        {{"--hi", "--b=4"}, "histogram bins=4"},
        {{"--plo=c.svg"}, "plot=c.svg"},
        {{"--form", "csv", "--o", "r.csv", "a"}, "csv output=r.csv [a]"},
        {{"--forc"}, "force"},
        {{"--su"}, "summary"},
        {{"--pla"}, "plain"},
        {{"--hea"}, "header"},
        {{"--fi", "3"}, "field=3"},
        {{"--se=;"}, "separator=;"},
        {{"--sk"}, "skip-invalid"},
        {{"--hel"}, "help"},
        {{"--v"}, "version"},
    });
}

TEST(CommandLine, APrefixOfSeveralOptionsIsAmbiguous) {
    ExpectRefused({
        {{"--h"}, "option '--h' is ambiguous"},
        {{"--he"}, "option '--he' is ambiguous"},
        {{"--f=1"}, "option '--f' is ambiguous"},
        {{"--for", "tsv"}, "option '--for' is ambiguous"},
        {{"--s"}, "option '--s' is ambiguous"},
        {{"--p"}, "option '--p' is ambiguous"},
        {{"--pl", "x"}, "option '--pl' is ambiguous"},
        {{"--summaryx"}, "unrecognized option '--summaryx'"},
        {{"--nolisting"}, "unrecognized option '--nolisting'"},
        {{"--sum=1"}, "option '--summary' doesn't allow an argument"},
        {{"--plo"}, "option '--plot' requires an argument"},
    });
}

TEST(CommandLine, ShortOptionsBundleAndTakeTheRestAsTheirValue) {
    ExpectAccepted({
        {{"-sd8"}, "digits=8 summary"},
        {{"-sd", "8"}, "digits=8 summary"},
        {{"-spH"}, "summary plain header"},
        {{"-pHt;", "-f2"}, "plain header field=2 separator=;"},
        {{"-t", "-", "-"}, "separator=- [-]"},
        {{"-Fjson", "-o-", "-"}, "json output=- [-]"},
        {{"-Len", "-eUTF-8"}, "encoding=utf-8 en"},
        {{"-hV"}, "help version"},
    });
    ExpectRefused({
        {{"-sx"}, "invalid option -- 'x'"},
        {{"-s-"}, "invalid option -- '-'"},
        {{"-ps", "-d"}, "option requires an argument -- 'd'"},
        {{"-d", "x", "-e", "nope"},
         "invalid number of digits 'x' (0 for the shortest, or 1 to 17)"},
    });
}

TEST(CommandLine, OperandsStandAnywhereAndDoubleDashEndsTheOptions) {
    ExpectAccepted({
        {{"-"}, "[-]"},
        {{"-", "-s", "r.txt"}, "summary [-] [r.txt]"},
        {{"data.txt", "--summary"}, "summary [data.txt]"},
        {{"--", "-s"}, "[-s]"},
        {{"-s", "--", "--", "-d"}, "summary [--] [-d]"},
        {{"--", "-"}, "[-]"},
    });
    ExpectRefused({{{"--digits", "-"},
                    "invalid number of digits '-' (0 for the shortest, or 1 to "
                    "17)"}});
}

TEST(CommandLine, DigitsFromZeroToSeventeenWithLeadingZeros) {
    ExpectAccepted({
        {{"-d0"}, "digits=0"},
        {{"-d1"}, "digits=1"},
        {{"-d17"}, "digits=17"},
        {{"-d017"}, "digits=17"},
        {{"-d0000000000000000000000000000007"}, "digits=7"},
    });
    const std::string range = "' (0 for the shortest, or 1 to 17)";
    ExpectRefused({
        {{"-d18"}, "invalid number of digits '18" + range},
        {{"-d-1"}, "invalid number of digits '-1" + range},
        {{"-d+5"}, "invalid number of digits '+5" + range},
        {{"-d", " 5"}, "invalid number of digits ' 5" + range},
        {{"-d99999999999999999999"}, "invalid number of digits '99999999999999999999" + range},
    });
}

TEST(CommandLine, BinsFromOneToAThousand) {
    ExpectAccepted({
        {{"--histogram", "--bins=1"}, "histogram bins=1"},
        {{"--histogram", "--bins=1000"}, "histogram bins=1000"},
        {{"--histogram", "--bins=0007"}, "histogram bins=7"},
        {{"--plot=c.svg", "--bins", "12"}, "bins=12 plot=c.svg"},
    });
    const std::string range = "' (1 to 1000)";
    ExpectRefused({
        {{"--histogram", "--bins="}, "invalid number of bins '" + range},
        {{"--histogram", "--bins=01000"}, "invalid number of bins '01000" + range},
        {{"--histogram", "--bins=+5"}, "invalid number of bins '+5" + range},
        {{"--histogram", "--bins=-5"}, "invalid number of bins '-5" + range},
        {{"--histogram", "--bins=99999"}, "invalid number of bins '99999" + range},
    });
}

TEST(CommandLine, SeparatorIsOneByteOrTab) {
    ExpectAccepted({
        {{"-t", "tab"}, "separator=tab"},
        {{"-t", "\\t"}, "separator=tab"},
        {{"-t", "\t"}, "separator=tab"},
        {{"-t;"}, "separator=;"},
        {{"-t", " "}, "separator= "},
        {{"--separator=|"}, "separator=|"},
    });
    ExpectRefused({
        {{"-t", ""}, "invalid separator '' (one byte, or tab)"},
        {{"-t", "TAB"}, "invalid separator 'TAB' (one byte, or tab)"},
        {{"-t", "\n"}, "invalid separator '\n' (one byte, or tab)"},
        {{"-t", "\r"}, "invalid separator '\r' (one byte, or tab)"},
        {{"-t", "\""}, "invalid separator '\"' (one byte, or tab)"},
    });
}

TEST(CommandLine, FieldsByNumberRangeOrName) {
    ExpectAccepted({
        {{"-f", "1"}, "field=1"},
        {{"-f", "007"}, "field=7"},
        {{"-f", "1000000"}, "field=1000000"},
        {{"-H", "-f", "Temp"}, "header field=Temp"},
        {{"-f", "2nd"}, "field=2nd"},
        // Repeated options add to the list.
        {{"-H", "-f", "Temp", "-f", "3"}, "header field=Temp field=3"},
        {{"-f", "2,4-6,\xE8\xBA\xAB\xE9\x95\xB7"},
         "field=2 field=4-6 field=\xE8\xBA\xAB\xE9\x95\xB7"},
        {{"-f", "a-b"}, "field=a-b"},
        {{"-g", "1,sex", "--no-header"}, "no-header group=1 group=sex"},
        {{"--decimal-comma", "--input-encoding=UTF-16"}, "decimal-comma input-encoding=3"},
    });
    const std::string hint = "' (numbers from 1, ranges like 2-4, names)";
    ExpectRefused({
        {{"-f", "0"}, "invalid field '0" + hint},
        {{"-f", "000"}, "invalid field '000" + hint},
        {{"-f", ""}, "invalid field '" + hint},
        {{"-f", "1000001"}, "invalid field '1000001" + hint},
        {{"-f", "99999999999999999999999"}, "invalid field '99999999999999999999999" + hint},
        {{"-f", "-1"}, "invalid field '-1" + hint},
        {{"-f", "6-4"}, "invalid field '6-4" + hint},
        {{"-f", "0-4"}, "invalid field '0-4" + hint},
        {{"-f", "1,,2"}, "invalid field '1,,2" + hint},
        {{"-f", "1,"}, "invalid field '1," + hint},
        {{"-g", ""}, "invalid group field '" + hint},
        {{"--input-encoding=latin1"},
         "invalid input encoding 'latin1' (utf-8, shift_jis or utf-16)"},
        {{"-H", "--no-header"}, "options '--header' and '--no-header' cannot be given together"},
    });
}

TEST(CommandLine, NamedValuesInAnyCase) {
    ExpectAccepted({
        {{"-e", "UTF-8"}, "encoding=utf-8"},
        {{"-e", "uTf8"}, "encoding=utf-8"},
        {{"-e", "CP932"}, "encoding=shift_jis"},
        {{"-e", "SHIFT_JIS"}, "encoding=shift_jis"},
        {{"-L", "EN"}, "en"},
        {{"-L", "Ja"}, ""},
        {{"-F", "TSV", "a"}, "tsv [a]"},
        {{"-F", "Json", "a"}, "json [a]"},
        {{"-F", "REPORT"}, ""},
    });
    ExpectRefused({
        {{"-e", "utf-16"}, "invalid encoding 'utf-16' (shift_jis, sjis, cp932, utf-8 or utf8)"},
        {{"-e", ""}, "invalid encoding '' (shift_jis, sjis, cp932, utf-8 or utf8)"},
        {{"-L", "jp"}, "invalid language 'jp' (ja or en)"},
        {{"-L", "english"}, "invalid language 'english' (ja or en)"},
        {{"-F", "tsv "}, "invalid format 'tsv ' (report, tsv, csv or json)"},
        {{"--plot="}, "invalid chart file '' (a name)"},
        {{"-o", ""}, "invalid output file '' (a name, or - for standard output)"},
    });
}

// Each combination error, and the first of them when several apply.
TEST(CommandLine, CombinationsThatMeanNothing) {
    ExpectAccepted({
        {{"-F", "tsv", "a", "b", "c"}, "tsv [a] [b] [c]"},
        {{"-F", "csv", "-", "a", "-o", "r"}, "csv output=r [-] [a]"},
        {{"-", "-"}, "[-] [-]"},
        {{"--plot=p.svg", "--bins=3", "-"}, "bins=3 plot=p.svg [-]"},
        {{"-F", "json"}, "json"},
    });
    ExpectRefused({
        {{"a", "b", "c", "d"}, "extra operand 'c'"},
        {{"-F", "tsv", "-", "a", "-"}, "standard input ('-') named more than once"},
        {{"-o", "r"}, "option '--output' needs a machine format (--format=tsv, csv or json)"},
        {{"-F", "tsv", "-o", "r"}, "option '--output' needs data files named on the command line"},
        {{"--bins=3"}, "option '--bins' needs --histogram or --plot"},
        {{"-F", "csv", "--plot=p.svg", "a"},
         "option '--plot' needs the text report (--format=report)"},
        // Several at once: the first in this order is told.
        {{"-o", "r", "--bins=3", "-f", "T", "a", "b", "c"}, "extra operand 'c'"},
        {{"-F", "tsv", "--bins=3", "--plot=p", "-", "-"},
         "standard input ('-') named more than once"},
        {{"-o", "r", "--bins=3"},
         "option '--output' needs a machine format (--format=tsv, csv or json)"},
        {{"-F", "tsv", "--bins=3", "--plot=p"},
         "option '--plot' needs the text report "
         "(--format=report)"},
        {{"-F", "tsv", "--plot=p", "-o", "r"},
         "option '--plot' needs the text report (--format=report)"},
        {{"-F", "tsv", "-o", "r", "-f", "T"},
         "option '--output' needs data files named on the command line"},
    });
}

// The dialogue keeps its own line ends; named data or a data option takes a
// lone CR as one.
TEST(CommandLine, LoneCrEndsALineOutsideThePlainDialogue) {
    const std::vector<std::pair<std::vector<std::string>, bool>> table = {
        {{}, false},     {{"-s", "-d3", "-Len"}, false}, {{"-"}, true},        {{"-p"}, true},
        {{"-t,"}, true}, {{"--skip-invalid"}, true},     {{"-f", "1"}, false}, {{"-f", "2"}, true},
    };
    for (const auto& c : table) {
        SCOPED_TRACE(Joined(c.first));
        EXPECT_EQ(ParseCommandLine(c.first).options.data.loneCrEnds, c.second);
    }
}

// The help's list of options: an entry per option the parser knows, its
// head from column 3, its description lines from column 24 (after a head
// too long for that, from the next line).
TEST(CommandLine, OptionsHelpListsTheOptionsInTwoColumns) {
    std::istringstream lines(descstat::OptionsHelp());
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "  -e, --encoding=NAME  the report's Japanese text in NAME: shift_jis (the");
    int entries = 0;
    std::string last;
    do {
        last = line;
        SCOPED_TRACE(line);
        // A head too long for its column stands on a line of its own.
        const bool headAlone = line.size() > 21 && line.find("  ", 6) == std::string::npos;
        if (!headAlone) {
            ASSERT_GT(line.size(), 24U);
            EXPECT_EQ(line.substr(21, 2), "  ");
            EXPECT_NE(line[23], ' ');
        }
        if (line.find_first_not_of(' ') == 23) continue;
        ++entries;
        EXPECT_TRUE(line.compare(0, 3, "  -") == 0 || line.compare(0, 8, "      --") == 0);
        const std::size_t name = line.find("--");
        const std::string option = line.substr(name, line.find_first_of("= ", name) - name);
        const std::string error = ParseCommandLine({option, "1"}).error;
        EXPECT_EQ(error.find("unrecognized"), std::string::npos) << error;
        EXPECT_EQ(error.find("ambiguous"), std::string::npos) << error;
    } while (std::getline(lines, line));
    EXPECT_EQ(last, "  -V, --version        show the version and exit");
    EXPECT_GE(entries, 18);
}

}  // namespace
