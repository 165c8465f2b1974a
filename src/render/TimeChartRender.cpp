#include "render/TimeChartRender.h"

#include <QFontMetrics>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "doc/CKv4731xDoc.h"
#include "render/RenderFonts.h"

namespace kv {

namespace {

struct TimeChartFonts {
    QFont text;
    int height = 1;

    TimeChartFonts(const CKv4731xDoc& doc, const ChartSurface& s) {
        double scale = 1.0;
        if (s.printing && s.reference.height() > 0) {
            scale = static_cast<double>(s.size.height()) / s.reference.height();
        }
        text = FontFromLogFont(doc.scaleFont, scale, scale);
        height = std::max(1, QFontMetrics(text).height());
    }
};

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

int LegendWidth(const std::vector<TimeChartCurve>& curves, const QFontMetrics& fm) {
    int widest = 0;
    for (const TimeChartCurve& curve : curves) {
        widest = std::max(widest, fm.horizontalAdvance(Text(TimeChartCurveLabel(curve))));
    }
    // The sample line before each entry is three text heights long.
    return widest > 0 ? widest + 3 * fm.height() : 0;
}

TimeChartLayout Layout(const CKv4731xDoc& doc, const ChartSurface& surface,
                       const TimeChartFonts& fonts, const std::vector<TimeChartCurve>& curves) {
    const QFontMetrics fm(fonts.text);
    const TimeChartBounds bounds = TimeChartLimits(doc.TimeChart(), curves);
    // The value labels are measured at the limits' own ticks: a first layout gives the ticks.
    const TimeChartLayout first(surface.size.width(), surface.size.height(), fonts.height,
                                fm.horizontalAdvance(QStringLiteral("-00000.00")),
                                LegendWidth(curves, fm), bounds);
    const std::vector<double> ticks = first.ValueTicks();
    const double step = ticks.size() > 1 ? ticks[1] - ticks[0] : 1.0;
    int labelWidth = 0;
    for (double v : ticks) {
        labelWidth = std::max(labelWidth, fm.horizontalAdvance(Text(TickLabel(v, step))));
    }
    return TimeChartLayout(surface.size.width(), surface.size.height(), fonts.height, labelWidth,
                           LegendWidth(curves, fm), bounds);
}

QPen CurvePen(const CKv4731xDoc& doc, const TimeChartCurve& curve, int lineWidth) {
    QPen pen(ColorFromColorRef(doc.Trace(curve.slot).colour));
    pen.setWidth(lineWidth);
    pen.setStyle(curve.part == TimeChartPart::E2 ? Qt::DashLine : Qt::SolidLine);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

}  // namespace

TimeChartLayout TimeChartLayoutFor(const CKv4731xDoc& doc, const ChartSurface& surface) {
    const TimeChartFonts fonts(doc, surface);
    return Layout(doc, surface, fonts, TimeChartCurves(doc.timeSeries, doc.TimeChart().quantity));
}

void RenderTimeChart(QPainter& painter, const CKv4731xDoc& doc, const ChartSurface& surface) {
    if (surface.size.width() <= 0 || surface.size.height() <= 0) {
        return;
    }
    const std::vector<TimeChartCurve> curves =
        TimeChartCurves(doc.timeSeries, doc.TimeChart().quantity);
    const TimeChartFonts fonts(doc, surface);
    const TimeChartLayout layout = Layout(doc, surface, fonts, curves);
    const int th = fonts.height;
    // Lines as wide on paper as on the screen the chart was last seen on.
    const int lineWidth =
        std::max(1, static_cast<int>(std::lround(surface.printing && surface.reference.height() > 0
                                                     ? static_cast<double>(surface.size.height()) /
                                                           surface.reference.height()
                                                     : 1.0)));

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setFont(fonts.text);
    const QColor textColour = ColorFromColorRef(doc.scaleColour);
    painter.setPen(textColour);
    painter.drawText(QPointF(layout.PlotLeft(), 1.5 * th),
                     Text(TimeChartParameterLabel(doc.TimeChart().quantity)));
    if (!layout.Drawable()) {
        painter.restore();
        return;
    }
    const QRectF plot(QPointF(layout.PlotLeft(), layout.PlotTop()),
                      QPointF(layout.PlotRight(), layout.PlotBottom()));

    // Grid and labels.
    QPen gridPen(ColorFromColorRef(doc.gridColour));
    gridPen.setWidth(lineWidth);
    const std::vector<double> timeTicks = layout.TimeTicks();
    const std::vector<double> valueTicks = layout.ValueTicks();
    const double unit = layout.Unit().seconds;
    const double timeStep = timeTicks.size() > 1 ? (timeTicks[1] - timeTicks[0]) / unit : 1.0;
    const double valueStep = valueTicks.size() > 1 ? valueTicks[1] - valueTicks[0] : 1.0;
    for (double t : timeTicks) {
        const double x = layout.X(t);
        painter.setPen(gridPen);
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.setPen(textColour);
        painter.drawText(QRectF(x - 4 * th, plot.bottom() + 0.2 * th, 8 * th, th),
                         Qt::AlignHCenter | Qt::AlignTop, Text(TickLabel(t / unit, timeStep)));
    }
    for (double v : valueTicks) {
        const double y = layout.Y(v);
        painter.setPen(gridPen);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(textColour);
        painter.drawText(QRectF(0, y - th, plot.left() - 0.5 * th, 2 * th),
                         Qt::AlignRight | Qt::AlignVCenter, Text(TickLabel(v, valueStep)));
    }
    painter.setPen(gridPen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    painter.setPen(textColour);
    painter.drawText(QRectF(plot.left(), plot.bottom() + 1.4 * th, plot.width(), 1.5 * th),
                     Qt::AlignHCenter | Qt::AlignTop, Text(layout.TimeAxisTitle()));

    // The curves, cut at the plot's edges; a lone point is drawn as a dot.
    bool anyPoint = false;
    painter.save();
    painter.setClipRect(plot.adjusted(-lineWidth, -lineWidth, lineWidth, lineWidth));
    for (const TimeChartCurve& curve : curves) {
        if (curve.points.empty()) {
            continue;
        }
        anyPoint = true;
        QPen pen = CurvePen(doc, curve, lineWidth);
        QPainterPath path;
        path.moveTo(layout.X(curve.points[0].seconds), layout.Y(curve.points[0].value));
        for (std::size_t i = 1; i < curve.points.size(); ++i) {
            path.lineTo(layout.X(curve.points[i].seconds), layout.Y(curve.points[i].value));
        }
        painter.setPen(pen);
        painter.drawPath(path);
        pen.setStyle(Qt::SolidLine);
        pen.setWidth(3 * lineWidth);
        painter.setPen(pen);
        for (const TimeChartPoint& p : curve.points) {
            painter.drawPoint(QPointF(layout.X(p.seconds), layout.Y(p.value)));
        }
    }
    painter.restore();

    // The legend right of the plot.
    double y = plot.top();
    for (const TimeChartCurve& curve : curves) {
        const double x = plot.right() + th;
        painter.setPen(CurvePen(doc, curve, lineWidth));
        painter.drawLine(QPointF(x, y + 0.5 * th), QPointF(x + 2 * th, y + 0.5 * th));
        painter.setPen(textColour);
        painter.drawText(QRectF(x + 2.5 * th, y, surface.size.width() - x, th),
                         Qt::AlignLeft | Qt::AlignVCenter, Text(TimeChartCurveLabel(curve)));
        y += 1.3 * th;
    }
    if (!anyPoint) {
        painter.setPen(textColour);
        painter.drawText(plot, Qt::AlignCenter | Qt::TextWordWrap,
                         QString::fromLatin1(kTimeChartEmptyText));
    }
    painter.restore();
}

QImage RenderTimeChartImage(const CKv4731xDoc& doc, QSize size) {
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    RenderTimeChart(painter, doc, ChartSurface::Screen(size));
    painter.end();
    return image;
}

void PaintTimeChartPages(const CKv4731xDoc& doc, QPagedPaintDevice& device, QSize lastScreenSize) {
    const QSize page(device.width(), device.height());
    if (page.isEmpty()) {
        return;
    }
    QPainter painter;
    if (!painter.begin(&device)) {
        return;
    }
    RenderTimeChart(painter, doc,
                    ChartSurface::Printer(page, lastScreenSize.isEmpty() ? page : lastScreenSize));
    painter.end();
}

}  // namespace kv
