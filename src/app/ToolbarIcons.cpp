#include "app/ToolbarIcons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <cmath>

#include "doc/CommandIds.h"

namespace kv {

namespace {

const QColor kInk(40, 40, 40);
const QColor kPaper(255, 255, 255);
const QColor kFolder(230, 190, 60);
const QColor kDisk(50, 90, 170);
const QColor kCurve(200, 30, 30);
const QColor kGrid(120, 120, 120);

void Page(QPainter& p, QRectF r) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(r);
}

void Curve(QPainter& p, QRectF r, QColor colour = kCurve) {
    QPainterPath path;
    path.moveTo(r.left(), r.bottom());
    path.cubicTo(r.left() + r.width() * 0.4, r.bottom(), r.left() + r.width() * 0.5, r.top(),
                 r.right(), r.top());
    p.setPen(QPen(colour, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void Rows(QPainter& p, QRectF r, int rows) {
    p.setPen(QPen(kGrid, 1));
    for (int i = 0; i < rows; ++i) {
        const double y = r.top() + (i + 0.5) * r.height() / rows;
        p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
    }
}

void Folder(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kFolder);
    QPainterPath path;
    path.moveTo(1.5, 3.5);
    path.lineTo(6.5, 3.5);
    path.lineTo(7.5, 5.5);
    path.lineTo(14.5, 5.5);
    path.lineTo(14.5, 13.5);
    path.lineTo(1.5, 13.5);
    path.closeSubpath();
    p.drawPath(path);
}

void Disk(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kDisk);
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(4.5, 9.5, 7, 5));
}

void Printer(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(190, 190, 190));
    p.drawRect(QRectF(1.5, 7.5, 13, 5));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 1.5, 7, 6));
    p.drawRect(QRectF(4.5, 11.5, 7, 3));
}

void Text(QPainter& p, const QString& text, double pixelSize, QColor colour = kInk) {
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(static_cast<int>(pixelSize));
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, text);
}

void Arrow(QPainter& p, QPointF from, QPointF to) {
    p.setPen(QPen(kDisk, 1.5));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1.0, std::hypot(to.x() - from.x(), to.y() - from.y()));
    const QPointF n(-d.y(), d.x());
    p.drawLine(to, to - d * 3 + n * 2.5);
    p.drawLine(to, to - d * 3 - n * 2.5);
}

void Axes(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.drawLine(QPointF(2.5, 1.5), QPointF(2.5, 13.5));
    p.drawLine(QPointF(2.5, 13.5), QPointF(14.5, 13.5));
}

void Draw(QPainter& p, int id) {
    switch (id) {
        case ID_FILE_OPEN:
            Folder(p);
            break;
        case ID_FILE_OPEN_DATA:
            Folder(p);
            Rows(p, QRectF(4, 7, 8, 5), 3);
            break;
        case ID_FILE_SAVE_AS:
            Disk(p);
            break;
        case ID_FILE_SAVE_DATA:
            Disk(p);
            Rows(p, QRectF(5, 2, 6, 4), 2);
            break;
        case ID_EDIT_COPY:
            Page(p, QRectF(1.5, 1.5, 9, 10));
            Page(p, QRectF(5.5, 4.5, 9, 10));
            Curve(p, QRectF(7, 6.5, 6, 6));
            break;
        case ID_COPY_TABLE:
            Page(p, QRectF(1.5, 1.5, 9, 10));
            Page(p, QRectF(5.5, 4.5, 9, 10));
            Rows(p, QRectF(7, 6, 6, 7), 3);
            break;
        case ID_PRINT_CHART:
            Printer(p);
            Curve(p, QRectF(5.5, 2.5, 5, 4));
            break;
        case ID_PRINT_TABLE:
            Printer(p);
            Rows(p, QRectF(5.5, 2, 5, 5), 2);
            break;
        case ID_PERFORM_CAL: {
            // The probe against its calibration standard.
            p.setPen(QPen(kInk, 1));
            p.setBrush(QColor(180, 180, 180));
            p.drawRect(QRectF(6.5, 1.5, 3, 9));
            p.setBrush(QColor(200, 160, 60));
            p.drawRect(QRectF(2.5, 10.5, 11, 4));
            break;
        }
        case ID_VIEW_CHART_AND_TABLE:
            Page(p, QRectF(0.5, 2.5, 15, 11));
            p.drawLine(QPointF(8, 2.5), QPointF(8, 13.5));
            Curve(p, QRectF(2, 5, 4.5, 6.5));
            Rows(p, QRectF(9.5, 4, 5, 8.5), 4);
            break;
        case ID_VIEW_CHART_ONLY:
            Page(p, QRectF(0.5, 2.5, 15, 11));
            Curve(p, QRectF(2.5, 4.5, 11, 7));
            break;
        case ID_VIEW_TABLE_ONLY:
            Page(p, QRectF(0.5, 2.5, 15, 11));
            Rows(p, QRectF(2, 4, 12, 8.5), 5);
            break;
        case ID_TRIGGER_MEASUREMENT: {
            p.setPen(QPen(QColor(20, 100, 20), 1));
            p.setBrush(QColor(60, 170, 60));
            const QPointF tri[] = {QPointF(4, 2), QPointF(13, 8), QPointF(4, 14)};
            p.drawPolygon(tri, 3);
            break;
        }
        case ID_MEASURE_CONTINUOUSLY: {
            // Two measure triangles: again and again.
            p.setPen(QPen(QColor(20, 100, 20), 1));
            p.setBrush(QColor(60, 170, 60));
            const QPointF first[] = {QPointF(1.5, 3), QPointF(8, 8), QPointF(1.5, 13)};
            const QPointF second[] = {QPointF(7.5, 3), QPointF(14, 8), QPointF(7.5, 13)};
            p.drawPolygon(first, 3);
            p.drawPolygon(second, 3);
            break;
        }
        case ID_FORMAT_E1:
            Text(p, QStringLiteral("e'"), 12);
            break;
        case ID_FORMAT_E2:
            Text(p, QStringLiteral("e''"), 12);
            break;
        case ID_FORMAT_TAN_E:
            Text(p, QStringLiteral("tan"), 8);
            break;
        case ID_FORMAT_COLE_COLE:
            Axes(p);
            p.setPen(QPen(kCurve, 1.3));
            p.drawArc(QRectF(3.5, 6, 10, 14), 0, 180 * 16);
            break;
        case ID_AUTOSCALE:
            Axes(p);
            Curve(p, QRectF(3.5, 3, 10, 9));
            p.setPen(QPen(kDisk, 1));
            p.drawRect(QRectF(3.5, 2.5, 10.5, 10));
            break;
        case ID_SET_VERTICAL_AXIS:
            Axes(p);
            Arrow(p, QPointF(8.5, 7.5), QPointF(8.5, 1.5));
            Arrow(p, QPointF(8.5, 7.5), QPointF(8.5, 12.5));
            break;
        case ID_SET_HORIZONTAL_AXIS:
            Axes(p);
            Arrow(p, QPointF(8.5, 7.5), QPointF(3.5, 7.5));
            Arrow(p, QPointF(8.5, 7.5), QPointF(14.5, 7.5));
            break;
        case ID_TABLE_REAL_IMAG:
            Page(p, QRectF(0.5, 0.5, 15, 15));
            Text(p, QStringLiteral("j"), 11, kDisk);
            break;
        case ID_TABLE_REAL_TAN:
            Page(p, QRectF(0.5, 0.5, 15, 15));
            Text(p, QStringLiteral("tan"), 7, kDisk);
            break;
        case ID_DATA_TO_MEMORY: {
            // Data into a memory: "D" with an arrow down into "M".
            QFont font(QStringLiteral("Sans Serif"));
            font.setPixelSize(7);
            font.setBold(true);
            p.setFont(font);
            p.setPen(kCurve);
            p.drawText(QRectF(0, 0, 8, 8), Qt::AlignCenter, QStringLiteral("D"));
            p.setPen(kInk);
            p.drawText(QRectF(7, 7, 9, 9), Qt::AlignCenter, QStringLiteral("M"));
            Arrow(p, QPointF(5, 8), QPointF(9, 12));
            break;
        }
        case ID_TRACE_MATH:
            Text(p, QStringLiteral("\u00f7"), 14);
            break;
        case ID_TRACES_DISPLAYED: {
            const QColor colours[] = {QColor(255, 0, 0), QColor(0, 0, 255), QColor(0, 170, 0),
                                      QColor(128, 0, 255)};
            for (int i = 0; i < 4; ++i) {
                p.setPen(QPen(colours[i], 1.5));
                p.drawLine(QPointF(2, 3 + i * 3.3), QPointF(14, 2 + i * 3.3 + (i % 2) * 2));
            }
            break;
        }
        case ID_APP_ABOUT:
            p.setPen(QPen(kDisk, 1));
            p.setBrush(QColor(230, 235, 250));
            p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
            Text(p, QStringLiteral("?"), 11, kDisk);
            break;
        default:
            break;
    }
}

QPixmap Render(int id, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.scale(size / 16.0, size / 16.0);
    Draw(p, id);
    return pixmap;
}

}  // namespace

QIcon ToolbarIcon(int commandId) {
    QIcon icon;
    icon.addPixmap(Render(commandId, 16));
    icon.addPixmap(Render(commandId, 32));
    return icon;
}

}  // namespace kv
