// Sample measurement (started by the operator or by the analyzer's external trigger) and what the
// engine does after a setup file was read into it.

#include <algorithm>
#include <functional>

#include "instrument/PrintableText.h"
#include "probe/CProbeEngine.h"

namespace kv {

namespace {

const char* const kNotCalibrated =
    "A calibration must be performed before a measurement can be made.";
const char* const kComputingValues = "Computing Values...";
const char* const kTriggerCaption = "External Trigger";
const char* const kMeasureCaption = "Measure Menu";
const char* const kMeasureAborted = "The measurement was aborted.";
const char* const kTriggerCancelled = "The wait for the external trigger was cancelled.";
const char* const kTriggerUnsupported = "The selected instrument does not support this function.";
const char* const kTriggerFailed = "The external trigger could not be armed or read.";
const char* const kNoAnalyzer = "No analyzer is attached.";

// The record that keeps the name of the instrument a calibration was made on.
constexpr std::size_t kStoredNameLength = 200;

}  // namespace

Outcome CProbeEngine::Measure() {
    // A failed reading leaves the last sample and the Data trace as they were.
    return ReadAtPrompt("Insert probe into sample.", "Measuring sample...",
                        [this](std::vector<CComplex>&& reading) {
                            sampleMeasured = std::move(reading);
                            sampleScatter = std::move(lastScatter_);
                            ShowStatus(kComputingValues);
                            FillResult();
                        });
}

Outcome CProbeEngine::MeasureUnprompted() {
    if (!calibrated) {
        Ask(kNotCalibrated, kMeasureCaption, Buttons::Ok, Icon::Stop);
        return Outcome::Refusal(kNotCalibrated);
    }
    if (driver_ != nullptr) {
        driver_->ShowTitle("Measuring sample...");
    }
    std::vector<CComplex> reading;
    if (!TakeTrace(reading)) {
        return waitAborted_ ? Outcome::Abort(kMeasureAborted)
                            : ReportFailedReading(kMeasureCaption);
    }
    sampleMeasured = std::move(reading);
    FillResult();
    if (driver_ != nullptr) {
        driver_->EndSequence();
    }
    return Outcome::Finished();
}

Outcome CProbeEngine::MeasureReading(const std::string& prompt, const std::string& measuring,
                                     std::vector<CComplex>& reading) {
    return ReadAtPrompt(prompt, measuring,
                        [&reading](std::vector<CComplex>&& taken) { reading = std::move(taken); });
}

Outcome CProbeEngine::ReadAtPrompt(const std::string& prompt, const std::string& measuring,
                                   const std::function<void(std::vector<CComplex>&&)>& take) {
    if (!calibrated) {
        Ask(kNotCalibrated, kMeasureCaption, Buttons::Ok, Icon::Stop);
        return Outcome::Refusal(kNotCalibrated);
    }
    Prompt(prompt, measuring, 2);
    if (!WaitForOperator()) {
        return Outcome::Abort(kMeasureAborted);
    }
    std::vector<CComplex> reading;
    if (!TakeTrace(reading)) {
        AbortPrompt();
        // A reading the operator ended leaves everything as an abort at the prompt does.
        return waitAborted_ ? Outcome::Abort(kMeasureAborted)
                            : ReportFailedReading(kMeasureCaption);
    }
    take(std::move(reading));
    if (driver_ != nullptr) {
        driver_->EndOperatorResponse();
    }
    EndPrompt();
    if (driver_ != nullptr) {
        driver_->EndSequence();
    }
    return Outcome::Finished();
}

void CProbeEngine::SetProbeScales(double frequencyScale, double coefficientScale) {
    model.frequencyScale = frequencyScale;
    model.coefficientScale = coefficientScale;
    LoadProbeCoefficients();
    if (!calibrated) {
        return;
    }
    // The terms are solved anew from the standards' readings: a refresh no longer holds.
    ComputeCalibration();
    refreshed = false;
    ComputeCalibrationUncertainty();
    // As after a calibration: the analyzer corrects with the new terms, and the state a setup
    // file keeps is theirs.
    if (driver_ != nullptr) {
        driver_->DownloadCalibration(errorDirectivity, errorSourceMatch, errorTracking);
        driver_->SaveCalibrationState(calState, calStateSize);
        driver_->EndSequence();
    }
}

Outcome CProbeEngine::MeasureOnTrigger() {
    if (!calibrated) {
        Ask(kNotCalibrated, kMeasureCaption, Buttons::Ok, Icon::Stop);
        return Outcome::Refusal(kNotCalibrated);
    }
    ShowWait("Waiting for external trigger.", kTriggerCaption);
    if (Outcome waited = WaitForTrigger(); !waited.Done()) {
        HideWait();
        return waited;
    }
    // The sweep the trigger started, not a new one.
    std::vector<CComplex> reading;
    if (!TakeTrace(reading, true)) {
        HideWait();
        return waitAborted_ ? Outcome::Abort(kTriggerCancelled)
                            : ReportFailedReading(kMeasureCaption);
    }
    sampleMeasured = std::move(reading);
    sampleScatter = std::move(lastScatter_);
    ShowWait(kComputingValues, kTriggerCaption);
    FillResult();
    if (driver_ != nullptr) {
        driver_->EndOperatorResponse();
    }
    HideWait();
    if (driver_ != nullptr) {
        driver_->EndSequence();
    }
    return Outcome::Finished();
}

Outcome CProbeEngine::WaitForTrigger() {
    if (driver_ == nullptr) {
        return Outcome::Refusal(kNoAnalyzer);
    }
    int result = driver_->ArmExternalTrigger();
    if (result == kTriggerNotSupported) {
        Ask(kTriggerUnsupported, kTriggerCaption);
        return Outcome::Refusal(kTriggerUnsupported);
    }
    if (waitDlg_ != nullptr) {
        waitDlg_->RevealCancel();
    }
    bool cancelled = false;
    do {
        result = driver_->PollExternalTrigger();
        // Closing the program counts as Cancel, so the wait cannot outlive it.
        cancelled = (waitDlg_ != nullptr && waitDlg_->Cancelled()) ||
                    (ui_ != nullptr && ui_->QuitRequested());
        if (ui_ != nullptr) {
            ui_->PumpMessages();
        }
    } while (!cancelled && result == kTriggerStillWaiting);
    if (cancelled) {
        return Outcome::Abort(kTriggerCancelled);
    }
    return result == 0 ? Outcome::Finished() : Outcome::Failure(kTriggerFailed);
}

void CProbeEngine::FillResult() {
    // sampleMeasured has one element per frequency, so the model reads no frequency past the
    // end of the list.
    const std::size_t n = std::min(sampleMeasured.size(), frequencies.size());
    result.frequencies = frequencies;
    result.sensitivity.assign(n, 0.0);
    result.permittivity.assign(n, CComplex{});
    ComputePermittivity(frequencies.data(), sampleMeasured.data(), result.permittivity.data(),
                        result.sensitivity.data(), static_cast<int>(n));
    FillUncertainty();
}

namespace {

// The record holds a C text: it ends at its terminator or after its 200th byte.
std::string StoredName(const std::string& record) {
    std::string stored = record.substr(0, record.find('\0'));
    if (stored.size() > kStoredNameLength) {
        stored.resize(kStoredNameLength);
    }
    return stored;
}

}  // namespace

bool CProbeEngine::SameInstrument(const std::string& storedName) const {
    return instrumentName == StoredName(storedName);
}

bool CProbeEngine::ResumeCalibration(const Sweep& calibratedSweep) {
    if (driver_ == nullptr || calibratedSweep.StartHz() < minFrequency ||
        calibratedSweep.StopHz() > maxFrequency || calibratedSweep.numPoints > maxPoints) {
        return false;
    }
    const Sweep fitted = sweep;
    sweep = calibratedSweep;
    BuildFrequencyList();
    const std::size_t n = frequencies.size();
    if (n == 0 || errorDirectivity.size() != n || errorSourceMatch.size() != n ||
        errorTracking.size() != n) {
        sweep = fitted;
        BuildFrequencyList();
        return false;
    }
    driver_->SetFrequencyList(frequencies, PointCount(), SweepTypeCode(sweep.sweepType));
    driver_->RestoreCalibrationState(calState, CalStateLength());
    driver_->DownloadCalibration(errorDirectivity, errorSourceMatch, errorTracking);
    driver_->EndSequence();
    calibrated = true;
    return true;
}

std::optional<SweepVerification> CProbeEngine::AfterLoad(const std::string& storedName) {
    const std::string stored = StoredName(storedName);
    std::optional<SweepVerification> verification;
    if (calibrated) {
        if (instrumentName != stored) {
            Ask("The calibration belongs to " + PrintableText(stored) + ".", "Opening Setup File");
            calibrated = false;
            SetupInstrument();
            verification = VerifyInstrumentSetup(kSetupChangedMessage);
        } else if (driver_ != nullptr) {
            // A block length beyond the block itself (a damaged file) is never handed on.
            driver_->RestoreCalibrationState(calState, CalStateLength());
            driver_->DownloadCalibration(errorDirectivity, errorSourceMatch, errorTracking);
        }
        if (driver_ != nullptr) {
            driver_->EndSequence();
        }
    } else {
        SetupInstrument();
        verification = VerifyInstrumentSetup(kSetupChangedMessage);
    }
    return verification;
}

}  // namespace kv
