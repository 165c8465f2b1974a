#pragma once

// Painting of the table view: title, subtitle, trace-math legend, time and date, the frequency
// column and two columns per displayed and valid trace (and the Data trace's u(e') and u(e'')
// after them while they are shown), with the marker row highlighted. Only the
// rows that fall into the visible area are painted, so a sweep of many thousand points scrolls
// smoothly.
//
// All functions need a QGuiApplication (font metrics).

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QSize>
#include <optional>

#include "display/TableLayout.h"

namespace kv {

class CKv4731xDoc;

// The surface the table is drawn on.
struct TableSurface {
    QPoint scroll;     // the table position shown at the top left of the viewport
    QSize viewport;    // size of the visible area in device units
    QSize resolution;  // the device's resolution in pixels (screen size, or printer page size)
    QSize reference;   // the screen's resolution at the last screen paint
    bool printing = false;
    int page = 1;  // page being printed, from 1
    // The font the device context has when drawing starts; twice its average character width
    // is the left indent of the header lines.
    QFont deviceFont;

    static TableSurface Screen(QPoint scroll, QSize viewport, QSize screenResolution) {
        TableSurface s;
        s.scroll = scroll;
        s.viewport = viewport;
        s.resolution = screenResolution;
        s.reference = screenResolution;
        return s;
    }
    // A printed page: the page's size in pixels is both the viewport and the resolution; fonts
    // are scaled by the page's resolution over the screen's.
    static TableSurface Printer(int page, QSize pageResolution, QSize screenResolution) {
        TableSurface s;
        s.viewport = pageResolution;
        s.resolution = pageResolution;
        s.reference = screenResolution;
        s.printing = true;
        s.page = page;
        return s;
    }
};

// Row and column positions of the whole table on this surface (table coordinates: 0,0 is the
// top left of the table, not of the viewport).
TableLayout TableLayoutFor(const CKv4731xDoc& doc, const TableSurface& surface);

// Paints the visible part of the table on the painter, whose coordinates are the viewport's
// (printing: the page's). Runs the reference check first, which may show a message and turn
// trace math off (see RenderChart).
void RenderTable(QPainter& painter, CKv4731xDoc& doc, const TableSurface& surface);

// The scroll size: (5·a + end of the last column, column-title row + (N + 1)·row height).
QSize TableContentSize(const CKv4731xDoc& doc, const TableSurface& surface);

// The row a click at viewport position `click` gives: -1 on the column-title row (and above it),
// N - 1 below the last row. No value when no trace is displayed and valid (the click then does
// not move the marker). The caller then calls doc.PlaceMarker(index).
std::optional<int> MarkerIndexForTableClick(const CKv4731xDoc& doc, const TableSurface& surface,
                                            QPoint click);

// The row height, and the vertical scroll position that brings the marker row to the top
// (marker index × row height, at least 0).
int TableRowHeight(const CKv4731xDoc& doc, const TableSurface& surface);
int TableScrollForMarker(const CKv4731xDoc& doc, const TableSurface& surface);

// Number of pages a printed table needs on a page of `pageResolution` pixels, the screen having
// `screenResolution`: the page that holds the last row, the rows paginated as printing draws
// them (a row that would cross a page edge moves to the next page, and every row after it too).
// At least 1.
int TablePageCount(const CKv4731xDoc& doc, QSize pageResolution, QSize screenResolution);

// The top of the table drawn on a white image of the given size (as on a screen of that size);
// an empty size gives an image of the whole table, however large (the PNG export refuses a
// table larger than kMaxPictureSide; see ExportTable).
QImage RenderTableImage(CKv4731xDoc& doc, QSize size);
// The rows of the whole table's image that lie wholly within its top `height` pixels.
int TableImageRowsThatFit(const CKv4731xDoc& doc, int height);
// The size of that image, and its drawing on any painter (white background included).
QSize TableImageSize(const CKv4731xDoc& doc, QSize size);
void PaintTableImage(QPainter& painter, CKv4731xDoc& doc, QSize size);

}  // namespace kv
