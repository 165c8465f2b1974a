#include "display/BudgetSheet.h"

#include "display/TraceValues.h"
#include "probe/Units.h"

namespace kv {

BudgetSheet BudgetSheetOf(const UncertaintyBudget& budget) {
    BudgetSheet sheet;
    sheet.heading = "At " + FrequencyText(budget.frequency, FrequencyForm::Fixed) +
                    ": e' = " + Printf("%.4f", budget.e1) + ", e'' = " + Printf("%.4f", budget.e2);
    std::string stated;
    for (const BudgetTerm& term : budget.terms) {
        sheet.rows.push_back({term.name, Printf("%.3g", term.e1), Printf("%.3g", term.e2),
                              term.stated ? "stated" : "measured", term.note});
        if (term.stated) {
            stated += (stated.empty() ? "" : ", ") + term.name;
        }
    }
    sheet.rows.push_back({"Combined", Printf("%.3g", budget.uE1), Printf("%.3g", budget.uE2), "",
                          "the root of the sum of the squares"});
    sheet.notes = budget.notes;
    sheet.notes.push_back(stated.empty() ? "Every input was measured."
                                         : "Stated, not measured: " + stated + ".");
    sheet.notes.push_back(
        Printf("Standard uncertainties (k = 1); the chart's band reaches %g u either side.",
               kBandCoverage));
    return sheet;
}

}  // namespace kv
