// Values as electronics people write them: the input notation typed (SI
// prefixes, IEC 60062 codes, units) and the engineering notation shown.
#pragma once

#include <string>
#include <string_view>

#include "zorvane_host/formulas.h"

namespace zorvane::host {

// Rewrites every value token (each token after the first) written with one
// SI prefix (p n u µ μ m k M G T: 4.7k, 1u) or in IEC 60062 form (4k7, 1M5,
// 4n7, 2R2) as the same number in plain decimal, exactly (decimal digits are
// shifted, never rounded through binary), in its shortest exact form. A
// value may end in its argument's unit, after the prefix or code if any:
// 12V, 10kΩ or 10kohm, 4.7uF, 25°C; the unit goes, the number stays as
// typed or expanded (12V is 12). A value that reads as a prefixed number
// reads so first: for a length, 1m is 0.001 and 1mm is too. Everything
// else (a unit that is not the argument's: 12A for a voltage), and the
// spacing, is kept as typed.
void expand_notation(std::string_view command, std::string& out);

// One value as typed into a field: a number, with an SI prefix or in IEC
// form, and in the unit of `formula`'s argument `argument` when one is
// given. `problem` says why the text is no single value ("'1,5' is not a
// number: write 1.5", "one value per field", "enter a value"), in the
// words of the hints; empty when `value` holds the value read.
struct ValueReading {
    double value = 0.0;
    std::string problem;
};
ValueReading read_value(std::string_view text, const FormulaInfo* formula = nullptr,
                        int argument = -1);

// "159.155 Ω", "100 ns", "1e-15 F", "20 dB", "1.58114": the value and unit of
// a result in engineering notation.
std::string engineering_value(double value, const FormulaInfo& formula);

// "-3.74", "0.00", "2.00e+304": a relative deviation (or a margin) in
// percent as every answer writes it, without the "%": two decimals rounded
// as printf's "%.2f" rounds the exact percentage, from the deviation's own
// digits (no multiplication by 100, no locale); scientific where the fixed
// form would be long.
std::string percent_text(double deviation);

}  // namespace zorvane::host
