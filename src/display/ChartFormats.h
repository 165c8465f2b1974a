#pragma once

// The chart and table formats as one table. A row gives a format its kind, its default record
// (name, axis units, column titles, default scale), the values it shows and whether it is a
// Cole-Cole plot; the chart, the table, the scale commands and the terminal's --format read it.
//
// A row's position is the index of its record in the document and the value of its kind. The
// setup file keeps the first kFormatCount records (the chart codes 0 to kChartFormatCount - 1);
// a row added after them is a format of this program that the file does not keep.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "display/CPlotFormat.h"
#include "display/CTrace.h"

namespace kv {

enum class ChartFormat : int {
    E1 = kFormatE1,
    E2 = kFormatE2,
    LossTangent = kFormatTanE,
    ColeCole = kFormatColeColeE,
    U1 = kFormatU1,
    U2 = kFormatU2,
    LossTangentU = kFormatTanU,
    ColeColeU = kFormatColeColeU,
};

enum class TableFormat : int {
    RealImaginary = kFormatTableReIm,
    RealTangent = kFormatTableReTan,
};

// What a chart axis or a table column shows of a point.
enum class TraceQuantity { Frequency, Real, Imag, Tangent };

struct FormatRow {
    std::optional<ChartFormat> chart;  // a chart format's kind
    std::optional<TableFormat> table;  // a table format's kind
    const char* name;                  // the record's name, drawn as the chart's parameter label
    Limits scale;                      // current, default and autoscale-offer limits
    std::array<const char*, 4> columnTitles;  // table formats: e', e'' or e''/e', u', u'' or u''/u'
    TraceArray array;    // the array a chart plots (the table's u columns read the permeability)
    TraceQuantity x;     // a chart's horizontal value
    TraceQuantity y;     // a chart's vertical value; a table's second column
    bool coleCole;       // plotted against e' (or u') rather than the frequency
    const char* option;  // the terminal's --format name; empty when not offered
};

namespace format_table {
using enum TraceQuantity;

// clang-format off
// kind; name, scale, column titles; array, horizontal, vertical; Cole-Cole; --format
inline constexpr FormatRow kRows[] = {
    {ChartFormat::E1, {},
     "e'", {200, 20, 0, 100}, {},
     TraceArray::Permittivity, Frequency, Real, false, "e1"},
    {ChartFormat::E2, {},
     "e''", {200, 20, 0, 20}, {},
     TraceArray::Permittivity, Frequency, Imag, false, "e2"},
    {ChartFormat::LossTangent, {},
     "Loss tangent e", {200, 20, 0, 10}, {},
     TraceArray::Permittivity, Frequency, Tangent, false, "tan"},
    {ChartFormat::ColeCole, {},
     "Cole-Cole e", {0, 100, 0, 100}, {},
     TraceArray::Permittivity, Real, Imag, true, "colecole"},
    {ChartFormat::U1, {},
     "u'", {200, 20, 0, 100}, {},
     TraceArray::Permeability, Frequency, Real, false, ""},
    {ChartFormat::U2, {},
     "u''", {200, 20, 0, 20}, {},
     TraceArray::Permeability, Frequency, Imag, false, ""},
    {ChartFormat::LossTangentU, {},
     "Loss tangent u", {200, 20, 0, 10}, {},
     TraceArray::Permeability, Frequency, Tangent, false, ""},
    {ChartFormat::ColeColeU, {},
     "Cole-Cole u", {0, 100, 0, 100}, {},
     TraceArray::Permeability, Real, Imag, true, ""},
    {{}, TableFormat::RealImaginary,
     "e'", {0, 100, 0, 100}, {"e'", "e''", "u'", "u''"},
     TraceArray::Permittivity, Real, Imag, false, ""},
    {{}, TableFormat::RealTangent,
     "", {0, 100, 0, 100}, {"e'", "e''/e'", "u'", "u''/u'"},
     TraceArray::Permittivity, Real, Tangent, false, ""},
};
// clang-format on
}  // namespace format_table

inline constexpr const auto& kFormatRows = format_table::kRows;

inline constexpr int kFormatRecordCount = static_cast<int>(std::size(kFormatRows));
static_assert(kFormatRecordCount >= kFormatCount, "the setup file's records are rows");

// The row of a record index; null past the table.
inline const FormatRow* FormatRowAt(int record) {
    return record >= 0 && record < kFormatRecordCount ? &kFormatRows[record] : nullptr;
}
constexpr int RecordOf(ChartFormat format) {
    return static_cast<int>(format);
}
constexpr int RecordOf(TableFormat format) {
    return static_cast<int>(format);
}
inline const FormatRow& RowOf(ChartFormat format) {
    return kFormatRows[RecordOf(format)];
}
inline const FormatRow& RowOf(TableFormat format) {
    return kFormatRows[RecordOf(format)];
}

// The chart format of a record index; none for a table format or an index past the table.
std::optional<ChartFormat> ChartFormatAt(int record);
// The chart format the terminal's --format names; none for a name no row offers.
std::optional<ChartFormat> ChartFormatNamed(std::string_view option);
// The --format names in table order as a list for a message ("e1, e2, tan or colecole").
std::string ChartFormatNames();

// Every record with its defaults, the setup file's ten first.
std::array<CPlotFormat, kFormatRecordCount> DefaultFormatRecords();
// The setup file's ten records with their defaults.
std::array<CPlotFormat, kFormatCount> DefaultFormats();

}  // namespace kv
