// A series of measurements: "Measure Continuously", its dialog, and the series itself with its
// file.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "doc/CKv4731xDoc.h"
#include "doc/OperatorUi.h"
#include "persist/SeriesRecorder.h"

namespace kv {

namespace {

const char* const kSeriesCaption = "Measure Continuously";
const char* const kNotCalibrated =
    "A calibration must be performed before a measurement can be made.";

double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double WallNow() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

std::string ProbeText(const CProbeEngine& engine) {
    char scales[96];
    std::snprintf(scales, sizeof scales, ", frequency scale %.9g, coefficient scale %.9g",
                  engine.model.frequencyScale, engine.model.coefficientScale);
    return std::string(engine.calSettings.probeType == 0 ? "KV47310A" : "KV47310B/C") + scales;
}

std::string CalibrationTimeText(std::time_t t) {
    return t == 0 ? std::string("unknown (read from a setup file)")
                  : UtcTimeText(static_cast<double>(t)).substr(0, 19) + "Z";
}

}  // namespace

void CKv4731xDoc::OnMeasureContinuously() {
    for (;;) {
        if (!ui_.AskSeries(seriesPage_)) {
            return;
        }
        std::string error;
        std::optional<SeriesPlan> plan = PlanOfPage(seriesPage_, error);
        if (plan) {
            // The uncertainty shown is the uncertainty recorded.
            plan->recordUncertainty = uncertaintyBand;
        }
        if (plan && !plan->recordPath.empty() && ::access(plan->recordPath.c_str(), F_OK) == 0) {
            error = plan->recordPath +
                    " exists. A series is never recorded over a file: choose another name.";
        }
        if (plan && !plan->recordPath.empty() && !SeriesFormatOf(plan->recordPath)) {
            error = "A series is recorded to an .h5 or a .csv file.";
        }
        if (error.empty()) {
            MeasureSeries(*plan);
            return;
        }
        ui_.Message(error, kSeriesCaption, Buttons::Ok, Icon::Stop);
    }
}

Outcome CKv4731xDoc::MeasureSeries(const SeriesPlan& plan, const SeriesEvents& events) {
    BusyScope busy(*this);
    seriesRecords_ = 0;
    if (!RequireInstrument()) {
        return Outcome::Refusal(kNeedsInstrumentText);
    }
    if (!engine_->calibrated) {
        ui_.Message(kNotCalibrated, "Measure Menu", Buttons::Ok, Icon::Stop);
        return Outcome::Refusal(kNotCalibrated);
    }
    std::unique_ptr<SeriesRecorder> recorder;
    if (!plan.recordPath.empty()) {
        std::string error;
        recorder = MakeSeriesRecorder(plan.recordPath, error);
        if (recorder && ::access(plan.recordPath.c_str(), F_OK) == 0) {
            error = plan.recordPath + " exists; a series is never recorded over a file.";
            recorder.reset();
        }
        if (!recorder) {
            ui_.Message(error, kSeriesCaption, Buttons::Ok, Icon::Stop);
            return Outcome::Refusal(error);
        }
    }

    SetModified();
    FollowAFrequencyWhenNoneIsChosen();
    timeSeries.Clear();
    seriesStopRequested_ = false;
    seriesRunning_ = true;
    ui_.SeriesRunningChanged(true);
    // Stop (and Esc) now end something.
    ui_.CommandStatesChanged();
    ui_.ShowStatusText("Measuring continuously");
    const auto stopAsked = [this] {
        return seriesStopRequested_ || ui_.SeriesStopRequested() || ui_.QuitRequested();
    };

    Outcome outcome = Outcome::Finished();
    SeriesSlots slots{plan.intervalSeconds, 0};
    const double start = Now();
    const double wallStart = WallNow();
    bool fileCreated = false;
    while (!stopAsked() && (plan.count == 0 || seriesRecords_ < plan.count)) {
        if (plan.intervalSeconds > 0.0) {
            // A slot past the duration is not waited for.
            if (plan.durationSeconds > 0.0 && slots.Due() >= plan.durationSeconds) {
                break;
            }
            // The operator's events go on while the series waits for the next slot.
            for (double wait = start + slots.Due() - Now(); wait > 0.0 && !stopAsked();
                 wait = start + slots.Due() - Now()) {
                ui_.PumpMessages();
                const double rest = start + slots.Due() - Now();
                if (rest > 0.0) {
                    std::this_thread::sleep_for(
                        std::chrono::duration<double>(std::min(rest, 0.01)));
                }
            }
            if (stopAsked()) {
                break;
            }
        }
        const double sweepStart = Now();
        const double seconds = sweepStart - start;
        if (plan.durationSeconds > 0.0 && seconds >= plan.durationSeconds) {
            break;
        }
        const Outcome measured = engine_->MeasureUnprompted();
        if (!measured.Done()) {
            // A sweep the operator ended (closing the program) ends the series as a stop does.
            if (measured.kind != Outcome::Kind::Aborted) {
                outcome = measured;
            }
            break;
        }
        const MeasurementResult& result = Result();
        // The time chart has the record when the views are redrawn.
        timeSeries.Append(seriesRecords_, seconds, result);
        ShowMeasurement();
        if (recorder) {
            std::string error;
            if (!fileCreated) {
                SeriesHeader header;
                header.title = title.text;
                header.analyzer = engine_->instrumentName;
                header.probe = ProbeText(*engine_);
                header.calibrationTime = CalibrationTimeText(calibrationTime);
                header.frequencies = result.frequencies;
                header.uncertainty = plan.recordUncertainty && !result.uncertaintyE1.empty() &&
                                     !result.uncertaintyE2.empty();
                error = recorder->Create(plan.recordPath, header);
                fileCreated = error.empty();
            }
            if (error.empty()) {
                SeriesRecord record;
                record.index = seriesRecords_;
                record.timeUtc = UtcTimeText(wallStart + seconds);
                record.seconds = seconds;
                record.result = &result;
                if (result.frequencies.size() != result.permittivity.size() ||
                    result.frequencies.size() != result.sensitivity.size()) {
                    error = "The measurement has another number of points than the series.";
                } else {
                    error = recorder->Append(record);
                }
            }
            if (!error.empty()) {
                ui_.Message(error, kSeriesCaption, Buttons::Ok, Icon::Stop);
                outcome = Outcome::Failure(error);
                break;
            }
        }
        ++seriesRecords_;
        const double elapsed = Now() - start;
        SeriesProgress progress{seriesRecords_, elapsed,
                                elapsed > 0.0 ? seriesRecords_ / elapsed : 0.0};
        if (events.recorded) {
            events.recorded(seriesRecords_ - 1, seconds, progress);
        }
        ui_.ShowSeriesProgress(progress);
        if (plan.intervalSeconds > 0.0) {
            if (const long skipped = slots.Advance(elapsed); skipped > 0 && events.skipped) {
                events.skipped(skipped, elapsed);
            }
        } else {
            ui_.PumpMessages();
        }
    }
    if (recorder) {
        if (const std::string error = recorder->Close(); !error.empty() && outcome.Done()) {
            ui_.Message(error, kSeriesCaption, Buttons::Ok, Icon::Stop);
            outcome = Outcome::Failure(error);
        }
    }
    seriesRunning_ = false;
    ui_.SeriesRunningChanged(false);
    ui_.CommandStatesChanged();
    if (outcome.Done()) {
        ui_.ShowStatusText("Series ended after " + std::to_string(seriesRecords_) +
                           (seriesRecords_ == 1 ? " measurement" : " measurements"));
    }
    return outcome;
}

}  // namespace kv
