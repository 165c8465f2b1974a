// The dialogs and property sheets of the operator seam: the selection dialog, the trace choice,
// the "Set Frequency" page and the "Scale" sheet.

#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "AppTestSupport.h"
#include "app/CSetup.h"
#include "app/CXscale.h"
#include "app/CYscale.h"
#include "app/GpibSelectDialog.h"
#include "app/PropertySheet.h"
#include "app/QtOperatorUi.h"
#include "app/TraceChoiceDialog.h"
#include "display/ScaleSheet.h"
#include "doc/CGpibSelectDlg.h"
#include "probe/FrequencyList.h"
#include "probe/FrequencyPage.h"
#include "support/FakeRegistry.h"
#include "support/ScriptedUi.h"

namespace kv::test {
namespace {

QStringList ComboItems(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items << combo->itemText(i);
    }
    return items;
}

// Two cards and two analyzer types; the second of each is remembered.
struct TwoOfEach : FakeRegistry {
    TwoOfEach() {
        cards.push_back({"{CARD-2}", "Second card", ""});
        instruments.push_back({"{ANALYZER-2}", "Second analyzer", ""});
    }
};

// ------------------------------------------------------------------ selection dialog

TEST(GpibSelectDialogTest, ShowsTheModelAndPassesChoicesIn) {
    TwoOfEach registry;
    registry.AddTextCard();
    ScriptedUi ui;
    CGpibSelectDlg model(registry, ui);
    model.cardAddress = "7";
    model.instrumentAddress = "16";
    model.rememberedCardClsid = "{CARD-2}";
    model.rememberedInstrumentClsid = kFakeInstrumentClsid;
    model.Initialize();

    GpibSelectDialog dialog(model, nullptr);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Select GPIB Card / Instrument");
    EXPECT_EQ(ComboItems(dialog.CardCombo()),
              QStringList({"Fake GPIB card", "Second card", "Fake network card"}));
    EXPECT_EQ(ComboItems(dialog.InstrumentCombo()),
              QStringList({"Fake analyzer", "Second analyzer"}));
    EXPECT_EQ(dialog.CardCombo()->currentIndex(), 1);
    EXPECT_EQ(dialog.InstrumentCombo()->currentIndex(), 0);
    EXPECT_EQ(dialog.CardAddressEdit()->text().toStdString(), "7");
    EXPECT_EQ(dialog.InstrumentAddressEdit()->text().toStdString(), "16");
    EXPECT_FALSE(dialog.AbortButton()->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.AbortButton()->isEnabled());
    EXPECT_FALSE(dialog.ProgressBar()->isVisibleTo(&dialog));
    EXPECT_TRUE(dialog.FindButton()->isVisibleTo(&dialog));
    for (QPushButton* b :
         {dialog.OkButton(), dialog.CancelButton(), dialog.FindButton(), dialog.TestButton()}) {
        EXPECT_TRUE(b->isEnabled()) << b->text().toStdString();
    }

    dialog.InstrumentCombo()->setCurrentIndex(1);
    dialog.CardAddressEdit()->setText(QStringLiteral("3"));
    dialog.InstrumentAddressEdit()->clear();
    QTest::keyClicks(dialog.InstrumentAddressEdit(), QStringLiteral("2x0"));
    EXPECT_EQ(model.InstrumentClsid(), "{ANALYZER-2}");
    EXPECT_EQ(model.CardClsid(), "{CARD-2}");
    EXPECT_EQ(model.cardAddress, "3");
    // Addresses are decimal numbers: the letter is refused.
    EXPECT_EQ(model.instrumentAddress, "20");
    // A card that reads its addresses as texts takes them as typed, until a bus card is chosen.
    dialog.CardCombo()->setCurrentIndex(2);
    for (QLineEdit* edit : {dialog.CardAddressEdit(), dialog.InstrumentAddressEdit()}) {
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("gpib0,16"));
    }
    EXPECT_EQ(model.cardAddress, "gpib0,16");
    EXPECT_EQ(model.instrumentAddress, "gpib0,16");
    dialog.CardCombo()->setCurrentIndex(1);
    dialog.InstrumentAddressEdit()->clear();
    QTest::keyClicks(dialog.InstrumentAddressEdit(), QStringLiteral("2x0"));
    EXPECT_EQ(model.instrumentAddress, "20");

    // What the search does to the model shows in the window.
    model.findVisible = false;
    model.abortVisible = true;
    model.abortEnabled = true;
    model.okEnabled = false;
    model.progressVisible = true;
    model.progressRange = 297;
    model.progressPosition = 10;
    model.caption = "Select GPIB Card / Instrument - Searching...";
    dialog.SyncFromModel();
    EXPECT_FALSE(dialog.FindButton()->isVisibleTo(&dialog));
    EXPECT_TRUE(dialog.AbortButton()->isVisibleTo(&dialog));
    EXPECT_TRUE(dialog.AbortButton()->isEnabled());
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    EXPECT_TRUE(dialog.ProgressBar()->isVisibleTo(&dialog));
    EXPECT_EQ(dialog.ProgressBar()->maximum(), 297);
    EXPECT_EQ(dialog.ProgressBar()->value(), 10);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Select GPIB Card / Instrument - Searching...");
}

TEST(GpibSelectDialogTest, ComponentProblemsShowBelowTheListsOnlyWhenThereAreAny) {
    FakeRegistry registry;
    ScriptedUi ui;
    CGpibSelectDlg model(registry, ui);
    model.Initialize();
    GpibSelectDialog dialog(model, nullptr);
    EXPECT_TRUE(dialog.ProblemsLabel()->isHidden());

    registry.problems = {{"/c/liba.so", "no \"name\" in its metadata"},
                         {"/c/libb.so", "not a Qt plugin of this program's Qt version"}};
    model.Initialize();
    dialog.SyncFromModel();
    EXPECT_FALSE(dialog.ProblemsLabel()->isHidden());
    EXPECT_EQ(dialog.ProblemsLabel()->text().toStdString(),
              "Component files that could not be used:\n/c/liba.so: no \"name\" in its "
              "metadata\n/c/libb.so: not a Qt plugin of this program's Qt version");
}

TEST(GpibSelectDialogTest, TestReportsTheAnalyzerAndRestoresTheButtons) {
    FakeRegistry registry;
    ScriptedUi ui;
    CGpibSelectDlg model(registry, ui);
    model.cardAddress = "7";
    model.instrumentAddress = "16";
    model.Initialize();
    GpibSelectDialog dialog(model, nullptr);
    QTest::mouseClick(dialog.TestButton(), Qt::LeftButton);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "FAKE ANALYZER 1");
    EXPECT_EQ(ui.messages[0].caption, "Instrument found.");
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    EXPECT_TRUE(dialog.FindButton()->isEnabled());
    EXPECT_TRUE(dialog.TestButton()->isEnabled());
}

TEST(GpibSelectDialogTest, AbortStopsTheSearchThroughTheMessagePump) {
    TwoOfEach registry;
    registry.driver = std::make_shared<FakeDriver>();
    registry.driver->results["CheckInstrument"] = 1;  // nobody answers
    QtOperatorUi ui;
    CGpibSelectDlg model(registry, ui);
    model.cardAddress = "7";
    model.instrumentAddress = "16";
    model.rememberedCardClsid = "{CARD-2}";
    model.rememberedInstrumentClsid = "{ANALYZER-2}";
    model.Initialize();

    bool abortShown = false;
    bool progressShown = false;
    std::string captionDuring;
    int checks = 0;
    OnNextModal<GpibSelectDialog>([&](GpibSelectDialog* dialog) {
        // The fifth probe looks at the window and posts a click on Abort, which only the search's
        // message pump can deliver.
        registry.driver->onCall = [&, dialog](const std::string& op) {
            if (op != "CheckInstrument" || ++checks != 5) {
                return;
            }
            abortShown = dialog->AbortButton()->isVisible();
            progressShown = dialog->ProgressBar()->isVisible();
            captionDuring = dialog->windowTitle().toStdString();
            QMetaObject::invokeMethod(
                dialog->AbortButton(),
                [dialog] { QTest::mouseClick(dialog->AbortButton(), Qt::LeftButton); },
                Qt::QueuedConnection);
        };
        QTest::mouseClick(dialog->FindButton(), Qt::LeftButton);
        // The search has ended: the buttons and the operator's choice are back, and Cancel
        // closes.
        EXPECT_FALSE(dialog->AbortButton()->isVisible());
        EXPECT_TRUE(dialog->FindButton()->isVisible());
        EXPECT_EQ(dialog->windowTitle().toStdString(), "Select GPIB Card / Instrument");
        EXPECT_EQ(dialog->CardCombo()->currentText().toStdString(), "Second card");
        EXPECT_EQ(dialog->InstrumentCombo()->currentText().toStdString(), "Second analyzer");
        EXPECT_EQ(dialog->CardAddressEdit()->text().toStdString(), "7");
        EXPECT_EQ(dialog->InstrumentAddressEdit()->text().toStdString(), "16");
        QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    });
    EXPECT_FALSE(ui.RunGpibSelect(model));
    registry.driver->onCall = nullptr;
    EXPECT_TRUE(abortShown);
    EXPECT_TRUE(progressShown);
    EXPECT_EQ(captionDuring.rfind("Select GPIB Card / Instrument - Searching", 0), 0u);
    // The abort took effect at the next pass: no probe after the fifth, and no message.
    EXPECT_EQ(model.probes, 5);
    EXPECT_FALSE(model.searching);
}

TEST(GpibSelectDialogTest, ASearchWithoutAFindSaysSoOverTheOperatorsChoice) {
    FakeRegistry registry;
    registry.driver = std::make_shared<FakeDriver>();
    registry.driver->results["CheckInstrument"] = 1;
    QtOperatorUi ui;
    CGpibSelectDlg model(registry, ui);
    model.cardAddress = "7";
    model.instrumentAddress = "16";
    model.Initialize();

    std::string message;
    std::string addressesUnderTheMessage;
    OnNextModal<GpibSelectDialog>([&](GpibSelectDialog* dialog) {
        OnNextModal<QMessageBox>([&, dialog](QMessageBox* box) {
            message = box->windowTitle().toStdString() + ": " + box->text().toStdString();
            addressesUnderTheMessage = dialog->CardAddressEdit()->text().toStdString() + "/" +
                                       dialog->InstrumentAddressEdit()->text().toStdString();
            box->accept();
        });
        QTest::mouseClick(dialog->FindButton(), Qt::LeftButton);
        QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    });
    EXPECT_FALSE(ui.RunGpibSelect(model));
    EXPECT_EQ(model.probes, kCardAddressCount * kInstrumentAddressCount);
    EXPECT_EQ(message, "Hardware Test: Instrument not found.");
    EXPECT_EQ(addressesUnderTheMessage, "7/16");
}

// ------------------------------------------------------------------ trace choice

TEST(TraceChoiceDialogTest, NothingChosenAtFirstAndDisabledTraces) {
    TraceChoiceDialog dialog(QStringLiteral("Select trace to be stored."),
                             {true, false, true, false}, nullptr);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Select trace to be stored.");
    const char* labels[] = {"Data", "Memory 1", "Memory 2", "Memory 3"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(dialog.Button(i)->text().toStdString(), labels[i]);
        EXPECT_FALSE(dialog.Button(i)->isChecked());
    }
    EXPECT_FALSE(dialog.Button(1)->isEnabled());
    EXPECT_FALSE(dialog.Button(3)->isEnabled());
    EXPECT_EQ(dialog.Choice(), -1);
    // OK is refused until a trace is chosen.
    auto* box = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(box, nullptr);
    QPushButton* ok = box->button(QDialogButtonBox::Ok);
    EXPECT_FALSE(ok->isEnabled());
    emit box->accepted();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    dialog.Button(2)->click();
    EXPECT_EQ(dialog.Choice(), 2);
    EXPECT_TRUE(ok->isEnabled());
    ok->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(TraceChoiceDialogTest, CancelAndOkWithNothingChosenGiveNone) {
    QtOperatorUi ui;
    OnNextModal<TraceChoiceDialog>([](TraceChoiceDialog* d) { d->accept(); });
    EXPECT_EQ(ui.ChooseTrace("Select trace to store data", {true, true, true, true}), -1);
    OnNextModal<TraceChoiceDialog>([](TraceChoiceDialog* d) {
        d->Button(3)->click();
        d->reject();
    });
    EXPECT_EQ(ui.ChooseTrace("Select trace to store data", {true, true, true, true}), -1);
    OnNextModal<TraceChoiceDialog>([](TraceChoiceDialog* d) {
        d->Button(0)->click();
        d->accept();
    });
    EXPECT_EQ(ui.ChooseTrace("Select trace to store data", {true, true, true, true}), 0);
}

// ------------------------------------------------------------------ "Set Frequency"

TEST(FrequencyPageTest, SheetShowsThePageValues) {
    QtOperatorUi ui;
    FrequencyPage page;
    page.sweep.startValue = 300;
    page.sweep.startUnit = "KHz";
    page.sweep.stopValue = 3;
    page.sweep.stopUnit = "GHz";
    page.sweep.numPoints = 201;
    page.sweep.sweepType = SweepKind::Logarithmic;
    page.setChartScale = false;
    page.logSweepEnabled = false;
    OnNextModal<PropertySheet>([](PropertySheet* sheet) {
        EXPECT_EQ(sheet->windowTitle().toStdString(), "Calibration");
        ASSERT_EQ(sheet->Tabs()->count(), 1);
        EXPECT_EQ(sheet->Tabs()->tabText(0).toStdString(), "Set Frequency");
        auto* p = qobject_cast<CSetup*>(sheet->Tabs()->widget(0));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->StartEdit()->text().toStdString(), "300");
        EXPECT_EQ(p->StartUnit()->currentText().toStdString(), "KHz");
        EXPECT_EQ(ComboItems(p->StartUnit()), QStringList({"Hz", "KHz", "MHz", "GHz"}));
        EXPECT_EQ(ComboItems(p->StopUnit()), QStringList({"Hz", "KHz", "MHz", "GHz"}));
        EXPECT_EQ(p->StopEdit()->text().toStdString(), "3");
        EXPECT_EQ(p->StopUnit()->currentText().toStdString(), "GHz");
        EXPECT_EQ(p->PointsEdit()->text().toStdString(), "201");
        // Log sweeps are not offered: the page shows a linear sweep.
        EXPECT_FALSE(p->LogButton()->isEnabled());
        EXPECT_TRUE(p->LinearButton()->isChecked());
        EXPECT_EQ(p->LinearButton()->text().toStdString(), "Linear sweep");
        EXPECT_EQ(p->LogButton()->text().toStdString(), "Log sweep");
        EXPECT_FALSE(p->SetChartScaleBox()->isChecked());
        EXPECT_EQ(p->SetChartScaleBox()->text().toStdString(), "Set Chart Scale");
        EXPECT_EQ(sheet->OkButton()->text().toStdString(), "OK");
        EXPECT_EQ(sheet->CancelButton()->text().toStdString(), "Cancel");
        sheet->reject();
    });
    const FrequencyPage before = page;
    EXPECT_FALSE(ui.EditFrequencyPage(page));
    EXPECT_EQ(page.sweep.numPoints, before.sweep.numPoints);
    EXPECT_EQ(page.sweep.startUnit, before.sweep.startUnit);
}

TEST(FrequencyPageTest, OkTakesTheEditsAndRefusesANonNumber) {
    QtOperatorUi ui;
    FrequencyPage page;
    MessageBoxAnswerer answerer;
    OnNextModal<PropertySheet>([&answerer](PropertySheet* sheet) {
        auto* p = qobject_cast<CSetup*>(sheet->Tabs()->widget(0));
        p->StartEdit()->setText(QStringLiteral("1.5x"));
        sheet->OkButton()->click();
        // Refused: the sheet stays with the message shown.
        EXPECT_TRUE(sheet->isVisible());
        ASSERT_EQ(answerer.boxes.size(), 1u);
        EXPECT_EQ(answerer.boxes[0].text, "Please enter a number.");

        p->StartEdit()->setText(QStringLiteral("1.5"));
        p->StartUnit()->setCurrentIndex(3);
        p->PointsEdit()->setText(QStringLiteral("101.5"));
        sheet->OkButton()->click();
        ASSERT_EQ(answerer.boxes.size(), 2u);
        EXPECT_EQ(answerer.boxes[1].text, "Please enter an integer.");

        p->PointsEdit()->setText(QStringLiteral(" 101 "));
        p->StopEdit()->setText(QStringLiteral("5.e-002"));
        p->StopUnit()->setCurrentIndex(2);
        p->LogButton()->click();
        p->SetChartScaleBox()->setChecked(false);
        sheet->OkButton()->click();
    });
    ASSERT_TRUE(ui.EditFrequencyPage(page));
    EXPECT_EQ(page.sweep.startValue, 1.5);
    EXPECT_EQ(page.sweep.startUnit, "GHz");
    EXPECT_EQ(page.sweep.stopValue, 0.05);
    EXPECT_EQ(page.sweep.stopUnit, "MHz");
    EXPECT_EQ(page.sweep.numPoints, 101);
    EXPECT_EQ(page.sweep.sweepType, SweepKind::Logarithmic);
    EXPECT_FALSE(page.setChartScale);
}

TEST(FrequencyPageTest, AnUnknownUnitTextGoesBackUnchanged) {
    FrequencyPage page;
    page.sweep.startUnit = "200. MHz";
    CSetup p(page);
    EXPECT_EQ(p.StartUnit()->currentText().toStdString(), "200. MHz");
    ASSERT_TRUE(p.Leave());
    EXPECT_EQ(page.sweep.startUnit, "200. MHz");
    EXPECT_EQ(page.sweep.startValue, 200.0);
}

// Choosing "List sweep" disables the start, stop and points and enables the table; two rows
// typed in give the 300-point list, after a cell that is no frequency was refused by its row.
TEST(FrequencyPageTest, ListRowsTypedIntoTheTable) {
    QtOperatorUi ui;
    FrequencyPage page;
    MessageBoxAnswerer answerer;
    OnNextModal<PropertySheet>([&answerer](PropertySheet* sheet) {
        auto* p = qobject_cast<CSetup*>(sheet->Tabs()->widget(0));
        EXPECT_EQ(p->ListButton()->text().toStdString(), "List sweep");
        EXPECT_FALSE(p->RowTable()->isEnabled());
        EXPECT_FALSE(p->AddRowButton()->isEnabled());
        p->ListButton()->click();
        EXPECT_FALSE(p->StartEdit()->isEnabled());
        EXPECT_FALSE(p->StopUnit()->isEnabled());
        EXPECT_FALSE(p->PointsEdit()->isEnabled());
        EXPECT_TRUE(p->RowTable()->isEnabled());
        EXPECT_FALSE(p->RemoveRowButton()->isEnabled());   // no row yet
        EXPECT_FALSE(p->KeptListLabel()->isVisibleTo(p));  // no list to keep

        QTableWidget* t = p->RowTable();
        const auto type = [t](int row, int column, const char* text) {
            t->setItem(row, column, new QTableWidgetItem(QString::fromLatin1(text)));
        };
        p->AddRowButton()->click();
        type(0, 0, "50 MHz");
        type(0, 1, "1 GHz");
        type(0, 2, "101");
        p->AddRowButton()->click();
        EXPECT_EQ(t->item(1, 0)->text().toStdString(), "1 GHz");  // goes on from row 1
        EXPECT_EQ(t->item(1, 3)->text().toStdString(), "Linear");
        type(1, 1, "20 GHz x");
        type(1, 2, "200");
        type(1, 3, "Log");
        sheet->OkButton()->click();
        EXPECT_TRUE(sheet->isVisible());
        ASSERT_EQ(answerer.boxes.size(), 1u);
        EXPECT_EQ(answerer.boxes[0].text, "Row 2: the stop '20 GHz x' is not a frequency.");
        EXPECT_EQ(t->currentRow(), 1);
        type(1, 1, "20 GHz");
        sheet->OkButton()->click();
    });
    ASSERT_TRUE(ui.EditFrequencyPage(page));
    EXPECT_EQ(page.segments,
              (std::vector<FrequencySegment>{{50e6, 1e9, 101, false}, {1e9, 20e9, 200, true}}));
    ASSERT_FALSE(page.Leave().has_value());
    EXPECT_EQ(page.sweep.sweepType, SweepKind::List);
    ASSERT_EQ(page.sweep.list.size(), 300u);
    EXPECT_EQ(page.sweep.list[100], 1e9);
    EXPECT_EQ(page.sweep.list[299], 20e9);
}

// A list opens with its rows, each frequency in its largest unit; left as shown they give back
// the same rows to the last bit. A list without rows says that it is kept until rows are added.
TEST(FrequencyPageTest, ListOpensWithItsRowsOrItsNote) {
    FrequencyPage page;
    const std::vector<FrequencySegment> rows{{50e6, 1e9 / 3, 11, false},
                                             {1e9 / 3, 20e9, 200, true}};
    page.sweep = ListSweep(ListFromSegments(rows).frequencies);
    page.segments = rows;
    {
        CSetup p(page);
        EXPECT_TRUE(p.ListButton()->isChecked());
        ASSERT_EQ(p.RowTable()->rowCount(), 2);
        QStringList cells;
        for (int c = 0; c < 4; ++c) {
            cells << p.RowTable()->item(1, c)->text();
        }
        EXPECT_EQ(cells, QStringList({"333.333333333333 MHz", "20 GHz", "200", "Log"}));
        page.segments.clear();
        ASSERT_TRUE(p.Leave());
        EXPECT_EQ(page.segments, rows);
    }
    page.segments.clear();
    CSetup p(page);
    EXPECT_EQ(p.RowTable()->rowCount(), 0);
    EXPECT_TRUE(p.KeptListLabel()->isVisibleTo(&p));
    EXPECT_EQ(p.KeptListLabel()->text().toStdString(),
              "The current list (210 points from 50. MHz to 20. GHz) is kept unless rows are "
              "entered.");
    p.AddRowButton()->click();
    EXPECT_FALSE(p.KeptListLabel()->isVisibleTo(&p));
    p.RemoveRowButton()->click();
    EXPECT_TRUE(p.KeptListLabel()->isVisibleTo(&p));
}

// ------------------------------------------------------------------ "Scale"

ScaleSheet FrequencySheet() {
    ScaleSheet sheet;
    sheet.format = CPlotFormat::Make("e'", {200, 20, 0, 100});
    sheet.format.defaults = {300, 3, 0, 80};
    sheet.format.defaultMinUnit = "KHz";
    sheet.format.defaultMaxUnit = "GHz";
    sheet.format.offer = {123.456789012345, 6, 1.25, 77.5};
    sheet.format.offerMinUnit = "MHz";
    sheet.format.offerMaxUnit = "GHz";
    return sheet;
}

TEST(ScaleSheetTest, PagesResetAndAutoScale) {
    QtOperatorUi ui;
    ScaleSheet sheet = FrequencySheet();
    int page = 1;
    OnNextModal<PropertySheet>([](PropertySheet* dialog) {
        EXPECT_EQ(dialog->windowTitle().toStdString(), "Scale");
        ASSERT_EQ(dialog->Tabs()->count(), 2);
        EXPECT_EQ(dialog->Tabs()->tabText(0).toStdString(), "Horizonal Scale");
        EXPECT_EQ(dialog->Tabs()->tabText(1).toStdString(), "Vertical Scale");
        EXPECT_EQ(dialog->ActivePage(), 1);
        auto* x = qobject_cast<CXscale*>(dialog->Tabs()->widget(0));
        auto* y = qobject_cast<CYscale*>(dialog->Tabs()->widget(1));
        ASSERT_NE(x, nullptr);
        ASSERT_NE(y, nullptr);
        EXPECT_EQ(x->MaxEdit()->text().toStdString(), "20.");
        EXPECT_EQ(x->MinEdit()->text().toStdString(), "200.");
        EXPECT_EQ(x->MaxUnit()->currentText().toStdString(), "GHz");
        EXPECT_EQ(x->MinUnit()->currentText().toStdString(), "MHz");
        EXPECT_EQ(y->MaxEdit()->text().toStdString(), "100.");
        EXPECT_EQ(y->MinEdit()->text().toStdString(), "0.");
        EXPECT_TRUE(x->LinearButton()->isChecked());

        y->AutoScaleButton()->click();
        EXPECT_EQ(y->MaxEdit()->text().toStdString(), "77.5");
        EXPECT_EQ(y->MinEdit()->text().toStdString(), "1.25");
        y->LogButton()->click();

        dialog->Tabs()->setCurrentIndex(0);
        x->AutoScaleButton()->click();
        // At most 12 significant digits.
        EXPECT_EQ(x->MinEdit()->text().toStdString(), "123.456789012");
        EXPECT_EQ(x->MaxEdit()->text().toStdString(), "6.");
        x->ResetButton()->click();
        EXPECT_EQ(x->MinEdit()->text().toStdString(), "300.");
        EXPECT_EQ(x->MinUnit()->currentText().toStdString(), "KHz");
        EXPECT_EQ(x->MaxEdit()->text().toStdString(), "3.");
        x->MaxUnit()->setCurrentIndex(2);
        dialog->OkButton()->click();
    });
    ASSERT_TRUE(ui.EditScaleSheet(sheet, page));
    EXPECT_EQ(page, 0);
    EXPECT_EQ(sheet.format.current.xMin, 300);
    EXPECT_EQ(sheet.format.minUnit, "KHz");
    EXPECT_EQ(sheet.format.current.xMax, 3);
    EXPECT_EQ(sheet.format.maxUnit, "MHz");
    EXPECT_EQ(sheet.format.current.yMax, 77.5);
    EXPECT_EQ(sheet.format.current.yMin, 1.25);
    EXPECT_EQ(sheet.format.yLog, 1);
    EXPECT_EQ(sheet.format.xLog, 0);
}

TEST(ScaleSheetTest, CancelChangesNothingAndANonNumberIsRefused) {
    QtOperatorUi ui;
    ScaleSheet sheet = FrequencySheet();
    const CPlotFormat before = sheet.format;
    int page = 0;
    MessageBoxAnswerer answerer;
    OnNextModal<PropertySheet>([&answerer](PropertySheet* dialog) {
        auto* x = qobject_cast<CXscale*>(dialog->Tabs()->widget(0));
        x->ResetButton()->click();
        x->MaxEdit()->setText(QStringLiteral("twenty"));
        // Leaving the page with a non-number keeps it in front.
        dialog->Tabs()->setCurrentIndex(1);
        EXPECT_EQ(dialog->ActivePage(), 0);
        dialog->OkButton()->click();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(answerer.boxes.size(), 2u);
        dialog->CancelButton()->click();
    });
    EXPECT_FALSE(ui.EditScaleSheet(sheet, page));
    EXPECT_EQ(sheet.format, before);
    EXPECT_EQ(page, 0);
    for (const auto& box : answerer.boxes) {
        EXPECT_EQ(box.text, "Please enter a number.");
    }
}

TEST(ScaleSheetTest, ColeColeHidesTheUnits) {
    ScaleSheet sheet;
    sheet.format = CPlotFormat::Make("Cole-Cole e", {0, 100, 0, 100});
    PropertySheet dialog(QStringLiteral("Scale"), nullptr);
    auto* x = new CXscale(sheet);
    dialog.AddPage(x, QStringLiteral("Horizonal Scale"));
    dialog.AddPage(new CYscale(sheet), QStringLiteral("Vertical Scale"));
    dialog.SetActivePage(1);
    dialog.SetActivePage(0);
    EXPECT_FALSE(x->MaxUnit()->isVisibleTo(x));
    EXPECT_FALSE(x->MinUnit()->isVisibleTo(x));
    x->MaxEdit()->setText(QStringLiteral("55"));
    ASSERT_TRUE(x->Leave());
    EXPECT_EQ(sheet.format.current.xMax, 55);
    EXPECT_EQ(sheet.format.maxUnit, "GHz");  // untouched

    ScaleSheet frequency = FrequencySheet();
    CXscale fx(frequency);
    EXPECT_TRUE(fx.MaxUnit()->isVisibleTo(&fx));
}

}  // namespace
}  // namespace kv::test

// ------------------------------------------------------------------ uncertainty

namespace kv::test {
namespace {

TEST(UncertaintyWindowsTest, SaveDialogCarriesItsCheckBoxBothWays) {
    QtOperatorUi ui;
    const std::string path = TempFolder("SaveDialogCheckBox") + "/run.prn";
    for (const bool enabled : {true, false}) {
        OnNextModal<QFileDialog>([&](QFileDialog* d) {
            auto* box = d->findChild<QCheckBox*>(QStringLiteral("FileDialogOption"));
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text().toStdString(), "Include uncertainty");
            EXPECT_EQ(box->isEnabled(), enabled);
            EXPECT_FALSE(box->isChecked());
            box->setChecked(true);
            d->selectFile(QString::fromStdString(path));
            static_cast<QDialog*>(d)->accept();
        });
        FileDialogOption option{"Include uncertainty", enabled, false};
        EXPECT_EQ(ui.GetSaveFileNameWithOption({"Save", "", "prn", ""}, option), path);
        EXPECT_TRUE(option.checked);
    }
}

}  // namespace
}  // namespace kv::test
