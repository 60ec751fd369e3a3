// Runs vector files through a host's call of the module and tallies the
// lines. A line whose vector starts with "~" may differ from its expected
// (glibc's) line in the digits past the fifteenth significant one, where a
// platform's pow or log10 differs in the last bit; any other difference is
// wrong. Every line that is not exact is printed, so that two platforms'
// outputs can be compared line for line.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace zorvane_test {

struct VectorTally {
    int exact = 0;
    int past_fifteenth_digit = 0;
    int wrong = 0;

    VectorTally& operator+=(const VectorTally& other);
};

using Calculator = std::function<std::u16string(const std::u16string& command)>;

// Runs one file (see vector_file.h) and prints its tally; throws
// std::runtime_error when the file cannot be read.
VectorTally check_vector_file(const std::string& path, const Calculator& calculate);

// "N exact, M differ past the 15th digit, K wrong"
void print_tally(const VectorTally& tally, const char* label);

// Whether `actual` is `expected` up to the number's digits past the
// fifteenth significant one: same words before " = ", same unit after the
// number, numbers within 1e-14 relative.
bool agrees_to_fifteen_digits(const std::u16string& actual, const std::u16string& expected);

}  // namespace zorvane_test
