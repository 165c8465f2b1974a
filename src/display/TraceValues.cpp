#include "display/TraceValues.h"

#include <cmath>
#include <optional>

#include "display/ChartFormats.h"
#include "probe/Units.h"

namespace kv {

namespace {

using Quantity = TraceQuantity;

const CTrace* TraceAt(const TraceSet& set, int t) {
    return t >= 0 && t < kTraceCount ? set.traces[static_cast<std::size_t>(t)] : nullptr;
}

std::optional<double> RawValue(const TraceSet& set, TraceArray array, Quantity q, int t,
                               int point) {
    if (point < 0) {
        return std::nullopt;
    }
    const auto i = static_cast<std::size_t>(point);
    if (q == Quantity::Frequency) {
        if (set.frequencies == nullptr || i >= set.frequencies->size()) {
            return std::nullopt;
        }
        return (*set.frequencies)[i];
    }
    const CTrace* trace = TraceAt(set, t);
    if (trace == nullptr || i >= trace->Points(array)) {
        return std::nullopt;
    }
    switch (q) {
        case Quantity::Real:
            return trace->Real(array, i);
        case Quantity::Imag:
            return trace->Imag(array, i);
        default:
            return trace->Tangent(array, i);
    }
}

// The value of a quantity with trace math applied; frequencies are never changed by the math.
std::optional<double> MathValue(const TraceSet& set, TraceArray array, Quantity q, int t,
                                int point) {
    const auto value = RawValue(set, array, q, t, point);
    if (!value || q == Quantity::Frequency || set.mathMode == TraceMath::Off) {
        return value;
    }
    const auto reference = RawValue(set, array, q, set.referenceTrace, point);
    if (!reference) {
        return std::nullopt;
    }
    return ApplyTraceMath(set.mathMode, *value, *reference);
}

// A chart value: no value for an index that is not a chart format.
std::optional<double> ChartValue(const TraceSet& set, int chartFormat, bool vertical, int trace,
                                 int point) {
    const FormatRow* row = FormatRowAt(chartFormat);
    if (row == nullptr || !row->chart) {
        return std::nullopt;
    }
    return MathValue(set, row->array, vertical ? row->y : row->x, trace, point);
}

// printf of a number; a value that is not a number reads "nan" whatever its sign bit.
std::string Number(const char* format, double v) {
    return Printf(format, std::isnan(v) ? std::fabs(v) : v);
}

// Column c of a table cell before trimming; no value past the end of an array. Columns 0 and 1
// are read from the permittivity array, 2 and 3 (the copy's u columns) from the permeability
// array.
std::optional<std::string> CellRaw(const TraceSet& set, int tableFormat, int t, int point, int c) {
    const TraceArray array = c >= 2 ? TraceArray::Permeability : TraceArray::Permittivity;
    c %= 2;
    const FormatRow* row = FormatRowAt(tableFormat);
    const Quantity q =
        c == 0 ? Quantity::Real : (row != nullptr && row->table ? row->y : Quantity::Imag);
    const auto value = MathValue(set, array, q, t, point);
    if (!value) {
        return std::nullopt;
    }
    if (set.mathMode != TraceMath::Off) {
        // A quotient by a zero reference says what it is.
        if (std::isnan(*value)) {
            return std::string(kUndefinedText);
        }
        if (std::isinf(*value)) {
            return std::string(*value > 0 ? kInfiniteText : kMinusInfiniteText);
        }
        return Number("%9.4f", *value);
    }
    if (q == Quantity::Tangent) {
        return TraceAt(set, t)->TangentText(array, static_cast<std::size_t>(point));
    }
    return Number("% 9.4f", *value);
}

}  // namespace

double ApplyTraceMath(TraceMath mathMode, double value, double reference) {
    switch (mathMode) {
        case TraceMath::Divide:
            return value / reference;
        case TraceMath::Subtract:
            return value - reference;
        default:
            return value;
    }
}

double ChartXValue(const TraceSet& set, int chartFormat, int trace, int point) {
    return ChartValue(set, chartFormat, false, trace, point).value_or(NAN);
}

double ChartYValue(const TraceSet& set, int chartFormat, int trace, int point) {
    return ChartValue(set, chartFormat, true, trace, point).value_or(NAN);
}

std::string TableCellText(const TraceSet& set, int tableFormat, int trace, int point, int column) {
    return Trim(CellRaw(set, tableFormat, trace, point, column).value_or(std::string()));
}

int DisplayedTraceCount(const TraceSet& set) {
    int count = 0;
    for (int t = 0; t < kTraceCount; ++t) {
        const CTrace* trace = TraceAt(set, t);
        if (trace != nullptr && trace->DisplayedAndValid()) {
            ++count;
        }
    }
    return count;
}

std::string TableColumnTitle(int trace, const std::string& quantity, bool named) {
    if (!named || trace < 0 || trace >= kTraceCount) {
        return quantity;
    }
    return std::string(kTraceCaptions[trace]) + " " + quantity;
}

std::vector<std::string> TableCopyTitles(const TraceSet& set, int tableFormat, bool permeability,
                                         bool sensitivity) {
    const FormatRow* row = FormatRowAt(tableFormat);
    const bool tangent = row != nullptr && row->table && row->y == Quantity::Tangent;
    std::vector<std::string> titles{"Frequency"};
    const int shown = DisplayedTraceCount(set);
    if (shown < 2) {
        // One trace (or none): the plain titles.
        titles.insert(titles.end(), {"e'", tangent ? "e''/e'" : "e''"});
        if (permeability) {
            titles.insert(titles.end(), {"u'", tangent ? "u''/u'" : "u''"});
        } else if (sensitivity) {
            titles.emplace_back("Sensitivity");
        }
        return titles;
    }
    for (int t = 0; t < kTraceCount; ++t) {
        const CTrace* trace = TraceAt(set, t);
        if (trace == nullptr || !trace->DisplayedAndValid()) {
            continue;
        }
        titles.push_back(TableColumnTitle(t, "e'", true));
        titles.push_back(TableColumnTitle(t, tangent ? "e''/e'" : "e''", true));
        if (permeability) {
            titles.push_back(TableColumnTitle(t, "u'", true));
            titles.push_back(TableColumnTitle(t, tangent ? "u''/u'" : "u''", true));
        }
    }
    if (sensitivity && !permeability) {
        titles.push_back(TableColumnTitle(kDataTrace, "Sensitivity", true));
    }
    return titles;
}

std::string TableCopyRow(const TraceSet& set, int tableFormat, int point, bool permeability) {
    std::string row;
    if (set.frequencies != nullptr && point >= 0 &&
        static_cast<std::size_t>(point) < set.frequencies->size()) {
        row = FormatGeneral((*set.frequencies)[static_cast<std::size_t>(point)], 15);
    } else {
        row = "???????";
    }
    for (int t = 0; t < kTraceCount; ++t) {
        const CTrace* trace = TraceAt(set, t);
        if (trace == nullptr || !trace->DisplayedAndValid()) {
            continue;
        }
        for (int c = 0; c < (permeability ? 4 : 2); ++c) {
            std::string text = CellRaw(set, tableFormat, t, point, c).value_or(std::string());
            row += '\t';
            row += set.mathMode != TraceMath::Off ? Trim(text) : text;
        }
    }
    return row;
}

// ------------------------------------------------------------------------------ uncertainty

namespace {

// A value the band can be drawn around: finite and not the 9999 of a point not computed.
bool Usable(double v) {
    return std::isfinite(v) && std::fabs(v) < 9999.0;
}

}  // namespace

std::optional<UncertaintyExtent> ChartUncertainty(const TraceSet& set, int chartFormat, int t,
                                                  int point) {
    const FormatRow* row = FormatRowAt(chartFormat);
    const CTrace* trace = TraceAt(set, t);
    if (row == nullptr || !row->chart || row->array != TraceArray::Permittivity ||
        set.mathMode != TraceMath::Off || trace == nullptr || !trace->HasUncertainty() ||
        point < 0) {
        return std::nullopt;
    }
    const auto i = static_cast<std::size_t>(point);
    if (i >= trace->permittivity.size()) {
        return std::nullopt;
    }
    const double e1 = trace->permittivity[i].re;
    const double e2 = trace->permittivity[i].im;
    const double u1 = trace->uncertaintyE1[i];
    const double u2 = trace->uncertaintyE2[i];
    if (!Usable(e1) || !Usable(e2) || !Usable(u1) || !Usable(u2) || u1 < 0.0 || u2 < 0.0) {
        return std::nullopt;
    }
    UncertaintyExtent band;
    if (row->coleCole) {
        band = {e1 - kBandCoverage * u1, e1 + kBandCoverage * u1, e2 - kBandCoverage * u2,
                e2 + kBandCoverage * u2};
        return band;
    }
    const auto x = RawValue(set, row->array, row->x, t, point);
    if (!x) {
        return std::nullopt;
    }
    double y = 0.0;
    double u = 0.0;
    switch (row->y) {
        case Quantity::Real:
            y = e1;
            u = u1;
            break;
        case Quantity::Imag:
            y = e2;
            u = u2;
            break;
        default:
            if (e1 == 0.0) {
                return std::nullopt;
            }
            y = e2 / e1;
            u = std::hypot(u2 / e1, e2 * u1 / (e1 * e1));
            break;
    }
    band = {*x, *x, y - kBandCoverage * u, y + kBandCoverage * u};
    return band;
}

std::string UncertaintyCellText(const CTrace& trace, int point, int column) {
    const std::vector<double>& u = column == 0 ? trace.uncertaintyE1 : trace.uncertaintyE2;
    if (point < 0 || static_cast<std::size_t>(point) >= u.size()) {
        return std::string();
    }
    return Number("% 9.4f", u[static_cast<std::size_t>(point)]);
}

std::string UncertaintyColumnTitle(int column, bool named) {
    return TableColumnTitle(kDataTrace, column == 0 ? "u(e')" : "u(e'')", named);
}

}  // namespace kv
