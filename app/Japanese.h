// The Japanese texts of the console and the report, in the two encodings the
// program writes: Shift_JIS (code page 932), the default everywhere, and UTF-8,
// for a report asked for in UTF-8 or a UTF-8 terminal; and each one's English
// rendering in ASCII, for --language=en and for a screen that cannot show
// Japanese. The Shift_JIS bytes are the program's own and never change. An
// English label keeps its Japanese label's place: the first three are padded
// alike, so that their values line up as the Japanese ones do.
#ifndef DESCSTAT_JAPANESE_H
#define DESCSTAT_JAPANESE_H

namespace descstat {

// The encoding of the report's Japanese text.
enum class Encoding { kShiftJis, kUtf8 };

// The language of the report's labels and the closing lines.
enum class Language { kJapanese, kEnglish };

// One text as NUL-terminated bytes: Japanese in each encoding, and English.
struct JapaneseText {
    const char* shiftJis;
    const char* utf8;
    const char* english;
};

// データ...
constexpr JapaneseText kListingHeading = {"\x83\x66\x81\x5B\x83\x5E...",
                                          "\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF...", "Data..."};
// 計算終了。
constexpr JapaneseText kFinished = {"\x8C\x76\x8E\x5A\x8F\x49\x97\xB9\x81\x42",
                                    "\xE8\xA8\x88\xE7\xAE\x97\xE7\xB5\x82\xE4\xBA\x86\xE3\x80\x82",
                                    "Calculation finished."};
// 何か文字キーを押してからEnterキーを押して下さい。
constexpr JapaneseText kFinishedKeyRequest = {
    "\x89\xBD\x82\xA9\x95\xB6\x8E\x9A\x83\x4C\x81\x5B\x82\xF0\x89\x9F\x82\xB5\x82\xC4\x82\xA9"
    "\x82\xE7"
    "Enter"
    "\x83\x4C\x81\x5B\x82\xF0\x89\x9F\x82\xB5\x82\xC4\x89\xBA\x82\xB3\x82\xA2\x81\x42",
    "\xE4\xBD\x95\xE3\x81\x8B\xE6\x96\x87\xE5\xAD\x97\xE3\x82\xAD\xE3\x83\xBC\xE3\x82\x92\xE6"
    "\x8A\xBC\xE3\x81\x97\xE3\x81\xA6\xE3\x81\x8B\xE3\x82\x89"
    "Enter"
    "\xE3\x82\xAD\xE3\x83\xBC\xE3\x82\x92\xE6\x8A\xBC\xE3\x81\x97\xE3\x81\xA6\xE4\xB8\x8B\xE3"
    "\x81\x95\xE3\x81\x84\xE3\x80\x82",
    "Press down any character key, then press Enter key."};

// Result labels; the first three are padded so that their values line up.
// 平均値 =
constexpr JapaneseText kMeanLabel = {
    "\x95\xBD\x8B\xCF\x92\x6C = ", "\xE5\xB9\xB3\xE5\x9D\x87\xE5\x80\xA4 = ", "Mean     = "};
// 分散   =
constexpr JapaneseText kVarianceLabel = {
    "\x95\xAA\x8E\x55   = ", "\xE5\x88\x86\xE6\x95\xA3   = ", "Variance = "};
constexpr JapaneseText kSdLabel = {"SD     = ", "SD     = ", "SD       = "};
// 不偏分散 =
constexpr JapaneseText kUnbiasedVarianceLabel = {
    "\x95\x73\x95\xCE\x95\xAA\x8E\x55 = ", "\xE4\xB8\x8D\xE5\x81\x8F\xE5\x88\x86\xE6\x95\xA3 = ",
    "Unbiased variance = "};
// SD(不偏分散) =
constexpr JapaneseText kUnbiasedSdLabel = {
    "SD(\x95\x73\x95\xCE\x95\xAA\x8E\x55) = ",
    "SD(\xE4\xB8\x8D\xE5\x81\x8F\xE5\x88\x86\xE6\x95\xA3) = ", "SD(unbiased variance) = "};

// Summary labels.
// 個数 =
constexpr JapaneseText kCountLabel = {
    "\x8C\xC2\x90\x94 = ", "\xE5\x80\x8B\xE6\x95\xB0 = ", "Count = "};
// 最小値 =
constexpr JapaneseText kMinimumLabel = {
    "\x8D\xC5\x8F\xAC\x92\x6C = ", "\xE6\x9C\x80\xE5\xB0\x8F\xE5\x80\xA4 = ", "Minimum = "};
// 第1四分位数 =
constexpr JapaneseText kFirstQuartileLabel = {
    "\x91\xE6"
    "1\x8E\x6C\x95\xAA\x88\xCA\x90\x94 = ",
    "\xE7\xAC\xAC"
    "1\xE5\x9B\x9B\xE5\x88\x86\xE4\xBD\x8D\xE6\x95\xB0 = ",
    "First quartile = "};
// 中央値 =
constexpr JapaneseText kMedianLabel = {
    "\x92\x86\x89\x9B\x92\x6C = ", "\xE4\xB8\xAD\xE5\xA4\xAE\xE5\x80\xA4 = ", "Median = "};
// 第3四分位数 =
constexpr JapaneseText kThirdQuartileLabel = {
    "\x91\xE6"
    "3\x8E\x6C\x95\xAA\x88\xCA\x90\x94 = ",
    "\xE7\xAC\xAC"
    "3\xE5\x9B\x9B\xE5\x88\x86\xE4\xBD\x8D\xE6\x95\xB0 = ",
    "Third quartile = "};
// 最大値 =
constexpr JapaneseText kMaximumLabel = {
    "\x8D\xC5\x91\xE5\x92\x6C = ", "\xE6\x9C\x80\xE5\xA4\xA7\xE5\x80\xA4 = ", "Maximum = "};

// The histogram's heading, and the line that counts the values that are no
// numbers.
// 度数分布
constexpr JapaneseText kHistogramHeading = {"\x93\x78\x90\x94\x95\xAA\x95\x7A",
                                            "\xE5\xBA\xA6\xE6\x95\xB0\xE5\x88\x86\xE5\xB8\x83",
                                            "Histogram"};
// 数値でない値 =
constexpr JapaneseText kNotNumbersLabel = {
    "\x90\x94\x92\x6C\x82\xC5\x82\xC8\x82\xA2\x92\x6C = ",
    "\xE6\x95\xB0\xE5\x80\xA4\xE3\x81\xA7\xE3\x81\xAA\xE3\x81\x84\xE5\x80\xA4 = ",
    "Not numbers = "};

// A table's result sets: the field and the group a result set is of, and
// the cells without a value.
// 項目 =
constexpr JapaneseText kFieldLabel = {
    "\x8D\x80\x96\xDA = ", "\xE9\xA0\x85\xE7\x9B\xAE = ", "Field = "};
// グループ =
constexpr JapaneseText kGroupLabel = {
    "\x83\x4F\x83\x8B\x81\x5B\x83\x76 = ", "\xE3\x82\xB0\xE3\x83\xAB\xE3\x83\xBC\xE3\x83\x97 = ",
    "Group = "};
// 欠損値 =
constexpr JapaneseText kMissingLabel = {
    "\x8C\x87\x91\xB9\x92\x6C = ", "\xE6\xAC\xA0\xE6\x90\x8D\xE5\x80\xA4 = ", "Missing = "};

// The statistics asked for by --statistics and --describe. An @ stands for
// the confidence level ("95.0%") or the percentile's number ("2.5").
// 合計 =
constexpr JapaneseText kSumLabel = {"\x8D\x87\x8C\x76 = ", "\xE5\x90\x88\xE8\xA8\x88 = ", "Sum = "};
// 標準誤差 =
constexpr JapaneseText kStandardErrorLabel = {
    "\x95\x57\x8F\x80\x8C\xEB\x8D\xB7 = ", "\xE6\xA8\x99\xE6\xBA\x96\xE8\xAA\xA4\xE5\xB7\xAE = ",
    "Standard error = "};
// 信頼区間 下限 (@) =
constexpr JapaneseText kCiLowLabel = {
    "\x90\x4D\x97\x8A\x8B\xE6\x8A\xD4 \x89\xBA\x8C\xC0 (@) = ",
    "\xE4\xBF\xA1\xE9\xA0\xBC\xE5\x8C\xBA\xE9\x96\x93 \xE4\xB8\x8B\xE9\x99\x90 (@) = ",
    "@ CI lower = "};
// 信頼区間 上限 (@) =
constexpr JapaneseText kCiHighLabel = {
    "\x90\x4D\x97\x8A\x8B\xE6\x8A\xD4 \x8F\xE3\x8C\xC0 (@) = ",
    "\xE4\xBF\xA1\xE9\xA0\xBC\xE5\x8C\xBA\xE9\x96\x93 \xE4\xB8\x8A\xE9\x99\x90 (@) = ",
    "@ CI upper = "};
// 信頼度 (@) =
constexpr JapaneseText kCiHalfLabel = {
    "\x90\x4D\x97\x8A\x93\x78 (@) = ", "\xE4\xBF\xA1\xE9\xA0\xBC\xE5\xBA\xA6 (@) = ",
    "@ CI half-width = "};
// 変動係数 =
constexpr JapaneseText kVariationLabel = {
    "\x95\xCF\x93\xAE\x8C\x57\x90\x94 = ", "\xE5\xA4\x89\xE5\x8B\x95\xE4\xBF\x82\xE6\x95\xB0 = ",
    "Coefficient of variation = "};
// 範囲 =
constexpr JapaneseText kRangeLabel = {
    "\x94\xCD\x88\xCD = ", "\xE7\xAF\x84\xE5\x9B\xB2 = ", "Range = "};
// 四分位範囲 =
constexpr JapaneseText kIqrLabel = {
    "\x8E\x6C\x95\xAA\x88\xCA\x94\xCD\x88\xCD = ",
    "\xE5\x9B\x9B\xE5\x88\x86\xE4\xBD\x8D\xE7\xAF\x84\xE5\x9B\xB2 = ", "Interquartile range = "};
// 中央絶対偏差 =
constexpr JapaneseText kMadLabel = {
    "\x92\x86\x89\x9B\x90\xE2\x91\xCE\x95\xCE\x8D\xB7 = ",
    "\xE4\xB8\xAD\xE5\xA4\xAE\xE7\xB5\xB6\xE5\xAF\xBE\xE5\x81\x8F\xE5\xB7\xAE = ",
    "Median absolute deviation = "};
// 最頻値 =
constexpr JapaneseText kModeLabel = {
    "\x8D\xC5\x95\x70\x92\x6C = ", "\xE6\x9C\x80\xE9\xA0\xBB\xE5\x80\xA4 = ", "Mode = "};
// 最頻値の度数 =
constexpr JapaneseText kModeCountLabel = {
    "\x8D\xC5\x95\x70\x92\x6C\x82\xCC\x93\x78\x90\x94 = ",
    "\xE6\x9C\x80\xE9\xA0\xBB\xE5\x80\xA4\xE3\x81\xAE\xE5\xBA\xA6\xE6\x95\xB0 = ", "Mode count = "};
// 歪度 =
constexpr JapaneseText kSkewnessLabel = {
    "\x98\x63\x93\x78 = ", "\xE6\xAD\xAA\xE5\xBA\xA6 = ", "Skewness = "};
// 尖度 =
constexpr JapaneseText kKurtosisLabel = {
    "\x90\xEB\x93\x78 = ", "\xE5\xB0\x96\xE5\xBA\xA6 = ", "Kurtosis = "};
// @ パーセンタイル =
constexpr JapaneseText kPercentileLabel = {
    "@ \x83\x70\x81\x5B\x83\x5A\x83\x93\x83\x5E\x83\x43\x83\x8B = ",
    "@ \xE3\x83\x91\xE3\x83\xBC\xE3\x82\xBB\xE3\x83\xB3\xE3\x82\xBF\xE3\x82\xA4\xE3\x83\xAB = ",
    "@ percentile = "};

// The compare run's texts (CompareReport.h); @ stands for a number or a name.
// 比較: @, @% 信頼水準
constexpr JapaneseText kCompareHeading = {
    "\x94\xE4\x8A\x72: @, @% \x90\x4D\x97\x8A\x90\x85\x8F\x80",
    "\xE6\xAF\x94\xE8\xBC\x83: @, @% \xE4\xBF\xA1\xE9\xA0\xBC\xE6\xB0\xB4\xE6\xBA\x96",
    "Comparison: @, @% confidence"};
// Welch の t 検定
constexpr JapaneseText kWelchMethod = {"Welch \x82\xCC t \x8C\x9F\x92\xE8",
                                       "Welch \xE3\x81\xAE t \xE6\xA4\x9C\xE5\xAE\x9A",
                                       "Welch's t-test"};
// Student の t 検定 (プールした SD)
constexpr JapaneseText kPooledMethod = {
    "Student \x82\xCC t \x8C\x9F\x92\xE8 (\x83\x76\x81\x5B\x83\x8B\x82\xB5\x82\xBD SD)",
    "Student \xE3\x81\xAE t \xE6\xA4\x9C\xE5\xAE\x9A "
    "(\xE3\x83\x97\xE3\x83\xBC\xE3\x83\xAB\xE3\x81\x97\xE3\x81\x9F SD)",
    "Student's t-test, pooled SD"};
// 対応のある t 検定
constexpr JapaneseText kPairedMethod = {
    "\x91\xCE\x89\x9E\x82\xCC\x82\xA0\x82\xE9 t \x8C\x9F\x92\xE8",
    "\xE5\xAF\xBE\xE5\xBF\x9C\xE3\x81\xAE\xE3\x81\x82\xE3\x82\x8B t \xE6\xA4\x9C\xE5\xAE\x9A",
    "paired t-test"};
// 差 = @ ± @ [@, @]
constexpr JapaneseText kDifferenceLine = {"\x8D\xB7 = @ \x81\x7D @ [@, @]",
                                          "\xE5\xB7\xAE = @ \xC2\xB1 @ [@, @]",
                                          "Difference = @ +/- @ [@, @]"};
// 差の割合 = @% ± @% [@%, @%]
constexpr JapaneseText kPercentLine = {
    "\x8D\xB7\x82\xCC\x8A\x84\x8D\x87 = @% \x81\x7D @% [@%, @%]",
    "\xE5\xB7\xAE\xE3\x81\xAE\xE5\x89\xB2\xE5\x90\x88 = @% \xC2\xB1 @% [@%, @%]",
    "Difference in percent = @% +/- @% [@%, @%]"};
// t = @, 自由度 = @, p = @
constexpr JapaneseText kTestLine = {"t = @, \x8E\xA9\x97\x52\x93\x78 = @, p = @",
                                    "t = @, \xE8\x87\xAA\xE7\x94\xB1\xE5\xBA\xA6 = @, p = @",
                                    "t = @, df = @, p = @"};
// 差がある (@% 信頼水準)
constexpr JapaneseText kDifferentVerdict = {
    "\x8D\xB7\x82\xAA\x82\xA0\x82\xE9 (@% \x90\x4D\x97\x8A\x90\x85\x8F\x80)",
    "\xE5\xB7\xAE\xE3\x81\x8C\xE3\x81\x82\xE3\x82\x8B (@% "
    "\xE4\xBF\xA1\xE9\xA0\xBC\xE6\xB0\xB4\xE6\xBA\x96)",
    "Difference at @% confidence"};
// 差があるとは言えない (@% 信頼水準)
constexpr JapaneseText kNoDifferenceVerdict = {
    "\x8D\xB7\x82\xAA\x82\xA0\x82\xE9\x82\xC6\x82\xCD\x8C\xBE\x82\xA6\x82\xC8\x82\xA2 (@% "
    "\x90\x4D\x97\x8A\x90\x85\x8F\x80)",
    "\xE5\xB7\xAE\xE3\x81\x8C\xE3\x81\x82\xE3\x82\x8B\xE3\x81\xA8\xE3\x81\xAF\xE8\xA8\x80\xE3\x81"
    "\x88\xE3\x81\xAA\xE3\x81\x84 (@% \xE4\xBF\xA1\xE9\xA0\xBC\xE6\xB0\xB4\xE6\xBA\x96)",
    "No difference proven at @% confidence"};
// 値が少なすぎる (2 個未満)
constexpr JapaneseText kTooFewVerdict = {
    "\x92\x6C\x82\xAA\x8F\xAD\x82\xC8\x82\xB7\x82\xAC\x82\xE9 (2 \x8C\xC2\x96\xA2\x96\x9E)",
    "\xE5\x80\xA4\xE3\x81\x8C\xE5\xB0\x91\xE3\x81\xAA\xE3\x81\x99\xE3\x81\x8E\xE3\x82\x8B (2 "
    "\xE5\x80\x8B\xE6\x9C\xAA\xE6\xBA\x80)",
    "Too few values (fewer than 2)"};
// 対にできない: 個数が異なるか欠損値がある
constexpr JapaneseText kUnpairedVerdict = {
    "\x91\xCE\x82\xC9\x82\xC5\x82\xAB\x82\xC8\x82\xA2: "
    "\x8C\xC2\x90\x94\x82\xAA\x88\xD9\x82\xC8\x82\xE9\x82\xA9\x8C\x87\x91\xB9\x92\x6C\x82\xAA\x82"
    "\xA0\x82\xE9",
    "\xE5\xAF\xBE\xE3\x81\xAB\xE3\x81\xA7\xE3\x81\x8D\xE3\x81\xAA\xE3\x81\x84: "
    "\xE5\x80\x8B\xE6\x95\xB0\xE3\x81\x8C\xE7\x95\xB0\xE3\x81\xAA\xE3\x82\x8B\xE3\x81\x8B\xE6\xAC"
    "\xA0\xE6\x90\x8D\xE5\x80\xA4\xE3\x81\x8C\xE3\x81\x82\xE3\x82\x8B",
    "Not paired: the counts differ or a cell is missing"};
// 結果なし: 数値でない値がある
constexpr JapaneseText kNoResultVerdict = {
    "\x8C\x8B\x89\xCA\x82\xC8\x82\xB5: "
    "\x90\x94\x92\x6C\x82\xC5\x82\xC8\x82\xA2\x92\x6C\x82\xAA\x82\xA0\x82\xE9",
    "\xE7\xB5\x90\xE6\x9E\x9C\xE3\x81\xAA\xE3\x81\x97: "
    "\xE6\x95\xB0\xE5\x80\xA4\xE3\x81\xA7\xE3\x81\xAA\xE3\x81\x84\xE5\x80\xA4\xE3\x81\x8C\xE3\x81"
    "\x82\xE3\x82\x8B",
    "No result: a value is not a number"};

// Every Japanese text, so that a check can walk them all.
constexpr const JapaneseText* kJapaneseTexts[] = {
    &kListingHeading,
    &kFinished,
    &kFinishedKeyRequest,
    &kMeanLabel,
    &kVarianceLabel,
    &kSdLabel,
    &kUnbiasedVarianceLabel,
    &kUnbiasedSdLabel,
    &kCountLabel,
    &kMinimumLabel,
    &kFirstQuartileLabel,
    &kMedianLabel,
    &kThirdQuartileLabel,
    &kMaximumLabel,
    &kHistogramHeading,
    &kNotNumbersLabel,
    &kFieldLabel,
    &kGroupLabel,
    &kMissingLabel,
    &kSumLabel,
    &kStandardErrorLabel,
    &kCiLowLabel,
    &kCiHighLabel,
    &kCiHalfLabel,
    &kVariationLabel,
    &kRangeLabel,
    &kIqrLabel,
    &kMadLabel,
    &kModeLabel,
    &kModeCountLabel,
    &kSkewnessLabel,
    &kKurtosisLabel,
    &kPercentileLabel,
    &kCompareHeading,
    &kWelchMethod,
    &kPooledMethod,
    &kPairedMethod,
    &kDifferenceLine,
    &kPercentLine,
    &kTestLine,
    &kDifferentVerdict,
    &kNoDifferenceVerdict,
    &kTooFewVerdict,
    &kUnpairedVerdict,
    &kNoResultVerdict,
};

}  // namespace descstat

#endif  // DESCSTAT_JAPANESE_H
