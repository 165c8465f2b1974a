#include "probe/Units.h"

#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace kv {

double UnitMultiplier(const std::string& unit) {
    if (unit == "GHz") {
        return 1e9;
    }
    if (unit == "MHz") {
        return 1e6;
    }
    if (unit == "KHz") {
        return 1e3;
    }
    return 1.0;
}

bool ParseNumber(const std::string& text, double& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end != nullptr && *end == '\0';
}

bool ParseFrequency(const std::string& text, double& value, std::string& unit) {
    std::size_t split = text.size();
    while (split > 0 && std::isalpha(static_cast<unsigned char>(text[split - 1]))) {
        --split;
    }
    std::string number = text.substr(0, split);
    while (!number.empty() && number.back() == ' ') {
        number.pop_back();
    }
    // An exponent's "e" belongs to the number: "1.5e9" has no unit.
    std::string suffix = text.substr(split);
    for (char& c : suffix) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (!ParseNumber(number, value)) {
        if (ParseNumber(text, value) && std::isfinite(value)) {
            unit = "Hz";
            return true;
        }
        return false;
    }
    // strtod reads "nan", "inf" and numbers beyond the range of a double, but no frequency.
    if (!std::isfinite(value)) {
        return false;
    }
    if (suffix.empty() || suffix == "hz") {
        unit = "Hz";
    } else if (suffix == "khz") {
        unit = "KHz";
    } else if (suffix == "mhz") {
        unit = "MHz";
    } else if (suffix == "ghz") {
        unit = "GHz";
    } else {
        return false;
    }
    return true;
}

std::string ScaleHzToUnit(double& value) {
    if (value >= 1e9) {
        value *= 1e-9;
        return "GHz";
    }
    if (value >= 1e6) {
        value *= 1e-6;
        return "MHz";
    }
    if (value >= 1e3) {
        value *= 1e-3;
        return "KHz";
    }
    return "Hz";
}

std::string Printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        out.assign(buffer.data(), static_cast<std::size_t>(n));
    }
    va_end(args);
    return out;
}

namespace {

// Drops the zeros after the decimal point of a plain or mantissa text, keeping the point.
std::string StripZeros(std::string text) {
    const auto point = text.find('.');
    if (point == std::string::npos) {
        return text + ".";
    }
    auto end = text.size();
    while (end > point + 1 && text[end - 1] == '0') {
        --end;
    }
    text.resize(end);
    return text;
}

}  // namespace

std::string FormatGeneral(double value, int digits) {
    if (!std::isfinite(value)) {
        return Printf("%g", value);
    }
    const double magnitude = std::fabs(value);
    if (value == 0.0) {
        return "0.";
    }
    // Integer digits of the value once rounded to `digits` significant digits.
    const std::string e = Printf("%.*e", digits - 1, value);
    const int exponent = std::atoi(e.c_str() + e.find('e') + 1);
    if (magnitude < 0.1 || exponent + 1 > digits) {
        const auto mark = e.find('e');
        std::string mantissa = StripZeros(e.substr(0, mark));
        return mantissa + Printf("e%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
    }
    const int decimals = digits - 1 - exponent;
    return StripZeros(Printf("%.*f", decimals < 0 ? 0 : decimals, value));
}

std::string TrimLeft(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string FormatFrequency(double hz) {
    double value = hz;
    const std::string unit = ScaleHzToUnit(value);
    return TrimLeft(FormatGeneral(value, 12) + " " + unit);
}

std::string FrequencyText(double hz, FrequencyForm form) {
    const bool fixed = form == FrequencyForm::Fixed;
    if (hz >= 1e9) {
        const double v = hz * 1e-9;
        return TrimLeft(fixed ? Printf("%11.9f GHz", v) : FormatGeneral(v, 12) + " GHz");
    }
    if (hz >= 1e6) {
        const double v = hz * 1e-6;
        return TrimLeft(fixed ? Printf("%11.6f MHz", v) : FormatGeneral(v, 12) + " MHz");
    }
    if (hz >= 1e3) {
        const double v = hz * 0.001;
        return TrimLeft(fixed ? Printf("%11.3f KHz", v) : FormatGeneral(v, 12) + " KHz");
    }
    return TrimLeft(fixed ? Printf("%11.0f Hz", hz) : FormatGeneral(hz, 12) + " Hz");
}

}  // namespace kv
