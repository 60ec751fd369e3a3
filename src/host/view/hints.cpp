// Hints that help someone fix a command: what the formula needs, which
// keyword was meant, why a value is not a number, what was ignored. They
// explain an answer; they never change it.
#include "zorvane_host/hints.h"

#include <algorithm>
#include <array>

#include "command.h"
#include "rendering.h"
#include "words.h"
#include "zorvane_host/notation.h"
#include "zorvane_host/prompt.h"

namespace zorvane::host {
namespace {

constexpr std::size_t MAX_SUGGESTIONS = 3;
constexpr std::size_t MAX_DISTANCE = 2;

std::string count_of(int count, std::string_view noun) {
    return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

// Edits (insertions, deletions, substitutions, swaps of neighbours) that
// turn `a` into `b`, `b` a keyword. Three rows of the table suffice: a swap
// looks two rows back.
std::size_t edit_distance(std::string_view a, std::string_view b) {
    using Row = std::array<std::size_t, NAME_CAPACITY + 1>;
    if (b.size() > NAME_CAPACITY) return std::max(a.size(), b.size());
    std::array<Row, 3> rows{};
    for (std::size_t j = 0; j <= b.size(); ++j) rows[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        Row& row = rows[i % 3];
        const Row& above = rows[(i - 1) % 3];
        const Row& two_above = rows[(i + 1) % 3];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t substitution = above[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            row[j] = std::min({above[j] + 1, row[j - 1] + 1, substitution});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                row[j] = std::min(row[j], two_above[j - 2] + 1);
            }
        }
    }
    return rows[a.size() % 3][b.size()];
}

// "did you mean ohms_current?", nearest first, or nothing.
std::string suggestion(std::string_view typed) {
    const std::string name = ascii_lowercase(typed);
    std::vector<std::pair<std::size_t, std::string_view>> near;
    for (const FormulaInfo& info : formulas()) {
        // The distance is at least the difference in length: only names
        // near a keyword's length are worth the full computation.
        const std::size_t gap =
            std::max(name.size(), info.keyword.size()) - std::min(name.size(), info.keyword.size());
        const std::size_t distance =
            gap > MAX_DISTANCE ? MAX_DISTANCE + 1 : edit_distance(name, info.keyword);
        if (distance <= MAX_DISTANCE || info.keyword.starts_with(name)) {
            near.emplace_back(std::min(distance, MAX_DISTANCE + 1), info.keyword);
        }
    }
    if (near.empty()) return {};
    std::stable_sort(near.begin(), near.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    near.resize(std::min(near.size(), MAX_SUGGESTIONS));
    std::string text = "did you mean ";
    for (std::size_t i = 0; i < near.size(); ++i) {
        if (i != 0) text += i + 1 == near.size() ? " or " : ", ";
        text += near[i].second;
    }
    return text + "?";
}

// A unit's symbol or another spelling of it, in any case of its letters.
bool is_unit_word(std::string_view lowered) {
    const auto same = [lowered](std::string_view text) { return ascii_lowercase(text) == lowered; };
    return std::any_of(std::begin(UNITS), std::end(UNITS),
                       [&same](const Unit& unit) { return same(unit.utf8); }) ||
           std::any_of(std::begin(UNIT_SPELLINGS), std::end(UNIT_SPELLINGS),
                       [&same](const UnitSpelling& other) { return same(other.spelling); });
}

bool is_number(std::string_view text) { return parse_number(text).has_value(); }

// A number, possibly with a prefix, in IEC form or in `unit`, as the tool
// reads it.
bool is_value(std::string_view text, std::string_view unit = {}) {
    if (is_number(text)) return true;
    std::string plain;
    return append_plain_value(text, unit, plain) && is_number(plain);
}

// A unit, possibly after a prefix letter in either case: "V", "kohm", "Ω".
bool is_unit(std::string_view text) {
    const std::string lowered = ascii_lowercase(text);
    if (is_unit_word(lowered)) return true;
    // The prefix letter in either case: "kohm", "Kohm", "\xC2\xB5F".
    for (std::size_t length = 1; length <= 2 && length < text.size(); ++length) {
        const std::string_view prefix = text.substr(0, length);
        const std::string swapped =
            length == 1 ? std::string(1, static_cast<char>(prefix[0] ^ 0x20)) : std::string();
        if ((is_prefix_symbol(prefix) || is_prefix_symbol(swapped)) &&
            is_unit_word(std::string_view(lowered).substr(length))) {
            return true;
        }
    }
    return false;
}

// A prefix letter in the wrong case: "K" for "k", "g" for "G".
bool is_miscased_prefix(char letter) {
    const char swapped = static_cast<char>(letter ^ 0x20);
    const bool is_letter = (letter | 0x20) >= 'a' && (letter | 0x20) <= 'z';
    return is_letter && !is_prefix_symbol(std::string_view(&letter, 1)) &&
           is_prefix_symbol(std::string_view(&swapped, 1));
}

// The first value word equal to `token` in `command`: its place among the
// values (0 for the first) and the word before it (empty for the first).
struct Place {
    int index = -1;
    std::string_view before;
};
Place place_of(std::string_view command, std::string_view token) {
    Words words(command);
    words.next();  // the name
    Place place;
    int index = 0;
    for (std::string_view word = words.next(); !word.empty(); word = words.next(), ++index) {
        if (word == token) return {index, place.before};
        place.before = word;
    }
    return {};
}

// "<voltage> is in V": what a value of the formula's argument `index` is
// written in; nothing past its arguments.
std::string unit_of(const FormulaInfo* info, int index) {
    if (info == nullptr || index < 0 || static_cast<std::size_t>(index) >= info->arguments.size()) {
        return {};
    }
    const auto at = static_cast<std::size_t>(index);
    const std::string name(info->arguments[at]);
    const std::string_view unit = info->argument_units[at];
    return unit.empty() ? name + " is a plain number, without a unit"
                        : name + " is in " + std::string(unit);
}

std::string_view unit_at(const FormulaInfo* info, int index) {
    if (info == nullptr || index < 0 || static_cast<std::size_t>(index) >= info->arguments.size()) {
        return {};
    }
    return info->argument_units[static_cast<std::size_t>(index)];
}

// A control character (a line break among them) anywhere in the text.
bool has_control(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

// "10k\xC2\xB1-1%", "10k\xC2\xB1" "1": a value whose tolerance is written
// wrongly, and the word as it should be; "" for any other word.
std::string tolerance_fix(std::string_view token, std::string_view unit) {
    for (const std::string_view sign : {std::string_view("\xC2\xB1"), std::string_view("+-")}) {
        const std::size_t at = token.find(sign);
        if (at == 0 || at == std::string_view::npos) continue;
        const std::string_view value = token.substr(0, at);
        std::string_view percent = token.substr(at + sign.size());
        if (!is_value(value, unit)) return {};
        const bool in_percent = percent.ends_with('%');
        if (in_percent) percent.remove_suffix(1);
        const bool signed_percent = percent.starts_with('-') || percent.starts_with('+');
        if (signed_percent) percent.remove_prefix(1);
        const std::string example = std::string(value) + "\xC2\xB1";
        if (percent.empty() || percent.find_first_of("+-") != std::string_view::npos ||
            !is_number(percent)) {
            return "a tolerance is a percentage: " + example + "1%";
        }
        const std::string fixed = example + std::string(percent) + "%";
        if (signed_percent) return "a tolerance has no sign, it spreads both ways: " + fixed;
        if (!in_percent) return "a tolerance is in percent: " + fixed;
        return {};
    }
    return {};
}

// The likely cause of an invalid number at `place`, or nothing. Words with
// a control character are never offered back to be typed: a hint is one
// line of text a person can copy.
std::string cause(std::string_view token, const Place& place, const FormulaInfo* info) {
    if (has_control(token) || has_control(place.before)) return {};
    if ((is_prefix_symbol(token) || is_unit(token)) && is_number(place.before)) {
        // "10 k", "12 V", "1 kohm": one word with the number, when it fits.
        const std::string joined = std::string(place.before) + std::string(token);
        if (is_prefix_symbol(token) || is_value(joined, unit_at(info, place.index - 1))) {
            return "write it on the number: " + joined;
        }
        return unit_of(info, place.index - 1);
    }
    // "10k ±1%": a tolerance belongs on its value.
    const bool tolerance = (token.starts_with("\xC2\xB1") || token.starts_with("+-")) &&
                           token.ends_with('%') && !place.before.empty();
    if (tolerance)
        return "write it on the number: " + std::string(place.before) + std::string(token);
    const std::string_view unit = unit_at(info, place.index);
    if (std::string fix = tolerance_fix(token, unit); !fix.empty()) return fix;
    if (token.find(',') != std::string_view::npos) {
        std::string pointed(token);
        std::replace(pointed.begin(), pointed.end(), ',', '.');
        if (is_value(pointed, unit)) return "write " + pointed;
    }
    const std::size_t head = std::min(token.find_first_not_of("+-.0123456789"), token.size());
    const std::string_view tail = token.substr(head);
    if (is_unit(tail) && (head == 0 || is_value(token.substr(0, head)))) {
        return unit_of(info, place.index);
    }
    if (head != 0 && !tail.empty() && is_number(token.substr(0, head)) &&
        is_miscased_prefix(tail[0]) &&
        std::all_of(tail.begin() + 1, tail.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return "SI prefixes are " + std::string(SI_PREFIX_LIST);
    }
    return {};
}

}  // namespace

std::vector<std::string> hints(std::string_view command, const Answer& answer) {
    std::vector<std::string> lines;
    const FormulaInfo* info = answer.formula;
    const int required = info == nullptr ? 0 : static_cast<int>(info->arguments.size());
    if (answer.kind == Kind::unknown_formula && info != nullptr) {
        lines.push_back(std::string(info->keyword) + " needs " + count_of(required, "value") +
                        ": " + usage(*info).substr(info->keyword.size() + 1));
    } else if (answer.kind == Kind::unknown_formula) {
        lines.push_back(suggestion(answer.token));
    } else if (answer.kind == Kind::invalid_number) {
        // The module stops at the bad value before it looks the name up.
        Words words(command);
        const FormulaInfo* named = find(ascii_lowercase(words.next()));
        lines.push_back(cause(answer.token, place_of(command, answer.token), named));
    } else if (answer.kind == Kind::result && info != nullptr && answer.values_given > required) {
        const int ignored = answer.values_given - required;
        lines.push_back(std::string(info->keyword) + " takes " + count_of(required, "value") +
                        "; " + std::to_string(ignored) +
                        (ignored == 1 ? " more was ignored" : " more were ignored"));
    }
    std::erase(lines, std::string{});
    return lines;
}

ValueReading read_value(std::string_view text, const FormulaInfo* formula, int argument) {
    ValueReading reading;
    Words words(text);
    const std::string_view first = words.next();
    if (first.empty()) {
        reading.problem = "enter a value";
        return reading;
    }
    if (text.size() > command_capacity()) {
        reading.problem = "too long";
        return reading;
    }
    const std::string_view unit = unit_at(formula, argument);
    Place place{argument, {}};
    for (std::string_view word = first; !word.empty(); word = words.next()) {
        if (!is_value(word, unit)) {
            reading.problem.assign(1, '\'').append(word).append("' is not a number");
            const std::string why = cause(word, place, formula);
            if (!why.empty()) reading.problem += ": " + why;
            return reading;
        }
        place = {place.index + 1, word};
    }
    if (place.index - argument > 1) {
        reading.problem = "one value per field";
        return reading;
    }
    std::string plain;
    const bool expanded = append_plain_value(first, unit, plain);
    reading.value = *parse_number(expanded ? std::string_view(plain) : first);
    return reading;
}

}  // namespace zorvane::host
