#include "app/Progress.h"

#include <string>

namespace descstat {

namespace {

// The first line after a second of reading; then at most ten a second.
constexpr std::chrono::milliseconds kFirstAfter{1000};
constexpr std::chrono::milliseconds kEvery{100};

void ReportTo(void* context, const ReadPosition& at) {
    static_cast<Progress*>(context)->Update(at);
}

// A size in bytes as people read it: "812 bytes", "27.1 MB", "3.4 GB".
std::string SizeText(long long bytes) {
    constexpr long long kMega = 1000LL * 1000;
    constexpr long long kGiga = 1000LL * kMega;
    if (bytes < 1000) return std::to_string(bytes) + " bytes";
    const long long unit = bytes < kGiga ? kMega : kGiga;
    const long long tenths = (bytes * 10 + unit / 2) / unit;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) +
           (unit == kMega ? " MB" : " GB");
}

}  // namespace

std::string ProgressText(const ReadPosition& at) {
    std::string text = at.counting ? "descstat: counting lines" : "descstat: reading values";
    if (at.size > 0) {
        const long long done = at.bytes < at.size ? at.bytes : at.size;
        text += ", " + std::to_string(done * 100 / at.size) + "% of " + SizeText(at.size);
    } else if (!at.counting) {
        text += ", " + std::to_string(at.values) + " so far";
    }
    return text;
}

Progress::Progress(std::ostream& err, bool enabled)
    : err_(err), enabled_(enabled), start_(Clock::now()), last_(start_) {}

RunHooks Progress::Hooks(RunHooks hooks) {
    if (enabled_) {
        hooks.progress = ReportTo;
        hooks.progressContext = this;
    }
    return hooks;
}

void Progress::Update(const ReadPosition& at) {
    if (!enabled_) return;
    const Clock::time_point now = Clock::now();
    if (now - start_ < kFirstAfter || (shown_ != 0 && now - last_ < kEvery)) return;
    last_ = now;
    const std::string text = ProgressText(at);
    // Blanks over what is left of a longer line before.
    const std::size_t blanks = shown_ > text.size() ? shown_ - text.size() : 0;
    err_ << '\r' << text << std::string(blanks, ' ');
    if (blanks != 0) err_ << std::string(blanks, '\b');
    err_.flush();
    shown_ = text.size();
}

void Progress::Erase() {
    if (shown_ == 0) return;
    err_ << '\r' << std::string(shown_, ' ') << '\r';
    err_.flush();
    shown_ = 0;
}

}  // namespace descstat
