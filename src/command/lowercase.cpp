#include <cstdint>
#include <cstring>

#include "command.h"

namespace zorvane {
namespace {

constexpr std::uint64_t EACH_BYTE = 0x0101010101010101;
constexpr std::uint64_t HIGH_BITS = 0x8080808080808080;

// Lower-cases A..Z in eight bytes at once: a byte's high bit is set in
// `capitals` exactly when the byte is ASCII and between 'A' and 'Z'.
std::uint64_t lowercase_word(std::uint64_t word) {
    const std::uint64_t low_seven = word & ~HIGH_BITS;
    const std::uint64_t from_a = low_seven + EACH_BYTE * (0x80 - 'A');
    const std::uint64_t past_z = low_seven + EACH_BYTE * (0x80 - 'Z' - 1);
    const std::uint64_t capitals = (from_a ^ past_z) & ~word & HIGH_BITS;
    return word ^ (capitals >> 2);  // 0x80 >> 2 is the case bit 0x20
}

}  // namespace

void lowercase_in_place(std::span<char> text) noexcept {
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + at, sizeof word);
        word = lowercase_word(word);
        std::memcpy(text.data() + at, &word, sizeof word);
    }
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c >= 'A' && c <= 'Z') text[at] = static_cast<char>(c - 'A' + 'a');
    }
}

}  // namespace zorvane
