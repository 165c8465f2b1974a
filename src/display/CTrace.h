#pragma once

// One trace: Data or one of the three memories. It holds the values of one measurement
// (permittivity, permeability and the frequencies it was measured at), its style (label, colour,
// font, pen) and whether it is valid and displayed. The chart and the table draw a trace only
// when it is both valid and displayed.

#include <cstdint>
#include <string>
#include <vector>

#include "display/LogFont.h"
#include "numerics/CComplex.h"

namespace kv {

// Windows COLORREF: 0x00BBGGRR.
using ColorRef = std::uint32_t;

enum class TraceArray { Permittivity, Permeability };

class CTrace {
public:
    CTrace() = default;
    CTrace(std::string label, ColorRef colour) : label(std::move(label)), colour(colour) {}

    // Values of point i of an array. Callers keep i inside the array (see Points()).
    double Real(TraceArray array, std::size_t i) const;
    double Imag(TraceArray array, std::size_t i) const;
    // Imaginary over real part; 9999.0 when the real part is exactly 0.0.
    double Tangent(TraceArray array, std::size_t i) const;
    // "9999" for a zero real part, else "%9.4f" of the tangent, leading blanks removed.
    std::string TangentText(TraceArray array, std::size_t i) const;
    // Number of points the array holds.
    std::size_t Points(TraceArray array) const;

    // Copies displayed, valid, the three arrays and the uncertainties; the style stays.
    void CopyFrom(const CTrace& other);

    // True when every point of the permittivity has its standard uncertainties.
    bool HasUncertainty() const {
        return !permittivity.empty() && uncertaintyE1.size() == permittivity.size() &&
               uncertaintyE2.size() == permittivity.size();
    }

    bool DisplayedAndValid() const { return displayed && valid; }

    // A setup file's trace record stores every member but the label, in the order of its field
    // list (VisitStoredFields in persist/RecordImages.h), which is not the order declared here:
    // the frequencies come last, after the permeability.
    bool gridMode = false;
    bool spareFlag = false;
    std::string label;
    int lineWidth = 1;
    int penStyle = 0;  // Windows pen style code, 0 solid
    ColorRef colour = 0;
    LogFont font;
    std::vector<double> frequencies;
    bool displayed = false;
    bool valid = false;
    std::string informationText = "Trace Information";
    std::vector<CComplex> permittivity;
    std::vector<CComplex> permeability;
    // The standard uncertainties (k = 1) of e' and e'' at each point, 9999 where none could be
    // computed; empty when the values came without them. No setup file keeps them: a trace read
    // from one has none.
    std::vector<double> uncertaintyE1;
    std::vector<double> uncertaintyE2;

private:
    const std::vector<CComplex>& Values(TraceArray array) const {
        return array == TraceArray::Permittivity ? permittivity : permeability;
    }
};

// The four traces of a document, by index.
inline constexpr int kTraceCount = 4;
inline constexpr int kDataTrace = 0;
inline constexpr const char* kTraceCaptions[kTraceCount] = {"Data", "Memory 1", "Memory 2",
                                                            "Memory 3"};
inline constexpr const char* kTraceLabels[kTraceCount] = {"< Data", "< Memory 1", "< Memory 2",
                                                          "< Memory 3"};
inline constexpr ColorRef kTraceColours[kTraceCount] = {0x0000FF, 0xFF0000, 0x00FF00, 0xFF0080};

}  // namespace kv
