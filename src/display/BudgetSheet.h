#pragma once

// The contents of the "Uncertainty Budget" window: the budget of one point of a measurement as
// rows of texts, one for each input, then the combined standard uncertainty. The window shows
// them as they are; every text is made here.

#include <string>
#include <vector>

#include "probe/UncertaintyBudget.h"

namespace kv {

struct BudgetRow {
    std::string input;   // the term's name; "Combined" for the last row
    std::string uE1;     // its contribution to u(e') (k = 1)
    std::string uE2;     // to u(e'')
    std::string source;  // "measured", "stated"; empty on the combined row
    std::string note;
};

struct BudgetSheet {
    std::string heading;  // "At 1.000000000 GHz: e' = 78.1234, e'' = 12.3456"
    std::vector<BudgetRow> rows;
    // The budget's notes, then what the reader of the figures must know: which inputs were
    // stated rather than measured, and the coverage of the chart's band.
    std::vector<std::string> notes;
};

inline constexpr const char* kBudgetCaption = "Uncertainty Budget";
inline constexpr const char* kBudgetColumnTitles[] = {"Input", "u(e')", "u(e'')", "Source", "Note"};

// The window's contents for a budget: each term with its contributions written "%.3g", its
// source and note, and the combined row; the notes list the stated inputs by name.
BudgetSheet BudgetSheetOf(const UncertaintyBudget& budget);

}  // namespace kv
