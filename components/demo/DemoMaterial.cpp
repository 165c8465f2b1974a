#include "DemoMaterial.h"

#include <algorithm>

namespace kv {

CComplex DemoMaterial::Reflection(const ProbeModel& model, double f) const {
    switch (kind) {
        case Kind::Air:
            return model.Reflection(f, CComplex(1.0, 0.0));
        case Kind::Short:
            return {-1.0, 0.0};
        case Kind::Load:
            return {0.0, 0.0};
        case Kind::Water:
            return model.Reflection(f, WaterPermittivity(f, temperature));
        case Kind::ColeCole:
            return model.Reflection(f, ColeColePermittivity(f, parameters));
        case Kind::Liquid:
            // The settings take a liquid only at a temperature it offers, and the analyzer's
            // frequencies are positive: the permittivity is always there.
            if (liquid) {
                if (const auto eps = LiquidPermittivity(*liquid, temperature, f)) {
                    return model.Reflection(f, *eps);
                }
            }
            break;
    }
    return {0.0, 0.0};
}

DemoMaterial DemoMaterial::At(double minutes) const {
    DemoMaterial at = *this;
    if (kind != Kind::ColeCole) {
        return at;
    }
    ColeCole& p = at.parameters;
    p.eo = std::max(1.0, p.eo + perMinute.eo * minutes);
    p.einf = std::max(1.0, p.einf + perMinute.einf * minutes);
    p.alpha = std::clamp(p.alpha + perMinute.alpha * minutes, 0.0, 0.99);
    p.tau = std::max(0.0, p.tau + perMinute.tau * minutes);
    return at;
}

}  // namespace kv
