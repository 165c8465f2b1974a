// The files of a series: the exact CSV text, the HDF5 layout read back through the C library while
// the writer holds the file, an existing file refused, and the free-space stop.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "persist/SeriesRecorder.h"
#include "support/SeriesFileReader.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

struct Folder {
    fs::path path = fs::temp_directory_path() / ("kv-series-" + std::to_string(::getpid()));
    Folder() {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~Folder() { fs::remove_all(path); }
    std::string File(const std::string& name) const { return (path / name).string(); }
};

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

SeriesHeader TwoPointHeader(bool uncertainty) {
    return {"Curing run", "Fictional VNA 9 (made up)",
            "KV47310B/C", "2026-01-02T03:04:05Z",
            {1e9, 2.5e9}, uncertainty};
}

MeasurementResult Result(double shift, bool uncertainty) {
    MeasurementResult r;
    r.frequencies = {1e9, 2.5e9};
    r.permittivity = {{10.5 + shift, 2.25}, {9999.0, 9999.0}};
    r.sensitivity = {0.125, 9999.0};
    if (uncertainty) {
        r.uncertaintyE1 = {0.5, 9999.0};
        r.uncertaintyE2 = {0.0625, 9999.0};
    }
    return r;
}

TEST(SeriesRecorder, CsvRowsPerPointAndRecordExactly) {
    Folder folder;
    for (const bool withU : {false, true}) {
        const std::string path = folder.File(withU ? "u.csv" : "s.csv");
        std::string error;
        auto recorder = MakeSeriesRecorder(path, error);
        ASSERT_TRUE(recorder) << error;
        ASSERT_EQ(recorder->Create(path, TwoPointHeader(withU)), "");
        const MeasurementResult first = Result(0.0, withU);
        const MeasurementResult second = Result(1.0, withU);
        ASSERT_EQ(recorder->Append({0, "2026-01-02T03:04:05.000Z", 0.0, &first}), "");
        ASSERT_EQ(recorder->Append({1, "2026-01-02T03:04:06.250Z", 1.25, &second}), "");
        // A record of another number of points is refused, and nothing of it written.
        MeasurementResult three = second;
        three.permittivity.push_back({1.0, 1.0});
        three.sensitivity.push_back(1.0);
        EXPECT_EQ(recorder->Append({2, "2026-01-02T03:04:07.000Z", 2.0, &three}),
                  "The series' file " + path + " takes records of 2 points only.");
        ASSERT_EQ(recorder->Close(), "");
        const std::string u1 = withU ? ",0.5,0.0625" : "", u2 = withU ? ",9999,9999" : "";
        EXPECT_EQ(ReadText(path),
                  std::string("index,time_utc,time,frequency,e1,e2,sensitivity") +
                      (withU ? ",u_e1,u_e2" : "") + "\n" +
                      "0,2026-01-02T03:04:05.000Z,0.000000,1000000000,10.5,2.25,0.125" + u1 +
                      "\n0,2026-01-02T03:04:05.000Z,0.000000,2500000000,9999,9999,9999" + u2 +
                      "\n1,2026-01-02T03:04:06.250Z,1.250000,1000000000,11.5,2.25,0.125" + u1 +
                      "\n1,2026-01-02T03:04:06.250Z,1.250000,2500000000,9999,9999,9999" + u2 +
                      "\n");
    }
}

TEST(SeriesRecorder, Hdf5DatasetsAndAttributesReadableWhileWritten) {
    Folder folder;
    const std::string path = folder.File("s.h5");
    std::string error;
    auto recorder = MakeSeriesRecorder(path, error);
    ASSERT_TRUE(recorder) << error;
    ASSERT_EQ(recorder->Create(path, TwoPointHeader(true)), "");
    const MeasurementResult first = Result(0.0, true);
    const MeasurementResult second = Result(1.0, true);
    ASSERT_EQ(recorder->Append({0, "2026-01-02T03:04:05.000Z", 0.0, &first}), "");
    // A reader opens the file while the writer has it open, and finds the finished record.
    test::SeriesFileContent c = test::ReadSeriesH5(path);
    ASSERT_EQ(c.error, "");
    EXPECT_EQ(c.time.size(), 1u);
    ASSERT_EQ(recorder->Append({1, "2026-01-02T03:04:06.250Z", 1.25, &second}), "");
    c = test::ReadSeriesH5(path);
    EXPECT_EQ(c.time, (std::vector<double>{0.0, 1.25}));
    ASSERT_EQ(recorder->Close(), "");

    c = test::ReadSeriesH5(path);
    ASSERT_EQ(c.error, "");
    EXPECT_EQ(c.frequency, (std::vector<double>{1e9, 2.5e9}));
    EXPECT_EQ(c.index, (std::vector<std::int64_t>{0, 1}));
    EXPECT_EQ(c.timeUtc,
              (std::vector<std::string>{"2026-01-02T03:04:05.000Z", "2026-01-02T03:04:06.250Z"}));
    EXPECT_EQ(c.e1, (std::vector<std::vector<double>>{{10.5, 9999.0}, {11.5, 9999.0}}));
    EXPECT_EQ(c.e2, (std::vector<std::vector<double>>{{2.25, 9999.0}, {2.25, 9999.0}}));
    EXPECT_EQ(c.sensitivity, (std::vector<std::vector<double>>{{0.125, 9999.0}, {0.125, 9999.0}}));
    EXPECT_EQ(c.attributes,
              (std::map<std::string, std::string>{{"title", "Curing run"},
                                                  {"analyzer", "Fictional VNA 9 (made up)"},
                                                  {"probe", "KV47310B/C"},
                                                  {"calibration_time", "2026-01-02T03:04:05Z"}}));
    // The uncertainty datasets, and the file's format: the latest, which readers need for SWMR.
    const hid_t file = H5Fopen(path.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
    ASSERT_GE(file, 0);
    for (const char* name : {"u_e1", "u_e2"}) {
        const hid_t d = H5Dopen2(file, name, H5P_DEFAULT);
        std::vector<double> values(4);
        EXPECT_GE(H5Dread(d, H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data()), 0);
        EXPECT_EQ(values[0], name == std::string("u_e1") ? 0.5 : 0.0625);
        EXPECT_EQ(values[3], 9999.0);
        H5Dclose(d);
    }
    H5F_info2_t info{};
    ASSERT_GE(H5Fget_info2(file, &info), 0);
    EXPECT_GE(info.super.version, 3u);
    H5Fclose(file);
}

TEST(SeriesRecorder, AnExistingFileIsNeverReplacedAndOtherExtensionsAreRefused) {
    Folder folder;
    for (const std::string name : {"old.h5", "old.CSV"}) {
        const std::string path = folder.File(name);
        std::ofstream(path) << "kept";
        std::string error;
        auto recorder = MakeSeriesRecorder(path, error);
        ASSERT_TRUE(recorder);
        EXPECT_EQ(recorder->Create(path, TwoPointHeader(false)),
                  path + " exists; a series is never recorded over a file.");
        recorder.reset();
        EXPECT_EQ(ReadText(path), "kept");
    }
    std::string error;
    EXPECT_FALSE(MakeSeriesRecorder("run.prn", error));
    EXPECT_EQ(error, "A series is recorded to an .h5 or a .csv file, not to run.prn.");
}

// Less than two records and 1 MiB free: the record is refused and nothing of it is written.
TEST(SeriesRecorder, TooLittleFreeSpaceStopsBeforeTheRecord) {
    Folder folder;
    for (const std::string name : {"f.h5", "f.csv"}) {
        const std::string path = folder.File(name);
        std::string error;
        auto recorder = MakeSeriesRecorder(path, error);
        ASSERT_EQ(recorder->Create(path, TwoPointHeader(false)), "");
        const MeasurementResult r = Result(0.0, false);
        std::uint64_t free = 0;
        recorder->freeSpace = [&free](const std::string&) { return free; };
        free = 2 * recorder->RecordBytes() + kSeriesSpareBytes;
        ASSERT_EQ(recorder->Append({0, "2026-01-02T03:04:05.000Z", 0.0, &r}), "");
        free = 2 * recorder->RecordBytes() + kSeriesSpareBytes - 1;
        EXPECT_EQ(recorder->Append({1, "2026-01-02T03:04:06.000Z", 1.0, &r}),
                  "Only 1.0 MiB are free where " + path +
                      " is written: the series stops before the disk is full.");
        ASSERT_EQ(recorder->Close(), "");
        const test::SeriesFileContent c =
            name == "f.h5" ? test::ReadSeriesH5(path) : test::ReadSeriesCsv(path, 2);
        EXPECT_EQ(c.error, "");
        EXPECT_EQ(c.time.size(), 1u);
    }
}

TEST(SeriesRecorder, UtcTimeTextRoundsToMilliseconds) {
    EXPECT_EQ(UtcTimeText(0.0), "1970-01-01T00:00:00.000Z");
    EXPECT_EQ(UtcTimeText(0.9996), "1970-01-01T00:00:01.000Z");
    // 2026-01-02 03:04:05 UTC = 20455 days and 11045 s after the epoch.
    EXPECT_EQ(UtcTimeText(20455.0 * 86400 + 11045 + 0.25), "2026-01-02T03:04:05.250Z");
}

}  // namespace
}  // namespace kv
