#pragma once

// The characterisation of a probe by a liquid of known permittivity: the frequency scale of the
// probe model (and, after a load/air/short calibration, its coefficient scale) that bring the
// permittivity measured of the liquid closest to the liquid's own.
//
// Every trial of the scales recalibrates from the standards' stored readings with the trial
// model, corrects the liquid's raw reading with the trial's error terms and inverts it with the
// trial model. The quantity minimised is the sum over the points used of the squared relative
// deviation (e - e_liquid) / |e_liquid|, its real and imaginary parts as two residuals per point.

#include <functional>
#include <string>
#include <vector>

#include "numerics/CComplex.h"
#include "probe/Outcome.h"

namespace kv {

class CProbeEngine;

// The texts of a refused fit.
inline constexpr const char* kFitNotCalibrated =
    "The probe must be calibrated before it can be characterised.";
inline constexpr const char* kFitReadingMismatch =
    "The liquid's reading does not have one value per point of the sweep.";
inline constexpr const char* kFitNoPoints = "No point of the sweep lies in the frequency range.";
inline constexpr const char* kFitNotConverged = "The fit did not converge.";
inline constexpr const char* kFitScaleOutOfRange =
    "The fitted frequency scale lies outside 0.2 to 5.";
inline constexpr const char* kFitWorse =
    "The fitted probe deviates more from the liquid than the probe as it was.";

// Why the coefficient scale was not fitted.
inline constexpr const char* kScaleNotAsked = "The coefficient scale was not asked to be fitted.";
inline constexpr const char* kScaleCancels =
    "The coefficient scale cancels with this calibration: every standard's reflection comes from "
    "the probe model, so only a load/air/short calibration can tell it.";

// The bounds a fitted frequency scale must lie within.
inline constexpr double kMinFrequencyScale = 0.2;
inline constexpr double kMaxFrequencyScale = 5.0;

// The relative deviation |e - e_liquid| / |e_liquid| over the points used.
struct FitDeviation {
    double largest = 0.0;
    double rms = 0.0;  // root mean square
};

// A point the fit used: the liquid's permittivity as the fitted probe measures it, and as the
// liquid's model gives it (e' and e'' each, e'' positive for a lossy liquid).
struct FitPoint {
    double hz = 0.0;
    double measuredReal = 0.0;
    double measuredLoss = 0.0;
    double liquidReal = 0.0;
    double liquidLoss = 0.0;
};

struct ProbeFit {
    // Done, or Refused with one of the texts above.
    Outcome outcome;
    // The fitted scales (the coefficient scale is the engine's when it was not fitted).
    double frequencyScale = 1.0;
    double coefficientScale = 1.0;
    bool coefficientScaleFitted = false;
    std::string coefficientScaleNote;  // why it was not fitted; empty when it was
    // The points of the sweep inside the range asked for, and the frequencies of the first and
    // the last of them.
    int points = 0;
    double fromHz = 0.0;
    double toHz = 0.0;
    // The probe as it was (the engine's model, the liquid's reading as it stands) and fitted.
    FitDeviation before;
    FitDeviation after;
    bool converged = false;
    int iterations = 0;
    // The points used, measured with the fitted probe (empty when no point was used).
    std::vector<FitPoint> curve;
};

// Fits the probe model's frequency scale (and the coefficient scale, when asked and the engine's
// calibration is load/air/short) over the points of the engine's frequency list within
// [fMinHz, fMaxHz]. `liquidReading` is the liquid's reading as the analyzer returned it, corrected
// with the engine's error terms (a sample reading), one value per point of the sweep.
// `liquidPermittivity` gives the liquid's permittivity e' - j e'' at a frequency (Hz), as the
// standards' permittivities are written. The fit starts from the engine's scales; the engine is
// not changed. A one-standard refresh since the calibration is in the liquid's reading, but not
// in the trials, which recalibrate from the standards' readings.
ProbeFit FitProbeScale(const CProbeEngine& calibrated, const std::vector<CComplex>& liquidReading,
                       const std::function<CComplex(double)>& liquidPermittivity, double fMinHz,
                       double fMaxHz, bool fitCoefficientScale);

}  // namespace kv
