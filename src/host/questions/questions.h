// The questions with the settings passed beside them, as the one dispatch
// answers each kind, and what they share with it.
#pragma once

#include <string_view>

#include "zorvane_host/pair.h"
#include "zorvane_host/question.h"
#include "zorvane_host/range.h"
#include "zorvane_host/solve.h"

namespace zorvane::host {

Solved solve(std::string_view command, const QuestionSettings& beside, bool expand);
Ranged range(std::string_view command, const QuestionSettings& beside, bool expand);
Paired pair(std::string_view command, const QuestionSettings& beside, bool expand);

// The settings of the questions' simpler entry points, which take a series alone.
QuestionSettings beside_of(const QuestionOptions& options);

// The series that applies to the value at `argument` (its kind's, else the
// one for every kind), or null.
const Series* series_for(const QuestionSettings& settings, const FormulaInfo* formula,
                         int argument);

}  // namespace zorvane::host
