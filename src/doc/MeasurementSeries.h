#pragma once

// A series of measurements: what it is asked to do (back to back or every interval, until a count,
// a duration or a stop, recorded to a file or not), the dialog's page of it, and when each
// measurement of an interval series starts.

#include <optional>
#include <string>

namespace kv {

struct SeriesPlan {
    double intervalSeconds = 0.0;  // 0: back to back
    int count = 0;                 // 0: no limit by count
    double durationSeconds = 0.0;  // 0: no limit by time
    std::string recordPath;        // empty: nothing is recorded
    // The records hold u(e') and u(e'') too, when the measurements have them.
    bool recordUncertainty = false;
};

// The dialog "Measure Continuously" as plain values.
struct SeriesPage {
    enum class End { Count, Duration, UntilStopped };
    bool backToBack = true;
    double intervalSeconds = 10.0;
    End end = End::UntilStopped;
    int count = 100;
    std::string duration = "1h";  // as --for takes it: 90, 90s, 10min, 2h
    std::string recordPath;       // empty: nothing is recorded
};

// The plan of a page; nothing, with the reason, for a value out of range.
std::optional<SeriesPlan> PlanOfPage(const SeriesPage& page, std::string& error);

// Seconds of "90", "90s", "10min", "2h" (a positive number, optionally a fraction); nothing for
// anything else.
std::optional<double> ParseDuration(const std::string& text);

// The slots of an interval series: the n-th measurement is meant to start at n x interval after
// the start, so the interval is kept on average. A measurement that ends after the next slot's
// start gives up every slot already begun, and the series goes on at the first one to come.
struct SeriesSlots {
    double interval = 0.0;
    long next = 0;  // the slot the next measurement starts in
    // When the next measurement is due, seconds since the start.
    double Due() const { return static_cast<double>(next) * interval; }
    // The measurement of slot `next` ended at `elapsed` seconds since the start: moves on to the
    // slot after it, or past the slots that began meanwhile; returns how many were skipped.
    long Advance(double elapsed);
};

// The progress a series shows: records made, seconds since the start, records per second.
struct SeriesProgress {
    int records = 0;
    double elapsed = 0.0;
    double perSecond = 0.0;
};

// "12 measurements, 00:01:05, 1.84 per second", the status bar's text of a series.
std::string SeriesProgressText(const SeriesProgress& progress);

}  // namespace kv
