// The document's view handlers: values, autoscale, the scale sheet, default scale, the marker and
// the paint-time checks.
#include <gtest/gtest.h>

#include "display/ScaleSheet.h"
#include "display/ViewDoc.h"
#include "doc/CommandIds.h"
#include "doc/CommandTable.h"

namespace kv::test {
namespace {

TEST(DocViews, ValuesAndTextsFollowTheCurrentFormats) {
    ViewDoc v;
    v.Sweep({2e8, 1.5e9, 1500.0, 12.0});
    v.Fill(0, {{50, 5}, {0, 3}, {40, 8}, {1, 1}});
    auto& doc = v.doc;
    EXPECT_EQ(doc.ViewPointCount(), 4);
    EXPECT_EQ(doc.XValue(0, 1), 1.5e9);
    EXPECT_EQ(doc.YValue(0, 0), 50.0);
    doc.SelectChartFormat(ChartFormat::LossTangent);
    EXPECT_EQ(doc.YValue(0, 1), 9999.0);
    doc.SelectChartFormat(ChartFormat::ColeCole);
    EXPECT_EQ(doc.XValue(0, 2), 40.0);
    EXPECT_EQ(doc.YValue(0, 2), 8.0);

    EXPECT_EQ(doc.CellText(0, 0, 1), "5.0000");
    EXPECT_EQ(doc.CopyRowText(0), "200000000.\t  50.0000\t   5.0000");
    doc.SelectTableFormat(TableFormat::RealTangent);
    EXPECT_EQ(doc.CellText(0, 1, 1), "9999");
    EXPECT_EQ(doc.CopyRowText(1), "1500000000.\t   0.0000\t9999");

    // The table's fixed frequency texts.
    EXPECT_EQ(doc.PointFrequencyText(0), "200.000000 MHz");
    EXPECT_EQ(doc.PointFrequencyText(1), "1.500000000 GHz");
    EXPECT_EQ(doc.PointFrequencyText(2), "1.500 KHz");
    EXPECT_EQ(doc.PointFrequencyText(3), "12 Hz");
    EXPECT_EQ(doc.PointFrequencyText(4), "???????");
}

TEST(DocViews, AutoscaleFitsTheDisplayedTraces) {
    ViewDoc v;
    v.Sweep({2e8, 1e9, 6e9});
    v.Fill(0, {{2.3, 1}, {40, 2}, {78.4, 3}});
    v.doc.Trace(1).permittivity = {{500, 0}, {500, 0}, {500, 0}};  // valid but hidden
    v.doc.Trace(1).valid = true;
    v.doc.Autoscale();
    const CPlotFormat& f = v.doc.Format(kFormatE1);
    EXPECT_EQ(f.current, (Limits{200, 6, 0, 100}));
    EXPECT_EQ(f.minUnit, "MHz");
    EXPECT_EQ(f.maxUnit, "GHz");
    EXPECT_TRUE(v.doc.IsModified());
    EXPECT_EQ(v.view.hints.size(), 1u);
}

TEST(DocViews, AutoscaleWithoutDataOnlyMarksModified) {
    ViewDoc v;
    v.Sweep({2e8, 1e9});
    v.doc.Trace(0).permittivity = {{1, 1}, {2, 2}};
    v.doc.Trace(0).displayed = true;  // not valid
    const Limits before = v.doc.Format(kFormatE1).current;
    v.doc.Autoscale();
    EXPECT_TRUE(v.doc.IsModified());
    EXPECT_EQ(v.doc.Format(kFormatE1).current, before);
    EXPECT_TRUE(v.view.hints.empty());
}

TEST(DocViews, AutoscaleOfTangentsOfZeroRealParts) {
    ViewDoc v;
    v.Sweep({2e8, 1e9});
    v.Fill(0, {{0, 1}, {0, 2}});
    v.doc.SelectChartFormat(ChartFormat::LossTangent);
    v.doc.Autoscale();
    EXPECT_EQ(v.doc.Format(kFormatTanE).current.yMin, 9998.0);
    EXPECT_EQ(v.doc.Format(kFormatTanE).current.yMax, 9999.0);
}

TEST(DocViews, AutoscaleOfColeColeFitsBothAxesAndKeepsUnits) {
    ViewDoc v;
    v.Sweep({2e8, 1e9, 6e9});
    v.Fill(0, {{2.3, 0}, {40, 0}, {78.4, 0}});
    v.doc.SelectChartFormat(ChartFormat::ColeCole);
    v.doc.Autoscale();
    const CPlotFormat& f = v.doc.Format(kFormatColeColeE);
    EXPECT_EQ(f.current, (Limits{0, 100, -1, 1}));
    EXPECT_EQ(f.minUnit, "MHz");
    EXPECT_EQ(f.maxUnit, "GHz");
}

TEST(DocViews, AutoscaleUnderMathLeavesOutInfiniteQuotients) {
    // Data / Memory 1: 10/5 = 2, 20/0 = inf (left out), 30/10 = 3 -> 2 to 3: step 1, centre 2.5
    // fitted to 3 then 2.5: window 2 to 3.
    ViewDoc v;
    v.Sweep({2e8, 1e9, 6e9});
    v.Fill(0, {{10, 1}, {20, 2}, {30, 3}});
    v.Fill(1, {{5, 1}, {0, 1}, {10, 1}});
    v.doc.Trace(1).displayed = false;
    v.doc.mathMode = TraceMath::Divide;
    v.doc.referenceTrace = 1;
    v.doc.Autoscale();
    EXPECT_EQ(v.doc.Format(kFormatE1).current.yMin, 2.0);
    EXPECT_EQ(v.doc.Format(kFormatE1).current.yMax, 3.0);
}

TEST(DocViews, SetScaleOffersTheFitAndAppliesTheEntries) {
    ViewDoc v;
    v.Sweep({2e8, 1e9, 6e9});
    v.Fill(0, {{2.3, 1}, {40, 2}, {78.4, 3}});
    ScaleSheet shown;
    int shownPage = -1;
    v.ui.scaleSheet = [&](ScaleSheet& sheet, int& page) {
        shown = sheet;
        shownPage = page;
        sheet.format.current.xMax = 2500;  // 2500 MHz -> 2.5 GHz
        sheet.format.maxUnit = "MHz";
        sheet.format.current.xMin = 0.5;  // 0.5 GHz -> 500 MHz
        sheet.format.minUnit = "GHz";
        sheet.format.xLog = 1;
        sheet.format.current.yMax = 50;
        sheet.format.current.yMin = 5;
        sheet.format.yLog = 1;
        page = 1;
        return true;
    };
    v.doc.SetScale(-1);
    EXPECT_EQ(shownPage, 0);
    EXPECT_EQ(shown.format.offer, (Limits{200, 6, 0, 100}));
    EXPECT_EQ(shown.format.offerMinUnit, "MHz");
    EXPECT_EQ(shown.format.offerMaxUnit, "GHz");
    EXPECT_EQ(shown.format.current, (Limits{200, 20, 0, 100}));  // the current limits

    const CPlotFormat& f = v.doc.Format(kFormatE1);
    EXPECT_EQ(f.current, (Limits{500, 2.5, 5, 50}));
    EXPECT_EQ(f.minUnit, "MHz");
    EXPECT_EQ(f.maxUnit, "GHz");
    EXPECT_EQ(f.xLog, 1);
    EXPECT_EQ(f.yLog, 1);
    EXPECT_EQ(v.doc.scaleSheetPage, 1);
    EXPECT_TRUE(v.doc.IsModified());
    EXPECT_EQ(v.view.hints.size(), 1u);
}

TEST(DocViews, CancelledScaleSheetChangesNothingButTheOffer) {
    ViewDoc v;
    v.Sweep({2e8, 1e9});
    int shownPage = -1;
    v.ui.scaleSheet = [&](ScaleSheet& sheet, int& page) {
        shownPage = page;
        sheet.format.current.yMax = 1;
        return false;
    };
    CPlotFormat& f = v.doc.Format(kFormatE1);
    f.defaults = {100, 10, 0, 50};
    f.minUnit = "KHz";
    const Limits before = f.current;
    v.doc.SetScale(1);  // the vertical-axis button
    EXPECT_EQ(shownPage, 1);
    EXPECT_EQ(v.doc.scaleSheetPage, 1);
    EXPECT_EQ(f.current, before);
    EXPECT_FALSE(v.doc.IsModified());
    // Without data the offer is the default limits with the current units.
    EXPECT_EQ(f.offer, (Limits{100, 10, 0, 50}));
    EXPECT_EQ(f.offerMinUnit, "KHz");
    EXPECT_EQ(f.offerMaxUnit, "GHz");
}

TEST(DocViews, ColeColeScaleEntriesAreTakenAsEntered) {
    ViewDoc v;
    v.Sweep({2e8});
    v.doc.SelectChartFormat(ChartFormat::ColeCole);
    v.ui.scaleSheet = [&](ScaleSheet& sheet, int&) {
        sheet.format.current.xMax = 2500;
        sheet.format.maxUnit = "MHz";
        return true;
    };
    v.doc.SetScale(0);
    EXPECT_EQ(v.doc.Format(kFormatColeColeE).current.xMax, 2500.0);
    EXPECT_EQ(v.doc.Format(kFormatColeColeE).maxUnit, "MHz");
}

TEST(DocViews, DefaultScaleRestoresDefaultsAndLinearAxes) {
    ViewDoc v;
    CPlotFormat& f = v.doc.Format(kFormatE1);
    f.current = {1, 2, 3, 4};
    f.minUnit = "Hz";
    f.maxUnit = "KHz";
    f.xLog = f.yLog = 1;
    v.doc.DefaultScale();
    EXPECT_EQ(f.current, (Limits{200, 20, 0, 100}));
    EXPECT_EQ(f.minUnit, "MHz");
    EXPECT_EQ(f.maxUnit, "GHz");
    EXPECT_EQ(f.xLog, 0);
    EXPECT_EQ(f.yLog, 0);
    EXPECT_TRUE(v.doc.IsModified());
}

TEST(DocViews, MarkerCommandAndPlacement) {
    ViewDoc v;
    v.Sweep({1, 2, 3, 4, 5});
    v.doc.ToggleMarker();
    EXPECT_TRUE(v.doc.markerOn);
    EXPECT_TRUE(DocumentCommandChecked(v.doc, ID_MARKER));
    v.doc.ToggleMarker();
    EXPECT_FALSE(DocumentCommandChecked(v.doc, ID_MARKER));

    v.view.hints.clear();
    v.doc.PlaceMarker(3);
    EXPECT_TRUE(v.doc.markerOn);
    EXPECT_TRUE(DocumentCommandChecked(v.doc, ID_MARKER));
    EXPECT_EQ(v.doc.markerPosition, 3);
    EXPECT_EQ(v.view.hints, std::vector<UpdateHint>{UpdateHint::ScrollToMarker});
}

TEST(DocViews, MarkerKeysStayInsideTheSweepAndLeaveTheMarkerOff) {
    ViewDoc v;
    v.Sweep({1, 2, 3, 4, 5});
    using K = CKv4731xDoc::MarkerKey;
    v.doc.MoveMarker(K::Up);
    EXPECT_EQ(v.doc.markerPosition, 0);
    v.doc.MoveMarker(K::End);
    EXPECT_EQ(v.doc.markerPosition, 4);
    v.doc.MoveMarker(K::Down);
    EXPECT_EQ(v.doc.markerPosition, 4);
    v.doc.MoveMarker(K::Up);
    EXPECT_EQ(v.doc.markerPosition, 3);
    v.doc.MoveMarker(K::Home);
    EXPECT_EQ(v.doc.markerPosition, 0);
    EXPECT_FALSE(v.doc.markerOn);
    EXPECT_EQ(v.view.hints.size(), 5u);
}

TEST(DocViews, LogAxisWithZeroMinimumIsReportedOnceAndStoresOne) {
    ViewDoc v;
    CPlotFormat& f = v.doc.Format(kFormatE1);
    f.yLog = 1;  // y 0 to 100
    v.doc.CheckLogLimits();
    ASSERT_EQ(v.ui.messages.size(), 1u);
    EXPECT_EQ(v.ui.messages[0].text,
              "Zero or negitive values not allowed in log scale.  Minimum value of verticle scale "
              "set to 1");
    EXPECT_EQ(v.ui.messages[0].caption, "Chart");
    EXPECT_EQ(f.current.yMin, 1.0);
    v.doc.CheckLogLimits();
    EXPECT_EQ(v.ui.messages.size(), 1u);
}

TEST(DocViews, InvalidReferenceTurnsMathOff) {
    ViewDoc v;
    v.doc.mathMode = TraceMath::Subtract;
    v.doc.referenceTrace = 2;
    v.doc.CheckReference();
    ASSERT_EQ(v.ui.messages.size(), 1u);
    EXPECT_EQ(v.ui.messages[0].text, "Reference trace is not valid. Math functions turned off.");
    EXPECT_EQ(v.ui.messages[0].caption, "Display");
    EXPECT_EQ(v.doc.mathMode, TraceMath::Off);
    // A valid reference keeps the math.
    v.doc.Trace(2).valid = true;
    v.doc.mathMode = TraceMath::Divide;
    v.doc.CheckReference();
    EXPECT_EQ(v.ui.messages.size(), 1u);
    EXPECT_EQ(v.doc.mathMode, TraceMath::Divide);
}

}  // namespace
}  // namespace kv::test
