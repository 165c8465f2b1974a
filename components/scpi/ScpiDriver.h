#pragma once

// The SCPI network analyzer: any analyzer that speaks SCPI over a LAN card or, plugged in by USB,
// over the USBTMC card, its commands taken from the table of its command family (ScpiTables.h). The
// driver corrects the analyzer's raw S11 itself with the three terms the program downloads, so
// nothing is written into the analyzer's calibration memory.

#include <memory>
#include <string>
#include <vector>

#include "ScpiTables.h"
#include "ScpiTransport.h"
#include "UsbtmcTransport.h"
#include "instrument/DownloadedTerms.h"
#include "instrument/IAddressSearch.h"
#include "instrument/IComponentSettings.h"
#include "instrument/IDriverSettings.h"
#include "instrument/IDriverWait.h"
#include "instrument/IListSweep.h"
#include "instrument/ITraceNoise.h"
#include "instrument/InstrumentDriverBase.h"
#include "instrument/LanAddress.h"
#include "instrument/LinearRuns.h"

namespace kv {

// The settings for probe work, in the program's settings under kScpiSettingsGroup.
struct ScpiSettings {
    double ifBandwidth = 1000.0;  // Hz
    double power = 0.0;           // dBm
    int averaging = 1;            // sweeps averaged per measurement
    double traceNoise = 0.0;      // the stated noise of a raw reading; 0 states none
    double timeout = 10.0;        // s, every read
    bool asciiTransfer = false;   // numbers as text instead of 64-bit binary
    std::string family;           // a table by name, whatever the identification says
    std::string tablesFile;       // a further tables file, read after the shipped one
};

inline constexpr const char* kScpiSettingsGroup = "ScpiAnalyzer";

// The settings saved in the program's QSettings (defaults for what is missing or unreadable).
ScpiSettings LoadScpiSettings();
// Checks and stores one setting by its key (ifbw, power, average, timeout, family: a table's name,
// empty or "auto" for the one the identification picks); false with the reason.
bool SetScpiSetting(ScpiSettings& settings, const std::string& key, const std::string& value,
                    std::string& error);

class ScpiDriver : public InstrumentDriverBase,
                   public IDriverSettings,
                   public IDriverWait,
                   public IComponentSettings,
                   public IListSweep,
                   public IAddressSearch,
                   public ITraceNoise {
public:
    // The tables file shipped beside the plugin.
    static constexpr const char* kTablesFile = "scpi-analyzers.tables";

    ScpiDriver(ScpiSettings settings, std::vector<std::string> tableFiles);
    ~ScpiDriver() override;

    int SelectGpibCard(const std::string& cardClsid) override;
    int SetAddresses(const std::string& cardAddress, const std::string& instrumentAddress) override;
    int CheckInstrument() override;
    int OpenInstrument(const std::string& cardAddress,
                       const std::string& instrumentAddress) override;
    int Initialize() override;
    int Preset() override;
    int GetInstrumentName(std::string& name) override;
    int BeginLimitQuery() override { return 0; }
    int GetMinFrequency(double& hz) override;
    int GetMaxFrequency(double& hz) override;
    int GetMaxPoints(int& points) override;
    int QueryLogSweepSupport() override;
    int SetFrequencyList(std::span<const double> frequencies, int count, int sweepType) override;
    int GetStartFrequency(double& hz) override;
    int GetStopFrequency(double& hz) override;
    int GetNumberOfPoints(int& points) override;

    // A list is swept as the segment table of its linear runs (LinearRuns.h): refused when the
    // family has no segment table or the runs are more than its max-segments.
    std::string ListRefusal(std::span<const double> frequencies) const override;
    // The analyzer's frequency axis, read now, whatever the kind of sweep.
    int GetFrequencyList(std::vector<double>& frequencies) override;
    int MeasureTrace(std::span<CComplex> trace) override;
    int ReadTrace(std::span<CComplex> trace) override;
    int BeginCalibration() override;
    int PrepareCalibration() override { return BeginCalibration(); }
    int DownloadCalibration(std::span<const CComplex> directivity,
                            std::span<const CComplex> sourceMatch,
                            std::span<const CComplex> tracking) override;
    int ClearMessage() override;
    int ShowMessage(const std::string& text) override;
    int ArmExternalTrigger() override;
    int PollExternalTrigger() override;
    int SaveCalibrationState(CalState& state, std::uint16_t& size) override;
    int RestoreCalibrationState(const CalState& state, std::uint16_t size) override;

    bool SetRunSetting(const std::string& key, const std::string& value,
                       std::string& error) override;
    void SetWaitHook(DriverWaitHook hook) override;

    // The settings page (ScpiSettingsPage.cpp): the stored settings, the command family chosen
    // among the tables this driver read.
    std::string SettingsTitle() const override;
    std::vector<SettingDescription> DescribeSettings() const override;
    // ITraceNoise: the "noise" setting.
    double TraceNoise() const override { return settings_.traceNoise; }
    bool StoreSettings(const std::map<std::string, std::string>& values,
                       std::string& error) override;

    // On the USBTMC card: the /dev/usbtmc* devices the user may open; nothing on the LAN card.
    std::vector<std::string> SearchCardAddresses() override;

    // For tests: how a USBTMC device is opened, and the folder its device files are listed in.
    void SetUsbtmcOpener(UsbtmcOpener opener, std::string deviceFolder = "/dev") {
        usbtmcOpener_ = std::move(opener);
        usbtmcFolder_ = std::move(deviceFolder);
    }

    // For tests and the benchmarks.
    const ScpiSettings& Settings() const { return settings_; }
    const ScpiTable* Table() const { return table_; }
    const std::vector<double>& Axis() const { return axis_; }
    // The longest the last sweep was waited for, s: the expected sweep time (0 when none is
    // known) times the averaging count, plus the timeout.
    double SweepWait() const { return sweepWait_; }
    // What the connection tells the operator beside the identification (empty when nothing).
    const std::string& ConnectionNote() const { return connectionNote_; }

private:
    bool Connect();
    void Disconnect();
    bool Send(const std::string& command);
    // Reads the answer within `timeoutMs` (the timeout setting when negative).
    bool Query(const std::string& query, ScpiAnswer& answer, long long indefiniteBytes = -1,
               long long timeoutMs = -1);
    bool QueryText(const std::string& query, std::string& text);
    bool QueryNumber(const std::string& query, double& value);
    bool QueryNumbers(const std::string& query, std::size_t expected, std::vector<double>& values,
                      const char* what);
    // Sends the table's lines of a key with the placeholders filled in.
    bool SendLines(const std::string& key, const std::map<std::string, std::string>& values = {});
    // Reads SYST:ERR? until the queue is empty; the first error fails with its number and text.
    bool CheckErrors(const std::string& after);
    bool ApplySettings();
    bool CheckBinaryFormat();
    bool ProgramSweep(const std::vector<double>& frequencies, int sweepType);
    // The family's segment table filled with these segments and chosen as the sweep.
    bool SendSegments(const std::vector<LinearRun>& segments, int points);
    // The most segments the family's table holds (max-segments; none given: no limit).
    int MaxSegments() const;
    // The frequencies of the sweep set, by the table's list-readback: the axis query, or the
    // linear sweep's start, stop and points or the segment table, expanded.
    bool ReadAxis();
    bool ReadAxisBlock();
    bool ReadSegmentTable();
    // A whole number from 1 to 100000 asked of the analyzer; `what` names it in the failure.
    bool QueryCount(const std::string& query, const char* what, int& count);
    // The analyzer's sweep time as the driver expects it, s; 0 when it gives none that is usable.
    double ExpectedSweepTime();
    bool CompletesByOpcQuery() const;
    // Asks *OPC? and waits `seconds` for its 1; false with the sweep's message otherwise.
    bool AskOperationComplete(double seconds);
    bool WaitForSweep(double timeBudget);
    bool ReadData(std::vector<CComplex>& raw);
    int Deliver(const std::vector<CComplex>& raw, std::span<CComplex> trace);
    bool Limit(const char* key, double& value);
    // The table the family setting names, or the one the identification picks; false when none.
    bool PickTable();
    std::string FamilyNotOpen() const;
    // The result, with a hint on choosing a table added to the failure's text when the generic
    // table serves an analyzer that no table matches.
    int WithTableHint(int result);

    ScpiSettings settings_;
    std::vector<ScpiTable> tables_;
    std::string tablesError_;
    const ScpiTable* table_ = nullptr;
    std::unique_ptr<ScpiTransport> transport_;
    DriverWaitHook waitHook_;
    std::string host_;
    LanAddress::Kind kind_ = LanAddress::Kind::RawSocket;
    int port_ = 0;
    std::string device_;      // VXI-11
    bool usbtmc_ = false;     // the USBTMC card is selected
    std::string usbtmcPath_;  // its device file
    UsbtmcOpener usbtmcOpener_ = OpenUsbtmcDevice;
    std::string usbtmcFolder_ = "/dev";
    std::string identification_;
    bool genericByDefault_ = false;  // no table matched the identification
    std::string connectionNote_;
    bool sweepTimeUnanswered_ = false;  // the sweep-time query was refused on this connection
    bool opcQueryLearned_ = false;      // a sweep completed only by *OPC? on this connection
    double sweepWait_ = 0;

    std::vector<double> frequencies_;  // as the program asked
    int sweepType_ = 0;
    std::vector<double> axis_;  // as the analyzer read it back
    std::string sweepError_;    // why the last sweep setting failed

    HostCorrection correction_;
    std::vector<CComplex> lastRaw_;
    bool triggerArmed_ = false;
};

}  // namespace kv
