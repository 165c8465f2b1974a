#pragma once

// The NanoVNA analyzer on the USB serial port card: the text shell of the original firmware and
// its descendants, or the V2 binary protocol, chosen by what the analyzer answers to one carriage
// return. The driver measures every sweep and list as consecutive linear scans, checks the
// frequencies the analyzer reports against the program's list, and corrects the raw S11 itself
// with the three terms the program downloads.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "NanoVnaProtocol.h"
#include "NanoVnaRuns.h"
#include "instrument/DownloadedTerms.h"
#include "instrument/IAddressSearch.h"
#include "instrument/IComponentSettings.h"
#include "instrument/IDriverSettings.h"
#include "instrument/IDriverWait.h"
#include "instrument/IListSweep.h"
#include "instrument/ITraceNoise.h"
#include "instrument/InstrumentDriverBase.h"

namespace kv {

struct NanoVnaSettings {
    double timeout = 10.0;    // s, every answer, scaled by the points of a scan
    double traceNoise = 0.0;  // the stated noise of a raw reading; 0 states none
};

inline constexpr const char* kNanoVnaSettingsGroup = "NanoVna";
// The most points of the program's own sweeps, which the driver reports as the analyzer's.
inline constexpr int kNanoVnaMaxPoints = 1601;
// The points a scan's timeout is set for; a longer scan waits longer in proportion.
inline constexpr int kNanoVnaTimeoutPoints = 101;
// How long Find and the connection wait for the first answer.
inline constexpr int kNanoVnaDetectMs = 1000;

NanoVnaSettings LoadNanoVnaSettings();
// Checks and stores one setting by its key (timeout, noise); false with the reason.
bool SetNanoVnaSetting(NanoVnaSettings& settings, const std::string& key, const std::string& value,
                       std::string& error);

// The serial ports whose USB ids are the family's (0483:5740 shell, 04b4:0008 V2), in order.
std::vector<std::string> NanoVnaCandidatePorts();

class NanoVnaDriver : public InstrumentDriverBase,
                      public IDriverSettings,
                      public IDriverWait,
                      public IComponentSettings,
                      public IListSweep,
                      public IAddressSearch,
                      public ITraceNoise {
public:
    using LinkFactory = std::function<std::unique_ptr<SerialLink>(const std::string& path)>;
    using PortLister = std::function<std::vector<std::string>()>;

    explicit NanoVnaDriver(NanoVnaSettings settings, LinkFactory links = MakeSerialPortLink,
                           PortLister ports = NanoVnaCandidatePorts);
    ~NanoVnaDriver() override;

    int SelectGpibCard(const std::string& cardClsid) override;
    int SetAddresses(const std::string& cardAddress, const std::string& instrumentAddress) override;
    int CheckInstrument() override;
    int OpenInstrument(const std::string& cardAddress,
                       const std::string& instrumentAddress) override;
    int Initialize() override;
    int Preset() override;
    int GetInstrumentName(std::string& name) override;
    int GetMinFrequency(double& hz) override;
    int GetMaxFrequency(double& hz) override;
    int GetMaxPoints(int& points) override;
    int QueryLogSweepSupport() override { return 0; }
    int SetFrequencyList(std::span<const double> frequencies, int count, int sweepType) override;
    int GetStartFrequency(double& hz) override;
    int GetStopFrequency(double& hz) override;
    int GetNumberOfPoints(int& points) override;
    std::string ListRefusal(std::span<const double> frequencies) const override;
    int GetFrequencyList(std::vector<double>& frequencies) override;
    int MeasureTrace(std::span<CComplex> trace) override;
    int ReadTrace(std::span<CComplex> trace) override;
    int BeginCalibration() override;
    int PrepareCalibration() override { return BeginCalibration(); }
    int DownloadCalibration(std::span<const CComplex> directivity,
                            std::span<const CComplex> sourceMatch,
                            std::span<const CComplex> tracking) override;
    int ClearMessage() override;
    int SaveCalibrationState(CalState& state, std::uint16_t& size) override;
    int RestoreCalibrationState(const CalState& state, std::uint16_t size) override;

    bool SetRunSetting(const std::string& key, const std::string& value,
                       std::string& error) override;
    void SetWaitHook(DriverWaitHook hook) override;

    std::string SettingsTitle() const override;
    std::vector<SettingDescription> DescribeSettings() const override;
    // ITraceNoise: the "noise" setting.
    double TraceNoise() const override { return settings_.traceNoise; }
    bool StoreSettings(const std::map<std::string, std::string>& values,
                       std::string& error) override;

    // The ports Find probes on the serial card (nothing is written to any).
    std::vector<std::string> SearchCardAddresses() override;

    // For tests and the benchmark.
    const NanoVnaSettings& Settings() const { return settings_; }
    const NanoVnaLimits& Limits() const { return limits_; }
    const std::vector<NanoVnaPiece>& Pieces() const { return pieces_; }
    // The timeout of a scan of `points`, ms.
    int ScanTimeoutMs(int points) const;

private:
    bool Connect();
    // Drops the link (a fault: the analyzer is not given back, the next command reopens it).
    void DropLink();
    // Gives the analyzer back as it was found and closes the link.
    void Release();
    bool Measure(std::vector<CComplex>& raw);
    int Deliver(const std::vector<CComplex>& raw, std::span<CComplex> trace);
    std::string RangeRefusal(std::span<const double> frequencies) const;

    NanoVnaSettings settings_;
    LinkFactory links_;
    PortLister ports_;
    DriverWaitHook waitHook_;
    std::string port_;
    std::unique_ptr<SerialLink> link_;
    std::unique_ptr<NanoVnaProtocol> protocol_;
    NanoVnaAnswer family_ = NanoVnaAnswer::Unknown;
    bool begun_ = false;  // the protocol took the analyzer over on the open link
    bool taken_ = false;  // ... on this port, and has not given it back yet
    NanoVnaLimits limits_;
    std::string identification_;

    std::vector<double> frequencies_;
    int sweepType_ = 0;
    std::vector<NanoVnaPiece> pieces_;
    std::string sweepError_;

    HostCorrection correction_;
    std::vector<CComplex> lastRaw_;
};

}  // namespace kv
