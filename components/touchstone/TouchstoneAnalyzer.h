#pragma once

// The "Touchstone files" analyzer: plays one-port Touchstone files as the readings of the
// standards and the sample, for work without an analyzer. After BeginCalibration the n-th prompt
// of the sequence takes the n-th standard's file (air, short, water; load, air, short; or the
// three user-defined standards, told apart by the title of the first prompt); a repeated reading
// of the shorting block replays the same file. Outside a calibration a sweep is the sample's
// file, or the refreshed standard's file while the refresh prompt is shown. Like an analyzer, it
// returns raw readings between BeginCalibration and DownloadCalibration and readings corrected
// with the downloaded terms otherwise. Its sweep is the files' frequencies, as written: a list the
// program takes from it (IListSweep), and the only one it sweeps.

#include <map>
#include <string>
#include <vector>

#include "instrument/DownloadedTerms.h"
#include "instrument/IComponentSettings.h"
#include "instrument/IListSweep.h"
#include "instrument/ITraceNoise.h"
#include "instrument/InstrumentDriverBase.h"
#include "touchstone/Touchstone.h"

namespace kv {

class TouchstoneAnalyzer : public InstrumentDriverBase,
                           public IComponentSettings,
                           public IListSweep,
                           public ITraceNoise {
public:
    static constexpr const char* kName = "Touchstone files";

    // ITraceNoise: a file states no noise, and every sweep of it is the same, so a reading is one
    // sweep however many are asked for.
    double TraceNoise() const override { return 0.0; }
    bool RepeatsOneSweep() const override { return true; }

    // The files by their settings key (kTouchstoneFileKeys); empty paths are left out.
    explicit TouchstoneAnalyzer(std::map<std::string, std::string> files);

    // Reads every file: they must read and share the frequencies and the reference resistance of
    // the first of them (in the order of kTouchstoneFileKeys).
    int CheckInstrument() override;
    int OpenInstrument(const std::string&, const std::string&) override;
    int Preset() override;
    // Takes note of the sweep the program expects; the analyzer sweeps the files' frequencies
    // whatever it is sent, and a sweep refuses to measure when they are not the expected ones.
    int SetFrequencyList(std::span<const double> frequencies, int count, int sweepType) override;
    int MeasureTrace(std::span<CComplex> trace) override;
    int ReadTrace(std::span<CComplex> trace) override;
    int DownloadCalibration(std::span<const CComplex> directivity,
                            std::span<const CComplex> sourceMatch,
                            std::span<const CComplex> tracking) override;
    int BeginCalibration() override;
    int ShowTitle(const std::string& text) override;
    int ArmOperatorResponse() override;
    int GetStartFrequency(double& hz) override;
    int GetStopFrequency(double& hz) override;
    int GetNumberOfPoints(int& points) override;
    int GetMinFrequency(double& hz) override { return GetStartFrequency(hz); }
    int GetMaxFrequency(double& hz) override { return GetStopFrequency(hz); }
    int GetMaxPoints(int& points) override { return GetNumberOfPoints(points); }
    int GetInstrumentName(std::string& name) override;
    int QueryLogSweepSupport() override { return logSweep_ ? 0 : kLogSweepNotOffered; }

    // IListSweep: the files' frequencies are the one list it sweeps.
    std::string ListRefusal(std::span<const double> frequencies) const override;
    int GetFrequencyList(std::vector<double>& frequencies) override;

    // The settings page (TouchstoneSettingsPage.cpp): one file per standard and the sample, kept
    // in the settings group kTouchstoneSettingsGroup.
    std::string SettingsTitle() const override;
    std::vector<SettingDescription> DescribeSettings() const override;
    bool StoreSettings(const std::map<std::string, std::string>& values,
                       std::string& error) override;

private:
    struct File {
        std::string path;
        TouchstoneData data;
    };
    int Load();
    bool CorrectionOn() const;
    // The settings key of the file the next sweep plays, empty when none applies.
    std::string CurrentKey() const;

    std::map<std::string, std::string> paths_;
    std::map<std::string, File> files_;
    bool loaded_ = false;
    bool logSweep_ = false;
    std::vector<double> axis_;  // the files' frequencies

    std::vector<double> sweep_;  // the list the program set
    bool calibrating_ = false;
    int position_ = 0;  // prompts since BeginCalibration
    std::string kind_;  // "air", "load" or "standard1": the first standard
    std::string title_;
    DownloadedTerms terms_;
    std::vector<CComplex> lastTrace_;
};

}  // namespace kv
