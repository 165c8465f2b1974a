#pragma once

// Optional interface of a driver that states its analyzer's trace noise: the standard deviation of
// the real and of the imaginary part of one raw reading, each point of each sweep independent.
// The program asks for it with dynamic_cast. With one sweep per reading the stated noise is the
// reading's uncertainty (stated, not measured); from two sweeps on their scatter is used instead.

namespace kv {

class ITraceNoise {
public:
    virtual ~ITraceNoise() = default;
    // The noise of a raw reading; 0 when none is stated.
    virtual double TraceNoise() const = 0;
    // True when every sweep repeats the same values (a replayed file): a reading is then one
    // sweep, whatever the number of sweeps asked for, since their scatter would be none.
    virtual bool RepeatsOneSweep() const { return false; }
};

}  // namespace kv
