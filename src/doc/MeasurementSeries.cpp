#include "doc/MeasurementSeries.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kv {

std::optional<double> ParseDuration(const std::string& text) {
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '.')) {
        return std::nullopt;
    }
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    const std::string unit(end);
    double scale = 0.0;
    if (unit.empty() || unit == "s") {
        scale = 1.0;
    } else if (unit == "min") {
        scale = 60.0;
    } else if (unit == "h") {
        scale = 3600.0;
    }
    const double seconds = value * scale;
    if (scale == 0.0 || !std::isfinite(seconds) || !(seconds > 0.0)) {
        return std::nullopt;
    }
    return seconds;
}

std::optional<SeriesPlan> PlanOfPage(const SeriesPage& page, std::string& error) {
    SeriesPlan plan;
    if (!page.backToBack) {
        if (!(page.intervalSeconds > 0.0) || !std::isfinite(page.intervalSeconds)) {
            error = "The interval must be more than 0 seconds.";
            return std::nullopt;
        }
        plan.intervalSeconds = page.intervalSeconds;
    }
    switch (page.end) {
        case SeriesPage::End::Count:
            if (page.count < 1) {
                error = "The number of measurements must be at least 1.";
                return std::nullopt;
            }
            plan.count = page.count;
            break;
        case SeriesPage::End::Duration:
            if (const auto seconds = ParseDuration(page.duration)) {
                plan.durationSeconds = *seconds;
            } else {
                error = "The duration must be a time such as 90, 90s, 10min or 2h, not \"" +
                        page.duration + "\".";
                return std::nullopt;
            }
            break;
        case SeriesPage::End::UntilStopped:
            break;
    }
    plan.recordPath = page.recordPath;
    return plan;
}

long SeriesSlots::Advance(double elapsed) {
    long following = next + 1;
    long skipped = 0;
    if (interval > 0.0 && elapsed > static_cast<double>(following) * interval) {
        const long begun = static_cast<long>(std::ceil(elapsed / interval));
        if (begun > following) {
            skipped = begun - following;
            following = begun;
        }
    }
    next = following;
    return skipped;
}

std::string SeriesProgressText(const SeriesProgress& p) {
    const long total = static_cast<long>(p.elapsed);
    char text[128];
    std::snprintf(text, sizeof text, "%d measurement%s, %02ld:%02ld:%02ld, %.3g per second",
                  p.records, p.records == 1 ? "" : "s", total / 3600, total / 60 % 60, total % 60,
                  p.perSecond);
    return text;
}

}  // namespace kv
