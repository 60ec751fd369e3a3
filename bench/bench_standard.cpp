// Google Benchmark suite of the standard values, worst-case ranges and
// standard pairs in the hosts' shared part. See bench/README.md.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <string_view>
#include <vector>

#include "zorvane_host/host.h"

namespace {

namespace host = zorvane::host;

const host::FormulaInfo& row(std::string_view keyword) { return *host::find(keyword); }

// Standard values around 1,000 values spread over twelve decades.
void BM_StandardValues(benchmark::State& state, host::Series series) {
    std::vector<double> values;
    for (int i = 0; i < 1000; ++i) values.push_back(std::pow(10.0, -6 + i * 0.012));
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(host::standard_values(values[next], series));
        next = next + 1 == values.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_StandardValues, e24, host::Series::e24);
BENCHMARK_CAPTURE(BM_StandardValues, e192, host::Series::e192);

// One range per iteration; the counter is the core's evaluations per range.
void BM_Range(benchmark::State& state, std::string_view keyword, std::array<double, 4> values,
              std::array<double, 4> tolerances) {
    const host::FormulaInfo& formula = row(keyword);
    host::Range range{};
    for (auto _ : state) {
        range = host::worst_case_range(formula, values, tolerances);
        benchmark::DoNotOptimize(range);
    }
    state.counters["evaluations"] = range.evaluations;
}
BENCHMARK_CAPTURE(BM_Range, divider_one_tolerance, "voltage_divider", {12, 10000, 4700},
                  {0, 0.01, 0});
BENCHMARK_CAPTURE(BM_Range, divider_three_tolerances, "voltage_divider", {12, 10000, 4700},
                  {0.05, 0.01, 0.01});
BENCHMARK_CAPTURE(BM_Range, power_i2r_current_across_zero, "power_i2r", {1, 10}, {2, 0.05});
BENCHMARK_CAPTURE(BM_Range, rlc_resonance_inside, "impedance_rlc_series",
                  {50, 1000, 0.1, 0.00000025}, {0.05, 0.1, 0.1, 0.1});
BENCHMARK_CAPTURE(BM_Range, rlc_resonance_outside, "impedance_rlc_series",
                  {50, 2000, 0.1, 0.00000025}, {0.05, 0.05, 0.1, 0.1});

// One pair search per iteration, in the unknowns' whole window.
void BM_Pair(benchmark::State& state, std::string_view keyword, std::array<double, 4> values,
             int first, int second, double target, host::Series series) {
    const host::FormulaInfo& formula = row(keyword);
    int evaluations = 0;
    for (auto _ : state) {
        const auto pair = host::best_standard_pair(formula, values, first, second, target, series);
        benchmark::DoNotOptimize(pair);
        evaluations = pair ? pair->evaluations : 0;
    }
    state.counters["evaluations"] = evaluations;
}
BENCHMARK_CAPTURE(BM_Pair, divider_e24, "voltage_divider", {12}, 1, 2, 3.3, host::Series::e24)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Pair, divider_e192, "voltage_divider", {12}, 1, 2, 3.3, host::Series::e192)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Pair, capacitors_series_e192, "capacitors_series", {}, 0, 1, 1e-9,
                  host::Series::e192)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
