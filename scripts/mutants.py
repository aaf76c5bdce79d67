#!/usr/bin/env python3
"""Mutation testing: makes each plausible bug of the table below in a scratch
copy of the tree, builds it and runs the tests without valgrind; a mutant that
every test passes has survived. Prints one line per mutant and the share
caught. Not part of CI (about 40 s per mutant).

Usage: scripts/mutants.py [--only SUBSTRING]... [--jobs N]
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

# (name, file, text in the file, the text that replaces it)
MUTANTS = [
    # Report statistics.
    ("a negative cube added as positive", "app/DecimalSums.cpp",
     "AddLimbs(b.cube, 4, cube, 3, d.m < 0);", "AddLimbs(b.cube, 4, cube, 3, false);"),
    ("fourth power's middle limb not doubled", "app/DecimalSums.cpp",
     "(lh >> kLimbBits) * 2 +", "(lh >> kLimbBits) +"),
    ("skewness with n² for n(n - 1)", "app/MoreStatistics.cpp",
     "Multiply(Natural(count * (count - 1)), Multiply(cubes.magnitude, cubes.magnitude))",
     "Multiply(Natural(count * count), Multiply(cubes.magnitude, cubes.magnitude))"),
    ("kurtosis with 3n for 3(n - 1)", "app/MoreStatistics.cpp",
     "Multiply(Natural(3 * (count - 1)), scatterSquared)", "Multiply(Natural(3 * count), scatterSquared)"),
    ("the largest mode on a tie", "app/MoreStatistics.cpp", "if (j - i > best) {", "if (j - i >= best) {"),
    ("median deviation bisects the wrong way", "app/MoreStatistics.cpp",
     "if (CompareExact(below(i), above(k - i)) < 0) {", "if (CompareExact(below(i), above(k - i)) > 0) {"),
    ("radix sort leaves the buckets unsorted", "app/MoreStatistics.cpp",
     "RadixSort(v + begin, end[b] - begin, low);", "(void)low;"),
    ("standard error over n - 1", "app/MoreStatistics.cpp",
     "Multiply(unbiasedVariance.den, Natural(static_cast<std::uint64_t>(n))));",
     "Multiply(unbiasedVariance.den, Natural(static_cast<std::uint64_t>(n - 1))));"),
    ("coefficient of variation loses its sign", "app/MoreStatistics.cpp",
     "                        mean.negative);", "                        false);"),
    ("t quantile at the lower tail", "app/StudentT.cpp",
     "F(100 * level.denominator + level.numerator)", "F(100 * level.denominator - level.numerator)"),
    ("an eighth decimal of a percentile taken", "app/StatisticTable.cpp",
     "places.size() > 7 ||", "places.size() > 8 ||"),
    ("the Japanese level without its .0", "app/StatisticTable.cpp",
     'japanese = english.find(\'.\') == std::string::npos ? english + ".0%" : english + "%";',
     'japanese = english + "%";'),
    ("a level of 100 accepted", "app/StatisticTable.cpp",
     "if (numerator >= 100) return false;", "if (numerator > 100) return false;"),
    ("ci alias gives one end", "app/StatisticTable.cpp",
     '{{"ci", {"ci_low", "ci_high"}}', '{{"ci", {"ci_low", "ci_low"}}'),
    ("Welch's degrees of freedom over n, not n - 1", "app/Comparison.cpp",
     "Divided(Product(va, va), na - 1)", "Divided(Product(va, va), na)"),
    ("p from one tail", "app/StudentT.cpp", "const F p = 2 * cdf(", "const F p = cdf("),
    ("pooled variance over n + n", "app/Comparison.cpp", "                                   na + nb - 2);",
     "                                   na + nb);"),
    ("the asked block without its empty line", "app/Report.cpp",
     "                     const ReportFormat& format) {\n    report << std::endl;\n    for (const ShownStatistic& shown",
     "                     const ReportFormat& format) {\n    for (const ShownStatistic& shown"),
    # Tables.
    ("a set's mean marked at its median", "app/Plot.cpp",
     "DataValue(set.results.mean));", "DataValue(set.summary.median));"),
    ("Shift_JIS second byte taken as a separator", "app/Table.cpp",
     "i += shiftJis && IsShiftJisLead(row[i]) ? 2 : 1;", "i += 1;"),
    ("header line without numbers below", "app/Table.cpp",
     "if (numbers > 0 && numbers >= texts) return true;", "if (numbers >= texts) return true;"),
    ("NA read as a text, not missing", "app/Table.cpp",
     "if (i >= cells.size() || IsMissingCell(cells[i])) {", "if (i >= cells.size()) {"),
    ("R's row names read as a column", "app/Table.cpp",
     "const bool rowNames = i == 0 && names && columns[0].raw.empty() && count > 1;",
     "const bool rowNames = false;"),
    ("an older option loses its prefix", "app/CommandLine.cpp",
     "if (matches > 1 && olderMatches == 1) found = older;", ""),
    # The summary's selection and its zeros, through the quantiles.
    ("quantile position from n, not n - 1", "app/Quantiles.cpp",
     "static_cast<std::uint64_t>(n - 1) * p.numerator", "static_cast<std::uint64_t>(n) * p.numerator"),
    ("quantile position in 32 bits", "app/Quantiles.cpp",
     "static_cast<std::uint64_t>(n - 1) * p.numerator", "static_cast<std::uint32_t>(n - 1) * p.numerator"),
    ("next order statistic one short", "app/Quantiles.cpp", "values + upTo + 1);", "values + upTo);"),
    ("whole quantile keeps a negative zero", "app/Quantiles.cpp",
     "quantiles[i] = here + 0.0;", "quantiles[i] = here;"),
    ("upper positions selected from the middle on", "app/Quantiles.cpp",
     "SelectAt(values, *middle + 1, hi, middle + 1, last);", "SelectAt(values, *middle, hi, middle + 1, last);"),
    ("probability with a tenth decimal taken", "app/Quantiles.cpp",
     "decimals > kMaxDecimals", "decimals > kMaxDecimals + 1"),
    # Large counts.
    ("n·n in 32 bits", "app/Statistics.cpp",
     "const auto count = static_cast<std::uint64_t>(n);",
     "const auto count = static_cast<std::uint32_t>(n);"),
    ("n·(n − 1) in 32 bits", "app/Statistics.cpp",
     "n > 0 ? count * (count - 1) : 0", "n > 0 ? static_cast<std::uint32_t>(count * (count - 1)) : 0"),
    ("n·(n − 1) as n·n − 1", "app/Statistics.cpp",
     "n > 0 ? count * (count - 1) : 0", "n > 0 ? count * count - 1 : 0"),
    # Rounding.
    ("sticky bit dropped", "app/Exact.cpp",
     "const bool below = inexact || (mag", "const bool below = (mag"),
    ("quotient one bit short of the 55 it needs", "app/Exact.cpp",
     "constexpr int kQuotientBits = 126;", "constexpr int kQuotientBits = 54;"),
    ("subnormal boundary one low", "app/Exact.cpp",
     "std::max(length - 53, -kLinearScale - exp2)", "std::max(length - 53, -kLinearScale - exp2 - 1)"),
    ("subnormal boundary one high", "app/Exact.cpp",
     "std::max(length - 53, -kLinearScale - exp2)", "std::max(length - 53, -kLinearScale - exp2 + 1)"),
    ("inexact root taken as exact", "app/Exact.cpp",
     "inexact || root * root != q", "inexact || root * root > q"),
    ("ties away from even", "app/Exact.cpp",
     "if (half && (below || (mant & 1) != 0)) ++mant;", "if (half) ++mant;"),
    ("ties to odd", "app/Exact.cpp",
     "if (half && (below || (mant & 1) != 0)) ++mant;", "if (half && (below || (mant & 1) == 0)) ++mant;"),
    ("unbiased results of one value", "app/Statistics.cpp", "if (count > 1) {", "if (count > 0) {"),
    # Faults on the way out.
    ("listing line write failure ignored", "app/Report.cpp",
     "if (report.rdbuf()->sputn(text, length) != length) report.setstate(std::ios_base::badbit);",
     "report.rdbuf()->sputn(text, length);"),
    ("console write failure ignored", "app/FrontEnd.cpp",
     "if (!out.fail()) return code;", "return code;"),
    ("dialogue: report close not checked", "app/Dialogue.cpp",
     "if (report.fail()) outcome = {Failure::kWriteOutput};", ""),
    ("dialogue: report buffered", "app/Dialogue.cpp", "report.rdbuf()->pubsetbuf(nullptr, 0);", ""),
    ("argument run: report on stdout not checked", "app/Outputs.cpp",
     "return standard_->fail() ? Failure::kWriteOutput : Failure::kNone;", "return Failure::kNone;"),
    # Promises.
    ("standard output as data not refused", "app/Outputs.cpp",
     "return reader.IsOpenStrm(stdout);", "return false;"),
    ("bundled flags stop after the first", "app/CommandLine.cpp",
     "if (!Apply(*o, \"\", cl)) return false;\n            continue;", "return Apply(*o, \"\", cl);"),
    ("marker line read as a value", "app/DataFile.cpp",
     "return counted == nullptr ? Failure::kNone : Failure::kChanged;",
     "if (end || counted == nullptr) return counted == nullptr ? Failure::kNone : Failure::kChanged;"),
    ("reopen reason lost", "app/DataFile.cpp",
     "return {Failure::kReopenInput, errno};", "return {Failure::kReopenInput, 0};"),
    ("line bound one late", "mylib/RdTxtLn.cpp", "if (++k > kMaxLine) return kLineTooLong;",
     "if (++k > kMaxLine + 1) return kLineTooLong;"),
    # The data file and the reader.
    ("count limit one late", "app/DataFile.cpp",
     "if (section.count >= maxCount)", "if (section.count > maxCount)"),
    ("read error at the section end taken for a change", "app/DataFile.cpp",
     "if (f == Failure::kReadError) return f;\n    const bool atMarker", "const bool atMarker"),
    ("empty last line counted", "app/DataFile.cpp",
     "(lines.reader.status == RdTxtLn::kEndOfFile && line.empty())", "false"),
    ("reserved array too small by one", "app/Values.cpp",
     "static_cast<std::size_t>(count) * sizeof(double);\n    std::size_t reserved = bytes;",
     "static_cast<std::size_t>(count - 1) * sizeof(double);\n    std::size_t reserved = bytes;"),
    ("read error of a block forgotten", "mylib/RdTxtLn.cpp",
     "if (n < kBlockSize && std::ferror(fp_) != 0) errorAhead_ = true;", ""),
    ("read error of a byte forgotten", "mylib/RdTxtLn.cpp",
     "        if (std::ferror(fp_) != 0) readError_ = true;\n", ""),
    ("read error held back forever", "mylib/RdTxtLn.cpp",
     "    if (errorAhead_) {\n        readError_ = true;\n        return false;\n    }\n", ""),
    ("whole line taken one byte beyond the bound", "mylib/RdTxtLn.cpp",
     "end_ - next_ > kMaxLine ? next_ + kMaxLine : end_", "end_ - next_ > kMaxLine ? next_ + kMaxLine + 1 : end_"),
    ("LF after a CR looked for beyond the block", "mylib/RdTxtLn.cpp",
     "end_ - p > 1 && p[1] == kLineFeed", "p[1] == kLineFeed"),
    ("eight-byte scan misses CR", "mylib/RdTxtLn.cpp",
     "AnyByteBelow(WordAt(p), kCarriageReturn + 1)", "AnyByteBelow(WordAt(p), kCarriageReturn)"),
    ("ordinary bytes taken beyond the room", "mylib/RdTxtLn.cpp",
     "end_ - next_ > room ? next_ + room : end_", "end_ - next_ > room ? next_ + room + 1 : end_"),
    ("a line's head longer than one byte", "mylib/RdTxtLn.cpp",
     "std::min(static_cast<std::size_t>(p - next_), keep)",
     "std::min(static_cast<std::size_t>(p - next_), keep + 1)"),
    ("quick conversion for 16 and 17 digits", "mylib/StrFunc.cpp",
     "number.significant > 15", "number.significant > 17"),
    ("quick conversion with 10^23", "mylib/StrFunc.cpp",
     "scale < -22 || scale > 22", "scale < -23 || scale > 23"),
    ("eight-byte field scan misses tabs", "mylib/StrFunc.cpp",
     "!AnyByteIs(WordAt(p), ' ') && !AnyByteIs(WordAt(p), '\\t')", "!AnyByteIs(WordAt(p), ' ')"),
    # The histogram and the chart.
    ("histogram: a tie goes to the larger width", "app/Histogram.cpp",
     "distance < bestDistance", "distance <= bestDistance"),
    ("histogram: negative values rounded toward zero", "app/Histogram.cpp",
     "if (a % b != 0 && a < 0) --q;", ""),
    ("histogram: zero limits the narrowest width", "app/Histogram.cpp",
     "units == 0 ? kNoLeading : ", ""),
    ("histogram: a small count gets no star", "app/Histogram.cpp",
     "return static_cast<int>(std::max<std::int64_t>(rounded, 1));", "return static_cast<int>(rounded);"),
    ("histogram: Sturges' rule one bin high", "app/Histogram.cpp",
     "for (std::int64_t reach = 1; reach < n; reach *= 2) ++bins;",
     "for (std::int64_t reach = 1; reach <= n; reach *= 2) ++bins;"),
    ("histogram: no width beyond the range looked at", "app/Histogram.cpp",
     "const int last = std::max(around + 4, leading + 1);", "const int last = around + 4;"),
    ("histogram: all equal, ten units wide", "app/Histogram.cpp",
     "EdgeText(I128{lo.units} + 1, lo.exponent)", "EdgeText(I128{lo.units} + 10, lo.exponent)"),
    ("chart: edge numbers pushed together", "app/Plot.cpp",
     "        if (at - half < taken + kGap) continue;", "        if (taken > 1e9) continue;"),
    ("chart: bars one count too high", "app/Plot.cpp",
     "const double height = static_cast<double>(bin.count) * perCount;",
     "const double height = static_cast<double>(bin.count + 1) * perCount;"),
    ("chart: edge numbers not kept inside", "app/Plot.cpp",
     "std::clamp(x, half + 2, kWidth - half - 2)", "x"),
    ("chart: a long title not cut", "app/Plot.cpp",
     "    if (TextWidth(text, size) <= room) return text;", "    return text;"),
    ("byte order mark put back in wrong order", "mylib/RdTxtLn.cpp",
     "for (int j = i; j >= 0; --j) PutBackRaw(taken[j]);", "for (int j = 0; j <= i; ++j) PutBackRaw(taken[j]);"),
    ("lone CR at line start not a line end", "mylib/RdTxtLn.cpp",
     "                if (k == 0) break;\n", ""),
    ("NUL in report name accepted", "app/Dialogue.cpp",
     "if (!myLib::IsFlNm(reportName)) return Failure::kOpenOutput;", ""),
    # Front ends and texts.
    ("key request after a failed reopen", "app/Dialogue.cpp",
     "if (f == Failure::kReopenInput) return kExitFailure;", ""),
    ("reason kept its full stop", "app/Messages.cpp", "message.pop_back();", ""),
    # Data read once, reports replaced whole.
    ("read once past the closing marker", "app/DataFile.cpp",
     "        if (end || EndsSection(lines, line)) {\n            return counted",
     "        if (end || (counted != nullptr && EndsSection(lines, line))) {\n            return counted"),
    ("standard input read twice", "app/DataFile.cpp",
     "return openName.empty() || reader.FlKind() != RdTxtLn::kRegularFile;",
     "return openName.empty();"),
    ("read once without the count limit", "app/DataFile.cpp",
     "if (kept >= hooks.maxCount) return Failure::kTooManyLines;", ""),
    ("growth commits nothing new", "app/Values.cpp", "committed_ += step;", ""),
    ("standard output as data compared by name", "app/Outputs.cpp",
     "return reader.IsOpenStrm(stdout);", "return reader.IsOpenFl(\"/dev/stdout\");"),
    ("the terminal refused as both data and report", "app/Outputs.cpp",
     "if (reader.FlKind() == myLib::RdTxtLn::kDeviceFile) return false;", ""),
    ("new report not removed on signals", "app/PlatformPosix.cpp",
     "        RemoveOnSignal(name);\n", ""),
    ("new report not removed on failure", "app/Outputs.cpp",
     "(void)std::remove(newFile_.c_str());", ""),
    ("report written in place always", "app/Outputs.cpp",
     "if (platform::CreateFileBeside(target.path, newFile_)) {", "if (false) {"),
    ("permission bits not kept", "app/Outputs.cpp",
     "platform::TakePermissions(target.path, newFile_);", ""),
    # Nothing the user owns is lost.
    ("a link to standard output replaced by a rename", "app/PlatformPosix.cpp",
     "if (fd >= 0) return fcntl(fd, F_GETFD) != -1 ? fd : -1;", "if (fd >= 0) return -1;"),
    ("outputs compared by name", "app/Outputs.cpp",
     "return SameRegularFile(IdentityOfOutput(a), IdentityOfOutput(b));", "return a == b;"),
    ("an existing data file replaced without --force", "app/Outputs.cpp",
     "return replaces == Replaces::kReport ? IsReport(bytes) : IsProgramOutput(bytes);",
     "return true;"),
    ("a full disk falls back to writing in place", "app/Outputs.cpp",
     "return !IsFull(reason) && reason != ENOENT", "return reason != ENOENT"),
    ("the report put in place before the chart is written", "app/ArgumentRun.cpp",
     "if (plot) outputs.push_back(&chart);",
     "if (plot) {\n        std::size_t f = 0;\n        (void)CommitOutputs({&report}, f);\n"
     "        outputs = {&chart};\n    }"),
    ("the new signals end the run without removing the new file", "app/PlatformPosix.cpp",
     "SIGQUIT, SIGXCPU, SIGALRM, SIGUSR1, SIGUSR2};", "};"),
    ("a long name's new file not shortened", "app/PlatformPosix.cpp",
     "std::min(path.size() - baseStart, kLongestBase)", "(path.size() - baseStart)"),
    ("the dialogue's report may be the chart", "app/Dialogue.cpp",
     "if (!plot.empty() && SameOutput(reportName, plot)) return Failure::kOutputIsChart;", ""),
    ("links not followed", "app/PlatformPosix.cpp", "path = real;", ""),
    ("report written before the data was read", "app/Run.cpp",
     "    Columns columns;\n    Outcome read = ReadData(reader, openName, options.data, remarks, hooks, columns);\n    if (read.failure != Failure::kNone) return read;\n    WriteHeader(report, dataName);\n",
     "    Columns columns;\n    WriteHeader(report, dataName);\n    Outcome read = ReadData(reader, openName, options.data, remarks, hooks, columns);\n    if (read.failure != Failure::kNone) return read;\n"),
    ("digits bound one short", "app/CommandLine.cpp", "n < kMinDigits || n > kMaxDigits",
     "n < kMinDigits || n >= kMaxDigits"),
    # Texts for the screen they reach.
    ("UTF-8 terminal gets Shift_JIS", "app/Text.cpp",
     "case TextForm::kUtf8: out << text.utf8;", "case TextForm::kUtf8: out << text.shiftJis;"),
    ("C locale taken for a terminal without Japanese", "app/Text.cpp",
     "if (charset.empty() || IsUtf8Charset(charset))", "if (IsUtf8Charset(charset))"),
    ("terminal's character set not converted to", "app/Text.cpp",
     "if (ConvertsEveryText(charset)) return {TextForm::kConverted, charset};", ""),
    ("a text that cannot be converted taken as converted", "app/PlatformPosix.cpp",
     "return ok && fromLeft == 0;", "return true;"),
    ("uninstalled locale's name not read", "app/PlatformPosix.cpp",
     "charset = CharsetInName(UserLocaleName());", ""),
    ("encoding asked for loses to the terminal", "app/main.cpp",
     "report == \"-\" && !options.encodingGiven ? screen.value_or(piped) : file;",
     "report == \"-\" ? screen.value_or(piped) : file;"),
    ("report file written for the terminal", "app/main.cpp",
     "report == \"-\" && !options.encodingGiven ? screen.value_or(piped) : file;",
     "!options.encodingGiven ? screen.value_or(piped) : file;"),
    ("dialogue's report follows the terminal", "app/main.cpp",
     "options.report = descstat::FileStyle(options.encoding, options.language);\n    options.console",
     "options.report = descstat::ConsoleStyle(options.language);\n    options.console"),
    ("English on a Windows console in Japanese", "app/Console.cpp",
     "if (wideConsole && language == Language::kJapanese)", "if (wideConsole)"),
    ("summary count label in Shift_JIS always", "app/Report.cpp",
     "WriteText(report, format.style, *row.label);", "report << row.label->shiftJis;"),
    ("quoted answer cut at the blank", "app/Dialogue.cpp",
     "if (in.peek() != '\"') return ReadToken(in);", "return ReadToken(in);"),
    ("unclosed quote reads past the line", "app/Dialogue.cpp",
     "c != '\"' && c != '\\n';", "c != '\"';"),
    # Data forms and warnings.
    ("line numbers not counted", "app/DataFile.cpp", "    if (!end) ++lines.number;\n", ""),
    ("a plain list ends at a marker", "app/DataFile.cpp",
     "return !lines.rules.plain && IsMarker(line);", "return IsMarker(line);"),
    ("invalid lines kept", "app/DataFile.cpp",
     "remark.leftOut = lines.rules.skipInvalid && std::isnan(value);", "remark.leftOut = false;"),
    ("names line read as a value", "app/DataFile.cpp",
     "        if (p == 0 && counted != nullptr && counted->namesLine) continue;\n", ""),
    ("listing numbered over the lines, not the values kept", "app/DataFile.cpp",
     "sink.Take({lines.recordStart, kept,", "sink.Take({lines.recordStart, p,"),
    ("field number off by one", "app/DataFile.cpp",
     "int first = choice.first - 1;", "int first = choice.first;"),
    ("a number's start taken for the whole field", "app/DataFile.cpp",
     "whole = stop != first && OnlyBlanks(", "whole = stop != first || OnlyBlanks("),
    ("doubled quote kept double", "app/Fields.cpp",
     "                field += '\"';\n                ++pos;", "                field += '\"';"),
    ("blanks after a field kept", "app/Fields.cpp",
     "while (keep > rest && IsPadding(field[keep - 1], separator)) --keep;", ""),
    ("eleven warnings", "app/Warnings.cpp", "if (++count_ > kMaxWarnings) return;",
     "if (++count_ > kMaxWarnings + 1) return;"),
    ("header line both asked for and refused accepted", "app/CommandLine.cpp",
     "} else if (o.data.header && o.data.noHeader) {", "} else if (false) {"),
    # Shortest digits and the report without its listing.
    ("shortest digits not asked for", "app/Report.cpp",
     "if (digits == kShortestDigits) return FormatShortest(text, v);", ""),
    ("fixed notation one exponent further", "app/Decimal.cpp",
     "leading > largestFixed)", "leading > largestFixed + 1)"),
    ("zeros after the point one short", "app/Decimal.cpp",
     "std::string(static_cast<std::size_t>(-leading - 1), '0')",
     "std::string(static_cast<std::size_t>(-leading - 2), '0')"),
    ("listing kept", "app/Report.h",
     "if (values_) WriteListingLine", "WriteListingLine"),
    # Machine formats.
    ("tab in a tsv name not escaped", "app/Machine.cpp", """case '\\t': out += "\\\\t"; break;""", ""),
    ("csv quotes not doubled", "app/Machine.cpp",
     """        if (c == '"') out += '"';\n    }\n    return out + "\\"";""",
     """    }\n    return out + "\\"";"""),
    ("bytes that are no UTF-8 written raw", "app/Machine.cpp", "if (n == 0) {", "if (false) {"),
    ("JSON infinity written as inf", "app/Machine.cpp", "const bool finite = std::isfinite(NearestDouble(",
     "const bool finite = !std::isnan(NearestDouble("),
    ("a failed file exits 0", "app/MachineRun.cpp", "anyFailed = anyFailed || failed;",
     "anyFailed = false;"),
    ("output into a data file", "app/MachineRun.cpp", "    if (IsOpenData(*reader, output)) return false;\n",
     ""),
    ("machine digits not shortest", "app/MachineRun.cpp",
     "return options.digitsGiven ? options.digits : kShortestDigits;", "return options.digits;"),
    ("console window own with another process", "app/Console.cpp",
     "[self](unsigned long p) { return p == self; }", "[self](unsigned long p) { return p != 0; }"),
    # Text from the data shown and written safely.
    ("warnings: the escape character shown as it is", "app/Shown.cpp", "if (n == 1) return b < 0x20 || b == 0x7F;", "if (n == 1) return (b < 0x20 && b != 0x1B) || b == 0x7F;"),
    ("warnings: C1 controls shown as they are", "app/Shown.cpp", "return n == 2 && b == 0xC2", "return n == 2 && b == 0xC1"),
    ("messages: Shift_JIS names never converted", "app/Shown.cpp", "if (IsUtf8(text) || !platform::ConvertFromShiftJis(text, \"UTF-8\", utf8)) utf8 = text;", "utf8 = text;"),
    ("chart: U+FFFE kept in a title", "app/Plot.cpp", "(at(i + 2) == 0xBE || at(i + 2) == 0xBF)", "at(i + 2) == 0xBF"),
    ("csv: a leading minus is no formula", "app/Machine.cpp", "std::string(\"=+-@\\t\\r\")", "std::string(\"=+@\\t\\r\")"),
    ("json: edges beyond the doubles written as they are", "app/Machine.cpp", "return beyond ? NumberText(EdgeDouble(edge), kShortestDigits) : edge;", "return edge;"),
    # The data file's rules: fields that are not there, CR line ends, quotes, folders.
    ("a field beyond a separated line takes the last one", "app/DataFile.cpp", "if (!present) field.clear();", ""),
    ("a separated field read by its start", "app/DataFile.cpp", "if (!present || !(whole || std::isnan(value)))", "if (!present)"),
    ("lone CR never ends a line", "mylib/RdTxtLn.cpp", "                if (crEnds_) {", "                if (false) {"),
    ("quoted field ends with its line", "app/DataFile.cpp", "    while (QuoteOpen(line, separator)) {", "    while (false) {"),
    ("counting pass reads only line heads with a separator", "app/DataFile.cpp", "NextLine(lines, line, end, whole || separator != '\\0');", "NextLine(lines, line, end, whole);"),
    ("a folder opens", "mylib/RdTxtLn.cpp", "if (owned && fp_ != nullptr && IsFolder(fp_)) {", "if (false) {"),
    ("a name twice takes the first", "app/DataFile.cpp", "if (places.size() > 1) {", "if (places.size() > 2) {"),
    ("a record one byte longer", "app/DataFile.cpp", "lines.more.size() > RdTxtLn::kMaxLine", "lines.more.size() > RdTxtLn::kMaxLine + 1"),
    # Charts a person would show.
    ("chart fence keeps a value on it out", "app/Whiskers.cpp", "v < f.nearest ||", "v <= f.nearest ||"),
    ("chart fence rounding on the wrong side", "app/Whiskers.cpp", "below ? side < 0 : side > 0", "below ? side <= 0 : side >= 0"),
    ("chart whiskers at 1 IQR", "app/Whiskers.cpp", "Multiply(a.num, b.den), Natural(5)", "Multiply(a.num, b.den), Natural(4)"),
    ("chart fence compared with the binary value", "app/Whiskers.cpp",
     "CompareExact(ExactAsWritten(nearest), fence)", "CompareExact(ExactOf(nearest), fence)"),
    # The progress line.
    ("progress shown at once", "app/Progress.cpp", "kFirstAfter{1000}", "kFirstAfter{0}"),
    ("progress not erased before a warning", "app/Warnings.cpp",
     "if (progress_ != nullptr) progress_->Erase();", "(void)progress_;"),
    ("progress left on the screen at the end", "app/MachineRun.cpp",
     "    progress.Erase();\n", ""),
    ("progress written into a pipe", "app/PlatformPosix.cpp",
     "bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }",
     "bool StandardErrorIsTerminal() { return true; }"),
    ("progress past 100 %", "app/Progress.cpp", "at.bytes < at.size ? at.bytes : at.size", "at.bytes"),
    # Numbers as written.
    ("written decimal kept for 17 digits", "mylib/StrFunc.cpp",
     "constexpr int kWrittenDigits = 15;", "constexpr int kWrittenDigits = 17;"),
    ("written decimal kept for a subnormal", "app/DecimalSums.cpp",
     "(written.digits == 0 || std::isnormal(v))", "(written.digits == 0 || v != 0)"),
    ("written decimal loses its point", "mylib/StrFunc.cpp",
     "digits == 0 ? 0 : number.exponent - number.pointShift;", "digits == 0 ? 0 : number.exponent;"),
    ("a line without a number left out of the sums", "app/DataFile.cpp",
     "AddDecimalValue(sums, value);", "(void)sums;"),
    ("quantile interpolated over the doubles", "app/Quantiles.cpp",
     "InterpolateDecimals(DecimalOf(a), DecimalOf(b), part, denominator)",
     "InterpolateDecimals(DecimalOf(a), DecimalOf(a), part, denominator)"),
    ("chart SD band laid over the bars", "app/Plot.cpp", "Line(svg, x1, kBandY, x2, kBandY,", "Line(svg, x1, kBottom - 20, x2, kBottom - 20,"),
    ("chart title keeps the folders", "app/Plot.cpp", "path.rfind('/')", "path.rfind('\\\\')"),
    ("chart outlier cap loses the extremes", "app/Whiskers.cpp", "index == next * (distinct - 1) / (drawn - 1)", "index == next"),
    ("chart axis without the field's name", "app/Plot.cpp", "field.empty() ? texts.value : field", "texts.value"),
    # Big divisors, power sums and central sums.
    ("cube sign dropped", "app/Exact.cpp", "const std::int64_t sign = x.negative ? -1 : 1;", "const std::int64_t sign = 1;"),
    ("shifted digits lose the bits from below", "app/Exact.cpp", "below >> (kLimbBits - shift)", "below >> (kLimbBits - shift + 1)"),
    ("third central sum with 2n", "app/Exact.cpp", "Multiply(count, Natural(3))", "Multiply(count, Natural(2))"),
    ("big quotient never inexact", "app/Exact.cpp", "inexact = !a.empty();", "inexact = false;"),
    ("cancelling signed sum keeps a negative zero", "app/Exact.cpp", "if (CompareNat(a.magnitude, b.magnitude) >= 0) {", "if (CompareNat(a.magnitude, b.magnitude) > 0) {"),
    ("signed sum loses its top carry", "app/Exact.cpp", "    if (carry != 0) r.push_back(carry);\n", "\n"),
    # Exact results rounded once to N digits.
    ("decimal rounding: a tie always up", "app/ExactNumber.cpp", "    return half && (inexact || (d & 1) != 0);", "    (void)d;\n    return half;"),
    ("decimal rounding: a root's tie always up", "app/ExactNumber.cpp", "    if (c != 0) return c > 0;\n    return inexact || (d & 1) != 0;", "    if (c != 0) return c > 0;\n    return true;"),
    ("decimal rounding: a decade's carry lost", "app/ExactNumber.cpp", "        d = low;\n        ++leading;", "        d = low;"),
    ("report writes the nearest double's digits", "app/ExactNumber.cpp",
     "if (digits == kShortestDigits || !std::isnormal(nearest))", "if (true)"),
    ("exact quantile not divided by its weights", "app/DecimalSums.cpp",
     "return Quotient(std::move(sum.magnitude), Multiply(Natural(denominator), PowerOfTen(scale)),",
     "return Quotient(std::move(sum.magnitude), Multiply(Natural(1), PowerOfTen(scale)),"),
    # Sums over the shortest decimals.
    ("quick decimal accepted without the division check", "app/DecimalSums.cpp",
     "NearWhole(scaled, estimate) && estimate / kPowersOfTen[k] == v", "NearWhole(scaled, estimate)"),
    ("carry into the top word of the squares lost", "app/DecimalSums.cpp",
     "static_cast<std::uint64_t>(low < square)", "static_cast<std::uint64_t>(low > square)"),
    ("high word of the linear sums dropped", "app/DecimalSums.cpp",
     "b.linear[1] = static_cast<std::uint64_t>(linear >> kLimbBits);", "b.linear[1] = 0;"),
    ("squares scaled by ten per power", "app/DecimalSums.cpp", "MultiplyAdd(total, 100,", "MultiplyAdd(total, 10,"),
    ("scale from the linear sums, which may cancel", "app/DecimalSums.cpp",
     "return (b.square[0] | b.square[1] | b.square[2]) != 0;", "return (b.linear[0] | b.linear[1]) != 0;"),
    ("text path exponent off by one", "app/DecimalSums.cpp", "leading - digits + 1}", "leading - digits}"),
    # The histogram and the machine rows, unit by unit.
    ("histogram: Sturges counts values that are no numbers", "app/Histogram.cpp", "SturgesBins(numbers)", "SturgesBins(n)"),
    ("tsv: a CR written as a line feed's escape", "app/Machine.cpp", "case '\\r': out += \"\\\\r\"; break;", "case '\\r': out += \"\\\\n\"; break;"),
    ("formula: an exponent without digits taken for a number", "app/Machine.cpp", "if (digits() == 0) return false;", "(void)digits();"),
    ("json: the escape character written raw", "app/Machine.cpp", "} else if (b < 0x20) {", "} else if (b < 0x1b) {"),
    ("json: bytes that are no UTF-8 written as controls", "app/Machine.cpp", "\"\\\\udc%02x\"", "\"\\\\u00%02x\""),
    ("table: help labels keep their padding", "app/StatisticTable.cpp", "s.find_last_not_of(\" =\")", "s.find_last_not_of(\"=\")"),
    ("formula: a lone = left as it is", "app/Machine.cpp", "if (s.empty() || s == \"-\" ||", "if (s.size() < 2 ||"),
    # The option table and the help it makes; the table of statistics.
    ("help column one short", "app/CommandLine.cpp", "constexpr std::size_t kHelpColumn = 23;", "constexpr std::size_t kHelpColumn = 22;"),
    ("continuation lines of the help not indented", "app/CommandLine.cpp", "if (c == '\\n') entry += indent;", ""),
    ("prefix of several options taken", "app/CommandLine.cpp", "ambiguous = matches > 1 && olderMatches != 1;", "ambiguous = false;"),
    ("bundled value keeps its option letter", "app/CommandLine.cpp", "return Apply(*o, arg.substr(k + 1), cl);", "return Apply(*o, arg.substr(k), cl);"),
    ("a range's end taken as its start", "app/CommandLine.cpp", "ParseFieldNumber(item.substr(dash + 1), choice.last)", "ParseFieldNumber(item.substr(0, dash), choice.last)"),
    ("help's labels wrapped one wider", "app/CommandLine.cpp", "constexpr std::size_t kWidth = 47;", "constexpr std::size_t kWidth = 48;"),
    ("summary block written with the results", "app/StatisticTable.cpp", "return row.block == Block::kResults || options.summary;", "return true;"),
    ("machine rows without the count", "app/StatisticTable.cpp", "{\"n\", &kCountLabel, Block::kSummary, true, true,", "{\"n\", &kCountLabel, Block::kSummary, true, false,"),
    ("count written at the digits", "app/Report.cpp", "if (row.isCount) {", "if (false) {"),
    ("caption's statistics out of the table", "app/Plot.cpp", "if (row.caption == nullptr) continue;", "if (row.caption == nullptr) break;"),
    # Pipes in the locale's character set, the histogram's columns, one notation.
    ("a Shift_JIS locale's pipe not Shift_JIS", "app/Console.cpp", "name == \"SJIS\" ||", "name == \"XSJIS\" ||"),
    ("a pipe gets the file's bytes", "app/main.cpp", "screen.value_or(piped)", "screen.value_or(file)"),
    ("a pipe without a locale not Shift_JIS", "app/Console.cpp", "return FileStyle(Encoding::kShiftJis, language);", "return FileStyle(Encoding::kUtf8, language);"),
    ("a pipe never asks the locale", "app/PlatformPosix.cpp", "std::string PipeCharset() { return UserCharset(); }", "std::string PipeCharset() { return {}; }"),
    ("histogram edges not padded", "app/Report.cpp", "std::string(edgesWidth - edges.size() + 2, ' ')", "std::string(2, ' ')"),
    ("warnings in another notation", "app/Warnings.cpp", "' read as \" +\n                   NumberText(remark.value, kShortestDigits)", "' read as \" +\n                   NumberText(remark.value, 17)"),
]


def run(cmd, cwd, log):
    return subprocess.run(cmd, cwd=cwd, stdout=log, stderr=subprocess.STDOUT, shell=True).returncode


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--only", action="append", default=[],
                        help="only the mutants whose name holds this text (repeatable)")
    parser.add_argument("--jobs", default="2")
    args = parser.parse_args()
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    work = tempfile.mkdtemp(prefix="descstat-mutants-")
    tree = os.path.join(work, "tree")
    shutil.copytree(root, tree, ignore=shutil.ignore_patterns("build*", ".git"))
    log = open(os.path.join(work, "log.txt"), "w")
    build = "cmake --build build -j %s" % args.jobs
    if run("cmake -S . -B build -DCMAKE_BUILD_TYPE=Release && " + build, tree, log) != 0:
        print("the unchanged tree does not build; see", log.name)
        return 1
    caught = tried = 0
    for name, path, old, new in MUTANTS:
        if args.only and not any(o in name for o in args.only):
            continue
        source = os.path.join(tree, path)
        with open(source) as f:
            original = f.read()
        if original.count(old) != 1:
            print("STALE %s: the text is not in %s once" % (name, path))
            continue
        with open(source, "w") as f:
            f.write(original.replace(old, new))
        log.write("\n=== %s\n" % name)
        log.flush()
        if run(build, tree, log) != 0:
            verdict = "no build"
        else:
            failed = run("ctest -j %s -LE slow --timeout 300" % args.jobs,
                         os.path.join(tree, "build"), log) != 0
            tried += 1
            caught += failed
            verdict = "caught" if failed else "SURVIVED"
        with open(source, "w") as f:
            f.write(original)
        print("%-8s %s" % (verdict, name), flush=True)
    print("%d of %d caught (%.1f %%); log in %s" % (caught, tried, 100.0 * caught / max(tried, 1),
                                                    log.name))
    return 0


if __name__ == "__main__":
    sys.exit(main())
