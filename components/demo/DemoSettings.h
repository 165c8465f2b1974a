#pragma once

// Settings of the Demo analyzer, read from "demo-analyzer.ini" (docs/demo-analyzer.md lists every
// key). A value that cannot be read keeps its default and is reported on standard error.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "probe/ReferenceLiquids.h"
#include "probe/Standards.h"

namespace kv {

struct DemoSettings {
    // [analyzer]
    std::string identification = "Demo Network Analyzer 47310";
    double minFrequency = 45e6;
    double maxFrequency = 20e9;
    int maxPoints = 1601;
    bool logSweep = true;
    int reportPoints = -1;  // when >= 0, GetNumberOfPoints reports this count
    bool reverseMeasurement = true;
    double noise = 0.0;  // standard deviation of the raw reflection's real and imaginary parts
    std::uint64_t seed = 1;
    bool autoContinue = false;
    bool autoAbort = false;
    int responsePolls = 3;  // polls before the automatic answer
    bool externalTrigger = true;
    int triggerPolls = 3;  // polls that answer "still waiting" before the trigger fires
    // What is at the probe when the analyzer is made, until a prompt says otherwise: "air",
    // "short", "water" (25 C), "load" or "sample".
    std::string material = "air";
    int cardAddress = 7;
    int instrumentAddress = 16;
    // Faults on demand.
    bool failCheck = false;
    bool failOpen = false;
    bool failInitialize = false;
    bool failPreset = false;
    bool refuseSweep = false;
    bool failMeasure = false;
    int failMeasureAfter = -1;  // when >= 0, readings after this many fail
    std::string errorText;      // what a failed reading reports (LastError)
    bool failTrigger = false;

    // [probe]: the stock type the simulated probe scales, and its scales (ProbeModel's
    // frequencyScale and coefficientScale): a probe of another size than the stock one.
    int probeType = 1;              // 0 "A", 1 "B" (and C)
    double frequencyScale = 1.0;    // fs
    double coefficientScale = 1.0;  // s

    // [cable]
    double drift = 0.0;

    // [water]: how much warmer (kelvin) the simulated water is than the temperature the program's
    // prompt states.
    double waterTemperatureOffset = 0.0;  // degrees of the cable's round-trip phase per sweep

    // [sample]: methanol at 25 C.
    ColeCole sample{32.66, 5.563, 0.0, 5.067e-11};
    // [sample] eo_per_minute, einf_per_minute, alpha_per_minute, tau_per_minute: how the Cole-Cole
    // sample changes with time (per minute since the program started); none by default.
    ColeCole samplePerMinute{0.0, 0.0, 0.0, 0.0};
    // [sample] liquid and temperature: a liquid of the shipped library of reference liquids at
    // that temperature (Celsius) takes the place of the Cole-Cole sample. Set only when the
    // library offers the liquid at the temperature.
    std::shared_ptr<const ReferenceLiquid> sampleLiquid;
    double sampleTemperature = 25.0;

    // [standards]: further user standards by label.
    std::vector<std::pair<std::string, ColeCole>> standards;
};

// The names `material` takes.
inline constexpr const char* kDemoMaterials[] = {"air", "short", "water", "load", "sample"};
bool IsDemoMaterial(const std::string& name);

// What the reader says of a value it cannot take: "[probe] fs is not a positive number".
std::string DemoNotText(const std::string& group, const std::string& key,
                        const std::string& expected);

// The shipped library of reference liquids, which the simulation's sample is taken from; the
// reason when it cannot be read ("the library of reference liquids is not installed"), else empty.
std::string LoadDemoLiquids(std::vector<ReferenceLiquid>& library);

// Why a liquid (its identifier in any letter case) at a temperature cannot be the sample, as the
// reader notes it: 'liquid "glycerol" is not in the library of reference liquids', "temperature 30
// is not offered for acetone (offered: 25 C)"; empty when it can. `loaded` takes the library.
std::string DemoSampleLiquidProblem(const std::string& id, double temperature,
                                    const std::string& temperatureText,
                                    std::vector<ReferenceLiquid>* loaded = nullptr);

// The settings of an INI file; the defaults when the file does not exist.
DemoSettings LoadDemoSettings(const std::string& path);

}  // namespace kv
