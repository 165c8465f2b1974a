// The "watch" command of the terminal front end: calibrate as measure does, then measure and record
// a series.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "cli/MeasureRun.h"
#include "cli/TerminalUi.h"
#include "doc/CKv4731xDoc.h"

namespace kv {

namespace {

// "[##########          ] 10/20 records, 1.9 s" over the line before.
void ProgressBar(std::FILE* err, double done, const std::string& tail) {
    constexpr int kWidth = 30;
    const int filled = static_cast<int>(done * kWidth + 0.5);
    std::string bar(static_cast<std::size_t>(std::clamp(filled, 0, kWidth)), '#');
    bar.resize(kWidth, ' ');
    std::fprintf(err, "\r[%s] %s\x1b[K", bar.c_str(), tail.c_str());
    std::fflush(err);
}

}  // namespace

int RunWatch(const CliOptions& o, IComponentRegistry& registry, ProfileStore& profile,
             std::FILE* err) {
    // A file that exists is never recorded over: refused before anything is connected.
    if (::access(o.recordFile.c_str(), F_OK) == 0) {
        std::fprintf(err, "kv47310-cli: %s exists; a series is never recorded over a file\n",
                     o.recordFile.c_str());
        return kExitUsage;
    }
    std::optional<ProbeChoice> probe;
    if (!o.probe.empty() && !(probe = ResolveProbe(o.probe, err))) {
        return kExitUsage;
    }
    TerminalUi ui(o.yes, err);
    CKv4731xDoc doc(ui, registry, profile);
    // An interrupt before the series began ends the run as it ends any other.
    const int status = CalibrateForRun(o, registry, doc, probe, err);
    if (TerminalUi::Interrupted()) {
        std::fputs("kv47310-cli: interrupted\n", err);
        return kExitFailed;
    }
    if (status != kExitOk) {
        return status;
    }

    SeriesPlan plan;
    plan.intervalSeconds = o.everySeconds.value_or(0.0);
    plan.count = o.count.value_or(0);
    plan.durationSeconds = o.forSeconds.value_or(0.0);
    plan.recordPath = o.recordFile;
    plan.recordUncertainty = o.uncertainty;
    const bool bar = ::isatty(::fileno(err)) != 0;
    CKv4731xDoc::SeriesEvents events;
    events.recorded = [&](int index, double seconds, const SeriesProgress& progress) {
        if (!bar) {
            std::fprintf(err, "record %d at %.3f s\n", index + 1, seconds);
            std::fflush(err);
            return;
        }
        char tail[96];
        double done = 0.0;
        if (plan.count > 0) {
            done = static_cast<double>(progress.records) / plan.count;
            std::snprintf(tail, sizeof tail, "%d/%d records, %.1f s", progress.records, plan.count,
                          seconds);
        } else {
            done = progress.elapsed / plan.durationSeconds;
            std::snprintf(tail, sizeof tail, "%d records, %.1f of %.0f s", progress.records,
                          progress.elapsed, plan.durationSeconds);
        }
        ProgressBar(err, done, tail);
    };
    events.skipped = [&](long slots, double seconds) {
        std::fprintf(err, "%sskipped %ld slot%s at %.3f s: the measurement took longer than %g s\n",
                     bar ? "\n" : "", slots, slots == 1 ? "" : "s", seconds, plan.intervalSeconds);
    };
    const Outcome outcome = doc.MeasureSeries(plan, events);
    if (bar) {
        std::fputc('\n', err);
    }
    std::fprintf(err, "%d record%s in %s\n", doc.SeriesRecords(),
                 doc.SeriesRecords() == 1 ? "" : "s", o.recordFile.c_str());
    if (!outcome.Done()) {
        // The reason was shown as the message it is.
        std::fprintf(err, "kv47310-cli: the series stopped before its end\n");
        return kExitFailed;
    }
    if (!o.setupOut.empty() && !doc.SaveSetupFile(o.setupOut).Done()) {
        std::fprintf(err, "kv47310-cli: the setup file %s was not written\n", o.setupOut.c_str());
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace kv
