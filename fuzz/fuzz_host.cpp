// Arbitrary UTF-8 through the hosts' shared path: notation expansion, one
// evaluation, two renderings. The module's line must be the very line the
// entry point gives for the expanded command, the engineering line the
// same result with six significant digits, and hints one line each.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "zorvane_host/host.h"
#include "line_contract.h"
#include "zorvane/electronics_calc.h"

namespace {

namespace host = zorvane::host;

std::string entry_line(std::string_view expanded) {
    std::u16string wide;
    host::append_utf16_from_utf8(expanded, wide);
    std::string line;
    host::append_utf8_from_utf16(ElectronicsCalc(wide.c_str()), line);
    return line;
}

// The power of ten an SI prefix of the engineering line stands for.
int prefix_exponent(std::string_view prefix) {
    constexpr struct {
        std::string_view symbol;
        int exponent;
    } PREFIXES[] = {{"", 0},  {"p", -12}, {"n", -9}, {"\xC2\xB5", -6}, {"m", -3},
                    {"k", 3}, {"M", 6},   {"G", 9},  {"T", 12}};
    for (const auto& [symbol, exponent] : PREFIXES) {
        if (prefix == symbol) return exponent;
    }
    zorvane_fuzz::broken("engineering prefix", prefix);
}

// "label = " then at most "-1.23457e+308", then a space, an SI prefix and
// the unit (none for a unit-less row), showing the value to six
// significant digits.
void check_engineering(const host::Answer& answer) {
    const host::FormulaInfo& formula = *answer.formula;
    std::string_view rest = answer.engineering;
    const std::string head = std::string(formula.label) + " = ";
    if (!rest.starts_with(head)) zorvane_fuzz::broken("engineering line without label", rest);
    rest.remove_prefix(head.size());
    const std::size_t space = rest.find(' ');
    const std::string number(rest.substr(0, space));
    if (number.empty() || number.size() > 13) zorvane_fuzz::broken("engineering number", rest);
    const std::string_view unit = space == std::string_view::npos ? "" : rest.substr(space + 1);
    if (!unit.ends_with(formula.unit) || unit.empty() != formula.unit.empty()) {
        zorvane_fuzz::broken("engineering unit", rest);
    }
    const int exponent = prefix_exponent(unit.substr(0, unit.size() - formula.unit.size()));
    char* end = nullptr;
    const double shown = std::strtod(number.c_str(), &end) * std::pow(10.0, exponent);
    if (end != number.c_str() + number.size()) zorvane_fuzz::broken("engineering number", rest);
    if (std::isnan(answer.value) || std::isinf(answer.value)) {
        if (!(std::isnan(shown) && std::isnan(answer.value)) && shown != answer.value) {
            zorvane_fuzz::broken("engineering value is not the result", rest);
        }
        return;
    }
    // Half a unit in the sixth digit, and room for subnormal values.
    if (std::fabs(shown - answer.value) > 5.00001e-6 * std::fabs(answer.value) + 1e-323) {
        zorvane_fuzz::broken("engineering value differs beyond six digits", rest);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static host::Calculator calculator;  // kept from call to call, as hosts keep it
    const std::string_view command(reinterpret_cast<const char*>(data), size);
    const host::Answer& answer = calculator.evaluate(command);

    std::string expanded;
    host::expand_notation(command, expanded);
    if (answer.line != entry_line(expanded)) {
        zorvane_fuzz::broken("not the entry point's line for the expanded command", answer.line);
    }
    for (const std::string& hint : host::hints(command, answer)) {
        if (hint.empty() || hint.find('\n') != std::string::npos) {
            zorvane_fuzz::broken("a hint that is not one line", hint);
        }
    }
    if (answer.is_error() != answer.line.starts_with("Error: ")) {
        zorvane_fuzz::broken("error kind and line disagree", answer.line);
    }
    if (answer.kind != host::Kind::result) {
        if (answer.engineering != answer.line)
            zorvane_fuzz::broken("engineering differs", answer.line);
        return 0;
    }
    if (answer.formula == nullptr)
        zorvane_fuzz::broken("a result without its formula", answer.line);
    check_engineering(answer);
    return 0;
}
