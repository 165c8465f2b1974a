#pragma once

// The calibration settings, which the engine holds and the sheet "Calibration" edits with its two
// pages: the calibration type page (calibration type, refresh standard, probe type, water
// temperature and its uncertainty, sweeps per reading, "Physical Correction") and the user
// standards page (three standards by Eo, Einf, Alpha, Tau, the uncertainties of these four and a
// label). The pages refuse a count of sweeps below 1 and a negative uncertainty; no other value
// is range-checked: the standards clamp the water temperature when they use it.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "probe/FieldList.h"

namespace kv {

// The three standards a calibration measures, by the type page's choice. Setup files keep it as
// this int; a stored int that is neither names no standards (no prompts, ideal reflections of 0).
enum class CalibrationType : std::int32_t {
    LoadAirShort = 0,   // "Load/air/short": a load at the cable's end, the probe in air, a short
    AirShortWater = 1,  // "Air/short/water": the probe in air, the shorting block, water
    UserStandards = 2,  // "User defined": the three standards of the user standards page
};

// A characterised probe as the type page offers it: its name, the stock type it scales (0 A, 1 B),
// its model's scales and its remaining relative deviation after the fit (rms; 0 for a stock
// probe), which becomes the sheet's probeDeviation when the probe is chosen.
struct ProbeOption {
    std::string name;
    int stockType = 1;
    double frequencyScale = 1.0;
    double coefficientScale = 1.0;
    double deviation = 0.0;
    bool operator==(const ProbeOption&) const = default;
};

struct CalibrationSheet {
    int refreshStandard = 0;  // 0 "Air", 1 "Short", 2 "Water"
    CalibrationType calibrationType = CalibrationType::AirShortWater;
    int probeType = 1;  // 0 "KV47310A", 1 "KV47310B/C"
    double waterTemperature = 25.0;
    bool physicalCorrection = false;
    std::array<double, 3> stdAlpha{0.0, 0.0, 0.013};
    std::array<double, 3> stdEinf{1.0, 1e10, 4.23};
    std::array<double, 3> stdEo{1.0, 1e10, 80.4};
    std::array<std::string, 3> stdLabel{"Air", "Short", "Water"};
    std::array<double, 3> stdTau{0.0, 0.0, 9.3e-12};
    // The probe in use, as the type page shows and chooses it: the scales of the probe model (1
    // for the stock probe) and the characterised probes it may choose from. The engine's own
    // scales are its model's; these are the sheet's copy, and no file stores them here.
    double frequencyScale = 1.0;
    double coefficientScale = 1.0;
    std::vector<ProbeOption> probes{};

    // The inputs of the uncertainty budget. Each reading of a standard or of the sample is the
    // mean of this many sweeps (the analyzer's own averaging is a setting of its driver), whose
    // scatter gives the reading's uncertainty from two sweeps on.
    int sweepsPerReading = 1;
    // The standard uncertainty of the water's temperature (kelvin).
    double uWaterTemperature = 0.1;
    // Standard uncertainties of the user standards' Cole-Cole parameters.
    std::array<double, 3> uStdEo{};
    std::array<double, 3> uStdEinf{};
    std::array<double, 3> uStdAlpha{};
    std::array<double, 3> uStdTau{};
    // A characterised probe's remaining relative deviation after its fit (type B, relative to
    // |e|); 0 for a stock probe.
    double probeDeviation = 0.0;

    // Whether every uncertainty input has its default: a setup file then needs none of them.
    bool UncertaintyInputsDefault() const;

    bool operator==(const CalibrationSheet&) const = default;
};

inline bool CalibrationSheet::UncertaintyInputsDefault() const {
    const CalibrationSheet d;
    return sweepsPerReading == d.sweepsPerReading && uWaterTemperature == d.uWaterTemperature &&
           uStdEo == d.uStdEo && uStdEinf == d.uStdEinf && uStdAlpha == d.uStdAlpha &&
           uStdTau == d.uStdTau && probeDeviation == d.probeDeviation;
}

// The uncertainty inputs in the order an extended setup file keeps them (see FieldList.h).
template <class Visitor, FieldsOf<CalibrationSheet>... S>
void VisitUncertaintyFields(Visitor&& visit, S&... s) {
    visit("sweepsPerReading", s.sweepsPerReading...);
    visit("uWaterTemperature", s.uWaterTemperature...);
    visit("uStdEo", s.uStdEo...);
    visit("uStdEinf", s.uStdEinf...);
    visit("uStdAlpha", s.uStdAlpha...);
    visit("uStdTau", s.uStdTau...);
    visit("probeDeviation", s.probeDeviation...);
}

// The settings a setup file stores, in its order (see FieldList.h).
template <class Visitor, FieldsOf<CalibrationSheet>... S>
void VisitStoredFields(Visitor&& visit, S&... s) {
    visit("stdAlpha", s.stdAlpha...);
    visit("stdEinf", s.stdEinf...);
    visit("stdEo", s.stdEo...);
    visit("stdLabel", s.stdLabel...);
    visit("stdTau", s.stdTau...);
    visit("refreshStandard", s.refreshStandard...);
    visit("calibrationType", s.calibrationType...);
    visit("probeType", s.probeType...);
    visit("waterTemperature", s.waterTemperature...);
}

// Every field: the stored ones, then those kept only while the program runs.
template <class Visitor, FieldsOf<CalibrationSheet>... S>
void VisitFields(Visitor&& visit, S&... s) {
    VisitStoredFields(visit, s...);
    visit("physicalCorrection", s.physicalCorrection...);
}

}  // namespace kv
