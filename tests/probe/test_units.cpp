#include <gtest/gtest.h>

#include "probe/FrequencyPage.h"
#include "probe/Units.h"

using namespace kv;

TEST(Units, MultiplierIsExactAndCaseSensitive) {
    EXPECT_EQ(UnitMultiplier("GHz"), 1e9);
    EXPECT_EQ(UnitMultiplier("MHz"), 1e6);
    EXPECT_EQ(UnitMultiplier("KHz"), 1e3);
    EXPECT_EQ(UnitMultiplier("Hz"), 1.0);
    EXPECT_EQ(UnitMultiplier("kHz"), 1.0);
    EXPECT_EQ(UnitMultiplier("ghz"), 1.0);
    EXPECT_EQ(UnitMultiplier("200. MHz"), 1.0);
}

TEST(Units, ScaleHzToUnitScalesInPlace) {
    double v = 2e8;
    EXPECT_EQ(ScaleHzToUnit(v), "MHz");
    EXPECT_DOUBLE_EQ(v, 200.0);
    v = 1.5e10;
    EXPECT_EQ(ScaleHzToUnit(v), "GHz");
    EXPECT_DOUBLE_EQ(v, 15.0);
    v = 999.0;
    EXPECT_EQ(ScaleHzToUnit(v), "Hz");
    EXPECT_EQ(v, 999.0);
    v = 1000.0;
    EXPECT_EQ(ScaleHzToUnit(v), "KHz");
    EXPECT_EQ(v, 1.0);
}

TEST(Units, MessageFormOfFrequencies) {
    EXPECT_EQ(FormatFrequency(2e8), "200. MHz");
    EXPECT_EQ(FormatFrequency(1.5e10), "15. GHz");
    EXPECT_EQ(FormatFrequency(300), "300. Hz");
    EXPECT_EQ(FormatFrequency(45e6), "45. MHz");
    EXPECT_EQ(FormatFrequency(1.5e9), "1.5 GHz");
    EXPECT_EQ(FormatFrequency(300e3), "300. KHz");
}

TEST(Units, CompactAndFixedFrequencyTexts) {
    EXPECT_EQ(FrequencyText(2e8, FrequencyForm::Fixed), "200.000000 MHz");
    EXPECT_EQ(FrequencyText(2e8, FrequencyForm::Compact), "200. MHz");
    EXPECT_EQ(FrequencyText(1.5e9, FrequencyForm::Compact), "1.5 GHz");
    EXPECT_EQ(FrequencyText(1.5e9, FrequencyForm::Fixed), "1.500000000 GHz");
    EXPECT_EQ(FrequencyText(20e9, FrequencyForm::Fixed), "20.000000000 GHz");
    EXPECT_EQ(FrequencyText(12345.0, FrequencyForm::Fixed), "12.345 KHz");
    EXPECT_EQ(FrequencyText(12.0, FrequencyForm::Fixed), "12 Hz");
    EXPECT_EQ(FrequencyText(12.0, FrequencyForm::Compact), "12. Hz");
}

TEST(Units, GeneralNumberForm) {
    EXPECT_EQ(FormatGeneral(200.0, 9), "200.");
    EXPECT_EQ(FormatGeneral(1.5, 12), "1.5");
    EXPECT_EQ(FormatGeneral(200000000.0, 15), "200000000.");
    EXPECT_EQ(FormatGeneral(0.25, 12), "0.25");
    EXPECT_EQ(FormatGeneral(0.0, 12), "0.");
    EXPECT_EQ(FormatGeneral(-3.5, 9), "-3.5");
    // Rounded to the digits asked for.
    EXPECT_EQ(FormatGeneral(1.0 / 3.0, 9), "0.333333333");
    EXPECT_EQ(FormatGeneral(2.0 / 3.0 * 1e8, 9), "66666666.7");
    // Exponent form below 0.1 and beyond the digits.
    EXPECT_EQ(FormatGeneral(0.05, 12), "5.e-002");
    EXPECT_EQ(FormatGeneral(1.5e10, 9), "1.5e+010");
}

TEST(Units, TrimmingAndPrintf) {
    EXPECT_EQ(Printf("% 9.4f", 1.5), "   1.5000");
    EXPECT_EQ(TrimLeft("   1.5000 "), "1.5000 ");
    EXPECT_EQ(Trim("   1.5000 "), "1.5000");
    EXPECT_EQ(Trim("    "), "");
}

TEST(FrequencyPage, LeaveChecks) {
    FrequencyPage page;
    EXPECT_FALSE(page.LeaveCheck().has_value());
    page.sweep.startValue = 3;
    page.sweep.startUnit = "GHz";
    page.sweep.stopValue = 2000;
    page.sweep.stopUnit = "MHz";
    auto refusal = page.LeaveCheck();
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->text, "The start frequency must be less than the stop frequency.");
    EXPECT_EQ(refusal->caption, "Setup");
    // Equal start and stop pass.
    page.sweep.stopValue = 3000;
    EXPECT_FALSE(page.LeaveCheck().has_value());
    page.sweep.numPoints = 0;
    refusal = page.LeaveCheck();
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->text, "The number of points must be greater than zero.");
    EXPECT_EQ(refusal->caption, "Setup");
}
