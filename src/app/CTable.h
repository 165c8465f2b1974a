#pragma once

// The table view, the right pane of the main window: the frequency column and two columns per
// displayed and valid trace, the marker row highlighted; the marker follows clicks and the Home,
// End, Up and Down keys.

#include <QAbstractScrollArea>

#include "doc/CKv4731xDoc.h"

namespace kv {

class QtOperatorUi;
struct TableSurface;

class CTable : public QAbstractScrollArea, public DocumentView {
    Q_OBJECT

public:
    CTable(CKv4731xDoc& doc, QtOperatorUi* ui, QWidget* parent = nullptr);
    ~CTable() override;

    // The table's keys, also those the chart hands over; false for keys it does not use.
    bool HandleKey(QKeyEvent* event);

    void OnDocumentUpdate(UpdateHint hint) override;

    // The screen the view is on, in pixels (the "device resolution" of the table's scrolling
    // and font scaling).
    QSize ScreenResolution() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    TableSurface Surface() const;
    void UpdateScrollRange();

    CKv4731xDoc& doc_;
    QtOperatorUi* ui_;
};

}  // namespace kv
