// The sheet "Calibration": its two pages, the values in and out, Cancel, the page it opens on, the
// refusal of a non-number, and the "Configure Cal..." command of the document through it.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>

#include "AppTestSupport.h"
#include "app/CCalType.h"
#include "app/CUserStds.h"
#include "app/PropertySheet.h"
#include "app/QtOperatorUi.h"
#include "doc/CKv4731xDoc.h"
#include "doc/CommandIds.h"
#include "doc/CommandTable.h"
#include "persist/ProbeFiles.h"
#include "persist/ProfileStore.h"
#include "probe/CalibrationSheet.h"
#include "support/FakeRegistry.h"

namespace kv::test {
namespace {

// The values the program starts with, as the document fills the sheet.
CalibrationSheet EngineDefaults() {
    return {.refreshStandard = 0,
            .calibrationType = CalibrationType::AirShortWater,
            .probeType = 1,
            .waterTemperature = 25.0,
            .physicalCorrection = false,
            .stdAlpha = {0.0, 0.0, 0.013},
            .stdEinf = {1.0, 1e10, 4.23},
            .stdEo = {1.0, 1e10, 80.4},
            .stdLabel = {"Air", "Short", "Water"},
            .stdTau = {0.0, 0.0, 9.3e-12}};
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Field by field; numbers bit for bit.
void ExpectIdentical(const CalibrationSheet& a, const CalibrationSheet& b) {
    VisitFields(
        [](const char* name, const auto& x, const auto& y) {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::array<double, 3>>) {
                for (std::size_t i = 0; i < 3; ++i) {
                    EXPECT_TRUE(SameBits(x[i], y[i])) << name << " " << i << ": " << x[i];
                }
            } else if constexpr (std::is_same_v<T, double>) {
                EXPECT_TRUE(SameBits(x, y)) << name << ": " << x;
            } else {
                EXPECT_EQ(x, y) << name;
            }
        },
        a, b);
}

CCalType* TypePage(PropertySheet* sheet) {
    return qobject_cast<CCalType*>(sheet->Tabs()->widget(0));
}

CUserStds* StdsPage(PropertySheet* sheet) {
    return qobject_cast<CUserStds*>(sheet->Tabs()->widget(1));
}

std::string Text(const QLineEdit* edit) {
    return edit->text().toStdString();
}

TEST(CalibrationSheetTest, PagesShowTheirControlsAndTheValues) {
    QtOperatorUi ui;
    CalibrationSheet sheet = EngineDefaults();
    sheet.refreshStandard = 2;
    sheet.calibrationType = CalibrationType::LoadAirShort;
    sheet.probeType = 0;
    sheet.waterTemperature = 22.5;
    sheet.physicalCorrection = true;
    const CalibrationSheet before = sheet;
    int page = 0;
    bool ran = false;
    OnNextModal<PropertySheet>([&ran](PropertySheet* dialog) {
        ran = true;
        EXPECT_EQ(dialog->windowTitle().toStdString(), "Calibration");
        ASSERT_EQ(dialog->Tabs()->count(), 2);
        EXPECT_EQ(dialog->Tabs()->tabText(0).toStdString(), "Calibration type");
        EXPECT_EQ(dialog->Tabs()->tabText(1).toStdString(), "User Defined Standards");
        EXPECT_EQ(dialog->ActivePage(), 0);
        EXPECT_EQ(dialog->OkButton()->text().toStdString(), "OK");
        EXPECT_EQ(dialog->CancelButton()->text().toStdString(), "Cancel");
        // OK and Cancel only: no Apply.
        EXPECT_EQ(dialog->findChildren<QPushButton*>().size(), 2);

        CCalType* type = TypePage(dialog);
        CUserStds* stds = StdsPage(dialog);
        ASSERT_NE(type, nullptr);
        ASSERT_NE(stds, nullptr);
        EXPECT_EQ(type->CalibrationTypeGroup()->title().toStdString(), "Calibration type");
        EXPECT_EQ(type->RefreshStandardGroup()->title().toStdString(), "Refresh standard type");
        EXPECT_EQ(type->ProbeTypeGroup()->title().toStdString(), "Probe type");
        EXPECT_EQ(type->WaterTemperatureGroup()->title().toStdString(), "Water temperature (C)");
        const char* calTypes[] = {"Load/air/short", "Air/short/water", "User defined"};
        const char* refresh[] = {"Air", "Short", "Water"};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(type->CalibrationTypeButton(i)->text().toStdString(), calTypes[i]);
            EXPECT_EQ(type->CalibrationTypeButton(i)->isChecked(), i == 0) << i;
            EXPECT_EQ(type->RefreshStandardButton(i)->text().toStdString(), refresh[i]);
            EXPECT_EQ(type->RefreshStandardButton(i)->isChecked(), i == 2) << i;
        }
        ASSERT_EQ(type->ProbeList()->count(), 2);
        EXPECT_EQ(type->ProbeList()->item(0)->text().toStdString(), "KV47310A");
        EXPECT_EQ(type->ProbeList()->item(1)->text().toStdString(), "KV47310B/C");
        EXPECT_EQ(type->ProbeList()->currentRow(), 0);
        EXPECT_EQ(Text(type->WaterTemperatureEdit()), "22.5");
        EXPECT_EQ(type->WaterTemperatureEdit()->alignment() & Qt::AlignHorizontal_Mask,
                  Qt::AlignHCenter);
        EXPECT_EQ(type->PhysicalCorrectionBox()->text().toStdString(), "Physical Correction");
        EXPECT_TRUE(type->PhysicalCorrectionBox()->isChecked());

        const char* captions[] = {"Eo", "Einf", "Alpha", "Tau", "Std label"};
        for (int c = 0; c < CUserStds::kColumns; ++c) {
            EXPECT_EQ(stds->ColumnCaption(static_cast<CUserStds::Column>(c))->text().toStdString(),
                      captions[c]);
        }
        const char* rows[3][5] = {{"1.", "1.", "0.", "0.", "Air"},
                                  {"10000000000.", "10000000000.", "0.", "0.", "Short"},
                                  {"80.4", "4.23", "1.3e-002", "9.3e-012", "Water"}};
        for (int s = 0; s < 3; ++s) {
            EXPECT_EQ(stds->StandardBox(s)->title().toStdString(),
                      "Standard " + std::to_string(s + 1));
            for (int c = 0; c < CUserStds::kColumns; ++c) {
                EXPECT_EQ(Text(stds->Edit(s, static_cast<CUserStds::Column>(c))), rows[s][c])
                    << s << "," << c;
            }
            EXPECT_EQ(stds->Edit(s, CUserStds::kLabel)->alignment() & Qt::AlignHorizontal_Mask,
                      Qt::AlignHCenter);
            EXPECT_NE(stds->Edit(s, CUserStds::kTau)->alignment() & Qt::AlignHorizontal_Mask,
                      Qt::AlignHCenter);
        }

        // Changes on both pages, then Cancel.
        type->ProbeList()->setCurrentRow(1);
        type->WaterTemperatureEdit()->setText(QStringLiteral("30"));
        stds->Edit(2, CUserStds::kLabel)->setText(QStringLiteral("Methanol"));
        dialog->Tabs()->setCurrentIndex(1);
        dialog->CancelButton()->click();
    });
    EXPECT_FALSE(ui.EditCalibrationSheet(sheet, page));
    EXPECT_TRUE(ran);
    ExpectIdentical(sheet, before);
    EXPECT_EQ(page, 0);
}

TEST(CalibrationSheetTest, OkWithoutEditsGivesEveryValueBackBitIdentical) {
    QtOperatorUi ui;
    CalibrationSheet sheet = EngineDefaults();
    // Values with more digits than the edits show, and a label read from an old file in a
    // single-byte encoding ("µ" as 0xB5).
    sheet.waterTemperature = 0.1 + 0.2;
    sheet.stdEo[0] = 1.0 / 3.0;
    sheet.stdEinf[1] = 2.0 / 3.0 * 1e10;
    sheet.stdAlpha[2] = 0.0130000000000001;
    sheet.stdTau[1] = -1.23456789012345e-300;
    sheet.stdLabel[0] = "\xB5-air";
    sheet.stdLabel[1] = "";
    const CalibrationSheet before = sheet;
    int page = 1;
    OnNextModal<PropertySheet>([](PropertySheet* dialog) {
        EXPECT_EQ(dialog->ActivePage(), 1);
        // What the operator sees: at most 12 significant digits.
        EXPECT_EQ(Text(TypePage(dialog)->WaterTemperatureEdit()), "0.3");
        EXPECT_EQ(Text(StdsPage(dialog)->Edit(0, CUserStds::kEo)), "0.333333333333");
        EXPECT_EQ(Text(StdsPage(dialog)->Edit(0, CUserStds::kLabel)), "\u00B5-air");
        dialog->OkButton()->click();
    });
    ASSERT_TRUE(ui.EditCalibrationSheet(sheet, page));
    ExpectIdentical(sheet, before);
    EXPECT_EQ(page, 1);

    // The program's own values survive the round trip through their text too: typing back what
    // the edit shows gives the same number.
    CalibrationSheet defaults = EngineDefaults();
    page = 0;
    OnNextModal<PropertySheet>([](PropertySheet* dialog) {
        CUserStds* stds = StdsPage(dialog);
        for (int s = 0; s < 3; ++s) {
            for (int c = 0; c < CUserStds::kLabel; ++c) {
                QLineEdit* edit = stds->Edit(s, static_cast<CUserStds::Column>(c));
                const QString shown = edit->text();
                edit->setText(QStringLiteral(" ") + shown);
            }
        }
        dialog->OkButton()->click();
    });
    ASSERT_TRUE(ui.EditCalibrationSheet(defaults, page));
    ExpectIdentical(defaults, EngineDefaults());
    EXPECT_EQ(defaults.stdTau[2], 9.3e-12);
}

TEST(CalibrationSheetTest, OkTakesTheEditsOfBothPagesAndTheActivePage) {
    QtOperatorUi ui;
    CalibrationSheet sheet = EngineDefaults();
    int page = 1;
    OnNextModal<PropertySheet>([](PropertySheet* dialog) {
        CUserStds* stds = StdsPage(dialog);
        stds->Edit(0, CUserStds::kEo)->setText(QStringLiteral("2.5"));
        stds->Edit(0, CUserStds::kEinf)->setText(QStringLiteral("-1e3"));
        stds->Edit(1, CUserStds::kAlpha)->setText(QStringLiteral("0.5"));
        stds->Edit(2, CUserStds::kTau)->setText(QStringLiteral("8.27e-12"));
        stds->Edit(1, CUserStds::kLabel)->setText(QStringLiteral("Brass \u00E9"));
        stds->Edit(2, CUserStds::kLabel)->clear();
        dialog->Tabs()->setCurrentIndex(0);
        ASSERT_EQ(dialog->ActivePage(), 0);
        CCalType* type = TypePage(dialog);
        type->CalibrationTypeButton(2)->click();
        type->RefreshStandardButton(1)->click();
        type->ProbeList()->setCurrentRow(0);
        // No range check: the standards clamp the temperature when they use it.
        type->WaterTemperatureEdit()->setText(QStringLiteral("-40"));
        type->PhysicalCorrectionBox()->setChecked(true);
        dialog->OkButton()->click();
    });
    ASSERT_TRUE(ui.EditCalibrationSheet(sheet, page));
    EXPECT_EQ(page, 0);
    EXPECT_EQ(sheet.calibrationType, CalibrationType::UserStandards);
    EXPECT_EQ(sheet.refreshStandard, 1);
    EXPECT_EQ(sheet.probeType, 0);
    EXPECT_EQ(sheet.waterTemperature, -40.0);
    EXPECT_TRUE(sheet.physicalCorrection);
    EXPECT_EQ(sheet.stdEo[0], 2.5);
    EXPECT_EQ(sheet.stdEinf[0], -1000.0);
    EXPECT_EQ(sheet.stdAlpha[1], 0.5);
    EXPECT_EQ(sheet.stdTau[2], 8.27e-12);
    // A typed label goes back as UTF-8; an empty one stays empty.
    EXPECT_EQ(sheet.stdLabel[1], "Brass \xC3\xA9");
    EXPECT_EQ(sheet.stdLabel[2], "");
    // Untouched fields keep their values.
    EXPECT_EQ(sheet.stdLabel[0], "Air");
    EXPECT_EQ(sheet.stdEo[2], 80.4);
    EXPECT_EQ(sheet.stdTau[0], 0.0);
}

TEST(CalibrationSheetTest, ANonNumberKeepsTheSheetOpenOnItsPage) {
    QtOperatorUi ui;
    CalibrationSheet sheet = EngineDefaults();
    const CalibrationSheet before = sheet;
    int page = 0;
    MessageBoxAnswerer answerer;
    OnNextModal<PropertySheet>([&answerer](PropertySheet* dialog) {
        CCalType* type = TypePage(dialog);
        CUserStds* stds = StdsPage(dialog);
        type->WaterTemperatureEdit()->setText(QStringLiteral("25,5"));
        type->ProbeList()->setCurrentRow(0);
        dialog->OkButton()->click();
        EXPECT_TRUE(dialog->isVisible());
        ASSERT_EQ(answerer.boxes.size(), 1u);
        // Leaving the page for the other tab is refused the same way.
        dialog->Tabs()->setCurrentIndex(1);
        EXPECT_EQ(dialog->ActivePage(), 0);
        ASSERT_EQ(answerer.boxes.size(), 2u);

        // The page in front reads; the other page's non-number brings that page to the front.
        type->WaterTemperatureEdit()->setText(QStringLiteral("25.5"));
        stds->Edit(2, CUserStds::kTau)->setText(QStringLiteral("9.3e-12s"));
        dialog->OkButton()->click();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->ActivePage(), 1);
        ASSERT_EQ(answerer.boxes.size(), 3u);
        EXPECT_EQ(stds->Edit(2, CUserStds::kTau)->selectedText().toStdString(), "9.3e-12s");
        dialog->CancelButton()->click();
    });
    EXPECT_FALSE(ui.EditCalibrationSheet(sheet, page));
    ExpectIdentical(sheet, before);
    EXPECT_EQ(page, 0);
    for (const auto& box : answerer.boxes) {
        EXPECT_EQ(box.caption, "Tarvel Technologies 47310C");
        EXPECT_EQ(box.text, "Please enter a number.");
    }
}

// The uncertainty inputs: shown, taken on OK, and refused below their least value with the
// sheet left as it was.
TEST(CalibrationSheetTest, TheUncertaintyInputsAreTakenAndCheckedForTheirLeastValue) {
    QtOperatorUi ui;
    CalibrationSheet sheet = EngineDefaults();
    sheet.sweepsPerReading = 3;
    sheet.uWaterTemperature = 0.5;
    sheet.uStdTau[1] = 0.25;
    int page = 0;
    OnNextModal<PropertySheet>([](PropertySheet* dialog) {
        CCalType* type = TypePage(dialog);
        CUserStds* stds = StdsPage(dialog);
        EXPECT_EQ(type->SweepsPerReadingGroup()->title().toStdString(), "Sweeps per reading");
        EXPECT_EQ(Text(type->SweepsPerReadingEdit()), "3");
        EXPECT_EQ(Text(type->WaterTemperatureUncertaintyEdit()), "0.5");
        EXPECT_EQ(Text(stds->UncertaintyEdit(1, CUserStds::kTau)), "0.25");
        type->SweepsPerReadingEdit()->setText(QStringLiteral(" 4"));
        type->WaterTemperatureUncertaintyEdit()->setText(QStringLiteral("0"));
        stds->UncertaintyEdit(0, CUserStds::kEo)->setText(QStringLiteral("0.01"));
        stds->UncertaintyEdit(2, CUserStds::kEinf)->setText(QStringLiteral("0.2"));
        stds->UncertaintyEdit(2, CUserStds::kAlpha)->setText(QStringLiteral("1e-3"));
        stds->UncertaintyEdit(2, CUserStds::kTau)->setText(QStringLiteral("1e-13"));
        dialog->OkButton()->click();
    });
    ASSERT_TRUE(ui.EditCalibrationSheet(sheet, page));
    EXPECT_EQ(sheet.sweepsPerReading, 4);
    EXPECT_EQ(sheet.uWaterTemperature, 0.0);
    EXPECT_EQ(sheet.uStdEo, (std::array<double, 3>{0.01, 0.0, 0.0}));
    EXPECT_EQ(sheet.uStdEinf, (std::array<double, 3>{0.0, 0.0, 0.2}));
    EXPECT_EQ(sheet.uStdAlpha, (std::array<double, 3>{0.0, 0.0, 1e-3}));
    EXPECT_EQ(sheet.uStdTau, (std::array<double, 3>{0.0, 0.25, 1e-13}));

    struct Case {
        int tab;
        std::function<QLineEdit*(PropertySheet*)> edit;
        const char* text;
        const char* message;
    };
    const auto sweeps = [](PropertySheet* d) { return TypePage(d)->SweepsPerReadingEdit(); };
    const auto uT = [](PropertySheet* d) { return TypePage(d)->WaterTemperatureUncertaintyEdit(); };
    const auto uAlpha = [](PropertySheet* d) {
        return StdsPage(d)->UncertaintyEdit(1, CUserStds::kAlpha);
    };
    const Case cases[] = {
        {0, sweeps, "0", "Please enter an integer of at least 1."},
        {0, sweeps, "-2", "Please enter an integer of at least 1."},
        {0, sweeps, "2.5", "Please enter an integer."},
        {0, uT, "-0.1", "Please enter a number of at least 0."},
        {0, uT, "0.1 K", "Please enter a number."},
        {1, uAlpha, "-1e-9", "Please enter a number of at least 0."},
        {1, uAlpha, "", "Please enter a number."},
    };
    const CalibrationSheet before = sheet;
    for (const Case& c : cases) {
        MessageBoxAnswerer answerer;
        page = c.tab;
        OnNextModal<PropertySheet>([&](PropertySheet* dialog) {
            c.edit(dialog)->setText(QLatin1String(c.text));
            dialog->OkButton()->click();
            EXPECT_TRUE(dialog->isVisible()) << c.text;
            EXPECT_EQ(c.edit(dialog)->selectedText().toStdString(), c.text);
            dialog->CancelButton()->click();
        });
        EXPECT_FALSE(ui.EditCalibrationSheet(sheet, page));
        ASSERT_EQ(answerer.boxes.size(), 1u) << c.text;
        EXPECT_EQ(answerer.boxes[0].caption, "Tarvel Technologies 47310C");
        EXPECT_EQ(answerer.boxes[0].text, c.message) << c.text;
        EXPECT_EQ(sheet, before) << c.text;
    }
}

// The probe's relative deviation follows the probe chosen: a stock probe's is 0, a library
// probe's its own; the probe in use left chosen keeps the one it has.
TEST(CalibrationSheetTest, TheProbeChosenBringsItsDeviation) {
    QtOperatorUi ui;
    CalibrationSheet sheet = EngineDefaults();
    sheet.probes = {{"P7", 1, 0.7, 1.0, 0.012}, {"Wide", 0, 1.25, 0.875, 0.02}};
    sheet.frequencyScale = 0.7;
    sheet.probeDeviation = 0.03;  // as a setup file had it
    const double expected[] = {0.0, 0.0, 0.03, 0.02};
    for (int row = 0; row < 4; ++row) {
        CalibrationSheet edited = sheet;
        int page = 0;
        OnNextModal<PropertySheet>([row](PropertySheet* dialog) {
            EXPECT_EQ(TypePage(dialog)->ProbeList()->currentRow(), 2);
            TypePage(dialog)->ProbeList()->setCurrentRow(row);
            dialog->OkButton()->click();
        });
        ASSERT_TRUE(ui.EditCalibrationSheet(edited, page));
        EXPECT_EQ(edited.probeDeviation, expected[row]) << row;
    }
}

// The probe list: the stock probes, the probe in use when no file has it, and the library's
// probes; each row chosen sets the probe type and the scales.
TEST(CalibrationSheetTest, TheProbeListOffersStockAndCharacterisedProbes) {
    QtOperatorUi ui;
    CalibrationSheet sheet = EngineDefaults();
    sheet.probes = {{"P7", 1, 0.7, 1.0}, {"Wide", 0, 1.25, 0.875}};
    struct Case {
        double fs;
        int type;
        std::vector<std::string> rows;
        int current;
    };
    const Case cases[] = {
        {0.7, 1, {"KV47310A", "KV47310B/C", "P7", "Wide"}, 2},
        {0.8, 1, {"KV47310A", "KV47310B/C", "KV47310B/C (scaled: fs 0.8, s 1)", "P7", "Wide"}, 2},
        // The stock type with P7's scale is another probe than P7.
        {0.7, 0, {"KV47310A", "KV47310B/C", "KV47310A (scaled: fs 0.7, s 1)", "P7", "Wide"}, 2},
    };
    for (const Case& c : cases) {
        sheet.frequencyScale = c.fs;
        sheet.probeType = c.type;
        // Every row chosen in turn; the last OK gives its probe.
        for (std::size_t row = 0; row < c.rows.size(); ++row) {
            CalibrationSheet edited = sheet;
            int page = 0;
            OnNextModal<PropertySheet>([&](PropertySheet* dialog) {
                QListWidget* list = TypePage(dialog)->ProbeList();
                std::vector<std::string> shown;
                for (int i = 0; i < list->count(); ++i) {
                    shown.push_back(list->item(i)->text().toStdString());
                }
                EXPECT_EQ(shown, c.rows);
                EXPECT_EQ(list->currentRow(), c.current);
                list->setCurrentRow(static_cast<int>(row));
                dialog->OkButton()->click();
            });
            ASSERT_TRUE(ui.EditCalibrationSheet(edited, page));
            const std::string& text = c.rows[row];
            const auto expect = [&](int type, double fs, double s) {
                EXPECT_EQ(edited.probeType, type) << text;
                EXPECT_EQ(edited.frequencyScale, fs) << text;
                EXPECT_EQ(edited.coefficientScale, s) << text;
            };
            if (text == "KV47310A") {
                expect(0, 1.0, 1.0);
            } else if (text == "KV47310B/C") {
                expect(1, 1.0, 1.0);
            } else if (text == "P7") {
                expect(1, 0.7, 1.0);
            } else if (text == "Wide") {
                expect(0, 1.25, 0.875);
            } else {
                expect(c.type, c.fs, 1.0);  // the scaled probe as it was
            }
        }
    }
}

// ------------------------------------------------------------------ through the document

class ConfigureCalTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc = std::make_unique<CKv4731xDoc>(ui, registry, profile);
        doc->defaultsPath = TempFolder("ConfigureCal") + "/47310.dft";
    }

    QtOperatorUi ui;
    FakeRegistry registry;
    MemoryProfileStore profile;
    std::unique_ptr<CKv4731xDoc> doc;
};

TEST_F(ConfigureCalTest, ProbeTypeReplacesTheCoefficientsAndThePageIsRemembered) {
    const double bcScale = doc->Engine().model.apertureScale;
    ASSERT_EQ(doc->Engine().calSettings.probeType, 1);
    ASSERT_NE(bcScale, 4.93536287577e-12);

    int opened = -1;
    OnNextModal<PropertySheet>([&opened](PropertySheet* dialog) {
        opened = dialog->ActivePage();
        EXPECT_EQ(TypePage(dialog)->ProbeList()->currentRow(), 1);
        EXPECT_EQ(Text(StdsPage(dialog)->Edit(2, CUserStds::kTau)), "9.3e-012");
        TypePage(dialog)->ProbeList()->setCurrentRow(0);
        StdsPage(dialog)->Edit(1, CUserStds::kLabel)->setText(QStringLiteral("Shorting block"));
        dialog->Tabs()->setCurrentIndex(1);
        dialog->OkButton()->click();
    });
    ASSERT_TRUE(RunDocumentCommand(*doc, ID_CONFIGURE_CAL));
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(doc->Engine().calSettings.probeType, 0);
    EXPECT_EQ(doc->Engine().model.apertureScale, 4.93536287577e-12);
    EXPECT_EQ(doc->Engine().calSettings.stdLabel[1], "Shorting block");
    EXPECT_EQ(doc->Engine().calSettings.stdTau[2], 9.3e-12);
    EXPECT_TRUE(doc->IsModified());

    // Reopens on the page of the last OK; a Cancel elsewhere changes nothing, not even that.
    doc->SetModified(false);
    OnNextModal<PropertySheet>([&opened](PropertySheet* dialog) {
        opened = dialog->ActivePage();
        dialog->Tabs()->setCurrentIndex(0);
        TypePage(dialog)->ProbeList()->setCurrentRow(1);
        dialog->CancelButton()->click();
    });
    ASSERT_TRUE(RunDocumentCommand(*doc, ID_CONFIGURE_CAL));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(doc->Engine().calSettings.probeType, 0);
    EXPECT_EQ(doc->Engine().model.apertureScale, 4.93536287577e-12);
    EXPECT_FALSE(doc->IsModified());

    // Back to "KV47310B/C": the coefficients are restored.
    OnNextModal<PropertySheet>([&opened](PropertySheet* dialog) {
        opened = dialog->ActivePage();
        dialog->Tabs()->setCurrentIndex(0);
        TypePage(dialog)->ProbeList()->setCurrentRow(1);
        dialog->OkButton()->click();
    });
    ASSERT_TRUE(RunDocumentCommand(*doc, ID_CONFIGURE_CAL));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(doc->Engine().calSettings.probeType, 1);
    EXPECT_EQ(doc->Engine().model.apertureScale, bcScale);
    EXPECT_EQ(doc->calSheetPage, 0);
}

// "Configure Cal..." lists the library's probes; one chosen becomes the engine's probe.
TEST_F(ConfigureCalTest, AProbeOfTheLibraryChosenBecomesTheEnginesProbe) {
    doc->probeLibraryFolder = TempFolder("ConfigureCalProbes") + "/probes";
    CharacterisedProbe p7;
    p7.name = "P7";
    p7.stockType = 0;
    p7.frequencyScale = 0.7;
    p7.coefficientScale = 1.1;
    p7.liquid = "acetone";
    p7.date = "2026-12-08T20:40:00Z";
    p7.points = 22;
    p7.after = {0.02, 0.0125};
    ASSERT_TRUE(SaveProbeToLibrary(doc->probeLibraryFolder, p7).Done());
    OnNextModal<PropertySheet>([](PropertySheet* dialog) {
        QListWidget* list = TypePage(dialog)->ProbeList();
        EXPECT_EQ(list->count(), 3);
        EXPECT_EQ(list->item(list->count() - 1)->text().toStdString(), "P7");
        list->setCurrentRow(2);
        dialog->OkButton()->click();
    });
    ASSERT_TRUE(RunDocumentCommand(*doc, ID_CONFIGURE_CAL));
    EXPECT_EQ(doc->Engine().calSettings.probeType, 0);
    EXPECT_EQ(doc->Engine().model.frequencyScale, 0.7);
    EXPECT_EQ(doc->Engine().model.coefficientScale, 1.1);
    EXPECT_EQ(doc->Engine().calSettings.probeDeviation, 0.0125);  // its rms deviation after the fit
    // Shown as P7 again; the stock probe B chosen puts the scales back to 1.
    OnNextModal<PropertySheet>([](PropertySheet* dialog) {
        QListWidget* list = TypePage(dialog)->ProbeList();
        EXPECT_EQ(list->currentRow(), 2);
        list->setCurrentRow(1);
        dialog->OkButton()->click();
    });
    ASSERT_TRUE(RunDocumentCommand(*doc, ID_CONFIGURE_CAL));
    EXPECT_EQ(doc->Engine().calSettings.probeType, 1);
    EXPECT_EQ(doc->Engine().model.frequencyScale, 1.0);
    EXPECT_EQ(doc->Engine().model.coefficientScale, 1.0);
    EXPECT_EQ(doc->Engine().calSettings.probeDeviation, 0.0);
}

}  // namespace
}  // namespace kv::test
