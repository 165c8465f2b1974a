#pragma once

// Painting of the chart view: title, subtitle, time and date, grid, axis labels, parameter label,
// the band of +-2u around a trace that has an uncertainty (while "Uncertainty Band" is on), the
// displayed and valid traces and the marker, read from the document at every paint. The same
// drawing serves the window, the printer and the terminal front end's images.
//
// All functions need a QGuiApplication (font metrics).

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QSize>
#include <optional>

#include "display/ChartLayout.h"

namespace kv {

class CKv4731xDoc;

// The surface the chart is drawn on.
struct ChartSurface {
    QSize size;       // W, H: width and height of the drawing in device units
    QSize reference;  // W0, H0: the client size at the last screen paint
    bool printing = false;

    // On screen W0 = W and H0 = H.
    static ChartSurface Screen(QSize clientSize) { return {clientSize, clientSize, false}; }
    // When printing W and H are the page's size in device pixels; W0 and H0 keep the size of
    // the last screen paint, and fonts and margins are scaled from it.
    static ChartSurface Printer(QSize pageSize, QSize lastScreenSize) {
        return {pageSize, lastScreenSize, true};
    }
};

// The layout (margins, mapping, grid, labels) the chart would be drawn with on this surface,
// for the current format and limits.
ChartLayout ChartLayoutFor(const CKv4731xDoc& doc, const ChartSurface& surface);

// Paints the chart on the painter, whose coordinates are the surface's device units (0,0 at the
// top left). Runs the reference check and the logarithmic limits check first; each may show a
// message and correct the document. A front end that must not show a message from inside a
// paint can call doc.CheckReference() and doc.CheckLogLimits() before it paints: they then find
// nothing left to correct here. Nothing is drawn on an empty surface.
void RenderChart(QPainter& painter, CKv4731xDoc& doc, const ChartSurface& surface);

// The marker index a left click at `click` (surface coordinates) gives: the first displayed and
// valid trace is scanned from point 0 upwards to the first point drawn right of the click
// (Cole-Cole: left of it); the index before it, at least 0; the last point when none is. No value
// when no trace is displayed and valid. The caller then calls doc.PlaceMarker(index).
std::optional<int> MarkerIndexForChartClick(const CKv4731xDoc& doc, const ChartSurface& surface,
                                            QPoint click);

// The chart drawn on a white image of the given size (as on a screen of that size).
QImage RenderChartImage(CKv4731xDoc& doc, QSize size);

}  // namespace kv
