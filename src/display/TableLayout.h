#pragma once

// Geometry of the table: header lines, the column-title row, the rows, the frequency column and
// two columns per displayed and valid trace, the scroll size, the row under a click, the rows
// inside a visible band, printed page breaks, and the marker keys. Everything is computed from
// numbers the painter measured; nothing is drawn.

#include <string>
#include <utility>
#include <vector>

namespace kv {

struct TableMetrics {
    int headerX = 0;                 // g: twice the device font's average character width
    std::vector<int> headerHeights;  // text heights of the header lines shown, top to bottom
    int charWidth = 0;               // a: average character width of the table font
    int rowHeight = 0;               // h: text height of the table font
    int frequencyWidth = 0;          // w: widest frequency text of the rows
    int traceColumns = 0;            // displayed and valid traces
    // Value columns after the traces' columns: u(e') and u(e'') of the Data trace (2), or none.
    int extraColumns = 0;
    int points = 0;  // N: points of the current sweep
    // Width of a value column; 0 is 11 average character widths. Wider when the column titles
    // name their traces and would not fit.
    int columnWidth = 0;
};

// A cell column is 11 average character widths wide.
inline constexpr int kTableColumnChars = 11;

class TableLayout {
public:
    TableLayout() = default;
    explicit TableLayout(TableMetrics metrics);

    const TableMetrics& Metrics() const { return m_; }
    int Points() const { return m_.points; }
    int RowHeight() const { return m_.rowHeight; }

    // Top of header line k; the y below the last one (0 with none).
    int HeaderY(int line) const;
    int HeaderBottom() const;
    // The column-title row ("Frequency" and the column titles): header bottom + h.
    int ColumnTitleY() const;
    // Row i: column-title row + (i + 1)·h.
    int RowY(int row) const;

    // The frequency column starts at x = a; the trace columns at x = w, two column widths
    // (2·11·a) per trace.
    int FrequencyX() const { return m_.charWidth; }
    int TraceX(int slot) const;
    // Centre of the title of column c (0 or 1) of the trace in slot s, and the right edge of its
    // cells.
    int ColumnTitleCentre(int slot, int column) const;
    int CellRight(int slot, int column) const;
    // The columns after the traces' columns (u(e') and u(e'')): centre of column c's title and
    // the right edge of its cells.
    int ExtraTitleCentre(int column) const;
    int ExtraCellRight(int column) const;
    int EndX() const { return TraceX(m_.traceColumns) + m_.extraColumns * ColumnWidth(); }
    int ColumnWidth() const;

    // The scroll size: (5·a + end of the last column, column-title row + (N + 1)·h).
    int ContentWidth() const;
    int ContentHeight() const;

    // The marker index of a click at table position y: the first i for which y minus the
    // column-title row is less than (i + 1)·h, minus 1: -1 on the column-title row and above,
    // N - 1 below the last row.
    int RowAt(int y) const;

    // Rows [first, last) that reach into the band of `height` starting at table position `top`.
    std::pair<int, int> VisibleRows(int top, int height) const;

    // The scroll position that brings the marker row to the top: index·h (at least 0).
    int ScrollForRow(int row) const;

    // Positions when printing on pages `pageHeight` pixels high: a row that would cross a page
    // edge starts the next page, below the column titles repeated at the page's top, and every
    // row after it follows. rowYs holds the top of each row, titleYs the top of the column-title
    // row on each page that has one (the first at ColumnTitleY()).
    struct PrintedRows {
        std::vector<int> rowYs;
        std::vector<int> titleYs;
    };
    PrintedRows Printed(int pageHeight) const;
    std::vector<int> PrintedRowYs(int pageHeight) const;

private:
    TableMetrics m_;
};

// The marker keys: Home 0, End N - 1, Up one less (not below 0), Down one more (not above N - 1).
enum class MarkerMove { Home, End, Up, Down };
int MarkerAfterKey(MarkerMove key, int index, int points);

// One frequency text of the rows for each shape the texts of the list take (unit and number of
// characters), and "???????" when the list is shorter than the points: the widest of them is the
// widest row text, measured without formatting every row.
std::vector<std::string> FrequencyTextShapes(const std::vector<double>& frequencies, int points);

}  // namespace kv
