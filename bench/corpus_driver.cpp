// Calls ElectronicsCalc once for every line of a corpus file, so that a
// profiler can count what one call costs. The file is read and converted
// before the first call; only the calls themselves are measured.
#include <chrono>
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
    const auto start = std::chrono::steady_clock::now();
    for (const auto& command : commands) {
        const char16_t* line = ElectronicsCalc(command.c_str());
        for (; *line != u'\0'; ++line) checksum = checksum * 31 + *line;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%zu calls, checksum %lx, %.6f s in the calls\n", commands.size(), checksum,
                elapsed.count());
    return 0;
}
