#pragma once

// The chart view, the left pane of the main window: draws the document's traces in the current
// chart format at every paint, places the marker with a click, and hands its keys to the table.

#include <QAbstractScrollArea>

#include "doc/CKv4731xDoc.h"

namespace kv {

class CTable;
class QtOperatorUi;

class CPlot : public QAbstractScrollArea, public DocumentView {
    Q_OBJECT

public:
    // Registers with the document, which then selects the e' chart and the real and imaginary
    // table. (The document assigned the default fonts when it was made, from a fixed stock
    // description, not from the application font.)
    CPlot(CKv4731xDoc& doc, QtOperatorUi* ui, QWidget* parent = nullptr);
    ~CPlot() override;

    // The table that takes the chart's keys.
    void SetTable(CTable* table) { table_ = table; }

    // The client size at the last paint on screen (the reference of printed fonts and margins).
    QSize LastScreenSize() const { return lastScreenSize_; }

    void OnDocumentUpdate(UpdateHint hint) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateScrollRange();

    CKv4731xDoc& doc_;
    QtOperatorUi* ui_;
    CTable* table_ = nullptr;
    QSize lastScreenSize_;
};

}  // namespace kv
