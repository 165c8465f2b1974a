#pragma once

// One chart or table format: its name, current, default and autoscale-offer limits with their unit
// texts, linear or logarithmic axes, and the column titles of the table formats.

#include <array>
#include <string>

namespace kv {

struct Limits {
    double xMin = 0.0;
    double xMax = 0.0;
    double yMin = 0.0;
    double yMax = 0.0;
    bool operator==(const Limits&) const = default;
};

class CPlotFormat {
public:
    std::string minUnit = "MHz";
    std::string maxUnit = "GHz";
    std::string defaultMinUnit = "MHz";
    std::string defaultMaxUnit = "GHz";
    std::string offerMinUnit = "MHz";
    std::string offerMaxUnit = "GHz";
    int xLog = 0;
    int yLog = 0;
    std::array<std::string, 4> columnTitles;
    Limits current;
    Limits defaults;
    Limits offer;
    std::string name;

    // The two Cole-Cole records, recognised by their name.
    bool IsColeCole() const { return name.find("Cole-Cole") != std::string::npos; }
    // Current horizontal limits in Hz for a frequency format (as stored times their units'
    // factors); as stored for a Cole-Cole format.
    double XMinHz() const;
    double XMaxHz() const;
    // A format named `name` with the same current, default and offer limits.
    static CPlotFormat Make(const std::string& name, Limits limits);

    bool operator==(const CPlotFormat&) const = default;
};

// The ten records of the setup file, in its order (the chart and table formats of ChartFormats.h).
enum FormatIndex : int {
    kFormatE1 = 0,          // "e'"
    kFormatE2 = 1,          // "e''"
    kFormatTanE = 2,        // "Loss tangent e"
    kFormatColeColeE = 3,   // "Cole-Cole e"
    kFormatU1 = 4,          // "u'"
    kFormatU2 = 5,          // "u''"
    kFormatTanU = 6,        // "Loss tangent u"
    kFormatColeColeU = 7,   // "Cole-Cole u"
    kFormatTableReIm = 8,   // "real and imaginary"
    kFormatTableReTan = 9,  // "real and tan d"
    kFormatCount = 10,
    kChartFormatCount = 8,
};

}  // namespace kv
