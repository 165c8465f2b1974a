#include "app/AboutDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/ToolbarIcons.h"
#include "doc/CommandIds.h"

namespace kv {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(QStringLiteral("About 47310C"));
    auto* icon = new QLabel(this);
    icon->setPixmap(ToolbarIcon(ID_PERFORM_CAL).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    auto* text = new QLabel(
        QStringLiteral("<b>Tarvel Technologies 47310C</b><br>Version 1.0<br><br>"
                       "Dielectric probe measurement: calibrate the probe, measure a sample "
                       "and show its permittivity e', e'' as a chart and a table."),
        this);
    text->setWordWrap(true);
    text->setMinimumWidth(300);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(box);
}

}  // namespace kv
