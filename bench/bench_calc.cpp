// Google Benchmark suite of the calculator. See bench/README.md.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "zorvane/electronics_calc.h"

namespace {

std::u16string widen(const std::string& text) { return {text.begin(), text.end()}; }

// Runs one command per iteration, cycling through `commands`.
void run_commands(benchmark::State& state, const std::vector<std::u16string>& commands) {
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ElectronicsCalc(commands[next].c_str()));
        next = next + 1 == commands.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

std::vector<std::u16string> load_corpus() {
    std::vector<std::u16string> commands;
    std::ifstream in(ZORVANE_BENCH_CORPUS);
    for (std::string line; std::getline(in, line);) commands.push_back(widen(line));
    if (commands.empty()) {
        std::fprintf(stderr, "no corpus at %s\n", ZORVANE_BENCH_CORPUS);
        std::exit(2);
    }
    return commands;
}

void BM_MixedCorpus(benchmark::State& state) {
    static const std::vector<std::u16string> corpus = load_corpus();
    run_commands(state, corpus);
}
BENCHMARK(BM_MixedCorpus);

// One benchmark per category, each over that category's formulas.
void BM_Category(benchmark::State& state, std::vector<std::string> commands) {
    std::vector<std::u16string> wide;
    for (const auto& command : commands) wide.push_back(widen(command));
    run_commands(state, wide);
}
BENCHMARK_CAPTURE(BM_Category, ohms_law_and_power,
                  {"ohms_voltage 2.5 1000", "ohms_current 12 1000", "ohms_resistance 12 0.5",
                   "power_vi 12 0.5", "power_v2r 12 100", "power_i2r 0.5 100"});
BENCHMARK_CAPTURE(BM_Category, capacitors,
                  {"capacitor_energy 0.001 12", "capacitor_charge 0.000001 5",
                   "capacitor_reactance 1000 0.000001", "capacitor_time_constant_rc 1000 0.000001",
                   "capacitors_series 0.000001 0.000002", "capacitors_parallel 0.000001 0.000002"});
BENCHMARK_CAPTURE(BM_Category, inductors,
                  {"inductor_energy 0.01 2", "inductor_reactance 1000 0.001",
                   "inductor_time_constant_lr 0.01 100", "inductors_series 0.001 0.002",
                   "inductors_parallel 0.001 0.002"});
BENCHMARK_CAPTURE(BM_Category, resistors,
                  {"resistors_series 1000 2000", "resistors_parallel 1000 2000",
                   "voltage_divider 12 1000 2000", "current_divider 0.01 1000 3000"});
BENCHMARK_CAPTURE(BM_Category, ac_circuits,
                  {"frequency_to_period 50", "period_to_frequency 0.02", "impedance_rc 100 1000 0.000001",
                   "impedance_rl 100 1000 0.01", "impedance_rlc_series 100 1000 0.01 0.000001",
                   "resonant_frequency_lc 0.001 0.000001", "q_factor_rlc 10 0.001 0.000001"});
BENCHMARK_CAPTURE(BM_Category, amplifiers,
                  {"gain_db 100", "gain_ratio_from_db 20", "transistor_beta 0.01 0.0001",
                   "transistor_alpha 0.0099 0.01"});
BENCHMARK_CAPTURE(BM_Category, power_supplies,
                  {"transformer_turns_ratio 230 12", "rectifier_peak_voltage 230",
                   "filter_ripple_factor 0.5 12"});
BENCHMARK_CAPTURE(BM_Category, transmission_lines,
                  {"characteristic_impedance_coax 2.3 4.8 1.4", "wavelength 100000000 0.66",
                   "velocity_factor_to_velocity 0.66"});
BENCHMARK_CAPTURE(BM_Category, antennas, {"dipole_length 100000000", "antenna_gain_db 100 1"});
BENCHMARK_CAPTURE(BM_Category, filters,
                  {"rc_lowpass_cutoff 1000 0.000001", "rc_highpass_cutoff 1000 0.000001",
                   "rl_lowpass_cutoff 1000 0.01", "rl_highpass_cutoff 1000 0.01"});
BENCHMARK_CAPTURE(BM_Category, decibels,
                  {"power_ratio_to_db 2", "voltage_ratio_to_db 2", "db_to_power_ratio 3",
                   "db_to_voltage_ratio 6"});
BENCHMARK_CAPTURE(BM_Category, thermal, {"thermal_resistance 50 10", "junction_temperature 25 2 10"});

// The first and the last row with the same three values: lookup must not
// depend on the row's position.
BENCHMARK_CAPTURE(BM_Category, row_1, {"ohms_voltage 25 2 10"});
BENCHMARK_CAPTURE(BM_Category, row_50, {"junction_temperature 25 2 10"});

// Worst cases.
BENCHMARK_CAPTURE(BM_Category, longest_command,
                  {"characteristic_impedance_coax " + std::string(200, '1') + " 2 3 4 " +
                   std::string(16, ' ')});
BENCHMARK_CAPTURE(BM_Category, four_values, {"impedance_rlc_series 100.5 1000.25 0.0105 0.00000123"});
BENCHMARK_CAPTURE(BM_Category, unknown_name, {"no_such_formula_at_all 1 2"});
BENCHMARK_CAPTURE(BM_Category, invalid_number, {"power_vi 12 0.5x"});
BENCHMARK_CAPTURE(BM_Category, error_line, {"characteristic_impedance_coax 1 10"});
BENCHMARK_CAPTURE(BM_Category, huge_value, {"db_to_power_ratio 3000"});

// zorvane-calc in batch mode over the corpus, as a whole process.
void BM_CliBatch(benchmark::State& state) {
    const std::string command = std::string(ZORVANE_CALC_PATH) + " < " ZORVANE_BENCH_CORPUS " > /dev/null";
    for (auto _ : state) {
        const int status = std::system(command.c_str());
        if (status == -1) state.SkipWithError("could not run zorvane-calc");
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_CliBatch)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
