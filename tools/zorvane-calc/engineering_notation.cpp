#include "engineering_notation.h"

#include <optional>

namespace zorvane_calc {
namespace {

struct Prefix {
    std::string_view symbol;  // UTF-8
    int exponent;
};

constexpr Prefix PREFIXES[] = {
    {"p", -12}, {"n", -9}, {"u", -6}, {"\xC2\xB5", -6}, {"\xCE\xBC", -6},  // micro sign, Greek mu
    {"m", -3},  {"k", 3},  {"M", 6},  {"G", 9},         {"T", 12},
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The expansion of one token, or nothing when it is not number + prefix.
std::optional<std::string> expand_token(std::string_view token) {
    if (token.empty() || is_digit(token.back()) || token.back() == '.') return std::nullopt;
    const Prefix* prefix = nullptr;
    for (const Prefix& candidate : PREFIXES) {
        if (token.size() > candidate.symbol.size() && token.ends_with(candidate.symbol)) {
            prefix = &candidate;
            break;
        }
    }
    if (prefix == nullptr) return std::nullopt;
    std::string_view number = token.substr(0, token.size() - prefix->symbol.size());

    std::string expanded;
    if (number[0] == '+' || number[0] == '-') {
        expanded += number[0];
        number.remove_prefix(1);
    }
    const std::size_t point = number.find('.');
    const std::string_view whole = number.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : number.substr(point + 1);
    if (whole.size() + fraction.size() == 0) return std::nullopt;
    for (const std::string_view part : {whole, fraction}) {
        for (const char c : part) {
            if (!is_digit(c)) return std::nullopt;
        }
    }

    // All digits, and where the point falls among them after the shift.
    std::string digits = std::string(whole) + std::string(fraction);
    long shifted_point = static_cast<long>(whole.size()) + prefix->exponent;
    // Leading zeros of the integer part would only be carried along.
    while (shifted_point > 1 && digits.size() > 1 && digits[0] == '0') {
        digits.erase(0, 1);
        --shifted_point;
    }
    if (shifted_point <= 0) {
        expanded += "0.";
        expanded.append(static_cast<std::size_t>(-shifted_point), '0');
        expanded += digits;
    } else if (static_cast<std::size_t>(shifted_point) >= digits.size()) {
        expanded += digits;
        expanded.append(static_cast<std::size_t>(shifted_point) - digits.size(), '0');
    } else {
        const auto at = static_cast<std::size_t>(shifted_point);
        expanded += digits.substr(0, at);
        expanded += '.';
        expanded += digits.substr(at);
    }
    return expanded;
}

// Whether any token could carry a prefix: one ends in a prefix letter (or
// the last byte of a micro sign) right after a digit or a point. Most lines
// have none and are copied as they are.
bool may_have_prefix(std::string_view command) {
    for (std::size_t i = 1; i < command.size(); ++i) {
        const char c = command[i];
        const bool ends_token = i + 1 == command.size() || command[i + 1] == ' ';
        if (ends_token && c != ' ' && !is_digit(c) && c != '.') {
            const char before = command[i - 1];
            if (is_digit(before) || before == '.' || before == '\xC2' || before == '\xCE') return true;
        }
    }
    return false;
}

}  // namespace

std::string expand_engineering_notation(std::string_view command) {
    std::string out;
    expand_engineering_notation(command, out);
    return out;
}

void expand_engineering_notation(std::string_view command, std::string& out) {
    if (!may_have_prefix(command)) {
        out += command;
        return;
    }
    bool seen_name = false;
    std::size_t at = 0;
    while (at < command.size()) {
        if (command[at] == ' ') {
            out += ' ';
            ++at;
            continue;
        }
        const std::size_t end = std::min(command.find(' ', at), command.size());
        const std::string_view token = command.substr(at, end - at);
        const std::optional<std::string> expanded = seen_name ? expand_token(token) : std::nullopt;
        out += expanded ? std::string_view(*expanded) : token;
        seen_name = true;
        at = end;
    }
}

}  // namespace zorvane_calc
