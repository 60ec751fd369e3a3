// Exact decimal rendering of doubles, as printf's "%.6f" and "%.6e" print them.
#pragma once

namespace zorvane {

// Writes `value` into [first, last) exactly as printf("%.6f") would (round
// half to even on exact ties, "-" for every value with the sign bit set,
// "inf", "-inf", "nan" without a sign). Returns the end of the text, or
// null when it does not fit; nothing past `last` is written.
char* format_fixed6(double value, char* first, char* last) noexcept;

// As format_fixed6, with printf's "%.*e" for `precision` digits after the
// point (0 to 16).
char* format_scientific(double value, int precision, char* first, char* last) noexcept;

// As format_fixed6, with printf's "%.6e".
inline char* format_scientific6(double value, char* first, char* last) noexcept {
    return format_scientific(value, 6, first, last);
}

}  // namespace zorvane
