#pragma once

// The simulated operator: reads the texts the program shows and puts at the probe what they ask
// for, like an operator who does as told.
//
// Prompts (ShowMessage):
//   "Leave the probe open in air.", "Reconnect the probe and leave the probe open in air." -> air
//   "Connect the shorting block to the probe."                         -> shorting block
//   "Remove the probe and connect a load to the end of the cable."     -> load
//   "Insert the probe into " + temperature + " C water."               -> water at that temperature
//   "Insert the probe in water."                                       -> water at 25 C
//   "Insert the probe into " + label                                   -> user standard by label
//   "Insert probe into sample."                                        -> the sample
// Measuring texts (ShowTitle) name the same materials ("Measuring air.", "Measuring the shorting
// block.", "Measuring the load.", "Measuring water.", "Measuring sample...", "Measuring " +
// label). Any other text (status lines such as "Computing Calibration...") changes nothing.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "DemoMaterial.h"

namespace kv {

class DemoOperator {
public:
    // `standards` are further user standards by label; they come before the built-in labels
    // "Air", "Short" and "Water", which are the program's default user standards.
    DemoOperator(const ColeCole& sample, std::vector<std::pair<std::string, ColeCole>> standards);
    // The same with any material as the sample (a reference liquid, say); it is named "sample".
    DemoOperator(DemoMaterial sample, std::vector<std::pair<std::string, ColeCole>> standards);

    // The material a prompt asks for; nothing when it asks for no change. A label that names no
    // known material gives the sample, with a note on standard error.
    std::optional<DemoMaterial> FromPrompt(const std::string& text) const;

    // The material a measuring text names; nothing for other texts and unknown labels.
    std::optional<DemoMaterial> FromTitle(const std::string& text) const;

    DemoMaterial Sample() const { return sample_; }

    // A user standard by its label: exact match first, then without regard to ASCII case.
    std::optional<DemoMaterial> Standard(const std::string& label) const;

private:
    DemoMaterial sample_;
    std::vector<std::pair<std::string, ColeCole>> standards_;
};

}  // namespace kv
