// What the command line sets, in one place, handed to whatever needs it.
#pragma once

namespace zorvane_calc {

struct Settings {
    bool engineering = false;  // -e, --eng: values as 100 ns, 4.7 kΩ
    bool expand = true;        // SI prefixes and IEC 60062 codes in values; --plain turns it off
    bool hints = false;        // hints on standard error, when a person watches it
    const char* reference_directory = nullptr;  // --reference DIR; null: the current directory
    const char* series = nullptr;  // --series E24: standard values after a solution; null: none
};

}  // namespace zorvane_calc
