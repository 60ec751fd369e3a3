// The shared statistics vectors (tests/vectors/statistics.tsv): the
// arguments zorvane-calc takes after --json (options, then the command) and
// the JSON line it writes, the same bytes on every platform.
#pragma once

#include <string>
#include <vector>

#include "zorvane_host/host.h"

namespace zorvane_test {

struct StatisticsVector {
    std::string arguments;  // as in the file: "--mc 2000 --seed 7 voltage_divider ..."
    std::string command;    // the arguments less the options
    zorvane::host::QuestionSettings
        options;           // --mc, --seed, --distribution, as the tool reads them
    std::string expected;  // the JSON line
};

// Every vector of the file; a malformed line throws std::runtime_error.
std::vector<StatisticsVector> load_statistics_vectors(const std::string& path);

}  // namespace zorvane_test
