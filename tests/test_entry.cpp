// The exported entry point, as a host uses it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "zorvane/electronics_calc.h"

namespace {

TEST(ElectronicsCalc, TwoCallsInARowShareOneBuffer) {
    const char16_t* first = ElectronicsCalc(u"power_vi 12 0.5");
    EXPECT_EQ(std::u16string(first), u"Power = 6.000000 W");
    const char16_t* second = ElectronicsCalc(u"junction_temperature 25 2 10");
    EXPECT_EQ(first, second);
    EXPECT_EQ(std::u16string(first), u"Junction Temperature = 45.000000 \u00B0C");
}

TEST(ElectronicsCalc, NeverShowsThePreviousLineForAnEmptyOrFailedCommand) {
    const struct {
        const char16_t* command;
        const char16_t* expected;
    } cases[] = {
        {u"", u""},
        {u"    ", u""},
        {nullptr, u""},
        {u"ohms_voltage 2.5 x", u"Error: Invalid number 'x'"},
        {u"\xD800", u"Error: Unknown formula '?' or insufficient parameters"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(std::u16string(ElectronicsCalc(u"power_vi 12 0.5")), u"Power = 6.000000 W");
        const char16_t* line = ElectronicsCalc(c.command);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(std::u16string(line), c.expected);
    }
}

TEST(ElectronicsCalc, CountsNarrowCharactersAgainstTheCommandLimit) {
    // 255 narrow characters fit whatever their wide length; 256 do not.
    std::u16string fits = u"power_vi 12 0.5 1 2";
    fits.resize(255, u' ');
    EXPECT_EQ(std::u16string(ElectronicsCalc(fits.c_str())), u"Power = 6.000000 W");

    std::u16string pairs = u"power_vi 12 0.5 1 2 ";
    while (pairs.size() < 20 + 2 * 235) pairs += u"\U0001F600";  // 235 pairs: 255 narrow
    EXPECT_EQ(std::u16string(ElectronicsCalc(pairs.c_str())), u"Power = 6.000000 W");
    pairs += u"\U0001F600";
    EXPECT_EQ(std::u16string(ElectronicsCalc(pairs.c_str())),
              u"Error: Command longer than 255 characters");

    const std::u16string huge(4 << 20, u'7');
    EXPECT_EQ(std::u16string(ElectronicsCalc(huge.c_str())),
              u"Error: Command longer than 255 characters");
}

// Characters outside Windows-1252 become '?' wherever they stand: in the name
// or a value they fail, past the fourth value they are never read.
TEST(ElectronicsCalc, OddCharactersInEveryTokenPosition) {
    const std::u16string odd[] = {
        u"\U0001F600",                       // a surrogate pair
        std::u16string(1, char16_t{0xD83D}),  // a lone high surrogate
        std::u16string(1, char16_t{0xDE00}),  // a lone low surrogate
        u"\u4E2D",                            // outside the code page
        u"\u0080",                            // a C1 control
    };
    const std::u16string unknown = u"Error: Unknown formula '?' or insufficient parameters";
    const std::u16string invalid = u"Error: Invalid number '?'";
    const std::u16string result = u"RLC Series Impedance = 100.000000 ?";
    for (const auto& character : odd) {
        const std::u16string tokens[] = {u"impedance_rlc_series", u"100", u"0", u"1", u"1", u"7"};
        for (std::size_t position = 0; position < std::size(tokens); ++position) {
            std::u16string command;
            for (std::size_t i = 0; i < std::size(tokens); ++i) {
                command += (i == position ? character : tokens[i]) + u" ";
            }
            const std::u16string expected = position == 0 ? unknown : position <= 4 ? invalid : result;
            EXPECT_EQ(std::u16string(ElectronicsCalc(command.c_str())), expected)
                << "position " << position << ", unit " << std::hex << unsigned{character[0]};
        }
    }
}

TEST(ElectronicsCalc, WorksWhenLoadedAtRunTime) {
    void* library = dlopen(ZORVANE_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    using Entry = const char16_t* (*)(const char16_t*);
    const auto calc = reinterpret_cast<Entry>(dlsym(library, "ElectronicsCalc"));
    ASSERT_NE(calc, nullptr) << dlerror();
    const char16_t* first = calc(u"Resistors_Parallel 1000 2000");
    EXPECT_EQ(std::u16string(first), u"Parallel Resistance = 666.666667 ?");
    EXPECT_EQ(calc(u"thermal_resistance 50 10"), first);
    EXPECT_EQ(std::u16string(first), u"Thermal Resistance = 5.000000 \u00B0C/W");
    EXPECT_EQ(dlsym(library, "_ZN7zorvane16evaluate_commandEPKcSt4spanIcLm80EE"), nullptr);
    dlclose(library);
}

}  // namespace
