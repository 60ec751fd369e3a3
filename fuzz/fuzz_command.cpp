// Arbitrary bytes through the narrow command path, with a guard byte planted
// just past the result buffer.
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "command.h"
#include "line_contract.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string command(reinterpret_cast<const char*>(data), size);  // zero-terminated copy
    constexpr char GUARD = '\x5A';
    std::array<char, zorvane::RESULT_CAPACITY + 2> buffer;
    buffer.fill('\x7F');
    buffer.back() = GUARD;
    const std::size_t length = zorvane::evaluate_command(
        command.c_str(),
        std::span<char, zorvane::RESULT_CAPACITY + 1>(buffer.data(), buffer.size() - 1));
    if (buffer.back() != GUARD) zorvane_fuzz::broken("the guard byte was overwritten", "");
    const void* terminator = std::memchr(buffer.data(), '\0', zorvane::RESULT_CAPACITY + 1);
    if (terminator == nullptr) zorvane_fuzz::broken("no terminator", "");
    const std::string_view line(buffer.data());
    if (line.size() != length) zorvane_fuzz::broken("the returned length is not the line's", line);
    zorvane_fuzz::check_line(line);
    return 0;
}
