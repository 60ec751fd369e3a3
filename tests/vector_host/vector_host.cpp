// Runs vector files through ElectronicsCalc as the target links it and
// tallies the lines; built for each target and run there (qemu-user, node).
// Exits non-zero when a line is wrong.
//
//   vector_host VECTOR_FILE...
#include <cstdio>
#include <exception>
#include <string>

#include "support/vector_check.h"
#include "zorvane/electronics_calc.h"

int main(int argc, char** argv) {
    const zorvane_test::Calculator calculate = [](const std::u16string& command) {
        return std::u16string(ElectronicsCalc(command.c_str()));
    };
    zorvane_test::VectorTally total;
    try {
        for (int i = 1; i < argc; ++i) total += zorvane_test::check_vector_file(argv[i], calculate);
    } catch (const std::exception& error) {
        std::printf("cannot read the vectors: %s\n", error.what());
        return 2;
    }
    zorvane_test::print_tally(total, "all files");
    return total.wrong == 0 && total.exact > 0 ? 0 : 1;
}
