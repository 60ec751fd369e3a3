// Runs vector files through ElectronicsCalc as the target links it and
// tallies the lines; built for each target and run there (qemu-user, node).
// A question (a value written ?, a target after '=') is answered by the
// hosts' solver as the target builds it, so every platform checks the same
// answers. Exits non-zero when a line is wrong.
//
//   vector_host VECTOR_FILE...
#include <cstdio>
#include <exception>
#include <string>

#include "support/vector_check.h"
#include "zorvane/electronics_calc.h"
#include "zorvane_host/host.h"

int main(int argc, char** argv) {
    const zorvane_test::Calculator calculate = [](const std::u16string& command) {
        std::string utf8;
        zorvane::host::append_utf8_from_utf16(command, utf8);
        if (!zorvane::host::is_question(utf8))
            return std::u16string(ElectronicsCalc(command.c_str()));
        std::u16string line;
        zorvane::host::append_utf16_from_utf8(zorvane::host::solve(utf8).line, line);
        return line;
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
