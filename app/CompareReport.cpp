#include "app/CompareReport.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "app/Japanese.h"
#include "app/Machine.h"
#include "app/Messages.h"
#include "app/Report.h"
#include "app/Text.h"

namespace descstat {

namespace {

// The table's columns, by their keys in the table of statistics.
constexpr const char* kTableKeys[] = {"n", "min", "max", "median", "mean", "unbiased_sd"};

// `form` with each @ replaced by the next of `gaps`.
std::string FillForm(const char* form, const std::vector<std::string>& gaps) {
    std::string s;
    std::size_t next = 0;
    for (const char* c = form; *c != '\0'; ++c) {
        if (*c == '@' && next < gaps.size()) {
            s += gaps[next++];
        } else {
            s += *c;
        }
    }
    return s;
}

// Each form of `text` with its @ filled by `gaps` (ASCII, alike in all).
LabelText Filled(const JapaneseText& text, const std::vector<std::string>& gaps) {
    return {FillForm(text.shiftJis, gaps), FillForm(text.utf8, gaps), FillForm(text.english, gaps)};
}

// The level as the verdicts write it: "95.0", "99.9", "97.25".
std::string LevelText(const ConfidenceLevel& level) {
    const std::string number = LevelNumber(level);
    return number.find('.') == std::string::npos ? number + ".0" : number;
}

const JapaneseText& MethodText(TestMethod method) {
    switch (method) {
        case TestMethod::kPooled: return kPooledMethod;
        case TestMethod::kPaired: return kPairedMethod;
        case TestMethod::kWelch: break;
    }
    return kWelchMethod;
}

void WriteLine(std::ostream& out, const TextStyle& style, const LabelText& text) {
    WriteText(out, style, text.View());
    out << std::endl;
}

// p as the report writes it: below the smallest normal double, a bound.
std::string PText(const ExactNumber& p, int digits) {
    if (p.defined && !p.num.empty() && CompareExact(p, ExactOf(DBL_MIN)) < 0) {
        return "< " + NumberText(DBL_MIN, 2);
    }
    return StatisticText(p, digits);
}

std::string TText(const Comparison& c, int digits) {
    if (c.infiniteT != 0) return c.infiniteT < 0 ? "-inf" : "inf";
    return StatisticText(c.t, digits);
}

// The table: a row per sample with results, the baseline first.
struct TableLine {
    std::string name;  // UTF-8
    std::vector<std::string> cells;
};

std::vector<const StatisticRow*> TableColumns() {
    std::vector<const StatisticRow*> columns;
    const StatisticRows rows = Statistics();
    for (const char* key : kTableKeys) {
        for (const StatisticRow& row : rows) {
            if (std::string(row.key) == key) columns.push_back(&row);
        }
    }
    return columns;
}

void WriteTable(std::ostream& out, const ResultSets& sets, const Compared& compared,
                const std::vector<std::string>& names, const RunOptions& options) {
    const TextStyle& style = options.report;
    const bool english = style.form == TextForm::kEnglish;
    const std::vector<const StatisticRow*> columns = TableColumns();
    std::vector<std::size_t> order = {compared.baseline};
    for (const ComparedSample& s : compared.samples) order.push_back(s.set);
    std::vector<LabelText> heads;
    std::vector<std::size_t> widths;
    for (const StatisticRow* row : columns) {
        const LabelText label = LabelOf(ShownRow(*row), options);
        heads.push_back({BareLabel(label.shiftJis.c_str()), BareLabel(label.utf8.c_str()),
                         BareLabel(label.english.c_str())});
        widths.push_back(DisplayWidth(english ? heads.back().english : heads.back().utf8));
    }
    std::size_t nameWidth = 0;
    std::vector<TableLine> lines;
    for (const std::size_t i : order) {
        TableLine line{names[i], {}};
        nameWidth = std::max(nameWidth, DisplayWidth(line.name));
        for (std::size_t c = 0; c < columns.size(); ++c) {
            line.cells.push_back(ShownText(ShownRow(*columns[c]), sets[i], options.digits));
            widths[c] = std::max(widths[c], line.cells.back().size());
        }
        lines.push_back(std::move(line));
    }
    out << std::string(nameWidth, ' ');
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const std::size_t width = DisplayWidth(english ? heads[c].english : heads[c].utf8);
        out << std::string(2 + widths[c] - width, ' ');
        WriteText(out, style, heads[c].View());
    }
    out << std::endl;
    for (const TableLine& line : lines) {
        out << NameInStyle(line.name, style)
            << std::string(nameWidth - DisplayWidth(line.name), ' ');
        for (std::size_t c = 0; c < columns.size(); ++c) {
            out << std::string(2 + widths[c] - line.cells[c].size(), ' ') << line.cells[c];
        }
        out << std::endl;
    }
}

void WriteSample(std::ostream& out, const ComparedSample& sample, const std::string& name,
                 const std::string& baseline, const RunOptions& options) {
    const TextStyle& style = options.report;
    const int digits = options.digits;
    const Comparison& c = sample.result;
    const auto text = [digits](const ExactNumber& x) { return StatisticText(x, digits); };
    out << std::endl
        << NameInStyle(name, style) << " - " << NameInStyle(baseline, style) << std::endl;
    WriteLine(out, style,
              Filled(kDifferenceLine, {text(c.difference), text(c.interval.half),
                                       text(c.interval.low), text(c.interval.high)}));
    WriteLine(out, style,
              Filled(kPercentLine, {text(c.percent), text(c.percentInterval.half),
                                    text(c.percentInterval.low), text(c.percentInterval.high)}));
    LabelText test = Filled(kTestLine, {TText(c, digits), text(c.df), PText(c.p, digits)});
    // "p < 2.2e-308", not "p = < 2.2e-308".
    for (std::string* form : {&test.shiftJis, &test.utf8, &test.english}) {
        const std::size_t bound = form->rfind("= <");
        if (bound != std::string::npos) form->erase(bound, 2);
    }
    WriteLine(out, style, test);
    if (options.method == TestMethod::kPooled)
        out << "pooled s = " << text(c.pooledSd) << std::endl;
    WriteLine(out, style, VerdictText(VerdictOf(sample), options));
}

// The names of a set's parts: file, field, group.
constexpr int kNameParts = 3;

std::string NamePart(const ResultKey& key, int part) {
    if (part == 0) return key.file;
    return part == 1 ? key.field : key.group;
}

// A number of the machine rows: its text, or null in JSON where it has no
// finite value.
std::string RowNumber(const ExactNumber& x, int digits, Format format) {
    if (format == Format::kJson && !std::isfinite(NearestDouble(x))) return "null";
    return StatisticText(x, digits);
}

std::string RowNote(Verdict verdict) {
    switch (verdict) {
        case Verdict::kTooFew: return "too few values";
        case Verdict::kUnpaired: return "not paired";
        case Verdict::kNoResult: return "not a number";
        case Verdict::kDifferent:
        case Verdict::kNoDifference: break;
    }
    return {};
}

constexpr const char* kRowKeys[] = {"baseline",    "sample",
                                    "n",           "mean",
                                    "diff",        "diff_low",
                                    "diff_high",   "diff_percent",
                                    "percent_low", "percent_high",
                                    "t",           "df",
                                    "pooled_sd",   "p",
                                    "p_underflow", "method",
                                    "confidence",  "different",
                                    "note"};

std::vector<std::string> RowCells(const ResultSets& sets, const Compared& compared,
                                  const ComparedSample& sample,
                                  const std::vector<std::string>& names, const RunOptions& options,
                                  int digits) {
    const Format format = options.format;
    const Comparison& c = sample.result;
    const ResultSet& set = sets[sample.set];
    const auto number = [digits, format](const ExactNumber& x) {
        return RowNumber(x, digits, format);
    };
    const bool underflow =
        c.p.defined && !c.p.num.empty() && CompareExact(c.p, ExactOf(DBL_MIN)) < 0;
    std::string t = number(c.t);
    if (c.infiniteT != 0) t = format == Format::kJson ? "null" : (c.infiniteT < 0 ? "-inf" : "inf");
    const char* method = options.method == TestMethod::kWelch
                             ? "welch"
                             : (options.method == TestMethod::kPooled ? "pooled" : "paired");
    const Verdict verdict = VerdictOf(sample);
    return {MachineText(names[compared.baseline], format),
            MachineText(names[sample.set], format),
            std::to_string(set.count),
            number(set.exact.mean),
            number(c.difference),
            number(c.interval.low),
            number(c.interval.high),
            number(c.percent),
            number(c.percentInterval.low),
            number(c.percentInterval.high),
            t,
            number(c.df),
            number(c.pooledSd),
            underflow ? "0" : number(c.p),
            underflow ? "true" : "false",
            MachineText(method, format),
            LevelNumber(options.confidence),
            verdict == Verdict::kDifferent ? "true" : "false",
            MachineText(RowNote(verdict), format)};
}

}  // namespace

Verdict VerdictOf(const ComparedSample& sample) {
    if (sample.unpaired) return Verdict::kUnpaired;
    if (sample.result.tooFew) return Verdict::kTooFew;
    if (!sample.result.difference.defined) return Verdict::kNoResult;
    return sample.result.different ? Verdict::kDifferent : Verdict::kNoDifference;
}

LabelText VerdictText(Verdict verdict, const RunOptions& options) {
    const std::string level = LevelText(options.confidence);
    switch (verdict) {
        case Verdict::kDifferent: return Filled(kDifferentVerdict, {level});
        case Verdict::kNoDifference: return Filled(kNoDifferenceVerdict, {level});
        case Verdict::kTooFew: return Filled(kTooFewVerdict, {});
        case Verdict::kUnpaired: return Filled(kUnpairedVerdict, {});
        case Verdict::kNoResult: break;
    }
    return Filled(kNoResultVerdict, {});
}

std::vector<std::string> SampleNames(const ResultSets& sets) {
    // A part names the samples when it is not the same in all of them that
    // have results (a file that failed has no field).
    bool differs[kNameParts] = {false, false, false};
    const ResultSet* first = nullptr;
    for (const ResultSet& set : sets) {
        if (!set.error.empty()) continue;
        if (first == nullptr) first = &set;
        for (int part = 0; part < kNameParts; ++part) {
            differs[part] = differs[part] || NamePart(set.key, part) != NamePart(first->key, part);
        }
    }
    std::vector<std::string> names;
    for (const ResultSet& set : sets) {
        std::string name;
        for (int part = 0; part < kNameParts; ++part) {
            const std::string text = NamePart(set.key, part);
            if (!differs[part] || text.empty()) continue;
            name += (name.empty() ? "" : " / ") + text;
        }
        names.push_back(name.empty() ? set.key.file : name);
    }
    return names;
}

void WriteCompareReport(std::ostream& out, const std::vector<std::string>& dataNames,
                        const ResultSets& sets, const Compared& compared,
                        const RunOptions& options) {
    for (const std::string& name : dataNames) out << kDataFileLabel << name << std::endl;
    out << std::endl;
    const TextStyle& style = options.report;
    const JapaneseText& method = MethodText(options.method);
    const std::string level = LevelText(options.confidence);
    WriteLine(out, style,
              {FillForm(kCompareHeading.shiftJis, {method.shiftJis, level}),
               FillForm(kCompareHeading.utf8, {method.utf8, level}),
               FillForm(kCompareHeading.english, {method.english, level})});
    out << std::endl;
    const std::vector<std::string> names = SampleNames(sets);
    WriteTable(out, sets, compared, names, options);
    for (const ComparedSample& sample : compared.samples) {
        WriteSample(out, sample, names[sample.set], names[compared.baseline], options);
    }
}

void WriteCompareRows(std::ostream& out, const ResultSets& sets, const Compared& compared,
                      const RunOptions& options, int digits) {
    const std::vector<std::string> names = SampleNames(sets);
    const bool json = options.format == Format::kJson;
    const char separator = options.format == Format::kTsv ? '\t' : ',';
    if (!json) {
        for (const char* key : kRowKeys)
            out << (key == kRowKeys[0] ? "" : std::string(1, separator)) << key;
        out << '\n';
    }
    for (const ComparedSample& sample : compared.samples) {
        const std::vector<std::string> cells =
            RowCells(sets, compared, sample, names, options, digits);
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (json) {
                out << (i == 0 ? "{\"" : ", \"") << kRowKeys[i] << "\": " << cells[i];
            } else {
                out << (i == 0 ? "" : std::string(1, separator)) << cells[i];
            }
        }
        out << (json ? "}\n" : "\n");
    }
}

}  // namespace descstat
