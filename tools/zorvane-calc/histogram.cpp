#include "histogram.h"

#include <algorithm>
#include <cstdint>

namespace zorvane_calc {

namespace host = zorvane::host;

namespace {

constexpr int ROWS = 8;
constexpr int EIGHTHS = 8;
// U+2581 .. U+2588: a block one eighth high to a full block.
constexpr std::string_view BLOCKS[] = {"\xE2\x96\x81", "\xE2\x96\x82", "\xE2\x96\x83",
                                       "\xE2\x96\x84", "\xE2\x96\x85", "\xE2\x96\x86",
                                       "\xE2\x96\x87", "\xE2\x96\x88"};

// The height of a bin in eighths of a row: the tallest fills every row, and
// a bin with any sample shows at least one eighth.
int height(std::uint64_t count, std::uint64_t tallest) {
    if (count == 0 || tallest == 0) return 0;
    const auto scaled = static_cast<int>(static_cast<double>(count) / static_cast<double>(tallest) *
                                         (ROWS * EIGHTHS));
    return std::max(scaled, 1);
}

char window_mark(const host::Simulated& s, std::size_t bin) {
    if (!s.has_window) return '-';
    const double from = s.edges[bin];
    const double to = s.edges[bin + 1];
    if (s.low <= from && to <= s.high) return '=';
    if (to < s.low || from > s.high) return '-';
    return ':';
}

}  // namespace

std::vector<std::string> histogram_lines(const host::Simulated& s) {
    std::vector<std::string> lines;
    if (s.error || s.samples == 0 || s.counts.empty() || s.formula == nullptr) return lines;
    const std::uint64_t tallest = *std::max_element(s.counts.begin(), s.counts.end());
    for (int row = ROWS - 1; row >= 0; --row) {
        std::string line = "  |";
        for (const std::uint64_t count : s.counts) {
            const int left = height(count, tallest) - row * EIGHTHS;
            if (left <= 0) {
                line += ' ';
            } else {
                line += BLOCKS[static_cast<std::size_t>(std::min(left, EIGHTHS) - 1)];
            }
        }
        lines.push_back(line + "|");
    }
    std::string marks = "  |";
    for (std::size_t bin = 0; bin < s.counts.size(); ++bin) marks += window_mark(s, bin);
    lines.push_back(marks + "|");
    const auto value = [&s](double v) { return host::engineering_value(v, *s.formula); };
    std::string legend =
        "  between the bars: the worst case, " + value(s.min) + " .. " + value(s.max);
    if (s.has_window) {
        legend += "; = within the window " + value(s.low) + " .. " + value(s.high);
    }
    lines.push_back(legend);
    return lines;
}

}  // namespace zorvane_calc
