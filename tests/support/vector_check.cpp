#include "vector_check.h"

#include <cmath>
#include <cstdlib>

#include "vector_file.h"

namespace zorvane_test {
namespace {

struct Number {
    double value;
    std::u16string unit;  // everything after the number
};

// The number at the start of `text` (plain ASCII notation) and what follows it.
Number split_number(const std::u16string& text) {
    std::string digits;
    std::size_t end = 0;
    for (; end < text.size() && text[end] < 0x80; ++end) {
        const char c = static_cast<char>(text[end]);
        if ((c < '0' || c > '9') && c != '.' && c != '-' && c != '+' && c != 'e') break;
        digits += c;
    }
    return {std::strtod(digits.c_str(), nullptr), text.substr(end)};
}

}  // namespace

VectorTally& VectorTally::operator+=(const VectorTally& other) {
    exact += other.exact;
    past_fifteenth_digit += other.past_fifteenth_digit;
    wrong += other.wrong;
    return *this;
}

bool agrees_to_fifteen_digits(const std::u16string& actual, const std::u16string& expected) {
    const std::size_t equals = expected.find(u" = ");
    if (equals == std::u16string::npos ||
        actual.compare(0, equals + 3, expected, 0, equals + 3) != 0) {
        return false;
    }
    const Number a = split_number(actual.substr(equals + 3));
    const Number e = split_number(expected.substr(equals + 3));
    return a.unit == e.unit && std::fabs(a.value - e.value) <= 1e-14 * std::fabs(e.value);
}

VectorTally check_vector_file(const std::string& path, const Calculator& calculate) {
    VectorTally tally;
    for (const Vector& vector : load_vectors(path)) {
        const std::u16string actual = calculate(vector.command);
        if (actual == vector.expected) {
            ++tally.exact;
            continue;
        }
        const bool close =
            vector.platform_dependent && agrees_to_fifteen_digits(actual, vector.expected);
        ++(close ? tally.past_fifteenth_digit : tally.wrong);
        std::printf("%s %s\n  command:  %s\n  expected: %s\n  actual:   %s\n",
                    close ? "past the 15th digit" : "WRONG", vector.where.c_str(),
                    printable(vector.command).c_str(), printable(vector.expected).c_str(),
                    printable(actual).c_str());
    }
    print_tally(tally, path.c_str());
    return tally;
}

void print_tally(const VectorTally& tally, const char* label) {
    std::printf("%s: %d exact, %d differ past the 15th digit, %d wrong\n", label, tally.exact,
                tally.past_fifteenth_digit, tally.wrong);
}

}  // namespace zorvane_test
