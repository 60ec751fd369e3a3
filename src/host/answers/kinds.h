// The kinds of question as the rows of one table, as the formulas are: the
// name every host knows a kind by (JSON's "kind"), the type of its answer,
// how a question is recognised as it, and how it is answered. Adding a kind
// is adding its answer type to `Answered`, a row here and its JSON.
#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string_view>
#include <type_traits>
#include <variant>

#include "zorvane_host/answers.h"

namespace zorvane::host::kinds {

// A question read, with its settings and those passed beside it merged.
struct Asked {
    const Question& question;
    const QuestionSettings& settings;
};

bool asks_design(const Asked& asked);
bool asks_combine(const Asked& asked);
bool asks_statistics(const Asked& asked);
bool asks_range(const Asked& asked);
bool asks_pair(const Asked& asked);
bool asks_anything(const Asked& asked);

using Answerer = Answered (*)(const ReadCommand& command, const QuestionSettings& beside);
Answered design_answer(const ReadCommand& command, const QuestionSettings& beside);
Answered combine_answer(const ReadCommand& command, const QuestionSettings& beside);
Answered statistics_answer(const ReadCommand& command, const QuestionSettings& beside);
Answered range_answer(const ReadCommand& command, const QuestionSettings& beside);
Answered pair_answer(const ReadCommand& command, const QuestionSettings& beside);
Answered solve_answer(const ReadCommand& command, const QuestionSettings& beside);

// The place of `T` among the alternatives of `Answered`.
template <class T, class Variant>
struct Alternative;
template <class T, class... Types>
struct Alternative<T, std::variant<Types...>> {
    static constexpr std::size_t index = [] {
        std::size_t i = 0;
        static_cast<void>(((std::is_same_v<T, Types> ? false : (++i, true)) && ...));
        return i;
    }();
};
template <class T>
inline constexpr std::size_t TYPE = Alternative<T, Answered>::index;

struct KindRow {
    std::string_view name;  // as every host names the kind
    std::size_t type;       // its answer's alternative in Answered
    bool (*asks)(const Asked& asked);
    Answerer answer;
};

// The first row whose question a command asks answers it.
// clang-format off
inline constexpr KindRow KINDS[] = {
    // name         type                  asks             answer
    {"design",      TYPE<Designed>,       asks_design,     design_answer},
    {"solve",       TYPE<SolvedInParts>,  asks_combine,    combine_answer},
    {"statistics",  TYPE<Simulated>,      asks_statistics, statistics_answer},
    {"range",       TYPE<Ranged>,         asks_range,      range_answer},
    {"pair",        TYPE<Paired>,         asks_pair,       pair_answer},
    {"solve",       TYPE<Solved>,         asks_anything,   solve_answer},
};
// clang-format on

// The name of the kind whose answers are of type `T`.
template <class T>
constexpr std::string_view name_of() {
    return std::find_if(std::begin(KINDS), std::end(KINDS),
                        [](const KindRow& row) { return row.type == TYPE<T>; })
        ->name;
}

}  // namespace zorvane::host::kinds
