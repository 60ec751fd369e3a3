// Results do not depend on the host's locale: the vectors give the same lines
// under a locale whose decimal separator is a comma.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "support/vector_file.h"
#include "zorvane/electronics_calc.h"

namespace {

TEST(Locale, DecimalCommaLocaleChangesNothing) {
    // The test's CTest fixture compiles this locale into LOCPATH.
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
        << "the de_DE.UTF-8 locale is missing (LOCPATH=" << (std::getenv("LOCPATH") ? std::getenv("LOCPATH") : "")
        << ")";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 2.5);
    ASSERT_STREQ(probe, "2,5") << "the locale is active for the C library";

    for (const char* file : {ZORVANE_VECTOR_DIR "/formulas.tsv", ZORVANE_VECTOR_DIR "/commands.tsv"}) {
        for (const auto& vector : zorvane_test::load_vectors(file)) {
            EXPECT_EQ(std::u16string(ElectronicsCalc(vector.command.c_str())), vector.expected)
                << vector.where << ": " << zorvane_test::printable(vector.command);
        }
    }
    std::setlocale(LC_ALL, "C");
}

}  // namespace
