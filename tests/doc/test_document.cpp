#include "DocFixture.h"

#include "doc/CommandIds.h"
#include "doc/CommandTable.h"

namespace kv::test {
namespace {

using Document = DocFixture;

TEST_F(Document, DefaultsWithAnEmptyProfile) {
    CKv4731xDoc& d = Make();
    // The constructor writes "0" and "16", then an empty profile gives "7" and "16".
    EXPECT_EQ(d.cardAddress, "7");
    EXPECT_EQ(d.instrumentAddress, "16");
    EXPECT_EQ(d.cardClsid, "");
    EXPECT_EQ(d.instrumentClsid, "");
    EXPECT_EQ(d.rememberedCardClsid, "");
    EXPECT_EQ(d.fileMagic, "QVR47310C1.02");
    EXPECT_FALSE(d.HasInstrument());
    EXPECT_EQ(d.CurrentInstrumentName(), "");

    EXPECT_TRUE(d.messagesEnabled);
    EXPECT_FALSE(d.defaultsValid);
    EXPECT_FALSE(d.includeSensitivity);
    EXPECT_FALSE(d.forwardOnly);
    EXPECT_FALSE(d.markerOn);
    EXPECT_FALSE(d.firstShowDone);
    EXPECT_EQ(d.mathMode, TraceMath::Off);
    EXPECT_EQ(d.referenceTrace, 0);

    EXPECT_EQ(d.sweep.startValue, 200.0);
    EXPECT_EQ(d.sweep.startUnit, "MHz");
    EXPECT_EQ(d.sweep.stopValue, 6.0);
    EXPECT_EQ(d.sweep.stopUnit, "GHz");
    EXPECT_EQ(d.sweep.numPoints, 51);
    EXPECT_EQ(d.sweep.sweepType, SweepKind::Linear);
    EXPECT_EQ(d.lowestFrequency, 200000000.0);
    EXPECT_EQ(d.highestFrequency, 20000000000.0);
    EXPECT_EQ(d.lowestPoints, 1);
    EXPECT_EQ(d.highestPoints, 1601);

    // The engine got the document's sweep at construction.
    EXPECT_EQ(d.Engine().StartHz(), 2e8);
    EXPECT_EQ(d.Engine().StopHz(), 6e9);
    EXPECT_EQ(d.Engine().sweep.numPoints, 51);

    EXPECT_EQ(d.title.text, "Title");
    EXPECT_EQ(d.title.colour, 0x0000FFu);
    EXPECT_EQ(d.subtitle.text, "SubTitle");
    EXPECT_EQ(d.subtitle.colour, 200u);
    EXPECT_EQ(d.timeDateColour, 0x808080u);
    EXPECT_EQ(d.scaleColour, 0x808080u);
    EXPECT_EQ(d.gridColour, 0xC0C0C0u);
    EXPECT_EQ(d.parameterColour, 0x404040u);
    EXPECT_EQ(d.tableColour, 0u);
    EXPECT_TRUE(d.reservedFlag14);
    EXPECT_EQ(d.dateStamp, d.timeStamp);
    EXPECT_NE(d.dateStamp, 0);

    const char* labels[] = {"< Data", "< Memory 1", "< Memory 2", "< Memory 3"};
    const ColorRef colours[] = {0x0000FF, 0xFF0000, 0x00FF00, 0xFF0080};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(d.Trace(i).label, labels[i]);
        EXPECT_EQ(d.Trace(i).colour, colours[i]);
        EXPECT_FALSE(d.Trace(i).valid);
        EXPECT_FALSE(d.Trace(i).displayed);
    }
    EXPECT_EQ(d.CurrentChartFormat(), ChartFormat::E1);
    EXPECT_EQ(d.CurrentTableFormat(), TableFormat::RealImaginary);
    EXPECT_EQ(d.Format(kFormatE2).name, "e''");
    EXPECT_EQ(d.Format(kFormatE2).current.yMax, 20.0);
    EXPECT_EQ(d.Format(kFormatTanE).current.yMax, 10.0);
    EXPECT_EQ(d.Format(kFormatColeColeE).current.xMax, 100.0);
    EXPECT_EQ(d.Format(kFormatTableReTan).columnTitles[1], "e''/e'");
}

TEST_F(Document, ProfileValuesReplaceOnlyEmptyAddresses) {
    profile.values[kProfileInstrumentAddress] = "";
    profile.values[kProfileCardAddress] = "3";
    profile.values[kProfileInstrumentClsid] = "{ABC}";
    CKv4731xDoc& d = Make();
    EXPECT_EQ(d.instrumentAddress, "16");
    EXPECT_EQ(d.cardAddress, "3");
    EXPECT_EQ(d.instrumentClsid, "{ABC}");
    EXPECT_EQ(d.rememberedInstrumentClsid, "{ABC}");

    // A card that reads texts keeps an empty address.
    doc.reset();
    registry.AddTextCard();
    profile.values[kProfileCardClsid] = kFakeTextCardClsid;
    profile.values[kProfileCardAddress] = "vna-7.lab";
    EXPECT_EQ(Make().instrumentAddress, "");
}

TEST_F(Document, DefaultFontsComeFromTheStockFontOnceForEveryFrontEnd) {
    // The stock system font: height 16, width 7, weight 700.
    CKv4731xDoc& d = Make();
    EXPECT_EQ(d.title.font.height, 24);  // 16 x 1.5 truncated
    EXPECT_EQ(d.title.font.width, 10);   // 7 x 1.5 truncated
    EXPECT_EQ(d.title.font.FaceName(), "Time New Roman");
    EXPECT_EQ(d.timeDateFont.height, 9);  // 16 x 0.6 truncated
    EXPECT_EQ(d.timeDateFont.width, 4);
    EXPECT_EQ(d.subtitle.font.height, 16);
    EXPECT_EQ(d.tableFont.weight, 700);
    for (int t = 0; t < kTraceCount; ++t) {
        EXPECT_EQ(d.Trace(t).font.height, 16);
        EXPECT_EQ(d.Trace(t).font.FaceName(), "Time New Roman");
    }
    // Registering the chart view selects the formats and leaves the fonts alone.
    const LogFont title = d.title.font;
    d.RegisterChartView(nullptr);
    EXPECT_EQ(d.title.font, title);
    EXPECT_TRUE(DocumentCommandChecked(d, ID_FORMAT_E1));
    EXPECT_TRUE(DocumentCommandChecked(d, ID_TABLE_REAL_IMAG));
    EXPECT_FALSE(d.IsModified());
}

TEST_F(Document, FrequencyTextsOfThePoints) {
    CKv4731xDoc& d = Make();
    EXPECT_EQ(d.PointFrequencyText(0), "200.000000 MHz");
    EXPECT_EQ(d.PointFrequencyText(50), "6.000000000 GHz");
    EXPECT_EQ(d.PointFrequencyText(51), "???????");
    EXPECT_EQ(d.PointFrequencyText(-1), "???????");
}

TEST_F(Document, ReferenceTagParameterLabelAndLegend) {
    CKv4731xDoc& d = Make();
    EXPECT_EQ(d.ReferenceTag(), "[< Data]");
    EXPECT_EQ(d.ChartParameterLabel(), "e'");
    EXPECT_EQ(d.TraceMathLegend(), "");
    d.referenceTrace = 1;
    d.mathMode = TraceMath::Divide;
    EXPECT_EQ(d.ReferenceTag(), "[< Memory 1]");
    EXPECT_EQ(d.ChartParameterLabel(), "e' / [< Memory 1]");
    EXPECT_EQ(d.TraceMathLegend(), "Listed measurements are divided by [< Memory 1]");
    d.mathMode = TraceMath::Subtract;
    d.SelectChartFormat(ChartFormat::ColeCole);
    EXPECT_EQ(d.ChartParameterLabel(), "Cole-Cole e - [< Memory 1]");
    EXPECT_EQ(d.TraceMathLegend(), "Listed measurements have [< Memory 1] subtracted from them");
}

TEST_F(Document, TraceTestsByIndex) {
    CKv4731xDoc& d = Make();
    d.Trace(2).valid = true;
    EXPECT_TRUE(d.TraceValid(2));
    EXPECT_FALSE(d.TraceDisplayedAndValid(2));
    EXPECT_FALSE(d.AnyTraceDisplayedAndValid());
    d.Trace(2).displayed = true;
    EXPECT_TRUE(d.TraceDisplayedAndValid(2));
    EXPECT_TRUE(d.AnyTraceDisplayedAndValid());
    EXPECT_FALSE(d.TraceValid(4));
    EXPECT_FALSE(d.TraceDisplayedAndValid(4));
    EXPECT_FALSE(d.TraceDisplayedAndValid(-1));
    d.InvalidateAllTraces();
    EXPECT_FALSE(d.TraceValid(2));
    EXPECT_FALSE(d.Trace(2).displayed);
}

TEST_F(Document, MeasuredDataStampsAndShowsTheDataTrace) {
    RememberFakeSelection();
    registry.driver = std::make_shared<FakeDriver>();
    CKv4731xDoc& d = Make();
    ASSERT_TRUE(d.Connect());
    d.Engine().calibrated = true;
    d.dateStamp = d.timeStamp = 0;
    ASSERT_TRUE(d.Measure().Done());
    EXPECT_TRUE(d.Trace(0).valid);
    EXPECT_TRUE(d.Trace(0).displayed);
    EXPECT_EQ(d.Trace(0).frequencies, d.Engine().frequencies);
    EXPECT_EQ(d.Trace(0).frequencies, d.Result().frequencies);
    EXPECT_EQ(d.Trace(0).permittivity.size(), d.Result().permittivity.size());
    EXPECT_NE(d.dateStamp, 0);
    EXPECT_EQ(d.dateStamp, d.timeStamp);

    // "Update on measurement" unchecked: the stamps the operator set stay.
    d.timeDateUpdate = false;
    d.dateStamp = 86400;
    d.timeStamp = 3600;
    ASSERT_TRUE(d.Measure().Done());
    EXPECT_EQ(d.dateStamp, 86400);
    EXPECT_EQ(d.timeStamp, 3600);
}

TEST_F(Document, InstrumentSweepBecomesTheDocumentsSettingsAndChartRange) {
    RememberFakeSelection();
    registry.driver = std::make_shared<FakeDriver>();
    registry.driver->reportStartHz = 45e6;
    registry.driver->reportStopHz = 3e9;
    registry.driver->reportPoints = 201;
    CKv4731xDoc& d = Make();
    ASSERT_TRUE(d.Connect());
    d.Engine().sweep.sweepType = SweepKind::Logarithmic;
    d.VerifyInstrumentSetup();
    EXPECT_EQ(ui.MessageTexts(),
              std::vector<std::string>{"The setup has been changed by the instrument."});
    EXPECT_DOUBLE_EQ(d.sweep.startValue, 45.0);
    EXPECT_EQ(d.sweep.startUnit, "MHz");
    EXPECT_DOUBLE_EQ(d.sweep.stopValue, 3.0);
    EXPECT_EQ(d.sweep.stopUnit, "GHz");
    EXPECT_EQ(d.sweep.numPoints, 201);
    EXPECT_EQ(d.sweep.sweepType, SweepKind::Logarithmic);
    for (int f : {kFormatE1, kFormatE2, kFormatTanE, kFormatU1, kFormatU2, kFormatTanU}) {
        EXPECT_DOUBLE_EQ(d.Format(f).current.xMin, 45.0);
        EXPECT_DOUBLE_EQ(d.Format(f).defaults.xMax, 3.0);
        EXPECT_EQ(d.Format(f).minUnit, "MHz");
        EXPECT_EQ(d.Format(f).defaultMaxUnit, "GHz");
        EXPECT_EQ(d.Format(f).xLog, 1);
    }
    // Cole-Cole keeps its e' range.
    EXPECT_EQ(d.Format(kFormatColeColeE).current.xMin, 0.0);
    EXPECT_EQ(d.Format(kFormatColeColeE).xLog, 0);
    EXPECT_EQ(d.Engine().sweep.numPoints, 201);
    EXPECT_DOUBLE_EQ(d.Engine().StartHz(), 45e6);
}

}  // namespace
}  // namespace kv::test
