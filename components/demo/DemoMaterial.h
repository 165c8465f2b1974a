#pragma once

// What is at the simulated probe: air, the shorting block, a load at the end of the cable
// (probe removed), water at a temperature, a material with Cole-Cole parameters (a user
// standard or the sample), or a reference liquid at a temperature (the sample).

#include <memory>
#include <string>

#include "numerics/CComplex.h"
#include "probe/ProbeModel.h"
#include "probe/ReferenceLiquids.h"
#include "probe/Standards.h"

namespace kv {

struct DemoMaterial {
    enum class Kind { Air, Short, Load, Water, ColeCole, Liquid };

    Kind kind = Kind::Air;
    double temperature = 25.0;  // Celsius, for water and a liquid
    ColeCole parameters;        // for Kind::ColeCole
    std::string name = "air";   // "air", "short", "load", "water", "sample" or a standard's label
    std::shared_ptr<const ReferenceLiquid> liquid;  // for Kind::Liquid
    // How the Cole-Cole parameters change per minute (Kind::ColeCole); zero: they stay.
    ColeCole perMinute{0.0, 0.0, 0.0, 0.0};

    static DemoMaterial Air() { return {}; }
    static DemoMaterial Short() { return {Kind::Short, 25.0, {}, "short", nullptr}; }
    static DemoMaterial Load() { return {Kind::Load, 25.0, {}, "load", nullptr}; }
    static DemoMaterial Water(double temperature) {
        return {Kind::Water, temperature, {}, "water", nullptr};
    }
    static DemoMaterial Relaxation(const ColeCole& parameters, const std::string& name) {
        return {Kind::ColeCole, 25.0, parameters, name, nullptr};
    }
    // `liquid` must offer `temperature` (OfferedTemperatures).
    static DemoMaterial Liquid(std::shared_ptr<const ReferenceLiquid> liquid, double temperature,
                               const std::string& name) {
        return {Kind::Liquid, temperature, {}, name, std::move(liquid)};
    }

    // The reflection at the aperture plane at f, from the program's own probe model and material
    // models, so that a simulated standard is exactly what the calibration assumes. The load is
    // (0, 0) at the end of the cable and the shorting block (-1, 0).
    CComplex Reflection(const ProbeModel& model, double f) const;

    // The material `minutes` after the program started: a Cole-Cole material's parameters moved by
    // perMinute x minutes, kept where they mean something (eo and einf at least 1, alpha from 0
    // to 0.99, tau at least 0).
    DemoMaterial At(double minutes) const;

    // The same material, whatever the water temperature.
    bool SameKind(const DemoMaterial& other) const {
        return kind == other.kind && name == other.name;
    }
};

}  // namespace kv
