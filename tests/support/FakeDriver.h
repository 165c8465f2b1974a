#pragma once

// A recording analyzer driver for tests: every call is logged by name, results and outputs are
// configurable, and MeasureTrace/ReadTrace deliver what a test puts into `traces` (one per call,
// the last one repeated) or a function of the frequency list.

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "instrument/InstrumentDriverBase.h"

namespace kv::test {

class FakeDriver : public IInstrumentDriver, public IDriverErrors {
public:
    // ---- configuration ----
    std::string name = "FAKE ANALYZER 1";
    std::map<std::string, int> results;  // result by operation name; default 0
    double minFrequency = 45e6;
    double maxFrequency = 20e9;
    int maxPoints = 1601;
    int logSweepSupport = 0;  // QueryLogSweepSupport result (1 = not offered)
    int reverseSupport = 1;   // SupportsReverseMeasurement result
    int reportPoints = -1;    // when >= 0, GetNumberOfPoints reports this
    double reportStartOffset = 0.0;
    double reportStartHz = -1.0;        // when >= 0, GetStartFrequency reports this
    double reportStopHz = -1.0;         // when >= 0, GetStopFrequency reports this
    std::deque<int> operatorResponses;  // PollOperatorResponse outputs; default 0 (none)
    std::deque<int> triggerPolls;       // PollExternalTrigger results; default 0 (fired)
    int armTriggerResult = 0;
    std::string errorText;  // LastError
    // Reflection per point for MeasureTrace/ReadTrace; default (0, 0).
    std::function<CComplex(double f, int call)> reflection;
    // Called after every call was recorded, so that a test can act at a chosen point.
    std::function<void(const std::string& op)> onCall;

    // ---- records ----
    std::vector<std::string> calls;
    std::vector<double> frequencyList;  // last SetFrequencyList
    int sweepTypeSent = -1;
    std::vector<CComplex> downloaded[3];
    std::vector<std::string> titles, shownMessages;
    CalState savedState{};
    std::uint16_t savedSize = 0;
    CalState restoredState{};
    std::uint16_t restoredSize = 0;
    int measureCalls = 0;

    int Count(const std::string& op) const;
    // Calls after the first occurrence of `from`, in order.
    std::vector<std::string> CallsSince(const std::string& from) const;

    int SelectGpibCard(const std::string&) override { return Log("SelectGpibCard"); }
    int CheckInstrument() override { return Log("CheckInstrument"); }
    int Initialize() override { return Log("Initialize"); }
    int Preset() override { return Log("Preset"); }
    int SetFrequencyList(std::span<const double> f, int count, int sweepType) override;
    int MeasureTrace(std::span<CComplex> trace) override;
    int DownloadCalibration(std::span<const CComplex> a, std::span<const CComplex> b,
                            std::span<const CComplex> c) override;
    int ShowTitle(const std::string& t) override;
    int ShowMessage(const std::string& t) override;
    int ArmOperatorResponse() override { return Log("ArmOperatorResponse"); }
    int PollOperatorResponse(int& response) override;
    int ClearMessage() override { return Log("ClearMessage"); }
    int BeginCalibration() override { return Log("BeginCalibration"); }
    int EndOperatorResponse() override { return Log("EndOperatorResponse"); }
    int EndSequence() override { return Log("EndSequence"); }
    int GetStartFrequency(double& hz) override;
    int GetNumberOfPoints(int& points) override;
    int GetStopFrequency(double& hz) override;
    int ReadTrace(std::span<CComplex> trace) override;
    int GetMinFrequency(double& hz) override;
    int GetMaxFrequency(double& hz) override;
    int GetMaxPoints(int& points) override;
    int BeginLimitQuery() override { return Log("BeginLimitQuery"); }
    int SetAddresses(const std::string&, const std::string&) override {
        return Log("SetAddresses");
    }
    int OpenInstrument(const std::string&, const std::string&) override {
        return Log("OpenInstrument");
    }
    int GetInstrumentName(std::string& n) override;
    int AcknowledgeContinue() override { return Log("AcknowledgeContinue"); }
    int SupportsReverseMeasurement() override;
    int RestoreCalibrationState(const CalState& state, std::uint16_t size) override;
    int SaveCalibrationState(CalState& state, std::uint16_t& size) override;
    int PrepareShortStandard() override { return Log("PrepareShortStandard"); }
    int CheckShortStandard() override { return Log("CheckShortStandard"); }
    int PrepareCalibration() override { return Log("PrepareCalibration"); }
    int QueryLogSweepSupport() override;
    int ArmExternalTrigger() override;
    int PollExternalTrigger() override;
    std::string LastError() const override { return errorText; }

private:
    int Log(const std::string& op);
    void Fill(std::span<CComplex> trace);
};

}  // namespace kv::test
