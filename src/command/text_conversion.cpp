#include "text_conversion.h"

#include <array>
#include <bit>
#include <cstdint>

#include "platform.h"

#if ZORVANE_HAVE_SSE2
#include <emmintrin.h>
#endif

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

// Every byte of the code page as UTF-16.
constexpr std::array<char16_t, 256> build_widening_table() {
    std::array<char16_t, 256> table{};
    for (std::size_t byte = 0; byte < table.size(); ++byte) {
        table[byte] = byte >= 0x80 && byte < 0xA0 ? HIGH_CONTROL_RANGE[byte - 0x80]
                                                  : static_cast<char16_t>(byte);
    }
    return table;
}
constexpr std::array<char16_t, 256> WIDENING_TABLE = build_widening_table();

constexpr bool is_high_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool is_low_surrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

#if ZORVANE_HAVE_SSE2
namespace {

// The units of `wide` before its terminator, or `capacity` when there are at
// least that many. Sixteen bytes a step, in aligned blocks: one that holds
// the terminator is read whole (see ZORVANE_READS_WHOLE_BLOCKS). `wide` must
// be aligned to its units.
ZORVANE_READS_WHOLE_BLOCKS
std::size_t bounded_length(const char16_t* wide, std::size_t capacity) noexcept {
    const auto address = reinterpret_cast<std::uintptr_t>(wide);
    const auto* block =
        reinterpret_cast<const __m128i*>(reinterpret_cast<const char*>(wide) - (address & 15));
    const __m128i zero = _mm_setzero_si128();
    // Two mask bits a unit; those of the units before `wide` are shifted out.
    const auto skipped = static_cast<unsigned>(address & 15);
    auto zeros =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_load_si128(block), zero))) >>
        skipped;
    std::size_t block_start = 0;                  // the unit the mask's first bit stands for
    std::size_t next_block = (16 - skipped) / 2;  // the unit the next block starts with
    while (zeros == 0) {
        if (next_block >= capacity) return capacity;
        block_start = next_block;
        zeros = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_load_si128(++block), zero)));
        next_block += 8;
    }
    const std::size_t length = block_start + static_cast<std::size_t>(std::countr_zero(zeros)) / 2;
    return length < capacity ? length : capacity;
}

// Narrows the eight units at `wide` into `out` if they are all ASCII; false,
// writing nothing, if any is not.
bool narrow_ascii_block(const char16_t* wide, char* out) noexcept {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(wide));
    const __m128i non_ascii_bits = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i ascii =
        _mm_cmpeq_epi16(_mm_and_si128(units, non_ascii_bits), _mm_setzero_si128());
    if (_mm_movemask_epi8(ascii) != 0xFFFF) return false;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(units, units));
    return true;
}

}  // namespace
#endif

std::size_t narrow_from_wide(const char16_t* wide, std::span<char> narrow) noexcept {
    char* out = narrow.data();
    char* const limit = out + narrow.size() - 1;
#if ZORVANE_HAVE_SSE2
    // Commands are mostly ASCII: with the length known, eight units a step,
    // the last eight overlapping those before them; the loop below takes over
    // from the first step that meets a unit that is not ASCII, and for
    // commands shorter than eight units.
    if ((reinterpret_cast<std::uintptr_t>(wide) & 1) == 0) {
        const std::size_t length = bounded_length(wide, static_cast<std::size_t>(limit - out));
        std::size_t done = 0;
        if (length >= 8) {
            while (done + 8 <= length && narrow_ascii_block(wide + done, out + done)) done += 8;
            if (done + 8 > length &&
                (done == length || narrow_ascii_block(wide + length - 8, out + length - 8))) {
                out[length] = '\0';
                return length;
            }
        }
        wide += done;
        out += done;
    }
#endif
    for (; out != limit; ++out) {
        const char16_t unit = *wide++;
        if (unit < 0x80) {  // ASCII, the terminator included
            *out = static_cast<char>(unit);
            if (unit == u'\0') return static_cast<std::size_t>(out - narrow.data());
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
    return static_cast<std::size_t>(out - narrow.data());
}

void wide_from_narrow(const char* narrow, std::span<char16_t> wide) noexcept {
    char16_t* out = wide.data();
    char16_t* const limit = out + wide.size() - 1;
    for (; out != limit && *narrow != '\0'; ++out, ++narrow) {
        *out = WIDENING_TABLE[static_cast<std::uint8_t>(*narrow)];
    }
    *out = u'\0';
}

void widen_line(const LineBuffer& narrow, std::size_t length, WideLineBuffer& wide) noexcept {
#if ZORVANE_HAVE_SSE2
    // Sixteen bytes a round; the buffers hold whole rounds, so the bytes read
    // and the units written past the line stay inside them.
    static_assert(sizeof(LineBuffer) % 16 == 0 && std::tuple_size_v<WideLineBuffer> % 16 == 0);
    const __m128i zero = _mm_setzero_si128();
    for (std::size_t at = 0; at < length; at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(narrow.data() + at));
        // Bytes 0x80..0x9F need the table; all others widen by zero extension.
        const __m128i high_control =
            _mm_cmpeq_epi8(_mm_and_si128(bytes, _mm_set1_epi8(static_cast<char>(0xE0))),
                           _mm_set1_epi8(static_cast<char>(0x80)));
        if (_mm_movemask_epi8(high_control) != 0) {
            for (std::size_t i = at; i < at + 16; ++i) {
                wide[i] = WIDENING_TABLE[static_cast<std::uint8_t>(narrow[i])];
            }
            continue;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(wide.data() + at),
                         _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(wide.data() + at + 8),
                         _mm_unpackhi_epi8(bytes, zero));
    }
    wide[length] = u'\0';
#else
    (void)length;
    wide_from_narrow(narrow.data(), wide);
#endif
}

}  // namespace zorvane
