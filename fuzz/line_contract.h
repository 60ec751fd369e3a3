// The contract every result line keeps, checked on every fuzzed call: at most
// 79 characters, and either empty, an error line the module knows, the
// outcome of writing the reference, or a formula's label, a number printed
// with six decimals (or "%.6e", "inf", "-inf", "nan") and that row's unit.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "command.h"

namespace zorvane_fuzz {

[[noreturn]] inline void broken(const char* what, std::string_view line) {
    std::fprintf(stderr, "contract broken: %s: [%.*s]\n", what, static_cast<int>(line.size()),
                 line.data());
    std::abort();
}

inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

// "%.6f" or "%.6e" text of a finite double, or inf, -inf, nan.
inline bool is_number(std::string_view text) {
    if (text == "nan" || text == "inf" || text == "-inf") return true;
    if (!text.empty() && text[0] == '-') text.remove_prefix(1);
    std::size_t whole = 0;
    while (whole < text.size() && is_digit(text[whole])) ++whole;
    if (whole == 0 || whole >= text.size() || text[whole] != '.') return false;
    text.remove_prefix(whole + 1);
    for (int i = 0; i < 6; ++i) {
        if (text.empty() || !is_digit(text[0])) return false;
        text.remove_prefix(1);
    }
    if (text.empty()) return true;
    if (whole != 1 || text.size() < 4 || text[0] != 'e' || (text[1] != '+' && text[1] != '-')) {
        return false;
    }
    text.remove_prefix(2);
    if (text.size() > 3) return false;
    for (const char c : text) {
        if (!is_digit(c)) return false;
    }
    return true;
}

inline bool is_enclosed(std::string_view line, std::string_view head, std::string_view tail) {
    return line.size() >= head.size() + tail.size() && line.starts_with(head) &&
           line.ends_with(tail);
}

inline void check_line(std::string_view line) {
    if (line.size() > zorvane::RESULT_CAPACITY) broken("longer than 79 characters", line);
    if (line.empty() || line == "Error: Command longer than 255 characters" ||
        line == "Help file 'electronics_formulas.txt' created successfully!" ||
        line == "Error: Could not create help file" ||
        is_enclosed(line, "Error: Unknown formula '", "' or insufficient parameters") ||
        is_enclosed(line, "Error: Invalid number '", "'")) {
        return;
    }
    for (const zorvane::Formula& row : zorvane::formula_table()) {
        if (is_enclosed(line, row.label, row.unit) &&
            is_number(
                line.substr(row.label.size(), line.size() - row.label.size() - row.unit.size()))) {
            return;
        }
    }
    broken("not a line the module writes", line);
}

}  // namespace zorvane_fuzz
