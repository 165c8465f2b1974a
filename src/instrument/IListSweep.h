#pragma once

// Optional interface of a driver whose analyzer sweeps any list of frequencies. The program asks
// for it with dynamic_cast. Only a driver that offers it is ever passed kListSweep by
// SetFrequencyList, and only with a list ListRefusal accepted. Its read-back is the whole list:
// whatever the kind of sweep, the program compares every point of it to 1 Hz, and takes the
// analyzer's list when it differs.

#include <span>
#include <string>
#include <vector>

namespace kv {

// The sweep type of SetFrequencyList for a list: `frequencies` holds every point, in hertz,
// strictly increasing.
inline constexpr int kListSweep = 2;

class IListSweep {
public:
    virtual ~IListSweep() = default;

    // Why the analyzer cannot sweep this list (for example: more linear runs than its segment
    // table holds), in words for the operator; empty when it can.
    virtual std::string ListRefusal(std::span<const double> frequencies) const = 0;
    // The frequencies the analyzer sweeps now, in hertz. 0 when they were read.
    virtual int GetFrequencyList(std::vector<double>& frequencies) = 0;
};

}  // namespace kv
