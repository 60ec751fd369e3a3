// The exported entry point: wide text in, one evaluation, wide text out.
#include "zorvane/electronics_calc.h"

#include <array>
#include <cstdint>

#include "command.h"
#include "help.h"
#include "reference_request.h"

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

std::size_t narrow_command(const wchar_t* command, CommandBuffer& narrow) {
    narrow[0] = '\0';
    const int needed = WideCharToMultiByte(CP_ACP, 0, command, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return 0;
    if (static_cast<std::size_t>(needed) > narrow.size()) {
        // Too long to accept: the length alone decides, so the text is not converted.
        narrow.fill(' ');
        narrow.back() = '\0';
        return narrow.size() - 1;
    }
    if (WideCharToMultiByte(CP_ACP, 0, command, -1, narrow.data(), static_cast<int>(narrow.size()),
                            nullptr, nullptr) == 0) {
        narrow[0] = '\0';
        return 0;
    }
    return static_cast<std::size_t>(needed) - 1;
}

// pow and log10 of the Windows C runtime compute on the x87 unit, at the
// precision the host process has chosen: 53 bits after some compilers'
// start-up code, 64 after others. So that the digits do not depend on the
// host, a call holds it at 64 bits and then gives the host's setting back.
class FixedX87Precision {
   public:
#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
    FixedX87Precision() {
        __asm__ volatile("fnstcw %0" : "=m"(saved_));
        const std::uint16_t extended = saved_ | PRECISION_64_BITS;
        __asm__ volatile("fldcw %0" : : "m"(extended));
    }
    ~FixedX87Precision() { __asm__ volatile("fldcw %0" : : "m"(saved_)); }
    FixedX87Precision(const FixedX87Precision&) = delete;
    FixedX87Precision& operator=(const FixedX87Precision&) = delete;

   private:
    static constexpr std::uint16_t PRECISION_64_BITS = 0x0300;
    std::uint16_t saved_ = 0;
#endif
};

void widen_result(std::size_t /*length*/) {
    wide_result_line[0] = L'\0';
    if (MultiByteToWideChar(CP_ACP, 0, result_line.data(), -1, wide_result_line.data(),
                            static_cast<int>(wide_result_line.size())) == 0) {
        wide_result_line[0] = L'\0';
    }
}

#else

// Only the Windows C runtime computes on the x87 unit.
struct FixedX87Precision {};

std::size_t narrow_command(const char16_t* command, CommandBuffer& narrow) {
    return zorvane::narrow_from_wide(command, narrow);
}

void widen_result(std::size_t length) {
    zorvane::widen_line(result_line, length, wide_result_line);
}

#endif

std::size_t write_line(std::string_view line) {
    const std::size_t length = line.copy(result_line.data(), result_line.size() - 1);
    result_line[length] = '\0';
    return length;
}

}  // namespace

extern "C" ZORVANE_API const ZorvaneChar* ZORVANE_CALL ElectronicsCalc(const ZorvaneChar* command) {
    [[maybe_unused]] const FixedX87Precision precision{};
    std::size_t length = 0;
    if (command == nullptr) {
        length = write_line("");
    } else {
        CommandBuffer narrow;
        const std::string_view text(narrow.data(), narrow_command(command, narrow));
        const zorvane::Outcome outcome = zorvane::evaluate(text);
        // "/help" writes the reference file into the current directory; the
        // line reports the outcome. It evaluates as an unknown name that
        // begins with '/', so only such a command is looked at again.
        if (outcome.kind == zorvane::Outcome::unknown_formula && outcome.name.front() == '/' &&
            zorvane::is_reference_request(text)) {
            length =
                write_line(zorvane::reference_outcome(zorvane::save_formula_reference(nullptr)));
        } else {
            length = zorvane::render(outcome, result_line);
        }
    }
    widen_result(length);
    return wide_result_line.data();
}
