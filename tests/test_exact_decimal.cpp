// The integer-only conversions against the standard library, digit for digit
// and bit for bit: they stand in for std::to_chars and std::from_chars where
// a platform lacks them, so they must never differ from them.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "exact_decimal.h"

namespace {

using Formatter = char* (*)(double, char*, char*) noexcept;

struct Format {
    const char* name;
    Formatter exact;
    std::chars_format library;
};

const Format FORMATS[] = {
    {"fixed", zorvane::exact_fixed6, std::chars_format::fixed},
    {"scientific",
     [](double value, char* first, char* last) noexcept {
         return zorvane::exact_scientific(value, 6, first, last);
     },
     std::chars_format::scientific},
};

std::string library_text(double value, std::chars_format format) {
    if (std::isnan(value)) return "nan";
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format, 6);
    return {buffer, result.ptr};
}

std::string exact_text(double value, Formatter formatter) {
    char buffer[400];
    char* end = formatter(value, buffer, buffer + sizeof buffer);
    return end == nullptr ? "<null>" : std::string(buffer, end);
}

// Compares every value in both formats; the number of differences.
int differences(const std::vector<double>& values) {
    int failures = 0;
    for (const Format& format : FORMATS) {
        for (double value : values) {
            const std::string expected = library_text(value, format.library);
            const std::string actual = exact_text(value, format.exact);
            if (actual == expected || ++failures > 10) continue;
            ADD_FAILURE() << format.name << " " << std::hexfloat << value << ": " << actual
                          << " != " << expected;
        }
    }
    return failures;
}

TEST(ExactFormat, AgreesOnEveryClassOfTrickyValue) {
    using limits = std::numeric_limits<double>;
    constexpr double MAX = limits::max();
    constexpr double MIN = limits::min();
    constexpr double TINY = limits::denorm_min();
    constexpr double INF = limits::infinity();
    constexpr double NAN_ = limits::quiet_NaN();
    // clang-format off
    std::vector<double> values = {
        0.0, -0.0, 1.0, -1.0, 0.5, 1e-7, 5e-7, 1.5e-6, 2.5e-6, 0.0078125, 999999.9999995,
        9.9999995, 0.99999995, 9999999.5, 99999995.0, 1e22, 1e23, 0x1p43 + 0.5, 0x1p52 + 1.0,
        MAX, -MAX, MIN, TINY, -TINY, INF, -INF, NAN_, -NAN_};
    // clang-format on
    for (int n = -600; n <= 600; ++n) values.push_back(n / 128.0);  // ties at the 7th decimal
    for (int k = -330; k <= 308; ++k) {  // powers of ten, their neighbours, carries into them
        const double p = std::pow(10.0, k);
        for (double v : {p, std::nextafter(p, 0.0), std::nextafter(p, INF), p * 0.99999995,
                         p * 9.9999995, p * 1.0000005}) {
            values.push_back(v);
            values.push_back(-v);
        }
    }
    EXPECT_EQ(differences(values), 0);
}

TEST(ExactFormat, AgreesOnRandomValues) {
    std::mt19937_64 random(20261207);
    std::uniform_int_distribution<int> exponent(-1100, 1000);
    std::vector<double> values;
    for (int i = 0; i < 20000; ++i) {
        values.push_back(std::bit_cast<double>(random()));  // every exponent, subnormals, specials
        values.push_back(std::ldexp(static_cast<double>(random() >> 11), exponent(random)));
    }
    EXPECT_EQ(differences(values), 0);
}

TEST(ExactFormat, NeverWritesPastTheEnd) {
    for (const Format& format : FORMATS) {
        for (double value : {123.456, -0.0, 1e300, -9.9999995e-300, -1.0 / 0.0}) {
            const std::string text = library_text(value, format.library);
            for (std::size_t room = 0; room <= text.size(); ++room) {
                char buffer[400];
                std::fill(std::begin(buffer), std::end(buffer), '#');
                char* end = format.exact(value, buffer, buffer + room);
                if (room < text.size()) {
                    EXPECT_EQ(end, nullptr) << value << " in " << room;
                } else {
                    EXPECT_EQ(std::string(buffer, end), text);
                }
                EXPECT_EQ(buffer[room], '#') << format.name << " " << value << " in " << room;
            }
        }
    }
}

// "%.*e" at every precision, as the engineering rendering reads its
// significant digits: exact ties included. ZORVANE_NUMBER_SAMPLES sets how
// many random values (memcheck runs fewer).
TEST(ExactFormat, ScientificAgreesAtEveryPrecision) {
    std::vector<double> values = {1234565,  1234575,
                                  2.5,      0.5,
                                  999.9995, 999999.7,
                                  1e-12,    9.999995e-13,
                                  5e-324,   1.7976931348623157e308,
                                  0.1,      1e23,
                                  -1234565, 123456.5,
                                  8.5,      2.2250738585072014e-308,
                                  0.0,      -0.0};
    const char* configured = std::getenv("ZORVANE_NUMBER_SAMPLES");
    const std::uint64_t samples =
        configured != nullptr ? std::strtoull(configured, nullptr, 10) : 100'000;
    std::mt19937_64 random(20261207);
    for (std::uint64_t i = 0; i < samples; ++i) {
        const auto value = std::bit_cast<double>(random());
        if (std::isfinite(value)) values.push_back(value);
    }
    for (const double value : values) {
        for (int precision = 0; precision <= zorvane::MAX_SCIENTIFIC_PRECISION; ++precision) {
            char expected[64];
            const auto library = std::to_chars(expected, expected + sizeof expected, value,
                                               std::chars_format::scientific, precision);
            char actual[64];
            const char* end =
                zorvane::exact_scientific(value, precision, actual, actual + sizeof actual);
            ASSERT_NE(end, nullptr);
            ASSERT_EQ(std::string(static_cast<const char*>(actual), end),
                      std::string(expected, library.ptr))
                << std::hexfloat << value << " to " << precision;
        }
    }
}

// A decimal number as both conversions take it: `digits` (significant
// digits, with a '.' somewhere or not) and the exponent written after them.
struct Decimal {
    std::string digits;
    long long exponent;
};

// Checks one number against from_chars; false (after reporting) on a difference.
bool agrees(const Decimal& number) {
    const std::string token = number.digits + "e" + std::to_string(number.exponent);
    double expected = 0.0;
    const auto result = std::from_chars(token.data(), token.data() + token.size(), expected);
    const bool expected_out_of_range = result.ec == std::errc::result_out_of_range;
    // from_chars leaves the value alone then; strtod tells overflow from underflow.
    if (expected_out_of_range) expected = std::strtod(token.c_str(), nullptr);

    const std::size_t point = number.digits.find('.');
    const long long after_point =
        point == std::string::npos ? 0 : static_cast<long long>(number.digits.size() - point - 1);
    const auto count =
        static_cast<int>(number.digits.size() - (point == std::string::npos ? 0 : 1));
    const zorvane::ExactValue actual =
        zorvane::exact_decimal_value(number.digits.data(), count, number.exponent - after_point);
    if (actual.out_of_range == expected_out_of_range &&
        std::bit_cast<std::uint64_t>(actual.value) == std::bit_cast<std::uint64_t>(expected)) {
        return true;
    }
    ADD_FAILURE() << token.substr(0, 60) << (token.size() > 60 ? "..." : "") << " (" << count
                  << " digits): " << std::hexfloat << actual.value
                  << (actual.out_of_range ? " out of range" : "") << " != " << expected
                  << (expected_out_of_range ? " out of range" : "");
    return false;
}

std::string random_digits(std::mt19937_64& random, std::size_t count) {
    std::string digits(1, static_cast<char>('1' + random() % 9));
    while (digits.size() < count) digits += static_cast<char>('0' + random() % 10);
    if (random() % 2 != 0) digits.insert(random() % (count + 1), ".");
    if (digits.front() == '.') digits.insert(0, "1");  // the first digit stays significant
    return digits;
}

TEST(ExactDecimalValue, AgreesWithFromCharsOnRandomNumbers) {
    std::mt19937_64 random(1070);
    int failures = 0;
    for (int i = 0; i < 30000 && failures < 10; ++i) {
        const std::size_t count = random() % 8 == 0 ? 20 + random() % 900 : 1 + random() % 25;
        const long long exponent = static_cast<long long>(random() % 720) - 380;
        failures += agrees({random_digits(random, count), exponent}) ? 0 : 1;
    }
    EXPECT_EQ(failures, 0);
}

// Exactly halfway between two neighbouring doubles, and a hair to each side:
// the cases where a shortcut would round the wrong way. An 80-bit long double
// holds the midpoint exactly, and printf writes all its digits.
TEST(ExactDecimalValue, RoundsHalfwayPointsToEven) {
    if constexpr (std::numeric_limits<long double>::digits < 64) GTEST_SKIP();
    std::mt19937_64 random(5);
    std::vector<double> lows = {std::numeric_limits<double>::max(),
                                std::numeric_limits<double>::min(),
                                0.0,
                                1.0,
                                0x1p53,
                                1e22,
                                1e23};
    for (int i = 0; i < 600; ++i) lows.push_back(std::abs(std::bit_cast<double>(random())));
    int failures = 0;
    for (double low : lows) {
        const double high = std::nextafter(low, std::numeric_limits<double>::infinity());
        if (!std::isfinite(high)) continue;
        const long double middle = (static_cast<long double>(low) + high) / 2;
        char text[1200];
        std::snprintf(text, sizeof text, "%.1100Le", middle);
        std::string digits = text;
        const long long exponent = std::stoll(digits.substr(digits.find('e') + 1));
        digits.erase(digits.find('e'));
        digits.erase(digits.find_last_not_of("0.") + 1);  // 1e23 is such a midpoint
        std::vector<std::string> numbers = {digits, digits + "1"};
        if (digits.size() > 1) {  // and one a hair below: ...5 becomes ...49
            numbers.push_back(digits);
            numbers.back().back() = static_cast<char>(numbers.back().back() - 1);
            numbers.back() += "9";
        }
        for (const std::string& number : numbers) failures += agrees({number, exponent}) ? 0 : 1;
    }
    EXPECT_EQ(failures, 0);
}

}  // namespace
