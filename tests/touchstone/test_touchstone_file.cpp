// The one-port Touchstone reader on every option-line form and both versions, its refusals with
// their line numbers, and the writer's bytes read back bit for bit.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "instrument/PrintableText.h"
#include "touchstone/Touchstone.h"

namespace kv {
namespace {

TouchstoneData Read(const std::string& text) {
    const TouchstoneParse parse = ParseTouchstone(text);
    EXPECT_TRUE(parse.ok) << parse.line << ": " << parse.reason;
    return parse.data;
}

void ExpectPoint(const TouchstoneData& d, std::size_t i, double f, double re, double im,
                 double tolerance = 1e-15) {
    ASSERT_LT(i, d.s11.size());
    EXPECT_EQ(d.frequencies[i], f);
    EXPECT_NEAR(d.s11[i].re, re, tolerance);
    EXPECT_NEAR(d.s11[i].im, im, tolerance);
}

TEST(TouchstoneFile, ReadsEveryOptionLineForm) {
    // RI in MHz with a reference resistance, fields in any order and any case.
    TouchstoneData d = Read("# MHz S RI R 50\n100 0.5 -0.25\n250.5 -1 0\n");
    ASSERT_EQ(d.s11.size(), 2u);
    ExpectPoint(d, 0, 1e8, 0.5, -0.25);
    ExpectPoint(d, 1, 2.505e8, -1.0, 0.0);
    EXPECT_EQ(d.referenceOhms, 50.0);
    d = Read("# ri R 25 s hz\n1000 0.1 0.2\n");
    ExpectPoint(d, 0, 1000.0, 0.1, 0.2);
    EXPECT_EQ(d.referenceOhms, 25.0);
    // MA: 0.5 at 90 degrees is (0, 0.5).
    d = Read("# GHz S MA R 50\n1 0.5 90\n2 1 -180\n");
    ExpectPoint(d, 0, 1e9, 0.0, 0.5);
    ExpectPoint(d, 1, 2e9, -1.0, 0.0);
    // DB: -6.0206 dB is a magnitude of 0.5 (to 1e-6); kHz; a resistance of 75 ohm.
    d = Read("# kHz S DB R 75\n1 -6.0206 180\n");
    ExpectPoint(d, 0, 1e3, -0.5, 0.0, 1e-6);
    EXPECT_EQ(d.referenceOhms, 75.0);
    // Left-out fields are GHz, S, MA and R 50, with or without an option line; "+" signs read.
    for (const char* text : {"#\n2 0.5 0\n", "2 +0.5 +0\n"}) {
        d = Read(text);
        ExpectPoint(d, 0, 2e9, 0.5, 0.0);
        EXPECT_EQ(d.referenceOhms, 50.0);
    }
}

TEST(TouchstoneFile, ReadsCommentsLineEndsAndVersionTwo) {
    // Comments before and after the option line and behind data, CR LF, a second option line
    // that does not count, blank lines and tabs.
    TouchstoneData d = Read(
        "! written by hand\r\n# Hz S RI R 50 ! options\r\n# GHz S MA\r\n\r\n"
        "1e9\t0.25 0.5 ! first\r\n2e9 0.75 -0.5\r\n");
    ASSERT_EQ(d.s11.size(), 2u);
    ExpectPoint(d, 0, 1e9, 0.25, 0.5);
    ExpectPoint(d, 1, 2e9, 0.75, -0.5);

    // Version 2: [Reference] takes the place of the option line's resistance, on its own line
    // too; information blocks are skipped; nothing after [End] is read.
    const std::string v2 =
        "! version 2\n[Version] 2.0\n# GHz S RI R 50\n[Number of Ports] 1\n"
        "[Number of Frequencies] 2\n[Reference]\n75\n[Begin Information]\nanything at all\n"
        "[End Information]\n[Network Data]\n1 0.1 0.2\n2 0.3 0.4\n[End]\nnot read\n";
    d = Read(v2);
    ASSERT_EQ(d.s11.size(), 2u);
    ExpectPoint(d, 1, 2e9, 0.3, 0.4);
    EXPECT_EQ(d.referenceOhms, 75.0);
    d = Read(
        "[Version] 2.1\n# MHz S DB R 50\n[Number of Ports] 1\n[Matrix Format] Full\n"
        "[Number of Frequencies] 1\n[Reference] 60\n[Network Data]\n10 0 0\n[End]\n");
    ExpectPoint(d, 0, 1e7, 1.0, 0.0);
    EXPECT_EQ(d.referenceOhms, 60.0);
}

TEST(TouchstoneFile, RefusesWithTheLineThatDoesNotRead) {
    struct Case {
        const char* text;
        int line;
        const char* reason;
    };
    const std::string v2head = "[Version] 2.0\n# GHz S RI\n[Number of Ports] 1\n";
    const Case cases[] = {
        {"# GHz S RI\n1 0.1\n", 2,
         "a point of a one-port file is three numbers (frequency, two parts of S11), the line "
         "holds 2"},
        {"! two-port\n# GHz S RI\n1 1 2 3 4 5 6 7 8\n", 3,
         "a point of a one-port file is three numbers (frequency, two parts of S11), the line "
         "holds 9"},
        {"# GHz S RI\n1 0.1 0.2\n2 0,5 0\n", 3, "'0,5' is not a number"},
        {"# GHz Z RI\n1 0.1 0.2\n", 1, "the file holds Z parameters; only S parameters are read"},
        {"# GHz S XY\n", 1, "the option line holds an unknown field 'XY'"},
        {"# GHz S RI R\n", 1, "the option line names no reference resistance after R"},
        {"# GHz S RI\n1 0 0\n3 0 0\n2 0 0\n", 4, "the frequency '2' is not above the one before"},
        {"# GHz S RI\n-1 0 0\n", 2, "the frequency '-1' is negative or too large"},
        {"! nothing\n# GHz S RI\n", 2, "the file holds no data"},
        {"# GHz S RI\n[Network Data]\n", 2,
         "the keyword [Network Data] belongs to version 2, but the file has no [Version] line"},
        {"# GHz S RI\n[Version] 2.0\n", 2, "[Version] must come before everything else"},
        {"[Version] 3.0\n", 1, "version '3.0' is not read (versions 1 and 2 are)"},
        {"[Version] 2.0\n# GHz S RI\n[Number of Ports] 2\n", 3,
         "the file describes '2' ports; only one-port files are read"},
        {"[Version] 2.0\n# GHz S RI\n1 0 0\n", 3, "data come before [Network Data]"},
        {"[Version] 2.0\n# GHz S RI\n[Number of Ports] 1\n[Network Data]\n", 4,
         "[Network Data] comes before [Number of Frequencies]"},
        {"[Version] 2.0\n# GHz S RI\n[Number of Ports] 1\n[Number of Frequencies] 2\n"
         "[Network Data]\n1 0 0\n[End]\n",
         7, "the file holds 1 points, but [Number of Frequencies] says 2"},
        {"[Version] 2.0\n# GHz S RI\n[Number of Ports] 1\n[Number of Frequencies] 1\n"
         "[Network Data]\n1 0 0\n2 0 0\n",
         7, "the file holds more points than [Number of Frequencies] says (1)"},
        {"[Version] 2.0\n# GHz S RI\n[Colour] red\n", 3,
         "[Colour] is not a keyword this program reads"},
    };
    for (const Case& c : cases) {
        const TouchstoneParse parse = ParseTouchstone(c.text);
        EXPECT_FALSE(parse.ok) << c.text;
        EXPECT_EQ(parse.line, c.line) << c.text;
        EXPECT_EQ(parse.reason, c.reason) << c.text;
        EXPECT_TRUE(parse.data.s11.empty());
    }
    const TouchstoneParse parse = ParseTouchstone("# GHz S RI\n1 0.1\n");
    EXPECT_EQ(TouchstoneErrorText("probe/air.s1p", parse),
              "The Touchstone file probe/air.s1p does not read at line 2: a point of a one-port "
              "file is three numbers (frequency, two parts of S11), the line holds 2.");
    EXPECT_EQ(TouchstoneErrorText("/no/such/file.s1p", ReadTouchstoneFile("/no/such/file.s1p")),
              "The Touchstone file /no/such/file.s1p cannot be read: the file does not exist.");
}

TEST(TouchstoneFile, WritesVersionOneAndReadsItBackBitForBit) {
    TouchstoneData d;
    d.frequencies = {1e9, 2.5e9};
    d.s11 = {CComplex(0.1, -0.2), CComplex(-0.0, 1.0 / 3.0)};
    EXPECT_EQ(FormatTouchstone(d, "Test analyzer\nline two", "2026-01-02 03:04:05"),
              "! One-port reflection S11 written by kv47310\n"
              "! Instrument: Test analyzer line two\n"
              "! Date: 2026-01-02 03:04:05\n"
              "# Hz S RI R 50\n"
              "1000000000 0.10000000000000001 -0.20000000000000001\n"
              "2500000000 -0 0.33333333333333331\n");

    // Values of every size, the smallest and largest doubles among them.
    TouchstoneData many;
    many.referenceOhms = 73.25;
    double f = 123456.789;
    for (int i = 0; i < 200; ++i) {
        many.frequencies.push_back(f);
        f = f * 1.0371 + 0.001;
        const double a = std::sin(i * 0.77) * std::pow(10.0, (i % 41) - 20);
        many.s11.push_back(CComplex(a, i == 7   ? 4.9e-324
                                       : i == 8 ? 1.7976931348623157e308
                                                : -a / 3));
    }
    const TouchstoneParse back = ParseTouchstone(FormatTouchstone(many, "x", "y"));
    ASSERT_TRUE(back.ok) << back.line << ": " << back.reason;
    EXPECT_EQ(back.data.referenceOhms, 73.25);
    ASSERT_EQ(back.data.s11.size(), many.s11.size());
    EXPECT_EQ(std::memcmp(back.data.frequencies.data(), many.frequencies.data(),
                          many.frequencies.size() * sizeof(double)),
              0);
    EXPECT_EQ(
        std::memcmp(back.data.s11.data(), many.s11.data(), many.s11.size() * sizeof(CComplex)), 0);
}

// An identification text is shown and written with its control characters replaced; letters
// beyond ASCII (UTF-8 or Latin-1 bytes) stay.
TEST(PrintableText, ReplacesEveryControlCharacterAndNothingElse) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"Nowhere Instruments,SIM-VNA,0001,1.0", "Nowhere Instruments,SIM-VNA,0001,1.0"},
        {"\x1b[2J\x1b[31mSIM-VNA", "?[2J?[31mSIM-VNA"},
        {"line\r\nnext\ttab", "line??next?tab"},
        {std::string("nul\0byte", 8), "nul?byte"},
        {"del\x7f", "del?"},
        {"\xc2\xb5m \xe9t\xe9", "\xc2\xb5m \xe9t\xe9"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PrintableText(c.in), c.out) << c.in;
    }
    // The comment of a written file holds the cleaned text on its one line.
    TouchstoneData data;
    data.frequencies = {1e9};
    data.s11 = {{0.5, -0.25}};
    const std::string text = FormatTouchstone(data, "SIM\x1b]0;x\x07-VNA\nX", "2026-01-01");
    EXPECT_NE(text.find("! Instrument: SIM?]0;x?-VNA X\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace kv
