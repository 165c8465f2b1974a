#include <set>

#include "DocFixture.h"
#include "doc/CommandIds.h"
#include "doc/CommandTable.h"

namespace kv::test {
namespace {

using Commands = DocFixture;

TEST(CommandTable, EveryMenuAndToolbarEntryIsACommandAndIdsAreUnique) {
    std::set<int> ids;
    for (const auto& c : kv::Commands()) {
        EXPECT_TRUE(ids.insert(c.id).second) << c.id;
    }
    for (const auto& menu : MainMenus()) {
        for (int id : menu.items) {
            if (id > 0) {
                EXPECT_NE(FindCommand(id), nullptr) << id;
            }
        }
    }
    for (int id : ToolbarButtons()) {
        if (id > 0) {
            ASSERT_NE(FindCommand(id), nullptr) << id;
            EXPECT_STRNE(FindCommand(id)->toolTip, "") << id;
        }
    }
    EXPECT_EQ(FindCommand(12345), nullptr);
}

TEST(CommandTable, TextsAndTargets) {
    EXPECT_STREQ(FindCommand(ID_FILE_OPEN)->menuText, "&Open Setup File...\tCtrl+O");
    EXPECT_STREQ(FindCommand(ID_FILE_SAVE_AS)->menuText, "Save Setup File  &As...");
    EXPECT_STREQ(FindCommand(ID_COPY_TABLE)->menuText, "&Copy the table\tCtrl+C");
    EXPECT_STREQ(FindCommand(ID_AUTOSCALE)->menuText, "Autoscale ");
    EXPECT_STREQ(FindCommand(ID_SET_SCALE)->menuText, "Set scale..");
    EXPECT_STREQ(FindCommand(ID_FORMAT_COLE_COLE)->menuText, "Cole - Cole");
    EXPECT_STREQ(FindCommand(ID_SET_HORIZONTAL_AXIS)->toolTip, "Set horizonal axis");
    EXPECT_STREQ(FindCommand(ID_SET_VERTICAL_AXIS)->toolTip, "Set verticle axis");
    EXPECT_STREQ(FindCommand(ID_APP_ABOUT)->menuText, "&About 47310...");
    EXPECT_EQ(FindCommand(ID_VIEW_CHART_ONLY)->target, CommandTarget::Frame);
    EXPECT_EQ(FindCommand(ID_APP_ABOUT)->target, CommandTarget::Application);
    EXPECT_EQ(FindCommand(ID_EDIT_COPY)->target, CommandTarget::ChartViewElseDocument);
    EXPECT_EQ(FindCommand(ID_COPY_TABLE)->target, CommandTarget::TableViewElseDocument);
    EXPECT_EQ(FindCommand(ID_PERFORM_CAL)->target, CommandTarget::Document);
    // The toolbar starts with the two open buttons and ends with About.
    EXPECT_EQ(ToolbarButtons().front(), ID_FILE_OPEN);
    EXPECT_EQ(ToolbarButtons()[1], ID_FILE_OPEN_DATA);
    EXPECT_EQ(ToolbarButtons().back(), ID_APP_ABOUT);
}

TEST_F(Commands, TheDocumentTakesOnlyItsOwnCommands) {
    CKv4731xDoc& d = Make();
    EXPECT_FALSE(RunDocumentCommand(d, ID_VIEW_CHART_ONLY));
    EXPECT_FALSE(RunDocumentCommand(d, ID_APP_ABOUT));
    EXPECT_FALSE(RunDocumentCommand(d, ID_FILE_OPEN));
    EXPECT_FALSE(RunDocumentCommand(d, 99999));
    CommandState state;
    EXPECT_FALSE(QueryDocumentCommand(d, ID_VIEW_TABLE_ONLY, state));
    EXPECT_TRUE(QueryDocumentCommand(d, ID_MARKER, state));
    // The embedded server's trigger command does nothing here, so it is not the document's.
    EXPECT_FALSE(RunDocumentCommand(d, ID_TRIGGER_MEASUREMENT_SERVER));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Commands, InstrumentCommandsWithoutAnInstrument) {
    CKv4731xDoc& d = Make();
    for (int id : {ID_PERFORM_CAL, ID_REFRESH_CAL, ID_ARM_EXTERNAL_TRIGGER}) {
        ui.messages.clear();
        EXPECT_TRUE(RunDocumentCommand(d, id));
        ASSERT_EQ(ui.messages.size(), 1u) << id;
        EXPECT_EQ(ui.messages[0].text, "This function requires an instrument.");
        EXPECT_EQ(ui.messages[0].caption, "Instrument");
        EXPECT_EQ(ui.messages[0].buttons, Buttons::Ok);
        EXPECT_FALSE(d.IsModified()) << id;
    }
    // The measurement marks the setup modified before it finds no instrument.
    ui.messages.clear();
    EXPECT_TRUE(RunDocumentCommand(d, ID_TRIGGER_MEASUREMENT));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "This function requires an instrument.");
    EXPECT_TRUE(d.IsModified());
    EXPECT_FALSE(d.Trace(0).valid);
}

TEST_F(Commands, ChartFormatChecksAndTheCurrentFormatRule) {
    CKv4731xDoc& d = Make();
    d.RegisterChartView(nullptr);
    ASSERT_FALSE(d.IsModified());
    CommandState state;
    ASSERT_TRUE(QueryDocumentCommand(d, ID_FORMAT_E1, state));
    EXPECT_TRUE(state.checked);

    EXPECT_TRUE(RunDocumentCommand(d, ID_FORMAT_E2));
    EXPECT_EQ(d.CurrentChartFormat(), ChartFormat::E2);
    EXPECT_TRUE(d.IsModified());
    QueryDocumentCommand(d, ID_FORMAT_E2, state);
    EXPECT_TRUE(state.checked);
    QueryDocumentCommand(d, ID_FORMAT_E1, state);
    EXPECT_FALSE(state.checked);

    // The format that is already current: nothing changes, not even the modified flag.
    d.SetModified(false);
    EXPECT_TRUE(RunDocumentCommand(d, ID_FORMAT_E2));
    EXPECT_FALSE(d.IsModified());
    EXPECT_EQ(d.CurrentChartFormat(), ChartFormat::E2);

    EXPECT_TRUE(RunDocumentCommand(d, ID_FORMAT_TAN_E));
    EXPECT_EQ(d.CurrentChartFormat(), ChartFormat::LossTangent);
    EXPECT_TRUE(RunDocumentCommand(d, ID_FORMAT_COLE_COLE));
    EXPECT_EQ(d.CurrentChartFormat(), ChartFormat::ColeCole);
    EXPECT_TRUE(DocumentCommandChecked(d, ID_FORMAT_COLE_COLE));
    EXPECT_FALSE(DocumentCommandChecked(d, ID_FORMAT_TAN_E));
}

TEST_F(Commands, TableFormatChecksAndTheCurrentFormatRule) {
    CKv4731xDoc& d = Make();
    d.RegisterChartView(nullptr);
    EXPECT_TRUE(RunDocumentCommand(d, ID_TABLE_REAL_TAN));
    EXPECT_EQ(d.CurrentTableFormat(), TableFormat::RealTangent);
    EXPECT_TRUE(d.IsModified());
    EXPECT_TRUE(DocumentCommandChecked(d, ID_TABLE_REAL_TAN));
    EXPECT_FALSE(DocumentCommandChecked(d, ID_TABLE_REAL_IMAG));
    d.SetModified(false);
    EXPECT_TRUE(RunDocumentCommand(d, ID_TABLE_REAL_TAN));
    EXPECT_FALSE(d.IsModified());
}

TEST_F(Commands, IncludeSensitivityChecksBothMenuItems) {
    CKv4731xDoc& d = Make();
    EXPECT_TRUE(RunDocumentCommand(d, ID_FILE_INCLUDE_SENSITIVITY));
    EXPECT_TRUE(d.includeSensitivity);
    EXPECT_TRUE(DocumentCommandChecked(d, ID_FILE_INCLUDE_SENSITIVITY));
    EXPECT_TRUE(DocumentCommandChecked(d, ID_EDIT_INCLUDE_SENSITIVITY));
    EXPECT_TRUE(RunDocumentCommand(d, ID_EDIT_INCLUDE_SENSITIVITY));
    EXPECT_FALSE(d.includeSensitivity);
    EXPECT_FALSE(DocumentCommandChecked(d, ID_FILE_INCLUDE_SENSITIVITY));
}

TEST_F(Commands, SetFrequencyWithoutAnInstrumentInvalidatesTraces) {
    CKv4731xDoc& d = Make();
    d.Trace(1).valid = d.Trace(1).displayed = true;
    ui.editFrequency = [](FrequencyPage& page) {
        page.sweep.startValue = 1;
        page.sweep.startUnit = "GHz";
        page.sweep.stopValue = 2;
        page.sweep.stopUnit = "GHz";
        page.sweep.numPoints = 3;
    };
    EXPECT_TRUE(RunDocumentCommand(d, ID_SET_FREQUENCY));
    EXPECT_TRUE(d.IsModified());
    EXPECT_FALSE(d.Trace(1).valid);
    EXPECT_FALSE(d.Trace(1).displayed);
    EXPECT_EQ(d.Engine().frequencies, (std::vector<double>{1e9, 1.5e9, 2e9}));
    ASSERT_EQ(ui.frequencyPagesShown.size(), 1u);
    EXPECT_TRUE(ui.frequencyPagesShown[0].logSweepEnabled);
}

TEST_F(Commands, SetFrequencyCancelledChangesNothing) {
    CKv4731xDoc& d = Make();
    d.Trace(1).valid = d.Trace(1).displayed = true;
    ui.frequencyPageAnswers.push_back(false);
    EXPECT_TRUE(RunDocumentCommand(d, ID_SET_FREQUENCY));
    EXPECT_FALSE(d.IsModified());
    EXPECT_TRUE(d.Trace(1).valid);
}

TEST_F(Commands, ConfigureCalCopiesThePagesIntoTheEngine) {
    CKv4731xDoc& d = Make();
    const double cpB = d.Engine().model.apertureScale;
    ui.calibrationSheet = [](CalibrationSheet& sheet, int& page) {
        EXPECT_EQ(sheet.calibrationType, CalibrationType::AirShortWater);
        EXPECT_EQ(sheet.stdLabel[2], "Water");
        sheet.calibrationType = CalibrationType::UserStandards;
        sheet.probeType = 0;
        sheet.stdLabel[0] = "Methanol";
        page = 1;
        return true;
    };
    EXPECT_TRUE(RunDocumentCommand(d, ID_CONFIGURE_CAL));
    EXPECT_TRUE(d.IsModified());
    EXPECT_EQ(d.Engine().calSettings.calibrationType, CalibrationType::UserStandards);
    EXPECT_EQ(d.Engine().calSettings.stdLabel[0], "Methanol");
    EXPECT_EQ(d.calSheetPage, 1);
    // The other probe's coefficients are in force at once.
    EXPECT_NE(d.Engine().model.apertureScale, cpB);
    EXPECT_EQ(d.Engine().model.apertureScale, 4.93536287577e-12);

    // Cancel changes nothing; OK without changes still marks the setup modified.
    d.SetModified(false);
    ui.calibrationSheet = nullptr;
    EXPECT_TRUE(RunDocumentCommand(d, ID_CONFIGURE_CAL));
    EXPECT_FALSE(d.IsModified());
    ui.calibrationSheet = [](CalibrationSheet&, int&) { return true; };
    EXPECT_TRUE(RunDocumentCommand(d, ID_CONFIGURE_CAL));
    EXPECT_TRUE(d.IsModified());
    EXPECT_EQ(d.Engine().model.apertureScale, 4.93536287577e-12);
}

}  // namespace
}  // namespace kv::test
