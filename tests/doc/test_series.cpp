// A series of measurements through the document: each record shown and kept for the time chart,
// the commands refused meanwhile, Stop after the record in progress, a failed reading, the
// dialog's refusals; and the schedule of an interval series and the durations it takes.

#include "DocFilesFixture.h"
#include "doc/CommandTable.h"
#include "support/SeriesFileReader.h"

namespace kv::test {
namespace {

using Kind = Outcome::Kind;

class DocSeries : public DocFiles {
protected:
    // Shown, 11 points, calibrated on ideal standards; measurement k of the series reads a
    // sample of e' = 20 + k.
    CKv4731xDoc& Calibrated() {
        CKv4731xDoc& d = MakeShown();
        FakeDriver& driver = *registry.driver;
        FrequencyPage page = d.Engine().CurrentSweepPage();
        page.sweep.startValue = 1;
        page.sweep.startUnit = "GHz";
        page.sweep.numPoints = 11;
        EXPECT_TRUE(d.SetSweep(page).Done());
        driver.reflection = [&d](double f, int call) {
            return d.Engine().StandardReflection(call < 3 ? call + 1 : 3, f);
        };
        EXPECT_TRUE(d.PerformCalibration().Done());
        calibrationCalls = driver.measureCalls;
        driver.reflection = [model = d.Engine().model, this](double f, int call) {
            return model.Reflection(f, {20.0 + (call - calibrationCalls), -5.0});
        };
        Forget();
        ui.prompts.clear();
        return d;
    }
    int calibrationCalls = 0;
};

TEST_F(DocSeries, EachRecordIsShownSetupCommandsWaitAndStopEndsAfterTheRecord) {
    CKv4731xDoc& d = Calibrated();
    CKv4731xDoc::SeriesEvents events;
    std::vector<int> indexes;
    events.recorded = [&](int index, double, const SeriesProgress&) {
        indexes.push_back(index);
        if (index != 1) {
            return;
        }
        const auto enabled = [&d](int id) {
            CommandState state;
            QueryDocumentCommand(d, id, state);
            return state.enabled;
        };
        EXPECT_TRUE(d.Busy());
        EXPECT_FALSE(enabled(ID_PERFORM_CAL));
        EXPECT_FALSE(enabled(ID_SET_FREQUENCY));
        EXPECT_FALSE(enabled(ID_MEASURE_CONTINUOUSLY));
        EXPECT_TRUE(enabled(ID_COPY_TABLE));
        EXPECT_TRUE(enabled(ID_STOP_SERIES));
        EXPECT_TRUE(RunDocumentCommand(d, ID_SET_FREQUENCY));  // refused, no page shown
        EXPECT_TRUE(RunDocumentCommand(d, ID_STOP_SERIES));
    };
    const std::size_t pagesBefore = ui.frequencyPagesShown.size();
    const Outcome o = d.MeasureSeries({0.0, 10, 0.0, ""}, events);
    EXPECT_TRUE(o.Done()) << o.why;
    EXPECT_EQ(ui.frequencyPagesShown.size(), pagesBefore);
    EXPECT_EQ(indexes, (std::vector<int>{0, 1}));
    EXPECT_EQ(d.SeriesRecords(), 2);
    ASSERT_EQ(d.timeSeries.Records().size(), 2u);
    EXPECT_EQ(d.timeSeries.Records()[1].index, 1);
    // No frequency was chosen: the time chart follows the middle of the sweep.
    EXPECT_EQ(d.TimeChart().frequencies[0], d.Engine().frequencies[5]);
    EXPECT_NEAR(d.timeSeries.Records()[1].values[0].re, 21.0, 1e-6);
    // No prompt; the analyzer's title says what is measured.
    EXPECT_TRUE(ui.prompts.empty());
    EXPECT_EQ(registry.driver->titles.back(), "Measuring sample...");
    EXPECT_NEAR(d.Trace(kDataTrace).permittivity[0].re, 21.0, 1e-6);
    EXPECT_TRUE(d.Trace(kDataTrace).valid);
    EXPECT_EQ(ui.seriesRunning, (std::vector<bool>{true, false}));
    ASSERT_EQ(ui.seriesProgress.size(), 2u);
    EXPECT_EQ(ui.seriesProgress[1].records, 2);
    EXPECT_EQ(ui.statusTexts.back(), "Series ended after 2 measurements");
    EXPECT_FALSE(d.Busy());
    CommandState stop;
    QueryDocumentCommand(d, ID_STOP_SERIES, stop);
    EXPECT_FALSE(stop.enabled);
}

// A failed reading ends the series with its message; the last good result stays, and the file
// keeps the records before it.
TEST_F(DocSeries, AFailedReadingStopsTheSeriesLeavingTheLastGoodResult) {
    CKv4731xDoc& d = Calibrated();
    FakeDriver& driver = *registry.driver;
    driver.errorText = "The made-up analyzer lost its sweep.";
    CKv4731xDoc::SeriesEvents events;
    events.recorded = [&](int index, double, const SeriesProgress&) {
        if (index == 2) {
            driver.results["MeasureTrace"] = 1;
        }
    };
    const std::string path = folder.File("run.csv");
    const Outcome o = d.MeasureSeries({0.0, 10, 0.0, path}, events);
    EXPECT_EQ(o.kind, Kind::Failed);
    EXPECT_EQ(o.why, "The made-up analyzer lost its sweep.");
    EXPECT_EQ(ui.MessageTexts(),
              (std::vector<std::string>{"The made-up analyzer lost its sweep."}));
    EXPECT_EQ(d.SeriesRecords(), 3);
    EXPECT_NEAR(d.Trace(kDataTrace).permittivity[0].re, 22.0, 1e-6);
    const SeriesFileContent c = ReadSeriesCsv(path, 11);
    EXPECT_EQ(c.error, "");
    EXPECT_EQ(c.index, (std::vector<std::int64_t>{0, 1, 2}));
    EXPECT_NEAR(c.e1[2][0], 22.0, 1e-6);
    EXPECT_FALSE(d.Busy());
}

// The dialog: asked again after each refusal (a value out of range, a file that exists), then
// the series runs; an uncalibrated series is refused before anything is measured or written.
TEST_F(DocSeries, TheDialogRefusesBadValuesAndExistingFiles) {
    CKv4731xDoc& d = Calibrated();
    const std::string existing = folder.File("old.h5");
    std::ofstream(existing) << "kept";
    const std::string fresh = folder.File("new.h5");
    ui.seriesPage = [&](SeriesPage& page) {
        page.backToBack = ui.seriesPageRuns != 1;
        page.intervalSeconds = 0;  // refused on the first run, which is an interval series
        page.end = ui.seriesPageRuns == 2 ? SeriesPage::End::Duration : SeriesPage::End::Count;
        page.duration = "10m";
        page.count = 3;
        page.recordPath = ui.seriesPageRuns <= 3 ? existing : fresh;
        return true;
    };
    EXPECT_TRUE(RunDocumentCommand(d, ID_MEASURE_CONTINUOUSLY));
    EXPECT_EQ(ui.seriesPageRuns, 4);
    EXPECT_EQ(ui.MessageTexts(),
              (std::vector<std::string>{
                  "The interval must be more than 0 seconds.",
                  "The duration must be a time such as 90, 90s, 10min or 2h, not \"10m\".",
                  existing + " exists. A series is never recorded over a file: choose another "
                             "name."}));
    EXPECT_EQ(ReadSeriesH5(fresh).time.size(), 3u);

    d.Engine().calibrated = false;
    const int calls = registry.driver->measureCalls;
    const Outcome o = d.MeasureSeries({0.0, 3, 0.0, folder.File("none.csv")});
    EXPECT_EQ(o.kind, Kind::Refused);
    EXPECT_EQ(o.why, "A calibration must be performed before a measurement can be made.");
    EXPECT_EQ(registry.driver->measureCalls, calls);
    EXPECT_FALSE(std::ifstream(folder.File("none.csv")).good());
}

TEST(SeriesSchedule, DurationsAndSlotsKeptOnAverage) {
    const std::vector<std::pair<std::string, std::optional<double>>> durations = {
        {"90", 90.0},         {"90s", 90.0},       {"10min", 600.0},    {"2h", 7200.0},
        {"1.5h", 5400.0},     {"0.5", 0.5},        {"", std::nullopt},  {"10m", std::nullopt},
        {"-5", std::nullopt}, {"0", std::nullopt}, {"s", std::nullopt}, {"2 h", std::nullopt},
    };
    for (const auto& [text, seconds] : durations) {
        EXPECT_EQ(ParseDuration(text), seconds) << text;
    }
    // Interval 1 s: (elapsed at the end of the measurement, slot after it, slots skipped).
    SeriesSlots slots{1.0, 0};
    const std::vector<std::tuple<double, long, long>> steps = {
        {0.5, 1, 0},  // in time
        {1.2, 2, 0},  // slot 1 ended before slot 2 began
        {3.5, 4, 1},  // slot 2 overran slot 3: it is skipped, slot 4 comes next
        {5.0, 5, 0},  // ended exactly when slot 5 begins
        {8.0, 8, 2},  // overran slots 6 and 7 exactly to the start of 8
    };
    for (const auto& [elapsed, next, skipped] : steps) {
        EXPECT_EQ(slots.Advance(elapsed), skipped) << elapsed;
        EXPECT_EQ(slots.next, next) << elapsed;
        EXPECT_EQ(slots.Due(), static_cast<double>(next));
    }
    EXPECT_EQ(SeriesProgressText({12, 3725.9, 1.25}), "12 measurements, 01:02:05, 1.25 per second");
}

}  // namespace
}  // namespace kv::test
