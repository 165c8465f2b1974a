// Data files through the document: saving a trace, loading one into a trace, the frequency
// question and the sensitivity rule.

#include <algorithm>
#include <cmath>

#include "DocFilesFixture.h"
#include "doc/CommandIds.h"
#include "doc/CommandTable.h"
#include "persist/DataFile.h"

namespace kv::test {
namespace {

constexpr const char* kOtherSweep =
    "The data in this file was made over a different frequency range than the current setup.  "
    "The settings will be changed to match this file.";
constexpr const char* kNoSensitivity =
    "Sensitivity data was not included in this file.  Select a trace other than Data.";
constexpr const char* kFilter = "kv4731x Files (*.prn)|*.prn|All Files (*.*)|*.*||";

// Data holds a result over the current sweep, with a sensitivity per point.
void Measured(CKv4731xDoc& d) {
    const auto& f = d.Engine().frequencies;
    CTrace& data = d.Trace(kDataTrace);
    data.permittivity.clear();
    d.Engine().result.sensitivity.clear();
    for (std::size_t i = 0; i < f.size(); ++i) {
        data.permittivity.push_back({80.0 - 0.25 * static_cast<double>(i), 0.5 + 0.125 * i});
        d.Engine().result.sensitivity.push_back(0.0625 * static_cast<double>(i));
    }
    data.frequencies = f;
    data.valid = true;
    data.displayed = true;
}

// A three-point sweep of 1, 1.5 and 2 GHz: values that single precision holds exactly.
void ThreePointSweep(CKv4731xDoc& d) {
    d.sweep.startValue = 1;
    d.sweep.startUnit = "GHz";
    d.sweep.stopValue = 2;
    d.sweep.stopUnit = "GHz";
    d.sweep.numPoints = 3;
    d.Engine().sweep = d.sweep;
    d.Engine().BuildFrequencyList();
}

// With includeUncertainty the Data trace's file gets the sensitivity and u(e') u(e'') columns of
// its result, another trace 9999 in them; the Data trace's file reads back into the result.
TEST_F(DocFiles, UncertaintyColumnsSavedAndLoadedIntoTheResult) {
    CKv4731xDoc& d = Make();
    ThreePointSweep(d);
    Measured(d);
    d.Engine().result.uncertaintyE1 = {0.5, 0.25, 0.125};
    d.Engine().result.uncertaintyE2 = {0.0625, 1.5, 2.0};
    d.Trace(2).CopyFrom(d.Trace(kDataTrace));
    d.includeUncertainty = true;
    const std::string path = folder.File("u.prn");
    const std::string other = folder.File("other.prn");
    ASSERT_TRUE(d.SaveDataFile(path, kDataTrace).Done());
    ASSERT_TRUE(d.SaveDataFile(other, 2).Done());
    EXPECT_EQ(ReadText(path),
              "frequency\te'\te''\tsensitivity\tu(e')\tu(e'')\n"
              "1000000000.0000\t  80.0000\t   0.5000\t         0.0000\t   0.500000\t   0.062500\n"
              "1500000000.0000\t  79.7500\t   0.6250\t         0.0625\t   0.250000\t   1.500000\n"
              "2000000000.0000\t  79.5000\t   0.7500\t         0.1250\t   0.125000\t   2.000000\n");
    EXPECT_NE(ReadText(other).find("\t9999.000000\t9999.000000\n"), std::string::npos);

    CKv4731xDoc& back = Make();
    ThreePointSweep(back);
    ui.traceChoices = {kDataTrace};
    back.LoadDataFile(path);
    EXPECT_EQ(back.Result().uncertaintyE1, (std::vector<double>{0.5, 0.25, 0.125}));
    EXPECT_EQ(back.Result().uncertaintyE2, (std::vector<double>{0.0625, 1.5, 2.0}));
}

TEST_F(DocFiles, NothingToSaveWithoutAValidTrace) {
    CKv4731xDoc& d = Make();
    ASSERT_TRUE(RunDocumentCommand(d, ID_FILE_SAVE_DATA));
    EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{"None of the traces are valid."});
    EXPECT_EQ(Captions(), std::vector<std::string>{"Save data"});
    EXPECT_TRUE(ui.traceChoiceCaptions.empty());
}

TEST_F(DocFiles, SavedWithSensitivityLoadsIntoData) {
    CKv4731xDoc& d = Make();
    Measured(d);
    d.Trace(2).valid = true;
    d.Trace(2).permittivity.assign(51, CComplex(1, 1));
    d.includeSensitivity = true;
    const std::string path = folder.File("run1.prn");
    ui.traceChoices = {kDataTrace};
    ui.saveFileNames = {path};
    ASSERT_TRUE(RunDocumentCommand(d, ID_FILE_SAVE_DATA));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.traceChoiceCaptions, std::vector<std::string>{"Select trace to be stored."});
    EXPECT_EQ(ui.traceChoiceEnabled[0], (std::array<bool, 4>{true, false, true, false}));
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(ui.saveRequests[0].filter, kFilter);
    EXPECT_EQ(ui.saveRequests[0].defaultExtension, "prn");
    EXPECT_EQ(ui.recentFiles, std::vector<std::string>{path});

    const std::string text = ReadText(path);
    const auto& f = d.Engine().frequencies;
    ASSERT_EQ(f.size(), 51u);
    // The header, and the second point's line with the numbers written out by hand.
    EXPECT_EQ(text.substr(0, 29), "frequency\te'\te''\tsensitivity\n");
    EXPECT_EQ(f[1], 316000000.0);
    const std::string second = " 316000000.0000\t  79.7500\t   0.6250\t         0.0625\n";
    EXPECT_EQ(text.substr(29 + 52, 52), second);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 52);

    // Back into Data, in a fresh document over the same sweep.
    CKv4731xDoc& back = Make();
    ui.traceChoices = {kDataTrace};
    ui.openFileNames = {path};
    ASSERT_TRUE(RunDocumentCommand(back, ID_FILE_OPEN_DATA));
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(ui.openRequests.size(), 1u);
    EXPECT_EQ(ui.openRequests[0].filter, kFilter);
    EXPECT_EQ(ui.traceChoiceCaptions.back(), "Select trace to store data");
    EXPECT_EQ(ui.traceChoiceEnabled.back(), (std::array<bool, 4>{true, true, true, true}));
    const CTrace& data = back.Trace(kDataTrace);
    EXPECT_TRUE(data.valid);
    ASSERT_EQ(data.permittivity.size(), 51u);
    EXPECT_EQ(data.permittivity[1].re, 79.75);
    EXPECT_EQ(data.permittivity[1].im, 0.625);
    EXPECT_EQ(data.permittivity[50].re, 67.5);
    EXPECT_EQ(back.Engine().result.sensitivity[1], 0.0625);
    EXPECT_EQ(back.Engine().result.sensitivity.size(), 51u);
    EXPECT_EQ(data.frequencies.size(), 51u);
    // The file is the result too, as a measurement would have left it.
    EXPECT_EQ(back.Result().frequencies, data.frequencies);
    ASSERT_EQ(back.Result().permittivity.size(), 51u);
    EXPECT_EQ(back.Result().permittivity[50].re, 67.5);
    EXPECT_TRUE(back.IsModified());
    EXPECT_EQ(back.sweep.numPoints, 51);  // the sweep stayed
}

TEST_F(DocFiles, WithoutSensitivityItGoesIntoAMemoryOnly) {
    CKv4731xDoc& d = Make();
    Measured(d);
    const std::string path = folder.File("plain.prn");
    ui.traceChoices = {kDataTrace};
    ui.saveFileNames = {path};
    RunDocumentCommand(d, ID_FILE_SAVE_DATA);
    const std::string text = ReadText(path);
    EXPECT_EQ(text.substr(0, 17), "frequency\te'\te''\n");
    EXPECT_EQ(text.substr(17, 36), " 200000000.0000\t  80.0000\t   0.5000\n");

    CKv4731xDoc& back = Make();
    Forget();
    const std::vector<double> sensitivity = {1, 2, 3};
    back.Engine().result.sensitivity = sensitivity;
    ui.traceChoices = {kDataTrace, 2};
    EXPECT_FALSE(back.OnOpenDocument(path));  // a data file never replaces the setup
    EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{kNoSensitivity});
    EXPECT_EQ(Captions(), std::vector<std::string>{"Open Data File"});
    EXPECT_EQ(ui.traceChoiceCaptions.size(), 2u);
    EXPECT_FALSE(back.Trace(kDataTrace).valid);
    EXPECT_TRUE(back.Trace(2).valid);
    EXPECT_TRUE(back.Trace(2).displayed);
    EXPECT_EQ(back.Trace(2).permittivity.size(), 51u);
    EXPECT_EQ(back.Engine().result.sensitivity, sensitivity);
}

TEST_F(DocFiles, OneKilohertzOffIsTheSameSweepAndMoreIsAQuestion) {
    CKv4731xDoc& d = Make();
    ThreePointSweep(d);
    const std::string path = folder.File("offset.prn");

    // Every point exactly 1024 Hz off: the same sweep.
    WriteText(path, "frequency\te'\te''\n" + DataFileLine(1e9 + 1024, {2, 1}) +
                        DataFileLine(1.5e9 - 1024, {3, 1}) + DataFileLine(2e9 + 1024, {4, 1}));
    ui.traceChoices = {1};
    d.LoadDataFile(path);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(d.Trace(1).valid);
    EXPECT_EQ(d.Trace(1).frequencies[0], 1e9 + 1024);

    // 2048 Hz off asks; Cancel changes nothing.
    WriteText(path, "frequency\te'\te''\n" + DataFileLine(1e9 + 2048, {2, 1}) +
                        DataFileLine(1.5e9, {3, 1}) + DataFileLine(2e9, {4, 1}));
    d.Trace(1).valid = false;
    ui.traceChoices = {1};
    ui.answers = {Answer::Cancel};
    d.LoadDataFile(path);
    EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{kOtherSweep});
    EXPECT_EQ(ui.messages[0].caption, "Open Data File");
    EXPECT_EQ(ui.messages[0].buttons, Buttons::OkCancel);
    EXPECT_FALSE(d.Trace(1).valid);
    EXPECT_EQ(d.Engine().frequencies, (std::vector<double>{1e9, 1.5e9, 2e9}));
}

TEST_F(DocFiles, AnotherSweepIsAdoptedWithTheOperatorsOk) {
    CKv4731xDoc& d = Make();
    d.Engine().calibrated = true;
    for (int i = 1; i < kTraceCount; ++i) {
        d.Trace(i).valid = true;
    }
    const std::string path = folder.File("sweep.prn");
    // A logarithmic sweep of 11 points from 100 MHz to 10 GHz.
    std::string text = "frequency\te'\te''\tsensitivity\n";
    for (int s = 0; s < 10; ++s) {
        text += DataFileLine(1e8 * std::pow(10.0, 0.2 * s), {1.0 + s, 0.5}, 1.0);
    }
    text += DataFileLine(1e10, {11, 0.5}, 1.0);
    WriteText(path, text);
    ui.traceChoices = {kDataTrace};
    d.LoadDataFile(path);
    EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{kOtherSweep});
    EXPECT_EQ(d.sweep.numPoints, 11);
    EXPECT_EQ(d.sweep.sweepType, SweepKind::Logarithmic);  // linear did not give the file's list
    EXPECT_EQ(d.Engine().sweep.sweepType, SweepKind::Logarithmic);
    EXPECT_EQ(d.sweep.startUnit, "MHz");
    EXPECT_DOUBLE_EQ(d.sweep.startValue, 100.0);
    EXPECT_EQ(d.sweep.stopUnit, "GHz");
    EXPECT_DOUBLE_EQ(d.sweep.stopValue, 10.0);
    EXPECT_FALSE(d.Engine().calibrated);
    EXPECT_FALSE(d.reservedFlag7);
    ASSERT_EQ(d.Engine().frequencies.size(), 11u);
    EXPECT_NEAR(d.Engine().frequencies[5], 1e9, 1024);
    // The memories hold no valid data any more; Data holds the file.
    EXPECT_TRUE(d.Trace(kDataTrace).valid);
    EXPECT_FALSE(d.Trace(1).valid);
    EXPECT_FALSE(d.Trace(2).valid);
    EXPECT_FALSE(d.Trace(3).valid);
    EXPECT_EQ(d.Trace(kDataTrace).permittivity[10].re, 11.0);
    // The frequency charts follow the sweep.
    EXPECT_DOUBLE_EQ(d.Format(kFormatE1).current.xMin, 100.0);
    EXPECT_EQ(d.Format(kFormatE1).minUnit, "MHz");
    EXPECT_DOUBLE_EQ(d.Format(kFormatE1).current.xMax, 10.0);
    EXPECT_EQ(d.Format(kFormatE1).maxUnit, "GHz");
    EXPECT_EQ(d.Format(kFormatE1).xLog, 1);
    EXPECT_TRUE(d.IsModified());
}

TEST_F(DocFiles, BadDataFilesChangeNothing) {
    CKv4731xDoc& d = Make();
    ThreePointSweep(d);
    const Bytes before = Snapshot();
    const std::string path = folder.File("bad.prn");

    WriteText(path, "freq\tvalue\n1 2 3\n");
    ui.answers = {Answer::Cancel};
    d.LoadDataFile(path);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Improper file type.");
    EXPECT_EQ(ui.messages[0].caption, "Reading data file");
    EXPECT_EQ(ui.messages[0].buttons, Buttons::OkCancel);

    // A line of garbage: refused with its number, before any question.
    ui.messages.clear();
    WriteText(path, "frequency\te'\te''\n" + DataFileLine(1e9, {2, 1}) +
                        "  1500000000.0000\tn/a\t1.0\n" + DataFileLine(2e9, {4, 1}));
    ui.traceChoices = {1};
    d.LoadDataFile(path);
    EXPECT_EQ(ui.MessageTexts(),
              std::vector<std::string>{"Line 3 of " + path +
                                       " does not hold the numbers its header names."});
    EXPECT_EQ(ui.messages[0].caption, "Reading data file");
    EXPECT_TRUE(ui.traceChoiceCaptions.empty());

    // A header and nothing else.
    ui.messages.clear();
    WriteText(path, "frequency\te'\te''\n");
    d.LoadDataFile(path);
    EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{path + " holds no data."});

    // Cancel at the trace choice discards the data.
    ui.messages.clear();
    WriteText(path, "frequency\te'\te''\n" + DataFileLine(1e9, {2, 1}));
    ui.traceChoices = {-1};
    d.LoadDataFile(path);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(Snapshot(), before);
    EXPECT_FALSE(d.IsModified());
}

TEST_F(DocFiles, TheOpenStepSendsDataFilesByName) {
    CKv4731xDoc& d = Make();
    ThreePointSweep(d);
    const std::string data = "frequency\te'\te''\n" + DataFileLine(1e9, {2, 1}) +
                             DataFileLine(1.5e9, {3, 1}) + DataFileLine(2e9, {4, 1});
    const std::string current = folder.File("current.tst");
    d.SetPathName(current);
    for (const char* name : {"run1.PRN", "x.prn.tst", "run2.prn"}) {
        const std::string path = folder.File(name);
        WriteText(path, data);
        d.Trace(3).valid = false;
        ui.traceChoices = {3};
        EXPECT_FALSE(d.OpenDocumentFile(path)) << name;
        EXPECT_TRUE(d.Trace(3).valid) << name;
        EXPECT_EQ(d.PathName(), current);
        d.SetModified(false);
    }
    // Any other spelling is a setup file (this one too short even for the magic record).
    const std::string mixed = folder.File("run1.Prn");
    WriteText(mixed, data);
    EXPECT_FALSE(d.OpenDocumentFile(mixed));
    EXPECT_EQ(ui.messages.back().text, "An unexpected error occurred while reading " + mixed + ".");
    EXPECT_EQ(ui.messages.back().caption, "Reading Setup file");
    EXPECT_EQ(d.PathName(), current);
}

}  // namespace
}  // namespace kv::test
