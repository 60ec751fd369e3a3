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

// A bar's height in eighths of a row: the tallest fills every row. (The
// figure already holds a bar with any sample to at least one eighth.)
int eighths(const host::HistogramFigure::Bar& bar) {
    return static_cast<int>(bar.height * (ROWS * EIGHTHS));
}

char window_mark(host::WindowPart part) {
    switch (part) {
        case host::WindowPart::inside:
            return '=';
        case host::WindowPart::partly:
            return ':';
        case host::WindowPart::none:
        case host::WindowPart::outside:
            break;
    }
    return '-';
}

}  // namespace

std::vector<std::string> histogram_lines(const host::Simulated& s) {
    std::vector<std::string> lines;
    const host::HistogramFigure figure = host::histogram_figure(s);
    if (figure.bars.empty() || s.formula == nullptr) return lines;
    for (int row = ROWS - 1; row >= 0; --row) {
        std::string line = "  |";
        for (const host::HistogramFigure::Bar& bar : figure.bars) {
            const int left = eighths(bar) - row * EIGHTHS;
            if (left <= 0) {
                line += ' ';
            } else {
                line += BLOCKS[static_cast<std::size_t>(std::min(left, EIGHTHS) - 1)];
            }
        }
        lines.push_back(line + "|");
    }
    std::string marks = "  |";
    for (const host::HistogramFigure::Bar& bar : figure.bars) marks += window_mark(bar.window);
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
