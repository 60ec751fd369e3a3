// What the command line sets, in one place, handed to whatever needs it.
#pragma once

#include <cstdint>

#include "zorvane_host/host.h"

namespace zorvane_calc {

struct Settings {
    bool engineering = false;  // -e, --eng: values as 100 ns, 4.7 kΩ
    bool expand = true;        // SI prefixes and IEC 60062 codes in values; --plain turns it off
    bool hints = false;        // hints on standard error, when a person watches it
    const char* reference_directory = nullptr;  // --reference DIR; null: the current directory
    const char* series = nullptr;  // --series E24: standard values after a solution; null: none
    zorvane::host::StatisticsOptions statistics;  // --mc N, --seed S, --distribution D
    bool json = false;                            // --json: each answer as one JSON object per line
    bool histogram = false;  // --histogram: the samples drawn under the answer (not in batch mode)
};

}  // namespace zorvane_calc
