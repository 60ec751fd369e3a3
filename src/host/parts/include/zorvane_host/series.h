// The preferred-number series of IEC 60063 and the standard values of a
// series around any value.
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace zorvane::host {

// The series as the standard tabulates them (E24 and below are not
// 10^(i/n) rounded: 2.7, 3.0, 3.3 ...; E192 has 9.20).
enum class Series { e3, e6, e12, e24, e48, e96, e192 };

// "E24", "e24" -> Series::e24; nothing for any other text.
std::optional<Series> series_named(std::string_view name);
std::string_view series_name(Series series);  // "E24"
// Every series' name, in the order of Series: "E3", "E6" ... "E192". The
// one list of them the tool's options, its completions and the page read.
std::span<const std::string_view> series_names() noexcept;

// The largest series value at or below `value`, the smallest at or above it,
// and the nearer of the two by ratio (value / below against above / value,
// compared exactly, value² against below * above; a tie gives the lower one).
// A value of the series is its own below, above and nearest.
// Each is the double nearest the decimal the standard gives (3.3e3 is the
// double of "3300", 4.7e-9 that of "4.7e-9"). Nothing unless value is finite
// and > 0; nothing also below the smallest normal double or where the next
// series value is beyond the largest double.
struct StandardValues {
    double below;
    double above;
    double nearest;
};
std::optional<StandardValues> standard_values(double value, Series series);

}  // namespace zorvane::host
