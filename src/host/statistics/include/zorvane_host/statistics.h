// Statistics: result windows, Monte Carlo runs, the values that matter.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "zorvane_host/question.h"
#include "zorvane_host/range.h"

namespace zorvane::host {

// A command whose values carry tolerances may end in a result window on the
// result, a tolerance or two limits after '=':
//   voltage_divider 12±5% 10k±1% 4k7±1% = 3.3±3%     (3.201 .. 3.399 V)
//   voltage_divider 12±5% 10k±1% 4k7±1% = 3.2..3.4
// and is then answered with the module's line, the worst-case range, the
// verdict on the window (whether the worst case lies inside, by how much it
// clears or misses each edge) and each toleranced value's share of the
// variance. With samples, a Monte Carlo run adds the sampled figures.
//
// The samples are the same bits on every platform: std::mt19937_64 (whose
// output the C++ standard fixes) seeded with the seed, each sample drawing
// the toleranced values in order; the variates are made from the engine's
// bits with + - * / only (see variates.h).
//   uniform: value * (1 + tolerance * (2u - 1)), u = the engine's top 53
//            bits * 2^-53, so uniform over [value(1 - t), value(1 + t)).
//   normal:  value * (1 + tolerance * z / 3), z Gaussian with sigma 1
//            truncated to [-3, 3] (the tolerance is 3 sigma, and parts
//            outside it were screened out at the factory).
// A magnitude (a resistance, a frequency ...) never goes below 0, as in
// the worst-case range.
//
// The samples, seed and distribution (Distribution) come from the
// question's settings (QuestionSettings: --mc, --seed, --distribution),
// read by the question grammar like every other option; DEFAULT_SAMPLES
// and MAX_SAMPLES are with the parts' limits.

inline constexpr std::uint64_t KEPT_SAMPLES = 1'000'000;  // 8 MB: exact percentiles up to here
inline constexpr std::uint64_t DEFAULT_SEED = 1;
inline constexpr int HISTOGRAM_BINS = 40;

struct Contribution {
    int argument = -1;      // which value, from 0
    std::string_view name;  // "r2"
    double share = 0.0;     // of the sum of the variances, 0 .. 1
};

// The percentiles reported, in percent: 3 sigma and 2 sigma below and above
// the median of a normal distribution, and the median.
inline constexpr std::array<double, 5> PERCENTILES = {0.135, 2.275, 50.0, 97.725, 99.865};

struct Simulated : Ranged {
    // The window on the result, when one was given, and the verdict.
    bool has_window = false;
    double low = 0.0;  // the window's edges
    double high = 0.0;
    bool inside = false;       // the whole worst-case range lies inside
    double low_margin = 0.0;   // min - low: >= 0 clears the low edge, < 0 misses it
    double high_margin = 0.0;  // high - max
    // Each toleranced value's share of the variance, largest first: the
    // variance of the result when that value alone varies (its
    // distribution, the others at nominal, integrated by 20-point
    // Gauss-Legendre quadrature) over the sum of those variances.
    // Interactions between values are not counted.
    std::vector<Contribution> contributions;
    // The Monte Carlo run, when samples > 0.
    std::uint64_t samples = 0;
    std::uint64_t seed = DEFAULT_SEED;
    Distribution distribution = Distribution::uniform;
    double mean = 0.0;
    double sd = 0.0;        // sample standard deviation (n - 1)
    double smallest = 0.0;  // the smallest and largest result sampled
    double largest = 0.0;
    // At PERCENTILES: with up to KEPT_SAMPLES samples, the sample of rank
    // ceil(p N) (exact); beyond, read from a histogram of 65600 bins over the
    // worst-case range, interpolated within a bin (within one bin's width,
    // (max - min) / 65600).
    std::array<double, 5> percentiles{};
    bool exact_percentiles = true;
    // With a window: the fraction of samples inside it (edges included),
    // the parts per million outside, and Cpk = min(mean - low, high - mean)
    // / (3 sd) (NaN when sd is 0).
    double yield = 0.0;
    double ppm = 0.0;
    double cpk = 0.0;
    // HISTOGRAM_BINS bins over the worst-case range (one when the range is a
    // point): edges has one more entry than counts.
    std::vector<double> edges;
    std::vector<std::uint64_t> counts;
};

// "voltage_divider 12±5% 10k±1% 4k7±1% = 3.3±3%" with 100000 samples: one
// line, "Output Voltage = 3.836735 V (3.5 .. 4.2 V); window ...; 100000
// samples (uniform, seed 1): mean ...; yield ...; variance: vin 96 %, ...".
// Errors: no tolerance, a value written ?, an empty window (3.4..3.2), a
// result that is not finite everywhere within the tolerances, samples
// beyond MAX_SAMPLES.
// The samples, seed and distribution are those of `beside` (the tool's
// command line) with those written in the command winning.
Simulated simulate(std::string_view command, const QuestionSettings& beside, bool expand = true);
Simulated simulate(std::string_view command);
// The same of a command the dispatch has read once.
Simulated simulate(const ReadCommand& command, const QuestionSettings& beside);

}  // namespace zorvane::host
