#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include <QBuffer>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QStandardPaths>

#include "CliRun.h"
#include "display/ViewDoc.h"
#include "probe/Standards.h"
#include "render/TableRender.h"

namespace kv::test {
namespace {

struct Sample {
    const char* name;
    ColeCole material;
};

// The default sample (methanol at 25 C), a water-like and a low-permittivity sample.
const Sample kSamples[] = {
    {"methanol", {32.66, 5.563, 0.0, 5.067e-11}},
    {"water-like", {78.36, 5.16, 0.0, 8.27e-12}},
    {"low-permittivity", {2.6, 2.05, 0.0, 3.0e-11}},
};

std::string SampleIni(const ColeCole& m, const std::string& more = {}) {
    char text[512];
    std::snprintf(text, sizeof text, "[sample]\neo=%.17g\neinf=%.17g\nalpha=%.17g\ntau=%.17g\n",
                  m.eo, m.einf, m.alpha, m.tau);
    return text + more;
}

// The largest error of a result against the sample, relative to |eps| at each point.
double LargestError(const std::vector<ResultRow>& rows, const ColeCole& m) {
    double worst = 0.0;
    for (const auto& r : rows) {
        const CComplex eps = ColeColePermittivity(r.frequency, m);  // e' - j e''
        const double magnitude = std::hypot(eps.re, eps.im);
        worst = std::max(worst, std::fabs(r.e1 - eps.re) / magnitude);
        worst = std::max(worst, std::fabs(r.e2 + eps.im) / magnitude);
    }
    return worst;
}

TEST(Cli, ListsTheComponents) {
    CliFolder folder;
    const CliResult r = folder.Run({"components"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("GPIB cards:"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Instruments:"), std::string::npos);
    EXPECT_NE(r.out.find("Simulated GPIB card"), std::string::npos);
    EXPECT_NE(r.out.find("Demo"), std::string::npos);
    EXPECT_NE(r.out.find("  {"), std::string::npos);
}

TEST(Cli, CommandLineMistakesExitWithStatusTwo) {
    CliFolder folder;
    EXPECT_EQ(folder.Run({"frobnicate"}).status, 2);
    EXPECT_EQ(folder.Run({"measure", "--points"}).status, 2);
    EXPECT_EQ(folder.Run({"measure", "--start", "fast"}).status, 2);
    // strtod reads these, but they are no frequencies.
    const CliResult nan = folder.Run({"sweep", "--start", "nan"});
    EXPECT_EQ(nan.status, 2);
    EXPECT_EQ(nan.err.substr(0, nan.err.find('\n')), "kv47310-cli: --start: not a frequency: nan");
    EXPECT_EQ(folder.Run({"sweep", "--stop", "infGHz"}).status, 2);
    EXPECT_EQ(folder.Run({"measure", "--cal", "vinegar"}).status, 2);
    const CliResult r = folder.Run({"measure", "--yes", "--instrument", "no such analyzer"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("no analyzer component matches 'no such analyzer'"), std::string::npos);
    // The Simulated GPIB card's addresses are bus numbers.
    const CliResult card = folder.Run({"measure", "--yes", "--card-address", "9"});
    EXPECT_EQ(card.status, 2);
    EXPECT_NE(card.err.find("kv47310-cli: --card-address: not a bus address from 0 to 8: 9"),
              std::string::npos)
        << card.err;
    EXPECT_EQ(folder.Run({"measure", "--yes", "--address", "sixteen"}).status, 2);
    EXPECT_EQ(folder.Run({"--help"}).status, 0);
}

TEST(Cli, AChartFormatNoRowOffersIsRefusedWithTheOfferedNames) {
    CliFolder folder;
    const CliResult r = folder.Run({"measure", "--yes", "--format", "u1"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--format: expected e1, e2, tan or colecole, not u1"), std::string::npos)
        << r.err;
}

TEST(Cli, AFailedReadingEndsTheRunWithTheAnalyzersText) {
    CliFolder folder;
    folder.WriteIni("[analyzer]\nfail_measure_after=1\nerror_text=Sweep lost.\n");
    const CliResult r = folder.Run({"measure", "--yes", "--points", "11"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Calibration Menu: Sweep lost.\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("kv47310-cli: the calibration was not completed"), std::string::npos);
    EXPECT_EQ(r.out, "");
}

// Every calibration type, then a measurement of the configured sample, gives the sample's
// permittivity at every point of a linear and a logarithmic sweep.
TEST(Cli, EveryCalibrationTypeMeasuresTheSample) {
    const char* calibrations[] = {"air-short-water", "load-air-short", "user"};
    std::map<std::string, double> worstByCalibration;
    for (const char* cal : calibrations) {
        for (const Sample& sample : kSamples) {
            for (const bool log : {false, true}) {
                CliFolder folder;
                folder.WriteIni(SampleIni(sample.material));
                std::vector<std::string> args = {"measure", "--yes", "--instrument", "Demo",
                                                 "--cal",   cal,     "--start",      "200MHz",
                                                 "--stop",  "20GHz", "--points",     "201"};
                if (log) {
                    args.push_back("--log");
                }
                const CliResult r = folder.Run(args);
                ASSERT_EQ(r.status, 0) << cal << " " << sample.name << "\n" << r.err;
                std::string header;
                const auto rows = ParseRows(r.out, &header);
                EXPECT_EQ(header, "frequency\te'\te''\tsensitivity");
                ASSERT_EQ(rows.size(), 201u) << cal << " " << sample.name;
                EXPECT_DOUBLE_EQ(rows.front().frequency, 2e8);
                EXPECT_DOUBLE_EQ(rows.back().frequency, 2e10);
                const double worst = LargestError(rows, sample.material);
                EXPECT_LT(worst, 1e-3) << cal << " " << sample.name << (log ? " log" : " linear");
                worstByCalibration[cal] = std::max(worstByCalibration[cal], worst);
                EXPECT_EQ(r.err.find("The setup has been changed"), std::string::npos) << r.err;
            }
        }
    }
    for (const auto& [cal, worst] : worstByCalibration) {
        std::printf("largest relative error, %s: %.3g\n", cal.c_str(), worst);
    }
}

TEST(Cli, ResultLinesKeepTheDataFileLayout) {
    CliFolder folder;
    const CliResult r =
        folder.Run({"measure", "--yes", "--points", "11", "--start", "1GHz", "--stop", "2GHz"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream in(r.out);
    std::string line;
    std::getline(in, line);
    std::getline(in, line);
    // "%15.4f\t%9.4f\t%9.4f\t%15.4f": the frequency is 15 characters wide with 4 decimals.
    EXPECT_EQ(line.substr(0, 16), "1000000000.0000\t");
    EXPECT_EQ(line.size(), 15u + 1 + 9 + 1 + 9 + 1 + 15);
}

TEST(Cli, LogSweepOf51PointsIsReadBackWithoutAMessage) {
    CliFolder folder;
    const CliResult r = folder.Run(
        {"measure", "--yes", "--start", "200MHz", "--stop", "20GHz", "--points", "51", "--log"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = ParseRows(r.out);
    ASSERT_EQ(rows.size(), 51u);
    // Ten segments of five points; each segment starts at 200 MHz x 10^(0.2 s).
    for (int s = 0; s < 10; ++s) {
        EXPECT_NEAR(rows[static_cast<std::size_t>(5 * s)].frequency, 2e8 * std::pow(10.0, 0.2 * s),
                    1e-3);
    }
    EXPECT_EQ(r.err.find("The setup has been changed"), std::string::npos) << r.err;
}

TEST(Cli, ASweepBeyondTheAnalyzerIsRefused) {
    CliFolder folder;
    CliResult r = folder.Run({"measure", "--yes", "--start", "10MHz"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(
        r.err.find("Frequency out of range: The start frequency must be greater than 45. MHz"),
        std::string::npos)
        << r.err;
    r = folder.Run({"measure", "--yes", "--stop", "26.5GHz"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Frequency out of range: The stop frequency must be less than 20. GHz"),
              std::string::npos)
        << r.err;
    r = folder.Run({"measure", "--yes", "--points", "2000"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Frequency out of range: The number of points must be less than 1601"),
              std::string::npos)
        << r.err;
}

TEST(Cli, AnAnalyzerThatChangesThePointCountIsReported) {
    CliFolder folder;
    folder.WriteIni("[analyzer]\nreport_points=201\n");
    const CliResult r = folder.Run({"measure", "--yes", "--points", "200"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(": The setup has been changed by the instrument."), std::string::npos)
        << r.err;
    EXPECT_EQ(ParseRows(r.out).size(), 201u);
}

TEST(Cli, ExternalTrigger) {
    CliFolder folder;
    CliResult r = folder.Run({"measure", "--yes", "--trigger", "--points", "21"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("External Trigger: Waiting for external trigger."), std::string::npos)
        << r.err;
    EXPECT_LT(LargestError(ParseRows(r.out), kSamples[0].material), 1e-3);

    folder.WriteIni("[analyzer]\nexternal_trigger=false\n");
    r = folder.Run({"measure", "--yes", "--trigger", "--points", "21"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(
        r.err.find("External Trigger: The selected instrument does not support this function."),
        std::string::npos)
        << r.err;
    EXPECT_EQ(r.out, "");
}

TEST(Cli, AnAnalyzerThatDoesNotAnswerOrFailsItsPresetEndsTheRun) {
    const struct {
        const char* ini;
        const char* reason;
    } cases[] = {
        {"[analyzer]\nfail_check=true\n", "no instrument answered at these addresses."},
        {"[analyzer]\nfail_preset=true\nerror_text=\"Preset refused, -113\"\n",
         "Preset refused, -113"},
    };
    for (const auto& c : cases) {
        CliFolder folder;
        folder.WriteIni(c.ini);
        const CliResult r = folder.Run({"measure", "--yes"});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(std::string("IEEE 488 Interface: The selected instrument could not "
                                         "be initialized\nDemo analyzer on Simulated GPIB card, "
                                         "card address \"7\", instrument address \"16\": ") +
                             c.reason + "\n"),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(r.out, "");
    }
}

TEST(Cli, ASetupFileKeepsTheCalibrationForTheSameAnalyzer) {
    CliFolder folder;
    const CliResult first = folder.Run({"measure", "--yes", "--points", "41", "--save", "run.tst",
                                        "--out", "run.prn", "--sensitivity"});
    ASSERT_EQ(first.status, 0) << first.err;
    ASSERT_TRUE(folder.Exists("run.tst"));
    EXPECT_EQ(folder.Read("run.tst").substr(0, 14), std::string("QVR47310C1.02\0", 14));
    // The default fonts are in the file: the stock font (height 16, width 7, weight 700) with the
    // face "Time New Roman", for the subtitle, scale labels, parameter label, table and the four
    // traces.
    std::string stock("\x10\0\0\0\x07\0\0\0\0\0\0\0\0\0\0\0\xbc\x02\0\0", 20);
    stock.append(8, '\0');
    stock += "Time New Roman";
    stock.append(32 - 14, '\0');
    ASSERT_EQ(stock.size(), 60u);
    const std::string image = folder.Read("run.tst");
    int copies = 0;
    for (std::size_t at = image.find(stock); at != std::string::npos;
         at = image.find(stock, at + 1)) {
        ++copies;
    }
    EXPECT_EQ(copies, 8);

    // The data file holds what the run printed.
    const std::string prn = folder.Read("run.prn");
    EXPECT_EQ(prn, first.out);

    const CliResult again = folder.Run({"measure", "--yes", "--setup", "run.tst"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.err.find("Using the calibration of the setup file."), std::string::npos)
        << again.err;
    EXPECT_EQ(again.err.find("Leave the probe open in air."), std::string::npos) << again.err;
    EXPECT_EQ(again.err.find("Opening Setup File"), std::string::npos) << again.err;
    EXPECT_EQ(again.out, first.out);
}

TEST(Cli, ASetupFileFromAnotherAnalyzerLosesItsCalibration) {
    CliFolder folder;
    ASSERT_EQ(folder.Run({"measure", "--yes", "--points", "21", "--save", "run.tst"}).status, 0);
    folder.WriteIni("[analyzer]\nidentification=Other Network Analyzer\n");
    const CliResult r = folder.Run({"measure", "--yes", "--setup", "run.tst"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Reading Setup file: This setup file was not created by the currently "
                         "selected instrument, 'Other Network Analyzer'. It was created by 'Demo "
                         "Network Analyzer 47310'."),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("Opening Setup File: The calibration belongs to Demo Network Analyzer "
                         "47310."),
              std::string::npos)
        << r.err;
    // So the probe is calibrated again before the measurement.
    EXPECT_NE(r.err.find("Leave the probe open in air."), std::string::npos) << r.err;
    EXPECT_EQ(ParseRows(r.out).size(), 21u);
}

// A data file that cannot be written ends the run as failed, after the table was printed.
TEST(Cli, ADataFileThatCannotBeWrittenFailsTheRun) {
    CliFolder folder;
    const std::string path = folder.Path("no-such-folder/run.prn");
    const CliResult r = folder.Run({"measure", "--yes", "--points", "11", "--out", path});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Save data: An unexpected error occurred while writing " + path +
                         ".\nkv47310-cli: the data file was not written\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(ParseRows(r.out).size(), 11u);
}

TEST(Cli, ADamagedSetupFileEndsTheRunWithAClearMessage) {
    CliFolder folder;
    ASSERT_EQ(folder.Run({"measure", "--yes", "--points", "21", "--save", "run.tst"}).status, 0);
    const std::string image = folder.Read("run.tst");
    folder.Write("short.tst", image.substr(0, image.size() / 2));
    const CliResult r = folder.Run({"measure", "--yes", "--setup", "short.tst"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(
        r.err.find("Reading Setup file: An unexpected error occurred while reading short.tst."),
        std::string::npos)
        << r.err;
    EXPECT_EQ(r.out, "");
}

// The chart into an SVG file and the table into a PDF of the pages printing gives; a file type
// the program cannot write is a mistake on the command line, found before anything is measured.
TEST(Cli, ChartAndTableGoIntoSvgAndPdf) {
    CliFolder folder;
    const CliResult bad = folder.Run({"measure", "--yes", "--chart", "c.svg", "--table", "t.bmp"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(
        bad.err.find("--table t.bmp: Unsupported file type: choose a .png, .svg or .pdf file."),
        std::string::npos)
        << bad.err;
    EXPECT_EQ(bad.err.find("Connected"), std::string::npos) << bad.err;
    EXPECT_FALSE(folder.Exists("c.svg"));

    const CliResult r =
        folder.Run({"measure", "--yes", "--points", "401", "--chart", "c.svg", "--table", "t.pdf"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string svg = folder.Read("c.svg");
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u) << svg.substr(0, 100);
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    const std::string pdf = folder.Read("t.pdf");
    ASSERT_EQ(pdf.rfind("%PDF-", 0), 0u) << pdf.substr(0, 100);

    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (pdfinfo.isEmpty()) {
        std::printf("pdfinfo is not installed: the page count of the table's PDF is not checked\n");
        return;
    }
    QProcess info;
    info.start(pdfinfo, {QString::fromStdString(folder.Path("t.pdf"))});
    ASSERT_TRUE(info.waitForFinished(60000));
    const QString text = QString::fromLocal8Bit(info.readAllStandardOutput());
    const auto pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(text);
    ASSERT_TRUE(pages.hasMatch()) << text.toStdString();

    // The same table in a document of this process: its sweep and its Data trace, the default
    // header lines and fonts, printed from the terminal front end's screen of 1024 x 768.
    static int argc = 1;
    static char name[] = "test_e2e";
    static char* argv[] = {name, nullptr};
    if (QGuiApplication::instance() == nullptr) {
        new QGuiApplication(argc, argv);  // lives as long as the test program
    }
    const auto rows = ParseRows(r.out);
    ASSERT_EQ(rows.size(), 401u);
    ViewDoc v;
    std::vector<double> f;
    std::vector<CComplex> e;
    for (const auto& row : rows) {
        f.push_back(row.frequency);
        e.push_back({row.e1, row.e2});
    }
    v.Sweep(f);
    v.Fill(0, e);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter a4(&buffer);
    a4.setResolution(1200);
    a4.setPageSize(QPageSize(QPageSize::A4));
    const int expected = TablePageCount(v.doc, {a4.width(), a4.height()}, {1024, 768});
    EXPECT_GT(expected, 1);
    EXPECT_EQ(pages.captured(1).toInt(), expected);
}

}  // namespace
}  // namespace kv::test
