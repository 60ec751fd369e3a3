#include "text_conversion.h"

#include <array>
#include <cstdint>

namespace zorvane {
namespace {

constexpr char DEFAULT_CHARACTER = '?';

// Bytes 0x80..0x9F of Windows-1252. The five bytes the code page leaves
// undefined map to the C1 control of the same number, as Windows does.
constexpr std::array<char16_t, 32> HIGH_CONTROL_RANGE = {
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178',
};

constexpr bool is_undefined_byte(std::size_t index) {
    return HIGH_CONTROL_RANGE[index] < 0x00A0;
}

char narrow_character(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
    for (std::size_t i = 0; i < HIGH_CONTROL_RANGE.size(); ++i) {
        if (HIGH_CONTROL_RANGE[i] == unit && !is_undefined_byte(i)) {
            return static_cast<char>(0x80 + i);
        }
    }
    return DEFAULT_CHARACTER;
}

constexpr bool is_high_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool is_low_surrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

void narrow_from_wide(const char16_t* wide, std::span<char> narrow) noexcept {
    std::size_t out = 0;
    const std::size_t limit = narrow.size() - 1;
    for (; *wide != u'\0' && out < limit; ++out) {
        const char16_t unit = *wide++;
        if (is_high_surrogate(unit) && is_low_surrogate(*wide)) ++wide;
        narrow[out] = narrow_character(unit);
    }
    narrow[out] = '\0';
}

void wide_from_narrow(const char* narrow, std::span<char16_t> wide) noexcept {
    std::size_t out = 0;
    const std::size_t limit = wide.size() - 1;
    for (; narrow[out] != '\0' && out < limit; ++out) {
        const auto byte = static_cast<std::uint8_t>(narrow[out]);
        wide[out] = byte >= 0x80 && byte < 0xA0 ? HIGH_CONTROL_RANGE[byte - 0x80u] : byte;
    }
    wide[out] = u'\0';
}

}  // namespace zorvane
