#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "command.h"

namespace {

using zorvane::parse_number;

struct NumberCase {
    const char* token;
    double value;
};

// Each value is written independently of the token (hexfloat or arithmetic),
// and compared bit for bit so that the sign of zero counts.
constexpr double MIN_SUBNORMAL = std::numeric_limits<double>::denorm_min();
const NumberCase NUMBERS[] = {
    {"0", 0.0},
    {"-0", -0.0},
    {"+0", 0.0},
    {"12", 12.0},
    {"-5", -5.0},
    {"+2.5", 2.5},
    {".5", 0.5},
    {"7.", 7.0},
    {"1e3", 1000.0},
    {"1E+3", 1000.0},
    {"25e-1", 2.5},
    {"0.1", 0x1.999999999999ap-4},
    {"000012", 12.0},
    {"-999999", -999999.0},
    {"1.7976931348623157e308", std::numeric_limits<double>::max()},
    {"2.2250738585072014e-308", std::numeric_limits<double>::min()},
    {"4.9406564584124654e-324", MIN_SUBNORMAL},
    {"1e-400", 0.0},  // too small for a double: zero, as in C
    {"-1e-400", -0.0},
    {"0e99999999999999999999", 0.0},
    {"0.000000000000000000000000000000000000000000000000000000000000000000000001e72", 1.0},
    // Both sides of each limit of the one-pass reading: 19 digits, 2^53,
    // 10^+-22 and three exponent digits.
    {"1234567890123456789", 1234567890123456789.0},
    {"12345678901234567890", 12345678901234567890.0},
    {"0000000000000000001", 1.0},
    {"00000000000000000001.5", 1.5},
    {"9007199254740992", 0x1p53},
    {"9007199254740993", 0x1p53},  // a tie: to the even neighbour
    {"9007199254740995", 0x1.0000000000002p53},
    {"64010116123.659501", 0x1.dce99b83751aap+35},  // over 2^53 with a point: not one division
    {"221766391.104560062", 0x1.a6fc5ee3588e5p+27},
    {"1e22", 1e22},
    {"1e23", 1e23},
    {"1e-22", 1e-22},
    {"1e-23", 1e-23},
    {"12.5e-21", 12.5e-21},
    {"0.5e23", 0.5e23},
    {"1e-005", 1e-5},
    {"1E0022", 1e22},
    {"-.000001", -0.000001},
    {"-0.0", -0.0},
    {"-0e5", -0.0},
};

const char* const NOT_NUMBERS[] = {
    "",      "+",    "-",   ".",        "+.",      "e5",      "1e",
    "1e+",   "1e-",  "+-1", "--1",      "1..2",    "1.2.3",   "1e2.5",
    ".e1",   "2,5",  "1k",  "12abc",    "abc",     "0x10",    "0X1p3",
    "inf",   "-inf", "INF", "infinity", "nan",     "NaN",     " 1",
    "1 ",    "\t1",  "1\t", "1e999",    "-1e999",  "1.8e308", "1e99999999999999999999",
    "1_000", "\xB2", "1f",  "1e1e1",    "1.5e",    "1e+-2",   "1e2x",
    "1.2.",  "..1",  "-e1", "1e-2.",    "1e0001x", "5.e",
};

std::uint64_t bits(double value) { return std::bit_cast<std::uint64_t>(value); }

TEST(ParseNumber, ReadsPlainDecimalNotationExactly) {
    for (const auto& [token, value] : NUMBERS) {
        const std::optional<double> parsed = parse_number(token);
        ASSERT_TRUE(parsed.has_value()) << token;
        EXPECT_EQ(bits(*parsed), bits(value)) << token << " gave " << *parsed;
    }
}

TEST(ParseNumber, RefusesEverythingElse) {
    for (const char* token : NOT_NUMBERS) {
        EXPECT_FALSE(parse_number(token).has_value()) << '"' << token << '"';
    }
}

TEST(ParseNumber, ReadsOnlyTheViewItIsGiven) {
    const std::string text = "12345";
    EXPECT_EQ(parse_number(std::string_view(text).substr(0, 2)), 12.0);
}

TEST(ParseNumber, OverflowAndUnderflowAreToldApartByMagnitude) {
    // 400 digits before the point overflow, 400 zeros after it underflow.
    EXPECT_FALSE(parse_number(std::string(400, '9')).has_value());
    EXPECT_EQ(bits(*parse_number("0." + std::string(400, '0') + "1")), bits(0.0));
    EXPECT_FALSE(parse_number("0." + std::string(400, '0') + "1e800").has_value());
    EXPECT_EQ(bits(*parse_number("-" + std::string(400, '0') + "1e-400")), bits(-0.0));
}

struct LowercaseCase {
    const char* text;
    const char* lowered;
};

TEST(LowercaseInPlace, TouchesOnlyAsciiCapitals) {
    const LowercaseCase cases[] = {
        {"OHMS_VOLTAGE", "ohms_voltage"},
        {"Power_VI", "power_vi"},
        {"@[`{AZaz09", "@[`{azaz09"},
        {"POWER_VI_IS_A_LONG_NAME_X", "power_vi_is_a_long_name_x"},
        {"\xC9\xCF\xB0", "\xC9\xCF\xB0"},  // accented capitals of the code page stay
        {"", ""},
    };
    for (const auto& [text, lowered] : cases) {
        std::string buffer = text;
        zorvane::lowercase_in_place(buffer);
        EXPECT_EQ(buffer, lowered);
    }
    // Every byte value, at every position of a word and past it.
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        const char expected = byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 32) : c;
        std::string buffer(19, c);
        zorvane::lowercase_in_place(std::span(buffer.data(), 18));
        EXPECT_EQ(buffer, std::string(18, expected) + c) << byte;
    }
}

}  // namespace
