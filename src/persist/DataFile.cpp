#include "persist/DataFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

#include "probe/ProbeModel.h"

namespace kv {

std::string FormatFixed(double value, int width, int decimals) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string text(buffer, result.ec == std::errc() ? result.ptr : buffer);
    if (static_cast<int>(text.size()) < width) {
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    }
    return text;
}

std::string DataFileHeader(bool withSensitivity) {
    return withSensitivity ? kDataHeaderWithSensitivity : kDataHeader;
}

namespace {

// A value that is not a finite number is written as the mark of a point that could not be
// computed: "nan" or "inf" never stands in a data file.
double Writable(double v) {
    return std::isfinite(v) ? v : kInvalidValue;
}

}  // namespace

std::string DataFileLine(double frequency, CComplex value) {
    return FormatFixed(Writable(frequency), 15, 4) + '\t' + FormatFixed(Writable(value.re), 9, 4) +
           '\t' + FormatFixed(Writable(value.im), 9, 4) + '\n';
}

std::string DataFileLine(double frequency, CComplex value, double sensitivity) {
    return FormatFixed(Writable(frequency), 15, 4) + '\t' + FormatFixed(Writable(value.re), 9, 4) +
           '\t' + FormatFixed(Writable(value.im), 9, 4) + '\t' +
           FormatFixed(Writable(sensitivity), 15, 4) + '\n';
}

std::string UncertaintyColumns(double uE1, double uE2) {
    return '\t' + FormatFixed(Writable(uE1), 11, 6) + '\t' + FormatFixed(Writable(uE2), 11, 6);
}

bool IsDataFilePath(const std::string& path) {
    return path.find(".prn") != std::string::npos || path.find(".PRN") != std::string::npos;
}

std::string FormatReflectionTable(const std::vector<double>& frequencies,
                                  const std::vector<CComplex>& values) {
    const std::size_t n = std::min(frequencies.size(), values.size());
    std::string text = "frequency\tS11 real\tS11 imaginary\n";
    for (std::size_t i = 0; i < n; ++i) {
        text += FormatFixed(frequencies[i], 15, 4) + '\t' + FormatFixed(values[i].re, 12, 9) +
                '\t' + FormatFixed(values[i].im, 12, 9) + '\n';
    }
    return text;
}

std::string FormatDataFile(const std::vector<double>& frequencies,
                           const std::vector<CComplex>& values,
                           const std::vector<double>* sensitivity) {
    const std::size_t n = std::min(frequencies.size(), values.size());
    std::string text = DataFileHeader(sensitivity != nullptr);
    text.reserve(text.size() + n * (sensitivity != nullptr ? 52 : 36));
    for (std::size_t i = 0; i < n; ++i) {
        if (sensitivity != nullptr) {
            const double s = i < sensitivity->size() ? (*sensitivity)[i] : kInvalidValue;
            text += DataFileLine(frequencies[i], values[i], s);
        } else {
            text += DataFileLine(frequencies[i], values[i]);
        }
    }
    return text;
}

std::string FormatDataFileWithUncertainty(const std::vector<double>& frequencies,
                                          const std::vector<CComplex>& values,
                                          const std::vector<double>& sensitivity,
                                          const std::vector<double>& uE1,
                                          const std::vector<double>& uE2) {
    const std::size_t n = std::min(frequencies.size(), values.size());
    auto at = [](const std::vector<double>& v, std::size_t i) {
        return i < v.size() ? v[i] : kInvalidValue;
    };
    std::string text = kDataHeaderWithUncertainty;
    text.reserve(text.size() + n * 76);
    for (std::size_t i = 0; i < n; ++i) {
        std::string line = DataFileLine(frequencies[i], values[i], at(sensitivity, i));
        line.pop_back();
        text += line + UncertaintyColumns(at(uE1, i), at(uE2, i)) + '\n';
    }
    return text;
}

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// One number as "%f" reads it: blanks skipped, an optional sign, a decimal or "inf"/"nan" form,
// rounded once to single precision. False when no number starts here or it does not fit.
bool ScanFloat(std::string_view& rest, double& out) {
    std::size_t i = 0;
    while (i < rest.size() && IsSpace(rest[i])) {
        ++i;
    }
    if (i < rest.size() && rest[i] == '+') {
        ++i;
        if (i < rest.size() && rest[i] == '-') {
            return false;
        }
    }
    float value = 0.0F;
    const char* first = rest.data() + i;
    const char* last = rest.data() + rest.size();
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec != std::errc()) {
        return false;
    }
    out = static_cast<double>(value);
    rest.remove_prefix(static_cast<std::size_t>(result.ptr - rest.data()));
    return true;
}

}  // namespace

DataFileParse ParseDataFile(std::string_view text) {
    DataFileParse parse;
    DataFileContents& c = parse.contents;

    // Next line without its end; `length` counts the line end as text-mode reading sees it (a
    // CR LF pair is one character).
    std::size_t position = 0;
    auto nextLine = [&](std::string_view& line, std::size_t& length) {
        if (position >= text.size()) {
            return false;
        }
        const std::size_t end = text.find('\n', position);
        const bool ended = end != std::string_view::npos;
        line = text.substr(position, (ended ? end : text.size()) - position);
        position = ended ? end + 1 : text.size();
        if (ended && !line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        length = line.size() + (ended ? 1 : 0);
        return true;
    };

    std::string_view line;
    std::size_t length = 0;
    if (!nextLine(line, length) || line.find("e'") == std::string_view::npos) {
        parse.status = DataFileStatus::NotDataFile;
        return parse;
    }
    c.hasPermeability = line.find("u'") != std::string_view::npos;
    // A permeability file's lines are read as frequency, e', e'', u', u'': a sensitivity column
    // there has no place in them.
    c.hasSensitivity = !c.hasPermeability && line.find("sen") != std::string_view::npos;
    c.hasUncertainty = c.hasSensitivity && line.find("u(e')") != std::string_view::npos &&
                       line.find("u(e'')") != std::string_view::npos;
    const int fields = c.hasPermeability ? 5 : (c.hasUncertainty ? 6 : (c.hasSensitivity ? 4 : 3));

    int lineNumber = 1;
    while (nextLine(line, length)) {
        ++lineNumber;
        if (length <= 5) {
            break;
        }
        double v[6] = {};
        std::string_view rest = line;
        for (int k = 0; k < fields; ++k) {
            if (!ScanFloat(rest, v[k])) {
                parse.status = DataFileStatus::BadLine;
                parse.line = lineNumber;
                parse.contents = DataFileContents{};
                return parse;
            }
        }
        c.frequencies.push_back(v[0]);
        c.permittivity.push_back({v[1], v[2]});
        c.sensitivity.push_back(c.hasSensitivity ? v[3] : kInvalidValue);
        if (c.hasUncertainty) {
            c.uncertaintyE1.push_back(v[4]);
            c.uncertaintyE2.push_back(v[5]);
        }
    }
    if (c.frequencies.empty()) {
        parse.status = DataFileStatus::NoData;
    }
    return parse;
}

}  // namespace kv
