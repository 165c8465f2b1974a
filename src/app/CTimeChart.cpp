#include "app/CTimeChart.h"

#include <QPainter>

#include "render/TimeChartRender.h"

namespace kv {

CTimeChart::CTimeChart(CKv4731xDoc& doc, QWidget* parent) : QFrame(parent), doc_(doc) {
    setObjectName(QStringLiteral("CTimeChart"));
    setFocusPolicy(Qt::StrongFocus);
    setMinimumHeight(120);
    doc_.RegisterView(this);
}

CTimeChart::~CTimeChart() {
    doc_.UnregisterView(this);
}

void CTimeChart::OnDocumentUpdate(UpdateHint) {
    update();
}

void CTimeChart::paintEvent(QPaintEvent* event) {
    const QRect area = contentsRect();
    lastScreenSize_ = area.size();
    {
        QPainter painter(this);
        painter.fillRect(area, Qt::white);
        painter.translate(area.topLeft());
        RenderTimeChart(painter, doc_, ChartSurface::Screen(area.size()));
    }
    // The frame that marks the active pane.
    QFrame::paintEvent(event);
}

}  // namespace kv
