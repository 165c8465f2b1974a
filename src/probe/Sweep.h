#pragma once

// A frequency sweep as the operator sets it: start and stop, each a value with its unit text,
// the number of points and the kind of spacing. The "Set Frequency" page, the engine, the
// document and both sections of a setup file hold one of these.

#include <string>

#include "probe/FieldList.h"

namespace kv {

struct Sweep {
    double stopValue = 20.0;
    double startValue = 200.0;
    int numPoints = 51;
    std::string startUnit = "MHz";
    std::string stopUnit = "GHz";
    int sweepType = 0;  // 0 linear, 1 logarithmic

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
