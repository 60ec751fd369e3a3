// What zorvane-calc prints about the formulas, all read from the table.
#pragma once

#include "output.h"

namespace zorvane_calc {

// One formula per line with its arguments, as the reference names them.
void write_formula_list(Output& out);

// The formulas under their categories, in table order.
void write_formulas_by_category(Output& out);

// The module's usage summary with its sample commands.
void write_help_summary(Output& out);

}  // namespace zorvane_calc
