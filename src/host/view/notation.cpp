// Values as electronics people write them: one SI prefix after a number
// (4.7k, 1u) or the IEC 60062 code, where the prefix letter stands for the
// decimal point (4k7, 1M5, 4n7, 2R2), and the value's own unit after either
// (12V, 4.7k\xCE\xA9, 100ns). They are rewritten as plain decimal numbers for
// the module, exactly: the typed digits are kept and only the decimal
// exponent changes, so the module reads the very double the user meant.
#include "zorvane_host/notation.h"

#include <algorithm>
#include <array>
#include <optional>

#include "command.h"
#include "formula_table.h"
#include "rendering.h"
#include "words.h"

namespace zorvane::host {
namespace {

using Prefix = SiPrefix;

// "R" and "r" mark the point of an IEC code without a prefix; they are no
// prefix after a number.
constexpr Prefix IEC_POINTS[] = {{"R", 0}, {"r", 0}};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool all_digits(std::string_view text) { return std::all_of(text.begin(), text.end(), is_digit); }

// A number without exponent: its sign as typed, its digits, and the
// power of ten of the last digit.
struct Decimal {
    char sign = '\0';  // '+', '-' or none
    std::string digits;
    long exponent = 0;
};

// "4.7", ".5", "7." with an optional sign; not "." alone.
std::optional<Decimal> read_plain(std::string_view number) {
    Decimal decimal;
    if (!number.empty() && (number[0] == '+' || number[0] == '-')) {
        decimal.sign = number[0];
        number.remove_prefix(1);
    }
    const std::size_t point = number.find('.');
    const std::string_view whole = number.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : number.substr(point + 1);
    if (whole.size() + fraction.size() == 0 || !all_digits(whole) || !all_digits(fraction)) {
        return std::nullopt;
    }
    decimal.digits.append(whole).append(fraction);
    decimal.exponent = -static_cast<long>(fraction.size());
    return decimal;
}

// The prefix `token` holds at `at`, if any.
const Prefix* prefix_at(std::string_view token, std::size_t at) {
    for (const std::span<const Prefix> table :
         {std::span<const Prefix>(SI_PREFIXES), std::span<const Prefix>(IEC_POINTS)}) {
        for (const Prefix& prefix : table) {
            if (token.substr(at).starts_with(prefix.symbol)) return &prefix;
        }
    }
    return nullptr;
}

// The number a value token writes in prefix or IEC form, or nothing.
std::optional<Decimal> read_notation(std::string_view token) {
    const std::size_t first = token.find_first_not_of("+-0123456789.");
    if (first == std::string_view::npos || first == 0) return std::nullopt;
    const Prefix* prefix = prefix_at(token, first);
    if (prefix == nullptr) return std::nullopt;
    const std::string_view before = token.substr(0, first);
    const std::string_view after = token.substr(first + prefix->symbol.size());
    std::optional<Decimal> decimal;
    if (after.empty() && prefix->symbol != "R" && prefix->symbol != "r") {
        decimal = read_plain(before);  // 4.7k
    } else if (!after.empty() && all_digits(after) && before.find('.') == std::string_view::npos) {
        decimal = read_plain(std::string(before) + "." + std::string(after));  // 4k7
    }
    if (decimal) decimal->exponent += prefix->exponent;
    return decimal;
}

// Without leading and trailing zeros: "0047000" e-3 becomes "47" e0.
void trim(Decimal& decimal) {
    const std::size_t last = decimal.digits.find_last_not_of('0');
    if (last == std::string::npos) {
        decimal.digits.erase(1);
        decimal.exponent = 0;
        return;
    }
    decimal.exponent += static_cast<long>(decimal.digits.size() - 1 - last);
    decimal.digits.erase(last + 1);
    decimal.digits.erase(0, decimal.digits.find_first_not_of('0'));
}

std::string plain_form(const Decimal& d) {
    const long size = static_cast<long>(d.digits.size());
    if (d.exponent >= 0) return d.digits + std::string(static_cast<std::size_t>(d.exponent), '0');
    if (-d.exponent < size) {
        std::string text = d.digits;
        text.insert(static_cast<std::size_t>(size + d.exponent), 1, '.');
        return text;
    }
    return "0." + std::string(static_cast<std::size_t>(-d.exponent - size), '0') + d.digits;
}

std::string scientific_form(const Decimal& d) {
    std::string text = d.digits.substr(0, 1);
    if (d.digits.size() > 1) text.append(".").append(d.digits, 1);
    return text + "e" + std::to_string(d.exponent + static_cast<long>(d.digits.size()) - 1);
}

// The shorter of the plain and the scientific form, the plain one on a tie.
void append_shortest(Decimal decimal, std::string& out) {
    trim(decimal);
    const std::string plain = plain_form(decimal);
    const std::string scientific = scientific_form(decimal);
    if (decimal.sign != '\0') out += decimal.sign;
    out += scientific.size() < plain.size() ? scientific : plain;
}

// The number in front of `unit` (written as its symbol or another
// spelling), or an empty view when `token` does not end in it.
std::string_view before_unit(std::string_view token, std::string_view unit) {
    if (unit.empty()) return {};
    const auto strip = [token](std::string_view spelling) {
        return token.size() > spelling.size() && token.ends_with(spelling)
                   ? token.substr(0, token.size() - spelling.size())
                   : std::string_view{};
    };
    if (const std::string_view number = strip(unit); !number.empty()) return number;
    for (const UnitSpelling& other : UNIT_SPELLINGS) {
        if (other.unit != unit || !other.read) continue;
        if (const std::string_view number = strip(other.spelling); !number.empty()) return number;
    }
    return {};
}

// Whether any value token may hold a prefix, an IEC code or a unit: a
// letter or a character beyond ASCII after the name. Most lines hold none
// and are copied as they are.
bool may_have_notation(std::string_view command) {
    Words words(command);
    words.next();  // the name
    return std::any_of(words.position(), words.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x80 ||
               ((byte | 0x20) >= 'a' && (byte | 0x20) <= 'z' && (byte | 0x20) != 'e');
    });
}

// The row a command names, whatever the case it is typed in; null for none.
const Formula* row_named(std::string_view name) {
    std::array<char, NAME_CAPACITY> lowered{};
    if (name.size() > lowered.size()) return nullptr;
    std::copy(name.begin(), name.end(), lowered.begin());
    lowercase_in_place(std::span(lowered.data(), name.size()));
    return find_keyword(std::string_view(lowered.data(), name.size()));
}

}  // namespace

bool append_plain_value(std::string_view token, std::string_view unit, std::string& out) {
    if (const std::optional<Decimal> decimal = read_notation(token)) {
        append_shortest(*decimal, out);
        return true;
    }
    const std::string_view number = before_unit(token, unit);
    if (number.empty()) return false;
    if (const std::optional<Decimal> decimal = read_notation(number)) {
        append_shortest(*decimal, out);
        return true;
    }
    if (!parse_number(number)) return false;
    out += number;  // a plain number: as typed
    return true;
}

bool is_prefix_symbol(std::string_view text) {
    const Prefix* prefix = prefix_at(text, 0);
    return prefix != nullptr && prefix->symbol == text && prefix->exponent != 0;
}

void expand_notation(std::string_view command, std::string& out) {
    if (!may_have_notation(command)) {
        out += command;
        return;
    }
    const Formula* row = nullptr;
    int values = -1;  // value words so far; the name comes first
    Words words(command);
    const char* copied = command.data();  // `out` holds the command up to here
    for (std::string_view word = words.next(); !word.empty(); word = words.next()) {
        out.append(copied, word.data());  // the spaces before the word, as typed
        copied = word.data() + word.size();
        if (values < 0) {
            row = row_named(word);
            out += word;
        } else {
            // Values beyond the row's count have no unit.
            const std::string_view unit =
                row != nullptr && values < row->required_count
                    ? row->arguments[static_cast<std::size_t>(values)].unit.utf8
                    : std::string_view{};
            if (!append_plain_value(word, unit, out)) out += word;
        }
        ++values;
    }
    out.append(copied, command.data() + command.size());
}

}  // namespace zorvane::host
