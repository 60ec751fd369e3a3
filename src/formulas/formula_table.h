// The formula table: one row per formula, in the order the reference lists them.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <utility>

namespace zorvane {

// A command carries at most this many values; rows need one to four of them.
inline constexpr int MAX_VALUES = 4;

// Characters a result line may hold: the 80-character result buffer every
// host reads, terminator excluded.
inline constexpr std::size_t RESULT_CAPACITY = 79;

// The widest "%.6e" text of a double: -1.797693e+308.
inline constexpr std::size_t WIDEST_SCIENTIFIC = 14;

using Values = std::array<double, MAX_VALUES>;
using Evaluator = double (*)(const Values& values);

struct Formula {
    std::string_view keyword;    // lower-case name typed by the user
    std::string_view category;   // the group people find it under: "Capacitors"
    std::string_view arguments;  // as the reference writes them: "<current> <resistance>"
    int required_count;          // values the evaluator reads, in the order typed
    Evaluator evaluate;
    std::string_view format;  // printf-style, with exactly one "%.6f"
    std::string_view label;   // the format's text before "%.6f"
    std::string_view unit;    // the format's text after "%.6f"
};

namespace detail {

template <typename Function>
struct arity_of;

template <typename... Arguments>
struct arity_of<double (*)(Arguments...)> {
    static constexpr int value = static_cast<int>(sizeof...(Arguments));
};

template <auto evaluator, std::size_t... index>
double apply_indexed(const Values& values, std::index_sequence<index...> /*unused*/) {
    return evaluator(values[index]...);
}

// Adapts an evaluator with named double parameters to the table's uniform signature.
template <auto evaluator>
double apply(const Values& values) {
    constexpr int arity = arity_of<decltype(evaluator)>::value;
    return apply_indexed<evaluator>(values, std::make_index_sequence<static_cast<std::size_t>(arity)>{});
}

}  // namespace detail

// The number of "<name>" words in a row's argument text, or -1 when the text
// is not such words separated by single spaces.
consteval int count_arguments(std::string_view arguments) {
    int count = 0;
    while (!arguments.empty()) {
        const std::size_t close = arguments.find('>');
        if (arguments[0] != '<' || close == std::string_view::npos || close < 2 ||
            arguments.substr(1, close - 1).find_first_of("<> ") != std::string_view::npos) {
            return -1;
        }
        ++count;
        arguments.remove_prefix(close + 1);
        if (!arguments.empty()) {
            if (arguments.size() < 2 || arguments[0] != ' ') return -1;
            arguments.remove_prefix(1);
        }
    }
    return count;
}

// Builds a row at compile time; a required count that differs from the
// evaluator's parameter count or from the number of argument names, or a
// format without exactly one "%.6f", stops the build.
template <auto evaluator>
consteval Formula formula(std::string_view keyword, std::string_view category,
                          std::string_view arguments, int required_count,
                          std::string_view format) {
    if (required_count != detail::arity_of<decltype(evaluator)>::value) {
        throw "the required count must equal the evaluator's parameter count";
    }
    if (required_count != count_arguments(arguments)) {
        throw "a row names exactly its required count of arguments, each as <name>";
    }
    if (category.empty()) throw "every row belongs to a category";
    constexpr std::string_view conversion = "%.6f";
    const std::size_t at = format.find(conversion);
    if (at == std::string_view::npos || format.find('%', at + 1) != std::string_view::npos ||
        format.find('%') != at) {
        throw "a result format holds exactly one %.6f and no other conversion";
    }
    if (format.size() - conversion.size() + WIDEST_SCIENTIFIC > RESULT_CAPACITY) {
        throw "every value must fit the result line at least in %.6e";
    }
    return Formula{keyword,
                   category,
                   arguments,
                   required_count,
                   &detail::apply<evaluator>,
                   format,
                   format.substr(0, at),
                   format.substr(at + conversion.size())};
}

// All rows, in table order.
std::span<const Formula> formula_table() noexcept;

// The row whose keyword equals `keyword` (lower-case), or null.
const Formula* find_keyword(std::string_view keyword) noexcept;

// The row whose keyword equals `keyword` and whose required count is at most
// `value_count`, or null. Keywords are distinct, so this is the first such row.
const Formula* find_formula(std::string_view keyword, int value_count) noexcept;

}  // namespace zorvane
