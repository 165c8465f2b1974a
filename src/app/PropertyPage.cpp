#include "app/PropertyPage.h"

#include <QLineEdit>
#include <QMessageBox>

#include "app/TextConversion.h"

namespace kv {

namespace {

bool Refuse(QWidget* page, QLineEdit* edit, const char* text) {
    QMessageBox::warning(page, QLatin1String(kProgramTitle), QLatin1String(text));
    edit->setFocus();
    edit->selectAll();
    return false;
}

}  // namespace

bool PropertyPage::ReadNumber(QLineEdit* edit, double& value) {
    if (!ParseNumber(edit->text(), value)) {
        return Refuse(this, edit, kEnterNumberText);
    }
    return true;
}

bool PropertyPage::ReadInteger(QLineEdit* edit, int& value) {
    if (!ParseInteger(edit->text(), value)) {
        return Refuse(this, edit, kEnterIntegerText);
    }
    return true;
}

}  // namespace kv
