// Google Benchmark suite of solving for a value written ?: the whole
// question as the tool answers it (the values read by the module, the grid
// scan, TOMS 748, the confirmation through the module's line path, the
// line). The counter is the row's evaluations per solve. See bench/README.md.
#include <benchmark/benchmark.h>

#include "zorvane_host/host.h"

namespace {

namespace host = zorvane::host;

void BM_Solve(benchmark::State& state, const char* command) {
    host::Solved solved;
    for (auto _ : state) {
        solved = host::solve(command);
        benchmark::DoNotOptimize(solved);
    }
    if (solved.error) state.SkipWithError(solved.line.c_str());
    state.counters["stretches"] = static_cast<double>(solved.stretches.size());
    state.counters["evaluations"] = solved.evaluations;
    state.counters["solutions"] = static_cast<double>(solved.solutions.size());
}
BENCHMARK_CAPTURE(BM_Solve, divider_r2, "voltage_divider 12 10k ? = 3.3");
BENCHMARK_CAPTURE(BM_Solve, divider_vin_signed, "voltage_divider ? 10k 4.7k = 3.3");
BENCHMARK_CAPTURE(BM_Solve, power_i2r_two_signs, "power_i2r ? 100 = 1");
BENCHMARK_CAPTURE(BM_Solve, rc_cutoff_capacitance, "rc_lowpass_cutoff 10k ? = 1k");
BENCHMARK_CAPTURE(BM_Solve, rlc_frequency_two_roots, "impedance_rlc_series 10 ? 1m 1u = 50");
BENCHMARK_CAPTURE(BM_Solve, rlc_near_resonance, "impedance_rlc_series 10 ? 1m 1u = 10.001");
BENCHMARK_CAPTURE(BM_Solve, db_to_power_ratio_pow, "db_to_power_ratio ? = 20");
BENCHMARK_CAPTURE(BM_Solve, coax_log10, "characteristic_impedance_coax ? 5m 1m = 50");
BENCHMARK_CAPTURE(BM_Solve, no_solution, "voltage_divider 12 10k ? = 15");
// The edges: a turn that reaches the target, a stretch with its ends, a
// target whose next grid point overflows, a band of hits and misses.
BENCHMARK_CAPTURE(BM_Solve, rlc_at_resonance, "impedance_rlc_series 10 ? 1m 1u = 10");
BENCHMARK_CAPTURE(BM_Solve, rlc_stretch, "impedance_rlc_series 1e10 ? 1m 1u = 1e10");
BENCHMARK_CAPTURE(BM_Solve, db_large_target, "db_to_power_ratio ? = 1e200");
BENCHMARK_CAPTURE(BM_Solve, parallel_band, "resistors_parallel 176.5 ? = 176.5");

void BM_SolveWithSeries(benchmark::State& state) {
    host::QuestionOptions options;
    options.series = host::Series::e24;
    for (auto _ : state)
        benchmark::DoNotOptimize(host::solve("voltage_divider 12 10k ? = 3.3", options));
}
BENCHMARK(BM_SolveWithSeries);

}  // namespace

BENCHMARK_MAIN();
