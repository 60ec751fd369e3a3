#include "report.h"

#include <string>

#include "platform.h"

namespace zorvane_calc {

void report_error(std::initializer_list<std::string_view> message) noexcept {
    constexpr auto stream = platform::Stream::error;
    try {
        // One write, so that the line is not interleaved with another's.
        std::string line(PROGRAM_NAME);
        line.append(": ");
        for (const std::string_view piece : message) line.append(piece);
        line.append("\n");
        static_cast<void>(platform::write_all(stream, line));
    } catch (...) {
        // Without memory for the line, its pieces one by one.
        static_cast<void>(platform::write_all(stream, PROGRAM_NAME));
        static_cast<void>(platform::write_all(stream, ": "));
        for (const std::string_view piece : message) {
            static_cast<void>(platform::write_all(stream, piece));
        }
        static_cast<void>(platform::write_all(stream, "\n"));
    }
}

void report_failure(std::string_view what, int error) noexcept {
    try {
        const std::string reason = platform::error_text(error);
        report_error({what, ": ", reason});
    } catch (...) {
        report_error({what});  // without the system's words for it
    }
}

}  // namespace zorvane_calc
