#pragma once

// The About box, "About 47310C".

#include <QDialog>

namespace kv {

class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent);
};

}  // namespace kv
