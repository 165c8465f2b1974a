#include "display/TableLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>

#include "probe/Units.h"

namespace kv {

TableLayout::TableLayout(TableMetrics metrics) : m_(std::move(metrics)) {}

int TableLayout::HeaderY(int line) const {
    int y = 0;
    for (int k = 0; k < line && k < static_cast<int>(m_.headerHeights.size()); ++k) {
        y += m_.headerHeights[static_cast<std::size_t>(k)];
    }
    return y;
}

int TableLayout::HeaderBottom() const {
    return HeaderY(static_cast<int>(m_.headerHeights.size()));
}

int TableLayout::ColumnTitleY() const {
    return HeaderBottom() + m_.rowHeight;
}

int TableLayout::RowY(int row) const {
    return ColumnTitleY() + (row + 1) * m_.rowHeight;
}

int TableLayout::ColumnWidth() const {
    return m_.columnWidth > 0 ? m_.columnWidth : kTableColumnChars * m_.charWidth;
}

int TableLayout::TraceX(int slot) const {
    return m_.frequencyWidth + slot * 2 * ColumnWidth();
}

int TableLayout::ColumnTitleCentre(int slot, int column) const {
    return static_cast<int>(TraceX(slot) + (0.5 + column) * ColumnWidth());
}

int TableLayout::CellRight(int slot, int column) const {
    return TraceX(slot) + (column + 1) * ColumnWidth();
}

int TableLayout::ExtraTitleCentre(int column) const {
    return static_cast<int>(TraceX(m_.traceColumns) + (0.5 + column) * ColumnWidth());
}

int TableLayout::ExtraCellRight(int column) const {
    return TraceX(m_.traceColumns) + (column + 1) * ColumnWidth();
}

int TableLayout::ContentWidth() const {
    return 5 * m_.charWidth + EndX();
}

int TableLayout::ContentHeight() const {
    const std::int64_t h = ColumnTitleY() + static_cast<std::int64_t>(m_.points + 1) * m_.rowHeight;
    return static_cast<int>(std::min<std::int64_t>(h, INT32_MAX));
}

int TableLayout::RowAt(int y) const {
    const int d = y - ColumnTitleY();
    if (m_.rowHeight <= 0 || d < m_.rowHeight) {
        return -1;
    }
    // First i with d < (i + 1)·h is d div h; none up to N - 1 gives N.
    const int first = std::min(d / m_.rowHeight, m_.points);
    return first - 1;
}

std::pair<int, int> TableLayout::VisibleRows(int top, int height) const {
    const int h = m_.rowHeight;
    const int n = m_.points;
    if (h <= 0 || n <= 0 || height <= 0) {
        return {0, 0};
    }
    // Row i covers [RowY(i), RowY(i) + h).
    const std::int64_t base = ColumnTitleY() + h;  // RowY(0)
    auto floorDiv = [](std::int64_t a, std::int64_t b) {
        return a >= 0 ? a / b : -((-a + b - 1) / b);
    };
    std::int64_t first = floorDiv(top - base, h);
    std::int64_t last = floorDiv(static_cast<std::int64_t>(top) + height - 1 - base, h) + 1;
    first = std::clamp<std::int64_t>(first, 0, n);
    last = std::clamp<std::int64_t>(last, first, n);
    return {static_cast<int>(first), static_cast<int>(last)};
}

int TableLayout::ScrollForRow(int row) const {
    return std::max(0, row) * m_.rowHeight;
}

TableLayout::PrintedRows TableLayout::Printed(int pageHeight) const {
    PrintedRows printed;
    printed.rowYs.resize(static_cast<std::size_t>(std::max(0, m_.points)));
    printed.titleYs.push_back(ColumnTitleY());
    const std::int64_t h = m_.rowHeight;
    // Pages too low for the column titles and a row print the rows without repeated titles.
    const bool repeatTitles = pageHeight > 0 && 2 * h <= pageHeight;
    std::int64_t y = RowY(0);
    std::int64_t pageBottom = pageHeight;
    for (int r = 0; r < m_.points; ++r) {
        if (pageHeight > 0) {
            if (repeatTitles && y + h > pageBottom) {
                // The row would cross the page's edge: the next page starts with the column
                // titles, and the row follows them.
                const std::int64_t top = std::max(pageBottom, y / pageHeight * pageHeight);
                if (top <= INT32_MAX) {
                    printed.titleYs.push_back(static_cast<int>(top));
                }
                y = top + h;
                pageBottom = top + pageHeight;
            }
            while (y >= pageBottom) {
                pageBottom += pageHeight;
            }
        }
        printed.rowYs[static_cast<std::size_t>(r)] =
            static_cast<int>(std::min<std::int64_t>(y, INT32_MAX));
        y += h;
    }
    return printed;
}

std::vector<int> TableLayout::PrintedRowYs(int pageHeight) const {
    return Printed(pageHeight).rowYs;
}

int MarkerAfterKey(MarkerMove key, int index, int points) {
    switch (key) {
        case MarkerMove::Home:
            return 0;
        case MarkerMove::End:
            return points - 1;
        case MarkerMove::Up:
            return std::max(0, index - 1);
        case MarkerMove::Down:
            return std::min(points - 1, index + 1);
    }
    return index;
}

std::vector<std::string> FrequencyTextShapes(const std::vector<double>& frequencies, int points) {
    std::vector<std::string> shapes;
    std::set<std::pair<int, std::size_t>> seen;
    const std::size_t n =
        std::min(frequencies.size(), static_cast<std::size_t>(std::max(0, points)));
    // Texts of one unit and one length differ only in their digits, which the table's faces draw
    // equally wide; ranks of the unit: 0 Hz, 1 KHz, 2 MHz, 3 GHz.
    auto shapeOf = [](double f) {
        const int unit = f >= 1e9 ? 3 : f >= 1e6 ? 2 : f >= 1e3 ? 1 : 0;
        const double v = unit == 3 ? f * 1e-9 : unit == 2 ? f * 1e-6 : unit == 1 ? f * 0.001 : f;
        const double a = std::fabs(v);
        // Characters before the point once rounded (the decimals of the fixed form: 9, 6, 3, 0).
        static constexpr double kHalf[] = {0.5, 0.0005, 0.0000005, 0.0000000005};
        int digits = 1;
        double limit = 10.0;
        while (digits < 400 && a >= limit - kHalf[unit]) {
            ++digits;
            limit *= 10.0;
        }
        return std::make_pair(unit * 1000 + (v < 0 ? 500 : 0), static_cast<std::size_t>(digits));
    };
    for (std::size_t i = 0; i < n; ++i) {
        const double f = frequencies[i];
        const auto shape = std::isfinite(f) ? shapeOf(f) : std::make_pair(-1, std::size_t{0});
        if (seen.insert(shape).second) {
            shapes.push_back(FrequencyText(f, FrequencyForm::Fixed));
        }
    }
    if (static_cast<std::size_t>(std::max(0, points)) > frequencies.size()) {
        shapes.push_back("???????");
    }
    return shapes;
}

}  // namespace kv
