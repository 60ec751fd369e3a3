// Shared test vectors: files of "command <TAB> expected line", UTF-8, with
// the escapes \t, \\ and \uXXXX (one UTF-16 code unit). A line that starts
// with "~" is platform-dependent: its expected line is glibc's, and a
// platform whose pow or log10 differs in the last bit may print other digits
// beyond the fifteenth significant one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zorvane_test {

struct Vector {
    std::string where;  // file:line, for failure messages
    std::u16string command;
    std::u16string expected;
    bool platform_dependent = false;
};

// Loads every vector of a file; blank lines and lines starting with '#' are
// skipped. A malformed line throws std::runtime_error.
std::vector<Vector> load_vectors(const std::string& path);

// The range vectors: "command <TAB> low <TAB> high", the extremes the
// reference model sampled in the command's tolerance box.
struct RangeVector {
    std::string command;
    double low;
    double high;
};
std::vector<RangeVector> load_range_vectors(const std::string& path);

// Decodes one field: UTF-8 with the escapes above.
std::u16string decode_field(std::string_view field);

// Printable form of UTF-16 text for failure messages: UTF-8, with control
// characters and lone surrogates written as \uXXXX.
std::string printable(std::u16string_view text);

}  // namespace zorvane_test
