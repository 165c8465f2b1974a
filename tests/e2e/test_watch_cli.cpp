// kv47310-cli watch against the Demo analyzer: the records of a series in HDF5 and CSV, read while
// the series runs and after it, after a SIGKILL at random moments, and the refusals and failures
// that stop a series.

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <random>
#include <regex>
#include <thread>

#include "CliRun.h"
#include "persist/SeriesRecorder.h"
#include "support/SeriesFileReader.h"

namespace kv::test {
namespace {

// The Demo analyzer's sweep for these runs: 51 points.
constexpr std::size_t kPoints = 51;

SeriesFileContent ReadSeries(const std::string& path) {
    return path.size() > 3 && path.compare(path.size() - 3, 3, ".h5") == 0
               ? ReadSeriesH5(path)
               : ReadSeriesCsv(path, kPoints);
}

std::vector<std::string> WatchArgs(const std::string& record, std::vector<std::string> timing) {
    std::vector<std::string> args = {"watch", "--yes", "--instrument", "Demo", "--points", "51"};
    args.insert(args.end(), timing.begin(), timing.end());
    args.insert(args.end(), {"--record", record});
    return args;
}

// The number of "record N at T s" lines, checking that N counts up from 1.
int ProgressLines(const std::string& err) {
    static const std::regex line(R"(record (\d+) at \d+\.\d{3} s)");
    int count = 0;
    for (auto it = std::sregex_iterator(err.begin(), err.end(), line); it != std::sregex_iterator();
         ++it) {
        EXPECT_EQ(std::stoi((*it)[1]), count + 1);
        ++count;
    }
    return count;
}

// Every record of `c`: its index in order, its times increasing, its rows whole and computed.
void ExpectWholeRecords(const SeriesFileContent& c) {
    ASSERT_EQ(c.error, "");
    ASSERT_EQ(c.frequency.size(), kPoints);
    for (std::size_t i = 0; i < c.time.size(); ++i) {
        EXPECT_EQ(c.index[i], static_cast<std::int64_t>(i));
        if (i > 0) {
            EXPECT_GT(c.time[i], c.time[i - 1]);
        }
        ASSERT_EQ(c.e1[i].size(), kPoints);
        // Methanol: e' between its high-frequency and static values at every point.
        for (std::size_t k = 0; k < kPoints; ++k) {
            EXPECT_GT(c.e1[i][k], 5.0);
            EXPECT_LT(c.e1[i][k], 33.0);
        }
        EXPECT_TRUE(std::regex_match(c.timeUtc[i],
                                     std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)")));
    }
}

TEST(WatchCli, TwentyRecordsReadableWhileTheSeriesRunsAndAfter) {
    for (const std::string name : {"s.h5", "s.csv"}) {
        SCOPED_TRACE(name);
        CliFolder folder;
        const std::string path = folder.Path(name);
        QProcess p;
        // The CSV run records the uncertainty too.
        std::vector<std::string> args = {"--every", "0.2", "--count", "20"};
        if (name == "s.csv") {
            args.push_back("--uncertainty");
        }
        folder.Start(p, WatchArgs(path, args));
        // Read while it runs: every read succeeds and finds whole records only.
        std::size_t seenWhileRunning = 0;
        while (!p.waitForFinished(150)) {
            if (!folder.Exists(name)) {
                continue;
            }
            const SeriesFileContent now = ReadSeries(path);
            ASSERT_EQ(now.error, "");
            EXPECT_EQ(now.partialRecords, 0);
            seenWhileRunning = std::max(seenWhileRunning, now.time.size());
        }
        ASSERT_EQ(p.exitStatus(), QProcess::NormalExit);
        ASSERT_EQ(p.exitCode(), 0);
        EXPECT_EQ(ProgressLines(p.readAllStandardError().toStdString()), 20);
        EXPECT_GT(seenWhileRunning, 0u);
        const SeriesFileContent c = ReadSeries(path);
        EXPECT_EQ(c.time.size(), 20u);
        ExpectWholeRecords(c);
        if (name == "s.csv") {
            EXPECT_EQ(c.header, "index,time_utc,time,frequency,e1,e2,sensitivity,u_e1,u_e2");
        } else {
            EXPECT_EQ(c.attributes.at("analyzer"), "Demo Network Analyzer 47310");
            EXPECT_EQ(c.attributes.at("probe"),
                      "KV47310B/C, frequency scale 1, coefficient scale 1");
        }
    }
}

// A SIGKILL at 10 random moments (5 per format; more would only lengthen the suite): the file
// reads without error and holds every record whose progress line was printed, and at most one
// more, each whole.
TEST(WatchCli, AKilledSeriesLeavesEveryPrintedRecordAndAtMostOneMore) {
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<int> delayMs(0, 400);
    for (int run = 0; run < 10; ++run) {
        const std::string name = run % 2 == 0 ? "k.h5" : "k.csv";
        const int delay = delayMs(random);
        SCOPED_TRACE(name + " killed " + std::to_string(delay) + " ms after the first record");
        CliFolder folder;
        QProcess p;
        folder.Start(p, WatchArgs(folder.Path(name), {"--back-to-back", "--count", "1000000"}));
        std::string err;
        while (err.find("record 1 at") == std::string::npos && p.state() == QProcess::Running) {
            p.waitForReadyRead(100);
            err += p.readAllStandardError().toStdString();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
        p.waitForFinished();
        err += p.readAllStandardError().toStdString();
        ASSERT_EQ(p.exitStatus(), QProcess::CrashExit) << err;
        const int printed = ProgressLines(err);
        const SeriesFileContent c = ReadSeries(folder.Path(name));
        ExpectWholeRecords(c);
        EXPECT_GE(static_cast<int>(c.time.size()), printed);
        EXPECT_LE(static_cast<int>(c.time.size()), printed + 1);
    }
}

// SIGTERM ends the series after the record in progress: status 0, the file whole.
TEST(WatchCli, SigtermEndsTheSeriesNormally) {
    CliFolder folder;
    QProcess p;
    folder.Start(p, WatchArgs(folder.Path("t.h5"), {"--every", "0.05", "--for", "10min"}));
    std::string err;
    while (err.find("record 3 at") == std::string::npos && p.state() == QProcess::Running) {
        p.waitForReadyRead(100);
        err += p.readAllStandardError().toStdString();
    }
    ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    const CliResult r = CliFolder::Finish(p);
    EXPECT_EQ(r.status, 0) << r.err;
    const SeriesFileContent c = ReadSeriesH5(folder.Path("t.h5"));
    ExpectWholeRecords(c);
    EXPECT_EQ(static_cast<int>(c.time.size()), ProgressLines(err + r.err));
}

TEST(WatchCli, MistakesAndAnExistingFileAreRefusedWithStatus2) {
    CliFolder folder;
    folder.Write("old.csv", "kept\n");
    const std::string old = folder.Path("old.csv");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {WatchArgs(old, {"--every", "1", "--count", "2"}),
         "kv47310-cli: " + old + " exists; a series is never recorded over a file\n"},
        {{"watch", "--every", "1", "--count", "2"}, "watch needs --record FILE.h5 or FILE.csv"},
        {WatchArgs("a.h5", {"--every", "1", "--back-to-back", "--count", "2"}),
         "watch needs either --every SECONDS or --back-to-back"},
        {WatchArgs("a.h5", {"--every", "1"}), "watch needs either --count N or --for DURATION"},
        {WatchArgs("a.h5", {"--every", "0", "--count", "2"}),
         "--every: expected a number of seconds above 0, not 0"},
        {WatchArgs("a.h5", {"--every", "1", "--for", "10m"}),
         "--for: expected a duration such as 90, 90s, 10min or 2h, not 10m"},
        {WatchArgs("a.txt", {"--every", "1", "--count", "2"}),
         "--record: a series is recorded to FILE.h5 or FILE.csv, not a.txt"},
        {{"measure", "--record", "a.h5"}, "--record is an option of watch only"},
        {WatchArgs("a.h5", {"--back-to-back", "--count", "2", "--out", "a.prn"}),
         "--out is not an option of watch"},
    };
    for (const auto& [args, message] : cases) {
        const CliResult r = folder.Run(args);
        EXPECT_EQ(r.status, 2) << message;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
    EXPECT_EQ(folder.Read("old.csv"), "kept\n");
    EXPECT_FALSE(folder.Exists("a.h5"));
}

// A write the file system refuses (a file size limit; SIGXFSZ ignored, so the write fails with
// EFBIG) stops the series with the reason and status 1; the file holds whole records only.
TEST(WatchCli, AFailingWriteStopsTheSeriesWithItsReason) {
    CliFolder folder;
    const std::string path = folder.Path("f.csv");
    std::string command = "trap '' XFSZ; ulimit -f 20; exec '" + std::string(KV_CLI_PATH) + "'";
    for (const std::string& a : WatchArgs(path, {"--back-to-back", "--count", "50"})) {
        command += " '" + a + "'";
    }
    QProcess p;
    p.setWorkingDirectory(QString::fromStdString(folder.Path("")));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(folder.Path("config")));
    env.insert("XDG_DATA_HOME", QString::fromStdString(folder.Path("data")));
    p.setProcessEnvironment(env);
    p.start("/bin/sh", {"-c", QString::fromStdString(command)});
    const CliResult r = CliFolder::Finish(p);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("Measure Continuously: The series' file " + path +
                         " could not be written: File too large."),
              std::string::npos)
        << r.err;
    const SeriesFileContent c = ReadSeriesCsv(path, kPoints);
    ExpectWholeRecords(c);
    EXPECT_EQ(c.partialRecords, 0);
    EXPECT_EQ(static_cast<int>(c.time.size()), ProgressLines(r.err));
    EXPECT_LT(c.time.size(), 50u);
}

// A sample that changes with time: e' at the lowest frequency falls from record to record.
TEST(WatchCli, TheDemoSampleChangingWithTimeShowsATrend) {
    CliFolder folder;
    folder.WriteIni("[sample]\neo_per_minute=-60\ntau_per_minute=1e-11\n");
    const CliResult r =
        folder.Run(WatchArgs(folder.Path("d.csv"), {"--every", "0.2", "--count", "4"}));
    ASSERT_EQ(r.status, 0) << r.err;
    const SeriesFileContent c = ReadSeriesCsv(folder.Path("d.csv"), kPoints);
    ASSERT_EQ(c.e1.size(), 4u);
    for (std::size_t i = 1; i < c.e1.size(); ++i) {
        EXPECT_LT(c.e1[i][0], c.e1[i - 1][0]);
    }
}

}  // namespace
}  // namespace kv::test
