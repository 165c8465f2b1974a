// The time chart's commands on the document: frequencies from the marker, quantity, autoscale
// and scale, the views told of a new record, and setup files that never hold any of it.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "DocFixture.h"
#include "doc/CommandIds.h"
#include "doc/CommandTable.h"

namespace kv::test {
namespace {

using TimeChartCommands = DocFixture;

using Slots = std::array<double, kTimeSeriesFrequencies>;

bool Enabled(const CKv4731xDoc& doc, int id) {
    CommandState state;
    EXPECT_TRUE(QueryDocumentCommand(doc, id, state));
    return state.enabled;
}

std::string Bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(TimeChartCommands, MarkerFrequencyFillsTheFreeSlotsThenTheLast) {
    CKv4731xDoc& d = Make();
    d.Engine().frequencies = {1e8, 2e8, 3e8, 4e8, 5e8, 6e8};
    d.markerOn = false;
    EXPECT_FALSE(Enabled(d, ID_TIME_CHART_MARKER_FREQUENCY));
    EXPECT_FALSE(d.AddMarkerFrequencyToTimeChart());

    const auto add = [&d](int point) {
        d.PlaceMarker(point);
        return d.AddMarkerFrequencyToTimeChart();
    };
    EXPECT_TRUE(add(2));
    EXPECT_TRUE(Enabled(d, ID_TIME_CHART_MARKER_FREQUENCY));
    EXPECT_FALSE(add(2));  // already followed
    EXPECT_TRUE(add(0));
    EXPECT_TRUE(add(1));
    EXPECT_EQ(d.TimeChart().frequencies, (Slots{3e8, 1e8, 2e8, 0}));
    EXPECT_TRUE(add(4));
    EXPECT_TRUE(add(5));  // all four used: the last one goes
    EXPECT_EQ(d.TimeChart().frequencies, (Slots{3e8, 1e8, 2e8, 6e8}));
    // The series takes them; the setup is not modified.
    EXPECT_EQ(d.timeSeries.frequencies, d.TimeChart().frequencies);
    EXPECT_FALSE(d.IsModified());
}

TEST_F(TimeChartCommands, QuantityAutoscaleAndScale) {
    CKv4731xDoc& d = Make();
    const auto checked = [&d](int id) { return DocumentCommandChecked(d, id); };
    EXPECT_TRUE(checked(ID_TIME_CHART_PERMITTIVITY));
    EXPECT_FALSE(checked(ID_TIME_CHART_LOSS_TANGENT));
    RunDocumentCommand(d, ID_TIME_CHART_LOSS_TANGENT);
    EXPECT_EQ(d.TimeChart().quantity, TimeChartQuantity::LossTangent);
    EXPECT_FALSE(checked(ID_TIME_CHART_PERMITTIVITY));
    EXPECT_TRUE(checked(ID_TIME_CHART_LOSS_TANGENT));
    RunDocumentCommand(d, ID_TIME_CHART_PERMITTIVITY);

    // Autoscale off keeps the limits drawn last: e' 30 and e'' 20 at 0 and 12 s give
    // 0 to 20 s and 20 to 30.
    TimeChartSettings settings = d.TimeChart();
    settings.frequencies = {1e9, 0, 0, 0};
    d.SetTimeChart(settings);
    MeasurementResult result;
    result.frequencies = {1e9};
    result.permittivity = {CComplex(30, 20)};
    d.timeSeries.Append(0, 0.0, result);
    d.timeSeries.Append(1, 12.0, result);
    EXPECT_TRUE(checked(ID_TIME_CHART_AUTOSCALE));
    RunDocumentCommand(d, ID_TIME_CHART_AUTOSCALE);
    EXPECT_FALSE(checked(ID_TIME_CHART_AUTOSCALE));
    EXPECT_EQ(d.TimeChart().scale, (TimeChartBounds{0, 20, 20, 30}));

    // Typed limits turn autoscale off; limits that do not increase change nothing.
    RunDocumentCommand(d, ID_TIME_CHART_AUTOSCALE);
    EXPECT_TRUE(d.SetTimeChartScale({0, 600, -1, 1}));
    EXPECT_FALSE(d.TimeChart().autoscale);
    EXPECT_FALSE(d.SetTimeChartScale({0, 600, 1, 1}));
    EXPECT_EQ(d.TimeChart().scale, (TimeChartBounds{0, 600, -1, 1}));
    EXPECT_FALSE(d.IsModified());

    // Looking at a series does not touch the setup: the time chart's commands run while an
    // operation waits, its export does not.
    for (int id : {ID_VIEW_TIME_CHART, ID_TIME_CHART_LOSS_TANGENT, ID_TIME_CHART_FREQUENCIES,
                   ID_TIME_CHART_SET_SCALE, ID_PRINT_TIME_CHART}) {
        EXPECT_TRUE(AvailableDuringWait(id)) << id;
    }
    EXPECT_FALSE(AvailableDuringWait(ID_EXPORT_TIME_CHART));
}

TEST_F(TimeChartCommands, ARecordRedrawsTheViewsAndSetupFilesNeverHoldTheTimeChart) {
    CKv4731xDoc& d = Make();
    struct Counter : DocumentView {
        int updates = 0;
        void OnDocumentUpdate(UpdateHint) override { ++updates; }
    } view;
    d.RegisterView(&view);
    d.SeriesRecordAdded();
    EXPECT_EQ(view.updates, 1);
    d.UnregisterView(&view);

    const auto before = folder / "before.tst";
    ASSERT_TRUE(d.SaveSetupFile(before.string()).Done());
    TimeChartSettings settings;
    settings.shown = true;
    settings.quantity = TimeChartQuantity::LossTangent;
    settings.frequencies = {1e9, 2e9, 0, 4e9};
    settings.autoscale = false;
    settings.scale = {0, 3600, 0, 2};
    d.SetTimeChart(settings);
    const auto after = folder / "after.tst";
    ASSERT_TRUE(d.SaveSetupFile(after.string()).Done());
    EXPECT_EQ(Bytes(after), Bytes(before));
}

}  // namespace
}  // namespace kv::test
