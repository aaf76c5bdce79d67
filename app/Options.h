// The settings of a run that the command line may change, shared by the
// command line's parser and the run. The defaults are the dialogue's own: a
// run given no options writes exactly what the program always has.
#ifndef DESCSTAT_OPTIONS_H
#define DESCSTAT_OPTIONS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/Japanese.h"
#include "app/Text.h"

namespace descstat {

// The significant digits every number of the report may be written with;
// kShortestDigits asks for the fewest that read back as the same double.
constexpr int kShortestDigits = 0;
constexpr int kMinDigits = 1;
constexpr int kMaxDigits = 17;
constexpr int kDefaultDigits = 6;

// A name the report's encoding may be asked for by (in any case). The parser
// accepts exactly these, and its error message lists them from here.
struct EncodingName {
    const char* name;
    Encoding encoding;
};

constexpr EncodingName kEncodingNames[] = {
    {"shift_jis", Encoding::kShiftJis}, {"sjis", Encoding::kShiftJis},
    {"cp932", Encoding::kShiftJis},     {"utf-8", Encoding::kUtf8},
    {"utf8", Encoding::kUtf8},
};

// The names --language takes.
struct LanguageName {
    const char* name;
    Language language;
};

constexpr LanguageName kLanguageNames[] = {{"ja", Language::kJapanese}, {"en", Language::kEnglish}};

// What a run writes: the text report, or the statistics alone in a machine
// format, one row or object per data file.
enum class Format { kReport, kTsv, kCsv, kJson };

// The names --format takes.
struct FormatName {
    const char* name;
    Format format;
};

constexpr FormatName kFormatNames[] = {{"report", Format::kReport},
                                       {"tsv", Format::kTsv},
                                       {"csv", Format::kCsv},
                                       {"json", Format::kJson}};

// Fields as --field and --group name them: by number (`first` to `last`,
// counted from 1; one field when they are equal) or, when `name` is not
// empty, by the name the header line gives it.
struct FieldChoice {
    int first = 0;
    int last = 0;
    std::string name;
};

// The character set of a table's text (its names and labels): found from the
// file, or as --input-encoding says.
enum class InputEncoding { kDetect, kUtf8, kShiftJis, kUtf16 };

// The names --input-encoding takes.
struct InputEncodingName {
    const char* name;
    InputEncoding encoding;
};

constexpr InputEncodingName kInputEncodingNames[] = {
    {"utf-8", InputEncoding::kUtf8},         {"utf8", InputEncoding::kUtf8},
    {"shift_jis", InputEncoding::kShiftJis}, {"sjis", InputEncoding::kShiftJis},
    {"cp932", InputEncoding::kShiftJis},     {"utf-16", InputEncoding::kUtf16},
    {"utf16", InputEncoding::kUtf16},
};

// How the data file's lines are read. The defaults are the data file's own
// rules: a header, marker lines, and the first blank-separated field of each
// value line; a file without a marker line is a table (Table.h), whose
// separator, header line and character set are found from its first lines.
struct DataRules {
    bool plain = false;               // every line is a row of a table: no header, no markers
    bool header = false;              // the first value line (row) names the fields
    bool noHeader = false;            // a table's first row is data, whatever it holds
    std::vector<FieldChoice> fields;  // the fields that hold values; none: the
                                      // first (marker file), every numeric one (table)
    std::vector<FieldChoice> groups;  // a result set per distinct value of these
    char separator = '\0';            // the byte between fields; '\0': blanks (a table: found)
    bool decimalComma = false;        // a table's numbers are written 5,1
    InputEncoding inputEncoding = InputEncoding::kDetect;
    bool skipInvalid = false;  // a line whose field holds no number is left out
    bool loneCrEnds = false;   // a lone CR ends a line (CR line ends), as LF does
    bool keepValues = true;    // false: the values are counted and summed, not kept
    // True when the values are kept only for a listing that the sink writes as
    // they are read: a marker file's single field then keeps none.
    bool listedAsRead = false;
    // How many threads may read a large file's values in parts (SplitRead.h):
    // 0 for as many as there are cores, 1 for none beside the main one.
    int threads = 0;
};

// True when the rules read the data file other than by its own rules: a
// data option was given.
inline bool ChangesDataRules(const DataRules& r) {
    const bool firstField = r.fields.size() == 1 && r.fields[0].name.empty() &&
                            r.fields[0].first == 1 && r.fields[0].last == 1;
    return r.plain || r.header || r.noHeader || (!r.fields.empty() && !firstField) ||
           !r.groups.empty() || r.separator != '\0' || r.decimalComma ||
           r.inputEncoding != InputEncoding::kDetect || r.skipInvalid;
}

// True when the rules select several fields, so that each value line holds
// several values (the listing, of one field, is then left out).
inline bool SelectsSeveral(const DataRules& r) {
    return r.fields.size() > 1 || (r.fields.size() == 1 && r.fields[0].first != r.fields[0].last) ||
           !r.groups.empty();
}

// A confidence level in percent as written, numerator/denominator with the
// denominator a power of ten: 95 is 95/1, 97.5 is 975/10; above 0, below 100.
struct ConfidenceLevel {
    std::uint64_t numerator = 95;
    std::uint64_t denominator = 1;
};

// How --compare tests a sample against the baseline: Welch's t (unequal
// variances, the default), Student's t with the pooled SD, or the paired t of
// the i-th values' differences.
enum class TestMethod { kWelch, kPooled, kPaired };

// A statistic asked for by --statistics or --describe: a row of the table of
// statistics (StatisticTable.h) by its place in it, and for a percentile pN
// its number N as written ("2.5") and its place among the percentiles asked.
struct AskedStatistic {
    std::size_t row = 0;
    std::string number;
    std::size_t percentile = 0;
    std::uint32_t numerator = 0;    // the percentile's probability N/100, as a
    std::uint32_t denominator = 1;  // decimal fraction (Quantiles.h)
};

// What a run is asked to do beyond the dialogue's defaults. The command line
// sets all but the last two (and the report's width); the entry then decides how the report and the
// console are written, from them and from where each goes.
struct RunOptions {
    Encoding encoding = Encoding::kShiftJis;  // the report's Japanese text
    bool encodingGiven = false;               // asked for, so it holds on a screen too
    Language language = Language::kJapanese;  // the report's labels, the closing lines
    int digits = kDefaultDigits;              // significant digits of each number
    bool digitsGiven = false;                 // asked for (machine formats: else shortest)
    bool summary = false;                     // the summary block after the results
    std::vector<AskedStatistic> statistics;   // the block of statistics asked, in order
    ConfidenceLevel confidence;               // the level of the mean's interval
    bool compare = false;                     // the samples compared with the first
    TestMethod method = TestMethod::kWelch;   // how --compare compares them
    bool methodGiven = false;                 // --pooled or --paired
    bool listing = true;                      // the listing's value lines
    bool histogram = false;                   // the histogram block (and a JSON field)
    int bins = 0;                             // the histogram's target bins; 0: Sturges
    std::string plot;                         // the chart's file; empty: no chart
    Format format = Format::kReport;          // the text report or a machine format
    std::string output;                       // a machine format's file; empty: standard output
    bool force = false;                       // replace an output that holds something else
    DataRules data;                           // how the data file's lines are read
    int reportColumns = 80;                   // the width the report's tables wrap at
    TextStyle report;                         // how the report's texts are written
    TextStyle console;                        // how the closing lines are written
};

}  // namespace descstat

#endif  // DESCSTAT_OPTIONS_H
