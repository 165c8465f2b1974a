#pragma once

// The one-port error terms of the simulated reflectometer with its 1 m test cable, and the error
// model that turns the reflection at the probe's aperture into the raw reading and back.

#include <span>
#include <vector>

#include "numerics/CComplex.h"

namespace kv {

struct ErrorTerms {
    CComplex directivity;  // e00
    CComplex sourceMatch;  // e11
    CComplex tracking;     // e01e10
};

// Directivity around -30 dB with a ripple, source match around -26 dB, and the tracking of a 1 m
// cable (velocity factor 0.7) with its loss and delay. `cablePhaseDegrees` turns the cable's
// round-trip phase further (the drift of a flexed or warming cable); it moves the tracking and the
// source match seen through the cable alike, and leaves the directivity at the port alone.
ErrorTerms DemoErrorTerms(double f, double cablePhaseDegrees);

// M = e00 + e01e10 G / (1 - e11 G).
CComplex RawReflection(const ErrorTerms& terms, CComplex gamma);

// What a corrected analyzer delivers: (M - d00) / (d01 + d11 (M - d00)).
CComplex CorrectReflection(CComplex raw, CComplex d00, CComplex d11, CComplex d01);

// The three terms a driver was given by DownloadCalibration, one per frequency point, and the
// correction of a raw reading with them.
struct DownloadedTerms {
    std::vector<CComplex> directivity;
    std::vector<CComplex> sourceMatch;
    std::vector<CComplex> tracking;

    // Keeps the points all three arrays hold.
    void Assign(std::span<const CComplex> d00, std::span<const CComplex> d11,
                std::span<const CComplex> d01);
    void Clear() { *this = {}; }
    std::size_t Size() const { return directivity.size(); }
    bool Empty() const { return directivity.empty(); }
    CComplex Correct(std::size_t i, CComplex raw) const {
        return CorrectReflection(raw, directivity[i], sourceMatch[i], tracking[i]);
    }
};

}  // namespace kv
