#include "display/DisplaySheets.h"

#include "display/ChartLayout.h"

namespace kv {

std::string TimeDatePreviewText(std::time_t dateStamp, std::time_t timeStamp) {
    const std::string date = " " + DateStampText(dateStamp) + " \r\n";
    std::string time = " " + TimeStampText(timeStamp);
    if (time.size() < date.size()) {
        time.append(date.size() - time.size(), ' ');
    }
    return date + time;
}

std::array<int, 10> GridPreviewLines(int extent) {
    std::array<int, 10> lines{};
    for (int k = 0; k < 10; ++k) {
        lines[static_cast<std::size_t>(k)] = extent * (k + 1) / 11;
    }
    return lines;
}

}  // namespace kv
