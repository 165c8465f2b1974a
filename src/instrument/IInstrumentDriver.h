#pragma once

// The contract between the program and an analyzer driver component. Operations are listed in the
// interface order; the program calls them by name. A result of 0 means success. Texts are UTF-8.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "numerics/CComplex.h"

namespace kv {

// Versioned interface ids. The driver IID is the one the analyzer components have always
// implemented; the plugin IID names the Qt plugin interface that hands such drivers out.
inline constexpr const char* kInstrumentDriverIid = "{F6C91E5D-EFF4-11D2-9508-E759F1224F5A}";
inline constexpr const char* kInstrumentCategory = "{3D47EC6E-ECC2-11D2-9508-FFB8806A0556}";
inline constexpr const char* kGpibCardCategory = "{6B55DA30-E0FA-11D2-9508-98BA38CCB605}";

// Size of the analyzer's calibration-state block that the program keeps for it.
inline constexpr std::size_t kCalStateBytes = 50000;
using CalState = std::array<std::uint8_t, kCalStateBytes>;

// Operator response values of PollOperatorResponse.
inline constexpr int kResponseNone = 0;
inline constexpr int kResponseContinue = 1;
inline constexpr int kResponseAbort = -1;

// Sweep types of SetFrequencyList.
inline constexpr int kLinearSweep = 0;
inline constexpr int kLogarithmicSweep = 1;

// Results with a meaning of their own.
inline constexpr int kLogSweepNotOffered = 1;   // QueryLogSweepSupport
inline constexpr int kTriggerNotSupported = 3;  // ArmExternalTrigger
inline constexpr int kTriggerStillWaiting = 1;  // PollExternalTrigger

class IInstrumentDriver {
public:
    virtual ~IInstrumentDriver() = default;

    virtual int SelectGpibCard(const std::string& cardClsid) = 0;
    virtual int CheckInstrument() = 0;
    virtual int Initialize() = 0;
    virtual int Preset() = 0;
    virtual int SetFrequencyList(std::span<const double> frequencies, int count, int sweepType) = 0;
    virtual int MeasureTrace(std::span<CComplex> trace) = 0;
    virtual int DownloadCalibration(std::span<const CComplex> directivity,
                                    std::span<const CComplex> sourceMatch,
                                    std::span<const CComplex> tracking) = 0;
    virtual int ShowTitle(const std::string& text) = 0;
    virtual int ShowMessage(const std::string& text) = 0;
    virtual int ArmOperatorResponse() = 0;
    virtual int PollOperatorResponse(int& response) = 0;
    virtual int ClearMessage() = 0;
    virtual int BeginCalibration() = 0;
    virtual int EndOperatorResponse() = 0;
    virtual int EndSequence() = 0;
    virtual int GetStartFrequency(double& hz) = 0;
    virtual int GetNumberOfPoints(int& points) = 0;
    virtual int GetStopFrequency(double& hz) = 0;
    virtual int ReadTrace(std::span<CComplex> trace) = 0;
    virtual int GetMinFrequency(double& hz) = 0;
    virtual int GetMaxFrequency(double& hz) = 0;
    virtual int GetMaxPoints(int& points) = 0;
    virtual int BeginLimitQuery() = 0;
    virtual int SetAddresses(const std::string& cardAddress,
                             const std::string& instrumentAddress) = 0;
    virtual int OpenInstrument(const std::string& cardAddress,
                               const std::string& instrumentAddress) = 0;
    virtual int GetInstrumentName(std::string& name) = 0;
    virtual int AcknowledgeContinue() = 0;
    virtual int SupportsReverseMeasurement() = 0;
    virtual int RestoreCalibrationState(const CalState& state, std::uint16_t size) = 0;
    virtual int SaveCalibrationState(CalState& state, std::uint16_t& size) = 0;
    virtual int PrepareShortStandard() = 0;
    virtual int CheckShortStandard() = 0;
    virtual int PrepareCalibration() = 0;
    virtual int QueryLogSweepSupport() = 0;
    virtual int ArmExternalTrigger() = 0;
    virtual int PollExternalTrigger() = 0;
};

// A GPIB interface card (IGpibCard) is a component the program calls nothing on, so it has no
// interface here: cards are only listed by category and handed to the driver by their CLSID text.

}  // namespace kv
