// Statistics against expectations the code does not compute itself: the
// closed forms of sums of uniform values, the reference model's numerical
// integration of the voltage divider, the normal distribution's function
// (std::erf), and the shared statistics vectors every platform checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "statistics.h"
#include "support/counting_row.h"
#include "support/statistics_vectors.h"
#include "variates.h"
#include "zorvane_host/host.h"

namespace {

namespace host = zorvane::host;

// The settings --mc, --seed and --distribution give.
host::QuestionSettings run(std::uint64_t samples, std::uint64_t seed = host::DEFAULT_SEED,
                           host::Distribution distribution = host::Distribution::uniform) {
    host::QuestionSettings settings;
    settings.samples = samples;
    settings.seed = seed;
    settings.distribution = distribution;
    return settings;
}

// The Kolmogorov-Smirnov distance between `draws` and the distribution
// function `cdf`.
template <typename Cdf>
double ks_distance(std::vector<double> draws, Cdf cdf) {
    std::sort(draws.begin(), draws.end());
    const auto n = static_cast<double>(draws.size());
    double distance = 0.0;
    for (std::size_t i = 0; i < draws.size(); ++i) {
        const double f = cdf(draws[i]);
        distance = std::max(
            {distance, f - static_cast<double>(i) / n, static_cast<double>(i + 1) / n - f});
    }
    return distance;
}

// Below this, sqrt(n) * D says the draws follow the distribution (the
// 0.1 % point of Kolmogorov's distribution is 1.95).
constexpr double KS_LIMIT = 1.95;

const double TRUNCATED_MASS = std::erf(3.0 / std::sqrt(2.0));  // P(|z| <= 3)

double truncated_normal_cdf(double z) {
    return (std::erf(z / std::sqrt(2.0)) + TRUNCATED_MASS) / (2.0 * TRUNCATED_MASS);
}

TEST(Variates, OwnExponentialIsWithinFourUlpsOfLibm) {
    double worst = 0.0;
    for (int k = 0; k <= 45000; ++k) {
        const double t = k * 1e-4;
        const double expected = std::exp(-t);
        worst = std::max(worst, std::abs(host::exp_minus(t) - expected) / expected);
    }
    EXPECT_LT(worst, 4 * 0x1p-53);
}

// The wedge's lines take a decision only where exp_minus would take the same:
// points all over each wedge, and heights within 1e-3 down to 1e-16 of the
// curve on either side, where a line that crossed it would decide wrongly.
TEST(Variates, WedgeDecisionsAreTheExponentialsAtEveryDistance) {
    std::mt19937_64 random(20261208);
    const auto unit = [&] { return static_cast<double>(random() >> 11) * 0x1p-53; };
    for (std::size_t layer = 1; layer + 1 < host::LAYER_END.size(); ++layer) {
        const double left = host::LAYER_END[layer + 1];
        const double right = std::min(host::LAYER_END[layer], 3.0);
        if (left >= right) continue;  // a wedge wholly beyond the cut at 3
        for (int i = 0; i < 2000; ++i) {
            const double x = left + unit() * (right - left);
            const double curve = host::exp_minus(0.5 * (x * x));
            double height = host::LAYER_DENSITY[layer] +
                            unit() * (host::LAYER_DENSITY[layer + 1] - host::LAYER_DENSITY[layer]);
            if (i % 2 == 1) {
                const double offset = std::pow(10.0, -3.0 - 13.0 * unit());
                height = curve * (i % 4 == 1 ? 1.0 + offset : 1.0 - offset);
            }
            ASSERT_EQ(host::under_density(layer, x, height), height < curve)
                << "layer " << layer << ", x " << x << ", height " << height;
        }
    }
}

TEST(Variates, UniformAndTruncatedNormalFollowTheirDistributions) {
    constexpr std::size_t N = 500'000;
    host::Variates variates(20261207);
    std::vector<double> uniform(N);
    std::vector<double> normal(N);
    for (double& u : uniform) u = variates.symmetric();
    for (double& z : normal) z = variates.truncated_normal();
    const double root_n = std::sqrt(static_cast<double>(N));
    EXPECT_LT(root_n * ks_distance(uniform, [](double x) { return (x + 1.0) / 2.0; }), KS_LIMIT);
    EXPECT_LT(root_n * ks_distance(normal, truncated_normal_cdf), KS_LIMIT);
    EXPECT_GE(*std::min_element(uniform.begin(), uniform.end()), -1.0);
    EXPECT_LT(*std::max_element(uniform.begin(), uniform.end()), 1.0);
    EXPECT_GE(*std::min_element(normal.begin(), normal.end()), -3.0);
    EXPECT_LE(*std::max_element(normal.begin(), normal.end()), 3.0);
}

// The engine is the standard's: its 10000th output from the default seed is
// fixed by the standard, and the uniform variate is its top 53 bits.
TEST(Variates, TheEngineIsTheStandardsAndTheUniformItsTopBits) {
    std::mt19937_64 engine;
    engine.discard(9999);
    EXPECT_EQ(engine(), 9981545732273789042ULL);
    host::Variates variates(5489);  // the default seed
    for (int i = 0; i < 9999; ++i) variates.uniform();
    EXPECT_EQ(variates.uniform(), static_cast<double>(9981545732273789042ULL >> 11) * 0x1p-53);
}

// The rounds of the engine are std::mt19937_64's outputs, in order, for
// seeds that exercise every bit of the seeding, made whole and whole into
// uniform variates; and the block fill of normal variates gives those one
// call at a time gives.
TEST(Variates, EngineRoundsAreTheStandardEnginesOutputs) {
    std::mt19937_64 seeds(20261207);
    for (int trial = 0; trial < 40; ++trial) {
        const std::uint64_t seed = trial == 0 ? 0 : trial == 1 ? ~std::uint64_t{0} : seeds();
        std::mt19937_64 standard(seed);
        host::EngineRounds rounds(seed);
        host::EngineRounds whole(seed);
        host::EngineRounds::Round round{};
        std::array<double, host::EngineRounds::SIZE> symmetric{};
        for (int made = 0; made < 3; ++made) {
            rounds.next(round);
            whole.next_symmetric(symmetric);
            for (std::size_t k = 0; k < round.size(); ++k) {
                const std::uint64_t bits = standard();
                ASSERT_EQ(round[k], bits) << "seed " << seed;
                // Variates::symmetric's arithmetic, written out.
                const double expected = 2.0 * (static_cast<double>(bits >> 11) * 0x1p-53) - 1.0;
                ASSERT_EQ(symmetric[k], expected) << "seed " << seed;
            }
        }
    }
}

TEST(Variates, TheBlockFillIsTheSingleDraws) {
    host::Variates one(99);
    host::Variates block(99);
    std::vector<double> filled(1000);
    for (const std::size_t count : {1u, 311u, 312u, 313u, 1000u, 7u}) {
        block.truncated_normal_thirds(filled.data(), count);
        for (std::size_t i = 0; i < count; ++i) {
            ASSERT_EQ(filled[i], one.truncated_normal() / 3.0);
        }
    }
}

// resistors_series r1±a r2±b is r1 + r2 + a*u1 + b*u2 with independent
// uniforms: mean r1 + r2, variance (a² + b²) / 3, fourth central moment
// (a⁴ + b⁴) / 5 + 6 a² b² / 9, and each value's share a² / (a² + b²).
TEST(Statistics, ASumOfUniformValuesHasItsClosedFormMomentsAndShares) {
    constexpr std::uint64_t N = 1'000'000;
    const double a = 10.0;  // 1000 ± 1 %
    const double b = 40.0;  // 2000 ± 2 %
    const host::Simulated s = host::simulate(
        "resistors_series 1000\xC2\xB1"
        "1% 2000\xC2\xB1"
        "2%",
        run(N));
    ASSERT_FALSE(s.error) << s.line;
    const double variance = (a * a + b * b) / 3.0;
    const double sigma = std::sqrt(variance);
    const double mu4 =
        (std::pow(a, 4) + std::pow(b, 4)) / 5.0 + 6.0 * (a * a / 3.0) * (b * b / 3.0);
    const double se_mean = sigma / std::sqrt(static_cast<double>(N));
    const double se_sd =
        std::sqrt((mu4 - variance * variance) / static_cast<double>(N)) / (2 * sigma);
    EXPECT_NEAR(s.mean, 3000.0, 4 * se_mean);
    EXPECT_NEAR(s.sd, sigma, 4 * se_sd);
    EXPECT_GE(s.smallest, 2950.0);
    EXPECT_LE(s.largest, 3050.0);
    EXPECT_DOUBLE_EQ(s.min, 2950.0);
    EXPECT_DOUBLE_EQ(s.max, 3050.0);
    ASSERT_EQ(s.contributions.size(), 2u);
    EXPECT_EQ(s.contributions[0].name, "r2");
    EXPECT_NEAR(s.contributions[0].share, b * b / (a * a + b * b), 1e-12);
    EXPECT_NEAR(s.contributions[1].share, a * a / (a * a + b * b), 1e-12);
    // The sum's density is a trapezoid: flat over |x - 3000| <= b - a,
    // falling linearly to 0 at b + a. Its percentiles, within their
    // standard error sqrt(p (1 - p) / N) / density.
    const auto quantile = [&](double p) {
        const double corner = a / (2 * b);  // P(below the flat part)
        if (p < corner) return 3000.0 - (a + b) + std::sqrt(8 * a * b * p);
        if (p > 1 - corner) return 3000.0 + (a + b) - std::sqrt(8 * a * b * (1 - p));
        return 3000.0 - (b - a) + (p - corner) * 2 * b;
    };
    const auto density = [&](double x) {
        const double d = std::abs(x - 3000.0);
        return d <= b - a ? 1 / (2 * b) : (a + b - d) / (4 * a * b);
    };
    for (std::size_t i = 0; i < host::PERCENTILES.size(); ++i) {
        const double p = host::PERCENTILES[i] / 100.0;
        const double expected = quantile(p);
        const double se = std::sqrt(p * (1 - p) / static_cast<double>(N)) / density(expected);
        EXPECT_NEAR(s.percentiles[i], expected, 4 * se + 1e-9) << host::PERCENTILES[i];
    }
    EXPECT_TRUE(s.exact_percentiles);
    std::uint64_t counted = 0;
    for (const std::uint64_t count : s.counts) counted += count;
    EXPECT_EQ(counted, N);
    EXPECT_EQ(s.edges.size(), s.counts.size() + 1);
}

// Beyond the samples kept, the percentiles come from a fine histogram:
// within one of its bins, and their standard error, of the closed form; and
// exactly as documented, of the same draws binned here apart: the sample of
// rank ceil(p N) is the k-th of the n in its bin, read as lower + width k / n.
// The answer says they are not exact, in its line and its JSON.
TEST(Statistics, BeyondTheKeptSamplesPercentilesAreWithinABin) {
    constexpr std::uint64_t N = 2'000'000;
    constexpr std::size_t FINE = 65600;
    const host::Simulated s = host::simulate(
        "resistors_series 1000\xC2\xB1"
        "1% 0",
        run(N, 3));
    ASSERT_FALSE(s.error) << s.line;
    EXPECT_FALSE(s.exact_percentiles);
    EXPECT_NE(s.line.find("; percentiles (within a bin) "), std::string::npos) << s.line;
    EXPECT_NE(host::answer_json(s).find("\"exactPercentiles\":false"), std::string::npos);
    const double bin = 20.0 / 65600.0;
    for (std::size_t i = 0; i < host::PERCENTILES.size(); ++i) {
        const double p = host::PERCENTILES[i] / 100.0;
        const double se = std::sqrt(p * (1 - p) / static_cast<double>(N)) * 20.0;
        EXPECT_NEAR(s.percentiles[i], 990.0 + 20.0 * p, 4 * se + bin) << host::PERCENTILES[i];
    }
    // The draws: the engine's outputs in order, one per sample, as uniform
    // variates on [-1, 1) (TheEngineIsTheStandardsAndTheUniformItsTopBits).
    std::mt19937_64 engine(3);
    std::vector<std::uint32_t> counts(FINE, 0);
    const double scale = static_cast<double>(FINE) / (s.max - s.min);
    for (std::uint64_t n = 0; n < N; ++n) {
        const double z = 2.0 * (static_cast<double>(engine() >> 11) * 0x1p-53) - 1.0;
        const double x = 1000.0 * (1.0 + 0.01 * z);
        const double place = std::floor((x - s.min) * scale);
        ++counts[static_cast<std::size_t>(std::clamp(place, 0.0, static_cast<double>(FINE - 1)))];
    }
    const auto edge = [&](std::size_t k) {
        return s.min + (s.max - s.min) * (static_cast<double>(k) / static_cast<double>(FINE));
    };
    for (std::size_t i = 0; i < host::PERCENTILES.size(); ++i) {
        const auto rank = std::max<std::uint64_t>(
            1, static_cast<std::uint64_t>(
                   std::ceil(host::PERCENTILES[i] / 100.0 * static_cast<double>(N))));
        std::size_t k = 0;
        std::uint64_t before = 0;
        while (before + counts[k] < rank) before += counts[k++];
        const double expected = edge(k) + (edge(k + 1) - edge(k)) *
                                              static_cast<double>(rank - before) /
                                              static_cast<double>(counts[k]);
        EXPECT_NEAR(s.percentiles[i], expected, 1e-9) << host::PERCENTILES[i];
    }
}

// A sample exactly on a window's edge is inside it (the edges belong to
// the window), and a negative reading ± a tolerance is a window from its
// more negative end: every sample of these runs is inside.
TEST(Statistics, SamplesOnAnEdgeAndNegativeWindowsAreInside) {
    const struct {
        const char* command;
        double low, high;
    } cases[] = {
        {"power_vi 2 3\xC2\xB1"
         "0% = 6..7",
         6.0, 7.0},  // every result 6 exactly
        {"power_vi 2 3\xC2\xB1"
         "0% = 5..6",
         5.0, 6.0},
        {"voltage_divider -12\xC2\xB1"
         "1% 10k 4.7k = -3.8\xC2\xB1"
         "5%",
         -3.8 * 1.05, -3.8 * 0.95},  // -12 * 4.7 / 14.7 = -3.84 ± 1 %
    };
    for (const auto& c : cases) {
        const host::Simulated s = host::simulate(c.command, run(1000));
        ASSERT_FALSE(s.error) << c.command << ": " << s.line;
        EXPECT_NEAR(s.low, c.low, 1e-12) << c.command;
        EXPECT_NEAR(s.high, c.high, 1e-12) << c.command;
        EXPECT_TRUE(s.inside) << c.command;
        EXPECT_EQ(s.yield, 1.0) << c.command;
        EXPECT_EQ(s.ppm, 0.0) << c.command;
        EXPECT_NE(s.line.find("yield 100.0000% (0 ppm outside)"), std::string::npos) << s.line;
    }
}

// Linear in each value with Gaussian tolerances: the shares are the same
// as with uniform ones (each variance scales alike), and so is the mean.
TEST(Statistics, NormalTolerancesScaleEachVarianceAlike) {
    const host::Simulated s = host::simulate(
        "resistors_series 1000\xC2\xB1"
        "3% 2000\xC2\xB1"
        "3%",
        run(200'000, 9, host::Distribution::normal));
    ASSERT_FALSE(s.error) << s.line;
    EXPECT_NEAR(s.contributions[0].share, 0.8, 1e-9);
    // sd: each value's tolerance is 3 sigma of a normal cut off at 3 sigma.
    const double phi3 = std::exp(-4.5) / std::sqrt(2 * std::acos(-1.0));
    const double variance = (1 - 6 * phi3 / TRUNCATED_MASS) * (100.0 + 400.0);
    EXPECT_NEAR(s.sd, std::sqrt(variance), 4 * std::sqrt(variance / (2 * 200'000.0)));
    EXPECT_NEAR(s.mean, 3000.0, 4 * std::sqrt(variance / 200'000.0));
}

// Scaling every value by a power of two scales each variance exactly alike,
// so the shares are the same at any size, up to results near the largest
// doubles (whose squares the doubles do not hold).
TEST(Statistics, SharesAreTheSameAtEveryScale) {
    const auto shares = [](int exponent) {
        std::ostringstream command;
        command.precision(17);
        command << "resistors_series " << std::ldexp(1000.0, exponent) << "\xC2\xB1"
                << "1% " << std::ldexp(2000.0, exponent) << "\xC2\xB1"
                << "2%";
        const host::Simulated s = host::simulate(command.str(), run(16));
        EXPECT_FALSE(s.error) << command.str() << ": " << s.line;
        std::vector<double> out;
        for (const host::Contribution& c : s.contributions) out.push_back(c.share);
        return out;
    };
    const std::vector<double> unscaled = shares(0);
    ASSERT_EQ(unscaled.size(), 2u);
    EXPECT_NEAR(unscaled[0], 16.0 / 17.0, 1e-12);
    std::mt19937_64 engine(20261207);
    std::uniform_int_distribution<int> exponent(-1000, 1010);
    for (int exponent_drawn : {-1000, 1010, exponent(engine), exponent(engine), exponent(engine)}) {
        EXPECT_EQ(shares(exponent_drawn), unscaled) << "2^" << exponent_drawn;
    }
}

// The histogram's drawing: a bar per bin that holds samples, standing on
// the worst case's axis, as tall as its count over the tallest's; the
// window's edges where they fall within the worst case, its ends included;
// nothing without a run.
TEST(Statistics, TheHistogramsDrawingHasItsBarsAndTheWindowsEdgesWithin) {
    const auto occurrences = [](const std::string& text, const std::string& part) {
        std::size_t n = 0;
        for (std::size_t at = text.find(part); at != std::string::npos;
             at = text.find(part, at + 1)) {
            ++n;
        }
        return n;
    };
    const auto group = [](const std::string& svg, const std::string& name) {
        const std::size_t at = svg.find("<g class=\"" + name + "\"");
        return at == std::string::npos ? std::string() : svg.substr(at, svg.find("</g>", at) - at);
    };
    const std::string divider =
        "voltage_divider 12\xC2\xB1"
        "5% 10k\xC2\xB1"
        "1% 4k7 = ";
    const std::string sum =
        "resistors_series 1000\xC2\xB1"
        "1% 2000\xC2\xB1"
        "2% = ";
    // Both edges within, one, none (the window above the worst case); both
    // on the worst case's ends (2950 .. 3050).
    const std::pair<std::string, std::size_t> windows[] = {{divider + "3.8..3.9", 2},
                                                           {divider + "3.8..5", 1},
                                                           {divider + "5..6", 0},
                                                           {sum + "2950..3050", 2}};
    for (const auto& [command, edges] : windows) {
        const host::Simulated s = host::simulate(command, run(5000));
        ASSERT_FALSE(s.error) << s.line;
        const std::string svg = host::histogram_svg(s);
        EXPECT_TRUE(svg.starts_with("<svg ") && svg.ends_with("</svg>")) << svg;
        EXPECT_NE(svg.find("<title>Histogram of 5000 results in 40 bins over the worst case "),
                  std::string::npos);
        EXPECT_EQ(occurrences(group(svg, "window"), "<line "), edges) << command;
        double axis = 0.0;
        ASSERT_EQ(std::sscanf(group(svg, "worst").c_str(),
                              "<g class=\"worst\" stroke=\"currentColor\"><line x1=\"%*f\" "
                              "x2=\"%*f\" y1=\"%lf\"",
                              &axis),
                  1);
        struct Bar {
            double x, y, height;
        };
        std::vector<Bar> drawn;
        const std::string bars = group(svg, "bars");
        for (std::size_t at = bars.find("<rect "); at != std::string::npos;
             at = bars.find("<rect ", at + 1)) {
            Bar bar{};
            ASSERT_EQ(std::sscanf(bars.c_str() + at,
                                  "<rect x=\"%lf\" y=\"%lf\" width=\"%*f\" height=\"%lf\"", &bar.x,
                                  &bar.y, &bar.height),
                      3)
                << bars;
            drawn.push_back(bar);
        }
        std::vector<std::size_t> filled;
        for (std::size_t bin = 0; bin < s.counts.size(); ++bin) {
            if (s.counts[bin] > 0) filled.push_back(bin);
        }
        ASSERT_EQ(drawn.size(), filled.size()) << command;
        const std::uint64_t tallest = *std::max_element(s.counts.begin(), s.counts.end());
        double full = 0.0;
        for (const Bar& bar : drawn) full = std::max(full, bar.height);
        const double width = 360.0 / static_cast<double>(s.counts.size());
        for (std::size_t k = 0; k < drawn.size(); ++k) {
            const std::size_t bin = filled[k];
            EXPECT_NEAR(drawn[k].x, static_cast<double>(bin) * width, 0.005) << bin;
            EXPECT_NEAR(drawn[k].y + drawn[k].height, axis, 1.0) << "bin " << bin << " hangs";
            // As tall as its count over the tallest, and at least 1/64 of it.
            EXPECT_NEAR(drawn[k].height / full,
                        std::max(static_cast<double>(s.counts[bin]) / static_cast<double>(tallest),
                                 1.0 / 64.0),
                        1e-4)
                << bin;
        }
    }
    // Whatever text a unit brings stays text in the drawing: the five
    // characters XML reserves are escaped in the title and the labels.
    host::Simulated odd = host::simulate(divider + "3.8..3.9", run(500));
    host::FormulaInfo marked = *odd.formula;
    marked.unit = "<&>\"'";
    odd.formula = &marked;
    const std::string drawn = host::histogram_svg(odd);
    EXPECT_EQ(drawn.find("<&>"), std::string::npos);
    EXPECT_NE(drawn.find(" &lt;&amp;&gt;&quot;&apos;"), std::string::npos) << drawn;
    EXPECT_EQ(host::histogram_svg(host::simulate(divider + "3.8..3.9")), "");  // no samples
    EXPECT_EQ(host::histogram_svg(host::simulate(divider + "3.9..3.8", run(100))), "");
}

// The divider's mean, sd and yield, integrated by the reference model.
TEST(Statistics, DividerMatchesTheReferenceModelsIntegration) {
    std::ifstream file(ZORVANE_DIVIDER_VECTORS);
    ASSERT_TRUE(file) << ZORVANE_DIVIDER_VECTORS;
    int checked = 0;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string vin, tv, r1, t1, r2, t2, low, high, spread;
        double mean = 0, sd = 0, yield = 0;
        fields >> vin >> tv >> r1 >> t1 >> r2 >> t2 >> low >> high >> spread >> mean >> sd >> yield;
        const std::string command = "voltage_divider " + vin + "\xC2\xB1" + tv + "% " + r1 +
                                    "\xC2\xB1" + t1 + "% " + r2 + "\xC2\xB1" + t2 + "% = " + low +
                                    ".." + high;
        constexpr std::uint64_t N = 1'000'000;
        const host::Simulated s = host::simulate(
            command,
            run(N, 11,
                spread == "normal" ? host::Distribution::normal : host::Distribution::uniform));
        ASSERT_FALSE(s.error) << command << ": " << s.line;
        const double n = static_cast<double>(N);
        EXPECT_NEAR(s.mean, mean, 4 * sd / std::sqrt(n)) << command;
        EXPECT_NEAR(s.sd, sd, 4 * sd / std::sqrt(n)) << command;  // (kurtosis below 3)
        EXPECT_NEAR(s.yield, yield, 4 * std::sqrt(yield * (1 - yield) / n) + 2e-5) << command;
        EXPECT_NEAR(s.ppm, (1 - s.yield) * 1e6, 1e-6) << command;
        EXPECT_DOUBLE_EQ(s.cpk, std::min(s.mean - s.low, s.high - s.mean) / (3 * s.sd));
        ++checked;
    }
    EXPECT_GE(checked, 4);
}

// The verdict against the worst case: margins to each edge, by hand.
TEST(Statistics, TheWindowsVerdictMeasuresBothEdges) {
    struct Case {
        const char* window;
        double low, high;
        bool inside;
    };
    // resistors_series 1000±1% 2000±2%: 2950 .. 3050.
    const Case cases[] = {
        {"2900..3100", 2900, 3100, true},
        {"3000\xC2\xB1"
         "2%",
         2940, 3060, true},
        {"3000+-1%", 2970, 3030, false},
        {"2950..3050", 2950, 3050, true},
        {"3k..3.1k", 3000, 3100, false},
        {"3kohm\xC2\xB1"
         "10%",
         2700, 3300, true},
    };
    for (const Case& c : cases) {
        const std::string command = std::string(
                                        "resistors_series 1000\xC2\xB1"
                                        "1% 2000\xC2\xB1"
                                        "2% = ") +
                                    c.window;
        ASSERT_TRUE(host::is_statistics_question(command, {})) << command;
        const host::Simulated s = host::simulate(command);
        ASSERT_FALSE(s.error) << command << ": " << s.line;
        EXPECT_NEAR(s.low, c.low, 1e-9) << command;
        EXPECT_NEAR(s.high, c.high, 1e-9) << command;
        EXPECT_EQ(s.inside, c.inside) << command;
        EXPECT_NEAR(s.low_margin, 2950 - c.low, 1e-9) << command;
        EXPECT_NEAR(s.high_margin, c.high - 3050, 1e-9) << command;
        EXPECT_EQ(s.samples, 0u);
        EXPECT_NE(s.line.find(c.inside ? "worst case inside" : "worst case outside"),
                  std::string::npos)
            << s.line;
        // ask() gives the same answer.
        EXPECT_EQ(host::ask(command).line, s.line);
    }
}

// One reading of a question: the statistics' options written in a command
// win over those beside it, each option apart; the other questions leave
// them be, so one command line serves a batch of every kind.
TEST(Statistics, OptionsInTheCommandWinOverThoseBesideIt) {
    const std::string divider =
        "voltage_divider 12\xC2\xB1"
        "5% 10k\xC2\xB1"
        "1% 4k7\xC2\xB1"
        "1% = 3.7..4.1";
    const std::string written = host::simulate("--mc 300 --seed 7 " + divider, run(200, 8)).line;
    EXPECT_EQ(written, host::simulate(divider, run(300, 7)).line);
    EXPECT_NE(written, host::simulate(divider, run(300, 8)).line);
    // The distribution beside, the samples written.
    const host::Simulated normal = host::simulate(
        "--mc=250 " + divider, run(100, host::DEFAULT_SEED, host::Distribution::normal));
    EXPECT_EQ(normal.samples, 250u);
    EXPECT_EQ(normal.distribution, host::Distribution::normal);
    EXPECT_EQ(
        host::ask("--distribution uniform " + divider, run(250, 1, host::Distribution::normal))
            .line,
        host::simulate(divider, run(250)).line);
    // Samples beside a range make it a run; beside a solution, a pair or a
    // forward command they change nothing.
    EXPECT_TRUE(
        host::is_statistics_question("voltage_divider 12 10k\xC2\xB1"
                                     "1% 4k7",
                                     run(10)));
    EXPECT_FALSE(
        host::is_statistics_question("voltage_divider 12 10k\xC2\xB1"
                                     "1% 4k7",
                                     {}));
    for (const char* command :
         {"voltage_divider 12 10k ? = 3.3", "power_vi 12 0.5", "--seed 3 power_vi 12 0.5"}) {
        EXPECT_FALSE(host::is_statistics_question(command, run(10))) << command;
        const host::Reply reply = host::ask(command, run(10, 3, host::Distribution::normal));
        EXPECT_FALSE(reply.error) << command << ": " << reply.line;
        EXPECT_EQ(reply.line, host::ask(command, host::QuestionSettings{}).line) << command;
    }
}

TEST(Statistics, BadInputIsOneClearErrorLine) {
    const std::string divider =
        "voltage_divider 12\xC2\xB1"
        "5% 10k\xC2\xB1"
        "1% 4k7";
    const std::pair<std::string, std::string> cases[] = {
        {divider + " = 3.4..3.2", "Error: The window 3.4..3.2 is empty"},
        // A value written ? and a window: a design, which needs a series.
        {"voltage_divider 12 10k ? = 3.2..3.4",
         "Error: No series for the resistors: name one (R=E24)"},
        {"voltage_divider 12 10k 4k7 = 3.2..3.4",
         "Error: A window after '=' needs values with tolerances"},
        {divider + " = 3.2..x", "Error: Invalid number '3.2..x'"},
        {divider + " = 3.3\xC2\xB1-3%", "Error: Invalid number '3.3\xC2\xB1-3%'"},
        {divider + " = 3.3\xC2\xB1"
                   "3",
         "Error: Invalid number '3.3\xC2\xB1"
         "3'"},
        {"ohms_current 12 10\xC2\xB1"
         "100% = 1..2",
         "Error: Current is not finite for every value within the tolerances"},
    };
    for (const auto& [command, line] : cases) {
        const host::Reply reply = host::ask(command);
        EXPECT_TRUE(reply.error) << command;
        EXPECT_EQ(reply.line, line) << command;
        EXPECT_EQ(reply.engineering, line) << command;
    }
    // Through the statistics' own entry, with samples too.
    EXPECT_EQ(host::simulate("voltage_divider 12 10k 4k7", run(100)).line,
              "Error: No value carries a tolerance");
    // Settings made in code are held to the grammar's limit too.
    EXPECT_EQ(host::simulate(divider, run(host::MAX_SAMPLES + 1)).line,
              "Error: Invalid number of samples '100000001' for '--mc'");
    EXPECT_TRUE(host::simulate(divider).error);  // neither window nor samples
    // A value written ? with a window is a design's question, not statistics'.
    EXPECT_EQ(host::simulate("voltage_divider 12 10k ? = 3.2..3.4", run(100)).line,
              "Error: A window after '=' goes with tolerances, not with a value written ?");
    // The options as the grammar reads them, written in the command or beside it.
    host::QuestionSettings read;
    for (const char* text : {"0", "-5", "1e12", "1.5", "abc", "", "100000001", "nan", "0x10"}) {
        EXPECT_EQ(host::set_question_option("--mc", text, read),
                  "Error: Invalid number of samples '" + std::string(text) + "' for '--mc'");
        EXPECT_EQ(host::ask("--mc=" + std::string(text) + " " + divider).line,
                  "Error: Invalid number of samples '" + std::string(text) + "' for '--mc'")
            << text;
    }
    EXPECT_EQ(host::set_question_option("--mc", "1e6", read), "");
    EXPECT_EQ(read.samples, 1'000'000u);
    EXPECT_EQ(host::set_question_option("--mc", "100000000", read), "");
    EXPECT_EQ(read.samples, host::MAX_SAMPLES);
    EXPECT_EQ(host::set_question_option("--seed", "18446744073709551615", read), "");
    EXPECT_EQ(read.seed, UINT64_MAX);
    for (const char* text : {"18446744073709551616", "-1", "1e3", "", " 1", "+1"}) {
        EXPECT_FALSE(host::set_question_option("--seed", text, read).empty()) << text;
    }
    EXPECT_EQ(host::set_question_option("--distribution", "weird", read),
              "Error: Invalid distribution 'weird' for '--distribution'");
}

// The same seed gives the same bytes; another seed other samples.
TEST(Statistics, TheSameSeedGivesTheSameAnswer) {
    const std::string command =
        "voltage_divider 12\xC2\xB1"
        "5% 10k\xC2\xB1"
        "1% 4k7\xC2\xB1"
        "1% = 3.7..4.1";
    for (const host::Distribution d : {host::Distribution::uniform, host::Distribution::normal}) {
        const std::string first = host::json_answer(command, run(5000, 42, d)).json;
        EXPECT_EQ(host::json_answer(command, run(5000, 42, d)).json, first);
        EXPECT_NE(host::json_answer(command, run(5000, 43, d)).json, first);
    }
}

// The question replies as the JavaScript module's evaluate() writes them,
// and the statistics answer's fields, as text: the figures worked out by
// hand (the worst case and window of 1000±1% + 2000±2%), the layout as the
// schema documents it (tests/cli/test_json.py validates every kind).
TEST(Statistics, AnswersAsJsonCarryTheirKindAndFigures) {
    EXPECT_EQ(host::answer_json(host::ask("voltage_divider 12 10k ? = 3.3")),
              "{\"kind\":\"answer\",\"error\":false,\"guarded\":false,\"line\":\"r2 = "
              "3793.103448275862 \u03a9\",\"eng\":\"r2 = 3.7931 "
              "k\u03a9\",\"note\":\"\",\"lineNote\":\"\","
              "\"hints\":[]}");
    const std::string error = host::answer_json(host::ask("voltage_divider 12 10k ? = 3.4..3.2"));
    EXPECT_TRUE(error.starts_with("{\"kind\":\"error\",\"error\":true,")) << error;
    const std::string json = host::json_answer(
                                 "resistors_series 1000\xC2\xB1"
                                 "1% 2000\xC2\xB1"
                                 "2% = 2900..3100",
                                 run(10, 5))
                                 .json;
    for (const char* field :
         {"\"kind\":\"statistics\"", "\"worst\":{\"min\":2950.0,\"max\":3050.0}",
          "\"window\":{\"low\":2900.0,\"high\":3100.0,\"inside\":true,\"lowMargin\":50.0,"
          "\"highMargin\":50.0}",
          "\"samples\":10,\"seed\":\"5\",\"distribution\":\"uniform\"", "\"yield\":1.0,\"ppm\":0.0",
          "\"percent\":0.135", "\"exactPercentiles\":true", "\"histogram\":{\"edges\":[2950.0,"}) {
        EXPECT_NE(json.find(field), std::string::npos) << field << " in " << json;
    }
    // Without a window: no yield, ppm or Cpk (null), and no samples without --mc.
    const std::string no_window = host::json_answer(
                                      "resistors_series 1000\xC2\xB1"
                                      "1% 2000",
                                      run(10))
                                      .json;
    EXPECT_NE(no_window.find("\"window\":null"), std::string::npos) << no_window;
    EXPECT_NE(no_window.find("\"yield\":null,\"ppm\":null,\"cpk\":null"), std::string::npos);
}

// The samples' loops built for wider vectors (where the build and the
// processor have them) give the answers of the baseline version bit for bit:
// rows of one to four toleranced values (the first ones or not, a magnitude
// floored at 0, a window), both distributions, sample counts and seeds drawn
// from a fixed seed, around a round's and (for three and four values) beyond
// the kept samples.
TEST(Statistics, EveryVectorWidthGivesTheSameAnswers) {
    const std::array<const char*, 6> commands = {
        "db_to_power_ratio 20\xC2\xB1"
        "5%",
        "voltage_divider 12\xC2\xB1"
        "5% 10k 4k7\xC2\xB1"
        "1% = 3.3\xC2\xB1"
        "3%",
        "resistors_parallel 1k\xC2\xB1"
        "120% 2k\xC2\xB1"
        "50%",
        "voltage_divider 12\xC2\xB1"
        "5% 10k\xC2\xB1"
        "1% 4k7\xC2\xB1"
        "1% = 3.7..4.1",
        "impedance_rlc_series 10\xC2\xB1"
        "5% 5k\xC2\xB1"
        "20% 1m\xC2\xB1"
        "10% 1u\xC2\xB1"
        "10%",
        "power_vi 12 0.5\xC2\xB1"
        "10%"};
    std::mt19937_64 pick(20261208);
    std::vector<std::pair<std::string, host::QuestionSettings>> runs;
    for (const char* command : commands) {
        for (const auto d : {host::Distribution::uniform, host::Distribution::normal}) {
            for (int trial = 0; trial < 3; ++trial) {
                runs.emplace_back(command, run(1 + pick() % 2000, pick(), d));
            }
            // Beyond the kept samples (over a million each) for three and
            // four values only: each run costs seconds under the sanitizers
            // and valgrind.
            if (command == commands[3] || command == commands[4]) {
                runs.emplace_back(command, run(host::KEPT_SAMPLES + 1 + pick() % 1000, pick(), d));
            }
        }
    }
    const unsigned widest = host::limit_vector_width(128);
    std::vector<std::string> baseline;
    for (const auto& [command, settings] : runs) {
        baseline.push_back(host::json_answer(command, settings).json);
        ASSERT_NE(baseline.back().find("\"error\":false"), std::string::npos) << baseline.back();
    }
    for (unsigned width = 256; width <= widest; width *= 2) {
        host::limit_vector_width(width);
        for (std::size_t i = 0; i < runs.size(); ++i) {
            ASSERT_EQ(host::json_answer(runs[i].first, runs[i].second).json, baseline[i])
                << width << " bits: " << runs[i].first;
        }
    }
    host::limit_vector_width(512);
    if (widest < 256) GTEST_SKIP() << "this build or processor has one version of the loops";
}

// The shared statistics vectors: the tool's arguments (options, then the
// command) and the JSON line --json writes for them, the same bytes on
// every platform.
TEST(Statistics, SharedVectorsGiveTheirJsonLines) {
    const auto vectors =
        zorvane_test::load_statistics_vectors(ZORVANE_VECTOR_DIR "/statistics.tsv");
    ASSERT_GE(vectors.size(), 6u);
    for (const auto& vector : vectors) {
        EXPECT_EQ(host::json_answer(vector.command, vector.options).json, vector.expected)
            << vector.arguments;
    }
}

// An answer's evaluations are the row's calls, counted from outside by a
// row that counts them: the worst case, the nominal, two integrals of 20
// points per toleranced value (the weight's own integral calls no row) and
// one per sample. Generated over every row (but the series RLC, whose worst
// case also evaluates its reactances alone), with and without samples.
TEST(Statistics, EvaluationsAreTheRowsCalls) {
    std::mt19937_64 pick(20261211);
    int checked = 0;
    for (const zorvane::Formula& row : zorvane::formula_table()) {
        if (row.shape == zorvane::Shape::resonance) continue;
        for (int trial = 0; trial < 3; ++trial) {
            std::string command(row.keyword);
            int toleranced = 0;
            for (int i = 0; i < row.required_count; ++i) {
                command += " " + std::to_string(1 + pick() % 999);
                if (i == 0 || pick() % 2 == 0) {
                    command += "\xC2\xB1" + std::to_string(1 + pick() % 20) + "%";
                    ++toleranced;
                }
            }
            const std::uint64_t samples = trial == 0 ? 0 : 1 + pick() % 1500;
            host::TolerancedCommand t;
            host::Reply refused;
            const host::ParsedQuestion reading = host::parse_question(command);
            ASSERT_TRUE(host::read_toleranced(
                {command, reading, true},
                run(samples, pick(), static_cast<host::Distribution>(trial % 2)), t, refused))
                << command << ": " << refused.line;
            zorvane_test::CountingRow counting(*t.row);
            t.row = &counting.row();
            const host::Simulated s = host::simulate_toleranced(t);
            EXPECT_EQ(s.evaluations, counting.calls()) << command;
            if (s.error) continue;
            ++checked;
            const host::Range worst = host::worst_case_range(*t.info, t.values, t.tolerances);
            EXPECT_EQ(s.evaluations,
                      worst.evaluations + 1 + 41 * toleranced + static_cast<int>(samples))
                << command;
        }
    }
    EXPECT_GT(checked, 60);
}

}  // namespace

// Degenerate and tiny runs, for both distributions. Tolerances of 0 % vary
// nothing: every figure is the nominal result, exactly. Results below
// 2^-1022, whose unit has no double inverse, still give a mean within the
// samples' extremes and near the nominal, and a finite spread.
TEST(Statistics, RunsOfNoSpreadAndOfTinyResults) {
    std::mt19937_64 pick(20261209);
    for (const auto d : {host::Distribution::uniform, host::Distribution::normal}) {
        const host::QuestionSettings settings = run(1 + pick() % 5000, pick(), d);
        const host::Simulated flat = host::simulate(
            "power_vi 1.5\xC2\xB1"
            "0% 2\xC2\xB1"
            "0% = 2..4",
            settings);
        ASSERT_FALSE(flat.error) << flat.line;
        EXPECT_EQ(flat.mean, 3.0);
        EXPECT_EQ(flat.sd, 0.0);
        EXPECT_EQ(flat.smallest, 3.0);
        EXPECT_EQ(flat.largest, 3.0);
        for (const double p : flat.percentiles) EXPECT_EQ(p, 3.0);
        EXPECT_EQ(flat.yield, 1.0);
        const struct {
            const char* command;
            double nominal;
        } tiny[] = {
            {"resistors_series 3e-310\xC2\xB1"
             "1% 2e-310",
             5e-310},
            {"resistors_series 3e-310\xC2\xB1"
             "1% 2e-310\xC2\xB1"
             "2%",
             5e-310},
            {"voltage_divider 1e-309\xC2\xB1"
             "5% 10k\xC2\xB1"
             "1% 10k\xC2\xB1"
             "1%",
             5e-310},
        };
        for (const auto& t : tiny) {
            const host::Simulated s = host::simulate(t.command, settings);
            ASSERT_FALSE(s.error) << t.command << ": " << s.line;
            EXPECT_LE(s.smallest, s.mean) << t.command;
            EXPECT_LE(s.mean, s.largest) << t.command;
            EXPECT_NEAR(s.mean, t.nominal, 0.05 * t.nominal) << t.command;
            EXPECT_TRUE(std::isfinite(s.sd) && s.sd >= 0.0) << t.command;
        }
    }
}
