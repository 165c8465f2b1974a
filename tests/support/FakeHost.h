#pragma once

// A recording document for the probe engine: logs every call by name with its arguments and
// holds a Data trace of its own.

#include <string>
#include <vector>

#include "probe/ProbeHost.h"
#include "probe/Units.h"

namespace kv::test {

class FakeHost : public ProbeHost {
public:
    // ---- configuration ----
    bool logSweepAvailable = true;

    // ---- records ----
    std::vector<std::string> calls;  // "Name" or "Name(arguments)"
    std::vector<CComplex> dataPermittivity;
    std::vector<double> dataFrequencies;
    bool dataValid = false;
    bool dataDisplayed = false;
    int measuredStamps = 0;
    int invalidations = 0;
    int updates = 0;

    int Count(const std::string& prefix) const {
        int n = 0;
        for (const auto& c : calls) {
            n += c.rfind(prefix, 0) == 0 ? 1 : 0;
        }
        return n;
    }

    void InvalidateAllTraces() override {
        ++invalidations;
        dataValid = false;
        dataDisplayed = false;
        calls.push_back("InvalidateAllTraces");
    }
    void ApplySweepToCharts(const Sweep& s) override {
        calls.push_back(Printf("ApplySweepToCharts(%.17g %s,%.17g %s,%d)", s.startValue,
                               s.startUnit.c_str(), s.stopValue, s.stopUnit.c_str(),
                               SweepTypeCode(s.sweepType)));
    }
    void CopySweepSettings(const Sweep& s) override {
        calls.push_back(Printf("CopySweepSettings(%.17g %s,%.17g %s,%d,%d)", s.startValue,
                               s.startUnit.c_str(), s.stopValue, s.stopUnit.c_str(), s.numPoints,
                               SweepTypeCode(s.sweepType)));
    }
    bool LogSweepAvailable() override {
        calls.push_back("LogSweepAvailable");
        return logSweepAvailable;
    }
    std::vector<CComplex>& DataPermittivity() override {
        calls.push_back("DataPermittivity");
        return dataPermittivity;
    }
    void DataMeasured(const std::vector<double>& frequencies) override {
        calls.push_back("DataMeasured");
        dataFrequencies = frequencies;
        ++measuredStamps;
        dataValid = true;
        dataDisplayed = true;
    }
    void UpdateAllViews() override {
        ++updates;
        calls.push_back("UpdateAllViews");
    }
};

}  // namespace kv::test
