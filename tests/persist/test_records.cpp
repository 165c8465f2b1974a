// The records of one trace, one format and the probe engine's section.

#include <gtest/gtest.h>

#include <cstring>

#include "PersistTestUtil.h"
#include "persist/EngineSection.h"
#include "persist/RecordImages.h"

namespace kv::test {
namespace {

CTrace SampleTrace() {
    CTrace t("< Memory 2", 0x00FF00);
    t.gridMode = false;
    t.spareFlag = true;
    t.lineWidth = 3;
    t.penStyle = 2;
    t.font.height = 16;
    t.font.SetFaceName("Time New Roman");
    t.displayed = true;
    t.valid = true;
    t.informationText = "Trace Information";
    t.permittivity = {{80.25, 4.5}, {79.5, -0.125}};
    t.frequencies = {2e8, 6e9};
    return t;
}

TEST(TraceRecord, ExactLayout) {
    ArchiveWriter w;
    WriteTraceRecord(w, SampleTrace());
    const Bytes& b = w.Bytes();
    const std::size_t textAt = 5 * 4 + 60 + 2 * 4;
    ASSERT_EQ(b.size(), textAt + 18 + (2 + 32) + 2 + (2 + 16));
    EXPECT_EQ(Slice(b, 0, 20), B({0,    0,    0,    0,   1, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0,  //
                                  0x00, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(b[20], 16);  // the font's height
    EXPECT_EQ(b[20 + 28], 'T');
    EXPECT_EQ(Slice(b, 80, 8), B({1, 0, 0, 0, 1, 0, 0, 0}));  // displayed, valid
    EXPECT_EQ(b[textAt], 17);                                 // "Trace Information"
    const std::size_t perm = textAt + 18;
    EXPECT_EQ(Slice(b, perm, 2), B({2, 0}));
    double re = 0;
    std::memcpy(&re, &b[perm + 2], 8);
    EXPECT_EQ(re, 80.25);
    EXPECT_EQ(Slice(b, perm + 34, 2), B({0, 0}));  // empty permeability
    EXPECT_EQ(Slice(b, perm + 36, 2), B({2, 0}));  // two frequencies
}

TEST(TraceRecord, RoundTripKeepsTheLabel) {
    const CTrace original = SampleTrace();
    ArchiveWriter w;
    WriteTraceRecord(w, original);
    CTrace back("< Data", 0x0000FF);
    ArchiveReader r(w.Bytes());
    ReadTraceRecord(r, back);
    EXPECT_FALSE(r.Failed());
    EXPECT_EQ(r.Remaining(), 0u);
    EXPECT_EQ(back.label, "< Data");  // labels are not stored
    EXPECT_EQ(back.colour, 0x00FF00u);
    EXPECT_EQ(back.lineWidth, 3);
    EXPECT_EQ(back.penStyle, 2);
    EXPECT_TRUE(back.spareFlag);
    EXPECT_EQ(back.font, original.font);
    EXPECT_TRUE(back.displayed);
    EXPECT_TRUE(back.valid);
    EXPECT_EQ(back.informationText, "Trace Information");
    ASSERT_EQ(back.permittivity.size(), 2u);
    EXPECT_EQ(back.permittivity[1].im, -0.125);
    EXPECT_TRUE(back.permeability.empty());
    EXPECT_EQ(back.frequencies, original.frequencies);
}

TEST(TraceRecord, AFlagStoredAsTwoReadsBackAsFalseAndArraysTakeTheStoredSize) {
    ArchiveWriter w;
    WriteTraceRecord(w, SampleTrace());
    Bytes b = w.Bytes();
    b[80] = 2;  // displayed
    b[84] = 2;  // valid
    CTrace back;
    back.permeability = {{1, 1}, {2, 2}, {3, 3}};  // replaced by the stored (empty) array
    ArchiveReader r(b);
    ReadTraceRecord(r, back);
    EXPECT_FALSE(r.Failed());
    EXPECT_FALSE(back.displayed);
    EXPECT_FALSE(back.valid);
    EXPECT_TRUE(back.permeability.empty());
}

TEST(FormatRecord, ExactOrderAndRoundTrip) {
    CPlotFormat f = CPlotFormat::Make("e'", {200, 20, 0, 100});
    f.xLog = 1;
    f.yLog = 0;
    f.columnTitles = {"a", "bb", "", "d"};
    f.minUnit = "MHz";
    f.maxUnit = "GHz";
    f.defaults = {1, 2, 3, 4};
    f.defaultMinUnit = "Hz";
    f.defaultMaxUnit = "KHz";
    f.offer = {5, 6, 7, 8};
    f.offerMinUnit = "x";
    f.offerMaxUnit = "y";
    ArchiveWriter w;
    WriteFormatRecord(w, f);
    const Bytes& b = w.Bytes();
    // current limits (32), x and y logarithmic (8), name, titles, min and max unit, default
    // limits, default units, offer limits, offer units.
    Bytes expected(32);
    const double cur[] = {200, 20, 0, 100};
    std::memcpy(expected.data(), cur, 32);
    const Bytes mid = B({1,   0,   0, 0, 0,   0, 0,   0,   2,   'e', '\'', 1,   'a', 2,
                         'b', 'b', 0, 1, 'd', 3, 'M', 'H', 'z', 3,   'G',  'H', 'z'});
    expected.insert(expected.end(), mid.begin(), mid.end());
    const double def[] = {1, 2, 3, 4};
    const auto* dp = reinterpret_cast<const std::uint8_t*>(def);
    expected.insert(expected.end(), dp, dp + 32);
    const Bytes units = B({2, 'H', 'z', 3, 'K', 'H', 'z'});
    expected.insert(expected.end(), units.begin(), units.end());
    const double off[] = {5, 6, 7, 8};
    const auto* op = reinterpret_cast<const std::uint8_t*>(off);
    expected.insert(expected.end(), op, op + 32);
    const Bytes offerUnits = B({1, 'x', 1, 'y'});
    expected.insert(expected.end(), offerUnits.begin(), offerUnits.end());
    EXPECT_EQ(b, expected);

    CPlotFormat back;
    ArchiveReader r(b);
    ReadFormatRecord(r, back);
    EXPECT_FALSE(r.Failed());
    EXPECT_EQ(back, f);
}

TEST(EngineSection, RoundTripWithTheStoredNameApart) {
    CProbeEngine e;
    e.setChartScale = false;
    e.sweep = {.stopValue = 3,
               .startValue = 300,
               .numPoints = 3,
               .startUnit = "MHz",
               .stopUnit = "GHz",
               .sweepType = SweepKind::Logarithmic};
    e.model.apertureScale = 1.25;
    e.model.apertureCoefficients[28] = -7.5;
    e.model.frequencyScale = 1.5;
    e.model.coefficientScale = 0.75;
    e.calSettings = {.refreshStandard = 2,
                     .calibrationType = CalibrationType::LoadAirShort,
                     .probeType = 0,
                     .waterTemperature = 22.5,
                     .physicalCorrection = true,
                     .stdAlpha = {0.1, 0.2, 0.3},
                     .stdEinf = {1, 2, 3},
                     .stdEo = {4, 5, 6},
                     .stdLabel = {"Air", "Short", "Methanol"},
                     .stdTau = {7e-12, 8e-12, 9e-12}};
    e.calibrated = true;
    e.calState[0] = 0xAB;
    e.calState[49999] = 0xCD;
    e.calStateSize = 50000;
    e.instrumentName = "ACME-LABS,VNA4000,0,6.14";
    e.result.sensitivity = {1, 2, 3};
    e.frequencies = {3e8, 1.65e9, 3e9};
    e.errorTracking = {{1, 0}, {0.9, -0.1}, {0.8, -0.2}};
    e.sampleMeasured = {{-0.5, 0.25}};

    ArchiveWriter w;
    WriteEngineSection(w, e);
    const Bytes& b = w.Bytes();
    // setChartScale, stop, start, points: the section's head.
    EXPECT_EQ(Slice(b, 0, 4), B({0, 0, 0, 0}));
    double stop = 0;
    std::memcpy(&stop, &b[4], 8);
    EXPECT_EQ(stop, 3.0);
    EXPECT_EQ(Slice(b, 20, 4), B({3, 0, 0, 0}));
    // The calibrated byte, the state block, its length and the name record.
    const std::size_t calibratedAt =
        4 + 8 + 8 + 4 + 4 + 4 + 4 + 8 + 232 + 8 + 8 + 72 + (4 + 6 + 9) + 24 + 12 + 8;
    EXPECT_EQ(b[calibratedAt], 1);
    EXPECT_EQ(b[calibratedAt + 1], 0xAB);
    EXPECT_EQ(b[calibratedAt + 50000], 0xCD);
    EXPECT_EQ(Slice(b, calibratedAt + 50001, 2), B({0x50, 0xC3}));
    EXPECT_EQ(b[calibratedAt + 50003], 'A');
    EXPECT_EQ(b[calibratedAt + 50003 + 24], 0);
    EXPECT_EQ(Slice(b, calibratedAt + 50203, 2), B({3, 0}));  // sensitivity count

    CProbeEngine back;
    back.instrumentName = "ANOTHER";
    back.calSettings.physicalCorrection = false;
    ArchiveReader r(b);
    const std::string stored = ReadEngineSection(r, back);
    EXPECT_FALSE(r.Failed());
    EXPECT_EQ(r.Remaining(), 0u);
    EXPECT_EQ(stored, "ACME-LABS,VNA4000,0,6.14");
    EXPECT_EQ(back.instrumentName, "ANOTHER");          // the stored name goes apart
    EXPECT_FALSE(back.calSettings.physicalCorrection);  // not in the file
    EXPECT_FALSE(back.setChartScale);
    EXPECT_EQ(back.StartHz(), 3e8);
    EXPECT_EQ(back.StopHz(), 3e9);
    EXPECT_EQ(back.sweep.sweepType, SweepKind::Logarithmic);
    EXPECT_EQ(back.model.apertureScale, 1.25);
    EXPECT_EQ(back.model.apertureCoefficients, e.model.apertureCoefficients);
    EXPECT_EQ(back.model.frequencyScale, 1.5);
    EXPECT_EQ(back.model.coefficientScale, 0.75);
    // Every calibration setting but physicalCorrection.
    CalibrationSheet expected = e.calSettings;
    expected.physicalCorrection = false;
    EXPECT_EQ(back.calSettings, expected);
    EXPECT_TRUE(back.calibrated);
    EXPECT_EQ(back.calState, e.calState);
    EXPECT_EQ(back.calStateSize, 50000);
    EXPECT_EQ(back.result.sensitivity, e.result.sensitivity);
    EXPECT_EQ(back.frequencies, e.frequencies);
    EXPECT_TRUE(back.stdMeasured1.empty());
    ASSERT_EQ(back.errorTracking.size(), 3u);
    EXPECT_EQ(back.errorTracking[2].im, -0.2);
    ASSERT_EQ(back.sampleMeasured.size(), 1u);
    EXPECT_EQ(back.sampleMeasured[0].re, -0.5);
}

TEST(EngineSection, NameRecordOfExactlyTwoHundredCharacters) {
    CProbeEngine e;
    e.instrumentName = std::string(199, 'N') + "Z";
    ArchiveWriter w;
    WriteEngineSection(w, e);
    CProbeEngine back;
    ArchiveReader r(w.Bytes());
    EXPECT_EQ(ReadEngineSection(r, back), e.instrumentName);
    EXPECT_FALSE(r.Failed());

    // A calibrated byte other than 1 is not calibrated.
    Bytes b = w.Bytes();
    const std::size_t calibratedAt =
        4 + 8 + 8 + 4 + 4 + 4 + 4 + 8 + 232 + 8 + 8 + 72 + (3 + 5 + 5) + 3 + 24 + 12 + 8;
    ASSERT_EQ(b[calibratedAt], 0);
    b[calibratedAt] = 2;
    ArchiveReader r2(b);
    ReadEngineSection(r2, back);
    EXPECT_FALSE(back.calibrated);
}

// A load takes what a file was read into: every stored field, so that the taken value writes the
// same record; the label, the engine's own name and what no file stores stay.
TEST(RecordTaking, ALoadTakesEveryStoredFieldAndKeepsTheRest) {
    const CTrace sample = SampleTrace();
    CTrace read = sample;
    CTrace trace("< Data", 0x0000FF);
    TakeTraceRecord(trace, read);
    EXPECT_EQ(trace.label, "< Data");
    ArchiveWriter taken, original;
    WriteTraceRecord(taken, trace);
    WriteTraceRecord(original, sample);
    EXPECT_EQ(taken.Bytes(), original.Bytes());

    CProbeEngine source;
    source.setChartScale = false;
    source.sweep.numPoints = 3;
    source.model.apertureCoefficients[28] = 2.5;
    source.calSettings.stdLabel[2] = "Methanol";
    source.calibrated = true;
    source.calState[123] = 9;
    source.calStateSize = 1000;
    source.instrumentName = "SOURCE";
    source.frequencies = {1e9, 2e9, 3e9};
    source.sampleMeasured = {{8, 0}};
    ArchiveWriter expected;
    WriteEngineSection(expected, source);

    CProbeEngine engine;
    engine.instrumentName = "TARGET";
    engine.calSettings.physicalCorrection = true;
    engine.maxPoints = 401;
    TakeEngineSection(engine, source);
    EXPECT_EQ(engine.instrumentName, "TARGET");
    EXPECT_TRUE(engine.calSettings.physicalCorrection);
    EXPECT_EQ(engine.maxPoints, 401);
    engine.instrumentName = "SOURCE";
    ArchiveWriter back;
    WriteEngineSection(back, engine);
    EXPECT_EQ(back.Bytes(), expected.Bytes());
}

}  // namespace
}  // namespace kv::test
