// How many boards pass: a result window on the result, a Monte Carlo run over
// the values' tolerances, and the values whose tolerances matter most. The
// reasoning on variates is in variates.h, the figures are defined in
// zorvane_host/statistics.h.
//
// Memory stays bounded whatever the samples asked for: up to KEPT_SAMPLES
// results are kept (8 MB) and their percentiles are exact; beyond, a
// histogram of FINE_BINS bins over the worst-case range (which holds every
// result) gives them within one bin's width. The moments are merged block by
// block from each block's mean and squared deviations about it (Running).
#include "statistics.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <boost/math/quadrature/gauss.hpp>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "answer_lines.h"
#include "command.h"
#include "number_text.h"
#include "question_reading.h"
#include "rendering.h"
#include "variates.h"
#include "worst_case.h"

namespace zorvane::host {
namespace {

constexpr double NAN_VALUE = std::numeric_limits<double>::quiet_NaN();

// Equal bins over the worst-case range. A value's bin is floor((x - low) *
// scale), clamped: the same arithmetic on every platform, and never falling
// as x rises, which the exact percentiles rely on. The HISTOGRAM_BINS bins
// shown are FINE_PER_SHOWN fine bins each, so both agree on every sample.
constexpr std::size_t FINE_PER_SHOWN = 1640;
constexpr std::size_t FINE_BINS = HISTOGRAM_BINS * FINE_PER_SHOWN;  // 65600
// A fine bin's count: no run has 2^32 samples, and 32-bit counters halve the
// histogram (262 KB), which every sample touches at a random bin.
using Count = std::uint32_t;
static_assert(MAX_SAMPLES <= 0xffffffffULL);
// Kept samples are counted in the samples' loops by mid bins of FINE_PER_MID
// fine bins (1600 of them, 6.4 KB, which stay in the processor's first
// cache: the fine histogram does not, and its scattered increments cost
// more than a cheap row's evaluation); only the samples of the mid bins
// that hold a percentile are counted finely, afterwards.
constexpr std::uint32_t FINE_PER_MID = 41;
static_assert(FINE_BINS % FINE_PER_MID == 0 && FINE_PER_SHOWN % FINE_PER_MID == 0);

struct Bins {
    double low;
    double high;
    std::size_t count;
    double scale;
    double last;  // count - 1

    Bins(double from, double to, std::size_t bins)
        : low(from),
          high(to),
          count(to > from ? bins : 1),
          scale(to > from ? static_cast<double>(bins) / (to - from) : 0.0),
          last(static_cast<double>(count - 1)) {}

    // A position at or below 0 (or no number) is bin 0, one from the last
    // bin's start on is the last: two selections, which need no branch.
    // (A 32-bit conversion, which vector code has, is exact: count <= FINE_BINS.)
    ZORVANE_INLINE std::uint32_t of(double x) const {
        const double position = (x - low) * scale;
        const double above = position > 0.0 ? position : 0.0;
        return static_cast<std::uint32_t>(static_cast<std::int32_t>(above < last ? above : last));
    }
    double edge(std::size_t i) const {
        return i == count
                   ? high
                   : low + (high - low) * (static_cast<double>(i) / static_cast<double>(count));
    }
};

// x86-64 processors with AVX2 or AVX-512 run the samples' loops four or
// eight doubles (or 64-bit integers) at a time instead of SSE2's two: the
// same operations on the same values, element by element, so the same bits.
// Chosen at run time, as the build targets every x86-64. (Not on Windows,
// whose compilers do not align the stack for 32- and 64-byte spills; nor in
// the coverage build, which would count each line once per version.)
#if defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32) && !defined(ZORVANE_PORTABLE) && \
    !defined(ZORVANE_COVERAGE)
#define ZORVANE_WIDE_VECTORS 1
std::atomic<unsigned> width_allowed{512};  // bits
unsigned widest_vectors() {
    static const unsigned widest = __builtin_cpu_supports("avx512f") ? 512
                                   : __builtin_cpu_supports("avx2")  ? 256
                                                                     : 128;
    return widest;
}
template <typename Work>
__attribute__((target("avx2"))) void run_256(const Work& work) {
    work();
}
template <typename Work>
__attribute__((target("avx512f"))) void run_512(const Work& work) {
    work();
}
#else
#define ZORVANE_WIDE_VECTORS 0
#endif

// Calls `work`, a loop whose call operator is ZORVANE_INLINE (so that each
// version holds all of it), in the version for the widest vectors up to
// `widest` bits that the processor has.
template <typename Work>
void run_widest(const Work& work, unsigned widest) {
#if ZORVANE_WIDE_VECTORS
    const unsigned width =
        std::min({widest_vectors(), width_allowed.load(std::memory_order_relaxed), widest});
    if (width >= 512) {
        run_512(work);
        return;
    }
    if (width >= 256) {
        run_256(work);
        return;
    }
#else
    static_cast<void>(widest);
#endif
    work();
}

// ---- Text ----

// The lines of a statistics answer, whose values are all the result's.
struct Lines {
    AnswerLines lines;
    const Formula& row;
    std::string_view unit;

    void text(std::string_view both) { lines.text(both); }
    // "3.2 .. 3.4 V"; engineering: "3.2 V .. 3.4 V".
    void span(double low, double high) { lines.span(row, low, high, unit); }
    void value(double v) { lines.result(row, v, unit); }
};

std::string percent_of(double share) { return printed("%.0f", share * 100.0) + " %"; }

// "143750", "333.33", "0.01": two decimals at most, no trailing zeros.
std::string short_decimal(double value) {
    std::string text = printed("%.2f", value);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.ends_with('.')) text.pop_back();
    }
    return text;
}

void add_window(const Simulated& s, Lines& lines) {
    lines.text("; window ");
    lines.span(s.low, s.high);
    lines.text(s.inside ? ": worst case inside (low edge " : ": worst case outside (low edge ");
    lines.text(s.low_margin >= 0.0 ? "cleared by " : "missed by ");
    lines.value(std::abs(s.low_margin));
    lines.text(s.high_margin >= 0.0 ? ", high edge cleared by " : ", high edge missed by ");
    lines.value(std::abs(s.high_margin));
    lines.text(")");
}

void add_samples(const Simulated& s, Lines& lines) {
    lines.text("; " + std::to_string(s.samples) + " samples (" +
               std::string(distribution_name(s.distribution)) + ", seed " + std::to_string(s.seed) +
               "): mean ");
    lines.value(s.mean);
    lines.text(", sd ");
    lines.value(s.sd);
    lines.text(", min ");
    lines.value(s.smallest);
    lines.text(", max ");
    lines.value(s.largest);
    lines.text(s.exact_percentiles ? "; percentiles " : "; percentiles (within a bin) ");
    for (std::size_t i = 0; i < PERCENTILES.size(); ++i) {
        lines.text((i == 0 ? "" : ", ") + printed("%g", PERCENTILES[i]) + "% ");
        lines.value(s.percentiles[i]);
    }
    if (!s.has_window) return;
    lines.text("; yield " + printed("%.4f", s.yield * 100.0) + "% (" + short_decimal(s.ppm) +
               " ppm outside), Cpk " + (std::isnan(s.cpk) ? "undefined" : printed("%.3f", s.cpk)));
}

void add_contributions(const Simulated& s, Lines& lines) {
    if (s.contributions.empty()) return;
    lines.text("; variance:");
    for (std::size_t i = 0; i < s.contributions.size(); ++i) {
        const Contribution& c = s.contributions[i];
        lines.text((i == 0 ? " " : ", ") + std::string(c.name) + " " + percent_of(c.share));
    }
}

// ---- Sampling ----

// Value `value` with relative tolerance `tolerance` at `z` in units of the
// tolerance (-1 .. 1); a magnitude (floored) stays at or above 0. Two
// steps, as the samples take them a round of values at a time.
ZORVANE_INLINE double spread(double value, double tolerance, double z) {
    return value * (1.0 + tolerance * z);
}
ZORVANE_INLINE double floored(double x, bool magnitude) {
    return magnitude && !(x > 0.0) ? 0.0 : x;
}

// A power of two near the largest result within the tolerances: sums of
// squares are taken in it, so results near the largest doubles do not
// overflow them (a power of two scales every square exactly).
double unit_of(double min, double max) {
    const double size = std::max(std::abs(min), std::abs(max));
    return std::isfinite(size) && size > 0.0 ? std::ldexp(1.0, std::ilogb(size)) : 1.0;
}

// The variance of the result, in `unit` squared, when argument `i` alone
// follows its distribution, the others at nominal. Each evaluation of the
// row is counted in `evaluations` as it is made: the two integrals of the
// result take 20 each, the weight's own integral none.
double variance_alone(const Formula& row, const Values& values, std::size_t i, double tolerance,
                      Distribution distribution, double unit, int& evaluations) {
    using Gauss = boost::math::quadrature::gauss<double, 20>;
    const bool magnitude = row.arguments[i].domain == Domain::magnitude;
    const auto evaluate = [&](const Values& point) {
        ++evaluations;
        return row.evaluate(point).value;
    };
    const double nominal = evaluate(values);
    const auto offset = [&](double z) {
        Values point = values;
        point[i] = floored(spread(values[i], tolerance, z), magnitude);
        return (evaluate(point) - nominal) / unit;
    };
    // Over z in [-1, 1]: uniform weight, or the normal density of 3z.
    const auto weight = [distribution](double z) {
        return distribution == Distribution::uniform ? 1.0 : exp_minus(4.5 * (z * z));
    };
    const double total = Gauss::integrate(weight);
    const double mean = Gauss::integrate([&](double z) { return weight(z) * offset(z); }) / total;
    const double square = Gauss::integrate([&](double z) {
                              const double d = offset(z);
                              return weight(z) * (d * d);
                          }) /
                          total;
    return std::max(square - mean * mean, 0.0);
}

void find_contributions(const Formula& row, const Values& values,
                        const std::array<double, 4>& tolerances, Distribution distribution,
                        Simulated& s) {
    const double unit = unit_of(s.min, s.max);
    double sum = 0.0;
    std::vector<double> variances;
    for (std::size_t i = 0; i < static_cast<std::size_t>(row.required_count); ++i) {
        if (tolerances[i] == 0.0) continue;
        const double variance =
            variance_alone(row, values, i, tolerances[i], distribution, unit, s.evaluations);
        s.contributions.push_back({static_cast<int>(i), row.arguments[i].name, 0.0});
        variances.push_back(variance);
        sum += variance;
    }
    for (std::size_t k = 0; k < variances.size(); ++k) {
        s.contributions[k].share = sum > 0.0 ? variances[k] / sum : 0.0;
    }
    std::stable_sort(
        s.contributions.begin(), s.contributions.end(),
        [](const Contribution& a, const Contribution& b) { return a.share > b.share; });
}

// Where the sample of rank ceil(p N) lies in the fine histogram: its bin,
// and its rank among the samples of that bin (from 1).
struct Located {
    // cppcheck-suppress unusedStructMember ; read in exact_percentiles
    std::size_t bin;
    std::uint64_t rank;
};
std::array<Located, PERCENTILES.size()> locate(const std::vector<Count>& counts,
                                               std::uint64_t samples) {
    std::array<Located, PERCENTILES.size()> found{};
    std::size_t bin = 0;
    std::uint64_t before = 0;
    for (std::size_t i = 0; i < PERCENTILES.size(); ++i) {
        const auto rank = std::max<std::uint64_t>(
            1, static_cast<std::uint64_t>(
                   std::ceil(PERCENTILES[i] / 100.0 * static_cast<double>(samples))));
        while (bin + 1 < counts.size() && before + counts[bin] < rank) before += counts[bin++];
        found[i] = {bin, rank - before};
    }
    return found;
}

// Each kept sample in a wanted mid bin, into its mid bin's list (from 1 in
// `wanted`), in order.
struct Gather {
    const double* kept;
    std::size_t count;
    const Bins& bins;
    const std::array<std::uint32_t, PERCENTILES.size()>& wanted_mid;
    const std::vector<std::uint8_t>& wanted;
    std::array<std::vector<double>, PERCENTILES.size()>& in_mid;

    ZORVANE_INLINE void operator()() const {
        constexpr std::size_t STRETCH = 32;
        std::array<std::uint32_t, STRETCH> mid;
        for (std::size_t start = 0; start < count; start += STRETCH) {
            const std::size_t size = std::min(count - start, STRETCH);
            unsigned found = 0;
            for (std::size_t n = 0; n < size; ++n) {
                mid[n] = bins.of(kept[start + n]) / FINE_PER_MID;
                // Without an early exit, which vector code could not take.
                for (const std::uint32_t w : wanted_mid)
                    // cppcheck-suppress useStlAlgorithm
                    found |= static_cast<unsigned>(mid[n] == w);
            }
            if (found == 0) continue;
            for (std::size_t n = 0; n < size; ++n) {
                const std::uint8_t list = wanted[mid[n]];
                if (list != 0) in_mid[list - 1U].push_back(kept[start + n]);
            }
        }
    }
};

// The samples of rank ceil(p N), exactly: the bins index rises with the
// value, so the sample sought is the one of its rank within its fine bin,
// and only the (few) samples of that bin need ordering. The samples of the
// mid bins that hold one are gathered (binned a stretch at a time and
// compared with the wanted ones, which vector code does; the rare stretch
// that holds one is gone through again), then counted by fine bin; the
// sample is ordered among those of its fine bin, in the order drawn.
void exact_percentiles(const double* kept, std::size_t count, const std::vector<Count>& mids,
                       const Bins& bins, Simulated& s) {
    const auto located = locate(mids, count);
    std::array<std::vector<double>, PERCENTILES.size()> in_mid;
    std::array<std::size_t, PERCENTILES.size()> slot{};  // each percentile's list
    std::vector<std::uint8_t> wanted(mids.size(), 0);    // a mid bin's list, from 1; 0 for none
    std::array<std::uint32_t, PERCENTILES.size()> wanted_mid{};
    std::uint8_t lists = 0;
    for (std::size_t i = 0; i < located.size(); ++i) {
        const std::size_t mid = located[i].bin;
        if (wanted[mid] == 0) {
            wanted[mid] = ++lists;
            in_mid[lists - 1].reserve(static_cast<std::size_t>(mids[mid]));
        }
        slot[i] = wanted[mid] - 1U;
        wanted_mid[i] = static_cast<std::uint32_t>(mid);
    }
    run_widest(Gather{kept, count, bins, wanted_mid, wanted, in_mid}, 512);
    for (std::size_t i = 0; i < located.size(); ++i) {
        const std::vector<double>& gathered = in_mid[slot[i]];
        const std::size_t first = located[i].bin * FINE_PER_MID;
        std::array<Count, FINE_PER_MID> fine{};
        for (const double x : gathered) ++fine[bins.of(x) - first];
        std::size_t bin = 0;
        std::uint64_t before = 0;
        while (bin + 1 < fine.size() && before + fine[bin] < located[i].rank) before += fine[bin++];
        std::vector<double> values;
        values.reserve(fine[bin]);
        std::copy_if(gathered.begin(), gathered.end(), std::back_inserter(values),
                     [&](double x) { return bins.of(x) == first + bin; });
        const auto nth = values.begin() + static_cast<std::ptrdiff_t>(located[i].rank - before - 1);
        std::nth_element(values.begin(), nth, values.end());
        s.percentiles[i] = *nth;
    }
}

// Beyond the samples kept: within the bin, as if its samples were spread
// evenly over it.
void histogram_percentiles(const std::vector<Count>& fine, const Bins& bins, Simulated& s) {
    const auto located = locate(fine, s.samples);
    for (std::size_t i = 0; i < located.size(); ++i) {
        const std::size_t edge = located[i].bin;
        const double lower = bins.edge(edge);
        const double width = bins.edge(edge + 1) - lower;
        const auto count = static_cast<double>(fine[located[i].bin]);
        s.percentiles[i] =
            lower + width * (static_cast<double>(located[i].rank) / std::max(count, 1.0));
    }
}

// One toleranced value: its nominal, tolerance, and whether it is a
// magnitude that a tolerance of 100 % or more could take below 0.
// (cppcheck does not see the members read in draw_samples<>.)
constexpr std::size_t ROUND = EngineRounds::SIZE;

struct Varied {
    // cppcheck-suppress unusedStructMember
    std::size_t index;
    // cppcheck-suppress unusedStructMember
    double value;
    // cppcheck-suppress unusedStructMember
    double tolerance;
    // cppcheck-suppress unusedStructMember
    bool clamped;
};

// Sums of up to a round's terms in four interleaved partial sums, added in a
// fixed order at the end: four chains of additions instead of one, so a
// block's sum costs a quarter of the additions' latency; the order is the
// same on every platform, and so are the bits.
template <typename Term>
ZORVANE_INLINE double sum_of(std::size_t n, Term term) {
    std::array<double, 4> part{};
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        for (std::size_t lane = 0; lane < 4; ++lane) part[lane] += term(i + lane);
    }
    for (std::size_t lane = 0; i < n; ++i, ++lane) part[lane] += term(i);
    return (part[0] + part[1]) + (part[2] + part[3]);
}

// Two lanes of doubles, and each lane's lesser and greater of two, x where
// it is less (greater) than m: GCC and clang make no vector code of such
// lanes written one by one (a minimum is not a sum they may reorder), so
// for them the pair is their vector type, the same operation element by
// element.
#if defined(__GNUC__)
using Pair = double __attribute__((vector_size(16)));
ZORVANE_INLINE Pair lesser(Pair x, Pair m) { return x < m ? x : m; }
ZORVANE_INLINE Pair greater(Pair x, Pair m) { return x > m ? x : m; }
#else
using Pair = std::array<double, 2>;
inline Pair lesser(Pair x, Pair m) {
    return {x[0] < m[0] ? x[0] : m[0], x[1] < m[1] ? x[1] : m[1]};
}
inline Pair greater(Pair x, Pair m) {
    return {x[0] > m[0] ? x[0] : m[0], x[1] > m[1] ? x[1] : m[1]};
}
#endif
static_assert(sizeof(Pair) == 2 * sizeof(double));

// The samples' figures as they come, a block at a time: each block's mean
// and sum of squared deviations about it (two passes over the block, free of
// the cancellation a sum of squares less a squared sum suffers), merged into
// the running ones by Chan, Golub and LeVeque's pairwise update. A
// per-sample recurrence (Welford's) is a chain of subtraction, division and
// addition through every sample, which bounded the samples' pace; here no
// chain runs longer than a block's quarter. Every pass but the histogram's
// increments is free of calls and of branches, so it runs as vector code.
struct Running {
    // Results are summed in units of `unit`, a power of two near their
    // size, so that results near 1e300 (or 1e-300) neither overflow nor
    // underflow; by a power of two the sums are otherwise the same bits.
    // Dividing by a power of two and multiplying by its inverse round the
    // same real number, so results are multiplied whenever the inverse is a
    // double: always but for results below 2^-1023.
    double unit = 1.0;
    double inverse_unit = 1.0;
    bool inverse_exact = true;
    double mean = 0.0;     // in units
    double squares = 0.0;  // in units squared
    double smallest = std::numeric_limits<double>::infinity();
    double largest = -std::numeric_limits<double>::infinity();
    std::uint64_t inside = 0;
    double count = 0.0;       // n, exactly: below 2^53
    bool count_mids = false;  // counts by mid bin (the samples are kept), else by fine bin

    ZORVANE_INLINE void add(const double* results, std::size_t n, double low, double high,
                            const Bins& bins, Count* counts) {
        const auto size = static_cast<double>(n);
        double block_mean = 0.0;
        double block_squares = 0.0;
        // (The results in units are made as they are summed, twice: cheaper
        // than storing them and loading them again.)
        const auto sum_in = [&](auto in_units) {
            block_mean = sum_of(n, [&](std::size_t i) { return in_units(results[i]); }) / size;
            block_squares = sum_of(n, [&](std::size_t i) {
                const double d = in_units(results[i]) - block_mean;
                return d * d;
            });
        };
        if (inverse_exact) {
            sum_in([this](double x) { return x * inverse_unit; });
        } else {
            sum_in([this](double x) { return x / unit; });
        }
        const double total = count + size;
        const double delta = block_mean - mean;
        mean += delta * (size / total);
        squares += block_squares + (delta * delta) * (count * (size / total));
        count = total;
        extremes(results, n);
        // The bins first, then the increments, whose scattered stores are
        // the one part that stays scalar.
        std::uint64_t in = 0;
        for (std::size_t i = 0; i < n; ++i) {
            in += static_cast<unsigned>(low <= results[i]) &
                  static_cast<unsigned>(results[i] <= high);
        }
        inside += in;
        std::array<std::uint32_t, ROUND> bin;
        for (std::size_t i = 0; i < n; ++i) bin[i] = bins.of(results[i]);
        if (count_mids) {
            for (std::size_t i = 0; i < n; ++i) ++counts[bin[i] / FINE_PER_MID];
        } else {
            for (std::size_t i = 0; i < n; ++i) ++counts[bin[i]];
        }
    }

   private:
    // The smallest and largest result, in four lanes as the sums are, the
    // lanes in pairs. Each lane's extremes are taken over the block's first
    // and second part apart, two chains of comparisons instead of one, and
    // joined as one pass would have them: the later part's extreme replaces
    // the earlier's only where strictly beyond it (a tie keeps the earlier
    // result, -0 or +0 alike).
    ZORVANE_INLINE void extremes(const double* results, std::size_t n) {
        constexpr double INF = std::numeric_limits<double>::infinity();
        const std::size_t middle = n / 8 * 4;  // the second part starts in lane 0 too
        // [0], [1]: the first part's pairs of lanes; [2], [3]: the second's.
        std::array<Pair, 4> least{Pair{smallest, smallest}, Pair{smallest, smallest},
                                  Pair{INF, INF}, Pair{INF, INF}};
        std::array<Pair, 4> most{Pair{largest, largest}, Pair{largest, largest}, Pair{-INF, -INF},
                                 Pair{-INF, -INF}};
        for (std::size_t i = 0; i < middle; i += 4) {
            for (std::size_t k = 0; k < 4; ++k) {
                Pair x;
                std::memcpy(&x, results + (k < 2 ? i : middle + i) + 2 * (k % 2), sizeof x);
                least[k] = lesser(x, least[k]);
                most[k] = greater(x, most[k]);
            }
        }
        std::size_t i = 2 * middle;  // the second part's last (n % 8) results
        for (; i + 4 <= n; i += 4) {
            for (std::size_t k = 2; k < 4; ++k) {
                Pair x;
                std::memcpy(&x, results + i + 2 * (k % 2), sizeof x);
                least[k] = lesser(x, least[k]);
                most[k] = greater(x, most[k]);
            }
        }
        std::array<double, 8> low_lanes;  // the first part's four, then the second's
        std::array<double, 8> high_lanes;
        std::memcpy(low_lanes.data(), least.data(), sizeof low_lanes);
        std::memcpy(high_lanes.data(), most.data(), sizeof high_lanes);
        for (std::size_t lane = 4; i < n; ++i, ++lane) {
            low_lanes[lane] = results[i] < low_lanes[lane] ? results[i] : low_lanes[lane];
            high_lanes[lane] = results[i] > high_lanes[lane] ? results[i] : high_lanes[lane];
        }
        for (std::size_t lane = 0; lane < 4; ++lane) {
            const double low =
                low_lanes[lane + 4] < low_lanes[lane] ? low_lanes[lane + 4] : low_lanes[lane];
            const double high =
                high_lanes[lane + 4] > high_lanes[lane] ? high_lanes[lane + 4] : high_lanes[lane];
            smallest = low < smallest ? low : smallest;
            largest = high > largest ? high : largest;
        }
    }
};

// A run's samples: the row, the values (the toleranced ones listed in
// `varied`), where the figures go. (cppcheck does not see the members read
// in draw_samples<>.)
struct Draw {
    const Formula& row;
    const Values& values;
    // cppcheck-suppress unusedStructMember
    const std::vector<Varied>& varied;
    std::uint64_t samples;
    std::uint64_t seed;
    // cppcheck-suppress unusedStructMember
    double low;  // the window
    // cppcheck-suppress unusedStructMember
    double high;
    // cppcheck-suppress unusedStructMember
    const Bins& bins;
    // cppcheck-suppress unusedStructMember
    Count* counts;
    // cppcheck-suppress unusedStructMember
    double* kept;  // null beyond KEPT_SAMPLES
    // cppcheck-suppress unusedStructMember
    Running& r;
    // cppcheck-suppress unusedStructMember
    std::uint64_t& evaluations;  // of the row, counted as the samples' blocks are evaluated
};

// Samples are drawn a round of the engine at a time (312 outputs: a whole
// number of samples for one to four values): the round's variates, in the
// order the engine's outputs were always taken (sample by sample, value by
// value), and their values; then each sample's result; then the figures.
template <Distribution distribution, std::size_t varied_count>
ZORVANE_INLINE void draw_samples(const Draw& d) {
    // At least one, so that no array is empty and no division is by zero.
    constexpr std::size_t width = std::max<std::size_t>(varied_count, 1);
    static_assert(ROUND % width == 0);
    constexpr std::size_t per_round = ROUND / width;
    // The row's values as columns a round's samples long: a fixed value's
    // column holds it throughout, a toleranced value's is filled each round.
    std::array<std::array<double, per_round>, static_cast<std::size_t>(MAX_VALUES)> column{};
    Columns columns{};
    for (std::size_t i = 0; i < column.size(); ++i) {
        column[i].fill(d.values[i]);
        columns[i] = column[i].data();
    }

    EngineRounds engine(d.seed);  // the uniform variates: a round, all used
    Variates variates(d.seed);  // the normal ones: a round's worth, from as many outputs as needed
    std::array<double, ROUND> z{};
    std::array<double, per_round> own;  // the results, when they are not kept
    for (std::uint64_t done = 0; done < d.samples;) {
        const auto block =
            static_cast<std::size_t>(std::min<std::uint64_t>(per_round, d.samples - done));
        // A round's values: its variates (a round may hold more than a
        // last, short block needs, but the engine is dropped afterwards, so
        // no one sees the difference), sample by sample and value by value,
        // spread over the tolerances, magnitudes whose tolerance reaches
        // 100 % floored at 0.
        if constexpr (varied_count > 0) {
            if constexpr (distribution == Distribution::normal) {
                variates.truncated_normal_thirds(z.data(), ROUND);
            } else {
                engine.next_symmetric(z);
            }
            for (std::size_t v = 0; v < varied_count; ++v) {
                const Varied& varied = d.varied[v];
                double* const values = column[varied.index].data();
                for (std::size_t i = 0; i < per_round; ++i) {
                    values[i] = spread(varied.value, varied.tolerance, z[i * varied_count + v]);
                }
                if (varied.clamped) {
                    for (std::size_t i = 0; i < per_round; ++i)
                        values[i] = floored(values[i], true);
                }
            }
        }
        double* const results = d.kept != nullptr ? d.kept + done : own.data();
        d.row.evaluate_columns(columns, block, results);
        d.evaluations += block;
        done += block;
        d.r.add(results, block, d.low, d.high, d.bins, d.counts);
    }
}

template <Distribution distribution, std::size_t varied_count>
struct DrawSamples {
    const Draw& d;
    ZORVANE_INLINE void operator()() const { draw_samples<distribution, varied_count>(d); }
};
// The normal variates' loop is scalar code, measured slower in the 512-bit
// version than in the 256-bit one.
template <Distribution distribution, std::size_t varied_count>
void draw(const Draw& d) {
    run_widest(DrawSamples<distribution, varied_count>{d},
               distribution == Distribution::normal ? 256 : 512);
}

template <Distribution distribution>
void draw_all(const Draw& d) {
    switch (d.varied.size()) {
        case 0:
            draw<distribution, 0>(d);
            break;
        case 1:
            draw<distribution, 1>(d);
            break;
        case 2:
            draw<distribution, 2>(d);
            break;
        case 3:
            draw<distribution, 3>(d);
            break;
        default:
            draw<distribution, 4>(d);
            break;
    }
}

// The values that vary, those with a tolerance; a magnitude allowed to
// reach 0 is floored there.
std::vector<Varied> varied_values(const Formula& row, const Values& values,
                                  const std::array<double, 4>& tolerances) {
    std::vector<Varied> varied;
    for (std::size_t i = 0; i < static_cast<std::size_t>(row.required_count); ++i) {
        if (tolerances[i] == 0.0) continue;
        const bool magnitude = row.arguments[i].domain == Domain::magnitude;
        varied.push_back({i, values[i], tolerances[i], magnitude && tolerances[i] >= 1.0});
    }
    return varied;
}

// The histogram shown: the fine counts (each `fine_per_count` fine bins)
// gathered into HISTOGRAM_BINS bars, or one where the results do not spread.
void add_histogram(const Bins& bins, const std::vector<Count>& counts, std::size_t fine_per_count,
                   Simulated& s) {
    const std::size_t shown = bins.count == 1 ? 1 : static_cast<std::size_t>(HISTOGRAM_BINS);
    const std::size_t per_shown = bins.count / shown;
    for (std::size_t i = 0; i <= shown; ++i) s.edges.push_back(bins.edge(i * per_shown));
    s.counts.assign(shown, 0);
    for (std::size_t i = 0; i < counts.size(); ++i) {
        s.counts[i * fine_per_count / per_shown] += counts[i];
    }
}

// The yield, the parts per million outside and Cpk, with a window.
void add_yield(const Running& r, std::uint64_t samples, Simulated& s) {
    if (!s.has_window) {
        s.yield = s.ppm = s.cpk = NAN_VALUE;
        return;
    }
    const auto count = static_cast<double>(samples);
    s.yield = static_cast<double>(r.inside) / count;
    s.ppm = static_cast<double>(samples - r.inside) * 1e6 / count;
    s.cpk = s.sd > 0.0 ? std::min(s.mean - s.low, s.high - s.mean) / (3.0 * s.sd) : NAN_VALUE;
    // A spread too narrow for its distance to the edges has no index.
    if (!std::isfinite(s.cpk)) s.cpk = NAN_VALUE;
}

void run_samples(const Formula& row, const Values& values, const std::array<double, 4>& tolerances,
                 const TolerancedCommand& options, Simulated& s) {
    const std::vector<Varied> varied = varied_values(row, values, tolerances);
    const Bins bins(s.min, s.max, FINE_BINS);
    const bool keep = options.samples <= KEPT_SAMPLES;
    const std::size_t fine_per_count = keep ? FINE_PER_MID : 1;
    std::vector<Count> counts((bins.count + fine_per_count - 1) / fine_per_count, 0);
    // Not zeroed: every sample kept is written before it is read.
    std::unique_ptr<double[]> kept;
    if (keep) kept.reset(new double[static_cast<std::size_t>(options.samples)]);
    Running r;
    r.unit = unit_of(s.min, s.max);
    const int exponent = std::ilogb(r.unit);
    r.inverse_unit = std::ldexp(1.0, -exponent);
    r.inverse_exact = exponent >= -1023;
    r.count_mids = keep;
    std::uint64_t evaluations = 0;
    const Draw job{row,           values,     varied, options.samples,
                   options.seed,  s.low,      s.high, bins,
                   counts.data(), kept.get(), r,      evaluations};
    if (options.distribution == Distribution::normal) {
        draw_all<Distribution::normal>(job);
    } else {
        draw_all<Distribution::uniform>(job);
    }
    s.samples = options.samples;
    s.seed = options.seed;
    s.distribution = options.distribution;
    // (At most MAX_SAMPLES, which the count of a whole answer holds.)
    static_assert(MAX_SAMPLES < std::numeric_limits<int>::max() / 2);
    s.evaluations += static_cast<int>(evaluations);
    s.mean = r.mean * r.unit;
    s.sd = options.samples > 1
               ? std::sqrt(r.squares / (static_cast<double>(options.samples) - 1.0)) * r.unit
               : 0.0;
    s.smallest = r.smallest;
    s.largest = r.largest;
    add_histogram(bins, counts, fine_per_count, s);
    s.exact_percentiles = keep;
    if (keep) {
        exact_percentiles(kept.get(), static_cast<std::size_t>(options.samples), counts, bins, s);
    } else {
        histogram_percentiles(counts, bins, s);
    }
    add_yield(r, options.samples, s);
}

}  // namespace

unsigned limit_vector_width(unsigned bits) {
#if ZORVANE_WIDE_VECTORS
    width_allowed.store(bits, std::memory_order_relaxed);
    return widest_vectors();
#else
    static_cast<void>(bits);
    return 0;
#endif
}

Simulated simulate_toleranced(const TolerancedCommand& t) {
    Simulated s;
    const Formula& row = *t.row;
    const Range worst = worst_case_range_of_row(row, t.values, t.tolerances);
    s.formula = t.info;
    s.evaluations = worst.evaluations;
    if (!std::isfinite(worst.min) || !std::isfinite(worst.max)) {
        fail(s,
             "Error: " + std::string(t.info->label) +
                 " is not finite for every value within the tolerances",
             {"narrow the tolerances so that no value reaches a division by zero"});
        return s;
    }
    s.value = row.evaluate(t.values).value;
    ++s.evaluations;
    s.min = worst.min;
    s.max = worst.max;
    s.has_window = t.has_window;
    s.low = t.low;
    s.high = t.high;
    s.low_margin = s.min - s.low;
    s.high_margin = s.high - s.max;
    s.inside = s.has_window && s.low_margin >= 0.0 && s.high_margin >= 0.0;
    find_contributions(row, t.values, t.tolerances, t.distribution, s);
    if (t.samples > 0) run_samples(row, t.values, t.tolerances, t, s);
    // Figures that are no number (a sample where the formula is undefined, a
    // spread beyond the doubles) are no answer to print.
    const bool figures_finite =
        std::isfinite(s.value) &&
        (s.samples == 0 || (std::isfinite(s.mean) && std::isfinite(s.sd) &&
                            std::all_of(std::begin(s.percentiles), std::end(s.percentiles),
                                        [](double p) { return std::isfinite(p); }))) &&
        std::all_of(s.contributions.begin(), s.contributions.end(),
                    [](const auto& c) { return std::isfinite(c.share); });
    if (!figures_finite) {
        fail(s,
             "Error: " + std::string(t.info->label) +
                 " has no statistics: some values within the tolerances give no number",
             {"narrow the tolerances so that every value stays within what the formula takes"});
        return s;
    }

    s.line = t.line;
    s.engineering = t.engineering;
    Lines lines{AnswerLines(s.line, s.engineering), row, t.info->unit};
    lines.text(" (");
    lines.span(s.min, s.max);
    lines.text(")");
    if (s.has_window) add_window(s, lines);
    if (s.samples > 0) add_samples(s, lines);
    add_contributions(s, lines);
    s.error = false;
    if (worst.guarded) {
        s.hints.push_back("a zero guard answers 0 for some values within the tolerances");
    }
    return s;
}

}  // namespace zorvane::host
