#pragma once

// The electromagnetic model of the open-ended coaxial probe's aperture: permittivity -> aperture
// admittance (forward), and measured reflection -> permittivity with a sensitivity figure
// (inverse, by inverse polynomial interpolation). Used by the probe engine and by the simulated
// analyzer, so that a simulated standard is exactly the material the engine assumes.

#include <array>

#include "numerics/CComplex.h"

namespace kv {

inline constexpr int kProbeCoefficientCount = 29;
inline constexpr double kInvalidValue = 9999.0;

// How one point of ComputePermittivity ended (for tests and diagnostics).
struct InversePath {
    int cycles = 0;  // 1..10, or 11 when all ten cycles failed
    int nodes = 0;   // the last node n: 3, 4 or 5
};

class ProbeModel {
public:
    // Cp, c0..c28, fs and s, stored in setup files as they stand.
    double apertureScale = 0.0;
    std::array<double, kProbeCoefficientCount> apertureCoefficients{};
    double frequencyScale = 1.0;
    double coefficientScale = 1.0;

    // Copies the coefficient set of probeType (0 "KV47310A", any other "KV47310B/C"), then scales
    // Cp and every coefficient by coefficientScale. Repeated calls never compound.
    void LoadProbeCoefficients(int probeType);

    // Writes the normalised aperture admittance of eps at f (Hz) to y and returns the line's
    // normalised admittance, always (1, 0).
    CComplex ProbeAdmittance(double f, CComplex eps, CComplex& y) const;

    // Gamma = (1 - y) / (1 + y) of eps at f.
    CComplex Reflection(double f, CComplex eps) const;

    // Improves eps in place so that its admittance approaches y.
    void RefinePermittivity(double f, CComplex y, CComplex& eps) const;

    // permittivity[i] = (e', e'') and sensitivity[i] for i < count; 9999 marks an invalid point.
    // Works on fixed local tables; allocates nothing. `paths`, when given, receives how each
    // point ended.
    void ComputePermittivity(const double* frequencies, const CComplex* reflections,
                             CComplex* permittivity, double* sensitivity, int count,
                             InversePath* paths = nullptr) const;
};

}  // namespace kv
