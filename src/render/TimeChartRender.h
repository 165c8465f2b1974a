#pragma once

// Painting of the time chart: the document's series at the time chart's frequencies against the
// time since the series began, with its grid, labels, legend and the time chart's own limits.
// The same drawing serves the window's view, the printer and the exported files.
//
// All functions need a QGuiApplication (font metrics).

#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QSize>

#include "display/TimeChart.h"
#include "render/ChartRender.h"

namespace kv {

class CKv4731xDoc;

// The text drawn when no chosen frequency has a value yet.
inline constexpr const char* kTimeChartEmptyText =
    "No series values yet: choose frequencies (Time Chart menu) and measure.";

// The layout the time chart is drawn with on this surface (the scale font of the document,
// scaled as the chart's fonts are when printing).
TimeChartLayout TimeChartLayoutFor(const CKv4731xDoc& doc, const ChartSurface& surface);

// Paints the time chart on a white surface of the painter (0,0 at the top left).
void RenderTimeChart(QPainter& painter, const CKv4731xDoc& doc, const ChartSurface& surface);

// The time chart on a white image of the given size (as on a screen of that size).
QImage RenderTimeChartImage(const CKv4731xDoc& doc, QSize size);

// The time chart on one page, drawn as on a screen of `lastScreenSize` (empty: the page's size)
// scaled to the page.
void PaintTimeChartPages(const CKv4731xDoc& doc, QPagedPaintDevice& device, QSize lastScreenSize);

}  // namespace kv
