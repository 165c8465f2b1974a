#pragma once

// Reads a series' file as another program would: HDF5 through the C library opened for reading
// while a writer may have it open (SWMR), CSV as text. Only the finished records count: in HDF5
// the length of /time, in CSV the records whose n rows are all there.

#include <hdf5.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace kv::test {

struct SeriesFileContent {
    std::string error;  // empty when the file read without error
    std::vector<std::int64_t> index;
    std::vector<double> time;
    std::vector<std::string> timeUtc;
    std::vector<double> frequency;
    std::vector<std::vector<double>> e1, e2, sensitivity;  // one row per record
    std::map<std::string, std::string> attributes;
    std::string header;      // CSV
    int partialRecords = 0;  // CSV: records with rows missing
};

inline SeriesFileContent ReadSeriesH5(const std::string& path) {
    SeriesFileContent c;
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
    const hid_t file = H5Fopen(path.c_str(), H5F_ACC_RDONLY | H5F_ACC_SWMR_READ, H5P_DEFAULT);
    if (file < 0) {
        c.error = "cannot open";
        return c;
    }
    auto dims = [&](const char* name, std::vector<hsize_t>& out) {
        const hid_t d = H5Dopen2(file, name, H5P_DEFAULT);
        if (d < 0) {
            return hid_t{-1};
        }
        H5Drefresh(d);
        const hid_t s = H5Dget_space(d);
        out.assign(static_cast<std::size_t>(H5Sget_simple_extent_ndims(s)), 0);
        H5Sget_simple_extent_dims(s, out.data(), nullptr);
        H5Sclose(s);
        return d;
    };
    // Rows 0..m-1 of a dataset (1-D: m values; 2-D: m x n).
    auto read = [&](const char* name, hid_t type, void* out, hsize_t m, hsize_t n) {
        std::vector<hsize_t> shape;
        const hid_t d = dims(name, shape);
        bool ok = d >= 0 && !shape.empty() && shape[0] >= m;
        if (ok && m > 0) {
            const hid_t fs = H5Dget_space(d);
            const hsize_t start[2] = {0, 0};
            const hsize_t count[2] = {m, n};
            const hid_t ms = H5Screate_simple(static_cast<int>(shape.size()), count, nullptr);
            ok = H5Sselect_hyperslab(fs, H5S_SELECT_SET, start, nullptr, count, nullptr) >= 0 &&
                 H5Dread(d, type, ms, fs, H5P_DEFAULT, out) >= 0;
            H5Sclose(ms);
            H5Sclose(fs);
        }
        if (d >= 0) {
            H5Dclose(d);
        }
        if (!ok && c.error.empty()) {
            c.error = std::string("cannot read ") + name;
        }
    };
    std::vector<hsize_t> shape;
    if (const hid_t d = dims("frequency", shape); d >= 0) {
        H5Dclose(d);
    }
    const hsize_t n = shape.empty() ? 0 : shape[0];
    c.frequency.resize(n);
    read("frequency", H5T_NATIVE_DOUBLE, c.frequency.data(), n, 1);
    if (const hid_t d = dims("time", shape); d >= 0) {
        H5Dclose(d);
    }
    const hsize_t m = shape.empty() ? 0 : shape[0];
    c.time.resize(m);
    c.index.resize(m);
    read("time", H5T_NATIVE_DOUBLE, c.time.data(), m, 1);
    read("index", H5T_NATIVE_INT64, c.index.data(), m, 1);
    const hid_t text = H5Tcopy(H5T_C_S1);
    H5Tset_size(text, 32);
    std::vector<char> utc(m * 32 + 1);
    read("time_utc", text, utc.data(), m, 1);
    H5Tclose(text);
    for (hsize_t i = 0; i < m; ++i) {
        c.timeUtc.emplace_back(utc.data() + i * 32);
    }
    for (auto [name, rows] : {std::pair{"e1", &c.e1}, std::pair{"e2", &c.e2},
                              std::pair{"sensitivity", &c.sensitivity}}) {
        std::vector<double> all(m * n);
        read(name, H5T_NATIVE_DOUBLE, all.data(), m, n);
        for (hsize_t i = 0; i < m; ++i) {
            rows->emplace_back(all.begin() + static_cast<std::ptrdiff_t>(i * n),
                               all.begin() + static_cast<std::ptrdiff_t>((i + 1) * n));
        }
    }
    for (const char* name : {"title", "analyzer", "probe", "calibration_time"}) {
        const hid_t a = H5Aopen(file, name, H5P_DEFAULT);
        if (a < 0) {
            c.error = std::string("no attribute ") + name;
            continue;
        }
        const hid_t type = H5Aget_type(a);
        std::string value(H5Tget_size(type), '\0');
        H5Aread(a, type, value.data());
        c.attributes[name] = value.c_str();
        H5Tclose(type);
        H5Aclose(a);
    }
    H5Fclose(file);
    return c;
}

// A CSV series with `n` points per record.
inline SeriesFileContent ReadSeriesCsv(const std::string& path, std::size_t n) {
    SeriesFileContent c;
    std::ifstream in(path);
    if (!in || !std::getline(in, c.header)) {
        c.error = "cannot open";
        return c;
    }
    std::map<std::int64_t, std::vector<std::vector<std::string>>> rows;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');) {
            fields.push_back(cell);
        }
        if (fields.size() < 7) {
            ++c.partialRecords;  // a row cut short: its record is not finished
            continue;
        }
        rows[std::stoll(fields[0])].push_back(fields);
    }
    for (const auto& [index, record] : rows) {
        if (record.size() != n) {
            ++c.partialRecords;
            continue;
        }
        c.index.push_back(index);
        c.timeUtc.push_back(record[0][1]);
        c.time.push_back(std::stod(record[0][2]));
        std::vector<double> e1, e2, s;
        for (const auto& r : record) {
            if (c.index.size() == 1) {
                c.frequency.push_back(std::stod(r[3]));
            }
            e1.push_back(std::stod(r[4]));
            e2.push_back(std::stod(r[5]));
            s.push_back(std::stod(r[6]));
        }
        c.e1.push_back(e1);
        c.e2.push_back(e2);
        c.sensitivity.push_back(s);
    }
    return c;
}

}  // namespace kv::test
