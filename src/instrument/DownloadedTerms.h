#pragma once

// The one-port error terms a driver is given by DownloadCalibration, and the correction of a raw
// reflection with them, for drivers whose analyzer does not correct by itself.

#include <span>
#include <string>
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

// The correction a driver applies itself with the terms the program downloads: off from
// BeginCalibration until the new calibration's terms come (or the prompt sequence ends without
// them), on whenever terms are held.
class HostCorrection {
public:
    // BeginCalibration: the standards are read uncorrected.
    void Suspend() { calibrating_ = true; }
    // The prompts ended (or the analyzer was preset) without new terms: the last ones apply again.
    void Resume() { calibrating_ = false; }
    void Download(std::span<const CComplex> d00, std::span<const CComplex> d11,
                  std::span<const CComplex> d01) {
        terms_.Assign(d00, d11, d01);
        calibrating_ = false;
    }
    bool On() const { return !calibrating_ && !terms_.Empty(); }
    // `raw` into `trace` (as many points as both hold), corrected while on; false, with the reason
    // in `error`, when the terms held do not fit the sweep.
    bool Apply(std::span<const CComplex> raw, std::span<CComplex> trace, std::string& error) const;

private:
    bool calibrating_ = false;
    DownloadedTerms terms_;
};

}  // namespace kv
