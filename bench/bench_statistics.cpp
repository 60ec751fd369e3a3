// Google Benchmark suite of the Monte Carlo runs: a million samples of a
// row, the whole answer as the tool gives it (values read by the module, the
// worst case, the contributions, the samples, percentiles, histogram, line),
// beside the row's own arithmetic on the same inputs, and the module's whole
// command path for one line. See bench/README.md.
//
// Each BM_MonteCarlo/<row>/<distribution> reports, besides its time:
//   per_sample  CPU time per sample (the fastest of its iterations), ns
//   row_alone   CPU time of one evaluation of the row alone on the run's own
//               first 4096 points, cycled (the fastest of 20 passes), ns
//   ratio       per_sample / row_alone: what a sample costs in evaluations
// BM_RowAlone/<row>/<distribution> times the same evaluations as a benchmark
// of its own, next to it.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "formula_table.h"
#include "statistics.h"
#include "variates.h"
#include "zorvane_host/host.h"

namespace {

namespace host = zorvane::host;

constexpr std::uint64_t SAMPLES = 1'000'000;
constexpr std::size_t POINTS = 4096;

struct Row {
    const char* name;
    const char* command;  // with tolerances
};
// A linear row, a product, the divider, the series RLC (a square root of a
// sum of squares, four values) and a row calling pow.
constexpr Row ROWS[] = {
    {"resistors_series",
     "resistors_series 10k\xC2\xB1"
     "1% 4k7\xC2\xB1"
     "5%"},
    {"power_vi",
     "power_vi 12\xC2\xB1"
     "5% 0.5\xC2\xB1"
     "10%"},
    {"voltage_divider",
     "voltage_divider 12\xC2\xB1"
     "5% 10k\xC2\xB1"
     "1% 4k7\xC2\xB1"
     "1% = 3.7..4.1"},
    {"impedance_rlc_series",
     "impedance_rlc_series 10\xC2\xB1"
     "5% 5k\xC2\xB1"
     "20% 1m\xC2\xB1"
     "10% 1u\xC2\xB1"
     "10%"},
    {"db_to_power_ratio",
     "db_to_power_ratio 20\xC2\xB1"
     "5%"},
};

double cpu_seconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The first POINTS points the run evaluates: the command's values, each
// toleranced one spread by the variates drawn in the run's order from its
// seed (value by value, sample by sample).
struct Inputs {
    const zorvane::Formula* row = nullptr;
    std::vector<zorvane::Values> points;
};
Inputs inputs_of(const Row& row, host::Distribution distribution) {
    host::TolerancedCommand command;
    host::Reply reply;
    Inputs inputs;
    if (!host::read_toleranced(row.command, host::QuestionSettings{}, true, command, reply)) {
        return inputs;
    }
    inputs.row = command.row;
    host::Variates variates(command.seed);
    inputs.points.assign(POINTS, command.values);
    for (zorvane::Values& point : inputs.points) {
        for (std::size_t i = 0; i < point.size(); ++i) {
            if (command.tolerances[i] == 0.0) continue;
            const double z = distribution == host::Distribution::normal
                                 ? variates.truncated_normal() / 3.0
                                 : variates.symmetric();
            point[i] = command.values[i] * (1.0 + command.tolerances[i] * z);
        }
    }
    return inputs;
}

// SAMPLES evaluations of the row over the points, cycled; their sum.
double evaluate_all(const Inputs& inputs) {
    double sum = 0.0;
    for (std::uint64_t n = 0; n < SAMPLES; ++n) {
        sum += inputs.row->evaluate(inputs.points[n & (POINTS - 1)]).value;
    }
    return sum;
}

// CPU time of one evaluation alone, the fastest of 20 passes.
double row_alone_seconds(const Inputs& inputs) {
    double best = 1e9;
    for (int pass = 0; pass < 20; ++pass) {
        const double start = cpu_seconds();
        benchmark::DoNotOptimize(evaluate_all(inputs));
        best = std::min(best, cpu_seconds() - start);
    }
    return best / static_cast<double>(SAMPLES);
}

void BM_MonteCarlo(benchmark::State& state, Row row, host::Distribution distribution) {
    host::Simulated simulated;
    host::QuestionSettings settings;
    settings.samples = SAMPLES;
    settings.distribution = distribution;
    double best = 1e9;
    for (auto _ : state) {
        const double start = cpu_seconds();
        simulated = host::simulate(row.command, settings);
        best = std::min(best, cpu_seconds() - start);
        benchmark::DoNotOptimize(simulated);
    }
    if (simulated.error) {
        state.SkipWithError(simulated.line.c_str());
        return;
    }
    const Inputs inputs = inputs_of(row, distribution);
    const double alone = row_alone_seconds(inputs);
    const double per_sample = best / static_cast<double>(SAMPLES);
    state.counters["per_sample"] = per_sample * 1e9;
    state.counters["row_alone"] = alone * 1e9;
    state.counters["ratio"] = per_sample / alone;
}

void BM_RowAlone(benchmark::State& state, Row row, host::Distribution distribution) {
    const Inputs inputs = inputs_of(row, distribution);
    if (inputs.row == nullptr) {
        state.SkipWithError("the command does not read");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(evaluate_all(inputs));
    state.counters["per_evaluation"] = benchmark::Counter(
        static_cast<double>(SAMPLES),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Beyond the samples kept: the percentiles from the fine histogram.
void BM_MonteCarloBeyondKept(benchmark::State& state) {
    host::QuestionSettings settings;
    settings.samples = 2 * host::KEPT_SAMPLES;
    host::Simulated simulated;
    for (auto _ : state) {
        simulated = host::simulate(ROWS[2].command, settings);
        benchmark::DoNotOptimize(simulated);
    }
    state.counters["per_sample"] = benchmark::Counter(
        static_cast<double>(*settings.samples),
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
        for (const auto distribution : {host::Distribution::uniform, host::Distribution::normal}) {
            const std::string suffix =
                std::string("/") + row.name + "/" +
                (distribution == host::Distribution::normal ? "normal" : "uniform");
            benchmark::RegisterBenchmark(("BM_MonteCarlo" + suffix).c_str(), BM_MonteCarlo, row,
                                         distribution)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("BM_RowAlone" + suffix).c_str(), BM_RowAlone, row,
                                         distribution)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::RegisterBenchmark("BM_MonteCarloBeyondKept/voltage_divider/uniform",
                                 BM_MonteCarloBeyondKept)
        ->Unit(benchmark::kMillisecond);
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
