#include "render/ChartRender.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <vector>

#include "display/ChartLayout.h"
#include "doc/CKv4731xDoc.h"
#include "render/RenderFonts.h"
#include "render/RenderText.h"

namespace kv {

namespace {

// Every font of the chart is drawn scaled: height by H/H0, width by W/W0.
struct ChartFonts {
    double heightScale = 1.0;
    double widthScale = 1.0;

    explicit ChartFonts(const ChartSurface& s) {
        if (s.reference.height() > 0) {
            heightScale = static_cast<double>(s.size.height()) / s.reference.height();
        }
        if (s.reference.width() > 0) {
            widthScale = static_cast<double>(s.size.width()) / s.reference.width();
        }
    }
    QFont Of(const LogFont& lf) const { return FontFromLogFont(lf, heightScale, widthScale); }
};

ChartMetrics MeasureChart(const CKv4731xDoc& doc, const ChartSurface& s, const ChartFonts& fonts) {
    ChartMetrics m;
    m.width = s.size.width();
    m.height = s.size.height();
    m.refWidth = s.reference.width();
    m.refHeight = s.reference.height();
    m.printing = s.printing;
    m.lineWidth = doc.chartLineWidth;
    for (int t = 0; t < kTraceCount; ++t) {
        const CTrace& trace = doc.Trace(t);
        if (!trace.displayed) {
            continue;
        }
        const QFontMetricsF fm(fonts.Of(trace.font));
        m.labelWidth = std::max(m.labelWidth,
                                fm.horizontalAdvance(RenderString(trace.label) + QLatin1Char('a')));
    }
    const QFontMetricsF date(fonts.Of(doc.timeDateFont));
    m.dateWidth =
        date.horizontalAdvance(RenderString(DateStampText(doc.dateStamp)) + QLatin1Char('a'));
    m.scaleFontHeight = doc.scaleFont.height;
    m.parameterFontHeight = doc.parameterFont.height;
    m.subtitleFontHeight = doc.subtitle.font.height;
    m.titleFontHeight = doc.title.font.height;
    return m;
}

ChartLayout LayoutFor(const CKv4731xDoc& doc, const ChartSurface& s, const ChartFonts& fonts) {
    return ChartLayout(MeasureChart(doc, s, fonts), doc.CurrentChart(), doc.Engine().StartHz(),
                       doc.Engine().StopHz());
}

int FirstShownTrace(const CKv4731xDoc& doc) {
    for (int t = 0; t < kTraceCount; ++t) {
        if (doc.TraceDisplayedAndValid(t)) {
            return t;
        }
    }
    return -1;
}

// A device position; QPainter's aliased drawing fills the pixel right of and below it.
QPointF DevicePoint(int x, int y) {
    return {static_cast<double>(x), static_cast<double>(y)};
}

// Selecting a colour makes a new pen of the chart line width and pen style in it.
void SelectColour(QPainter& painter, const CKv4731xDoc& doc, ColorRef colour) {
    painter.setPen(ChartPen(colour, doc.chartLineWidth, 0));
}

// The band of +-2u around each displayed trace that has an uncertainty, under the traces: a
// translucent area in the trace's colour for a frequency format, broken where a point has no
// band; an error cross at each point of a Cole-Cole format.
void DrawBands(QPainter& painter, const CKv4731xDoc& doc, const ChartLayout& layout) {
    const int points = doc.ViewPointCount();
    const bool coleCole = doc.CurrentChart().IsColeCole();
    std::vector<QPointF> upper;
    std::vector<QPointF> lower;
    for (int t = 0; t < kTraceCount; ++t) {
        if (!doc.TraceDisplayedAndValid(t) || !doc.Trace(t).HasUncertainty()) {
            continue;
        }
        QColor colour = ColorFromColorRef(doc.Trace(t).colour);
        if (coleCole) {
            colour.setAlpha(128);
            painter.setPen(QPen(colour, 1));
            for (int i = 0; i < points; ++i) {
                const auto band = doc.BandAt(t, i);
                if (!band) {
                    continue;
                }
                const double x = (band->xLow + band->xHigh) / 2;
                const double y = (band->yLow + band->yHigh) / 2;
                const auto left = layout.Map(band->xLow, y);
                const auto right = layout.Map(band->xHigh, y);
                const auto top = layout.Map(x, band->yHigh);
                const auto bottom = layout.Map(x, band->yLow);
                if (left && right) {
                    painter.drawLine(DevicePoint(left->x, left->y),
                                     DevicePoint(right->x, right->y));
                }
                if (top && bottom) {
                    painter.drawLine(DevicePoint(top->x, top->y),
                                     DevicePoint(bottom->x, bottom->y));
                }
            }
            continue;
        }
        colour.setAlpha(64);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        auto flush = [&] {
            if (upper.size() > 1) {
                upper.insert(upper.end(), lower.rbegin(), lower.rend());
                painter.drawPolygon(upper.data(), static_cast<int>(upper.size()));
            }
            upper.clear();
            lower.clear();
        };
        for (int i = 0; i < points; ++i) {
            const auto band = doc.BandAt(t, i);
            const auto high = band ? layout.Map(band->xHigh, band->yHigh) : std::nullopt;
            const auto low = band ? layout.Map(band->xLow, band->yLow) : std::nullopt;
            if (!high || !low) {
                flush();
                continue;
            }
            upper.push_back(DevicePoint(high->x, high->y));
            lower.push_back(DevicePoint(low->x, low->y));
        }
        flush();
        painter.setBrush(Qt::NoBrush);
    }
}

void DrawTraces(QPainter& painter, const CKv4731xDoc& doc, const ChartLayout& layout,
                const ChartFonts& fonts, int cw, int tm) {
    const int points = doc.ViewPointCount();
    const bool coleCole = doc.CurrentChart().IsColeCole();
    std::vector<QPointF> run;
    run.reserve(static_cast<std::size_t>(points));
    for (int t = 0; t < kTraceCount; ++t) {
        if (!doc.TraceDisplayedAndValid(t)) {
            continue;
        }
        const CTrace& trace = doc.Trace(t);
        const QColor colour = ColorFromColorRef(trace.colour);
        painter.setFont(fonts.Of(trace.font));
        SelectColour(painter, doc, trace.colour);

        // A point without a position breaks the line; the line goes on at the next point
        // that has one.
        run.clear();
        auto flush = [&] {
            if (run.size() > 1) {
                painter.drawPolyline(run.data(), static_cast<int>(run.size()));
            }
            // The rasteriser may step a line's end one pixel aside; a point at each vertex
            // puts the trace on every point it passes, as a line drawn from point to point does.
            painter.drawPoints(run.data(), static_cast<int>(run.size()));
            run.clear();
        };
        std::optional<ChartPoint> first;
        std::optional<ChartPoint> last;
        for (int i = 0; i < points; ++i) {
            const auto p = layout.Map(doc.XValue(t, i), doc.YValue(t, i));
            if (!p) {
                flush();
                continue;
            }
            if (!first) {
                first = p;
                if (coleCole) {
                    flush();
                    DrawAlignedText(painter, layout.TraceLabel(trace.label, *p, cw, tm), colour);
                }
            }
            last = p;
            run.push_back(DevicePoint(p->x, p->y));
            if (doc.markerOn && i == doc.markerPosition) {
                for (const ChartPoint& corner : layout.MarkerTriangle(*p, cw, tm)) {
                    run.push_back(DevicePoint(corner.x, corner.y));
                }
            }
        }
        flush();
        if (!coleCole && last) {
            DrawAlignedText(painter, layout.TraceLabel(trace.label, *last, cw, tm), colour);
        }
    }
}

}  // namespace

ChartLayout ChartLayoutFor(const CKv4731xDoc& doc, const ChartSurface& surface) {
    return LayoutFor(doc, surface, ChartFonts(surface));
}

void RenderChart(QPainter& painter, CKv4731xDoc& doc, const ChartSurface& surface) {
    doc.CheckReference();
    if (surface.size.width() <= 0 || surface.size.height() <= 0) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const ChartFonts fonts(surface);

    // Annotations.
    const ChartLayout frame = LayoutFor(doc, surface, fonts);
    if (doc.title.shown) {
        painter.setFont(fonts.Of(doc.title.font));
        DrawAlignedText(painter, frame.Title(doc.title.text), ColorFromColorRef(doc.title.colour));
    }
    if (doc.subtitle.shown) {
        painter.setFont(fonts.Of(doc.subtitle.font));
        DrawAlignedText(painter, frame.Subtitle(doc.subtitle.text, doc.title.font.height),
                        ColorFromColorRef(doc.subtitle.colour));
    }
    if (doc.timeDateShown) {
        const QColor colour = ColorFromColorRef(doc.timeDateColour);
        painter.setFont(fonts.Of(doc.timeDateFont));
        DrawAlignedText(painter, frame.Date(DateStampText(doc.dateStamp)), colour);
        DrawAlignedText(painter, frame.Time(TimeStampText(doc.timeStamp), doc.timeDateFont.height),
                        colour);
    }

    // Chart body: the limits are checked before anything is mapped.
    SelectColour(painter, doc, doc.gridColour);
    doc.CheckLogLimits();
    const ChartLayout layout = LayoutFor(doc, surface, fonts);
    for (const GridLine& line : layout.VerticalGridLines()) {
        painter.drawLine(DevicePoint(line.x1, line.y1), DevicePoint(line.x2, line.y2));
    }
    for (const GridLine& line : layout.HorizontalGridLines()) {
        painter.drawLine(DevicePoint(line.x1, line.y1), DevicePoint(line.x2, line.y2));
    }

    const QFont scaleFont = fonts.Of(doc.scaleFont);
    painter.setFont(scaleFont);
    const int scaleHeight = QFontMetrics(scaleFont).height();
    const QColor scaleColour = ColorFromColorRef(doc.scaleColour);
    for (const ChartText& label : layout.HorizontalLabels(scaleHeight)) {
        DrawAlignedText(painter, label, scaleColour);
    }
    for (const ChartText& label : layout.VerticalLabels(scaleHeight)) {
        DrawAlignedText(painter, label, scaleColour);
    }

    const QFont parameterFont = fonts.Of(doc.parameterFont);
    painter.setFont(parameterFont);
    DrawAlignedText(painter, layout.ParameterLabel(doc.ChartParameterLabel()),
                    ColorFromColorRef(doc.parameterColour));

    // The trace labels and the marker take their size from the font selected last.
    const QFontMetrics parameter(parameterFont);
    DrawBands(painter, doc, layout);
    DrawTraces(painter, doc, layout, fonts, parameter.maxWidth(), parameter.height());
    painter.restore();
}

std::optional<int> MarkerIndexForChartClick(const CKv4731xDoc& doc, const ChartSurface& surface,
                                            QPoint click) {
    const int t = FirstShownTrace(doc);
    if (t < 0) {
        return std::nullopt;
    }
    const ChartLayout layout = ChartLayoutFor(doc, surface);
    const int points = doc.ViewPointCount();
    std::vector<std::optional<int>> px(static_cast<std::size_t>(points));
    for (int i = 0; i < points; ++i) {
        // Only points the chart draws can be passed.
        if (layout.MapY(doc.YValue(t, i))) {
            px[static_cast<std::size_t>(i)] = layout.MapX(doc.XValue(t, i));
        }
    }
    return MarkerIndexForClick(px, click.x(), doc.CurrentChart().IsColeCole());
}

QImage RenderChartImage(CKv4731xDoc& doc, QSize size) {
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    RenderChart(painter, doc, ChartSurface::Screen(size));
    painter.end();
    return image;
}

}  // namespace kv
