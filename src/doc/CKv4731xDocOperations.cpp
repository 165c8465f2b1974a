// The document's operations: what the menu commands do once their dialogs are answered, each
// reporting what happened. The menu commands and the terminal front end both call them.

#include <ctime>

#include "doc/CKv4731xDoc.h"
#include "doc/OperatorUi.h"
#include "persist/DataFile.h"

namespace kv {

CKv4731xDoc::BusyScope::BusyScope(CKv4731xDoc& doc) : doc_(doc) {
    if (doc_.busyDepth_++ == 0) {
        doc_.ui_.CommandStatesChanged();
    }
}

CKv4731xDoc::BusyScope::~BusyScope() {
    if (--doc_.busyDepth_ == 0) {
        doc_.ui_.CommandStatesChanged();
    }
}

Outcome CKv4731xDoc::SetSweep(const FrequencyPage& page) {
    BusyScope busy(*this);
    Outcome outcome = engine_->CheckSweep(page);
    if (outcome.Done()) {
        ApplySweepPage(page);
    }
    return outcome;
}

void CKv4731xDoc::SweepEdited() {
    InvalidateAllTraces();
    UpdateAllViews();
    SetModified();
}

CalibrationSheet CKv4731xDoc::CalibrationSettings() const {
    CalibrationSheet sheet = engine_->calSettings;
    sheet.frequencyScale = engine_->model.frequencyScale;
    sheet.coefficientScale = engine_->model.coefficientScale;
    sheet.probes.clear();
    return sheet;
}

void CKv4731xDoc::ConfigureCalibration(const CalibrationSheet& sheet) {
    SetModified();
    const bool scalesChanged = sheet.frequencyScale != engine_->model.frequencyScale ||
                               sheet.coefficientScale != engine_->model.coefficientScale;
    engine_->calSettings = sheet;
    engine_->calSettings.probes.clear();
    engine_->LoadProbeCoefficients();
    // Another probe: a calibration in force is computed anew for it, as UseProbe does.
    if (scalesChanged) {
        engine_->SetProbeScales(sheet.frequencyScale, sheet.coefficientScale);
    }
    // The uncertainty inputs may have changed: the calibration's part follows them.
    engine_->ComputeCalibrationUncertainty();
}

Outcome CKv4731xDoc::PerformCalibration() {
    BusyScope busy(*this);
    if (!RequireInstrument()) {
        return Outcome::Refusal(kNeedsInstrumentText);
    }
    SetModified();
    Outcome outcome = engine_->PerformCalibration();
    if (outcome.Done()) {
        calibrationTime = std::time(nullptr);
        ui_.ShowStatusText("Calibration complete");
    }
    return outcome;
}

Outcome CKv4731xDoc::RefreshCalibration() {
    BusyScope busy(*this);
    if (!RequireInstrument()) {
        return Outcome::Refusal(kNeedsInstrumentText);
    }
    SetModified();
    Outcome outcome = engine_->RefreshCalibration();
    if (outcome.Done()) {
        calibrationTime = std::time(nullptr);
        ui_.ShowStatusText("Calibration refreshed");
    }
    return outcome;
}

Outcome CKv4731xDoc::Measure(bool onExternalTrigger) {
    BusyScope busy(*this);
    // A measurement the operator starts changes the setup even when it cannot run; arming the
    // trigger changes it only through the measurement it brings.
    if (!onExternalTrigger) {
        SetModified();
    }
    if (!RequireInstrument()) {
        return Outcome::Refusal(kNeedsInstrumentText);
    }
    Outcome outcome = onExternalTrigger ? engine_->MeasureOnTrigger() : engine_->Measure();
    if (outcome.Done()) {
        ShowMeasurement();
        ui_.ShowStatusText("Measurement complete");
    }
    return outcome;
}

Outcome CKv4731xDoc::SaveSetupFile(const std::string& path) {
    Outcome outcome = StoreSetupFile(path);
    if (outcome.Done()) {
        SetModified(false);
        ui_.ShowStatusText("Setup saved to " + path);
    }
    return outcome;
}

Outcome CKv4731xDoc::OpenSetupFile(const std::string& path) {
    if (IsDataFilePath(path)) {
        return Outcome::Refusal(path + " is a data file, not a setup file.");
    }
    Outcome outcome = LoadSetupFile(path);
    if (outcome.Done()) {
        SetModified(false);
    }
    return outcome;
}

Outcome CKv4731xDoc::SaveDefaults() {
    Outcome outcome = WriteDefaultsFile();
    if (outcome.Done()) {
        ui_.ShowStatusText(std::string("Defaults saved to ") + defaultsPath);
    }
    return outcome;
}

}  // namespace kv
