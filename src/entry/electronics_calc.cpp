// The exported entry point: wide text in, one evaluation, wide text out.
#include "zorvane/electronics_calc.h"

#include <array>

#include "../command/command.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include "text_conversion.h"
#endif

namespace {

// The module's only state: the last line, narrow and as handed to the host.
// Both start zero-filled and are overwritten by every call.
std::array<char, zorvane::RESULT_CAPACITY + 1> result_line;
std::array<ZorvaneChar, zorvane::RESULT_CAPACITY + 1> wide_result_line;

// One more than the longest command accepted, so that a longer one arrives
// at evaluate_command long enough to be refused rather than silently cut.
using CommandBuffer = std::array<char, zorvane::COMMAND_CAPACITY + 2>;

#if defined(_WIN32)

void narrow_command(const wchar_t* command, CommandBuffer& narrow) {
    narrow[0] = '\0';
    const int needed = WideCharToMultiByte(CP_ACP, 0, command, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return;
    if (static_cast<std::size_t>(needed) > narrow.size()) {
        // Too long to accept: any text of the full length is refused alike.
        narrow.fill('x');
        narrow.back() = '\0';
        return;
    }
    if (WideCharToMultiByte(CP_ACP, 0, command, -1, narrow.data(), static_cast<int>(narrow.size()),
                            nullptr, nullptr) == 0) {
        narrow[0] = '\0';
    }
}

void widen_result() {
    wide_result_line[0] = L'\0';
    if (MultiByteToWideChar(CP_ACP, 0, result_line.data(), -1, wide_result_line.data(),
                            static_cast<int>(wide_result_line.size())) == 0) {
        wide_result_line[0] = L'\0';
    }
}

#else

void narrow_command(const char16_t* command, CommandBuffer& narrow) {
    zorvane::narrow_from_wide(command, narrow);
}

void widen_result() { zorvane::wide_from_narrow(result_line.data(), wide_result_line); }

#endif

}  // namespace

extern "C" ZORVANE_API const ZorvaneChar* ElectronicsCalc(const ZorvaneChar* command) {
    if (command == nullptr) {
        result_line[0] = '\0';
    } else {
        CommandBuffer narrow;
        narrow_command(command, narrow);
        zorvane::evaluate_command(narrow.data(), result_line);
    }
    widen_result();
    return wide_result_line.data();
}
