// The dialogs of "Characterise Probe...": the liquid, temperature and name asked, and the result
// with Save and Cancel.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "AppTestSupport.h"
#include "app/CharacteriseDialogs.h"
#include "app/PropertyPage.h"
#include "app/QtOperatorUi.h"

namespace kv::test {
namespace {

CharacterisePage TwoLiquids() {
    CharacterisePage page;
    page.liquids = {"Acetone", "Methanol"};
    page.offered = {"25 C", "10 to 50 C"};
    page.defaultTemperatures = {25.0, 22.5};
    page.liquid = 1;
    page.temperature = 22.5;
    page.name = "P1";
    return page;
}

TEST(CharacteriseDialogTest, ShowsThePageProposesTheLiquidsTemperatureAndTakesTheValues) {
    QtOperatorUi ui;
    CharacterisePage page = TwoLiquids();
    MessageBoxAnswerer answerer;
    OnNextModal<CharacteriseDialog>([&answerer](CharacteriseDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle().toStdString(), "Characterise Probe");
        EXPECT_EQ(dialog->LiquidCombo()->count(), 2);
        EXPECT_EQ(dialog->LiquidCombo()->currentText().toStdString(), "Methanol");
        EXPECT_EQ(dialog->OfferedLabel()->text().toStdString(), "Offered at 10 to 50 C");
        EXPECT_EQ(dialog->TemperatureEdit()->text().toStdString(), "22.5");
        EXPECT_EQ(dialog->NameEdit()->text().toStdString(), "P1");
        dialog->LiquidCombo()->setCurrentIndex(0);
        EXPECT_EQ(dialog->OfferedLabel()->text().toStdString(), "Offered at 25 C");
        EXPECT_EQ(dialog->TemperatureEdit()->text().toStdString(), "25.");
        // Not a number: refused, the dialog stays.
        dialog->TemperatureEdit()->setText(QStringLiteral("warm"));
        dialog->accept();
        EXPECT_TRUE(dialog->isVisible());
        ASSERT_EQ(answerer.boxes.size(), 1u);
        EXPECT_EQ(answerer.boxes[0].text, kEnterNumberText);
        dialog->TemperatureEdit()->setText(QStringLiteral("24"));
        dialog->NameEdit()->setText(QStringLiteral("Probe 7"));
        dialog->accept();
    });
    ASSERT_TRUE(ui.AskCharacterisation(page));
    EXPECT_EQ(page.liquid, 0);
    EXPECT_EQ(page.temperature, 24.0);
    EXPECT_EQ(page.name, "Probe 7");

    const CharacterisePage before = TwoLiquids();
    page = before;
    OnNextModal<CharacteriseDialog>([](CharacteriseDialog* dialog) {
        dialog->NameEdit()->setText(QStringLiteral("changed"));
        dialog->reject();
    });
    EXPECT_FALSE(ui.AskCharacterisation(page));
    EXPECT_EQ(page.name, "P1");
}

TEST(CharacteriseDialogTest, TheResultShowsItsRowsAndSaveOrCancelAnswers) {
    QtOperatorUi ui;
    CharacterisationReport report;
    report.title = "Characterise Probe";
    report.rows = {{"Probe", "P7 (KV47310B/C scaled)"}, {"Frequency scale", "0.7"}};
    report.curve = {{1e9, 21.0, 2.0, 21.1, 2.1}, {2e9, 20.0, 4.0, 20.1, 4.1}};
    for (const bool save : {true, false}) {
        OnNextModal<CharacterisationDialog>([save](CharacterisationDialog* dialog) {
            EXPECT_EQ(dialog->windowTitle().toStdString(), "Characterise Probe");
            auto* form = dialog->findChild<QFormLayout*>();
            ASSERT_NE(form, nullptr);
            ASSERT_EQ(form->rowCount(), 2);
            const auto text = [form](int row, QFormLayout::ItemRole role) {
                return qobject_cast<QLabel*>(form->itemAt(row, role)->widget())
                    ->text()
                    .toStdString();
            };
            EXPECT_EQ(text(0, QFormLayout::LabelRole), "Probe:");
            EXPECT_EQ(text(0, QFormLayout::FieldRole), "P7 (KV47310B/C scaled)");
            EXPECT_EQ(text(1, QFormLayout::FieldRole), "0.7");
            EXPECT_NE(dialog->findChild<FitChart*>(), nullptr);
            EXPECT_EQ(dialog->SaveButton()->text().toStdString(), "Save");
            (save ? dialog->SaveButton() : dialog->CancelButton())->click();
        });
        EXPECT_EQ(ui.ShowCharacterisation(report), save);
    }
}

}  // namespace
}  // namespace kv::test
