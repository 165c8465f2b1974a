#pragma once

// What the probe engine asks of the document that owns it.

#include <string>
#include <vector>

#include "numerics/CComplex.h"
#include "probe/Sweep.h"

namespace kv {

class ProbeHost {
public:
    virtual ~ProbeHost() = default;

    // All four traces hold no valid data and are not displayed (their arrays stay).
    virtual void InvalidateAllTraces() = 0;
    // The sweep as the engine holds it (value and unit texts) becomes the horizontal range of
    // every frequency chart: current, default and autoscale-offer limits alike.
    virtual void ApplySweepToCharts(const Sweep& sweep) = 0;
    // "Set Chart Scale": the document's own frequency settings follow the sweep.
    virtual void CopySweepSettings(const Sweep& sweep) = 0;
    // False when the attached analyzer does not offer a logarithmic sweep.
    virtual bool LogSweepAvailable() = 0;

    // The Data trace's permittivity array, filled by a sample measurement.
    virtual std::vector<CComplex>& DataPermittivity() = 0;
    // The sample measurement filled the Data trace: copy the frequencies into it, stamp both
    // measurement times with the local time now, and mark it valid and displayed.
    virtual void DataMeasured(const std::vector<double>& frequencies) = 0;

    virtual void UpdateAllViews() = 0;
};

}  // namespace kv
