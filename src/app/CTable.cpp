#include "app/CTable.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>

#include "app/QtOperatorUi.h"
#include "render/TableRender.h"

namespace kv {

CTable::CTable(CKv4731xDoc& doc, QtOperatorUi* ui, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(doc), ui_(ui) {
    setObjectName(QStringLiteral("CTable"));
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Base, Qt::white);
    viewport()->setPalette(palette);
    viewport()->setAutoFillBackground(true);
    doc_.RegisterTableView(this);
}

CTable::~CTable() {
    doc_.UnregisterView(this);
}

QSize CTable::ScreenResolution() const {
    const QScreen* s = screen();
    if (s == nullptr) {
        s = QGuiApplication::primaryScreen();
    }
    return s != nullptr ? s->size() : QSize(1024, 768);
}

TableSurface CTable::Surface() const {
    TableSurface surface =
        TableSurface::Screen(QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()),
                             viewport()->size(), ScreenResolution());
    surface.deviceFont = font();
    return surface;
}

void CTable::UpdateScrollRange() {
    const TableSurface surface = Surface();
    const QSize content = TableContentSize(doc_, surface);
    const QSize client = viewport()->size();
    const int row = qMax(1, TableRowHeight(doc_, surface));
    horizontalScrollBar()->setRange(0, qMax(0, content.width() - client.width()));
    horizontalScrollBar()->setPageStep(client.width());
    horizontalScrollBar()->setSingleStep(qMax(1, fontMetrics().averageCharWidth()));
    verticalScrollBar()->setRange(0, qMax(0, content.height() - client.height()));
    verticalScrollBar()->setPageStep(client.height());
    verticalScrollBar()->setSingleStep(row);
}

void CTable::OnDocumentUpdate(UpdateHint hint) {
    UpdateScrollRange();
    if (hint == UpdateHint::ScrollToMarker) {
        horizontalScrollBar()->setValue(0);
        verticalScrollBar()->setValue(TableScrollForMarker(doc_, Surface()));
    }
    viewport()->update();
}

void CTable::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
}

void CTable::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    UpdateScrollRange();
}

void CTable::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), Qt::white);
    {
        QtOperatorUi::PaintScope scope(ui_);
        doc_.CheckReference();
        RenderTable(painter, doc_, Surface());
    }
    // The scroll size follows what was drawn (fonts and traces shown may have changed).
    const QSize content = TableContentSize(doc_, Surface());
    const QSize client = viewport()->size();
    if (verticalScrollBar()->maximum() != qMax(0, content.height() - client.height()) ||
        horizontalScrollBar()->maximum() != qMax(0, content.width() - client.width())) {
        QMetaObject::invokeMethod(
            this, [this] { UpdateScrollRange(); }, Qt::QueuedConnection);
    }
}

void CTable::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (const auto index =
                MarkerIndexForTableClick(doc_, Surface(), event->position().toPoint())) {
            // A click in the table moves the marker where the operator looks: no scrolling.
            doc_.PlaceMarker(*index, false);
        }
    }
    QAbstractScrollArea::mousePressEvent(event);
}

bool CTable::HandleKey(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_PageUp:
            verticalScrollBar()->setValue(verticalScrollBar()->value() -
                                          ScreenResolution().height());
            return true;
        case Qt::Key_PageDown:
            verticalScrollBar()->setValue(verticalScrollBar()->value() +
                                          ScreenResolution().height());
            return true;
        case Qt::Key_Home:
            doc_.MoveMarker(CKv4731xDoc::MarkerKey::Home);
            return true;
        case Qt::Key_End:
            doc_.MoveMarker(CKv4731xDoc::MarkerKey::End);
            return true;
        case Qt::Key_Up:
            doc_.MoveMarker(CKv4731xDoc::MarkerKey::Up);
            return true;
        case Qt::Key_Down:
            doc_.MoveMarker(CKv4731xDoc::MarkerKey::Down);
            return true;
        default:
            return false;
    }
}

void CTable::keyPressEvent(QKeyEvent* event) {
    if (HandleKey(event)) {
        event->accept();
        return;
    }
    event->ignore();
}

}  // namespace kv
