#include "app/CPlot.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "app/CTable.h"
#include "app/QtOperatorUi.h"
#include "render/ChartRender.h"

namespace kv {

namespace {

// The chart's scroll size: it fits its window, scrolling only below this size.
constexpr int kScrollWidth = 200;
constexpr int kScrollHeight = 200;

}  // namespace

CPlot::CPlot(CKv4731xDoc& doc, QtOperatorUi* ui, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(doc), ui_(ui) {
    setObjectName(QStringLiteral("CPlot"));
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Base, Qt::white);
    viewport()->setPalette(palette);
    viewport()->setAutoFillBackground(true);
    doc_.RegisterChartView(this);
}

CPlot::~CPlot() {
    doc_.UnregisterView(this);
}

void CPlot::OnDocumentUpdate(UpdateHint) {
    viewport()->update();
}

void CPlot::UpdateScrollRange() {
    const QSize client = viewport()->size();
    horizontalScrollBar()->setRange(0, qMax(0, kScrollWidth - client.width()));
    horizontalScrollBar()->setPageStep(client.width());
    verticalScrollBar()->setRange(0, qMax(0, kScrollHeight - client.height()));
    verticalScrollBar()->setPageStep(client.height());
}

void CPlot::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
}

void CPlot::paintEvent(QPaintEvent*) {
    const QSize client = viewport()->size();
    lastScreenSize_ = client;
    QPainter painter(viewport());
    painter.fillRect(QRect(QPoint(0, 0), client), Qt::white);
    painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    // The checks may correct the document with a message; it is shown after this paint.
    QtOperatorUi::PaintScope scope(ui_);
    doc_.CheckReference();
    doc_.CheckLogLimits();
    RenderChart(painter, doc_, ChartSurface::Screen(client));
}

void CPlot::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint click = event->position().toPoint() +
                             QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
        if (const auto index =
                MarkerIndexForChartClick(doc_, ChartSurface::Screen(viewport()->size()), click)) {
            doc_.PlaceMarker(*index);
        }
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void CPlot::keyPressEvent(QKeyEvent* event) {
    // The chart moves the marker with the table's keys.
    if (table_ != nullptr && table_->HandleKey(event)) {
        event->accept();
        return;
    }
    event->ignore();
}

}  // namespace kv
