#include "app/PropertyPage.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QVariant>

#include "app/TextConversion.h"
#include "probe/Units.h"

namespace kv {

namespace {

// What an edit showed when the page filled it, kept on the edit itself.
constexpr const char* kShownText = "kvShownText";
constexpr const char* kShownValue = "kvShownValue";
constexpr const char* kShownBytes = "kvShownBytes";

bool Unchanged(const QLineEdit* edit) {
    const QVariant shown = edit->property(kShownText);
    return shown.isValid() && shown.toString() == edit->text();
}

bool Refuse(QWidget* page, QLineEdit* edit, const QString& text) {
    QMessageBox::warning(page, QLatin1String(kProgramTitle), text);
    edit->setFocus();
    edit->selectAll();
    return false;
}

}  // namespace

bool PropertyPage::ReadNumber(QLineEdit* edit, double& value) {
    if (Unchanged(edit) && edit->property(kShownValue).isValid()) {
        value = edit->property(kShownValue).toDouble();
        return true;
    }
    if (!ParseNumber(edit->text(), value)) {
        return Refuse(this, edit, QLatin1String(kEnterNumberText));
    }
    return true;
}

bool PropertyPage::ReadInteger(QLineEdit* edit, int& value) {
    if (!ParseInteger(edit->text(), value)) {
        return Refuse(this, edit, QLatin1String(kEnterIntegerText));
    }
    return true;
}

bool PropertyPage::ReadNumberAtLeast(QLineEdit* edit, double least, double& value) {
    double read = 0.0;
    if (!ReadNumber(edit, read)) {
        return false;
    }
    if (!(read >= least)) {
        return Refuse(this, edit,
                      QStringLiteral("Please enter a number of at least %1.").arg(least));
    }
    value = read;
    return true;
}

bool PropertyPage::ReadIntegerAtLeast(QLineEdit* edit, int least, int& value) {
    int read = 0;
    if (!ReadInteger(edit, read)) {
        return false;
    }
    if (read < least) {
        return Refuse(this, edit,
                      QStringLiteral("Please enter an integer of at least %1.").arg(least));
    }
    value = read;
    return true;
}

void PropertyPage::ShowNumber(QLineEdit* edit, double value) {
    const QString text = FromCore(FormatGeneral(value, 12));
    edit->setText(text);
    edit->setProperty(kShownText, text);
    edit->setProperty(kShownValue, value);
    edit->setProperty(kShownBytes, QVariant());
}

void PropertyPage::ShowText(QLineEdit* edit, const std::string& text) {
    const QString shown = FromCore(text);
    edit->setText(shown);
    edit->setProperty(kShownText, shown);
    edit->setProperty(kShownValue, QVariant());
    edit->setProperty(kShownBytes, QByteArray::fromStdString(text));
}

std::string PropertyPage::ReadText(const QLineEdit* edit) const {
    if (Unchanged(edit) && edit->property(kShownBytes).isValid()) {
        return edit->property(kShownBytes).toByteArray().toStdString();
    }
    return ToCore(edit->text());
}

}  // namespace kv
