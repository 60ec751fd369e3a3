// A question read the one way every answer reads it: the grammar reads its
// parts, then the module reads its values (so they are exactly the doubles
// the module's line would use, and a bad value gets the module's own error
// line).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formula_table.h"
#include "zorvane_host/question.h"
#include "zorvane_host/reply.h"

namespace zorvane::host {

// Makes `reply` the error `line` (its engineering line too), with `hints`.
void fail(Reply& reply, std::string line, std::vector<std::string> hints = {});

struct ReadQuestion {
    Question question;
    QuestionSettings settings;  // passed beside the question, and written in it
    const FormulaInfo* info = nullptr;
    const Formula* row = nullptr;
    Values values{};                      // as the module read them, an unknown as 1
    std::array<double, 4> tolerances{};   // fractions: 0.01 for ±1%
    std::array<int, 2> unknowns{-1, -1};  // the first two values written ?
    std::string line;                     // the module's line of the values
    std::string engineering;              // and its engineering line
    std::vector<std::string> notes;       // the hints of the module's line: values ignored
};

// The command the module reads: the values alone, an unknown as 1.
std::string module_command(const Question& question);

// Reads `command`; false, with the error in `reply`, when it does not read:
// a line too long for the module, what the grammar or the module says of it,
// a value written ? beyond the formula's own.
bool read_question(const ReadCommand& command, const QuestionSettings& beside, ReadQuestion& out,
                   Reply& reply);

// The window a target after '=' gives: its limits as written, or its
// reading ± its tolerance (centred on the reading); none where the reading
// is not a number.
struct ResultWindow {
    double low = 0.0;
    double high = 0.0;
    std::optional<double> centre;
};
std::optional<ResultWindow> window_of(const QuestionTarget& target);

// A question read, and its target read: the result wanted, or a window on
// the result on a command with tolerances.
struct PreparedQuestion : ReadQuestion {
    double target = 0.0;
    bool has_window = false;
    double low = 0.0;
    double high = 0.0;
};

// Reads a question; false, with the error in `reply`, when it cannot be
// answered: a question that does not read, what the module says of its
// values, a value written ? that is not one of the formula's, a target that
// is not a number, a window that does not go with the values.
bool prepare_question(const ReadCommand& command, const QuestionSettings& beside,
                      PreparedQuestion& prepared, Reply& reply);

// The error of a question that is not one a solve (or, with `pair`, a pair)
// answers, or "": tolerances with ? or '=', too many values written ?, a ?
// without a target.
std::string misfit(const Question& question, bool pair, bool have_series);

// Whether the samples asked for are within MAX_SAMPLES; false, with the
// error in `reply`, for more. The grammar reads no more than that, but
// settings made in code rather than read are held to the same limit.
bool samples_within_limit(const QuestionSettings& settings, Reply& reply);

}  // namespace zorvane::host
