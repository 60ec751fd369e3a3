#include "listing.h"

#include "zorvane_host/host.h"

namespace zorvane_calc {

namespace host = zorvane::host;

void write_formula_list(Output& out) {
    for (const host::FormulaInfo& formula : host::formulas()) out.write_line(host::usage(formula));
}

void write_formulas_by_category(Output& out) {
    std::string_view category;
    for (const host::FormulaInfo& formula : host::formulas()) {
        if (formula.category != category) {
            if (!category.empty()) out.write_line("");
            category = formula.category;
            out.write(category);
            out.write_line(":");
        }
        out.write("  ");
        out.write_line(host::usage(formula));
    }
}

void write_help_summary(Output& out) { out.write(host::help_summary()); }

}  // namespace zorvane_calc
