#pragma once

// The file of a series of measurements: one record per measurement (its index, the sweep's start
// as UTC text and as seconds since the series began, and per point e', e'', the sensitivity and,
// when the series has them, u(e') and u(e'')), appended as the series goes on. Two formats, by
// the file's extension:
//  - .h5: HDF5 written for single-writer/multiple-reader access: readers may open the file while
//    the series runs. Datasets /frequency (n), /index, /time, /time_utc (m), /e1, /e2,
//    /sensitivity (and /u_e1, /u_e2) (m x n), growing along m; /time is extended last, so its
//    length counts the finished records.
//  - .csv: a header line, then one row per point and record.
// A file that exists is never replaced. The data reach the disk at least once a second and at the
// end; a record is refused, and nothing written, when less than two records and 1 MiB would
// remain free.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "probe/MeasurementResult.h"

namespace kv {

inline constexpr const char* kSeriesCsvHeader = "index,time_utc,time,frequency,e1,e2,sensitivity";
inline constexpr const char* kSeriesCsvUncertaintyColumns = ",u_e1,u_e2";
// The file dialog's filter and default extension of a series' file.
inline constexpr const char* kSeriesFileFilter =
    "HDF5 Files (*.h5)|*.h5|CSV Files (*.csv)|*.csv|All Files (*.*)|*.*||";
inline constexpr const char* kSeriesFileExtension = "h5";
// Kept free besides two records.
inline constexpr std::uint64_t kSeriesSpareBytes = 1024 * 1024;
// Fixed-length text of /time_utc: "2026-12-08T22:40:07.123Z" and its terminator.
inline constexpr std::size_t kSeriesTimeTextLength = 32;

// What the whole file says once: the setup's title, the analyzer, the probe, when the
// calibration was made, and the frequencies of every record.
struct SeriesHeader {
    std::string title;
    std::string analyzer;
    std::string probe;
    std::string calibrationTime;
    std::vector<double> frequencies;
    // The records carry u(e') and u(e'').
    bool uncertainty = false;
};

struct SeriesRecord {
    int index = 0;
    std::string timeUtc;  // ISO 8601 with milliseconds, "Z"
    double seconds = 0.0;
    const MeasurementResult* result = nullptr;
};

enum class SeriesFormat { Hdf5, Csv };
// The format of a path by its extension (.h5 or .csv, any case); nothing for another one.
std::optional<SeriesFormat> SeriesFormatOf(const std::string& path);

class SeriesRecorder {
public:
    virtual ~SeriesRecorder() = default;
    // Creates the file (refused when it exists) and writes what precedes the records. An empty
    // text on success, else what went wrong.
    virtual std::string Create(const std::string& path, const SeriesHeader& header) = 0;
    // Appends a record whose result has the header's points; an empty text on success. After a
    // failure the file holds the records before it and is readable; nothing more is written.
    std::string Append(const SeriesRecord& record);
    // Brings everything to the disk and closes the file; an empty text on success.
    virtual std::string Close() = 0;
    // The bytes free where the file is (statvfs); replaced by tests.
    std::function<std::optional<std::uint64_t>(const std::string& path)> freeSpace;
    // The bytes one record takes in the file, about.
    virtual std::uint64_t RecordBytes() const = 0;

protected:
    virtual std::string Write(const SeriesRecord& record) = 0;
    // Brings what was written to the disk (fdatasync).
    virtual std::string Sync() = 0;
    std::string path_;
    double lastSync_ = 0.0;  // monotonic seconds
    bool failed_ = false;
};

// A recorder for the path's format; null (with the reason) for another extension.
std::unique_ptr<SeriesRecorder> MakeSeriesRecorder(const std::string& path, std::string& error);

// The free bytes of the file system that holds `path` (or its folder); nothing when unknown.
std::optional<std::uint64_t> FreeBytesAt(const std::string& path);

// "2026-12-08T22:40:07.123Z" for a time since the epoch in seconds.
std::string UtcTimeText(double secondsSinceEpoch);

}  // namespace kv
