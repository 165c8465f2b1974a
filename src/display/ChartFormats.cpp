#include "display/ChartFormats.h"

#include <algorithm>

namespace kv {

namespace {

// Every row's kind is its position, so that a kind, its record and its row are one number.
constexpr bool KindsArePositions() {
    for (int i = 0; i < kFormatRecordCount; ++i) {
        const FormatRow& row = kFormatRows[i];
        if (row.chart.has_value() == row.table.has_value()) {
            return false;
        }
        if ((row.chart && RecordOf(*row.chart) != i) || (row.table && RecordOf(*row.table) != i)) {
            return false;
        }
    }
    return true;
}
static_assert(KindsArePositions(), "a format row's kind is its position in the table");

}  // namespace

std::optional<ChartFormat> ChartFormatAt(int record) {
    const FormatRow* row = FormatRowAt(record);
    return row != nullptr ? row->chart : std::nullopt;
}

std::optional<ChartFormat> ChartFormatNamed(std::string_view option) {
    for (const FormatRow& row : kFormatRows) {
        if (row.chart && *row.option != '\0' && option == row.option) {
            return row.chart;
        }
    }
    return std::nullopt;
}

std::string ChartFormatNames() {
    std::string names;
    std::string last;
    for (const FormatRow& row : kFormatRows) {
        if (!row.chart || *row.option == '\0') {
            continue;
        }
        if (!last.empty()) {
            names += names.empty() ? last : ", " + last;
        }
        last = row.option;
    }
    return names.empty() ? last : names + " or " + last;
}

std::array<CPlotFormat, kFormatRecordCount> DefaultFormatRecords() {
    std::array<CPlotFormat, kFormatRecordCount> records;
    for (int i = 0; i < kFormatRecordCount; ++i) {
        const FormatRow& row = kFormatRows[i];
        CPlotFormat& f = records[static_cast<std::size_t>(i)];
        f = CPlotFormat::Make(row.name, row.scale);
        if (row.table) {
            for (std::size_t c = 0; c < f.columnTitles.size(); ++c) {
                f.columnTitles[c] = row.columnTitles[c];
            }
        }
    }
    return records;
}

std::array<CPlotFormat, kFormatCount> DefaultFormats() {
    const auto all = DefaultFormatRecords();
    std::array<CPlotFormat, kFormatCount> stored;
    std::copy_n(all.begin(), kFormatCount, stored.begin());
    return stored;
}

}  // namespace kv
