#include <gtest/gtest.h>

#include <array>
#include <string>

#include "text_conversion.h"

namespace {

using zorvane::narrow_from_wide;
using zorvane::wide_from_narrow;

std::string narrow(const std::u16string& wide, std::size_t capacity = 300) {
    std::string buffer(capacity, '\x7F');
    narrow_from_wide(wide.c_str(), buffer);
    return buffer.substr(0, buffer.find('\0'));
}

std::u16string widen(const std::string& text) {
    std::array<char16_t, 300> buffer{};
    wide_from_narrow(text.c_str(), buffer);
    return buffer.data();
}

struct CodePageCase {
    char16_t wide;
    unsigned char narrow;
};

// Windows-1252 bytes 0x80..0x9F that stand for characters.
constexpr CodePageCase HIGH_RANGE[] = {
    {u'\u20AC', 0x80}, {u'\u201A', 0x82}, {u'\u0192', 0x83}, {u'\u201E', 0x84}, {u'\u2026', 0x85},
    {u'\u2020', 0x86}, {u'\u2021', 0x87}, {u'\u02C6', 0x88}, {u'\u2030', 0x89}, {u'\u0160', 0x8A},
    {u'\u2039', 0x8B}, {u'\u0152', 0x8C}, {u'\u017D', 0x8E}, {u'\u2018', 0x91}, {u'\u2019', 0x92},
    {u'\u201C', 0x93}, {u'\u201D', 0x94}, {u'\u2022', 0x95}, {u'\u2013', 0x96}, {u'\u2014', 0x97},
    {u'\u02DC', 0x98}, {u'\u2122', 0x99}, {u'\u0161', 0x9A}, {u'\u203A', 0x9B}, {u'\u0153', 0x9C},
    {u'\u017E', 0x9E}, {u'\u0178', 0x9F},
};

TEST(TextConversion, HighRangeCharactersConvertBothWays) {
    for (const auto& [wide, byte] : HIGH_RANGE) {
        const std::string expected(1, static_cast<char>(byte));
        EXPECT_EQ(narrow(std::u16string(1, wide)), expected) << std::hex << unsigned{wide};
        EXPECT_EQ(widen(expected), std::u16string(1, wide)) << std::hex << unsigned{byte};
    }
}

TEST(TextConversion, AsciiAndLatin1RangeMapToThemselves) {
    for (unsigned code = 1; code <= 0xFF; ++code) {
        if (code >= 0x80 && code < 0xA0) continue;
        const std::u16string wide(1, static_cast<char16_t>(code));
        const std::string byte(1, static_cast<char>(code));
        EXPECT_EQ(narrow(wide), byte) << code;
        EXPECT_EQ(widen(byte), wide) << code;
    }
    EXPECT_EQ(widen("\xB0"), u"\u00B0");  // the degree sign of the thermal lines
}

TEST(TextConversion, CharactersOutsideTheCodePageBecomeOneQuestionMark) {
    const struct {
        std::u16string wide;
        std::string narrow;
    } cases[] = {
        {u"\u0080", "?"},                   // a C1 control, not a code-page character
        {u"\u0081", "?"},                   // undefined byte value of the code page
        {u"\u0100x", "?x"},
        {u"\u4E2D\u6587", "??"},
        {u"a\U0001F600b", "a?b"},           // a surrogate pair is one character
        {u"a\xD83D" u"b", "a?b"},           // lone high surrogate
        {u"a\xDE00" u"b", "a?b"},           // lone low surrogate
        {u"\xD83D\xD83D\xDE00", "??"},      // high surrogate, then a complete pair
        {u"\xDE00\xD83D", "??"},            // reversed pair
        {u"\xFFFD\xFEFF", "??"},
    };
    for (const auto& c : cases) EXPECT_EQ(narrow(c.wide), c.narrow);
}

TEST(TextConversion, UndefinedBytesWidenToTheirC1Controls) {
    for (const char16_t byte : {u'\u0081', u'\u008D', u'\u008F', u'\u0090', u'\u009D'}) {
        EXPECT_EQ(widen(std::string(1, static_cast<char>(byte))), std::u16string(1, byte));
    }
}

TEST(TextConversion, NarrowingNeverWritesPastTheBuffer) {
    for (std::size_t capacity = 1; capacity <= 9; ++capacity) {
        for (const std::u16string& text : {std::u16string(20, u'a'), std::u16string(u"\U0001F600x\u20AC")}) {
            std::string buffer(capacity + 1, '#');  // the last byte is the guard
            const std::size_t written = narrow_from_wide(text.c_str(), std::span(buffer.data(), capacity));
            EXPECT_EQ(buffer.back(), '#') << capacity;
            EXPECT_LT(written, capacity);
            EXPECT_EQ(buffer[written], '\0');
        }
    }
}

TEST(TextConversion, NarrowingStopsAtTheBufferEnd) {
    // Capacity 4 holds three characters and the terminator.
    EXPECT_EQ(narrow(u"abc", 4), "abc");
    EXPECT_EQ(narrow(u"abcdef", 4), "abc");
    EXPECT_EQ(narrow(u"\U0001F600\U0001F600\U0001F600\U0001F600", 4), "???");
    EXPECT_EQ(narrow(u"", 1), "");
}

TEST(TextConversion, WideningStopsAtTheBufferEnd) {
    std::array<char16_t, 4> buffer{};
    wide_from_narrow("abcdef", buffer);
    EXPECT_EQ(std::u16string(buffer.data()), u"abc");
}

}  // namespace
