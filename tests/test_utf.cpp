#include <gtest/gtest.h>

#include "zorvane_host/host.h"

namespace {

std::u16string utf16_from_utf8(std::string_view utf8) {
    std::u16string out = u"[";  // what is already there stays
    zorvane::host::append_utf16_from_utf8(utf8, out);
    return out.substr(1);
}

std::string utf8_from_utf16(std::u16string_view utf16) {
    std::string out = "[";
    zorvane::host::append_utf8_from_utf16(utf16, out);
    return out.substr(1);
}

// Well-formed text, each length of sequence at both ends of its range:
// the same both ways.
TEST(Utf, ConvertsEveryFormBothWays) {
    const struct {
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"power_vi 12 0.5", u"power_vi 12 0.5"},
        {"\x7F", u"\u007F"},
        {"\xC2\x80 \xDF\xBF", u"\u0080 \u07FF"},
        {"\xC2\xB0"
         "C \xE2\x82\xAC",
         u"\u00B0C \u20AC"},
        {"\xE0\xA0\x80 \xEF\xBF\xBF", u"\u0800 \uFFFF"},
        {"\xF0\x90\x80\x80", u"\U00010000"},  // the first four-byte form
        {"\xF0\x9F\x98\x80 x", u"\U0001F600 x"},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},  // the last code point
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf16_from_utf8(c.utf8), c.utf16) << c.utf8;
        EXPECT_EQ(utf8_from_utf16(c.utf16), c.utf8) << c.utf8;
    }
}

TEST(Utf, ReplacesEachBadByteOfUtf8) {
    const struct {
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"a\x80"
         "b",
         u"a\uFFFDb"},        // a stray continuation byte
        {"\xC3", u"\uFFFD"},  // cut short at the end
        {"\xE2\x82"
         "x",
         u"\uFFFD\uFFFDx"},                                           // cut short before a letter
        {"\xF0\x9F\x98", u"\uFFFD\uFFFD\uFFFD"},                      // a four-byte form cut short
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                                // overlong
        {"\xF0\x8F\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},            // overlong four-byte form
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},                      // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},            // past U+10FFFF
        {"\xF8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},  // five-byte lead
        {"\xFC\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},            // a lead of six bytes
        {"\xFF", u"\uFFFD"},
    };
    for (const auto& c : cases) EXPECT_EQ(utf16_from_utf8(c.utf8), c.utf16) << c.utf8;
}

TEST(Utf, ReplacesLoneSurrogatesOfUtf16) {
    EXPECT_EQ(utf8_from_utf16(std::u16string(u"a") + char16_t{0xD800} + u"b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(utf8_from_utf16(std::u16string(1, char16_t{0xDC00})), "\xEF\xBF\xBD");
    EXPECT_EQ(utf8_from_utf16(std::u16string(1, char16_t{0xDBFF})), "\xEF\xBF\xBD");  // cut pair
}

}  // namespace
