// Data files: the exact line forms and the reading rules.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>

#include "persist/DataFile.h"

namespace kv::test {
namespace {

TEST(DataFileText, HeaderAndLineForms) {
    EXPECT_EQ(DataFileHeader(false), "frequency\te'\te''\n");
    EXPECT_EQ(DataFileHeader(true), "frequency\te'\te''\tsensitivity\n");
    // "%15.4f\t%9.4f\t%9.4f\n": rounded to 4 decimals, right-aligned in their fields.
    EXPECT_EQ(DataFileLine(200000000.0, {78.12346, 4.56784}),
              " 200000000.0000\t  78.1235\t   4.5678\n");
    EXPECT_EQ(DataFileLine(6e9, {-1.5, 9999.0}, 0.03125),
              "6000000000.0000\t  -1.5000\t9999.0000\t         0.0312\n");
    // A value wider than its field widens the line.
    EXPECT_EQ(DataFileLine(1.0, {123456789.0, 0.0}),
              "         1.0000\t123456789.0000\t   0.0000\n");
}

// The uncertainty columns: "\t%11.6f" each after the sensitivity, under u(e') and u(e''); read
// back into the result's uncertainty, never taken for permeability.
TEST(DataFileText, UncertaintyColumnsWrittenAndRead) {
    const std::string text = FormatDataFileWithUncertainty({1e9, 2e9}, {{2.5, 0.5}, {9999, 9999}},
                                                           {12.25}, {0.0123456, 9999}, {0.5});
    EXPECT_EQ(text,
              "frequency\te'\te''\tsensitivity\tu(e')\tu(e'')\n"
              "1000000000.0000\t   2.5000\t   0.5000\t        12.2500\t   0.012346\t   0.500000\n"
              "2000000000.0000\t9999.0000\t9999.0000\t      9999.0000\t9999.000000\t9999.000000\n");
    const DataFileParse parse = ParseDataFile(text);
    ASSERT_EQ(parse.status, DataFileStatus::Ok);
    const DataFileContents& c = parse.contents;
    EXPECT_FALSE(c.hasPermeability);
    EXPECT_TRUE(c.hasSensitivity);
    EXPECT_TRUE(c.hasUncertainty);
    EXPECT_FLOAT_EQ(static_cast<float>(c.uncertaintyE1[0]), 0.012346F);
    EXPECT_FLOAT_EQ(static_cast<float>(c.uncertaintyE2[0]), 0.5F);
    EXPECT_EQ(c.uncertaintyE1[1], 9999.0);
    EXPECT_FLOAT_EQ(static_cast<float>(c.sensitivity[0]), 12.25F);
    // A line short of the columns its header promises is a bad line.
    EXPECT_EQ(ParseDataFile("frequency\te'\te''\tsensitivity\tu(e')\tu(e'')\n"
                            "1000000000.0000\t   2.5000\t   0.5000\t        12.2500\n")
                  .status,
              DataFileStatus::BadLine);
}

// The uncorrected sweep's table: "%15.4f\t%12.9f\t%12.9f\n" under its own header, one line per
// point that has both a frequency and a value.
TEST(DataFileText, ReflectionTableLayout) {
    EXPECT_EQ(FormatReflectionTable({2e8, 1.5e9, 3e9}, {{0.5, -0.25}, {-0.1234567896, 1.0}}),
              "frequency\tS11 real\tS11 imaginary\n"
              " 200000000.0000\t 0.500000000\t-0.250000000\n"
              "1500000000.0000\t-0.123456790\t 1.000000000\n");
}

TEST(DataFileText, FixedFormAgreesWithPrintfInTheCLocale) {
    std::setlocale(LC_NUMERIC, "C");
    const double values[] = {0.0,      -0.0,        0.00005, 0.00015,    1.23445,         2.5e-5,
                             -7.77777, 19999.99995, 1e15,    123.456789, 6.28318530717958};
    for (double v : values) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%15.4f", v);
        EXPECT_EQ(FormatFixed(v, 15, 4), buffer) << v;
        std::snprintf(buffer, sizeof buffer, "%9.4f", v);
        EXPECT_EQ(FormatFixed(v, 9, 4), buffer) << v;
    }
}

TEST(DataFileRead, SensitivityFileRoundTrip) {
    const std::vector<double> f = {2e8, 1.5e9, 2e10};
    const std::vector<CComplex> e = {{80.0, 5.25}, {3.5, 0.0625}, {1.0, 0.0}};
    const std::vector<double> s = {0.5, 1.25, 9999.0};
    const std::string text = FormatDataFile(f, e, &s);
    EXPECT_EQ(text,
              "frequency\te'\te''\tsensitivity\n"
              " 200000000.0000\t  80.0000\t   5.2500\t         0.5000\n"
              "1500000000.0000\t   3.5000\t   0.0625\t         1.2500\n"
              "20000000000.0000\t   1.0000\t   0.0000\t      9999.0000\n");
    const DataFileParse p = ParseDataFile(text);
    ASSERT_EQ(p.status, DataFileStatus::Ok);
    EXPECT_TRUE(p.contents.hasSensitivity);
    EXPECT_FALSE(p.contents.hasPermeability);
    EXPECT_EQ(p.contents.frequencies, f);  // all three are exact in single precision
    EXPECT_EQ(p.contents.permittivity[0].re, 80.0);
    EXPECT_EQ(p.contents.permittivity[1].im, 0.0625);
    EXPECT_EQ(p.contents.sensitivity, s);
}

TEST(DataFileText, NoPointIsReadPastItsArray) {
    // A trace filled over a shorter sweep than the current one, and a missing sensitivity.
    const std::vector<double> s = {0.5};
    EXPECT_EQ(FormatDataFile({1e9, 2e9, 3e9}, {{1, 2}, {3, 4}}, &s),
              "frequency\te'\te''\tsensitivity\n"
              "1000000000.0000\t   1.0000\t   2.0000\t         0.5000\n"
              "2000000000.0000\t   3.0000\t   4.0000\t      9999.0000\n");
    EXPECT_EQ(FormatDataFile({1e9}, {{1, 2}, {3, 4}}, nullptr),
              "frequency\te'\te''\n1000000000.0000\t   1.0000\t   2.0000\n");
}

TEST(DataFileRead, WithoutSensitivityAndInSinglePrecision) {
    const DataFileParse p = ParseDataFile(
        "frequency\te'\te''\r\n"  // CR LF reads as LF
        "   200000000.0000\t  78.1234\t   4.5678\r\n"
        "  6000000001.0000\t   0.1000\t   0.0000\r\n");
    ASSERT_EQ(p.status, DataFileStatus::Ok);
    EXPECT_FALSE(p.contents.hasSensitivity);
    ASSERT_EQ(p.contents.frequencies.size(), 2u);
    // Every number is a float widened to double.
    EXPECT_EQ(p.contents.permittivity[0].re, static_cast<double>(78.1234F));
    EXPECT_EQ(p.contents.permittivity[1].re, static_cast<double>(0.1F));
    EXPECT_EQ(p.contents.frequencies[1], 6000000000.0);  // 6e9 + 1 has no float of its own
    EXPECT_EQ(p.contents.sensitivity, (std::vector<double>{9999.0, 9999.0}));
}

TEST(DataFileRead, TheHeaderDecides) {
    // Refused exactly when the first line lacks "e'", whatever else it holds.
    EXPECT_EQ(ParseDataFile("").status, DataFileStatus::NotDataFile);
    EXPECT_EQ(ParseDataFile("frequency\te\te''x\n1 2 3 4 5 6\n").status, DataFileStatus::Ok);
    EXPECT_EQ(ParseDataFile("frequency\tE'\n1 2 3\n").status, DataFileStatus::NotDataFile);
    EXPECT_EQ(ParseDataFile("\nfrequency\te'\te''\n1 2 3\n").status, DataFileStatus::NotDataFile);
    EXPECT_EQ(ParseDataFile("e'\n1 2 3\n").status, DataFileStatus::Ok);

    // Permeability columns are read and dropped; a sensitivity column needs "sen".
    const DataFileParse u = ParseDataFile("f\te'\te''\tu'\tu''\n1 2 3 4 5\n");
    ASSERT_EQ(u.status, DataFileStatus::Ok);
    EXPECT_TRUE(u.contents.hasPermeability);
    EXPECT_EQ(u.contents.permittivity[0].im, 3.0);
    EXPECT_EQ(ParseDataFile("f\te'\te''\tu'\tu''\n1 2 3 4\n").status, DataFileStatus::BadLine);
    const DataFileParse sen = ParseDataFile("f e' e'' sen\n1 2 3 4\n");
    ASSERT_EQ(sen.status, DataFileStatus::Ok);
    EXPECT_EQ(sen.contents.sensitivity, std::vector<double>{4.0});
}

TEST(DataFileRead, AShortLineEndsTheData) {
    // A line of 5 characters or fewer, its line end counted, ends the data.
    const DataFileParse p = ParseDataFile("frequency\te'\te''\n1 2 3\n10 20 30\n1 2 \n4 5 6 7\n");
    ASSERT_EQ(p.status, DataFileStatus::Ok);
    EXPECT_EQ(p.contents.frequencies, (std::vector<double>{1.0, 10.0}));
    // "1 2 3" with its line end is 6 characters and is read; without one at the end, it is 5.
    EXPECT_EQ(ParseDataFile("e'\n1 2 3\n1 2 4").contents.frequencies.size(), 1u);
    EXPECT_EQ(ParseDataFile("e'\n1 2 3\n\n9 9 9\n").contents.frequencies.size(), 1u);
    EXPECT_EQ(ParseDataFile("e'\r\n1 2 3\r\n\r\n").contents.frequencies.size(), 1u);
}

TEST(DataFileRead, GarbageIsRefusedNotPatched) {
    const DataFileParse p = ParseDataFile("frequency\te'\te''\n1 2 3\n4 x 6\n7 8 9\n");
    EXPECT_EQ(p.status, DataFileStatus::BadLine);
    EXPECT_EQ(p.line, 3);
    EXPECT_TRUE(p.contents.frequencies.empty());
    EXPECT_EQ(ParseDataFile("e' sen\n1 2 3 4\n1 2 3 oops\n").line, 3);
    EXPECT_EQ(ParseDataFile("e'\n1,5 2,5 3,5\n").status, DataFileStatus::BadLine);
    EXPECT_EQ(ParseDataFile("e'\n1 2 1e50\n").status, DataFileStatus::BadLine);  // no float
    EXPECT_EQ(ParseDataFile("e'\n1 2 +-3\n").status, DataFileStatus::BadLine);
    // What "%f" reads is read: signs, exponents, blanks of any kind, text after the numbers.
    const DataFileParse ok = ParseDataFile("e'\n+1e3\t-2.5E-1  .5 trailing words\n");
    ASSERT_EQ(ok.status, DataFileStatus::Ok);
    EXPECT_EQ(ok.contents.frequencies[0], 1000.0);
    EXPECT_EQ(ok.contents.permittivity[0].re, -0.25);
    EXPECT_EQ(ok.contents.permittivity[0].im, 0.5);
    EXPECT_EQ(ParseDataFile("frequency\te'\te''\n").status, DataFileStatus::NoData);
    EXPECT_EQ(ParseDataFile("frequency\te'\te''\n\n1 2 3\n").status, DataFileStatus::NoData);
}

TEST(DataFileRead, SameFrequenciesWithin1024Hz) {
    const std::vector<double> a = {1e9, 2e9};
    EXPECT_TRUE(SameFrequencies(a, {1e9 + 1024.0, 2e9 - 1024.0}));
    EXPECT_FALSE(SameFrequencies(a, {1e9 + 1024.5, 2e9}));
    EXPECT_FALSE(SameFrequencies(a, {1e9}));
    EXPECT_TRUE(SameFrequencies({}, {}));
    // Single-precision round trip of a 20 GHz sweep stays within the tolerance.
    std::vector<double> sweep, back;
    for (int i = 0; i < 1601; ++i) {
        sweep.push_back(2e8 + i * (2e10 - 2e8) / 1600);
        back.push_back(static_cast<double>(static_cast<float>(sweep.back())));
    }
    EXPECT_TRUE(SameFrequencies(sweep, back));
}

}  // namespace
}  // namespace kv::test
