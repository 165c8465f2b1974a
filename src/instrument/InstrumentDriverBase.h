#pragma once

// A driver that answers every operation of the contract with its "nothing to do" or "not
// offered" value, so that a real driver overrides only what its analyzer does. It also keeps
// the text of the last failure for the operator (IDriverErrors).

#include <string>

#include "instrument/IInstrumentDriver.h"

namespace kv {

// Optional second interface of a driver: what went wrong in the last call that failed, in the
// driver's own words. The program asks for it with dynamic_cast when a call reports a failure.
class IDriverErrors {
public:
    virtual ~IDriverErrors() = default;
    // Empty when the driver has nothing to say.
    virtual std::string LastError() const = 0;
};

// Results of the base for what a driver does not do.
inline constexpr int kNotDone = 1;

class InstrumentDriverBase : public IInstrumentDriver, public IDriverErrors {
public:
    int SelectGpibCard(const std::string& cardClsid) override {
        cardClsid_ = cardClsid;
        return 0;
    }
    // No instrument answers a driver that does not look for one.
    int CheckInstrument() override { return kNotDone; }
    int Initialize() override { return 0; }
    int Preset() override { return 0; }
    int SetFrequencyList(std::span<const double>, int, int) override { return 0; }
    // No sweep taken, none read.
    int MeasureTrace(std::span<CComplex>) override {
        return Fail("The analyzer did not return a measurement.");
    }
    int DownloadCalibration(std::span<const CComplex>, std::span<const CComplex>,
                            std::span<const CComplex>) override {
        return 0;
    }
    int ShowTitle(const std::string&) override { return 0; }
    int ShowMessage(const std::string&) override { return 0; }
    int ArmOperatorResponse() override { return 0; }
    // The analyzer's panel never answers: the program's own window does.
    int PollOperatorResponse(int& response) override {
        response = kResponseNone;
        return 0;
    }
    int ClearMessage() override { return 0; }
    int BeginCalibration() override { return 0; }
    int EndOperatorResponse() override { return 0; }
    int EndSequence() override { return 0; }
    // Values the driver does not know leave the caller's as they are.
    int GetStartFrequency(double&) override { return kNotDone; }
    int GetNumberOfPoints(int&) override { return kNotDone; }
    int GetStopFrequency(double&) override { return kNotDone; }
    int ReadTrace(std::span<CComplex>) override {
        return Fail("The analyzer did not return a measurement.");
    }
    int GetMinFrequency(double&) override { return kNotDone; }
    int GetMaxFrequency(double&) override { return kNotDone; }
    int GetMaxPoints(int&) override { return kNotDone; }
    int BeginLimitQuery() override { return 0; }
    int SetAddresses(const std::string& cardAddress,
                     const std::string& instrumentAddress) override {
        cardAddress_ = cardAddress;
        instrumentAddress_ = instrumentAddress;
        return 0;
    }
    int OpenInstrument(const std::string&, const std::string&) override { return 0; }
    int GetInstrumentName(std::string& name) override {
        name.clear();
        return 0;
    }
    int AcknowledgeContinue() override { return 0; }
    // Only S11.
    int SupportsReverseMeasurement() override { return 0; }
    // No state to restore: a stored calibration is refused.
    int RestoreCalibrationState(const CalState&, std::uint16_t) override { return kNotDone; }
    int SaveCalibrationState(CalState&, std::uint16_t& size) override {
        size = 0;
        return 0;
    }
    int PrepareShortStandard() override { return 0; }
    int CheckShortStandard() override { return 0; }
    int PrepareCalibration() override { return 0; }
    int QueryLogSweepSupport() override { return kLogSweepNotOffered; }
    int ArmExternalTrigger() override { return kTriggerNotSupported; }
    int PollExternalTrigger() override { return kTriggerStillWaiting; }

    std::string LastError() const override { return lastError_; }

protected:
    // Records what went wrong and returns the failure result.
    int Fail(std::string text, int result = kNotDone) {
        lastError_ = std::move(text);
        return result;
    }
    void ClearError() { lastError_.clear(); }

    std::string cardClsid_;
    std::string cardAddress_;
    std::string instrumentAddress_;

private:
    std::string lastError_;
};

}  // namespace kv
