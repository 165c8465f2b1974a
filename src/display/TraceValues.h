#pragma once

// The values the chart and the table show for a point of a trace: the chart's horizontal and
// vertical value in each chart format, the table's cell texts in both table formats and the
// table copy's row, with trace math against a reference trace applied. The stored traces never
// change.
//
// A point past the end of a trace's arrays (or of the reference's, or of the frequency list) has
// no value: the chart value is not a number (the point is not drawn), the cell text is empty.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "display/CTrace.h"
#include "display/TraceMath.h"

namespace kv {

// Table texts of a value under trace math that is no number: a quotient by a zero reference.
inline constexpr const char* kInfiniteText = "infinite";
inline constexpr const char* kMinusInfiniteText = "-infinite";
inline constexpr const char* kUndefinedText = "undefined";

// The value of a trace at a point against the reference trace's value at the same point. Divide
// does not guard against a zero reference: the quotient is then infinite or not a number, and the
// views draw and write it as such.
double ApplyTraceMath(TraceMath mathMode, double value, double reference);

// Everything the values are read from.
struct TraceSet {
    std::array<const CTrace*, kTraceCount> traces{};
    const std::vector<double>* frequencies = nullptr;  // the engine's current list (Hz)
    TraceMath mathMode = TraceMath::Off;
    int referenceTrace = 0;
};

// Value of point i of trace t in a chart format (its record index): the values its row of the
// format table names (ChartFormats.h), on the array it names; frequencies in Hz. No value (not a
// number) for an index that is no chart format.
double ChartXValue(const TraceSet& set, int chartFormat, int trace, int point);
double ChartYValue(const TraceSet& set, int chartFormat, int trace, int point);

// The table's cell of trace t, point i, column 0 or 1 in a table format (its record index: the
// second column is the value its row names), leading and trailing blanks removed. Math off:
// "% 9.4f" of e' and of e'' or the tangent text ("9999" for a zero e'); math on: "%9.4f" of the
// quotient or difference (tangents: the numeric tangent, 9999 for a zero e'). Infinite and
// undefined quotients read "infinite", "-infinite" and "undefined".
std::string TableCellText(const TraceSet& set, int tableFormat, int trace, int point, int column);

// The table copy's row of point i: the frequency in Hz with at most 15 significant digits
// ("200000000."; "???????" past the end of the list), then for every displayed and valid trace a
// tab, column 0, a tab, column 1 (with `permeability`, then a tab, u', a tab, u'' or u''/u' of the
// permeability array, empty past its end). With math off the columns keep their width ("% 9.4f",
// the tangent text trimmed at its left only); with math on they are trimmed.
std::string TableCopyRow(const TraceSet& set, int tableFormat, int point,
                         bool permeability = false);

// Displayed and valid traces of the set.
int DisplayedTraceCount(const TraceSet& set);

// The title of a value column: the quantity ("e'", "e''/e'", "Sensitivity"), preceded by the
// trace's fixed caption and a blank when `named` ("Memory 1 e''"). Tables that show two or more
// traces name every column so.
std::string TableColumnTitle(int trace, const std::string& quantity, bool named);

// The fields of the table copy's header line, one for each field of its rows: "Frequency", then
// with one trace (or none) shown "e'", "e''" or "e''/e'", then "u'" and "u''" or "u''/u'" with
// permeability, else "Sensitivity" when asked; with two or more traces each column named after
// its trace ("Data e'", "Memory 1 e''", ..., "Data Sensitivity" last).
std::vector<std::string> TableCopyTitles(const TraceSet& set, int tableFormat, bool permeability,
                                         bool sensitivity);

// ------------------------------------------------------------------------------ uncertainty

// The chart's band covers the values within kBandCoverage standard uncertainties (k = 2).
inline constexpr double kBandCoverage = 2.0;

// The extent the band covers at a point, in the chart format's values: a frequency format spans
// the vertical value only (xLow = xHigh = the frequency), a Cole-Cole format spans both values
// (an error cross).
struct UncertaintyExtent {
    double xLow = 0.0;
    double xHigh = 0.0;
    double yLow = 0.0;
    double yHigh = 0.0;
};

// The band of point i of trace t in a chart format: e' and e'' plus and minus kBandCoverage times
// their uncertainty; the loss tangent e''/e' with u(tan)^2 = (u(e'')/e')^2 + (e'' u(e')/e'^2)^2
// (e' and e'' taken as uncorrelated). None under trace math (the shown value is no longer the
// trace's), for a permeability format, a trace without uncertainty, a point with a value or an
// uncertainty of 9999 (not computed) or that is not finite, and for a zero e' in the loss tangent.
std::optional<UncertaintyExtent> ChartUncertainty(const TraceSet& set, int chartFormat, int trace,
                                                  int point);

// The table's u(e') (column 0) or u(e'') (column 1) of point i of a trace: "% 9.4f" of the
// standard uncertainty; empty past the end of the trace's uncertainties.
std::string UncertaintyCellText(const CTrace& trace, int point, int column);

// The titles of the two uncertainty columns: "u(e')" and "u(e'')", preceded by "Data " when
// `named`.
std::string UncertaintyColumnTitle(int column, bool named);

}  // namespace kv
