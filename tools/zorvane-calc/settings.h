// What the command line sets, in one place, handed to whatever needs it.
#pragma once

#include <cstdint>

#include "zorvane_host/host.h"

namespace zorvane_calc {

struct Settings {
    bool engineering = false;  // -e, --eng: values as 100 ns, 4.7 kΩ
    bool expand = true;        // SI prefixes and IEC 60062 codes in values; --plain turns it off
    bool hints = false;        // hints on standard error, when a person watches it
    // Standard output is a terminal: a solution's readable line, with its
    // engineering value before the exact double.
    bool readable = false;
    // --module-lines: the module's lines as it writes them, "?" for the ohm
    // sign, and no readable lines, for scripts that compare them.
    bool module_lines = false;
    const char* reference_directory = nullptr;  // --reference DIR; null: the current directory
    // --series E24 (or per kind: R=E96,C=E12), --mc N, --seed S and
    // --distribution D, read by the question grammar; a question's own
    // options win over these.
    zorvane::host::QuestionSettings question;
    // Batch mode: one line per command, a design's candidates included.
    bool one_line = false;
    bool json = false;       // --json: each answer as one JSON object per line
    bool histogram = false;  // --histogram: the samples drawn under the answer (not in batch mode)
};

}  // namespace zorvane_calc
