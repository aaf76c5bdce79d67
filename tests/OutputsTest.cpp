// What an existing file must hold to be replaced without --force, and how
// two names of outputs are told to be one file.
#include "app/Outputs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>

#include "tests/TempFile.h"

namespace {

using descstat::MayReplace;
using descstat::Replaces;

struct Held {
    const char* what;
    std::string bytes;
    bool asReport;         // may a REPORT operand replace it
    bool asProgramOutput;  // may --plot or --output replace it
    friend void PrintTo(const Held& h, std::ostream* os) { *os << h.what; }
};

class MayReplaceTest : public ::testing::TestWithParam<Held> {};

TEST_P(MayReplaceTest, OnlyWhatThisProgramWrites) {
    const Held& h = GetParam();
    const TempFile file(h.bytes);
    EXPECT_EQ(MayReplace(file.Name(), Replaces::kReport), h.asReport) << h.what;
    EXPECT_EQ(MayReplace(file.Name(), Replaces::kProgramOutput), h.asProgramOutput) << h.what;
}

INSTANTIATE_TEST_SUITE_P(
    Contents, MayReplaceTest,
    ::testing::Values(
        Held{"empty", "", true, true}, Held{"a report", "Input data file = a.txt\n\n", true, true},
        Held{"a report of standard input", "Input data file = -\r\n", true, true},
        Held{"a chart", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg", false, true},
        Held{"tsv rows", "file\tn\tmean\n", false, true},
        Held{"csv rows", "file,n,mean\n", false, true},
        Held{"JSON rows", "{\"file\": \"a.txt\", \"n\": 3}\n", false, true},
        Held{"a data file", "Sample\n/\n12.5\n/\n", false, false},
        Held{"a plain list", "1\n2\n", false, false},
        Held{"a CSV table", "name,score\nA,10\n", false, false},
        Held{"the label without its blanks", "Input data file\n", false, false},
        Held{"a report's label later in the file", "x\nInput data file = a\n", false, false}));

TEST(MayReplace, WhatDoesNotExistOrIsNoRegularFile) {
    EXPECT_TRUE(MayReplace(TempFile::NewPath().string(), Replaces::kReport));
#ifndef _WIN32
    EXPECT_TRUE(MayReplace("/dev/null", Replaces::kReport));
#endif
}

TEST(SameOutput, ByWhatTheNamesLeadTo) {
    const TempFile file("Input data file = a\n");
    const std::filesystem::path p(file.Name());
    const std::string other = (p.parent_path() / "." / p.filename()).string();
    EXPECT_TRUE(descstat::SameOutput(file.Name(), other));
    const std::string fresh = TempFile::NewPath().string();
    EXPECT_TRUE(descstat::SameOutput(fresh, fresh));
    EXPECT_FALSE(descstat::SameOutput(fresh, file.Name()));
    EXPECT_TRUE(descstat::SameOutput("-", "-"));
#ifndef _WIN32
    EXPECT_TRUE(descstat::SameOutput("-", "/dev/stdout"));
    EXPECT_FALSE(descstat::SameOutput("/dev/null", "/dev/null"));  // a device holds nothing
#endif
}

}  // namespace
