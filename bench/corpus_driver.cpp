// Calls ElectronicsCalc once for every line of a corpus file, so that a
// profiler can count what one call costs. The file is read and converted
// before the first call; only the calls themselves are measured.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "zorvane/electronics_calc.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1]);
    std::vector<std::u16string> commands;
    for (std::string line; std::getline(in, line);) commands.emplace_back(line.begin(), line.end());
    if (commands.empty()) {
        std::fprintf(stderr, "%s: empty corpus\n", argv[1]);
        return 2;
    }
    unsigned long checksum = 0;
    for (const auto& command : commands) {
        const char16_t* line = ElectronicsCalc(command.c_str());
        for (; *line != u'\0'; ++line) checksum = checksum * 31 + *line;
    }
    std::printf("%zu calls, checksum %lx\n", commands.size(), checksum);
    return 0;
}
