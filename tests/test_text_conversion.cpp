#include <gtest/gtest.h>

#include <array>
#include <string>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#include <unistd.h>
#endif

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
        {u"\u0080", "?"},  // a C1 control, not a code-page character
        {u"\u0081", "?"},  // undefined byte value of the code page
        {u"\u0100x", "?x"},
        {u"\u4E2D\u6587", "??"},
        {u"a\U0001F600b", "a?b"},  // a surrogate pair is one character
        {u"a\xD83D"
         u"b",
         "a?b"},  // lone high surrogate
        {u"a\xDE00"
         u"b",
         "a?b"},                        // lone low surrogate
        {u"\xD83D\xD83D\xDE00", "??"},  // high surrogate, then a complete pair
        {u"\xDE00\xD83D", "??"},        // reversed pair
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
        for (const std::u16string& text :
             {std::u16string(20, u'a'), std::u16string(u"\U0001F600x\u20AC")}) {
            std::string buffer(capacity + 1, '#');  // the last byte is the guard
            const std::size_t written =
                narrow_from_wide(text.c_str(), std::span(buffer.data(), capacity));
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

// Every length from 0 to 40 at every unit offset from an aligned block, with
// units that are not the terminator right after it, with and without one
// character outside ASCII at each position, against the buffer's capacity.
TEST(TextConversion, NarrowsEveryLengthAlignmentAndCapacityAlike) {
    int failures = 0;
    for (std::size_t offset = 0; offset < 8; ++offset) {
        for (std::size_t length = 0; length <= 40; ++length) {
            for (std::size_t odd = 0; odd <= length; ++odd) {  // odd == length: all ASCII
                alignas(16) std::array<char16_t, 64> wide{};
                wide.fill(u'x');
                std::string expected;
                for (std::size_t i = 0; i < length; ++i) {
                    const bool is_odd = i == odd;
                    wide[offset + i] = is_odd ? u'\u20AC' : static_cast<char16_t>(u'a' + i % 26);
                    expected += is_odd ? '\x80' : static_cast<char>('a' + i % 26);
                }
                wide[offset + length] = u'\0';
                for (const std::size_t capacity :
                     {length, length + 1, length + 2, std::size_t{300}}) {
                    if (capacity == 0) continue;
                    std::string buffer(capacity + 1, '#');
                    const std::size_t written =
                        narrow_from_wide(wide.data() + offset, std::span(buffer.data(), capacity));
                    const std::string want = expected.substr(0, capacity - 1);
                    if (buffer.compare(0, written, want) != 0 || written != want.size() ||
                        buffer[written] != '\0' || buffer[capacity] != '#') {
                        ADD_FAILURE() << "offset " << offset << ", length " << length << ", odd at "
                                      << odd << ", capacity " << capacity;
                        if (++failures == 10) return;
                    }
                }
            }
        }
    }
}

#if __has_include(<sys/mman.h>)
// A command whose terminator is the last unit before memory that is not
// mapped: the length is found without touching the page after it.
TEST(TextConversion, NarrowingReadsNothingPastTheLastMappedPage) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    void* pages =
        mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(pages, MAP_FAILED);
    ASSERT_EQ(mprotect(static_cast<char*>(pages) + page, page, PROT_NONE), 0);
    auto* const page_end = reinterpret_cast<char16_t*>(static_cast<char*>(pages) + page);
    for (std::size_t length = 0; length <= 40; ++length) {
        char16_t* const wide = page_end - length - 1;
        for (std::size_t i = 0; i < length; ++i) wide[i] = u'7';
        wide[length] = u'\0';
        std::array<char, 300> buffer{};
        EXPECT_EQ(narrow_from_wide(wide, buffer), length);
        EXPECT_EQ(std::string(buffer.data()), std::string(length, '7'));
    }
    munmap(pages, 2 * page);
}
#endif

}  // namespace
