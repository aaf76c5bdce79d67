// The progress line's text for each kind of read position, and its erasing.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/Progress.h"

namespace {

using descstat::ReadPosition;

struct TextCase {
    ReadPosition at;
    const char* text;
};

TEST(Progress, TextOfEachPosition) {
    const TextCase cases[] = {
        {{true, 0, 27100000, 0}, "descstat: counting lines, 0% of 27.1 MB"},
        {{true, 13550000, 27100000, 0}, "descstat: counting lines, 50% of 27.1 MB"},
        {{false, 27099999, 27100000, 812}, "descstat: reading values, 99% of 27.1 MB"},
        // The reader is a block ahead of the lines, and a file may grow.
        {{false, 28000000, 27100000, 812}, "descstat: reading values, 100% of 27.1 MB"},
        {{false, 300, 812, 3}, "descstat: reading values, 36% of 812 bytes"},
        {{false, 1, 3400000000LL, 3}, "descstat: reading values, 0% of 3.4 GB"},
        // A pipe: no size.
        {{false, 5000000, -1, 123456}, "descstat: reading values, 123456 so far"},
        {{true, 5000000, -1, 0}, "descstat: counting lines"},
    };
    for (const TextCase& c : cases) EXPECT_EQ(descstat::ProgressText(c.at), c.text);
}

TEST(Progress, NothingWhenNotEnabledAndNothingToErase) {
    std::ostringstream err;
    descstat::Progress progress(err, false);
    EXPECT_EQ(progress.Hooks({}).progress, nullptr);
    progress.Update({false, 1, 2, 3});
    progress.Erase();
    EXPECT_EQ(err.str(), "");
}

}  // namespace
