#pragma once

// The Demo analyzer: a simulated network analyzer with an open-ended probe on a 1 m cable. It
// follows the driver contract of the program: raw reflections from BeginCalibration (or
// PrepareCalibration) up to the next DownloadCalibration, reflections corrected with the terms last
// downloaded otherwise (raw when none are, or when they do not fit the sweep). The material at the
// probe follows the texts the program shows (DemoOperator). It sweeps any list of frequencies
// within its range and its number of points (IListSweep).

#include <string>
#include <vector>

#include "DemoErrorModel.h"
#include "DemoMaterial.h"
#include "DemoOperator.h"
#include "DemoSettings.h"
#include "GaussianNoise.h"
#include "instrument/IComponentSettings.h"
#include "instrument/IDriverSettings.h"
#include "instrument/IListSweep.h"
#include "instrument/ITraceNoise.h"
#include "instrument/InstrumentDriverBase.h"
#include "probe/ProbeModel.h"

namespace kv {

// Operations the analyzer has nothing to do for are the base's.
class DemoAnalyzer : public InstrumentDriverBase,
                     public IDriverSettings,
                     public IComponentSettings,
                     public IListSweep,
                     public ITraceNoise {
public:
    // The settings file the plugin reads, in the working directory.
    static constexpr const char* kSettingsFile = "demo-analyzer.ini";

    explicit DemoAnalyzer(const DemoSettings& settings);

    int SelectGpibCard(const std::string& cardClsid) override;
    int CheckInstrument() override;
    int Initialize() override;
    int Preset() override;
    int SetFrequencyList(std::span<const double> frequencies, int count, int sweepType) override;
    int MeasureTrace(std::span<CComplex> trace) override;
    int DownloadCalibration(std::span<const CComplex> directivity,
                            std::span<const CComplex> sourceMatch,
                            std::span<const CComplex> tracking) override;
    int ShowTitle(const std::string& text) override;
    int ShowMessage(const std::string& text) override;
    int ArmOperatorResponse() override;
    int PollOperatorResponse(int& response) override;
    int BeginCalibration() override;
    int EndOperatorResponse() override;
    int GetStartFrequency(double& hz) override;
    int GetNumberOfPoints(int& points) override;
    int GetStopFrequency(double& hz) override;
    int ReadTrace(std::span<CComplex> trace) override;
    int GetMinFrequency(double& hz) override;
    int GetMaxFrequency(double& hz) override;
    int GetMaxPoints(int& points) override;
    int SetAddresses(const std::string& cardAddress, const std::string& instrumentAddress) override;
    int OpenInstrument(const std::string& cardAddress,
                       const std::string& instrumentAddress) override;
    int GetInstrumentName(std::string& name) override;
    int AcknowledgeContinue() override;
    int SupportsReverseMeasurement() override { return settings_.reverseMeasurement ? 1 : 0; }
    int RestoreCalibrationState(const CalState& state, std::uint16_t size) override;
    int SaveCalibrationState(CalState& state, std::uint16_t& size) override;
    int PrepareCalibration() override { return BeginCalibration(); }
    int QueryLogSweepSupport() override;
    int ArmExternalTrigger() override;
    int PollExternalTrigger() override;

    // IListSweep: a list is refused for a point outside the range or more points than the
    // analyzer has. The list read back is the one it sweeps, or with report_points the linear
    // sweep of that many points between its ends (as GetNumberOfPoints reports).
    std::string ListRefusal(std::span<const double> frequencies) const override;
    int GetFrequencyList(std::vector<double>& frequencies) override;

    // ITraceNoise: the settings' noise.
    double TraceNoise() const override { return settings_.noise; }

    // For one run: "material" (air, short, water, load, sample) puts that at the probe.
    bool SetRunSetting(const std::string& key, const std::string& value,
                       std::string& error) override;

    // The settings page (DemoSettingsPage.cpp), stored in kSettingsFile.
    std::string SettingsTitle() const override;
    std::vector<SettingDescription> DescribeSettings() const override;
    bool StoreSettings(const std::map<std::string, std::string>& values,
                       std::string& error) override;

private:
    DemoMaterial MaterialNamed(const std::string& name) const;
    bool AtConfiguredAddresses() const;
    bool CorrectionOn() const;
    // Takes one sweep of the current material into lastTrace_.
    void Sweep();
    // Whether the next reading fails (fail_measure, fail_measure_after); counts the readings.
    bool ReadingFails();

    DemoSettings settings_;
    ProbeModel model_;
    DemoOperator operator_;
    DemoMaterial material_;
    GaussianNoise noise_;

    bool cardSelected_ = false;
    int cardNumber_ = -1;
    int instrumentNumber_ = -1;

    std::vector<double> frequencies_;
    int sweepType_ = 0;

    bool calibrating_ = false;
    DownloadedTerms terms_;

    int sweeps_ = 0;  // sweeps taken, for the cable drift
    std::vector<CComplex> lastTrace_;
    bool haveTrace_ = false;
    int readings_ = 0;  // MeasureTrace and ReadTrace calls

    bool responseArmed_ = false;
    int responsePolls_ = 0;
    bool triggerArmed_ = false;
    int triggerPolls_ = 0;
};

}  // namespace kv
