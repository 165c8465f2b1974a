#include "persist/SeriesRecorder.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <hdf5.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace kv {

namespace {

double MonotonicSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string SystemError(const std::string& path, int error) {
    return "The series' file " + path + " could not be written: " + std::strerror(error) + ".";
}

std::string MiB(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

// Writes all of `text` (a write cut short by a signal goes on).
bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// ------------------------------------------------------------------------------------ CSV

class CsvRecorder final : public SeriesRecorder {
public:
    ~CsvRecorder() override { Close(); }

    std::string Create(const std::string& path, const SeriesHeader& header) override {
        path_ = path;
        n_ = header.frequencies.size();
        frequencies_ = header.frequencies;
        uncertainty_ = header.uncertainty;
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd_ < 0) {
            return errno == EEXIST ? path + " exists; a series is never recorded over a file."
                                   : SystemError(path, errno);
        }
        std::string line = kSeriesCsvHeader;
        if (uncertainty_) {
            line += kSeriesCsvUncertaintyColumns;
        }
        line += '\n';
        if (!WriteAll(fd_, line.data(), line.size())) {
            return Fail(errno);
        }
        size_ = line.size();
        lastSync_ = MonotonicSeconds();
        return {};
    }

    std::string Close() override {
        if (fd_ < 0) {
            return {};
        }
        std::string error;
        if (!failed_ && ::fdatasync(fd_) != 0) {
            error = SystemError(path_, errno);
        }
        if (::close(fd_) != 0 && error.empty() && !failed_) {
            error = SystemError(path_, errno);
        }
        fd_ = -1;
        return error;
    }

    std::uint64_t RecordBytes() const override {
        return lastRecordBytes_ > 0 ? lastRecordBytes_ : n_ * (uncertainty_ ? 160 : 120);
    }

protected:
    std::string Write(const SeriesRecord& record) override {
        const MeasurementResult& r = *record.result;
        if (r.permittivity.size() != n_ || r.sensitivity.size() != n_) {
            failed_ = true;
            return "The series' file " + path_ + " takes records of " + std::to_string(n_) +
                   " points only.";
        }
        text_.clear();
        char prefix[96];
        std::snprintf(prefix, sizeof prefix, "%d,%s,%.6f,", record.index, record.timeUtc.c_str(),
                      record.seconds);
        const bool withU =
            uncertainty_ && r.uncertaintyE1.size() >= n_ && r.uncertaintyE2.size() >= n_;
        for (std::size_t i = 0; i < n_; ++i) {
            char row[192];
            const int used =
                std::snprintf(row, sizeof row, "%.10g,%.10g,%.10g,%.10g", frequencies_[i],
                              r.permittivity[i].re, r.permittivity[i].im, r.sensitivity[i]);
            text_ += prefix;
            text_.append(row, static_cast<std::size_t>(used));
            if (uncertainty_) {
                const int u = std::snprintf(row, sizeof row, ",%.10g,%.10g",
                                            withU ? r.uncertaintyE1[i] : 9999.0,
                                            withU ? r.uncertaintyE2[i] : 9999.0);
                text_.append(row, static_cast<std::size_t>(u));
            }
            text_ += '\n';
        }
        // One write: a record is all there or, when the write fails, taken back.
        if (!WriteAll(fd_, text_.data(), text_.size())) {
            const int error = errno;
            if (::ftruncate(fd_, static_cast<off_t>(size_)) == 0) {
                ::fdatasync(fd_);
            }
            return Fail(error);
        }
        size_ += text_.size();
        lastRecordBytes_ = text_.size();
        return {};
    }

    std::string Sync() override {
        if (::fdatasync(fd_) != 0) {
            return Fail(errno);
        }
        return {};
    }

private:
    std::string Fail(int error) {
        failed_ = true;
        return SystemError(path_, error);
    }

    int fd_ = -1;
    std::size_t n_ = 0;
    std::vector<double> frequencies_;
    bool uncertainty_ = false;
    std::uint64_t size_ = 0;
    std::uint64_t lastRecordBytes_ = 0;
    std::string text_;
};

// ------------------------------------------------------------------------------------ HDF5

// Closes an HDF5 identifier with its own close function.
class Hid {
public:
    Hid() = default;
    Hid(hid_t id, herr_t (*close)(hid_t)) : id_(id), close_(close) {}
    ~Hid() { Reset(); }
    Hid(const Hid&) = delete;
    Hid& operator=(const Hid&) = delete;
    Hid(Hid&& other) noexcept : id_(other.id_), close_(other.close_) { other.id_ = -1; }
    Hid& operator=(Hid&& other) noexcept {
        if (this != &other) {
            Reset();
            id_ = other.id_;
            close_ = other.close_;
            other.id_ = -1;
        }
        return *this;
    }
    void Reset() {
        if (id_ >= 0 && close_ != nullptr) {
            close_(id_);
        }
        id_ = -1;
    }
    hid_t get() const { return id_; }
    hid_t Release() {
        const hid_t id = id_;
        id_ = -1;
        return id;
    }
    bool ok() const { return id_ >= 0; }

private:
    hid_t id_ = -1;
    herr_t (*close_)(hid_t) = nullptr;
};

// Fixed-length text of `length` bytes with its terminator.
Hid TextType(std::size_t length, H5T_cset_t cset) {
    Hid type(H5Tcopy(H5T_C_S1), H5Tclose);
    if (type.ok()) {
        H5Tset_size(type.get(), length);
        H5Tset_strpad(type.get(), H5T_STR_NULLTERM);
        H5Tset_cset(type.get(), cset);
    }
    return type;
}

// The library's cache of the file's metadata (the chunk indexes grow with every record) may grow
// to 32 MiB by default; a series that runs for days keeps it at a few MiB.
bool LimitMetadataCache(hid_t fapl) {
    H5AC_cache_config_t config{};
    config.version = H5AC__CURR_CACHE_CONFIG_VERSION;
    if (H5Pget_mdc_config(fapl, &config) < 0) {
        return false;
    }
    config.set_initial_size = true;
    config.initial_size = 1024 * 1024;
    config.min_size = 1024 * 1024;
    config.max_size = 4 * 1024 * 1024;
    return H5Pset_mdc_config(fapl, &config) >= 0;
}

// The value datasets in the order each record writes them; /time last.
enum Dataset { kE1, kE2, kSensitivity, kUE1, kUE2, kIndex, kTimeUtc, kTime, kDatasetCount };
constexpr const char* kDatasetNames[kDatasetCount] = {"e1",   "e2",    "sensitivity", "u_e1",
                                                      "u_e2", "index", "time_utc",    "time"};

class Hdf5Recorder final : public SeriesRecorder {
public:
    ~Hdf5Recorder() override { Close(); }

    std::string Create(const std::string& path, const SeriesHeader& header) override {
        path_ = path;
        n_ = header.frequencies.size();
        uncertainty_ = header.uncertainty;
        // The program says what went wrong itself.
        H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
        if (::access(path.c_str(), F_OK) == 0) {
            return path + " exists; a series is never recorded over a file.";
        }
        Hid fapl(H5Pcreate(H5P_FILE_ACCESS), H5Pclose);
        if (!fapl.ok() ||
            H5Pset_libver_bounds(fapl.get(), H5F_LIBVER_LATEST, H5F_LIBVER_LATEST) < 0 ||
            !LimitMetadataCache(fapl.get())) {
            return Fail("the HDF5 library refused the file's settings");
        }
        file_ = Hid(H5Fcreate(path.c_str(), H5F_ACC_EXCL, H5P_DEFAULT, fapl.get()), H5Fclose);
        if (!file_.ok()) {
            return ::access(path.c_str(), F_OK) == 0
                       ? path + " exists; a series is never recorded over a file."
                       : Fail("it could not be created");
        }
        if (!WriteFrequencies(header.frequencies) || !CreateDatasets() ||
            !WriteAttribute("title", header.title) ||
            !WriteAttribute("analyzer", header.analyzer) ||
            !WriteAttribute("probe", header.probe) ||
            !WriteAttribute("calibration_time", header.calibrationTime)) {
            return Fail("its datasets could not be made");
        }
        // Readers may open the file from here on; nothing is created after this.
        if (H5Fstart_swmr_write(file_.get()) < 0) {
            return Fail("it could not be opened for readers while written");
        }
        lastSync_ = MonotonicSeconds();
        return Sync();
    }

    std::string Close() override {
        if (!file_.ok()) {
            return {};
        }
        std::string error;
        if (!failed_ && H5Fflush(file_.get(), H5F_SCOPE_GLOBAL) < 0) {
            error = Fail("the last records could not be flushed");
        }
        for (Hid& d : datasets_) {
            d.Reset();
        }
        // Closing marks the file closed: that reaches the disk too.
        const herr_t closed = H5Fclose(file_.Release());
        if (closed < 0 && error.empty() && !failed_) {
            error = Fail("it could not be closed");
        }
        const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            if (::fdatasync(fd) != 0 && error.empty() && !failed_) {
                error = SystemError(path_, errno);
            }
            ::close(fd);
        }
        return error;
    }

    std::uint64_t RecordBytes() const override { return n_ * 8 * (uncertainty_ ? 5 : 3) + 64; }

protected:
    std::string Write(const SeriesRecord& record) override {
        const MeasurementResult& r = *record.result;
        if (r.permittivity.size() != n_ || r.sensitivity.size() != n_) {
            return Fail("it takes records of " + std::to_string(n_) + " points only");
        }
        e1_.resize(n_);
        e2_.resize(n_);
        for (std::size_t i = 0; i < n_; ++i) {
            e1_[i] = r.permittivity[i].re;
            e2_[i] = r.permittivity[i].im;
        }
        const hsize_t m = static_cast<hsize_t>(records_);
        const bool withU = r.uncertaintyE1.size() >= n_ && r.uncertaintyE2.size() >= n_;
        if (uncertainty_ && !withU) {
            invalid_.assign(n_, 9999.0);
        }
        const double* rows[kIndex] = {
            e1_.data(), e2_.data(), r.sensitivity.data(),
            uncertainty_ ? (withU ? r.uncertaintyE1.data() : invalid_.data()) : nullptr,
            uncertainty_ ? (withU ? r.uncertaintyE2.data() : invalid_.data()) : nullptr};
        for (int d = kE1; d < kIndex; ++d) {
            if (rows[d] != nullptr && !AppendRow(d, m, rows[d])) {
                return Fail("a record could not be written");
            }
        }
        const std::int64_t index = record.index;
        std::array<char, kSeriesTimeTextLength> utc{};
        std::strncpy(utc.data(), record.timeUtc.c_str(), utc.size() - 1);
        if (!AppendValue(kIndex, m, H5T_NATIVE_INT64, &index) ||
            !AppendValue(kTimeUtc, m, timeType_.get(), utc.data()) ||
            !AppendValue(kTime, m, H5T_NATIVE_DOUBLE, &record.seconds)) {
            return Fail("a record could not be written");
        }
        ++records_;
        return {};
    }

    std::string Sync() override {
        void* handle = nullptr;
        if (H5Fget_vfd_handle(file_.get(), H5P_DEFAULT, &handle) < 0 || handle == nullptr) {
            return Fail("its descriptor could not be had");
        }
        if (::fdatasync(*static_cast<int*>(handle)) != 0) {
            failed_ = true;
            return SystemError(path_, errno);
        }
        return {};
    }

private:
    std::string Fail(const std::string& what) {
        failed_ = true;
        return "The series' file " + path_ + " could not be written: " + what + ".";
    }

    bool WriteFrequencies(const std::vector<double>& frequencies) {
        const hsize_t dims[1] = {frequencies.size()};
        Hid space(H5Screate_simple(1, dims, nullptr), H5Sclose);
        Hid set(H5Dcreate2(file_.get(), "frequency", H5T_IEEE_F64LE, space.get(), H5P_DEFAULT,
                           H5P_DEFAULT, H5P_DEFAULT),
                H5Dclose);
        return set.ok() &&
               (frequencies.empty() || H5Dwrite(set.get(), H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL,
                                                H5P_DEFAULT, frequencies.data()) >= 0);
    }

    bool CreateDatasets() {
        timeType_ = TextType(kSeriesTimeTextLength, H5T_CSET_ASCII);
        if (!timeType_.ok()) {
            return false;
        }
        for (int d = 0; d < kDatasetCount; ++d) {
            if ((d == kUE1 || d == kUE2) && !uncertainty_) {
                continue;
            }
            const bool rows = d < kIndex;
            const int rank = rows ? 2 : 1;
            const hsize_t dims[2] = {0, n_};
            const hsize_t maxDims[2] = {H5S_UNLIMITED, n_};
            // A row per chunk; the short datasets take 256 records a chunk.
            const hsize_t chunk[2] = {rows ? hsize_t{1} : hsize_t{256}, n_ > 0 ? n_ : 1};
            Hid space(H5Screate_simple(rank, dims, maxDims), H5Sclose);
            Hid dcpl(H5Pcreate(H5P_DATASET_CREATE), H5Pclose);
            if (!space.ok() || !dcpl.ok() || H5Pset_chunk(dcpl.get(), rank, chunk) < 0) {
                return false;
            }
            const hid_t type = d == kIndex     ? H5T_STD_I64LE
                               : d == kTimeUtc ? timeType_.get()
                                               : H5T_IEEE_F64LE;
            datasets_[d] = Hid(H5Dcreate2(file_.get(), kDatasetNames[d], type, space.get(),
                                          H5P_DEFAULT, dcpl.get(), H5P_DEFAULT),
                               H5Dclose);
            if (!datasets_[d].ok()) {
                return false;
            }
        }
        return true;
    }

    bool WriteAttribute(const char* name, const std::string& value) {
        Hid type = TextType(value.size() + 1, H5T_CSET_UTF8);
        Hid space(H5Screate(H5S_SCALAR), H5Sclose);
        Hid attribute(
            H5Acreate2(file_.get(), name, type.get(), space.get(), H5P_DEFAULT, H5P_DEFAULT),
            H5Aclose);
        return attribute.ok() && H5Awrite(attribute.get(), type.get(), value.c_str()) >= 0;
    }

    // Extends dataset d to m + 1 rows, writes row m and flushes it.
    bool AppendRow(int d, hsize_t m, const double* row) {
        const hsize_t dims[2] = {m + 1, n_};
        const hsize_t start[2] = {m, 0};
        const hsize_t count[2] = {1, n_};
        return Extend(d, 2, dims, start, count, H5T_NATIVE_DOUBLE, row);
    }

    bool AppendValue(int d, hsize_t m, hid_t memoryType, const void* value) {
        const hsize_t dims[1] = {m + 1};
        const hsize_t start[1] = {m};
        const hsize_t count[1] = {1};
        return Extend(d, 1, dims, start, count, memoryType, value);
    }

    bool Extend(int d, int rank, const hsize_t* dims, const hsize_t* start, const hsize_t* count,
                hid_t memoryType, const void* data) {
        const hid_t set = datasets_[d].get();
        if (H5Dset_extent(set, dims) < 0) {
            return false;
        }
        Hid fileSpace(H5Dget_space(set), H5Sclose);
        Hid memorySpace(H5Screate_simple(rank, count, nullptr), H5Sclose);
        return fileSpace.ok() && memorySpace.ok() &&
               H5Sselect_hyperslab(fileSpace.get(), H5S_SELECT_SET, start, nullptr, count,
                                   nullptr) >= 0 &&
               H5Dwrite(set, memoryType, memorySpace.get(), fileSpace.get(), H5P_DEFAULT, data) >=
                   0 &&
               H5Dflush(set) >= 0;
    }

    Hid file_;
    std::array<Hid, kDatasetCount> datasets_;
    Hid timeType_;
    std::size_t n_ = 0;
    bool uncertainty_ = false;
    long records_ = 0;
    std::vector<double> e1_;
    std::vector<double> e2_;
    std::vector<double> invalid_;
};

}  // namespace

std::optional<SeriesFormat> SeriesFormatOf(const std::string& path) {
    const std::string lower = Lower(path);
    if (EndsWith(lower, ".h5")) {
        return SeriesFormat::Hdf5;
    }
    if (EndsWith(lower, ".csv")) {
        return SeriesFormat::Csv;
    }
    return std::nullopt;
}

std::unique_ptr<SeriesRecorder> MakeSeriesRecorder(const std::string& path, std::string& error) {
    const auto format = SeriesFormatOf(path);
    if (!format) {
        error = "A series is recorded to an .h5 or a .csv file, not to " + path + ".";
        return nullptr;
    }
    std::unique_ptr<SeriesRecorder> recorder;
    if (*format == SeriesFormat::Hdf5) {
        recorder = std::make_unique<Hdf5Recorder>();
    } else {
        recorder = std::make_unique<CsvRecorder>();
    }
    recorder->freeSpace = FreeBytesAt;
    return recorder;
}

std::string SeriesRecorder::Append(const SeriesRecord& record) {
    if (failed_) {
        return "The series' file " + path_ + " takes no more records after a failed write.";
    }
    if (freeSpace) {
        const std::uint64_t needed = 2 * RecordBytes() + kSeriesSpareBytes;
        if (const auto free = freeSpace(path_); free && *free < needed) {
            return "Only " + MiB(*free) + " are free where " + path_ +
                   " is written: the series stops before the disk is full.";
        }
    }
    if (std::string error = Write(record); !error.empty()) {
        return error;
    }
    const double now = MonotonicSeconds();
    if (now - lastSync_ >= 1.0) {
        lastSync_ = now;
        return Sync();
    }
    return {};
}

std::optional<std::uint64_t> FreeBytesAt(const std::string& path) {
    struct statvfs s {};
    if (::statvfs(path.c_str(), &s) != 0) {
        const std::size_t slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? "."
                                   : slash == 0               ? "/"
                                                              : path.substr(0, slash);
        if (::statvfs(folder.c_str(), &s) != 0) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint64_t>(s.f_bavail) * s.f_frsize;
}

std::string UtcTimeText(double secondsSinceEpoch) {
    double whole = std::floor(secondsSinceEpoch);
    int millis = static_cast<int>(std::lround((secondsSinceEpoch - whole) * 1000.0));
    if (millis >= 1000) {
        millis -= 1000;
        whole += 1.0;
    }
    const std::time_t t = static_cast<std::time_t>(whole);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[40];
    const std::size_t used = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text + used, sizeof text - used, ".%03dZ", millis);
    return text;
}

}  // namespace kv
