#pragma once

// The LibreVNA analyzer, driven through the SCPI server of its GUI (LibreVNA-GUI, version 1.6.0
// or later) over the LAN card: card address the host running the GUI, instrument address the
// server's port (empty: 19542). Set commands get no answer and a failing query sends no line at
// all, only the command-error bit of the event status register: every group of settings is
// followed by *ESR?, and a query whose answer does not come within the timeout is followed by
// *ESR? to tell a refused query from a silent GUI. The driver corrects the raw S11 itself with the
// three terms the program downloads; the GUI's own calibration must be off (it is never reset
// from here, since that deletes the user's calibration measurements) and de-embedding of the S11
// trace is switched off. Lists and logarithmic sweeps are taken as consecutive linear sweeps.

#include <QElapsedTimer>
#include <memory>
#include <string>
#include <vector>

#include "ScpiTransport.h"
#include "instrument/DownloadedTerms.h"
#include "instrument/IComponentSettings.h"
#include "instrument/IDriverSettings.h"
#include "instrument/IDriverWait.h"
#include "instrument/IListSweep.h"
#include "instrument/ITraceNoise.h"
#include "instrument/InstrumentDriverBase.h"

namespace kv {

struct LibreVnaSettings {
    double ifBandwidth = 1000.0;  // Hz
    double power = -10.0;         // dBm
    int averaging = 1;            // sweeps averaged by the GUI per reading
    double traceNoise = 0.0;      // the stated noise of a raw reading; 0 states none
    double timeout = 10.0;        // s, every answer
};

inline constexpr const char* kLibreVnaSettingsGroup = "LibreVNA";
inline constexpr int kLibreVnaPort = 19542;

// The settings saved in the program's QSettings (defaults for what is missing or unreadable).
LibreVnaSettings LoadLibreVnaSettings();
// Checks and stores one setting by its key (ifbw, power, average, timeout); false with the reason.
bool SetLibreVnaSetting(LibreVnaSettings& settings, const std::string& key,
                        const std::string& value, std::string& error);

// The GUI version of an identification "maker,model,serial,version" as major, minor, patch;
// false when its fourth field does not begin with such a number.
bool ReadGuiVersion(const std::string& identification, int version[3]);

class LibreVnaDriver : public InstrumentDriverBase,
                       public IDriverSettings,
                       public IDriverWait,
                       public IComponentSettings,
                       public IListSweep,
                       public ITraceNoise {
public:
    // The oldest GUI whose SCPI server has *ESR? and answers no set command.
    static constexpr int kMinVersion[3] = {1, 6, 0};
    // After :VNA:ACQ:SINGLE TRUE the GUI may still answer TRUE to :VNA:ACQ:FIN? for up to 400 ms
    // (the finished state of the sweep before): TRUE counts only after FALSE was seen or once
    // this long has passed since the sweep was started.
    static constexpr int kStaleFinishedMs = 500;
    static constexpr int kPollIntervalMs = 20;

    explicit LibreVnaDriver(LibreVnaSettings settings);
    ~LibreVnaDriver() override;

    int SelectGpibCard(const std::string& cardClsid) override;
    int SetAddresses(const std::string& cardAddress, const std::string& instrumentAddress) override;
    int CheckInstrument() override;
    int OpenInstrument(const std::string& cardAddress,
                       const std::string& instrumentAddress) override;
    int Initialize() override;
    int Preset() override;
    int GetInstrumentName(std::string& name) override;
    int BeginLimitQuery() override;
    int GetMinFrequency(double& hz) override;
    int GetMaxFrequency(double& hz) override;
    int GetMaxPoints(int& points) override;
    int QueryLogSweepSupport() override { return 0; }
    int SetFrequencyList(std::span<const double> frequencies, int count, int sweepType) override;
    int GetStartFrequency(double& hz) override;
    int GetStopFrequency(double& hz) override;
    int GetNumberOfPoints(int& points) override;
    int MeasureTrace(std::span<CComplex> trace) override;
    int ReadTrace(std::span<CComplex> trace) override { return MeasureTrace(trace); }
    int BeginCalibration() override;
    int PrepareCalibration() override { return BeginCalibration(); }
    int DownloadCalibration(std::span<const CComplex> directivity,
                            std::span<const CComplex> sourceMatch,
                            std::span<const CComplex> tracking) override;
    int ClearMessage() override;
    int SaveCalibrationState(CalState& state, std::uint16_t& size) override;
    int RestoreCalibrationState(const CalState& state, std::uint16_t size) override;

    std::string ListRefusal(std::span<const double> frequencies) const override;
    int GetFrequencyList(std::vector<double>& frequencies) override;

    bool SetRunSetting(const std::string& key, const std::string& value,
                       std::string& error) override;
    void SetWaitHook(DriverWaitHook hook) override;

    std::string SettingsTitle() const override;
    std::vector<SettingDescription> DescribeSettings() const override;
    // ITraceNoise: the "noise" setting.
    double TraceNoise() const override { return settings_.traceNoise; }
    bool StoreSettings(const std::map<std::string, std::string>& values,
                       std::string& error) override;

    // One linear sweep of the GUI and the points of the program's list it gives.
    struct Run {
        double start = 0;
        double stop = 0;
        int points = 0;
        std::size_t first = 0;  // the first point of the sweep that belongs to the list
        std::size_t count = 0;  // how many do, in order
    };
    // The sweeps that take the list, each within `maxPoints`; empty with the reason when none can.
    static std::vector<Run> PlanRuns(const std::vector<double>& list, int sweepType, int maxPoints,
                                     std::string& error);

    const LibreVnaSettings& Settings() const { return settings_; }
    const std::vector<Run>& Runs() const { return runs_; }

private:
    std::string Where() const;
    bool Connect();
    void Disconnect();
    bool Send(const std::string& command);
    // The answer line of a query; a missing answer is told apart from a refused query by *ESR?.
    bool Query(const std::string& query, std::string& text);
    bool QueryNumber(const std::string& query, double& value);
    // Sends the commands, then asks *ESR?: false when the GUI refused one of them.
    bool SendChecked(const std::vector<std::string>& commands, const std::string& what);
    bool ReadEsr(int& esr);
    bool CheckCalibrationOff();
    bool ApplySettings();
    bool ReadLimits();
    bool ProgramRun(const Run& run, bool verify);
    bool WaitForSweep(const Run& run, const QElapsedTimer& started);
    bool ReadRun(const Run& run, std::vector<CComplex>& raw);

    LibreVnaSettings settings_;
    std::unique_ptr<ScpiTransport> transport_;
    DriverWaitHook waitHook_;
    std::string host_;
    int port_ = kLibreVnaPort;
    std::string identification_;

    bool limitsRead_ = false;
    double minFrequency_ = 0;
    double maxFrequency_ = 0;
    int maxPoints_ = 0;

    std::vector<double> frequencies_;
    int sweepType_ = 0;
    std::vector<Run> runs_;
    bool runSet_ = false;     // the one run is what the GUI sweeps now
    std::string sweepError_;  // why the last sweep setting failed

    HostCorrection correction_;
};

}  // namespace kv
