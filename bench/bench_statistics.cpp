// Google Benchmark suite of the Monte Carlo runs: a million samples of a
// row, the whole answer as the tool gives it (values read by the module, the
// worst case, the contributions, the samples, percentiles, histogram, line),
// against the row's own arithmetic on as many points, and the module's whole
// command path for one line. The counters per_sample and per_evaluation
// are seconds per sample and per evaluation. See bench/README.md.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "formula_table.h"
#include "zorvane_host/host.h"

namespace {

namespace host = zorvane::host;

constexpr std::uint64_t SAMPLES = 1'000'000;

struct Row {
    const char* command;  // with tolerances
    const char* keyword;
};
constexpr Row ROWS[] = {
    {"voltage_divider 12\xC2\xB1"
     "5% 10k\xC2\xB1"
     "1% 4k7\xC2\xB1"
     "1% = 3.7..4.1",
     "voltage_divider"},
    {"impedance_rlc_series 10\xC2\xB1"
     "5% 5k\xC2\xB1"
     "20% 1m\xC2\xB1"
     "10% 1u\xC2\xB1"
     "10%",
     "impedance_rlc_series"},
    {"power_vi 12\xC2\xB1"
     "5% 0.5\xC2\xB1"
     "10%",
     "power_vi"},
    {"db_to_power_ratio 20\xC2\xB1"
     "5%",
     "db_to_power_ratio"},
};

void BM_MonteCarlo(benchmark::State& state, Row row, host::Distribution distribution) {
    host::Simulated simulated;
    host::QuestionSettings settings;
    settings.samples = SAMPLES;
    settings.distribution = distribution;
    for (auto _ : state) {
        simulated = host::simulate(row.command, settings);
        benchmark::DoNotOptimize(simulated);
    }
    if (simulated.error) state.SkipWithError(simulated.line.c_str());
    state.counters["per_sample"] = benchmark::Counter(
        static_cast<double>(SAMPLES),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The row's own arithmetic over a million points spread as the samples are
// (precomputed, so that only the evaluations are timed).
void BM_RowAlone(benchmark::State& state, Row row) {
    const zorvane::Formula& formula = *zorvane::find_keyword(row.keyword);
    std::mt19937_64 engine(1);
    std::uniform_real_distribution<double> spread(0.9, 1.1);
    std::vector<zorvane::Values> points(4096);
    for (zorvane::Values& point : points) {
        for (double& value : point) value = spread(engine) * 1000.0;
    }
    for (auto _ : state) {
        double sum = 0.0;
        for (std::uint64_t n = 0; n < SAMPLES; ++n) {
            sum += formula.evaluate(points[n & 4095]).value;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["per_evaluation"] = benchmark::Counter(
        static_cast<double>(SAMPLES),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// One command through the module's whole path: parse, evaluate, render.
void BM_ModuleLine(benchmark::State& state) {
    host::Calculator calculator;
    for (auto _ : state)
        benchmark::DoNotOptimize(calculator.evaluate("voltage_divider 12 10000 4700"));
}

void register_all() {
    for (const Row& row : ROWS) {
        benchmark::RegisterBenchmark(
            (std::string("BM_MonteCarlo/") + row.keyword + "/uniform").c_str(), BM_MonteCarlo, row,
            host::Distribution::uniform)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(
            (std::string("BM_MonteCarlo/") + row.keyword + "/normal").c_str(), BM_MonteCarlo, row,
            host::Distribution::normal)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("BM_RowAlone/") + row.keyword).c_str(),
                                     BM_RowAlone, row)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("BM_ModuleLine", BM_ModuleLine);
}

}  // namespace

int main(int argc, char** argv) {
    register_all();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
