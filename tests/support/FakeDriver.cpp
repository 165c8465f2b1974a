#include "support/FakeDriver.h"

#include <algorithm>

namespace kv::test {

int FakeDriver::Log(const std::string& op) {
    calls.push_back(op);
    if (onCall) {
        onCall(op);
    }
    const auto it = results.find(op);
    return it == results.end() ? 0 : it->second;
}

int FakeDriver::Count(const std::string& op) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), op));
}

std::vector<std::string> FakeDriver::CallsSince(const std::string& from) const {
    const auto it = std::find(calls.begin(), calls.end(), from);
    return it == calls.end() ? std::vector<std::string>{}
                             : std::vector<std::string>(it, calls.end());
}

int FakeDriver::SetFrequencyList(std::span<const double> f, int count, int sweepType) {
    frequencyList.assign(f.begin(), f.begin() + std::min<std::size_t>(f.size(), count));
    sweepTypeSent = sweepType;
    return Log("SetFrequencyList");
}

void FakeDriver::Fill(std::span<CComplex> trace) {
    for (std::size_t i = 0; i < trace.size(); ++i) {
        const double f = i < frequencyList.size() ? frequencyList[i] : 0.0;
        trace[i] = reflection ? reflection(f, measureCalls) : CComplex();
    }
    ++measureCalls;
}

int FakeDriver::MeasureTrace(std::span<CComplex> trace) {
    Fill(trace);
    return Log("MeasureTrace");
}

int FakeDriver::ReadTrace(std::span<CComplex> trace) {
    Fill(trace);
    return Log("ReadTrace");
}

int FakeDriver::DownloadCalibration(std::span<const CComplex> a, std::span<const CComplex> b,
                                    std::span<const CComplex> c) {
    downloaded[0].assign(a.begin(), a.end());
    downloaded[1].assign(b.begin(), b.end());
    downloaded[2].assign(c.begin(), c.end());
    return Log("DownloadCalibration");
}

int FakeDriver::ShowTitle(const std::string& t) {
    titles.push_back(t);
    return Log("ShowTitle");
}

int FakeDriver::ShowMessage(const std::string& t) {
    shownMessages.push_back(t);
    return Log("ShowMessage");
}

int FakeDriver::PollOperatorResponse(int& response) {
    response = 0;
    if (!operatorResponses.empty()) {
        response = operatorResponses.front();
        operatorResponses.pop_front();
    }
    return Log("PollOperatorResponse");
}

int FakeDriver::GetStartFrequency(double& hz) {
    if (reportStartHz >= 0.0) {
        hz = reportStartHz;
    } else if (!frequencyList.empty()) {
        hz = frequencyList.front() + reportStartOffset;
    }
    return Log("GetStartFrequency");
}

int FakeDriver::GetNumberOfPoints(int& points) {
    if (reportPoints >= 0) {
        points = reportPoints;
    } else if (!frequencyList.empty()) {
        points = static_cast<int>(frequencyList.size());
    }
    return Log("GetNumberOfPoints");
}

int FakeDriver::GetStopFrequency(double& hz) {
    if (reportStopHz >= 0.0) {
        hz = reportStopHz;
    } else if (!frequencyList.empty()) {
        hz = frequencyList.back();
    }
    return Log("GetStopFrequency");
}

int FakeDriver::GetMinFrequency(double& hz) {
    hz = minFrequency;
    return Log("GetMinFrequency");
}

int FakeDriver::GetMaxFrequency(double& hz) {
    hz = maxFrequency;
    return Log("GetMaxFrequency");
}

int FakeDriver::GetMaxPoints(int& points) {
    points = maxPoints;
    return Log("GetMaxPoints");
}

int FakeDriver::GetInstrumentName(std::string& n) {
    n = name;
    return Log("GetInstrumentName");
}

int FakeDriver::SupportsReverseMeasurement() {
    Log("SupportsReverseMeasurement");
    return reverseSupport;
}

int FakeDriver::RestoreCalibrationState(const CalState& state, std::uint16_t size) {
    restoredState = state;
    restoredSize = size;
    return Log("RestoreCalibrationState");
}

int FakeDriver::SaveCalibrationState(CalState& state, std::uint16_t& size) {
    state = savedState;
    size = savedSize;
    return Log("SaveCalibrationState");
}

int FakeDriver::QueryLogSweepSupport() {
    Log("QueryLogSweepSupport");
    return logSweepSupport;
}

int FakeDriver::ArmExternalTrigger() {
    Log("ArmExternalTrigger");
    return armTriggerResult;
}

int FakeDriver::PollExternalTrigger() {
    Log("PollExternalTrigger");
    if (triggerPolls.empty()) {
        return 0;
    }
    const int r = triggerPolls.front();
    triggerPolls.pop_front();
    return r;
}

}  // namespace kv::test
