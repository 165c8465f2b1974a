#include "DemoOperator.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace kv {

namespace {

const std::string kInsertInto = "Insert the probe into ";
const std::string kWaterSuffix = " C water.";
const std::string kMeasuring = "Measuring ";

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

// The temperature field of the water prompt ("%6.2f": leading blanks, then the number). A
// decimal comma is read too, in case the text was formatted under such a locale.
std::optional<double> Temperature(std::string field) {
    const auto first = field.find_first_not_of(' ');
    if (first == std::string::npos) {
        return std::nullopt;
    }
    field.erase(0, first);
    std::replace(field.begin(), field.end(), ',', '.');
    double value = 0.0;
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value);
    if (ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

// The program's default user standards.
const std::vector<std::pair<std::string, ColeCole>>& BuiltInStandards() {
    static const std::vector<std::pair<std::string, ColeCole>> standards = {
        {"Air", {1.0, 1.0, 0.0, 0.0}},
        {"Short", {1e10, 1e10, 0.0, 0.0}},
        {"Water", {80.4, 4.23, 0.013, 9.3e-12}},
    };
    return standards;
}

}  // namespace

DemoOperator::DemoOperator(const ColeCole& sample,
                           std::vector<std::pair<std::string, ColeCole>> standards)
    : DemoOperator(DemoMaterial::Relaxation(sample, "sample"), std::move(standards)) {}

DemoOperator::DemoOperator(DemoMaterial sample,
                           std::vector<std::pair<std::string, ColeCole>> standards)
    : sample_(std::move(sample)), standards_(std::move(standards)) {
    sample_.name = "sample";
    standards_.insert(standards_.end(), BuiltInStandards().begin(), BuiltInStandards().end());
}

std::optional<DemoMaterial> DemoOperator::Standard(const std::string& label) const {
    for (const auto& [name, parameters] : standards_) {
        if (name == label) {
            return DemoMaterial::Relaxation(parameters, name);
        }
    }
    for (const auto& [name, parameters] : standards_) {
        if (EqualNoCase(name, label)) {
            return DemoMaterial::Relaxation(parameters, name);
        }
    }
    return std::nullopt;
}

std::optional<DemoMaterial> DemoOperator::FromPrompt(const std::string& text) const {
    if (text == "Leave the probe open in air." ||
        text == "Reconnect the probe and leave the probe open in air.") {
        return DemoMaterial::Air();
    }
    if (text == "Connect the shorting block to the probe.") {
        return DemoMaterial::Short();
    }
    if (text == "Remove the probe and connect a load to the end of the cable.") {
        return DemoMaterial::Load();
    }
    if (text == "Insert the probe in water.") {
        return DemoMaterial::Water(25.0);
    }
    // The sample prompt, and the same prompt naming what the sample is and its temperature (the
    // liquid a probe is characterised on, "Insert probe into Acetone at 25 C."): the probe goes
    // into the sample.
    if (text == "Insert probe into sample." ||
        (StartsWith(text, "Insert probe into ") && EndsWith(text, " C."))) {
        return Sample();
    }
    if (!StartsWith(text, kInsertInto)) {
        return std::nullopt;
    }
    const std::string rest = text.substr(kInsertInto.size());
    if (EndsWith(rest, kWaterSuffix)) {
        if (auto t = Temperature(rest.substr(0, rest.size() - kWaterSuffix.size()))) {
            return DemoMaterial::Water(*t);
        }
    }
    if (auto standard = Standard(rest)) {
        return standard;
    }
    std::fprintf(stderr,
                 "Demo analyzer: no material is known for \"%s\"; the probe goes into the "
                 "sample\n",
                 rest.c_str());
    return Sample();
}

std::optional<DemoMaterial> DemoOperator::FromTitle(const std::string& text) const {
    if (text == "Measuring air.") {
        return DemoMaterial::Air();
    }
    if (text == "Measuring the shorting block.") {
        return DemoMaterial::Short();
    }
    if (text == "Measuring the load.") {
        return DemoMaterial::Load();
    }
    if (text == "Measuring water.") {
        return DemoMaterial::Water(25.0);
    }
    if (text == "Measuring sample...") {
        return Sample();
    }
    if (StartsWith(text, kMeasuring)) {
        return Standard(text.substr(kMeasuring.size()));
    }
    return std::nullopt;
}

}  // namespace kv
