#pragma once

// The uncertainty budget of one point of a measurement: what each input contributes to the
// standard uncertainties of e' and e''. The contributions add in quadrature (the inputs are taken
// as uncorrelated with each other), so u = sqrt(sum of contribution^2).

#include <string>
#include <vector>

namespace kv {

struct BudgetTerm {
    std::string name;     // "Air reading", "Water temperature", "Sample reading", ...
    double e1 = 0.0;      // its contribution to u(e'), k = 1
    double e2 = 0.0;      // to u(e'')
    bool stated = false;  // the input is stated (the analyzer's trace noise, a type B value),
                          // not measured (the scatter of repeated sweeps)
    std::string note;     // how the input was obtained ("8 sweeps", "stated, not measured",
                          // "the water table is clamped here", ...)
};

struct UncertaintyBudget {
    double frequency = 0.0;  // Hz
    double e1 = 0.0;         // the point's values
    double e2 = 0.0;
    double uE1 = 0.0;  // the combined standard uncertainties
    double uE2 = 0.0;
    std::vector<BudgetTerm> terms;
    std::vector<std::string> notes;  // whatever else the reader must know
};

}  // namespace kv
