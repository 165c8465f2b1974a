#pragma once

// Data files: a tab-separated text table of one trace, one header line, then one line per
// frequency point. Numbers are written and read with a decimal point whatever the locale.

#include <string>
#include <string_view>
#include <vector>

#include "numerics/CComplex.h"
#include "probe/FrequencyList.h"

namespace kv {

inline constexpr const char* kDataHeader = "frequency\te'\te''\n";
inline constexpr const char* kDataHeaderWithSensitivity = "frequency\te'\te''\tsensitivity\n";
// With the standard uncertainties (k = 1) of e' and e'' after the sensitivity. The columns are
// never headed u' or u'', which name permeability.
inline constexpr const char* kDataHeaderWithUncertainty =
    "frequency\te'\te''\tsensitivity\tu(e')\tu(e'')\n";
// How the uncertainty columns' numbers are written (each after a tab).
inline constexpr const char* kUncertaintyFormat = "%11.6f";
// The file dialogs' filter and default extension (without the dot) of data files.
inline constexpr const char* kDataFileFilter = "kv4731x Files (*.prn)|*.prn|All Files (*.*)|*.*||";
inline constexpr const char* kDataFileExtension = "prn";

// True when a path is taken for a data file: ".prn" or ".PRN" anywhere in it (so "a.prn.tst" is
// one, and "a.Prn" is not). Opening such a path loads a trace and never replaces the setup.
bool IsDataFilePath(const std::string& path);

// printf's "%<width>.<decimals>f" in the C locale.
std::string FormatFixed(double value, int width, int decimals);

std::string DataFileHeader(bool withSensitivity);
// "%15.4f\t%9.4f\t%9.4f\n": frequency, e', e''. A value that is not finite is written as 9999.
std::string DataFileLine(double frequency, CComplex value);
// "%15.4f\t%9.4f\t%9.4f\t%15.4f\n": frequency, e', e'', sensitivity.
std::string DataFileLine(double frequency, CComplex value, double sensitivity);

// The uncertainty columns of a line: "\t%11.6f\t%11.6f" (9999 for a value that is not finite).
std::string UncertaintyColumns(double uE1, double uE2);

// A table of uncorrected reflections in the same column layout: "frequency\tS11 real\tS11
// imaginary\n", then "%15.4f\t%12.9f\t%12.9f\n" per point (min(frequencies, values) lines).
std::string FormatReflectionTable(const std::vector<double>& frequencies,
                                  const std::vector<CComplex>& values);

// The whole file: the header and min(frequencies, values) lines. A point without a sensitivity
// value gets 9999, the mark of a point that could not be computed.
std::string FormatDataFile(const std::vector<double>& frequencies,
                           const std::vector<CComplex>& values,
                           const std::vector<double>* sensitivity);
// The same with the sensitivity and the u(e') and u(e'') columns; a point without an uncertainty
// gets 9999.
std::string FormatDataFileWithUncertainty(const std::vector<double>& frequencies,
                                          const std::vector<CComplex>& values,
                                          const std::vector<double>& sensitivity,
                                          const std::vector<double>& uE1,
                                          const std::vector<double>& uE2);

struct DataFileContents {
    bool hasPermeability = false;
    bool hasSensitivity = false;
    bool hasUncertainty = false;  // u(e') and u(e'') after the sensitivity
    std::vector<double> frequencies;
    std::vector<CComplex> permittivity;  // e' as real part, e'' as imaginary part
    std::vector<double> sensitivity;     // 9999 for every point without a sensitivity column
    std::vector<double> uncertaintyE1;   // empty without the uncertainty columns
    std::vector<double> uncertaintyE2;
};

enum class DataFileStatus {
    Ok,
    NotDataFile,  // the first line lacks "e'"
    BadLine,      // a data line without the numbers its header promises
    NoData,       // no data line at all
};

struct DataFileParse {
    DataFileStatus status = DataFileStatus::Ok;
    int line = 0;  // the 1-based number of the bad line
    DataFileContents contents;
};

// Reads a data file's text (line ends LF or CR LF). Lines after the header are read up to the end
// or up to a line of 5 characters or fewer, its line end counted. Each number is read in single
// precision and widened.
DataFileParse ParseDataFile(std::string_view text);

}  // namespace kv
