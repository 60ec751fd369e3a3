// What the statistics share inside the hosts' layers: a command with
// tolerances, read as every question is, and its statistics (a design runs
// its candidates through them).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formula_table.h"
#include "zorvane_host/question.h"
#include "zorvane_host/reply.h"
#include "zorvane_host/statistics.h"

namespace zorvane::host {

// A command whose values carry tolerances, read by the module as every
// question is, with its window if it has one.
struct TolerancedCommand {
    const FormulaInfo* info = nullptr;
    const Formula* row = nullptr;
    Values values{};
    std::array<double, 4> tolerances{};  // relative: 0.01 for 1 %; 0 for exact values
    std::string line;                    // the module's line of the values
    std::string engineering;
    bool has_window = false;
    double low = 0.0;
    double high = 0.0;
    // --mc, --seed, --distribution: beside the command, or written in it.
    std::uint64_t samples = 0;  // 0: no Monte Carlo run
    std::uint64_t seed = DEFAULT_SEED;
    Distribution distribution = Distribution::uniform;
};
// False, with the error line in `reply`, for a command that is not one (no
// tolerance, a value written ?, a target that is no window).
bool read_toleranced(const ReadCommand& command, const QuestionSettings& beside,
                     TolerancedCommand& toleranced, Reply& reply);

// The statistics of a command already read: worst case, window, shares
// and, with samples, the Monte Carlo run. A design runs its candidates
// through here, so every yield comes from the same draws for the same seed.
Simulated simulate_toleranced(const TolerancedCommand& toleranced);

// The widest vectors, in bits, that the samples' loops may take where the
// build has more than one version of them (none at start): the same answers
// at every width, which a test checks. Returns the widest this build and
// processor have: 128, 256 or 512 on x86-64, 0 where there is one version.
unsigned limit_vector_width(unsigned bits);

}  // namespace zorvane::host
