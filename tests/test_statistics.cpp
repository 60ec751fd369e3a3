// Statistics against expectations the code does not compute itself: the
// closed forms of sums of uniform values, the reference model's numerical
// integration of the voltage divider, the normal distribution's function
// (std::erf), and the shared statistics vectors every platform checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/statistics_vectors.h"
#include "variates.h"
#include "zorvane_host/host.h"

namespace {

namespace host = zorvane::host;

host::StatisticsOptions run(std::uint64_t samples, std::uint64_t seed = host::DEFAULT_SEED,
                            host::Distribution distribution = host::Distribution::uniform) {
    return {samples, seed, distribution};
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

TEST(Variates, UniformAndTruncatedNormalFollowTheirDistributions) {
    constexpr std::size_t N = 1'000'000;
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
        {}, run(N));
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
// within one of its bins, and their standard error, of the closed form.
TEST(Statistics, BeyondTheKeptSamplesPercentilesAreWithinABin) {
    constexpr std::uint64_t N = 2'000'000;
    const host::Simulated s = host::simulate(
        "resistors_series 1000\xC2\xB1"
        "1% 0",
        {}, run(N, 3));
    ASSERT_FALSE(s.error) << s.line;
    EXPECT_FALSE(s.exact_percentiles);
    const double bin = 20.0 / 65600.0;
    for (std::size_t i = 0; i < host::PERCENTILES.size(); ++i) {
        const double p = host::PERCENTILES[i] / 100.0;
        const double se = std::sqrt(p * (1 - p) / static_cast<double>(N)) * 20.0;
        EXPECT_NEAR(s.percentiles[i], 990.0 + 20.0 * p, 4 * se + bin) << host::PERCENTILES[i];
    }
}

// Linear in each value with Gaussian tolerances: the shares are the same
// as with uniform ones (each variance scales alike), and so is the mean.
TEST(Statistics, NormalTolerancesScaleEachVarianceAlike) {
    const host::Simulated s = host::simulate(
        "resistors_series 1000\xC2\xB1"
        "3% 2000\xC2\xB1"
        "3%",
        {}, run(200'000, 9, host::Distribution::normal));
    ASSERT_FALSE(s.error) << s.line;
    EXPECT_NEAR(s.contributions[0].share, 0.8, 1e-9);
    // sd: each value's tolerance is 3 sigma of a normal cut off at 3 sigma.
    const double phi3 = std::exp(-4.5) / std::sqrt(2 * std::acos(-1.0));
    const double variance = (1 - 6 * phi3 / TRUNCATED_MASS) * (100.0 + 400.0);
    EXPECT_NEAR(s.sd, std::sqrt(variance), 4 * std::sqrt(variance / (2 * 200'000.0)));
    EXPECT_NEAR(s.mean, 3000.0, 4 * std::sqrt(variance / 200'000.0));
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
        const host::Simulated s =
            host::simulate(command, {}, run(N, 11, *host::distribution_named(spread)));
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

TEST(Statistics, BadInputIsOneClearErrorLine) {
    const std::string divider =
        "voltage_divider 12\xC2\xB1"
        "5% 10k\xC2\xB1"
        "1% 4k7";
    const std::pair<std::string, std::string> cases[] = {
        {divider + " = 3.4..3.2",
         "Error: Empty window 3.4..3.2: its low edge is above its high edge"},
        {"voltage_divider 12 10k ? = 3.2..3.4",
         "Error: A window after '=' goes with tolerances, not with a value written ?"},
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
    EXPECT_EQ(host::simulate("voltage_divider 12 10k 4k7", {}, run(100)).line,
              "Error: No value carries a tolerance");
    EXPECT_EQ(host::simulate(divider, {}, run(host::MAX_SAMPLES + 1)).line,
              "Error: At most 100000000 samples");
    EXPECT_TRUE(host::simulate(divider).error);  // neither window nor samples
    for (const char* text : {"0", "-5", "1e12", "1.5", "abc", "", "100000001", "nan"}) {
        EXPECT_FALSE(host::samples_from(text).problem.empty()) << text;
    }
    EXPECT_EQ(host::samples_from("1e6").samples, 1'000'000u);
    EXPECT_EQ(host::samples_from("100000000").samples, host::MAX_SAMPLES);
    EXPECT_EQ(host::seed_from("18446744073709551615"), UINT64_MAX);
    for (const char* text : {"18446744073709551616", "-1", "1e3", "", " 1", "+1"}) {
        EXPECT_FALSE(host::seed_from(text)) << text;
    }
    EXPECT_FALSE(host::distribution_named("weird"));
}

// The same seed gives the same bytes; another seed other samples.
TEST(Statistics, TheSameSeedGivesTheSameAnswer) {
    const std::string command =
        "voltage_divider 12\xC2\xB1"
        "5% 10k\xC2\xB1"
        "1% 4k7\xC2\xB1"
        "1% = 3.7..4.1";
    for (const host::Distribution d : {host::Distribution::uniform, host::Distribution::normal}) {
        const std::string first = host::json_answer(command, {}, run(5000, 42, d)).json;
        EXPECT_EQ(host::json_answer(command, {}, run(5000, 42, d)).json, first);
        EXPECT_NE(host::json_answer(command, {}, run(5000, 43, d)).json, first);
    }
}

// The shared statistics vectors: the tool's arguments (options, then the
// command) and the JSON line --json writes for them, the same bytes on
// every platform.
TEST(Statistics, SharedVectorsGiveTheirJsonLines) {
    const auto vectors =
        zorvane_test::load_statistics_vectors(ZORVANE_VECTOR_DIR "/statistics.tsv");
    ASSERT_GE(vectors.size(), 6u);
    for (const auto& vector : vectors) {
        EXPECT_EQ(host::json_answer(vector.command, {}, vector.options).json, vector.expected)
            << vector.arguments;
    }
}

}  // namespace
