#pragma once

// --check of the measure command: the result compared with a reference liquid, reported in one
// line on standard error.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "probe/MeasurementResult.h"
#include "probe/ReferenceLiquids.h"

namespace kv {

class LiquidCheckRun {
public:
    // Reads the library of reference liquids (a file that could not be used is a warning; the
    // others' liquids stay) and finds the liquid. False, with the reason on `err`, when the
    // identifier is unknown or the temperature given is not one the liquid offers.
    bool Prepare(const CliOptions& options, std::FILE* err);

    // Settles the temperature once the calibration's water temperature is known: the one given,
    // else the liquid's only temperature, else the water temperature. False, with the reason on
    // `err`, when the liquid does not offer it.
    bool SettleTemperature(double waterTemperature, std::FILE* err);

    // The line of the comparison:
    // "check ID T C: N points from F1 GHz to F2 GHz: max |de'| X, max |de''| Y, max |de|/|e| Z %".
    void Report(const MeasurementResult& result, std::FILE* err) const;

private:
    std::vector<ReferenceLiquid> library_;
    const ReferenceLiquid* liquid_ = nullptr;
    std::optional<double> given_;
    double temperature_ = 0.0;
};

// The temperatures a liquid offers, as a message names them: "at 25 C", "from 10 C to 50 C",
// "from 10 C to 25 C and from 30 C to 50 C".
std::string OfferedTemperaturesText(const ReferenceLiquid& liquid);

}  // namespace kv
