// The shared statistics vectors on a platform of their own (under qemu,
// node): each command's JSON line must be the bytes x86-64 Linux wrote, as
// the same seed must give the same samples everywhere.
//
//   statistics_host tests/vectors/statistics.tsv
#include <cstdio>
#include <exception>

#include "support/statistics_vectors.h"
#include "zorvane_host/host.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: statistics_host STATISTICS_TSV\n");
        return 2;
    }
    try {
        int same = 0;
        int wrong = 0;
        for (const auto& vector : zorvane_test::load_statistics_vectors(argv[1])) {
            const std::string got = zorvane::host::json_answer(vector.command, vector.options).json;
            if (got == vector.expected) {
                ++same;
                continue;
            }
            ++wrong;
            std::printf("WRONG %s\n  got      %s\n  expected %s\n", vector.arguments.c_str(),
                        got.c_str(), vector.expected.c_str());
        }
        std::printf("%d passed, %d failed\n", same, wrong);
        return wrong == 0 && same > 0 ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "statistics_host: %s\n", error.what());
        return 2;
    }
}
