#pragma once

// The time chart view, the pane below the chart and the table: draws the document's series at
// the time chart's frequencies at every paint, and follows the document's updates (a new record
// among them).

#include <QFrame>

#include "doc/CKv4731xDoc.h"

namespace kv {

class CTimeChart : public QFrame, public DocumentView {
    Q_OBJECT

public:
    explicit CTimeChart(CKv4731xDoc& doc, QWidget* parent = nullptr);
    ~CTimeChart() override;

    // The drawing's size at the last paint on screen (the reference of printed fonts).
    QSize LastScreenSize() const { return lastScreenSize_; }

    void OnDocumentUpdate(UpdateHint hint) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CKv4731xDoc& doc_;
    QSize lastScreenSize_;
};

}  // namespace kv
