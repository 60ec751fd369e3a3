#include <charconv>
#include <system_error>

#include "command.h"

namespace zorvane {
namespace {

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Length of the run of digits at the start of `text`.
std::size_t digit_run(std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && is_digit(text[n])) ++n;
    return n;
}

// The decimal exponent of the token's leading significant digit, saturated:
// positive for values of 10 or more, negative for values below 1. Called
// only for the range errors of a well-formed token, to tell overflow from
// underflow.
long long leading_magnitude(std::string_view mantissa, std::string_view exponent) {
    constexpr long long limit = 1'000'000'000;
    long long exp10 = 0;
    bool negative = false;
    std::size_t at = 0;
    if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
        negative = exponent[0] == '-';
        at = 1;
    }
    for (; at < exponent.size() && exp10 < limit; ++at) exp10 = exp10 * 10 + (exponent[at] - '0');
    if (negative) exp10 = -exp10;

    const std::size_t point = mantissa.find('.');
    const std::string_view whole = mantissa.substr(0, point);
    const std::size_t first = whole.find_first_not_of('0');
    if (first != std::string_view::npos) {
        return exp10 + static_cast<long long>(whole.size() - first) - 1;
    }
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : mantissa.substr(point + 1);
    const std::size_t zeros = fraction.find_first_not_of('0');
    return exp10 - static_cast<long long>(zeros) - 1;
}

}  // namespace

std::optional<double> parse_number(std::string_view token) noexcept {
    // from_chars takes no leading '+', and accepts "inf" and "nan", so the
    // grammar is checked here first and from_chars only converts.
    std::string_view body = token;
    bool negative = false;
    if (!body.empty() && (body[0] == '+' || body[0] == '-')) {
        negative = body[0] == '-';
        body.remove_prefix(1);
    }
    const std::size_t whole_digits = digit_run(body);
    std::size_t length = whole_digits;
    std::size_t fraction_digits = 0;
    if (length < body.size() && body[length] == '.') {
        fraction_digits = digit_run(body.substr(length + 1));
        length += 1 + fraction_digits;
    }
    if (whole_digits + fraction_digits == 0) return std::nullopt;
    const std::string_view mantissa = body.substr(0, length);
    std::string_view exponent;
    if (length < body.size() && (body[length] == 'e' || body[length] == 'E')) {
        std::size_t at = length + 1;
        if (at < body.size() && (body[at] == '+' || body[at] == '-')) ++at;
        const std::size_t exponent_digits = digit_run(body.substr(at));
        if (exponent_digits == 0) return std::nullopt;
        exponent = body.substr(length + 1, at + exponent_digits - length - 1);
        length = at + exponent_digits;
    }
    if (length != body.size()) return std::nullopt;

    double value = 0.0;
    const char* first = negative ? token.data() : body.data();
    const auto [end, error] = std::from_chars(first, token.data() + token.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (leading_magnitude(mantissa, exponent) > 0) return std::nullopt;
        return negative ? -0.0 : 0.0;
    }
    if (error != std::errc{} || end != token.data() + token.size()) return std::nullopt;
    return value;
}

void lowercase_in_place(char* text) noexcept {
    for (; *text != '\0'; ++text) {
        if (*text >= 'A' && *text <= 'Z') *text = static_cast<char>(*text - 'A' + 'a');
    }
}

}  // namespace zorvane
