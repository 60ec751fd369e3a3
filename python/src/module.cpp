// zorvane_calc._core: the hosts' share as Python sees it. Everything here
// converts: text to and from UTF-8, doubles and NumPy arrays, the answers'
// answers to JSON text. The facade (zorvane_calc/__init__.py) checks the
// arguments and raises ZorvaneError; nothing here throws on bad input.
//
// The module keeps state between calls (the module's line buffer, the
// Calculator's buffers): every function runs under the interpreter's lock,
// which is never released here, so calls never overlap.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "zorvane_host/host.h"

namespace py = pybind11;
namespace host = zorvane::host;

namespace {

// A formula found by name, handed back to `evaluate` so that a million
// points cost one look-up. (Taken by non-const reference there, which keeps
// pybind11's vectorize from treating it as an array element.)
struct Row {
    const host::FormulaInfo* formula;
};

// UTF-8 from the host as a str. The host's text is UTF-8 already; a byte
// that is not (an echoed value never is, but cheaply sure) becomes U+FFFD.
py::str text(std::string_view utf8) {
    PyObject* decoded =
        PyUnicode_DecodeUTF8(utf8.data(), static_cast<Py_ssize_t>(utf8.size()), "replace");
    if (decoded == nullptr) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(decoded);
}

// A command as the host reads it. A command longer than the module accepts
// gets the same refusal whatever follows, so only a bounded prefix is
// handed on: four bytes for each character the module takes, and one over,
// always more characters than it accepts (a code point is at most four
// bytes, a cut sequence one U+FFFD). The Calculator keeps its buffers, which
// a huge command would otherwise grow for good.
std::string_view bounded(std::string_view command) {
    const std::size_t limit = 4 * (host::command_capacity() + 1);
    return command.size() > limit ? command.substr(0, limit) : command;
}

// JSON has no infinities or NaN; the answers write them as null.
py::object number(double value) {
    return std::isfinite(value) ? py::object(py::float_(value)) : py::object(py::none());
}

// The unit of the result a reply answers about ("V" for a divider; "" for
// a ratio or where no formula was read): the JSON's fields name only the
// arguments' units, and a notebook's table shows the result's too.
py::str result_unit(const host::Reply& reply) {
    return text(reply.formula == nullptr ? std::string_view{} : reply.formula->unit);
}

// A statistics answer's histogram as every host draws it; "" for any other.
py::str figure_of(const host::Answered& answered) {
    const auto* simulated = std::get_if<host::Simulated>(&answered);
    return text(simulated == nullptr ? std::string() : host::histogram_svg(*simulated));
}

// An option that did not read, answered as an error with the grammar's line
// and what the option takes.
py::tuple refused(const host::OptionRefusal& refusal) {
    host::Reply reply;
    reply.line = refusal.error;
    reply.engineering = refusal.error;
    reply.hints = {std::string(host::question_option_hint(refusal.name))};
    return py::make_tuple(text(host::answer_json(reply)), text("error"), text(""), text(""));
}

host::Calculator& calculator() {
    static host::Calculator instance;
    return instance;
}

}  // namespace

PYBIND11_MODULE(_core, module) {
    module.doc() = "The calculator's hosts' share; use the package zorvane_calc, not this module.";
    module.attr("VERSION") = ZORVANE_VERSION;

    // `value` in engineering notation, as a result in `unit` (UTF-8, "" for
    // none) is shown: "3.7931 kΩ", "100 ns", "1.58114"; the page's
    // calc.format. The unit is written whether or not a formula gives it.
    module.def(
        "format",
        [](double value, std::string_view unit) {
            host::FormulaInfo shown{};
            shown.unit = unit;
            return text(host::engineering_value(value, shown));
        },
        py::arg("value"), py::arg("unit"));

    // A deviation or margin in percent as every answer writes it, without the
    // "%": "-3.74", "2.00e+304".
    module.def(
        "percent", [](double fraction) { return text(host::percent_text(fraction)); },
        py::arg("fraction"));

    py::class_<Row>(module, "Row")
        .def_property_readonly("keyword", [](const Row& row) { return text(row.formula->keyword); })
        .def_property_readonly("count",
                               [](const Row& row) { return row.formula->arguments.size(); });

    // The command with its input notation (4k7, 10k, 12V) in plain decimal,
    // as the module receives it.
    module.def(
        "expand",
        [](const py::bytes& command) {
            std::string out;
            host::expand_notation(bounded(std::string_view(command)), out);
            return text(out);
        },
        py::arg("command"));

    module.def(
        "line",
        [](const py::bytes& command) {
            const host::Answer& answer = calculator().evaluate(
                bounded(std::string_view(command)), {.expand = false, .engineering = false});
            return text(answer.line);
        },
        py::arg("command"));

    // The formula named `name` (ASCII letters in any case, as the module
    // reads names), or None.
    module.def(
        "find",
        [](std::string_view name) -> std::optional<Row> {
            std::string lower(name.substr(0, 64));
            if (lower.size() != name.size()) return std::nullopt;
            for (char& c : lower) {
                if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            }
            const host::FormulaInfo* formula = host::find(lower);
            if (formula == nullptr) return std::nullopt;
            return Row{formula};
        },
        py::arg("name"));

    // The row at every point of four broadcast float64 arrays (values past
    // the row's count are not read); NaN where the zero guard answered.
    module.def("evaluate", py::vectorize([](Row& row, double a, double b, double c, double d) {
                   const host::RowValue result = host::evaluate_row(*row.formula, {a, b, c, d});
                   return result.guarded ? std::numeric_limits<double>::quiet_NaN() : result.value;
               }),
               py::arg("row"), py::arg("a"), py::arg("b"), py::arg("c"), py::arg("d"));

    // Every formula as one JSON array, as every host lists them.
    module.def("formulas", [] { return text(host::formulas_json()); });

    module.def("series_names", [] {
        py::list out;
        for (int i = 0; i <= static_cast<int>(host::Series::e192); ++i) {
            out.append(text(host::series_name(static_cast<host::Series>(i))));
        }
        return out;
    });

    // Whether `name` names a series ("E24", "e24").
    module.def(
        "is_series", [](const std::string& name) { return host::series_named(name).has_value(); },
        py::arg("name"));

    // Any command, answered once as zorvane-calc --json answers it, with
    // `options` ({"mc": "10000", "series": "E24", ...} as JSON) read by the
    // question grammar: (the answer's JSON, its kind, the result's unit, a
    // statistics answer's histogram drawn). `kind` ("solve", "range",
    // "pair", "statistics", "design") asks for that kind's own answer where
    // the command asks another; "" for whatever it asks.
    module.def(
        "answer",
        [](const py::bytes& command, std::string_view options, std::string_view kind, bool expand) {
            host::QuestionSettings beside;
            if (const host::OptionRefusal refusal = host::read_question_options(options, beside)) {
                return refused(refusal);
            }
            const host::Answered answered =
                host::answer_as(kind, bounded(std::string_view(command)), beside, expand);
            return py::make_tuple(text(host::answer_json(answered)),
                                  text(host::kind_name(answered)),
                                  result_unit(host::reply_of(answered)), figure_of(answered));
        },
        py::arg("command"), py::arg("options"), py::arg("kind"), py::arg("expand"));

    // ---- Statistics: result windows and Monte Carlo runs ----

    module.attr("DEFAULT_SAMPLES") = host::DEFAULT_SAMPLES;
    module.attr("MAX_SAMPLES") = host::MAX_SAMPLES;

    // {"below", "above", "nearest"}, or None where the series has none.
    module.def(
        "standard_values",
        [](double value, const std::string& series) -> std::optional<py::dict> {
            const auto which = host::series_named(series);
            const auto found = which ? host::standard_values(value, *which) : std::nullopt;
            if (!found) return std::nullopt;
            py::dict out;
            out["below"] = number(found->below);
            out["above"] = number(found->above);
            out["nearest"] = number(found->nearest);
            return out;
        },
        py::arg("value"), py::arg("series"));
}
