// A row evaluated directly, without a command around it: the path of hosts
// that evaluate arrays of values.
#include "formula_table.h"
#include "zorvane_host/host.h"

namespace zorvane::host {

RowValue evaluate_row(const FormulaInfo& formula, const std::array<double, 4>& values) noexcept {
    const Evaluation evaluation = formula.row->evaluate(values);
    return {evaluation.value, evaluation.guarded};
}

bool is_magnitude(const FormulaInfo& formula, int argument) noexcept {
    if (argument < 0 || argument >= formula.row->required_count) return false;
    return formula.row->arguments[static_cast<std::size_t>(argument)].domain == Domain::magnitude;
}

}  // namespace zorvane::host
