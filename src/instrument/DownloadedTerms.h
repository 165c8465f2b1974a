#pragma once

// The one-port error terms a driver is given by DownloadCalibration, and the correction of a raw
// reflection with them, for drivers whose analyzer does not correct by itself.

#include <span>
#include <vector>

#include "numerics/CComplex.h"

namespace kv {

// What a corrected analyzer delivers: (M - d00) / (d01 + d11 (M - d00)).
CComplex CorrectReflection(CComplex raw, CComplex d00, CComplex d11, CComplex d01);

// The three terms, one per frequency point.
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
