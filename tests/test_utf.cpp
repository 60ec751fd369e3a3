#include <gtest/gtest.h>

#include "utf.h"

namespace {

using zorvane_calc::utf16_from_utf8;
using zorvane_calc::utf8_from_utf16;

TEST(Utf, DecodesUtf8AndReplacesEachBadByte) {
    const struct {
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"power_vi 12 0.5", u"power_vi 12 0.5"},
        {"\xC2\xB0" "C \xE2\x82\xAC", u"\u00B0C \u20AC"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"a\x80" "b", u"a\uFFFDb"},                    // a stray continuation byte
        {"\xC3", u"\uFFFD"},                          // cut short at the end
        {"\xE2\x82" "x", u"\uFFFD\uFFFDx"},           // cut short before a letter
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},      // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
        {"\xFF", u"\uFFFD"},
    };
    for (const auto& c : cases) EXPECT_EQ(utf16_from_utf8(c.utf8), c.utf16) << c.utf8;
}

TEST(Utf, EncodesUtf16AndReplacesLoneSurrogates) {
    EXPECT_EQ(utf8_from_utf16(u"Junction Temperature = 45.000000 \u00B0C"),
              "Junction Temperature = 45.000000 \xC2\xB0" "C");
    EXPECT_EQ(utf8_from_utf16(u"\u20AC\U0001F600"), "\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(utf8_from_utf16(std::u16string(u"a") + char16_t{0xD800} + u"b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(utf8_from_utf16(std::u16string(1, char16_t{0xDC00})), "\xEF\xBF\xBD");
}

}  // namespace
