// The formulas as one JSON form and options given as one JSON object, for
// the hosts that speak JSON: the WebAssembly glue and the Python package
// read both from here, so neither writes a formula or reads an option its
// own way.
#include "zorvane_host/host_json.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "json_values.h"
#include "kinds.h"

namespace zorvane::host {
namespace {

using json_values::Json;
using json_values::strings;

std::string dumped(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Json formula_object(const FormulaInfo& formula) {
    Json domains = Json::array();
    for (std::size_t i = 0; i < formula.arguments.size(); ++i) {
        domains.push_back(is_magnitude(formula, static_cast<int>(i)) ? "magnitude" : "signed");
    }
    return Json{{"keyword", formula.keyword},
                {"category", formula.category},
                {"label", formula.label},
                {"unit", formula.unit},
                {"usage", usage(formula)},
                {"reference", reference_line(formula)},
                {"description", description_prose(formula)},
                {"referenceDescription", formula.description},
                {"argumentUnits", strings(formula.argument_units)},
                {"arguments", strings(formula.arguments)},
                {"argumentDomains", std::move(domains)}};
}

// An option's argument as the tool's command line writes it, or none for
// an option given without one.
std::optional<std::string> argument_text(const Json& argument) {
    if (argument.is_string()) return argument.get<std::string>();
    if (argument.is_number_unsigned()) return std::to_string(argument.get<std::uint64_t>());
    if (argument.is_number_integer()) return std::to_string(argument.get<std::int64_t>());
    // 2.5 or 1e300 samples: written out for the grammar to refuse.
    if (argument.is_number()) return argument.dump();
    return std::nullopt;
}

}  // namespace

std::string formula_json(const FormulaInfo& formula) { return dumped(formula_object(formula)); }

std::string formulas_json() {
    Json all = Json::array();
    std::transform(formulas().begin(), formulas().end(), std::back_inserter(all), formula_object);
    return dumped(all);
}

OptionRefusal read_question_options(std::string_view json_object, QuestionSettings& settings) {
    const Json options = Json::parse(json_object, nullptr, false);
    if (!options.is_object()) return {"Error: A question's options are a JSON object", ""};
    for (const auto& [name, argument] : options.items()) {
        if (argument.is_boolean() && !argument.get<bool>()) continue;
        const std::optional<std::string> text = argument_text(argument);
        std::string option = "--" + name;
        std::string error = set_question_option(
            option, text ? std::optional<std::string_view>(*text) : std::nullopt, settings);
        if (!error.empty()) return {std::move(error), std::move(option)};
    }
    return {};
}

namespace {

// `kind`'s own answer, whatever the command asks.
Answered answered_as(std::string_view kind, std::string_view command,
                     const QuestionSettings& beside, bool expand) {
    const QuestionOptions options{.expand = expand, .series = beside.series.every};
    if (kind == "range") return range(command, options);
    if (kind == "pair") return pair(command, beside.series.every.value_or(Series::e24), options);
    if (kind == "statistics") return simulate(command, beside, expand);
    if (kind == "design") return design(command, beside, expand);
    if (beside.combine) return solve_in_parts(command, beside, expand);
    return solve(command, options);
}

}  // namespace

Answered answer_as(std::string_view kind, std::string_view command, const QuestionSettings& beside,
                   bool expand) {
    Answered answered = answer(command, beside, expand);
    const bool of_kind =
        kind.empty() || std::any_of(std::begin(kinds::KINDS), std::end(kinds::KINDS),
                                    [&](const kinds::KindRow& row) {
                                        return row.name == kind && row.type == answered.index();
                                    });
    return of_kind ? answered : answered_as(kind, command, beside, expand);
}

}  // namespace zorvane::host
