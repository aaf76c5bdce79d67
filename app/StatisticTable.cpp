#include "app/StatisticTable.h"

#include <cstring>
#include <iterator>

namespace descstat {

namespace {

constexpr CaptionLabel kCountCaption = {"n", "n"};
constexpr CaptionLabel kMeanCaption = {"\xE5\xB9\xB3\xE5\x9D\x87\xE5\x80\xA4", "Mean"};  // 平均値
constexpr CaptionLabel kUnbiasedSdCaption = {"SD(\xE4\xB8\x8D\xE5\x81\x8F\xE5\x88\x86\xE6\x95\xA3)",
                                             "SD (unbiased)"};  // SD(不偏分散)

ExactNumber CountOf(std::int64_t n) { return ExactOf(static_cast<double>(n)); }

// The count first: every machine row starts with it, and the summary block
// with it; the report's results block follows the table's order after it.
// The asked block's rows come last: only --statistics and --describe show
// them.
const StatisticRow kRows[] = {
    {"n", &kCountLabel, Block::kSummary, true, true, &kCountCaption,
     [](const ResultSet& s, std::size_t) { return CountOf(s.count); }},
    {"mean", &kMeanLabel, Block::kResults, false, false, &kMeanCaption,
     [](const ResultSet& s, std::size_t) { return s.exact.mean; }},
    {"variance", &kVarianceLabel, Block::kResults, false, false, nullptr,
     [](const ResultSet& s, std::size_t) { return s.exact.variance; }},
    {"sd", &kSdLabel, Block::kResults, false, false, nullptr,
     [](const ResultSet& s, std::size_t) { return s.exact.sd; }},
    {"unbiased_variance", &kUnbiasedVarianceLabel, Block::kResults, false, false, nullptr,
     [](const ResultSet& s, std::size_t) { return s.exact.unbiasedVariance; }},
    {"unbiased_sd", &kUnbiasedSdLabel, Block::kResults, false, false, &kUnbiasedSdCaption,
     [](const ResultSet& s, std::size_t) { return s.exact.unbiasedSd; }},
    {"missing", &kMissingLabel, Block::kResults, true, false, nullptr,
     [](const ResultSet& s, std::size_t) { return CountOf(s.missing); }, true},
    {"min", &kMinimumLabel, Block::kSummary, false, false, nullptr,
     [](const ResultSet& s, std::size_t) { return s.summary.exact[0]; }, false, kNeedSummary},
    {"q1", &kFirstQuartileLabel, Block::kSummary, false, false, nullptr,
     [](const ResultSet& s, std::size_t) { return s.summary.exact[1]; }, false, kNeedSummary},
    {"median", &kMedianLabel, Block::kSummary, false, false, nullptr,
     [](const ResultSet& s, std::size_t) { return s.summary.exact[2]; }, false, kNeedSummary},
    {"q3", &kThirdQuartileLabel, Block::kSummary, false, false, nullptr,
     [](const ResultSet& s, std::size_t) { return s.summary.exact[3]; }, false, kNeedSummary},
    {"max", &kMaximumLabel, Block::kSummary, false, false, nullptr,
     [](const ResultSet& s, std::size_t) { return s.summary.exact[4]; }, false, kNeedSummary},
    {"sum", &kSumLabel, Block::kAsked, false, false, nullptr,
     [](const ResultSet& s, std::size_t) { return s.more.sum; }},
    {"se", &kStandardErrorLabel, Block::kAsked, false, false, nullptr,
     [](const ResultSet& s, std::size_t) { return s.more.standardError; }},
    {"ci_low", &kCiLowLabel, Block::kAsked, false, false, nullptr,
     [](const ResultSet& s, std::size_t) { return s.more.interval.low; }, false, kNeedInterval,
     LabelGap::kLevel},
    {"ci_high", &kCiHighLabel, Block::kAsked, false, false, nullptr,
     [](const ResultSet& s, std::size_t) { return s.more.interval.high; }, false, kNeedInterval,
     LabelGap::kLevel},
    {"ci_half", &kCiHalfLabel, Block::kAsked, false, false, nullptr,
     [](const ResultSet& s, std::size_t) { return s.more.interval.half; }, false, kNeedInterval,
     LabelGap::kLevel},
    {"cv", &kVariationLabel, Block::kAsked, false, false, nullptr,
     [](const ResultSet& s, std::size_t) { return s.more.variation; }},
    {"range", &kRangeLabel, Block::kAsked, false, false, nullptr,
     [](const ResultSet& s, std::size_t) { return s.more.range; }, false, kNeedSummary},
    {"iqr", &kIqrLabel, Block::kAsked, false, false, nullptr,
     [](const ResultSet& s, std::size_t) { return s.more.interquartileRange; }, false,
     kNeedSummary},
    {"mad", &kMadLabel, Block::kAsked, false, false, nullptr,
     [](const ResultSet& s, std::size_t) { return s.more.medianDeviation; }, false, kNeedSorted},
    {"mode", &kModeLabel, Block::kAsked, false, false, nullptr,
     [](const ResultSet& s, std::size_t) { return s.more.mode; }, false, kNeedSorted},
    {"mode_count", &kModeCountLabel, Block::kAsked, true, false, nullptr,
     [](const ResultSet& s, std::size_t) { return CountOf(s.more.modeCount); }, false, kNeedSorted},
    {"skewness", &kSkewnessLabel, Block::kAsked, false, false, nullptr,
     [](const ResultSet& s, std::size_t) { return s.more.skewness; }, false, kNeedPowers},
    {"kurtosis", &kKurtosisLabel, Block::kAsked, false, false, nullptr,
     [](const ResultSet& s, std::size_t) { return s.more.kurtosis; }, false, kNeedPowers},
    {"p", &kPercentileLabel, Block::kAsked, false, false, nullptr,
     [](const ResultSet& s, std::size_t part) {
         return part < s.more.percentiles.size() ? s.more.percentiles[part] : ExactNumber{};
     },
     false, kNeedNothing, LabelGap::kPercentile},
};

// Keys that stand for several rows.
struct KeyAlias {
    const char* key;
    const char* rows[2];
};
constexpr KeyAlias kAliases[] = {{"ci", {"ci_low", "ci_high"}}, {"mode", {"mode", "mode_count"}}};

// The row of a key, or null; the percentile row is no key of its own.
const StatisticRow* RowOf(const std::string& key) {
    for (const StatisticRow& row : kRows) {
        if (key == row.key && key != "p") return &row;
    }
    return nullptr;
}

std::size_t PlaceOf(const StatisticRow* row) { return static_cast<std::size_t>(row - kRows); }

// pN: N a decimal from 0 to 100 with at most seven places (the probability
// N/100 then has at most nine), as written but without trailing zeros
// after the point, and its probability.
bool ParsePercentile(const std::string& key, std::string& number, Probability& p) {
    if (key.size() < 2 || key[0] != 'p') return false;
    const std::string text = key.substr(1);
    std::uint64_t whole = 0;
    std::size_t i = 0;
    std::size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        whole = whole * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (whole > 100) return false;
    }
    if (digits == 0) return false;
    std::string places;
    if (i < text.size() && text[i] == '.') {
        places = text.substr(i + 1);
        if (places.empty() || places.size() > 7 ||
            places.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        i = text.size();
    }
    if (i != text.size()) return false;
    while (!places.empty() && places.back() == '0') places.pop_back();
    std::uint64_t numerator = whole;
    std::uint64_t denominator = 100;
    for (const char c : places) {
        numerator = numerator * 10 + static_cast<std::uint64_t>(c - '0');
        denominator *= 10;
    }
    if (numerator > denominator) return false;
    number = std::to_string(whole) + (places.empty() ? "" : "." + places);
    p = {static_cast<std::uint32_t>(numerator), static_cast<std::uint32_t>(denominator)};
    return true;
}

// `text` with its @ replaced.
std::string Filled(const char* text, const std::string& gap) {
    std::string s = text;
    const std::size_t at = s.find('@');
    if (at != std::string::npos) s.replace(at, 1, gap);
    return s;
}

}  // namespace

std::string LevelNumber(const ConfidenceLevel& level) {
    std::string digits = std::to_string(level.numerator);
    std::size_t places = 0;
    for (std::uint64_t d = level.denominator; d > 1; d /= 10) ++places;
    if (digits.size() <= places) digits.insert(0, places + 1 - digits.size(), '0');
    std::string text = digits.substr(0, digits.size() - places);
    std::string fraction = digits.substr(digits.size() - places);
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    return fraction.empty() ? text : text + "." + fraction;
}

const char* const kDescribeList =
    "n,missing,mean,se,median,mode,unbiased_sd,unbiased_variance,kurtosis,skewness,range,min,q1,"
    "q3,max,sum,ci,ci_half";

StatisticRows Statistics() { return {std::begin(kRows), std::end(kRows)}; }

std::string BareLabel(const char* label) {
    std::string s = label;
    const std::size_t end = s.find_last_not_of(" =");
    return s.substr(0, end + 1);
}

bool Asked(const StatisticRow& row, const RunOptions& options) {
    return row.block == Block::kResults || (row.block == Block::kSummary && options.summary);
}

bool Has(const StatisticRow& row, const ResultSet& set) {
    return !row.tableOnly || (set.key.table && (set.key.named || set.missing > 0));
}

std::string EnglishLabels(Block block) {
    std::string list;
    for (const StatisticRow& row : Statistics()) {
        if (row.block != block || row.tableOnly) continue;
        if (!list.empty()) list += ", ";
        list += BareLabel(row.label->english);
    }
    return list;
}

std::vector<ShownStatistic> AskedRows(const RunOptions& options) {
    std::vector<ShownStatistic> rows;
    rows.reserve(options.statistics.size());
    for (const AskedStatistic& asked : options.statistics) {
        rows.push_back({&kRows[asked.row], asked.number, asked.percentile});
    }
    return rows;
}

ShownStatistic ShownRow(const StatisticRow& row) { return {&row, std::string(), 0}; }

std::string KeyOf(const ShownStatistic& shown) {
    return shown.row->gap == LabelGap::kPercentile ? "p" + shown.number : shown.row->key;
}

LabelText LabelOf(const ShownStatistic& shown, const RunOptions& options) {
    const JapaneseText& label = *shown.row->label;
    std::string japanese = shown.number;
    std::string english = shown.number;
    if (shown.row->gap == LabelGap::kLevel) {
        english = LevelNumber(options.confidence);
        japanese = english.find('.') == std::string::npos ? english + ".0%" : english + "%";
        english += "%";
    } else if (shown.row->gap == LabelGap::kPercentile) {
        // 2.5th, 1st, 22nd, 13th: the ordinal of the number's last digit.
        const std::string& n = shown.number;
        const char last = n.back();
        const bool teen =
            n.find('.') == std::string::npos && n.size() >= 2 && n[n.size() - 2] == '1';
        const char* suffix = "th";
        if (n.find('.') == std::string::npos && !teen) {
            if (last == '1') suffix = "st";
            if (last == '2') suffix = "nd";
            if (last == '3') suffix = "rd";
        }
        english = n + suffix;
    }
    // Without the blanks that line up the results block's first labels.
    const auto form = [](const char* text, const std::string& gap) {
        return Filled(BareLabel(text).c_str(), gap) + " = ";
    };
    return {form(label.shiftJis, japanese), form(label.utf8, japanese),
            form(label.english, english)};
}

ExactNumber ValueOf(const ShownStatistic& shown, const ResultSet& set) {
    return shown.row->of(set, shown.part);
}

bool ParseStatistics(const std::string& list, std::vector<AskedStatistic>& asked,
                     std::string& bad) {
    std::size_t percentiles = 0;
    for (const AskedStatistic& a : asked) {
        if (kRows[a.row].gap == LabelGap::kPercentile) ++percentiles;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = list.find(',', start);
        const std::string key = list.substr(start, end == std::string::npos ? end : end - start);
        std::string number;
        Probability p{};
        const KeyAlias* alias = nullptr;
        for (const KeyAlias& a : kAliases) {
            if (key == a.key) alias = &a;
        }
        if (alias != nullptr) {
            for (const char* name : alias->rows) asked.push_back({PlaceOf(RowOf(name)), "", 0});
        } else if (const StatisticRow* row = RowOf(key)) {
            asked.push_back({PlaceOf(row), std::string(), 0});
        } else if (ParsePercentile(key, number, p)) {
            asked.push_back({PlaceOf(&kRows[std::size(kRows) - 1]), number, percentiles++,
                             p.numerator, p.denominator});
        } else {
            bad = key;
            return false;
        }
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}

std::string StatisticKeys() {
    std::string keys;
    for (const StatisticRow& row : kRows) {
        if (!keys.empty()) keys += ", ";
        keys += std::strcmp(row.key, "p") == 0 ? "pN" : row.key;
    }
    keys += ", ci";
    return keys;
}

bool ParseConfidence(const std::string& text, ConfidenceLevel& level) {
    std::uint64_t numerator = 0;
    std::uint64_t denominator = 1;
    std::size_t i = 0;
    std::size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        numerator = numerator * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (numerator >= 100) return false;
    }
    if (digits == 0) return false;
    if (i < text.size() && text[i] == '.') {
        std::size_t places = 0;
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++places) {
            if (places == 9) return false;
            numerator = numerator * 10 + static_cast<std::uint64_t>(text[i] - '0');
            denominator *= 10;
        }
        if (places == 0) return false;
    }
    if (i != text.size() || numerator == 0) return false;
    while (denominator > 1 && numerator % 10 == 0) {
        numerator /= 10;
        denominator /= 10;
    }
    level = {numerator, denominator};
    return true;
}

MoreRequest RequestOf(const RunOptions& options) {
    MoreRequest request;
    request.level = options.confidence;
    for (const AskedStatistic& asked : options.statistics) {
        const StatisticRow& row = kRows[asked.row];
        request.needs |= row.needs;
        if (row.gap == LabelGap::kPercentile) {
            request.probabilities.push_back({asked.numerator, asked.denominator});
        }
    }
    return request;
}

}  // namespace descstat
