// What the statistics share with the questions inside the host: the spec
// window after '=', and a command with tolerances read into its parts.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "formula_table.h"
#include "zorvane_host/host.h"

namespace zorvane::host {

// Whether the word after '=' is written as a window rather than one value:
// it holds ±, +- or "..".
bool is_window_word(std::string_view word) noexcept;

// "3.3±3%" (3.201 .. 3.399), "3.2..3.4", either number with the result's
// unit and prefixes where `expand`: the edges, low <= high; or the error line
// and hints for a window that is no window (a number that is none, an empty
// one: 3.4..3.2).
struct WindowReading {
    double low = 0.0;
    double high = 0.0;
    std::string error;  // empty when low and high hold the window
    std::vector<std::string> hints;
};
WindowReading read_window(std::string_view word, const FormulaInfo& result, bool expand);

// A command whose values carry tolerances, read by the module as every
// question is, with its window if it has one.
struct TolerancedCommand {
    const FormulaInfo* info = nullptr;
    const Formula* row = nullptr;
    Values values{};
    std::array<double, 4> tolerances{};  // relative: 0.01 for 1 %; 0 for exact values
    std::string line;                    // the module's line of the values
    std::string engineering;
    bool has_window = false;
    double low = 0.0;
    double high = 0.0;
};
// False, with the error line in `reply`, for a command that is not one (no
// tolerance, a value written ?, a target that is no window).
bool read_toleranced(std::string_view command, const QuestionOptions& options,
                     TolerancedCommand& toleranced, Reply& reply);

// Which answer a command asks for, as `ask` (and json_answer) decide.
enum class Question { forward, solve, pair, range, statistics };
Question question_of(std::string_view command, const QuestionOptions& options,
                     const StatisticsOptions& statistics);

}  // namespace zorvane::host
