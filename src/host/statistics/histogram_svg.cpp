// The statistics' histogram as a drawing every host shows the same: the page
// puts it in the answer, a notebook under its table. The drawing spans the
// worst-case range (the histogram's own bins); the result window is a band
// with its edges dashed where they fall inside. Colours follow the text
// (currentColor), so the drawing reads on a light and a dark background, and
// it scales to its container by its viewBox.
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

// Where `value` lies across the drawing, held to its ends.
struct Scale {
    double low;
    double high;
    double x(double value) const {
        if (!(high > low)) return WIDTH / 2.0;
        const double fraction = (value - low) / (high - low);
        return WIDTH * std::clamp(fraction, 0.0, 1.0);
    }
};

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

void add_bars(const Simulated& s, std::string& svg) {
    const std::uint64_t tallest = *std::max_element(s.counts.begin(), s.counts.end());
    const double width = WIDTH / static_cast<double>(s.counts.size());
    svg += "<g class=\"bars\" fill=\"currentColor\" fill-opacity=\"0.55\">";
    for (std::size_t i = 0; i < s.counts.size(); ++i) {
        if (s.counts[i] == 0) continue;
        const double height = tallest == 0 ? 0.0
                                           : PLOT_HEIGHT * static_cast<double>(s.counts[i]) /
                                                 static_cast<double>(tallest);
        svg += "<rect x=\"" + coordinate(static_cast<double>(i) * width) + "\" y=\"" +
               coordinate(PLOT_HEIGHT - height) + "\" width=\"" +
               coordinate(std::max(width - 1.0, 0.5)) + "\" height=\"" + coordinate(height) +
               "\"/>";
    }
    svg += "</g>";
}

void add_window(const Simulated& s, const Scale& scale, std::string& svg) {
    if (!s.has_window) return;
    const double from = scale.x(s.low);
    const double to = scale.x(s.high);
    svg += "<g class=\"window\" stroke=\"currentColor\" stroke-dasharray=\"4 3\">";
    if (to > from) {
        svg += "<rect x=\"" + coordinate(from) + "\" y=\"0\" width=\"" + coordinate(to - from) +
               "\" height=\"" + coordinate(PLOT_HEIGHT) +
               "\" fill=\"currentColor\" fill-opacity=\"0.08\" stroke=\"none\"/>";
    }
    for (const double edge : {s.low, s.high}) {
        if (edge < scale.low || edge > scale.high) continue;
        add_line(svg, scale.x(edge), scale.x(edge), 0.0, PLOT_HEIGHT);
    }
    svg += "</g>";
}

// The worst case: the axis under the bars, its ends marked and labelled.
void add_worst_case(const Simulated& s, std::string_view unit, std::string& svg) {
    svg += "<g class=\"worst\" stroke=\"currentColor\">";
    add_line(svg, 0.0, WIDTH, PLOT_HEIGHT + 0.5, PLOT_HEIGHT + 0.5);
    add_line(svg, 0.5, 0.5, PLOT_HEIGHT - 6.0, PLOT_HEIGHT + 4.0);
    add_line(svg, WIDTH - 0.5, WIDTH - 0.5, PLOT_HEIGHT - 6.0, PLOT_HEIGHT + 4.0);
    svg += "</g>";
    const std::string baseline = coordinate(LABEL_BASELINE);
    svg += "<g class=\"labels\" fill=\"currentColor\" font-size=\"11\" font-family=\"sans-serif\">";
    svg += "<text x=\"0\" y=\"" + baseline + "\">" + escaped(engineering(s.min, unit)) + "</text>";
    svg += "<text x=\"" + coordinate(WIDTH) + "\" y=\"" + baseline + "\" text-anchor=\"end\">" +
           escaped(engineering(s.max, unit)) + "</text></g>";
}

}  // namespace

std::string histogram_svg(const Simulated& s) {
    if (s.error || s.samples == 0 || s.counts.empty() || s.edges.size() != s.counts.size() + 1) {
        return {};
    }
    const std::string_view unit = s.formula != nullptr ? s.formula->unit : std::string_view();
    const Scale scale{s.edges.front(), s.edges.back()};
    const std::string title = escaped(description(s, unit));
    std::string svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"histogram\" role=\"img\" "
        "viewBox=\"0 0 " +
        coordinate(WIDTH) + " " + coordinate(HEIGHT) + "\" width=\"" + coordinate(WIDTH) +
        "\" height=\"" + coordinate(HEIGHT) + "\" aria-label=\"" + title + "\"><title>" + title +
        "</title>";
    add_window(s, scale, svg);
    add_bars(s, svg);
    add_worst_case(s, unit, svg);
    svg += "</svg>";
    return svg;
}

}  // namespace zorvane::host
