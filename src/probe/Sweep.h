#pragma once

// A frequency sweep as the operator sets it: start and stop, each a value with its unit text,
// the number of points and the kind of spacing. The "Set Frequency" page, the engine, the
// document and both sections of a setup file hold one of these.

#include <cstdint>
#include <string>

#include "probe/FieldList.h"

namespace kv {

// The spacing of a sweep's points. Setup files keep it as this int, and the driver contract passes
// it so (see SweepTypeCode); a stored int that is neither is kept as it is and gives no frequency
// list (FrequencyList.h).
enum class SweepKind : std::int32_t { Linear = 0, Logarithmic = 1 };

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
