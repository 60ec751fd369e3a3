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

// A character outside Latin-1: its byte in the code page, or the default.
char narrow_outside_latin1(char16_t unit) {
    for (std::size_t i = 0; i < HIGH_CONTROL_RANGE.size(); ++i) {
        if (HIGH_CONTROL_RANGE[i] == unit) return static_cast<char>(0x80 + i);
    }
    return DEFAULT_CHARACTER;
}

constexpr bool is_high_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool is_low_surrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

void narrow_from_wide(const char16_t* wide, std::span<char> narrow) noexcept {
    char* out = narrow.data();
    char* const limit = out + narrow.size() - 1;
    for (; out != limit; ++out) {
        const char16_t unit = *wide++;
        if (unit < 0x80) {  // ASCII, the terminator included
            *out = static_cast<char>(unit);
            if (unit == u'\0') return;
        } else if (unit >= 0xA0 && unit <= 0xFF) {
            *out = static_cast<char>(unit);
        } else if (unit < 0x100) {
            *out = DEFAULT_CHARACTER;  // C1 controls are not characters of the code page
        } else {
            if (is_high_surrogate(unit) && is_low_surrogate(*wide)) ++wide;
            *out = narrow_outside_latin1(unit);
        }
    }
    *out = '\0';
}

void wide_from_narrow(const char* narrow, std::span<char16_t> wide) noexcept {
    char16_t* out = wide.data();
    char16_t* const limit = out + wide.size() - 1;
    for (; out != limit; ++out, ++narrow) {
        const auto byte = static_cast<std::uint8_t>(*narrow);
        if (byte == 0) break;
        *out = byte >= 0x80 && byte < 0xA0 ? HIGH_CONTROL_RANGE[byte - 0x80u] : byte;
    }
    *out = u'\0';
}

}  // namespace zorvane
