#pragma once

// A frequency sweep as the operator sets it: start and stop, each a value with its unit text,
// the number of points and the kind of spacing. The "Set Frequency" page, the engine, the
// document and both sections of a setup file hold one of these.

#include <cstdint>
#include <string>
#include <vector>

#include "probe/FieldList.h"

namespace kv {

// The spacing of a sweep's points. Setup files keep it as this int, and the driver contract passes
// it so (see SweepTypeCode). A list sweep holds its points (`list`); the setup file of such a
// sweep has a magic of its own (SetupImage.h). A stored int that is no kind is a damaged file.
enum class SweepKind : std::int32_t { Linear = 0, Logarithmic = 1, List = 2 };

// The int a setup file keeps and SetFrequencyList is passed for a kind.
constexpr int SweepTypeCode(SweepKind kind) {
    return static_cast<int>(kind);
}

struct Sweep {
    double stopValue = 20.0;
    double startValue = 200.0;
    int numPoints = 51;
    std::string startUnit = "MHz";
    std::string stopUnit = "GHz";
    SweepKind sweepType = SweepKind::Linear;
    // The points of a list sweep, in hertz, strictly increasing; start, stop and numPoints are its
    // first, its last and its size (ListSweep). Empty for the other kinds. A setup file keeps it
    // apart from the fields below, in a list file only.
    std::vector<double> list{};

    // The value times its unit's factor.
    double StartHz() const;
    double StopHz() const;

    bool operator==(const Sweep&) const = default;
};

// Every field of a sweep, in the order setup files keep them (see FieldList.h).
template <class Visitor, FieldsOf<Sweep>... S>
void VisitFields(Visitor&& visit, S&... s) {
    visit("stopValue", s.stopValue...);
    visit("startValue", s.startValue...);
    visit("numPoints", s.numPoints...);
    visit("startUnit", s.startUnit...);
    visit("stopUnit", s.stopUnit...);
    visit("sweepType", s.sweepType...);
}

}  // namespace kv
