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

}  // namespace kv
