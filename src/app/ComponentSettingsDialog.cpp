#include "app/ComponentSettingsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cstdio>

#include "app/TextConversion.h"

namespace kv {

namespace {

QString RangeText(const SettingDescription& s) {
    const QString unit = s.unit.empty() ? QString() : QLatin1Char(' ') + FromCore(s.unit);
    if (s.maximum >= kNoUpperEnd) {
        return QStringLiteral("at least %1%2").arg(s.minimum, 0, 'g', 10).arg(unit);
    }
    return QStringLiteral("%1 to %2%3")
        .arg(s.minimum, 0, 'g', 10)
        .arg(s.maximum, 0, 'g', 10)
        .arg(unit);
}

constexpr int kHelpWidth = 600;

}  // namespace

ComponentSettingsDialog::ComponentSettingsDialog(const std::string& title,
                                                 std::vector<SettingDescription>& settings,
                                                 QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setObjectName(QStringLiteral("ComponentSettingsDialog"));
    setWindowTitle(FromCore(title));
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    for (const SettingDescription& s : settings_) {
        QWidget* field = nullptr;
        QWidget* row = nullptr;
        if (s.kind == SettingKind::Choice) {
            auto* combo = new QComboBox(this);
            for (const SettingChoice& c : s.choices) {
                combo->addItem(FromCore(c.text), FromCore(c.value));
            }
            combo->setCurrentIndex(qMax(0, combo->findData(FromCore(s.value))));
            field = row = combo;
        } else {
            auto* edit = new QLineEdit(
                s.kind == SettingKind::File ? PathFromCore(s.value) : FromCore(s.value), this);
            if (!s.defaultValue.empty()) {
                edit->setPlaceholderText(FromCore(s.defaultValue));
            }
            field = row = edit;
            if (s.kind == SettingKind::File) {
                row = new QWidget(this);
                auto* line = new QHBoxLayout(row);
                line->setContentsMargins(0, 0, 0, 0);
                line->addWidget(edit, 1);
                auto* browse = new QPushButton(QStringLiteral("Browse..."), row);
                line->addWidget(browse);
                const QString filter = FromCore(s.fileFilter) + QStringLiteral(";;All files (*)");
                const QString caption = FromCore(s.name);
                connect(browse, &QPushButton::clicked, this, [this, edit, filter, caption] {
                    const QString start =
                        edit->text().isEmpty() ? QString() : QFileInfo(edit->text()).absolutePath();
                    const QString path = QFileDialog::getOpenFileName(this, caption, start, filter);
                    if (!path.isEmpty()) {
                        edit->setText(path);
                    }
                });
            } else if (!s.unit.empty() &&
                       (s.kind == SettingKind::Number || s.kind == SettingKind::Integer)) {
                row = new QWidget(this);
                auto* line = new QHBoxLayout(row);
                line->setContentsMargins(0, 0, 0, 0);
                line->addWidget(edit, 1);
                line->addWidget(new QLabel(FromCore(s.unit), row));
            }
        }
        field->setObjectName(FromCore(s.key));
        QString help = FromCore(s.help);
        if (s.kind == SettingKind::Number || s.kind == SettingKind::Integer) {
            help += QStringLiteral(" (%1)").arg(RangeText(s));
        }
        field->setToolTip(help);
        form->addRow(FromCore(s.name), row);
        // The help under its field, across the whole page, so that it wraps on the page's width.
        auto* helpLabel = new QLabel(help, this);
        helpLabel->setWordWrap(true);
        helpLabel->setEnabled(false);  // drawn in the dimmed colour of secondary text
        helpLabel->setContentsMargins(12, 0, 0, 6);
        // A wrapped text is given its width and the height of all its lines.
        helpLabel->setFixedWidth(kHelpWidth);
        helpLabel->setFixedHeight(helpLabel->heightForWidth(kHelpWidth));
        form->addRow(helpLabel);
        fields_.push_back(field);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ComponentSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ComponentSettingsDialog::reject);
    // A long page scrolls rather than squeezing its help texts into the screen.
    auto* page = new QWidget;
    page->setLayout(form);
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(page);
    const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    const int room = screen != nullptr ? screen->availableGeometry().height() * 3 / 4 : 600;
    scroll->setMinimumHeight(qMin(page->sizeHint().height(), room));
    scroll->setMinimumWidth(page->sizeHint().width() +
                            scroll->verticalScrollBar()->sizeHint().width());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll);
    layout->addWidget(buttons);
}

QWidget* ComponentSettingsDialog::Field(const std::string& key) const {
    for (std::size_t i = 0; i < settings_.size(); ++i) {
        if (settings_[i].key == key) {
            return fields_[i];
        }
    }
    return nullptr;
}

std::string ComponentSettingsDialog::ValueOf(std::size_t index) const {
    if (auto* combo = qobject_cast<QComboBox*>(fields_[index])) {
        return ToCore(combo->currentData().toString());
    }
    const QString text = qobject_cast<QLineEdit*>(fields_[index])->text().trimmed();
    return settings_[index].kind == SettingKind::File ? PathToCore(text) : ToCore(text);
}

void ComponentSettingsDialog::accept() {
    std::vector<std::string> values;
    for (std::size_t i = 0; i < settings_.size(); ++i) {
        std::string value = ValueOf(i);
        // An empty number field stands for its default.
        if (value.empty() && (settings_[i].kind == SettingKind::Number ||
                              settings_[i].kind == SettingKind::Integer)) {
            value = settings_[i].defaultValue;
        }
        std::string reason;
        if (!CheckSettingValue(settings_[i], value, reason)) {
            QMessageBox::warning(this, windowTitle(), FromCore(reason));
            fields_[i]->setFocus();
            return;
        }
        values.push_back(value);
    }
    for (std::size_t i = 0; i < settings_.size(); ++i) {
        settings_[i].value = values[i];
    }
    QDialog::accept();
}

}  // namespace kv
