#include "display/CTrace.h"

#include "probe/Units.h"

namespace kv {

double CTrace::Real(TraceArray array, std::size_t i) const {
    return Values(array)[i].re;
}

double CTrace::Imag(TraceArray array, std::size_t i) const {
    return Values(array)[i].im;
}

double CTrace::Tangent(TraceArray array, std::size_t i) const {
    const CComplex v = Values(array)[i];
    return v.re == 0.0 ? 9999.0 : v.im / v.re;
}

std::string CTrace::TangentText(TraceArray array, std::size_t i) const {
    const CComplex v = Values(array)[i];
    if (v.re == 0.0) {
        return "9999";
    }
    return TrimLeft(Printf("%9.4f", v.im / v.re));
}

std::size_t CTrace::Points(TraceArray array) const {
    return Values(array).size();
}

void CTrace::CopyFrom(const CTrace& other) {
    displayed = other.displayed;
    valid = other.valid;
    permittivity = other.permittivity;
    permeability = other.permeability;
    frequencies = other.frequencies;
    uncertaintyE1 = other.uncertaintyE1;
    uncertaintyE2 = other.uncertaintyE2;
}

}  // namespace kv
