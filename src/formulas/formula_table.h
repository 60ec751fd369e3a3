// The formula table: one row per formula, in the order the reference lists
// them. A row holds everything known about its formula: keyword, category,
// arguments with their units and domains, result format, reference line and
// evaluator. Listings, help, hints, completion, solving and ranges all read
// the rows; nothing about a formula is written anywhere else.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <initializer_list>
#include <span>
#include <string_view>
#include <utility>

#include "units.h"

namespace zorvane {

// A command carries at most this many values; rows need one to four of them.
inline constexpr int MAX_VALUES = 4;

// The widest "%.6e" text of a double: -1.797693e+308.
inline constexpr std::size_t WIDEST_SCIENTIFIC = 14;

// The most characters a result format holds besides its value, so that any
// value fits the module's 79-character line at least in "%.6e".
inline constexpr std::size_t MAX_FORMAT_TEXT = 65;

using Values = std::array<double, MAX_VALUES>;

// What an evaluator gives back: the value, and whether its zero guard
// answered 0 in place of a division by zero (or the logarithm of a value
// that is not positive). The module prints the value either way; a host can
// tell a guarded 0 from a computed one.
struct Evaluation {
    double value = 0.0;
    bool guarded = false;

    // Implicit, so that an evaluator returns its arithmetic as it stands.
    // cppcheck-suppress noExplicitConstructor
    constexpr Evaluation(double computed) noexcept : value(computed) {}
    static constexpr Evaluation zero_guard() noexcept {
        Evaluation guard(0.0);
        guard.guarded = true;
        return guard;
    }
};

// Which values an argument can physically take. A magnitude is never
// negative (a resistance, a frequency, a length); a signed quantity may be
// either (a voltage, a gain in dB). The evaluators accept any double either
// way; the domain tells a solver where to look.
enum class Domain : unsigned char { magnitude, signed_quantity };

// How a result moves with each of its values: what a worst-case range and a
// standard-pair search may assume (the reasoning per shape is with the
// range search, src/host/questions/worst_case.cpp).
enum class Shape : unsigned char {
    multilinear,       // sums and products of the values: I*R, R*C, a+b, th*p+a
    quotient,          // a product over a product, a zero guard where a divisor is zero
    even_square,       // a square of a signed value times positive ones: V²/R, I²R, ½CV²
    product_over_sum,  // a*b/(a+b) and the divider's total*r2/(r1+r2)
    hypotenuse,        // sqrt(X² + R²) with X monotone in each value: RC and RL impedance
    logarithmic,       // log10 or 10^x of a quotient: decibels, coax impedance
    resonance,         // sqrt((XL - XC)² + R²): zero reactance inside the box
};

// Whether a row gives the value of two parts of its result's kind joined
// (two resistors, capacitors or inductors in series or in parallel): what
// a search for a value made of two standard parts evaluates.
enum class Joining : unsigned char { none, in_series, in_parallel };

struct Argument {
    std::string_view name;  // as the reference writes it, without brackets: "resistance"
    Unit unit;              // its SI unit; NO_UNIT for ratios and factors
    Domain domain;
};

// A group of formulas, with the name people read and the heading the
// reference file gives it.
struct Category {
    std::string_view name;     // "Ohm's law and power"
    std::string_view heading;  // "BASIC ELECTRONICS (Ohm's Law & Power):"
};

using Evaluator = Evaluation (*)(const Values& values);

// A block of points as columns: value i of point k is columns[i][k]. The
// same evaluator over the whole block, inlined into one loop, gives each
// point's value as `evaluate` would, bit for bit, without a call and a
// copy of the values per point: what a run of many points (a Monte Carlo
// run's samples) spends most of its time on otherwise.
using Columns = std::array<const double*, MAX_VALUES>;
using ColumnEvaluator = void (*)(const Columns& columns, std::size_t count, double* values);

struct Formula {
    std::string_view keyword;  // lower-case name typed by the user
    const Category* category;
    std::array<Argument, MAX_VALUES> arguments;  // the first `required_count` are set
    Evaluator evaluate;
    ColumnEvaluator evaluate_columns;  // the values only, `count` points at a time
    std::string_view format;           // printf-style, with exactly one "%.6f"
    std::string_view label;            // the format's text before "%.6f": "Current = "
    std::string_view unit;             // the format's text after "%.6f": " A" (Windows-1252)
    Unit result_unit;                  // the result's unit, both encodings
    std::string_view description;      // the reference line's text after "- "
    int required_count;                // values the evaluator reads, in the order typed
    int reference_column;              // where the reference line's "- " starts, at the least
    Shape shape;                       // how the result moves with each value
    Joining joins;                     // two parts of the result's kind joined, or none

    constexpr std::span<const Argument> argument_list() const noexcept {
        return {arguments.data(), static_cast<std::size_t>(required_count)};
    }
};

namespace detail {

template <typename Function>
struct arity_of;

template <typename... Parameters>
struct arity_of<Evaluation (*)(Parameters...)> {
    static constexpr int value = static_cast<int>(sizeof...(Parameters));
};

template <auto evaluator, std::size_t... index>
Evaluation apply_indexed(const Values& values, std::index_sequence<index...> /*unused*/) {
    return evaluator(values[index]...);
}

// Adapts an evaluator with named double parameters to the table's uniform signature.
template <auto evaluator>
Evaluation apply(const Values& values) {
    constexpr int arity = arity_of<decltype(evaluator)>::value;
    return apply_indexed<evaluator>(values,
                                    std::make_index_sequence<static_cast<std::size_t>(arity)>{});
}

template <auto evaluator, std::size_t... index>
void apply_columns_indexed(const Columns& columns, std::size_t count, double* values,
                           std::index_sequence<index...> /*unused*/) {
    const Columns in = columns;  // in registers: no store to `values` can change them
    // (cppcheck reads the pack expansion as an array access left unused.)
    // cppcheck-suppress constStatement
    for (std::size_t k = 0; k < count; ++k) values[k] = evaluator(in[index][k]...).value;
}

template <auto evaluator>
void apply_columns(const Columns& columns, std::size_t count, double* values) {
    constexpr int arity = arity_of<decltype(evaluator)>::value;
    apply_columns_indexed<evaluator>(columns, count, values,
                                     std::make_index_sequence<static_cast<std::size_t>(arity)>{});
}

}  // namespace detail

// Builds a row at compile time. An argument count that differs from the
// evaluator's parameter count, a format without exactly one "%.6f", a
// result unit that is not the format's, a format too long for the result
// line, or a row said to join two parts whose arguments are not two values
// in its result's unit stops the build.
template <auto evaluator>
consteval Formula formula(std::string_view keyword, const Category& category,
                          std::initializer_list<Argument> arguments, std::string_view format,
                          Unit result_unit, Shape shape, int reference_column,
                          std::string_view description, Joining joins = Joining::none) {
    const int count = static_cast<int>(arguments.size());
    if (count != detail::arity_of<decltype(evaluator)>::value) {
        throw "a row names exactly as many arguments as its evaluator takes";
    }
    constexpr std::string_view conversion = "%.6f";
    const std::size_t at = format.find(conversion);
    if (at == std::string_view::npos || format.find('%', at + 1) != std::string_view::npos ||
        format.find('%') != at) {
        throw "a result format holds exactly one %.6f and no other conversion";
    }
    if (format.size() - conversion.size() > MAX_FORMAT_TEXT) {
        throw "a result format leaves room for any value in %.6e";
    }
    const std::string_view unit_text = format.substr(at + conversion.size());
    const bool unit_matches = result_unit.windows_1252.empty()
                                  ? unit_text.empty()
                                  : unit_text.size() == result_unit.windows_1252.size() + 1 &&
                                        unit_text[0] == ' ' &&
                                        unit_text.substr(1) == result_unit.windows_1252;
    if (!unit_matches) throw "the result unit is the one the format prints";
    if (description.empty()) throw "every row has its line in the reference";
    if (joins != Joining::none) {
        if (count != 2) throw "a row that joins two parts takes two values";
        const bool of_result_kind = std::all_of(
            arguments.begin(), arguments.end(),
            [&result_unit](const Argument& a) { return a.unit.utf8 == result_unit.utf8; });
        if (!of_result_kind) throw "joined parts are of the result's kind";
    }
    std::array<Argument, MAX_VALUES> list{};
    std::size_t i = 0;
    for (const Argument& argument : arguments) list[i++] = argument;
    return Formula{.keyword = keyword,
                   .category = &category,
                   .arguments = list,
                   .evaluate = &detail::apply<evaluator>,
                   .evaluate_columns = &detail::apply_columns<evaluator>,
                   .format = format,
                   .label = format.substr(0, at),
                   .unit = unit_text,
                   .result_unit = result_unit,
                   .description = description,
                   .required_count = count,
                   .reference_column = reference_column,
                   .shape = shape,
                   .joins = joins};
}

// All rows, in table order.
std::span<const Formula> formula_table() noexcept;

// The row whose keyword equals `keyword` (lower-case), or null.
const Formula* find_keyword(std::string_view keyword) noexcept;

// As find_keyword for a name in any case: its capitals A..Z read as a..z,
// every other byte as it is.
const Formula* find_keyword_any_case(std::string_view name) noexcept;

// The categories, in the order the reference lists them.
std::span<const Category> categories() noexcept;

}  // namespace zorvane
