// The statistics' histogram as every host draws it: its figure (which bins,
// where, how high, the window's and the worst case's marks), which the
// page draws in its own room and the tool in text, and the figure as SVG,
// which a notebook shows under its table. The drawing spans the worst-case
// range (the histogram's own bins); the result window is a band with its
// edges dashed where they fall inside. Colours follow the text
// (currentColor), so the SVG reads on a light and a dark background, and it
// scales to its container by its viewBox.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <string>

#include "number_text.h"
#include "zorvane_host/histogram.h"

namespace zorvane::host {
namespace {

constexpr double WIDTH = 360.0;
constexpr double PLOT_HEIGHT = 110.0;  // the bars' tallest
constexpr double LABEL_BASELINE = 128.0;
constexpr double HEIGHT = 136.0;

std::string coordinate(double value) { return printed("%.2f", value); }

// Text for an attribute or an element: the five characters XML reserves.
std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

void add_line(std::string& svg, double x1, double x2, double y1, double y2) {
    svg.append("<line x1=\"").append(coordinate(x1)).append("\" x2=\"").append(coordinate(x2));
    svg.append("\" y1=\"").append(coordinate(y1)).append("\" y2=\"").append(coordinate(y2));
    svg.append("\"/>");
}

std::string description(const Simulated& s, std::string_view unit) {
    const std::uint64_t total = std::accumulate(s.counts.begin(), s.counts.end(), std::uint64_t{0});
    std::string text = "Histogram of " + std::to_string(total) + " results in " +
                       std::to_string(s.counts.size()) + " bins over the worst case " +
                       engineering(s.min, unit) + " .. " + engineering(s.max, unit);
    if (s.has_window) {
        text += "; window " + engineering(s.low, unit) + " .. " + engineering(s.high, unit) +
                ", yield " + printed("%.4f", s.yield * 100.0) + "%";
    }
    return text;
}

void add_bars(const HistogramFigure& figure, std::string& svg) {
    svg += "<g class=\"bars\" fill=\"currentColor\" fill-opacity=\"0.55\">";
    for (const HistogramFigure::Bar& bar : figure.bars) {
        if (bar.count == 0) continue;
        const double height = PLOT_HEIGHT * bar.height;
        const double width = WIDTH * (bar.right - bar.left);
        svg += "<rect x=\"" + coordinate(WIDTH * bar.left) + "\" y=\"" +
               coordinate(PLOT_HEIGHT - height) + "\" width=\"" +
               coordinate(std::max(width - 1.0, 0.5)) + "\" height=\"" + coordinate(height) +
               "\"/>";
    }
    svg += "</g>";
}

void add_window(const HistogramFigure& figure, std::string& svg) {
    if (!figure.has_window) return;
    const double from = WIDTH * figure.window_left;
    const double to = WIDTH * figure.window_right;
    svg += "<g class=\"window\" stroke=\"currentColor\" stroke-dasharray=\"4 3\">";
    if (to > from) {
        svg += "<rect x=\"" + coordinate(from) + "\" y=\"0\" width=\"" + coordinate(to - from) +
               "\" height=\"" + coordinate(PLOT_HEIGHT) +
               "\" fill=\"currentColor\" fill-opacity=\"0.08\" stroke=\"none\"/>";
    }
    for (const double edge : figure.window_edges) {
        add_line(svg, WIDTH * edge, WIDTH * edge, 0.0, PLOT_HEIGHT);
    }
    svg += "</g>";
}

// The worst case: the axis under the bars, its ends marked and labelled.
void add_worst_case(const Simulated& s, const HistogramFigure& figure, std::string_view unit,
                    std::string& svg) {
    svg += "<g class=\"worst\" stroke=\"currentColor\">";
    add_line(svg, 0.0, WIDTH, PLOT_HEIGHT + 0.5, PLOT_HEIGHT + 0.5);
    for (const double end : {figure.worst_left, figure.worst_right}) {
        const double x = std::clamp(WIDTH * end, 0.5, WIDTH - 0.5);
        add_line(svg, x, x, PLOT_HEIGHT - 6.0, PLOT_HEIGHT + 4.0);
    }
    svg += "</g>";
    const std::string baseline = coordinate(LABEL_BASELINE);
    svg += "<g class=\"labels\" fill=\"currentColor\" font-size=\"11\" font-family=\"sans-serif\">";
    svg += "<text x=\"0\" y=\"" + baseline + "\">" + escaped(engineering(s.min, unit)) + "</text>";
    svg += "<text x=\"" + coordinate(WIDTH) + "\" y=\"" + baseline + "\" text-anchor=\"end\">" +
           escaped(engineering(s.max, unit)) + "</text></g>";
}

WindowPart window_part(double from, double to, const std::optional<WindowEdges>& window) {
    if (!window) return WindowPart::none;
    if (window->low <= from && to <= window->high) return WindowPart::inside;
    if (to < window->low || from > window->high) return WindowPart::outside;
    return WindowPart::partly;
}

// Where `value` lies across a drawing from `low` to `high`, held to its
// ends; the middle where the drawing spans a single value.
struct Scale {
    double low;
    double high;
    double at(double value) const {
        if (!(high > low)) return 0.5;
        return std::clamp((value - low) / (high - low), 0.0, 1.0);
    }
};

// A bar's height: its count over the tallest, and at least SHORTEST_BAR
// when it holds any sample.
double bar_height(std::uint64_t count, std::uint64_t tallest) {
    if (count == 0) return 0.0;
    return std::max(static_cast<double>(count) / static_cast<double>(tallest), SHORTEST_BAR);
}

}  // namespace

HistogramFigure histogram_figure(std::span<const double> edges,
                                 std::span<const std::uint64_t> counts,
                                 std::optional<WindowEdges> window) {
    HistogramFigure figure;
    if (counts.empty() || edges.size() != counts.size() + 1) return figure;
    const std::uint64_t tallest = *std::max_element(counts.begin(), counts.end());
    if (tallest == 0) return figure;
    const Scale scale{edges.front(), edges.back()};
    // Over a single value the bins share the width alike.
    const bool single = !(scale.high > scale.low);
    const double share = 1.0 / static_cast<double>(counts.size());
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const double place = static_cast<double>(i);
        figure.bars.push_back({single ? place * share : scale.at(edges[i]),
                               single ? (place + 1.0) * share : scale.at(edges[i + 1]), counts[i],
                               bar_height(counts[i], tallest),
                               window_part(edges[i], edges[i + 1], window)});
    }
    figure.worst_left = scale.at(edges.front());
    figure.worst_right = scale.at(edges.back());
    if (window) {
        figure.has_window = true;
        figure.window_left = scale.at(window->low);
        figure.window_right = scale.at(window->high);
        for (const double edge : {window->low, window->high}) {
            if (edge >= scale.low && edge <= scale.high)
                figure.window_edges.push_back(scale.at(edge));
        }
    }
    return figure;
}

HistogramFigure histogram_figure(const Simulated& s) {
    if (s.error || s.samples == 0) return {};
    return histogram_figure(
        s.edges, s.counts, s.has_window ? std::optional(WindowEdges{s.low, s.high}) : std::nullopt);
}

std::string histogram_svg(const Simulated& s) {
    const HistogramFigure figure = histogram_figure(s);
    if (figure.bars.empty()) return {};
    const std::string_view unit = s.formula != nullptr ? s.formula->unit : std::string_view();
    const std::string title = escaped(description(s, unit));
    std::string svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"histogram\" role=\"img\" "
        "viewBox=\"0 0 " +
        coordinate(WIDTH) + " " + coordinate(HEIGHT) + "\" width=\"" + coordinate(WIDTH) +
        "\" height=\"" + coordinate(HEIGHT) + "\" aria-label=\"" + title + "\"><title>" + title +
        "</title>";
    add_window(figure, svg);
    add_bars(figure, svg);
    add_worst_case(s, figure, unit, svg);
    svg += "</svg>";
    return svg;
}

}  // namespace zorvane::host
