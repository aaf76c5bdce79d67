#include "app/StatisticTable.h"

#include <iterator>

namespace descstat {

namespace {

constexpr CaptionLabel kCountCaption = {"n", "n"};
constexpr CaptionLabel kMeanCaption = {"\xE5\xB9\xB3\xE5\x9D\x87\xE5\x80\xA4", "Mean"};  // 平均値
constexpr CaptionLabel kUnbiasedSdCaption = {"SD(\xE4\xB8\x8D\xE5\x81\x8F\xE5\x88\x86\xE6\x95\xA3)",
                                             "SD (unbiased)"};  // SD(不偏分散)

// The count first: every machine row starts with it, and the summary block
// with it; the report's results block follows the table's order after it.
const StatisticRow kRows[] = {
    {"n", &kCountLabel, Block::kSummary, true, true, &kCountCaption,
     [](const ResultSet& s) { return ExactOf(s.count); }},
    {"mean", &kMeanLabel, Block::kResults, false, false, &kMeanCaption,
     [](const ResultSet& s) { return s.exact.mean; }},
    {"variance", &kVarianceLabel, Block::kResults, false, false, nullptr,
     [](const ResultSet& s) { return s.exact.variance; }},
    {"sd", &kSdLabel, Block::kResults, false, false, nullptr,
     [](const ResultSet& s) { return s.exact.sd; }},
    {"unbiased_variance", &kUnbiasedVarianceLabel, Block::kResults, false, false, nullptr,
     [](const ResultSet& s) { return s.exact.unbiasedVariance; }},
    {"unbiased_sd", &kUnbiasedSdLabel, Block::kResults, false, false, &kUnbiasedSdCaption,
     [](const ResultSet& s) { return s.exact.unbiasedSd; }},
    {"missing", &kMissingLabel, Block::kResults, true, false, nullptr,
     [](const ResultSet& s) { return ExactOf(static_cast<double>(s.missing)); }, true},
    {"min", &kMinimumLabel, Block::kSummary, false, false, nullptr,
     [](const ResultSet& s) { return s.summary.exact[0]; }},
    {"q1", &kFirstQuartileLabel, Block::kSummary, false, false, nullptr,
     [](const ResultSet& s) { return s.summary.exact[1]; }},
    {"median", &kMedianLabel, Block::kSummary, false, false, nullptr,
     [](const ResultSet& s) { return s.summary.exact[2]; }},
    {"q3", &kThirdQuartileLabel, Block::kSummary, false, false, nullptr,
     [](const ResultSet& s) { return s.summary.exact[3]; }},
    {"max", &kMaximumLabel, Block::kSummary, false, false, nullptr,
     [](const ResultSet& s) { return s.summary.exact[4]; }},
};

}  // namespace

StatisticRows Statistics() { return {std::begin(kRows), std::end(kRows)}; }

std::string BareLabel(const char* label) {
    std::string s = label;
    const std::size_t end = s.find_last_not_of(" =");
    return s.substr(0, end + 1);
}

bool Asked(const StatisticRow& row, const RunOptions& options) {
    return row.block == Block::kResults || options.summary;
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

}  // namespace descstat
