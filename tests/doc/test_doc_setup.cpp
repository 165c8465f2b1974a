// Setup files and the defaults file through the document: open, save, the checks on reading,
// the calibration's return to its analyzer, and a damaged or refused file changing nothing.

#include <cstring>
#include <filesystem>

#include "DocFilesFixture.h"
#include "doc/CommandIds.h"
#include "doc/CommandTable.h"
#include "persist/SetupImage.h"
#include "probe/FrequencyList.h"

namespace kv::test {
namespace {

constexpr const char* kNotSetupFile =
    "Improper file type.  This file is not a setup file for this program.";

// Material at the probe, permittivity e' - j e''.
const CComplex kSample(20.0, -5.0);

// The analyzer reads ideal standards for the three calibration measurements and then the
// sample, so the calibration gives identity terms and a measurement gives the sample back.
// Only the sample's reflection stays with the analyzer, which outlives the document.
void CalibrateAndMeasure(CKv4731xDoc& d, FakeDriver& driver) {
    driver.savedState.fill(0);
    driver.savedState[0] = 0x11;
    driver.savedState[49999] = 0x99;
    driver.savedSize = 1234;
    driver.reflection = [&d](double f, int call) {
        return d.Engine().StandardReflection(call < 3 ? call + 1 : 3, f);
    };
    driver.measureCalls = 0;
    ASSERT_TRUE(RunDocumentCommand(d, ID_PERFORM_CAL));
    ASSERT_TRUE(d.Engine().calibrated);
    // From now on the sample, whichever document asks.
    driver.reflection = [model = d.Engine().model](double f, int) {
        return model.Reflection(f, kSample);
    };
    ASSERT_TRUE(RunDocumentCommand(d, ID_TRIGGER_MEASUREMENT));
    ASSERT_TRUE(d.Trace(kDataTrace).valid);
}

TEST_F(DocFiles, ReopenedOnTheSameAnalyzerTheCalibrationReturnsAndAMeasurementFollows) {
    CKv4731xDoc& first = MakeShown();
    ASSERT_EQ(first.CurrentInstrumentName(), "FAKE ANALYZER 1");
    CalibrateAndMeasure(first, *registry.driver);
    const std::vector<CComplex> measured = first.Trace(kDataTrace).permittivity;
    ASSERT_EQ(measured.size(), 51u);
    EXPECT_NEAR(measured[10].re, 20.0, 1e-3);
    const std::vector<CComplex> tracking = first.Engine().errorTracking;
    // Kept: the next document replaces this one.
    const std::vector<double> firstFrequencies = first.Result().frequencies;
    const std::vector<double> firstSensitivity = first.Result().sensitivity;

    const std::string path = folder.File("calibrated.tst");
    ASSERT_TRUE(first.OnSaveDocument(path));
    EXPECT_FALSE(first.IsModified());
    EXPECT_TRUE(ui.messages.empty());
    // The file's head: the magic and the analyzer's name, each in a 200-byte record.
    const Bytes file = ReadBytes(path);
    Bytes head(400, 0);
    std::memcpy(head.data(), "QVR47310C1.02", 13);
    std::memcpy(head.data() + 200, "FAKE ANALYZER 1", 15);
    EXPECT_EQ(Slice(file, 0, 400), head);

    // The next run, on the same analyzer.
    CKv4731xDoc& d = MakeShown();
    EXPECT_FALSE(d.Engine().calibrated);
    ASSERT_TRUE(d.OpenDocumentFile(path));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(d.PathName(), path);
    EXPECT_EQ(ui.recentFiles, std::vector<std::string>{path});
    EXPECT_FALSE(d.IsModified());
    EXPECT_TRUE(d.Engine().calibrated);
    FakeDriver& driver = *registry.driver;
    EXPECT_EQ(driver.CallsSince("RestoreCalibrationState"),
              (std::vector<std::string>{"RestoreCalibrationState", "DownloadCalibration",
                                        "EndSequence"}));
    EXPECT_EQ(driver.restoredSize, 1234);
    EXPECT_EQ(driver.restoredState[0], 0x11);
    EXPECT_EQ(driver.restoredState[49999], 0x99);
    ASSERT_EQ(driver.downloaded[2].size(), 51u);
    EXPECT_EQ(driver.downloaded[2][7].re, tracking[7].re);
    EXPECT_EQ(driver.downloaded[2][7].im, tracking[7].im);
    EXPECT_EQ(d.Trace(kDataTrace).permittivity.size(), 51u);
    // The file's Data trace and sensitivity are the result, as the measurement left them.
    EXPECT_EQ(d.Result().frequencies, firstFrequencies);
    EXPECT_EQ(d.Result().sensitivity, firstSensitivity);
    ASSERT_EQ(d.Result().permittivity.size(), 51u);
    EXPECT_EQ(d.Result().permittivity[10].re, measured[10].re);

    // A measurement follows at once, with the same result.
    d.Trace(kDataTrace).permittivity.clear();
    ASSERT_TRUE(RunDocumentCommand(d, ID_TRIGGER_MEASUREMENT));
    EXPECT_TRUE(ui.messages.empty());
    const auto& again = d.Trace(kDataTrace).permittivity;
    ASSERT_EQ(again.size(), measured.size());
    for (std::size_t i = 0; i < again.size(); ++i) {
        EXPECT_EQ(again[i].re, measured[i].re) << i;
        EXPECT_EQ(again[i].im, measured[i].im) << i;
    }
}

// A list in a setup file opened where the analyzer sweeps no lists: it is never sent; the linear
// sweep between its ends takes its place, with the reason and the usual notice.
TEST_F(DocFiles, AListTheAnalyzerCannotSweepIsReplacedByTheLinearSweepBetweenItsEnds) {
    CKv4731xDoc& first = Make();
    FrequencyPage page = first.Engine().CurrentSweepPage();
    page.sweep = ListSweep({3e8, 5e8, 2e9});
    page.setChartScale = true;
    ASSERT_TRUE(first.SetSweep(page).Done());
    const std::string path = folder.File("list.tst");
    ASSERT_TRUE(first.SaveSetupFile(path).Done());

    CKv4731xDoc& d = MakeShown();
    ui.messages.clear();
    ASSERT_TRUE(d.OpenSetupFile(path).Done());
    // (The file was made without an analyzer: the usual question comes first.)
    EXPECT_EQ(ui.MessageTexts(),
              (std::vector<std::string>{
                  "This setup file was not created by the currently selected instrument, 'FAKE "
                  "ANALYZER 1'. It was created by ''.",
                  "The selected instrument sweeps linear and logarithmic sweeps only, not a list "
                  "of frequencies.\nThe linear sweep between its first and last frequency is used "
                  "instead.",
                  "The setup has been changed by the instrument."}));
    EXPECT_EQ(d.Engine().sweep.sweepType, SweepKind::Linear);
    EXPECT_EQ(d.Engine().frequencies, (std::vector<double>{3e8, 11.5e8, 2e9}));
    EXPECT_EQ(registry.driver->frequencyList, d.Engine().frequencies);
    EXPECT_EQ(registry.driver->sweepTypeSent, kLinearSweep);
    EXPECT_EQ(d.sweep, d.Engine().sweep);
}

TEST_F(DocFiles, OnAnotherAnalyzerTheFileNamesTheFirstAndTheCalibrationIsDropped) {
    CKv4731xDoc& first = MakeShown();
    CalibrateAndMeasure(first, *registry.driver);
    const std::string path = folder.File("calibrated.tst");
    ASSERT_TRUE(first.OnSaveDocument(path));

    doc.reset();
    registry.driver = std::make_shared<FakeDriver>();
    registry.driver->name = "FAKE ANALYZER 2";
    CKv4731xDoc& d = MakeShown();
    ASSERT_TRUE(d.OpenDocumentFile(path));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text,
              "This setup file was not created by the currently selected instrument, 'FAKE "
              "ANALYZER 2'. It was created by 'FAKE ANALYZER 1'.");
    EXPECT_EQ(ui.messages[0].caption, "Reading Setup file");
    EXPECT_EQ(ui.messages[0].buttons, Buttons::OkCancel);
    EXPECT_EQ(ui.messages[1].text, "The calibration belongs to FAKE ANALYZER 1.");
    EXPECT_EQ(ui.messages[1].caption, "Opening Setup File");
    EXPECT_FALSE(d.Engine().calibrated);
    FakeDriver& driver = *registry.driver;
    EXPECT_EQ(driver.Count("RestoreCalibrationState"), 0);
    EXPECT_GE(driver.Count("SetFrequencyList"), 1);
    EXPECT_EQ(driver.frequencyList, d.Engine().frequencies);
    EXPECT_GE(driver.Count("EndSequence"), 1);
    // The data came along all the same.
    EXPECT_TRUE(d.Trace(kDataTrace).valid);
}

TEST_F(DocFiles, CancelAtTheInstrumentQuestionOpensNothing) {
    // A file written without an analyzer, opened with one.
    CKv4731xDoc& writer = Make();
    writer.title.text = "Written without an analyzer";
    const std::string path = folder.File("plain.tst");
    ASSERT_TRUE(writer.OnSaveDocument(path));

    CKv4731xDoc& d = MakeShown();
    d.SetPathName(folder.File("current.tst"));
    d.SetModified(true);
    const Bytes before = Snapshot();
    ui.answers = {Answer::No, Answer::Cancel};  // do not save the current setup; refuse the file
    EXPECT_FALSE(d.OpenDocumentFile(path));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, "Save changes to current.tst?");
    EXPECT_EQ(ui.messages[1].text,
              "This setup file was not created by the currently selected instrument, 'FAKE "
              "ANALYZER 1'. It was created by ''.");
    EXPECT_EQ(d.PathName(), folder.File("current.tst"));
    EXPECT_TRUE(d.IsModified());
    EXPECT_TRUE(ui.recentFiles.empty());
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(DocFiles, WithoutAnAnalyzerAFileFromAnyAnalyzerLoadsWithoutTheQuestion) {
    CKv4731xDoc& first = MakeShown();
    first.subtitle.text = "from the analyzer";
    const std::string path = folder.File("analyzer.tst");
    ASSERT_TRUE(first.OnSaveDocument(path));

    CKv4731xDoc& d = Make();  // never shown: no analyzer
    ASSERT_TRUE(d.OnOpenDocument(path));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(d.subtitle.text, "from the analyzer");
}

TEST_F(DocFiles, AFileOfAnotherKindIsRefusedAndTheDocumentKeepsItsName) {
    CKv4731xDoc& d = Make();
    const std::string old = folder.File("mine.tst");
    d.SetPathName(old);
    const Bytes before = Snapshot();

    const std::string path = folder.File("notes.tst");
    WriteText(path, std::string(500, 'x'));
    EXPECT_FALSE(d.OpenDocumentFile(path));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kNotSetupFile);
    EXPECT_EQ(ui.messages[0].caption, "Reading Setup file");
    EXPECT_EQ(d.PathName(), old);
    EXPECT_FALSE(d.IsModified());
    EXPECT_EQ(Snapshot(), before);
    // So the next Save writes the setup where it came from, not over the other file.
    EXPECT_EQ(ReadText(path), std::string(500, 'x'));
}

TEST_F(DocFiles, TheSiblingMagicIsAccepted) {
    CKv4731xDoc& d = Make();
    d.title.text = "line program";
    const std::string path = folder.File("sibling.tst");
    ASSERT_TRUE(d.OnSaveDocument(path));
    Bytes b = ReadBytes(path);
    std::memcpy(b.data(), "QVR47311C1.02", 13);
    WriteBytes(path, b);
    d.title.text = "changed";
    ASSERT_TRUE(d.OnOpenDocument(path));
    EXPECT_EQ(d.title.text, "line program");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DocFiles, TruncatedOrFlippedFilesLeaveTheDocumentAsItWas) {
    CKv4731xDoc& writer = Make();
    writer.title.text = "From the file";
    writer.mathMode = TraceMath::Subtract;
    writer.Trace(1).valid = true;
    writer.Trace(1).permittivity.assign(51, CComplex(3, 1));
    const std::string good = folder.File("good.tst");
    ASSERT_TRUE(writer.OnSaveDocument(good));
    const Bytes image = ReadBytes(good);

    CKv4731xDoc& d = Make();
    d.title.text = "Current";
    d.SetPathName(folder.File("current.tst"));
    const Bytes before = Snapshot();
    const std::string bad = folder.File("bad.tst");
    for (const std::size_t cut : {std::size_t{150}, std::size_t{420}, std::size_t{900},
                                  image.size() / 2, image.size() - 1}) {
        ui.messages.clear();
        WriteBytes(bad, Slice(image, 0, cut));
        EXPECT_FALSE(d.OpenDocumentFile(bad)) << cut;
        ASSERT_EQ(ui.messages.size(), 1u) << cut;
        EXPECT_EQ(ui.messages[0].text, "An unexpected error occurred while reading " + bad + ".");
        EXPECT_EQ(ui.messages[0].caption, "Reading Setup file");
        EXPECT_EQ(Snapshot(), before) << cut;
        EXPECT_EQ(d.PathName(), folder.File("current.tst"));
    }
    // A flipped bit that makes Memory 1's permittivity count larger than the file: the count
    // follows the document section (955 bytes with the default texts), the
    // Data record and Memory 1's fields before its array.
    const std::size_t titleGrowth = std::string("From the file").size() - 5;
    const std::size_t at = 955 + titleGrowth + 112 + 20 + 60 + 8 + 18;
    Bytes flipped = image;
    ASSERT_EQ(Slice(flipped, at, 2), B({51, 0}));
    flipped[at + 1] ^= 0x80;  // 32819 points that are not there
    WriteBytes(bad, flipped);
    ui.messages.clear();
    EXPECT_FALSE(d.OpenDocumentFile(bad));
    EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{"An unexpected error occurred while "
                                                          "reading " +
                                                          bad + "."});
    EXPECT_EQ(Snapshot(), before);

    // The intact file still reads.
    ui.messages.clear();
    ASSERT_TRUE(d.OpenDocumentFile(good));
    EXPECT_EQ(d.title.text, "From the file");
    EXPECT_EQ(d.mathMode, TraceMath::Subtract);
    EXPECT_TRUE(d.Trace(1).valid);
}

TEST_F(DocFiles, TraceMathTitlesAndFormatsSurvive) {
    for (const std::size_t length : {std::size_t{254}, std::size_t{255}, std::size_t{70000}}) {
        CKv4731xDoc& writer = Make();
        writer.mathMode = TraceMath::Subtract;
        writer.referenceTrace = 3;
        writer.title.text = std::string(length, 'T');
        writer.subtitle.text = std::string(length + 1, 'S');
        RunDocumentCommand(writer, ID_FORMAT_COLE_COLE);
        RunDocumentCommand(writer, ID_TABLE_REAL_TAN);
        writer.Format(kFormatColeColeE).current.yMax = 55.5;
        const std::string path = folder.File("long.tst");
        ASSERT_TRUE(writer.OnSaveDocument(path));
        const Bytes b = ReadBytes(path);
        // The title text starts after fields 1 to 20 (584 bytes).
        if (length == 254) {
            EXPECT_EQ(b[584], 0xFE);
        } else if (length == 255) {
            EXPECT_EQ(Slice(b, 584, 3), B({0xFF, 0xFF, 0x00}));
        } else {
            EXPECT_EQ(Slice(b, 584, 7), B({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));
        }

        CKv4731xDoc& d = Make();
        ASSERT_TRUE(d.OnOpenDocument(path)) << length;
        EXPECT_EQ(d.mathMode, TraceMath::Subtract);
        EXPECT_EQ(d.referenceTrace, 3);
        EXPECT_EQ(d.title.text, std::string(length, 'T'));
        EXPECT_EQ(d.subtitle.text, std::string(length + 1, 'S'));
        EXPECT_EQ(d.CurrentChartFormat(), ChartFormat::ColeCole);
        EXPECT_TRUE(DocumentCommandChecked(d, ID_FORMAT_COLE_COLE));
        EXPECT_FALSE(DocumentCommandChecked(d, ID_FORMAT_E1));
        EXPECT_EQ(d.CurrentTableFormat(), TableFormat::RealTangent);
        EXPECT_TRUE(DocumentCommandChecked(d, ID_TABLE_REAL_TAN));
        EXPECT_FALSE(DocumentCommandChecked(d, ID_TABLE_REAL_IMAG));
        EXPECT_EQ(d.Format(kFormatColeColeE).current.yMax, 55.5);
        EXPECT_FALSE(d.IsModified());
    }
}

TEST_F(DocFiles, FormatCodesWithoutACommand) {
    CKv4731xDoc& d = Make();
    const std::string path = folder.File("codes.tst");
    ASSERT_TRUE(d.OnSaveDocument(path));
    Bytes b = ReadBytes(path);
    // Fields 51 and 52 are the last four bytes of the document section, which holds 955 bytes
    // with the default texts.
    const std::size_t at = 951;
    ASSERT_EQ(Slice(b, at, 4), B({0, 0, 0, 0}));
    b[at] = 1;      // real and tan d
    b[at + 2] = 5;  // u''
    WriteBytes(path, b);
    ASSERT_TRUE(d.OnOpenDocument(path));
    EXPECT_EQ(d.CurrentTableFormat(), TableFormat::RealTangent);
    EXPECT_EQ(d.CurrentChartFormat(), ChartFormat::U2);
    EXPECT_FALSE(DocumentCommandChecked(d, ID_FORMAT_E1));
    // A code without a format selects nothing.
    b[at] = 7;
    b[at + 2] = 9;
    WriteBytes(path, b);
    ASSERT_TRUE(d.OnOpenDocument(path));
    EXPECT_EQ(d.CurrentTableFormat(), TableFormat::RealTangent);
    EXPECT_EQ(d.CurrentChartFormat(), ChartFormat::U2);
}

TEST_F(DocFiles, TheSaveQuestionBeforeASetupIsClosed) {
    CKv4731xDoc& d = Make();
    EXPECT_TRUE(d.SaveModified());  // unchanged: nothing asked
    EXPECT_TRUE(ui.messages.empty());

    d.SetModified(true);
    ui.answers = {Answer::Cancel};
    EXPECT_FALSE(d.SaveModified());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Save changes to Untitled?");
    EXPECT_EQ(ui.messages[0].caption, "Tarvel Technologies 47310C");
    EXPECT_EQ(ui.messages[0].buttons, Buttons::YesNoCancel);

    ui.answers = {Answer::No};
    EXPECT_TRUE(d.SaveModified());
    EXPECT_TRUE(d.IsModified());

    // Yes on an untitled setup asks for a name, saves and takes it.
    const std::string path = folder.File("named.tst");
    ui.answers = {Answer::Yes};
    ui.saveFileNames = {path};
    EXPECT_TRUE(d.SaveModified());
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(ui.saveRequests[0].defaultExtension, "tst");
    EXPECT_EQ(ui.saveRequests[0].filter, "Kv47310 Files (*.tst)|*.tst|All Files (*.*)|*.*||");
    EXPECT_EQ(d.PathName(), path);
    EXPECT_FALSE(d.IsModified());
    EXPECT_EQ(ReadBytes(path).size(), Snapshot().size());
    // Yes with Cancel in the file dialog keeps the setup open.
    d.SetModified(true);
    d.SetPathName("");
    ui.answers = {Answer::Yes};
    EXPECT_FALSE(d.SaveModified());
    EXPECT_TRUE(d.IsModified());
}

TEST_F(DocFiles, AFailedSaveSaysSoAndKeepsTheModifiedMark) {
    CKv4731xDoc& d = Make();
    d.SetModified(true);
    const std::string path = folder.File("no-such-folder/setup.tst");
    EXPECT_FALSE(d.OnSaveDocument(path));
    EXPECT_EQ(ui.MessageTexts(),
              std::vector<std::string>{"An unexpected error occurred while writing " + path + "."});
    EXPECT_TRUE(d.IsModified());

    // A missing file to open is named.
    ui.messages.clear();
    d.SetModified(false);
    const std::string missing = folder.File("missing.tst");
    EXPECT_FALSE(d.OpenDocumentFile(missing));
    EXPECT_EQ(ui.messages.back().text, missing + " was not found.");
}

TEST_F(DocFiles, DefaultsFileAtFirstShow) {
    // None there: one is written, silently.
    CKv4731xDoc& d = MakeShown();
    const std::string dft = folder.File(kDefaultsFileName);
    ASSERT_TRUE(std::filesystem::exists(dft));
    EXPECT_EQ(std::memcmp(ReadBytes(dft).data(), "QVR47310C1.02", 14), 0);
    EXPECT_FALSE(d.IsModified());

    // A valid one is read and kept as it is; the setup counts as unchanged.
    d.title.text = "My defaults";
    RunDocumentCommand(d, ID_FORMAT_E2);
    ASSERT_TRUE(RunDocumentCommand(d, ID_SAVE_AS_DEFAULT));
    const Bytes saved = ReadBytes(dft);
    CKv4731xDoc& next = Make(true);
    next.OnViewsShown();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(next.title.text, "My defaults");
    EXPECT_EQ(next.CurrentChartFormat(), ChartFormat::E2);
    EXPECT_TRUE(next.defaultsValid);
    EXPECT_FALSE(next.IsModified());
    EXPECT_EQ(ReadBytes(dft), saved);

    // One of another kind is replaced without a word.
    WriteText(dft, std::string(400, 'z'));
    CKv4731xDoc& third = Make(true);
    third.OnViewsShown();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(third.title.text, "Title");
    EXPECT_EQ(std::memcmp(ReadBytes(dft).data(), "QVR47310C1.02", 14), 0);

    // So is a damaged one.
    WriteBytes(dft, Slice(saved, 0, 1000));
    CKv4731xDoc& fourth = Make(true);
    fourth.OnViewsShown();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(fourth.title.text, "Title");
    SetupImage rewritten;
    EXPECT_EQ(ReadSetupImage(ReadBytes(dft), rewritten), SetupReadResult::Ok);
}

TEST_F(DocFiles, SaveAsDefaultAndResetDefaults) {
    CKv4731xDoc& d = MakeShown();
    d.defaultsPath = folder.File("no-such-folder/47310.dft");
    ASSERT_TRUE(RunDocumentCommand(d, ID_SAVE_AS_DEFAULT));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Could not open default file.");
    EXPECT_EQ(ui.messages[0].caption, "Save defaults");

    // Reset defaults with a missing file: nothing said, nothing changed.
    ui.messages.clear();
    d.title.text = "kept";
    d.dateStamp = 86400;
    ASSERT_TRUE(RunDocumentCommand(d, ID_RESET_DEFAULTS));
    EXPECT_EQ(d.dateStamp, 86400);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(d.title.text, "kept");

    // Reset defaults with a file made without an analyzer asks the instrument question.
    CKv4731xDoc& other = Make();
    other.title.text = "other defaults";
    other.dateStamp = other.timeStamp = 86400;
    other.defaultsPath = folder.File("other.dft");
    ASSERT_TRUE(RunDocumentCommand(other, ID_SAVE_AS_DEFAULT));
    CKv4731xDoc& e = MakeShown();
    e.defaultsPath = folder.File("other.dft");
    ASSERT_TRUE(RunDocumentCommand(e, ID_RESET_DEFAULTS));
    EXPECT_GT(e.dateStamp, 86400);  // stamped anew, not the day the defaults were saved
    EXPECT_EQ(e.timeStamp, e.dateStamp);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "This setup file was not created by the currently selected instrument, 'FAKE "
              "ANALYZER 1'. It was created by ''.");
    EXPECT_EQ(e.title.text, "other defaults");
    EXPECT_TRUE(e.IsModified());  // the setup is no longer the one in its file
}

}  // namespace
}  // namespace kv::test
