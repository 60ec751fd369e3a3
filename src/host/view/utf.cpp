// UTF-8 text of terminals, scripts and web pages to and from UTF-16.
#include "zorvane_host/utf.h"

#include <cstdint>

namespace zorvane::host {
namespace {

constexpr char32_t REPLACEMENT = 0xFFFD;

char16_t* put_utf16(char16_t* out, char32_t c) {
    if (c < 0x10000) {
        *out++ = static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        *out++ = static_cast<char16_t>(0xD800 + (c >> 10));
        *out++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
    return out;
}

// A code point of 0x80 or above: ASCII is copied before it gets here.
char* put_utf8(char* out, char32_t c) {
    if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | (c >> 6));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (c >> 12));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (c >> 18));
        *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// One code point of UTF-8 starting at a lead byte of 0x80 or above, and
// the bytes it takes; a malformed sequence is one bad byte.
struct Decoded {
    char32_t c;
    std::size_t length;
};

Decoded decode_sequence(std::string_view utf8, std::size_t at) {
    const auto lead = static_cast<std::uint8_t>(utf8[at]);
    std::size_t extra = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, c = lead & 0x1Fu, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, c = lead & 0x0Fu, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, c = lead & 0x07u, minimum = 0x10000;
    } else {
        return {REPLACEMENT, 1};
    }
    for (std::size_t k = 1; k <= extra; ++k) {
        if (at + k >= utf8.size() || (static_cast<std::uint8_t>(utf8[at + k]) & 0xC0) != 0x80) {
            return {REPLACEMENT, 1};
        }
        c = (c << 6) | (static_cast<std::uint8_t>(utf8[at + k]) & 0x3Fu);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {REPLACEMENT, 1};
    return {c, extra + 1};
}

}  // namespace

// Each UTF-8 byte yields at most one UTF-16 unit (four bytes yield two),
// and each unit at most three bytes, so the output is sized once.
void append_utf16_from_utf8(std::string_view utf8, std::u16string& out) {
    const std::size_t base = out.size();
    out.resize(base + utf8.size());
    char16_t* put = out.data() + base;
    std::size_t i = 0;
    while (i < utf8.size()) {
        // Runs of ASCII, the common case, one byte a unit.
        for (; i < utf8.size() && static_cast<std::uint8_t>(utf8[i]) < 0x80; ++i) {
            *put++ = static_cast<std::uint8_t>(utf8[i]);
        }
        if (i == utf8.size()) break;
        const Decoded decoded = decode_sequence(utf8, i);
        put = put_utf16(put, decoded.c);
        i += decoded.length;
    }
    out.resize(static_cast<std::size_t>(put - out.data()));
}

void append_utf8_from_utf16(std::u16string_view utf16, std::string& out) {
    const std::size_t base = out.size();
    out.resize(base + 3 * utf16.size());
    char* put = out.data() + base;
    const char16_t* const units = utf16.data();
    const std::size_t size = utf16.size();
    for (std::size_t i = 0; i < size; ++i) {
        // Runs of ASCII, the common case, one unit a byte.
        for (; i < size && units[i] < 0x80; ++i) *put++ = static_cast<char>(units[i]);
        if (i == size) break;
        const char16_t unit = utf16[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            put = put_utf8(put,
                           0x10000 + ((char32_t{unit} - 0xD800u) << 10) + (utf16[i + 1] - 0xDC00u));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            put = put_utf8(put, REPLACEMENT);
        } else {
            put = put_utf8(put, unit);
        }
    }
    out.resize(static_cast<std::size_t>(put - out.data()));
}

}  // namespace zorvane::host
