// The statistics' histogram as a drawing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "zorvane_host/statistics.h"

namespace zorvane::host {

// Where a bin lies against the result window: wholly within it (its edges
// included), cut by one of its edges, or clear of it; none without a window.
enum class WindowPart { none, outside, partly, inside };

// A bin with any sample stands at least this high, a fraction of the
// tallest, so that it shows: an eighth of the tool's eighth of a row.
inline constexpr double SHORTEST_BAR = 1.0 / 64.0;

// The histogram as every host draws it, by one rule: which bins, where
// and how high, and where the window and the worst case are marked. The
// drawing spans the worst case (the bins' ends); places are fractions of
// its width, 0 at its low end and 1 at its high end, heights fractions of
// the tallest bar. Hosts scale these to their own room: the SVG below, the
// page's drawing, the tool's text bars.
struct HistogramFigure {
    struct Bar {
        double left = 0.0;  // places across the drawing
        double right = 0.0;
        std::uint64_t count = 0;
        double height = 0.0;  // 0 for an empty bin, else at least SHORTEST_BAR
        WindowPart window = WindowPart::none;
    };
    std::vector<Bar> bars;    // every bin, in order
    double worst_left = 0.0;  // the worst case's ends (0 and 1 but for a single value)
    double worst_right = 1.0;
    bool has_window = false;
    double window_left = 0.0;  // the window's band, held to the drawing
    double window_right = 0.0;
    std::vector<double> window_edges;  // the window's edges that fall within the drawing
};

// The figure of a histogram given as its bins' edges (one more than the
// counts) and counts, and the window when there is one; no bars when the
// two do not fit together or no bin holds a sample.
struct WindowEdges {
    double low = 0.0;
    double high = 0.0;
};
HistogramFigure histogram_figure(std::span<const double> edges,
                                 std::span<const std::uint64_t> counts,
                                 std::optional<WindowEdges> window);
// The figure of a Monte Carlo run's histogram; no bars for an error or a
// run without samples.
HistogramFigure histogram_figure(const Simulated& simulated);

// The histogram of a Monte Carlo run as an SVG drawing of its figure, the
// result window marked, described in its title for screen readers; "" for
// an error or a run without samples. A notebook shows it as it is.
std::string histogram_svg(const Simulated& simulated);

}  // namespace zorvane::host
