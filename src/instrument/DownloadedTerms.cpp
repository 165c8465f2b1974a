#include "instrument/DownloadedTerms.h"

#include <algorithm>

namespace kv {

CComplex CorrectReflection(CComplex raw, CComplex d00, CComplex d11, CComplex d01) {
    const CComplex m = CComplex::Subtract(raw, d00);
    return CComplex::Divide(m, CComplex::Add(d01, CComplex::Multiply(d11, m)));
}

void DownloadedTerms::Assign(std::span<const CComplex> d00, std::span<const CComplex> d11,
                             std::span<const CComplex> d01) {
    const std::size_t n = std::min({d00.size(), d11.size(), d01.size()});
    directivity.assign(d00.begin(), d00.begin() + static_cast<std::ptrdiff_t>(n));
    sourceMatch.assign(d11.begin(), d11.begin() + static_cast<std::ptrdiff_t>(n));
    tracking.assign(d01.begin(), d01.begin() + static_cast<std::ptrdiff_t>(n));
}

bool HostCorrection::Apply(std::span<const CComplex> raw, std::span<CComplex> trace,
                           std::string& error) const {
    const bool correct = On();
    if (correct && terms_.Size() != raw.size()) {
        error = "The downloaded calibration does not fit the sweep of " +
                std::to_string(raw.size()) + " points.";
        return false;
    }
    const std::size_t n = std::min(trace.size(), raw.size());
    for (std::size_t i = 0; i < n; ++i) {
        trace[i] = correct ? terms_.Correct(i, raw[i]) : raw[i];
    }
    return true;
}

}  // namespace kv
