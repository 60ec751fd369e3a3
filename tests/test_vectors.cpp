// Runs the shared vector files through the exported entry point.
#include <gtest/gtest.h>

#include <string>

#include "support/vector_file.h"
#include "zorvane/electronics_calc.h"

namespace {

using zorvane_test::printable;

class VectorFile : public testing::TestWithParam<std::string> {};

TEST_P(VectorFile, EveryCommandGivesItsExpectedLine) {
    const auto vectors = zorvane_test::load_vectors(GetParam());
    ASSERT_FALSE(vectors.empty()) << GetParam();
    int mismatches = 0;
    for (const auto& vector : vectors) {
        const std::u16string actual = ElectronicsCalc(vector.command.c_str());
        if (actual != vector.expected && ++mismatches <= 20) {
            ADD_FAILURE() << vector.where << "\n  command:  " << printable(vector.command)
                          << "\n  expected: " << printable(vector.expected)
                          << "\n  actual:   " << printable(actual);
        }
    }
    EXPECT_EQ(mismatches, 0) << "of " << vectors.size() << " vectors in " << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Shared, VectorFile,
                         testing::Values(ZORVANE_VECTOR_DIR "/formulas.tsv",
                                         ZORVANE_VECTOR_DIR "/commands.tsv",
                                         ZORVANE_VECTOR_DIR "/table_conversion.tsv",
                                         ZORVANE_RANDOM_VECTORS));

}  // namespace
