// The document's operations as a front end with its values at hand calls them: what each
// reports, and that it does what the menu command does.

#include "DocFilesFixture.h"
#include "persist/DataFile.h"

namespace kv::test {
namespace {

using Kind = Outcome::Kind;
using DocOperations = DocFiles;

TEST_F(DocOperations, WithoutAnAnalyzerTheInstrumentOperationsAreRefused) {
    CKv4731xDoc& d = Make();
    for (const Outcome& o :
         {d.PerformCalibration(), d.RefreshCalibration(), d.Measure(false), d.Measure(true)}) {
        EXPECT_EQ(o.kind, Kind::Refused);
        EXPECT_EQ(o.why, "This function requires an instrument.");
    }
    EXPECT_EQ(ui.messages.size(), 4u);
    EXPECT_TRUE(ui.statusTexts.empty());
    EXPECT_EQ(ui.commandStateChanges, 8);  // busy from each start to its end
}

TEST_F(DocOperations, SweepCalibrationMeasurementAndFiles) {
    CKv4731xDoc& d = MakeShown();
    FakeDriver& driver = *registry.driver;
    d.Trace(1).valid = d.Trace(1).displayed = true;

    // A refused sweep changes nothing; an accepted one invalidates the traces.
    FrequencyPage page = d.Engine().CurrentSweepPage();
    page.sweep.startValue = 30;
    page.sweep.startUnit = "GHz";
    d.SetModified(false);
    EXPECT_EQ(d.SetSweep(page).why, "The start frequency must be less than the stop frequency.");
    EXPECT_FALSE(d.IsModified());
    EXPECT_TRUE(d.Trace(1).valid);
    page.sweep.startValue = 1;
    page.sweep.numPoints = 11;
    EXPECT_TRUE(d.SetSweep(page).Done());
    EXPECT_TRUE(d.IsModified());
    EXPECT_FALSE(d.Trace(1).valid);
    EXPECT_EQ(d.Engine().frequencies.size(), 11u);

    EXPECT_EQ(d.Measure().kind, Kind::Refused);  // not calibrated
    driver.reflection = [&d](double f, int call) {
        return d.Engine().StandardReflection(call < 3 ? call + 1 : 3, f);
    };
    EXPECT_TRUE(d.PerformCalibration().Done());
    driver.reflection = [model = d.Engine().model](double f, int) {
        return model.Reflection(f, {20.0, -5.0});
    };
    EXPECT_TRUE(d.Measure().Done());
    EXPECT_EQ(ui.statusTexts,
              (std::vector<std::string>{"Calibration complete", "Measurement complete"}));

    // The data file holds the Data trace, with the sensitivity column when it is included.
    EXPECT_EQ(d.SaveDataFile(folder.File("m1.prn"), 1).kind, Kind::Refused);
    EXPECT_FALSE(std::ifstream(folder.File("m1.prn")).good());
    d.includeSensitivity = true;
    const std::string prn = folder.File("data.prn");
    ASSERT_TRUE(d.SaveDataFile(prn).Done());
    EXPECT_EQ(ReadText(prn), FormatDataFile(d.Engine().frequencies, d.Trace(0).permittivity,
                                            &d.Engine().result.sensitivity));

    // Setup files: written and read back unmodified; a data file, a missing file and a file of
    // another kind are not read, each with its reason.
    const std::string tst = folder.File("run.tst");
    EXPECT_TRUE(d.SaveSetupFile(tst).Done());
    EXPECT_FALSE(d.IsModified());
    EXPECT_EQ(ui.statusTexts.back(), "Setup saved to " + tst);
    d.SetModified();
    const Outcome asSetup = d.OpenSetupFile(prn);
    EXPECT_EQ(asSetup.kind, Kind::Refused);
    EXPECT_EQ(asSetup.why, prn + " is a data file, not a setup file.");
    EXPECT_TRUE(d.IsModified());
    EXPECT_TRUE(d.OpenSetupFile(tst).Done());
    EXPECT_FALSE(d.IsModified());
    const Outcome missing = d.OpenSetupFile(folder.File("none.tst"));
    EXPECT_EQ(missing.kind, Kind::Failed);
    EXPECT_EQ(missing.why, folder.File("none.tst") + " was not found.");
    WriteText(folder.File("text.tst"), std::string(300, 'x'));
    EXPECT_EQ(d.OpenSetupFile(folder.File("text.tst")).why,
              "Improper file type.  This file is not a setup file for this program.");
    const std::string nowhere = folder.File("no/such/folder/run.tst");
    const Outcome unwritten = d.SaveSetupFile(nowhere);
    EXPECT_EQ(unwritten.kind, Kind::Failed);
    EXPECT_EQ(unwritten.why, "An unexpected error occurred while writing " + nowhere + ".");
    EXPECT_EQ(ui.messages.back().text, unwritten.why);
}

}  // namespace
}  // namespace kv::test
