#pragma once

// Values of the sheet "Calibration" with its two pages: the calibration type page (calibration
// type, refresh standard, probe type, water temperature, "Physical Correction") and the user
// standards page (three standards by Eo, Einf, Alpha, Tau and a label). No value is range-checked:
// the standards clamp the water temperature when they use it.

#include <array>
#include <string>

namespace kv {

struct CalibrationSheet {
    int refreshStandard = 0;  // 0 "Air", 1 "Short", 2 "Water"
    int calibrationType = 1;  // 0 "Load/air/short", 1 "Air/short/water", 2 "User defined"
    int probeType = 1;        // 0 "KV47310A", 1 "KV47310B/C"
    double waterTemperature = 25.0;
    bool physicalCorrection = false;
    std::array<double, 3> stdAlpha{};
    std::array<double, 3> stdEinf{};
    std::array<double, 3> stdEo{};
    std::array<std::string, 3> stdLabel;
    std::array<double, 3> stdTau{};
};

}  // namespace kv
