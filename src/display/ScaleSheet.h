#pragma once

// Values of the "Scale" sheet: its horizontal page ("Horizonal Scale") and vertical page
// ("Vertical Scale") work on a copy of the current chart format.

#include "display/CPlotFormat.h"

namespace kv {

struct ScaleSheet {
    CPlotFormat format;

    bool ColeCole() const { return format.IsColeCole(); }
    // "Reset": the default limits (and, horizontally, the default unit texts).
    void ResetHorizontal();
    void ResetVertical();
    // "AutoScale": the offer limits (and, horizontally, the offer unit texts).
    void AutoScaleHorizontal();
    void AutoScaleVertical();
};

}  // namespace kv
