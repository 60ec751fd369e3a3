// The fast number paths against the standard library's exact conversions,
// digit for digit and bit for bit. Set ZORVANE_NUMBER_SAMPLES to run more
// random values than the default (the figures in bench/README.md used 4e8).
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "command.h"
#include "number_format.h"

namespace {

std::uint64_t samples() {
    const char* configured = std::getenv("ZORVANE_NUMBER_SAMPLES");
    return configured != nullptr ? std::strtoull(configured, nullptr, 10) : 2'000'000;
}

std::string expected_fixed(double value) {
    if (std::isnan(value)) return "nan";
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    return {buffer, result.ptr};
}

std::string fixed(double value) {
    char buffer[400];
    char* end = zorvane::format_fixed6(value, buffer, buffer + sizeof buffer);
    return end == nullptr ? "<null>" : std::string(buffer, end);
}

// Checks one value; returns false (after reporting) on a difference.
bool agrees(double value) {
    const std::string actual = fixed(value);
    const std::string expected = expected_fixed(value);
    if (actual == expected) return true;
    ADD_FAILURE() << std::hexfloat << value << ": " << actual << " != " << expected;
    return false;
}

TEST(FormatFixed6, AgreesOnEveryClassOfTrickyValue) {
    std::vector<double> values = {
        0.0,
        -0.0,
        1.0,
        -1.0,
        0.5,
        1e-7,
        5e-7,
        -5e-7,
        4.9999999999999998e-7,
        1.5e-6,
        2.5e-6,
        0.0078125,
        0.0234375,
        -0.0078125,
        999999.9999995,
        0.9999995,
        9.9999995,
        std::numeric_limits<double>::max(),
        -std::numeric_limits<double>::max(),
        std::numeric_limits<double>::min(),
        std::numeric_limits<double>::denorm_min(),
        -std::numeric_limits<double>::denorm_min(),
        std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(),
        -std::numeric_limits<double>::quiet_NaN(),
        0x1p43,
        std::nextafter(0x1p43, 0.0),
        0x1p44,
        8796093022207.9999995,
        0x1p-20,
        0x1p-21,
        0x1p-30,
    };
    // Exact ties at the seventh decimal: odd multiples of 2^-7, 2^-6 * 5^-1...
    for (int n = -2000; n <= 2000; ++n) values.push_back(n / 128.0);
    for (int n = -2000; n <= 2000; ++n) values.push_back(n * 0x1p-20);
    // Around powers of ten and around every rounding boundary near them.
    for (int k = -30; k <= 20; ++k) {
        const double p = std::pow(10.0, k);
        for (double v : {p, std::nextafter(p, 0.0), std::nextafter(p, 1e300), p + 5e-7, p - 5e-7,
                         p + 4.999999e-7, p * 0.9999995}) {
            values.push_back(v);
            values.push_back(-v);
        }
    }
    int failures = 0;
    for (double value : values) failures += agrees(value) ? 0 : 1;
    EXPECT_EQ(failures, 0);
}

TEST(FormatFixed6, AgreesOnRandomValues) {
    std::mt19937_64 random(20261207);
    const std::uint64_t count = samples();
    std::uniform_real_distribution<double> ordinary(-1e7, 1e7);
    std::uniform_int_distribution<int> binary_exponent(-80, 60);
    int failures = 0;
    for (std::uint64_t i = 0; i < count && failures < 10; ++i) {
        double value = 0.0;
        switch (i % 4) {
            case 0:  // any bit pattern: every exponent, subnormals, specials
                value = std::bit_cast<double>(random());
                break;
            case 1:  // the magnitudes results usually have
                value = ordinary(random);
                break;
            case 2:  // full 53-bit significands across the fast path's range
                value =
                    std::ldexp(static_cast<double>(random() >> 11), binary_exponent(random) - 53);
                break;
            default:  // six-decimal values and their neighbours
                value =
                    static_cast<double>(static_cast<std::int64_t>(random() % 20'000'000'000'000) -
                                        10'000'000'000'000) /
                    1e6;
                value = (random() & 1) ? std::nextafter(value, 1e300) : value;
                break;
        }
        failures += agrees(value) ? 0 : 1;
    }
    EXPECT_EQ(failures, 0);
}

TEST(FormatFixed6, NeverWritesPastTheEnd) {
    for (double value : {123.456, -0.0, 1e300, -std::numeric_limits<double>::infinity(),
                         std::numeric_limits<double>::quiet_NaN()}) {
        const std::string text = expected_fixed(value);
        for (std::size_t room = 0; room <= text.size(); ++room) {
            char buffer[400];
            std::fill(std::begin(buffer), std::end(buffer), '#');
            char* end = zorvane::format_fixed6(value, buffer, buffer + room);
            if (room < text.size()) {
                EXPECT_EQ(end, nullptr) << value << " in " << room;
            } else {
                EXPECT_EQ(std::string(buffer, end), text);
            }
            EXPECT_EQ(buffer[room], '#') << value << " in " << room;
        }
    }
}

// Each of the 10^6 six-digit fractions once (every stride-th of them when
// fewer samples are asked for), after a whole part and alone.
TEST(FormatFixed6, WritesEverySixDigitFraction) {
    const std::uint64_t wanted = std::max<std::uint64_t>(samples() / 2, 1);
    const std::uint64_t stride = std::max<std::uint64_t>(1'000'000 / wanted, 1);
    int failures = 0;
    for (std::uint64_t n = 0; n < 1'000'000 && failures < 10; n += stride) {
        const double fraction = static_cast<double>(n) / 1e6;
        failures += agrees(fraction) ? 0 : 1;
        failures += agrees(7.0 + fraction) ? 0 : 1;
    }
    EXPECT_EQ(failures, 0);
}

// Large values in a room just too small for their text and in one just large
// enough: whether the text fits is told from the binary exponent before any
// digit is made, so both sides of every power of two and of ten count.
TEST(FormatFixed6, LargeValuesNeedExactlyTheRoomOfTheirText) {
    int failures = 0;
    for (int e = 40; e <= 1023 && failures < 10; ++e) {
        const double two = std::ldexp(1.0, e);
        const double ten = std::pow(10.0, static_cast<int>(e * 0.30103));
        for (const double value : {two, std::nextafter(two, 0.0), -two, ten,
                                   std::nextafter(ten, 0.0), -std::nextafter(ten, 1e308)}) {
            const std::string text = expected_fixed(value);
            for (const std::size_t room : {text.size() - 1, text.size()}) {
                char buffer[400];
                char* end = zorvane::format_fixed6(value, buffer, buffer + room);
                const bool right = room < text.size()
                                       ? end == nullptr
                                       : end != nullptr && std::string(buffer, end) == text;
                if (!right) {
                    ++failures;
                    ADD_FAILURE() << std::hexfloat << value << " in " << room;
                }
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

// Decimal tokens of many shapes; each must read as std::from_chars reads it.
std::string random_decimal(std::mt19937_64& random) {
    std::string token;
    if (random() % 4 == 0) token += random() % 2 ? '-' : '+';
    const int whole = static_cast<int>(random() % 22);
    const int fraction = static_cast<int>(random() % 22);
    const int zeros = static_cast<int>(random() % 4 == 0 ? random() % 12 : 0);
    for (int i = 0; i < whole; ++i) token += static_cast<char>('0' + random() % 10);
    if (fraction > 0 || whole == 0) {
        token += '.';
        token.append(static_cast<std::size_t>(zeros), '0');
        for (int i = 0; i < std::max(fraction, 1); ++i)
            token += static_cast<char>('0' + random() % 10);
    }
    if (random() % 3 == 0) {
        token += random() % 2 ? 'e' : 'E';
        const int exponent = static_cast<int>(random() % 700) - 350;
        token += std::to_string(random() % 8 == 0 ? exponent : exponent / 12);
    }
    return token;
}

TEST(ParseNumber, AgreesWithTheLibraryOnRandomDecimals) {
    std::mt19937_64 random(1070);
    const std::uint64_t count = samples() / 2;
    int failures = 0;
    for (std::uint64_t i = 0; i < count && failures < 10; ++i) {
        const std::string token = random_decimal(random);
        const char* first = token.data() + (token[0] == '+' ? 1 : 0);
        double expected = 0.0;
        const auto result = std::from_chars(first, token.data() + token.size(), expected);
        if (result.ec != std::errc{}) continue;  // range errors have tests of their own
        const std::optional<double> actual = zorvane::parse_number(token);
        if (!actual ||
            std::bit_cast<std::uint64_t>(*actual) != std::bit_cast<std::uint64_t>(expected)) {
            ++failures;
            ADD_FAILURE() << token << ": " << std::hexfloat << (actual ? *actual : -1.0)
                          << " != " << expected;
        }
    }
    EXPECT_EQ(failures, 0);
}

}  // namespace
