// A row evaluated directly, without a command around it: the path of hosts
// that evaluate arrays of values.
#include <limits>

#include "formula_table.h"
#include "rendering.h"
#include "zorvane_host/formulas.h"

namespace zorvane::host {

RowValue evaluate_row(const FormulaInfo& formula, const std::array<double, 4>& values) noexcept {
    // A FormulaInfo made up by a host names no row: no number.
    const Formula* row = row_of(formula);
    if (row == nullptr) return {std::numeric_limits<double>::quiet_NaN(), false};
    const Evaluation evaluation = row->evaluate(values);
    return {evaluation.value, evaluation.guarded};
}

bool is_magnitude(const FormulaInfo& formula, int argument) noexcept {
    const Formula* row = row_of(formula);
    if (row == nullptr || argument < 0 || argument >= row->required_count) return false;
    return row->arguments[static_cast<std::size_t>(argument)].domain == Domain::magnitude;
}

}  // namespace zorvane::host
