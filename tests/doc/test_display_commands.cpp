// The display sheets, the display options, the table copy, printing and exporting as the
// document runs them, and the commands that stay available while an operation waits.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>

#include "DocFixture.h"
#include "display/TraceValues.h"
#include "doc/CommandIds.h"
#include "doc/CommandTable.h"
#include "persist/SetupImage.h"
#include "support/FakeDriver.h"
#include "touchstone/Touchstone.h"

namespace kv::test {
namespace {

class DisplayCommands : public DocFixture {
protected:
    // A sweep of three points with the Data trace valid and displayed.
    CKv4731xDoc& MakeWithData() {
        CKv4731xDoc& d = Make();
        d.Engine().sweep.numPoints = 3;
        d.Engine().frequencies = {1e9, 2e9, 3e9};
        CTrace& data = d.Trace(kDataTrace);
        data.permittivity = {{50.0, 5.0}, {40.0, 0.0}, {-1.23456, 8.0}};
        data.frequencies = d.Engine().frequencies;
        data.valid = true;
        data.displayed = true;
        d.Engine().result.sensitivity = {0.5, 12.345678, 9999.0};
        return d;
    }
};

TEST_F(DisplayCommands, DisplaySheetOpensOnItsPageAndAppliesOkInOrder) {
    CKv4731xDoc& d = MakeWithData();
    std::vector<int> pagesShown;
    DisplaySheet seen;
    ui.displaySheet = [&](DisplaySheet& sheet, int& page) {
        pagesShown.push_back(page);
        seen = sheet;
        return false;
    };
    for (int id : {ID_DATA_TO_MEMORY, ID_MEMORY_TO_DATA, ID_TRACES_DISPLAYED, ID_TRACE_MATH,
                   ID_ALL_OF_THE_ABOVE}) {
        EXPECT_TRUE(RunDocumentCommand(d, id));
    }
    EXPECT_EQ(pagesShown, (std::vector<int>{0, 1, 1, 2, 2}));  // the last: the page last stored
    EXPECT_EQ(seen.memory, -1);
    EXPECT_TRUE(seen.valid[0]);
    EXPECT_FALSE(seen.valid[1]);
    EXPECT_FALSE(seen.CanDisplay(2));
    EXPECT_FALSE(seen.CanReference(3));
    EXPECT_EQ(d.Trace(2).valid, false);  // Cancel changed nothing

    // OK: Data switched off, then copied into Memory 2 (which so takes the new flag), math on.
    ui.displaySheet = [](DisplaySheet& sheet, int& page) {
        sheet.displayed[0] = false;
        sheet.memory = 1;
        sheet.mathMode = TraceMath::Divide;
        sheet.referenceTrace = 2;
        page = 1;
        return true;
    };
    d.SetModified(false);
    RunDocumentCommand(d, ID_DATA_TO_MEMORY);
    EXPECT_FALSE(d.Trace(0).displayed);
    EXPECT_TRUE(d.Trace(2).valid);
    EXPECT_FALSE(d.Trace(2).displayed);
    EXPECT_EQ(d.Trace(2).permittivity[2].re, -1.23456);
    EXPECT_EQ(d.mathMode, TraceMath::Divide);
    EXPECT_EQ(d.referenceTrace, 2);
    EXPECT_EQ(d.displaySheetPage, 1);
    EXPECT_FALSE(d.IsModified());
    EXPECT_EQ(d.ChartParameterLabel(), "e' / [< Memory 2]");
}

TEST_F(DisplayCommands, DataDividedByItselfAndAnInvalidReference) {
    CKv4731xDoc& d = MakeWithData();
    d.mathMode = TraceMath::Divide;
    d.referenceTrace = 0;
    EXPECT_EQ(d.YValue(0, 0), 1.0);
    EXPECT_EQ(d.CellText(0, 2, 1), "1.0000");
    // 0 / 0 is no number: not drawn, and the table says so.
    d.SelectChartFormat(ChartFormat::E2);
    EXPECT_TRUE(std::isnan(d.YValue(0, 1)));
    EXPECT_EQ(d.CellText(0, 1, 1), "undefined");
    d.Trace(0).permittivity[1].im = 2.0;
    d.referenceTrace = 1;
    d.Trace(1).CopyFrom(d.Trace(0));
    d.Trace(1).permittivity[1].im = 0.0;
    EXPECT_EQ(d.CellText(0, 1, 1), "infinite");
    // (A reference that is not valid: DocViews.InvalidReferenceTurnsMathOff.)
}

TEST_F(DisplayCommands, DisplayOptionsSheetPagesOkAndCancel) {
    CKv4731xDoc& d = MakeWithData();
    std::vector<int> pagesShown;
    DisplayOptionsSheet seen;
    ui.displayOptions = [&](DisplayOptionsSheet& sheet, int& page) {
        pagesShown.push_back(page);
        seen = sheet;
        sheet.traces[0].colour = 0x123456;  // changed on its page, then Cancel
        return false;
    };
    for (int id :
         {ID_PREF_TITLE, ID_PREF_GRID, ID_PREF_TABLE_FONT, ID_PREF_MEMORY3, ID_DISPLAY_OPTIONS}) {
        RunDocumentCommand(d, id);
    }
    EXPECT_EQ(pagesShown, (std::vector<int>{0, 5, 6, 10, 10}));
    EXPECT_FALSE(seen.tracesOnly);
    EXPECT_EQ(seen.table.sample, "Frequency");
    EXPECT_EQ(seen.scale.sample, "200. MHz");
    EXPECT_EQ(seen.parameter.sample, "e'");
    EXPECT_EQ(seen.lineWidth, 1);
    EXPECT_EQ(d.Trace(0).colour, 0x0000FFu);
    EXPECT_FALSE(d.IsModified());

    ui.displayOptions = [](DisplayOptionsSheet& sheet, int& page) {
        sheet.title.text = "Run 7";
        sheet.title.colour = 0x00AA00;
        sheet.subtitle.shown = false;
        sheet.timeDate.dateStamp = 86400;
        sheet.timeDate.timeStamp = 3600;
        sheet.gridColour = 0x111111;
        sheet.lineWidth = 0;
        sheet.traces[1].label = "reference";
        sheet.traces[1].font.height = 30;
        sheet.table.sample = "not stored";
        page = 4;
        return true;
    };
    RunDocumentCommand(d, ID_DISPLAY_OPTIONS);
    EXPECT_EQ(d.title.text, "Run 7");
    EXPECT_EQ(d.title.colour, 0x00AA00u);
    EXPECT_FALSE(d.subtitle.shown);
    EXPECT_EQ(d.dateStamp, 86400);
    EXPECT_EQ(d.timeStamp, 3600);
    EXPECT_EQ(d.gridColour, 0x111111u);
    EXPECT_EQ(d.chartLineWidth, 0);
    EXPECT_EQ(d.Trace(1).label, "reference");
    EXPECT_EQ(d.Trace(1).font.height, 30);
    EXPECT_EQ(d.prefSheetPage, 4);
    EXPECT_TRUE(d.IsModified());

    // The sheet of the four trace pages: it starts on Data and keeps the page last shown.
    ui.displayOptions = [&](DisplayOptionsSheet& sheet, int& page) {
        seen = sheet;
        pagesShown.push_back(page);
        sheet.traces[3].colour = 0x0A0B0C;
        page = 8;
        return true;
    };
    RunDocumentCommand(d, ID_TRACE_OPTIONS);
    EXPECT_TRUE(seen.tracesOnly);
    EXPECT_EQ(pagesShown.back(), kPageFirstTrace);
    EXPECT_EQ(d.Trace(3).colour, 0x0A0B0Cu);
    EXPECT_EQ(d.prefSheetPage, 4);
}

TEST_F(DisplayCommands, TableCopyTextAndItsRefusals) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    CKv4731xDoc& d = MakeWithData();
    d.title.text = "Methanol";
    d.subtitle.shown = false;
    d.dateStamp = 0;
    d.timeStamp = 13 * 3600 + 5 * 60;
    d.includeSensitivity = true;
    EXPECT_TRUE(RunDocumentCommand(d, ID_COPY_TABLE));
    EXPECT_EQ(ui.clipboardText,
              "Methanol\n"
              "January 01, 1970 01:05 PM\n"
              "Frequency\te'\te''\tSensitivity\n"
              "1000000000.\t  50.0000\t   5.0000\t         0.5000\n"
              "2000000000.\t  40.0000\t   0.0000\t        12.3457\n"
              "3000000000.\t  -1.2346\t   8.0000\t      9999.0000\n");

    // The tangent form without sensitivity and without annotations.
    d.title.shown = false;
    d.timeDateShown = false;
    d.includeSensitivity = false;
    d.SelectTableFormat(TableFormat::RealTangent);
    RunDocumentCommand(d, ID_EDIT_COPY);  // no view took it: the table
    EXPECT_EQ(ui.clipboardText.substr(0, ui.clipboardText.find('\n', 20) + 1),
              "Frequency\te'\te''/e'\n1000000000.\t  50.0000\t0.1000\n");

    // A long copy is copied whole.
    d.Engine().sweep.numPoints = 1601;
    d.Engine().frequencies.assign(1601, 1e9);
    for (int t = 0; t < kTraceCount; ++t) {
        d.Trace(t).permittivity.assign(1601, CComplex{12.5, 3.25});
        d.Trace(t).valid = d.Trace(t).displayed = true;
    }
    RunDocumentCommand(d, ID_COPY_TABLE);
    EXPECT_GT(ui.clipboardText.size(), 100000u);
    EXPECT_EQ(std::count(ui.clipboardText.begin(), ui.clipboardText.end(), '\n'), 1602);

    // Refusals: the clipboard keeps what it had.
    ui.messages.clear();
    ui.clipboardWorks = false;
    RunDocumentCommand(d, ID_COPY_CHART);
    RunDocumentCommand(d, ID_COPY_TABLE);
    d.Trace(kDataTrace).valid = false;
    ui.clipboardWorks = true;
    ui.clipboardText = "kept";
    RunDocumentCommand(d, ID_COPY_TABLE);
    EXPECT_EQ(ui.clipboardText, "kept");
    ASSERT_EQ(ui.messages.size(), 3u);
    for (int i : {0, 1}) {
        EXPECT_EQ(ui.messages[i].text, "Unable to set Clipboard data");
        EXPECT_EQ(ui.messages[i].caption, "Copy to clipboard");
    }
    EXPECT_EQ(ui.messages[2].text, "Nothing to copy to the clipboard.  The Data is not valid.");
    EXPECT_EQ(ui.messages[2].caption, "Copy Table");
    EXPECT_EQ(ui.chartCopies, 1);
}

// With two or more traces shown every header field names its trace, and every row has one field
// under each; with permeability each trace brings its u columns and no sensitivity is copied.
TEST_F(DisplayCommands, TableCopyOfSeveralTracesNamesEveryColumn) {
    CKv4731xDoc& d = MakeWithData();
    d.title.shown = d.subtitle.shown = d.timeDateShown = false;
    d.includeSensitivity = true;
    CTrace& memory = d.Trace(1);
    memory.permittivity = {{60.0, 6.0}, {30.0, 3.0}, {20.0, 2.0}};
    memory.valid = memory.displayed = true;
    RunDocumentCommand(d, ID_COPY_TABLE);
    EXPECT_EQ(ui.clipboardText,
              "Frequency\tData e'\tData e''\tMemory 1 e'\tMemory 1 e''\tData Sensitivity\n"
              "1000000000.\t  50.0000\t   5.0000\t  60.0000\t   6.0000\t         0.5000\n"
              "2000000000.\t  40.0000\t   0.0000\t  30.0000\t   3.0000\t        12.3457\n"
              "3000000000.\t  -1.2346\t   8.0000\t  20.0000\t   2.0000\t      9999.0000\n");
    // The table view's column titles say the same.
    EXPECT_EQ(d.ColumnTitle(1, 1), "Memory 1 e''");

    // Permeability, in the tangent form: u' and u''/u' of each trace, empty past its array.
    d.SelectTableFormat(TableFormat::RealTangent);
    d.Trace(0).permeability = {{1.0, 0.5}, {2.0, 0.0}, {4.0, 1.0}};
    memory.permeability = {{1.0, 0.25}};
    RunDocumentCommand(d, ID_COPY_TABLE);
    EXPECT_EQ(ui.clipboardText,
              "Frequency\tData e'\tData e''/e'\tData u'\tData u''/u'\tMemory 1 e'\t"
              "Memory 1 e''/e'\tMemory 1 u'\tMemory 1 u''/u'\n"
              "1000000000.\t  50.0000\t0.1000\t   1.0000\t0.5000\t  60.0000\t0.1000\t   1.0000\t"
              "0.2500\n"
              "2000000000.\t  40.0000\t0.0000\t   2.0000\t0.0000\t  30.0000\t0.1000\t\t\n"
              "3000000000.\t  -1.2346\t-6.4800\t   4.0000\t0.2500\t  20.0000\t0.1000\t\t\n");

    // Data alone: the header of one trace, and its rows carry u' and u''.
    memory.displayed = false;
    d.SelectTableFormat(TableFormat::RealImaginary);
    EXPECT_EQ(d.ColumnTitle(0, 1), "e''");
    RunDocumentCommand(d, ID_COPY_TABLE);
    EXPECT_EQ(ui.clipboardText,
              "Frequency\te'\te''\tu'\tu''\n"
              "1000000000.\t  50.0000\t   5.0000\t   1.0000\t   0.5000\n"
              "2000000000.\t  40.0000\t   0.0000\t   2.0000\t   0.0000\n"
              "3000000000.\t  -1.2346\t   8.0000\t   4.0000\t   1.0000\n");
}

TEST_F(DisplayCommands, PrintsExportsAndStatusTexts) {
    CKv4731xDoc& d = MakeWithData();
    for (int id : {ID_PRINT_CHART, ID_PRINT_CHART_PREVIEW, ID_PRINT_TABLE, ID_PRINT_TABLE_PREVIEW,
                   ID_FILE_PRINT_SETUP}) {
        EXPECT_TRUE(RunDocumentCommand(d, id));
    }
    EXPECT_EQ(ui.printRequests, (std::vector<std::string>{"chart", "chart preview", "table",
                                                          "table preview", "setup"}));

    // An export lands beside the setup file unless the operator says otherwise.
    d.SetPathName("/data/run 4.tst");
    ui.saveFileNames = {std::nullopt, std::string("/tmp/t.pdf"), std::string("/tmp/c.gif")};
    RunDocumentCommand(d, ID_EXPORT_CHART);  // cancelled
    RunDocumentCommand(d, ID_EXPORT_TABLE);
    ui.exportError = "Unsupported file type: choose a .png, .svg or .pdf file.";
    RunDocumentCommand(d, ID_EXPORT_CHART);
    EXPECT_EQ(ui.exports, (std::vector<std::string>{"table|/tmp/t.pdf", "chart|/tmp/c.gif"}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, ui.exportError);
    EXPECT_EQ(ui.messages[0].caption, "Export Chart");
    ASSERT_EQ(ui.statusTexts.size(), 1u);
    EXPECT_EQ(ui.statusTexts[0], "Table exported to /tmp/t.pdf");

    ui.statusTexts.clear();
    ui.saveFileNames = {(folder / "a.tst").string()};
    RunDocumentCommand(d, ID_FILE_SAVE_AS);
    RunDocumentCommand(d, ID_SAVE_AS_DEFAULT);
    EXPECT_EQ(ui.statusTexts,
              (std::vector<std::string>{"Setup saved to " + (folder / "a.tst").string(),
                                        "Defaults saved to " + d.defaultsPath}));
}

TEST_F(DisplayCommands, ExportsTheSampleReflectionAsTouchstone) {
    CKv4731xDoc& d = MakeWithData();
    CommandState state;
    ASSERT_TRUE(QueryDocumentCommand(d, ID_EXPORT_TOUCHSTONE, state));
    EXPECT_FALSE(state.enabled);  // no sample measured
    CProbeEngine& e = d.Engine();
    e.instrumentName = "Made-up analyzer";
    e.sampleMeasured = {{0.2, 0.4}, {0.5, 0.0}, {0.0, -1.0}};
    ASSERT_TRUE(QueryDocumentCommand(d, ID_EXPORT_TOUCHSTONE, state));
    EXPECT_TRUE(state.enabled);

    const std::string path = (folder / "sample.s1p").string();
    ui.saveFileNames = {path};
    RunDocumentCommand(d, ID_EXPORT_TOUCHSTONE);
    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.substr(text.find("# Hz")),
              "# Hz S RI R 50\n1000000000 0.20000000000000001 0.40000000000000002\n"
              "2000000000 0.5 0\n3000000000 0 -1\n");
    EXPECT_NE(text.find("! Instrument: Made-up analyzer\n"), std::string::npos);
    ASSERT_EQ(ui.statusTexts.size(), 1u);
    EXPECT_EQ(ui.statusTexts[0], "Touchstone file written to " + path);

    // Before correction: e00 + e01e10 g / (1 - e11 g). With e00 = 0.1, e11 = 0.5 and
    // e01e10 = 0.8 at point 2 (g = 0.5): 0.1 + 0.4 / 0.75 = 0.63333...
    e.errorDirectivity.assign(3, CComplex(0.1, 0.0));
    e.errorSourceMatch.assign(3, CComplex(0.5, 0.0));
    e.errorTracking.assign(3, CComplex(0.8, 0.0));
    const TouchstoneParse raw = ParseTouchstone(d.SampleTouchstoneText(true));
    ASSERT_TRUE(raw.ok);
    EXPECT_NEAR(raw.data.s11[1].re, 0.1 + 0.4 / 0.75, 1e-15);
    EXPECT_EQ(raw.data.s11[1].im, 0.0);
    // A sweep that no longer fits the reading: nothing to write.
    e.frequencies.push_back(4e9);
    const Outcome written = d.WriteSampleTouchstone(path, false);
    EXPECT_FALSE(written);
    EXPECT_EQ(written.why, "There is no sample measurement to write.");
}

TEST_F(DisplayCommands, WhileAnOperationWaitsOnlyLookingCopyingAndPrintingRun) {
    RememberFakeSelection();
    CKv4731xDoc& d = Make();
    d.OnViewsShown();
    ASSERT_TRUE(d.HasInstrument());
    FakeDriver& driver = *registry.driver;
    driver.reflection = [&d](double f, int call) {
        return d.Engine().StandardReflection(call < 3 ? call + 1 : 3, f);
    };
    ui.statusTexts.clear();
    ui.commandStateChanges = 0;
    int pumpsSeen = 0;
    CommandState setFrequency;
    CommandState copyTable;
    bool opened = true;
    ui.onPump = [&] {
        if (pumpsSeen++ > 0) {
            return;
        }
        // The operator reaches the menus through the prompt's message pump.
        EXPECT_EQ(ui.commandStateChanges, 1);
        QueryDocumentCommand(d, ID_SET_FREQUENCY, setFrequency);
        QueryDocumentCommand(d, ID_COPY_TABLE, copyTable);
        EXPECT_TRUE(RunDocumentCommand(d, ID_SET_FREQUENCY));  // refused: no page opens
        RunDocumentCommand(d, ID_PRINT_TABLE);                 // still runs
        opened = d.OpenDocumentFile((folder / "other.tst").string());
    };
    ASSERT_TRUE(RunDocumentCommand(d, ID_PERFORM_CAL));
    ui.onPump = nullptr;
    EXPECT_FALSE(setFrequency.enabled);
    EXPECT_TRUE(copyTable.enabled);
    EXPECT_FALSE(opened);
    EXPECT_TRUE(ui.frequencyPagesShown.empty());
    EXPECT_EQ(ui.printRequests, (std::vector<std::string>{"table"}));
    EXPECT_EQ(ui.commandStateChanges, 2);  // when the wait began and when it ended
    QueryDocumentCommand(d, ID_SET_FREQUENCY, setFrequency);
    EXPECT_TRUE(setFrequency.enabled);
    EXPECT_EQ(ui.statusTexts, (std::vector<std::string>{"Calibration complete"}));

    ASSERT_TRUE(RunDocumentCommand(d, ID_TRIGGER_MEASUREMENT));
    EXPECT_EQ(ui.statusTexts.back(), "Measurement complete");
    // An aborted measurement says nothing in the status bar.
    ui.promptActions = {PromptAction::Abort};
    RunDocumentCommand(d, ID_TRIGGER_MEASUREMENT);
    EXPECT_EQ(ui.statusTexts.size(), 2u);
}

}  // namespace
}  // namespace kv::test
