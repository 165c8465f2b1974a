// Calibration standards, the operator prompt loop, the three-standard calibration, the error-term
// solution and the one-standard refresh.

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <utility>

#include "instrument/ITraceNoise.h"
#include "instrument/InstrumentDriverBase.h"
#include "probe/CProbeEngine.h"
#include "probe/Readings.h"
#include "probe/Standards.h"
#include "probe/Units.h"

namespace kv {

namespace {

constexpr CComplex kOne{1.0, 0.0};
constexpr CComplex kMinusOne{-1.0, 0.0};

// Standard 2 of an air/short/water calibration is the shorting block; at the low end of the sweep
// its reading divided by the air reading lies near -1 when the block sits properly.
constexpr double kShortTolerance = 0.3;

const char* const kShortQuestion =
    "The shorting block may not be properly connected.  Do you want to make the measurement "
    "again?";

const char* const kComputingCalibration = "Computing Calibration...";
const char* const kDownloadingCalibration = "Downloading Calibration...";

const char* const kOpenInAir = "Leave the probe open in air.";
const char* const kConnectShort = "Connect the shorting block to the probe.";
const char* const kMeasuringAir = "Measuring air.";
const char* const kMeasuringShort = "Measuring the shorting block.";
const char* const kMeasuringWater = "Measuring water.";

const char* const kNoMeasurement = "The analyzer did not return a measurement.";
const char* const kCalibrationCaption = "Calibration Menu";
const char* const kCalibrationAborted = "The calibration was aborted.";
const char* const kRefreshAborted = "The refresh was aborted.";
const char* const kRefreshNeedsCalibration =
    "A calibration must be performed before it can be refreshed.";

std::string UndeterminedText(int points) {
    return "The standards' readings do not determine a calibration at " + std::to_string(points) +
           " points.";
}

// The 1-norm (largest column sum of magnitudes) of a 3 x 3 matrix stored by rows.
double OneNorm(const CComplex* m) {
    double norm = 0.0;
    for (int c = 0; c < 3; ++c) {
        double sum = 0.0;
        for (int r = 0; r < 3; ++r) {
            sum += CComplex::Abs(m[r * 3 + c]);
        }
        norm = std::max(norm, sum);
    }
    return norm;
}

// The system of a point is taken as singular when its condition number reaches the reciprocal
// of the machine precision, with a small margin for the rounding of the matrix's own entries
// (readings that are exact multiples of each other give a condition number near 1e16).
constexpr double kSingularCondition = 1.0 / (8.0 * DBL_EPSILON);

// The value of a per-point array at i, or (0, 0) past its end (as if it had been sized to the
// sweep with zeros).
CComplex At(const std::vector<CComplex>& values, std::size_t i) {
    return i < values.size() ? values[i] : CComplex();
}

}  // namespace

// ---- Standards ----

CComplex CProbeEngine::ModelReflection(const ProbeModel& with, double f, CComplex eps) {
    CComplex y;
    with.ProbeAdmittance(f, eps, y);
    return CComplex::Divide(CComplex::Subtract(kOne, y), CComplex::Add(kOne, y));
}

CComplex CProbeEngine::StandardPermittivity(int index, double f) const {
    if (index < 1 || index > 3) {
        return {};
    }
    const std::size_t k = static_cast<std::size_t>(index - 1);
    return ColeColePermittivity(f, ColeCole{calSettings.stdEo[k], calSettings.stdEinf[k],
                                            calSettings.stdAlpha[k], calSettings.stdTau[k]});
}

CComplex CProbeEngine::StandardReflection(const ProbeModel& with, int index, double f) const {
    return StandardReflectionOf(calSettings, with, index, f);
}

CComplex CProbeEngine::StandardReflectionOf(const CalibrationSheet& calSettings,
                                            const ProbeModel& with, int index, double f) {
    if (index < 1 || index > 3) {
        return {};
    }
    switch (calSettings.calibrationType) {
        case CalibrationType::LoadAirShort:
            if (index == 1) {
                return {};
            }
            if (index == 2) {
                return ModelReflection(with, f, kOne);
            }
            return kMinusOne;
        case CalibrationType::AirShortWater:
            if (index == 1) {
                return ModelReflection(with, f, kOne);
            }
            if (index == 2) {
                return kMinusOne;
            }
            return ModelReflection(with, f, WaterPermittivity(f, calSettings.waterTemperature));
        case CalibrationType::UserStandards: {
            const std::size_t k = static_cast<std::size_t>(index - 1);
            return ModelReflection(
                with, f,
                ColeColePermittivity(f, ColeCole{calSettings.stdEo[k], calSettings.stdEinf[k],
                                                 calSettings.stdAlpha[k], calSettings.stdTau[k]}));
        }
        default:
            return {};
    }
}

CComplex CProbeEngine::RefreshReflection(double f) const {
    return RefreshReflectionOf(calSettings, model, f);
}

CComplex CProbeEngine::RefreshReflectionOf(const CalibrationSheet& sheet, const ProbeModel& with,
                                           double f) {
    if (sheet.refreshStandard == 0) {
        return ModelReflection(with, f, kOne);
    }
    if (sheet.refreshStandard == 2) {
        return ModelReflection(with, f, WaterPermittivity(f, sheet.waterTemperature));
    }
    return kMinusOne;
}

// ---- Prompt texts ----

std::string CProbeEngine::StandardPrompt(int k) const {
    if (k < 1 || k > 3) {
        return {};
    }
    switch (calSettings.calibrationType) {
        case CalibrationType::LoadAirShort: {
            static const char* const texts[] = {
                "Remove the probe and connect a load to the end of the cable.",
                "Reconnect the probe and leave the probe open in air.", kConnectShort};
            return texts[k - 1];
        }
        case CalibrationType::AirShortWater:
            if (k == 1) {
                return kOpenInAir;
            }
            if (k == 2) {
                return kConnectShort;
            }
            return "Insert the probe into " + Printf("%6.2f", calSettings.waterTemperature) +
                   " C water.";
        case CalibrationType::UserStandards:
            return "Insert the probe into " + calSettings.stdLabel[static_cast<std::size_t>(k - 1)];
        default:
            return {};
    }
}

std::string CProbeEngine::StandardTitle(int k) const {
    if (k < 1 || k > 3) {
        return {};
    }
    switch (calSettings.calibrationType) {
        case CalibrationType::LoadAirShort: {
            static const char* const texts[] = {"Measuring the load.", kMeasuringAir,
                                                kMeasuringShort};
            return texts[k - 1];
        }
        case CalibrationType::AirShortWater: {
            static const char* const texts[] = {kMeasuringAir, kMeasuringShort, kMeasuringWater};
            return texts[k - 1];
        }
        case CalibrationType::UserStandards:
            return "Measuring " + calSettings.stdLabel[static_cast<std::size_t>(k - 1)];
        default:
            return {};
    }
}

std::string CProbeEngine::RefreshStdPrompt() const {
    switch (calSettings.refreshStandard) {
        case 0:
            return kOpenInAir;
        case 1:
            return kConnectShort;
        case 2:
            return "Insert the probe in water.";
        default:
            return {};
    }
}

std::string CProbeEngine::RefreshStdTitle() const {
    switch (calSettings.refreshStandard) {
        case 0:
            return kMeasuringAir;
        case 1:
            return kMeasuringShort;
        case 2:
            return kMeasuringWater;
        default:
            return {};
    }
}

// ---- Operator prompt ----

void CProbeEngine::Prompt(const std::string& prompt, const std::string& measuring, int steps) {
    if (ui_ != nullptr) {
        if (measureDlg_ == nullptr) {
            measureDlg_ = ui_->CreateMeasureDlg();
            if (measureDlg_ != nullptr) {
                measureDlg_->Create();
            }
        }
        if (measureDlg_ != nullptr) {
            measureDlg_->SetText(prompt);
            measureDlg_->SetPendingText(measuring);
            if (steps > 0) {
                measureDlg_->StartProgress(steps, 1);
                measureDlg_->ResetProgress();
            } else {
                measureDlg_->StepProgress();
            }
        }
    }
    operatorResponse = kResponseNone;
    if (driver_ != nullptr) {
        driver_->ShowTitle(measuring);
        driver_->ShowMessage(prompt);
        driver_->ArmOperatorResponse();
        driver_->EndSequence();
    }
    if (ui_ != nullptr) {
        ui_->Beep();
    }
}

bool CProbeEngine::WaitForOperator() {
    // With neither a driver nor an operator interface nobody can answer.
    if (driver_ == nullptr && ui_ == nullptr) {
        operatorResponse = kResponseAbort;
    }
    while (operatorResponse == kResponseNone) {
        if (driver_ != nullptr) {
            driver_->PollOperatorResponse(operatorResponse);
        }
        if (measureDlg_ != nullptr) {
            if (operatorResponse == kResponseContinue) {
                measureDlg_->PressOk();
            } else if (operatorResponse == kResponseAbort) {
                measureDlg_->PressAbort();
            }
            if (measureDlg_->TakeOk()) {
                operatorResponse = kResponseContinue;
            }
            // Examined after OK, so OK and Abort in one pass abort.
            if (measureDlg_->TakeAbort()) {
                operatorResponse = kResponseAbort;
                measureDlg_.reset();
            }
        }
        if (ui_ != nullptr) {
            ui_->PumpMessages();
            // Closing the program ends the wait as an abort.
            if (operatorResponse == kResponseNone && ui_->QuitRequested()) {
                operatorResponse = kResponseAbort;
            }
        }
    }
    if (operatorResponse == kResponseContinue) {
        if (driver_ != nullptr) {
            driver_->AcknowledgeContinue();
        }
        return true;
    }
    // An answer other than continue (abort, or a value the driver should not give) ends the
    // operation without measuring.
    AbortPrompt();
    return false;
}

void CProbeEngine::EndPrompt() {
    if (driver_ != nullptr) {
        driver_->ClearMessage();
    }
    measureDlg_.reset();
}

void CProbeEngine::ShowStatus(const std::string& text) {
    if (measureDlg_ != nullptr) {
        measureDlg_->SetText(text);
        measureDlg_->StepProgress();
    }
    if (driver_ != nullptr) {
        driver_->ShowMessage(text);
    }
}

std::uint16_t CProbeEngine::CalStateLength() const {
    return static_cast<std::uint16_t>(
        std::min<std::size_t>(calStateSize, static_cast<std::size_t>(kCalStateBytes)));
}

bool CProbeEngine::TakeTrace(std::vector<CComplex>& trace, bool read) {
    unusableReadings_.clear();
    lastScatter_ = {};
    const std::size_t n = static_cast<std::size_t>(PointCount());
    trace.assign(n, CComplex());
    if (driver_ == nullptr) {
        return true;
    }
    waitAborted_ = false;
    // The sweep an external trigger started is one sweep; so is every reading of an analyzer
    // that repeats the same values.
    const auto* noise = dynamic_cast<const ITraceNoise*>(driver_);
    const int sweeps = read || (noise != nullptr && noise->RepeatsOneSweep())
                           ? 1
                           : std::max(1, calSettings.sweepsPerReading);
    std::vector<std::vector<CComplex>> taken(static_cast<std::size_t>(sweeps),
                                             std::vector<CComplex>(n));
    for (auto& sweep : taken) {
        if ((read ? driver_->ReadTrace(sweep) : driver_->MeasureTrace(sweep)) != 0) {
            return false;
        }
        if (const std::size_t bad = CountUnusableReadings(sweep); bad > 0) {
            unusableReadings_ = UnusableReadingsText(bad);
            return false;
        }
    }
    lastScatter_.sweeps = sweeps;
    if (sweeps == 1) {
        trace = std::move(taken.front());
        const double stated = noise != nullptr ? noise->TraceNoise() : 0.0;
        if (stated > 0.0 && std::isfinite(stated)) {
            lastScatter_.statedNoise = stated;
            lastScatter_.covariance.assign(n, Cov2::Isotropic(stated));
        }
    } else {
        MeanAndCovariance(taken, trace, lastScatter_.covariance);
    }
    return true;
}

Outcome CProbeEngine::ReportFailedReading(const std::string& caption) {
    std::string text = unusableReadings_;
    if (text.empty()) {
        if (const auto* errors = dynamic_cast<const IDriverErrors*>(driver_)) {
            text = errors->LastError();
        }
    }
    if (text.empty()) {
        text = kNoMeasurement;
    }
    Ask(text, caption, Buttons::Ok, Icon::Stop);
    return Outcome::Failure(text);
}

void CProbeEngine::AbortPrompt() {
    operatorResponse = kResponseAbort;
    if (driver_ != nullptr) {
        driver_->EndOperatorResponse();
    }
    EndPrompt();
}

// ---- Calibration ----

CProbeEngine::CalibrationBackup CProbeEngine::BackUpCalibration() const {
    return {stdMeasured1,     stdMeasured2,  stdMeasured3,  errorDirectivity,
            errorSourceMatch, errorTracking, calibrated,    stdScatter,
            refreshScatter,   refreshed,     termCovariance};
}

void CProbeEngine::AbandonCalibration(CalibrationBackup&& before) {
    stdMeasured1 = std::move(before.stdMeasured1);
    stdMeasured2 = std::move(before.stdMeasured2);
    stdMeasured3 = std::move(before.stdMeasured3);
    errorDirectivity = std::move(before.errorDirectivity);
    errorSourceMatch = std::move(before.errorSourceMatch);
    errorTracking = std::move(before.errorTracking);
    calibrated = before.calibrated;
    stdScatter = std::move(before.stdScatter);
    refreshScatter = std::move(before.refreshScatter);
    refreshed = before.refreshed;
    termCovariance = std::move(before.termCovariance);
    // Without a calibration in force the next measurement is refused anyway, and the analyzer may
    // stay as it is.
    if (calibrated && driver_ != nullptr) {
        driver_->DownloadCalibration(errorDirectivity, errorSourceMatch, errorTracking);
        driver_->EndSequence();
    }
}

Outcome CProbeEngine::FailCalibration(CalibrationBackup&& before) {
    AbortPrompt();
    AbandonCalibration(std::move(before));
    // A reading the operator ended is an abort, not a failure to report.
    if (waitAborted_) {
        return Outcome::Abort(kCalibrationAborted);
    }
    return ReportFailedReading(kCalibrationCaption);
}

Outcome CProbeEngine::PerformCalibration() {
    // An abort at any prompt leaves the engine as it was and the analyzer correcting as before.
    CalibrationBackup before = BackUpCalibration();
    if (driver_ != nullptr) {
        driver_->BeginCalibration();
        driver_->PrepareCalibration();
    }

    Prompt(StandardPrompt(1), StandardTitle(1), 4);
    if (!WaitForOperator()) {
        AbandonCalibration(std::move(before));
        return Outcome::Abort(kCalibrationAborted);
    }
    const std::size_t n = static_cast<std::size_t>(PointCount());
    stdMeasured2.assign(n, CComplex());
    stdMeasured3.assign(n, CComplex());
    calibrated = false;
    // A reading that failed ends the calibration as an abort does: nothing of it is kept.
    if (!TakeTrace(stdMeasured1)) {
        return FailCalibration(std::move(before));
    }
    stdScatter[0] = std::move(lastScatter_);
    if (driver_ != nullptr) {
        if (calSettings.calibrationType == CalibrationType::AirShortWater) {
            driver_->PrepareShortStandard();
            driver_->CheckShortStandard();
        }
        driver_->EndSequence();
    }

    Prompt(StandardPrompt(2), StandardTitle(2), 0);
    if (!WaitForOperator()) {
        AbandonCalibration(std::move(before));
        return Outcome::Abort(kCalibrationAborted);
    }
    for (;;) {
        if (!TakeTrace(stdMeasured2)) {
            return FailCalibration(std::move(before));
        }
        stdScatter[1] = std::move(lastScatter_);
        if (calSettings.calibrationType != CalibrationType::AirShortWater) {
            break;
        }
        if (driver_ != nullptr) {
            driver_->CheckShortStandard();
        }
        if (ShortingBlockOk()) {
            break;
        }
        if (driver_ != nullptr) {
            driver_->EndSequence();
        }
        if (Ask(kShortQuestion, "Calibration", Buttons::YesNo) != Answer::Yes) {
            break;
        }
    }
    if (driver_ != nullptr) {
        driver_->EndSequence();
    }

    Prompt(StandardPrompt(3), StandardTitle(3), 0);
    if (!WaitForOperator()) {
        AbandonCalibration(std::move(before));
        return Outcome::Abort(kCalibrationAborted);
    }
    if (!TakeTrace(stdMeasured3)) {
        return FailCalibration(std::move(before));
    }
    stdScatter[2] = std::move(lastScatter_);
    if (driver_ != nullptr) {
        driver_->EndOperatorResponse();
    }

    ShowStatus(kComputingCalibration);
    // Readings that determine no terms (the same reflection for every standard, a trace of
    // zeros) give no calibration: the old one stays, as after an abort.
    if (const int undetermined = ComputeCalibration(); undetermined > 0) {
        AbortPrompt();
        AbandonCalibration(std::move(before));
        const std::string text = UndeterminedText(undetermined);
        Ask(text, kCalibrationCaption, Buttons::Ok, Icon::Stop);
        return Outcome::Failure(text);
    }
    ShowStatus(kDownloadingCalibration);
    if (driver_ != nullptr) {
        driver_->DownloadCalibration(errorDirectivity, errorSourceMatch, errorTracking);
    }
    EndPrompt();
    if (driver_ != nullptr) {
        driver_->SaveCalibrationState(calState, calStateSize);
        driver_->EndSequence();
    }
    calibrated = true;
    refreshed = false;
    refreshScatter = {};
    ComputeCalibrationUncertainty();
    return Outcome::Finished();
}

int CProbeEngine::ComputeCalibration() {
    int undetermined = 0;
    errorDirectivity.clear();
    errorSourceMatch.clear();
    errorTracking.clear();
    const std::size_t n = frequencies.size();
    errorDirectivity.reserve(n);
    errorSourceMatch.reserve(n);
    errorTracking.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        CComplex e00;
        CComplex e11;
        CComplex e01e10;
        if (!SolveErrorTerms(frequencies[i], At(stdMeasured1, i), At(stdMeasured2, i),
                             At(stdMeasured3, i), e00, e11, e01e10)) {
            ++undetermined;
        }
        errorDirectivity.push_back(e00);
        errorSourceMatch.push_back(e11);
        errorTracking.push_back(e01e10);
    }
    return undetermined;
}

bool CProbeEngine::SolveErrorTerms(const ProbeModel& with, double f, CComplex m1, CComplex m2,
                                   CComplex m3, CComplex& e00, CComplex& e11,
                                   CComplex& e01e10) const {
    const CComplex g[3] = {StandardReflection(with, 1, f), StandardReflection(with, 2, f),
                           StandardReflection(with, 3, f)};
    const CComplex m[3] = {m1, m2, m3};
    // The error model rearranged as M = x0 G + x1 - x2 G M, linear in x0, x1, x2; one row per
    // standard, standard 3 first.
    CComplex a[9];
    CComplex b[3];
    for (int row = 0; row < 3; ++row) {
        const int k = 2 - row;
        a[row * 3 + 0] = g[k];
        a[row * 3 + 1] = kOne;
        a[row * 3 + 2] = CComplex::Multiply(kMinusOne, CComplex::Multiply(g[k], m[k]));
        b[row] = m[k];
    }
    // A singular system leaves the inverse at zero, and the point gets zero terms.
    CComplex inverse[9];
    bool determined = CComplex::Invert(a, inverse, 3) == 0;
    if (determined) {
        // Singular to machine precision: the inverse is rounding noise. !(<) counts NaN.
        const double condition = OneNorm(a) * OneNorm(inverse);
        if (!(condition < kSingularCondition)) {
            determined = false;
            std::fill(std::begin(inverse), std::end(inverse), CComplex());
        }
    }
    CComplex x[3];
    CComplex::MatrixProduct(inverse, 3, 3, b, 3, 1, x);
    e00 = x[1];
    e11 = CComplex::Multiply(kMinusOne, x[2]);
    e01e10 = CComplex::Subtract(x[0], CComplex::Multiply(x[1], x[2]));
    return determined;
}

bool CProbeEngine::ShortingBlockOk() const {
    // Without a point there is nothing that speaks against the block.
    if (stdMeasured1.empty() || stdMeasured2.empty()) {
        return true;
    }
    const CComplex r = stdMeasured2[0] / stdMeasured1[0];
    return !((r - kMinusOne).Magnitude() > kShortTolerance);
}

Outcome CProbeEngine::RefreshCalibration() {
    if (!calibrated) {
        Ask(kRefreshNeedsCalibration, kCalibrationCaption, Buttons::Ok, Icon::Stop);
        return Outcome::Refusal(kRefreshNeedsCalibration);
    }
    Prompt(RefreshStdPrompt(), RefreshStdTitle(), 2);
    // A refresh never tells the analyzer to begin a calibration: after an abort it still corrects
    // with the terms it holds, and nothing needs to go back.
    if (!WaitForOperator()) {
        return Outcome::Abort(kRefreshAborted);
    }
    // Taken aside, so that an aborted or failed refresh keeps the last reading and the terms.
    std::vector<CComplex> reading;
    if (!TakeTrace(reading)) {
        AbortPrompt();
        return waitAborted_ ? Outcome::Abort(kRefreshAborted)
                            : ReportFailedReading(kCalibrationCaption);
    }
    refreshMeasured = std::move(reading);
    refreshScatter = std::move(lastScatter_);
    ShowStatus(kComputingCalibration);
    ApplyRefresh();
    refreshed = true;
    ComputeCalibrationUncertainty();
    ShowStatus(kDownloadingCalibration);
    if (driver_ != nullptr) {
        driver_->DownloadCalibration(errorDirectivity, errorSourceMatch, errorTracking);
        driver_->SaveCalibrationState(calState, calStateSize);
        driver_->EndOperatorResponse();
    }
    EndPrompt();
    if (driver_ != nullptr) {
        driver_->EndSequence();
    }
    return Outcome::Finished();
}

void CProbeEngine::ApplyRefresh() {
    // A standard the refresh does not know gives no expected reflection: the terms stay.
    if (calSettings.refreshStandard < 0 || calSettings.refreshStandard > 2) {
        return;
    }
    const std::size_t n = std::min({refreshMeasured.size(), frequencies.size(),
                                    errorSourceMatch.size(), errorTracking.size()});
    for (std::size_t i = 0; i < n; ++i) {
        const CComplex expected = RefreshReflection(frequencies[i]);
        const CComplex ratio = CComplex::Divide(refreshMeasured[i], expected);
        errorSourceMatch[i] = CComplex::Multiply(errorSourceMatch[i], ratio);
        errorTracking[i] = CComplex::Multiply(errorTracking[i], ratio);
    }
}

}  // namespace kv
