// The uncertainty in the views: the chart's band, the table's columns and their copy, the menu
// states, the save dialog's check box and the budget window's rows.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

#include "display/BudgetSheet.h"
#include "display/ViewDoc.h"
#include "doc/CommandIds.h"
#include "doc/CommandTable.h"
#include "render/render.h"

namespace kv::test {
namespace {

// Two points with their uncertainties and a third the model could not compute.
struct UncertainDoc : ViewDoc {
    UncertainDoc() {
        Sweep({1e9, 2e9, 3e9});
        Fill(kDataTrace, {{50, 5}, {40, 8}, {9999, 9999}});
        doc.Trace(kDataTrace).uncertaintyE1 = {0.5, 0.25, 9999};
        doc.Trace(kDataTrace).uncertaintyE2 = {0.2, 0.125, 9999};
    }
};

TEST(UncertaintyViews, TheBandCoversTwoStandardUncertaintiesInEachFormat) {
    UncertainDoc v;
    auto& doc = v.doc;
    auto expect = [&](int point, UncertaintyExtent want, const char* what, int trace = kDataTrace) {
        const auto band = doc.BandAt(trace, point);
        ASSERT_TRUE(band) << what;
        EXPECT_DOUBLE_EQ(band->xLow, want.xLow) << what;
        EXPECT_DOUBLE_EQ(band->xHigh, want.xHigh) << what;
        EXPECT_DOUBLE_EQ(band->yLow, want.yLow) << what;
        EXPECT_DOUBLE_EQ(band->yHigh, want.yHigh) << what;
    };
    expect(0, {1e9, 1e9, 49.0, 51.0}, "e'");
    EXPECT_FALSE(doc.BandAt(kDataTrace, 2)) << "a point not computed";
    EXPECT_FALSE(doc.BandAt(kDataTrace, 3)) << "past the end";
    doc.SelectChartFormat(ChartFormat::E2);
    expect(1, {2e9, 2e9, 7.75, 8.25}, "e''");
    // tan = 5/50 = 0.1; u(tan) = sqrt((0.2/50)^2 + (5 * 0.5/2500)^2) = sqrt(1.7e-5).
    doc.SelectChartFormat(ChartFormat::LossTangent);
    expect(0, {1e9, 1e9, 0.1 - 2 * std::sqrt(1.7e-5), 0.1 + 2 * std::sqrt(1.7e-5)}, "tan");
    doc.SelectChartFormat(ChartFormat::ColeCole);
    expect(0, {49.0, 51.0, 4.6, 5.4}, "Cole-Cole");

    // A memory the Data trace is copied into keeps its uncertainty and its band.
    v.ui.displaySheet = [](DisplaySheet& sheet, int&) {
        sheet.memory = 0;
        return true;
    };
    RunDocumentCommand(doc, ID_DATA_TO_MEMORY);
    expect(0, {49.0, 51.0, 4.6, 5.4}, "Memory 1", 1);

    // No band while it is off, under trace math, or in a permeability format.
    doc.uncertaintyBand = false;
    EXPECT_FALSE(doc.BandAt(kDataTrace, 0));
    doc.uncertaintyBand = true;
    doc.mathMode = TraceMath::Subtract;
    doc.referenceTrace = 1;
    EXPECT_FALSE(doc.BandAt(kDataTrace, 0));
    doc.mathMode = TraceMath::Off;
    doc.SelectChartFormat(ChartFormat::U1);
    EXPECT_FALSE(doc.BandAt(kDataTrace, 0));
}

// The first `lines` lines of the table copy from its header on (all of them with 0).
std::string FromHeader(const std::string& text, int lines = 0) {
    std::size_t end = text.find("Frequency");
    const std::size_t begin = end;
    for (int k = 0; k < lines && end != std::string::npos; ++k) {
        end = text.find('\n', end) + 1;
    }
    return text.substr(begin, lines == 0 ? std::string::npos : end - begin);
}

TEST(UncertaintyViews, TheTableAndItsCopyAddTheDataTracesUncertainty) {
    UncertainDoc v;
    auto& doc = v.doc;
    EXPECT_TRUE(doc.UncertaintyColumnsShown());
    EXPECT_EQ(FromHeader(doc.TableCopyText()),
              "Frequency\te'\te''\tu(e')\tu(e'')\n"
              "1000000000.\t  50.0000\t   5.0000\t   0.5000\t   0.2000\n"
              "2000000000.\t  40.0000\t   8.0000\t   0.2500\t   0.1250\n"
              "3000000000.\t 9999.0000\t 9999.0000\t 9999.0000\t 9999.0000\n");
    EXPECT_EQ(doc.UncertaintyText(1, 1), "0.1250");

    // With the sensitivity and a second trace: the named titles, the u columns last.
    doc.includeSensitivity = true;
    doc.Engine().result.sensitivity = {1.5, 2.5, 9999};
    v.Fill(1, {{1, 2}, {3, 4}, {5, 6}});
    EXPECT_EQ(FromHeader(doc.TableCopyText(), 2),
              "Frequency\tData e'\tData e''\tMemory 1 e'\tMemory 1 e''\tData Sensitivity\t"
              "Data u(e')\tData u(e'')\n"
              "1000000000.\t  50.0000\t   5.0000\t   1.0000\t   2.0000\t         1.5000\t"
              "   0.5000\t   0.2000\n");
    EXPECT_EQ(doc.UncertaintyTitle(1), "Data u(e'')");

    // The table view is two columns wider.
    const QSize size(1000, 600);
    const auto wide = TableLayoutFor(doc, TableSurface::Screen({0, 0}, size, size));
    EXPECT_EQ(wide.Metrics().extraColumns, 2);
    EXPECT_EQ(wide.EndX(), wide.TraceX(2) + 2 * wide.ColumnWidth());

    // Band off, or trace math on: no u columns, in the table or the copy.
    doc.includeSensitivity = false;
    v.doc.Trace(1).displayed = false;
    RunDocumentCommand(doc, ID_UNCERTAINTY_BAND);
    EXPECT_EQ(FromHeader(doc.TableCopyText(), 2),
              "Frequency\te'\te''\n1000000000.\t  50.0000\t   5.0000\n");
    EXPECT_EQ(TableLayoutFor(doc, TableSurface::Screen({0, 0}, size, size)).Metrics().extraColumns,
              0);
    doc.uncertaintyBand = true;
    doc.mathMode = TraceMath::Divide;
    doc.referenceTrace = 1;
    EXPECT_FALSE(doc.UncertaintyColumnsShown());
}

TEST(UncertaintyViews, MenuStatesFollowTheUncertaintyAndTheBandIsAProgramSetting) {
    UncertainDoc v;
    auto& doc = v.doc;
    auto state = [&](int id) {
        CommandState s;
        EXPECT_TRUE(QueryDocumentCommand(doc, id, s));
        return s;
    };
    EXPECT_TRUE(state(ID_UNCERTAINTY_BAND).enabled);
    EXPECT_TRUE(state(ID_UNCERTAINTY_BAND).checked);
    RunDocumentCommand(doc, ID_UNCERTAINTY_BAND);
    EXPECT_FALSE(state(ID_UNCERTAINTY_BAND).checked);
    EXPECT_EQ(v.profile.values[kProfileUncertaintyBand], "0");
    EXPECT_FALSE(doc.IsModified());
    // The next start reads it back.
    ScriptedUi ui;
    FakeRegistry registry;
    CKv4731xDoc next(ui, registry, v.profile);
    EXPECT_FALSE(next.uncertaintyBand);

    // The budget needs the result's uncertainty, the band the Data trace's.
    EXPECT_FALSE(state(ID_UNCERTAINTY_BUDGET).enabled);
    doc.Engine().result = {
        {1e9, 2e9, 3e9}, doc.Trace(kDataTrace).permittivity, {}, {1, 2, 3}, {1, 2, 3}};
    EXPECT_TRUE(state(ID_UNCERTAINTY_BUDGET).enabled);
    doc.Trace(kDataTrace).uncertaintyE2.pop_back();
    EXPECT_FALSE(state(ID_UNCERTAINTY_BAND).enabled);

    // Without a budget at the marker's point the window says so.
    doc.markerPosition = 7;
    RunDocumentCommand(doc, ID_UNCERTAINTY_BUDGET);
    ASSERT_EQ(v.ui.messages.size(), 1u);
    EXPECT_EQ(v.ui.messages[0].text, "No uncertainty budget is known at 3.000000000 GHz.");
    EXPECT_TRUE(v.ui.budgets.empty());
}

TEST(UncertaintyViews, TheSaveDialogOffersTheColumnsForTheDataTracesUncertainty) {
    UncertainDoc v;
    auto& doc = v.doc;
    v.Fill(1, {{1, 2}, {3, 4}, {5, 6}});
    const std::string path = ::testing::TempDir() + "uncertainty-views.prn";
    // Data with an uncertainty: offered, unchecked at first; the operator checks it.
    v.ui.traceChoices = {kDataTrace, 1, kDataTrace};
    v.ui.saveFileNames = {path, path, path};
    v.ui.saveOptionAnswers = {true, false, false};
    RunDocumentCommand(doc, ID_FILE_SAVE_DATA);
    EXPECT_TRUE(doc.includeUncertainty);
    // A memory: offered greyed, as last chosen, and the choice stays for the Data trace.
    RunDocumentCommand(doc, ID_FILE_SAVE_DATA);
    EXPECT_TRUE(doc.includeUncertainty);
    RunDocumentCommand(doc, ID_FILE_SAVE_DATA);
    EXPECT_FALSE(doc.includeUncertainty);
    std::string offered;
    for (const FileDialogOption& o : v.ui.saveOptions) {
        offered +=
            o.text + (o.enabled ? " enabled" : " greyed") + (o.checked ? " checked\n" : "\n");
    }
    EXPECT_EQ(offered,
              "Include uncertainty enabled\nInclude uncertainty greyed checked\n"
              "Include uncertainty enabled checked\n");
    std::remove(path.c_str());
}

TEST(UncertaintyViews, TheBudgetWindowListsEveryTermThenTheCombinedUncertainty) {
    UncertaintyBudget budget;
    budget.frequency = 1.5e9;
    budget.e1 = 78.12345;
    budget.e2 = 9.5;
    budget.uE1 = 0.05;
    budget.uE2 = 0.0125;
    budget.terms = {{"Air reading", 0.03, 0.0075, true, "stated, not measured"},
                    {"Water temperature", 0.04, 0.01, false, "u(T) = 0.1 K"}};
    budget.notes = {"The water table is clamped at 75 C here."};
    const BudgetSheet sheet = BudgetSheetOf(budget);
    EXPECT_EQ(sheet.heading, "At 1.500000000 GHz: e' = 78.1235, e'' = 9.5000");
    ASSERT_EQ(sheet.rows.size(), 3u);
    const BudgetRow want[] = {
        {"Air reading", "0.03", "0.0075", "stated", "stated, not measured"},
        {"Water temperature", "0.04", "0.01", "measured", "u(T) = 0.1 K"},
        {"Combined", "0.05", "0.0125", "", "the root of the sum of the squares"}};
    for (std::size_t k = 0; k < 3; ++k) {
        const BudgetRow& r = sheet.rows[k];
        EXPECT_EQ(std::tie(r.input, r.uE1, r.uE2, r.source, r.note),
                  std::tie(want[k].input, want[k].uE1, want[k].uE2, want[k].source, want[k].note));
    }
    EXPECT_EQ(sheet.notes,
              (std::vector<std::string>{
                  "The water table is clamped at 75 C here.", "Stated, not measured: Air reading.",
                  "Standard uncertainties (k = 1); the chart's band reaches 2 u either "
                  "side."}));
}

TEST(UncertaintyViews, TheChartDrawsTheBandUnderTheTrace) {
    UncertainDoc v;
    auto& doc = v.doc;
    const QSize size(600, 400);
    // Scale so that the band is tens of pixels high around e' = 50 and 40.
    doc.Trace(kDataTrace).uncertaintyE1 = {2, 2, 9999};
    doc.Format(kFormatE1).current = {1, 2, 30, 60};
    doc.Format(kFormatE1).minUnit = doc.Format(kFormatE1).maxUnit = "GHz";
    const QImage with = RenderChartImage(doc, size);
    const ChartLayout layout = ChartLayoutFor(doc, ChartSurface::Screen(size));
    // Half way between the first two points the line is at 44.5, the band from 40.5 to 48.5
    // (away from the grid lines at 1.5e9 and 1.6e9, 45 and 48).
    const auto centre = layout.Map(1.55e9, 44.5);
    const auto edge = layout.Map(1.55e9, 47.0);
    const auto outside = layout.Map(1.55e9, 49.5);
    ASSERT_TRUE(centre && edge && outside);
    const QRgb tint = with.pixel(edge->x, edge->y);
    EXPECT_EQ(qRed(tint), 255) << "the Data trace's red, blended with white";
    EXPECT_LT(qGreen(tint), 255);
    EXPECT_EQ(qGreen(tint), qBlue(tint));
    bool line = false;
    for (int dy = -1; dy <= 1; ++dy) {
        line = line || with.pixel(centre->x, centre->y + dy) == qRgb(255, 0, 0);
    }
    EXPECT_TRUE(line) << "the trace on top of its band";
    EXPECT_EQ(with.pixel(outside->x, outside->y), qRgb(255, 255, 255));
    doc.uncertaintyBand = false;
    EXPECT_EQ(RenderChartImage(doc, size).pixel(edge->x, edge->y), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace kv::test
