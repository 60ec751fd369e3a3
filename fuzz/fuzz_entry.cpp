// Arbitrary UTF-16 text through the exported entry point, as a host passes it.
#include <cstdint>
#include <cstring>
#include <vector>

#include "line_contract.h"
#include "text_conversion.h"
#include "zorvane/electronics_calc.h"

namespace {

void check_wide_line(const char16_t* line) {
    if (line == nullptr) zorvane_fuzz::broken("null result", "");
    std::size_t length = 0;
    while (length <= zorvane::RESULT_CAPACITY && line[length] != u'\0') ++length;
    if (length > zorvane::RESULT_CAPACITY) zorvane_fuzz::broken("no terminator within 80", "");
    char narrow[zorvane::RESULT_CAPACITY + 1];
    zorvane::narrow_from_wide(line, narrow);
    zorvane_fuzz::check_line(narrow);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<char16_t> command(size / 2 + 1);
    std::memcpy(command.data(), data, size / 2 * 2);
    command.back() = u'\0';

    const char16_t* first = ElectronicsCalc(command.data());
    check_wide_line(first);
    // The same buffer shows the next call's line.
    const char16_t* second = ElectronicsCalc(u"power_vi 12 0.5");
    if (second != first) zorvane_fuzz::broken("the second call moved the buffer", "");
    if (std::u16string_view(first) != u"Power = 6.000000 W") {
        zorvane_fuzz::broken("the first pointer does not show the second line", "");
    }
    return 0;
}
