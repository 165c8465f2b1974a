#include "display/LogLimits.h"

namespace kv {

std::vector<std::string> CorrectLogLimits(CPlotFormat& format) {
    std::vector<std::string> messages;
    if (format.xLog != 0) {
        const double min = format.XMinHz();
        const double max = format.XMaxHz();
        if (!(min > 0.0)) {
            format.current.xMin = 1.0;
            messages.push_back(kLogMinHorizontalText);
        }
        if (max < min) {
            format.current.xMax = format.current.xMin + 1.0;
            if (!format.IsColeCole()) {
                format.maxUnit = format.minUnit;
            }
            messages.push_back(kLogMaxHorizontalText);
        }
    }
    if (format.yLog != 0) {
        const double min = format.current.yMin;
        const double max = format.current.yMax;
        if (!(min > 0.0)) {
            format.current.yMin = 1.0;
            messages.push_back(kLogMinVerticalText);
        }
        if (max < min) {
            format.current.yMax = format.current.yMin + 1.0;
            messages.push_back(kLogMaxVerticalText);
        }
    }
    return messages;
}

}  // namespace kv
