// Google Benchmark suite of designs from standard parts and of two parts for
// one value. See bench/README.md.
#include <benchmark/benchmark.h>

#include <string_view>

#include "zorvane_host/host.h"

namespace {

namespace host = zorvane::host;

// A divider from a rail with its tolerance to 3.3 V ± 3 %, both resistors
// picked from `series` over the default window (100 Ω to 1 MΩ) at the
// series' tolerance: three toleranced values. With a 1 % rail candidates
// pass; with a 5 % rail none does, and the design searches again for what
// would make one pass.
void BM_DesignDivider(benchmark::State& state, host::Series series, double rail_tolerance,
                      bool suggest) {
    host::DesignRequest request;
    request.formula = host::find("voltage_divider");
    request.values = {12, 0, 0, 0};
    request.tolerances = {rail_tolerance, 0, 0, 0};
    request.unknowns = {1, 2};
    request.low = 3.3 * 0.97;
    request.high = 3.3 * 1.03;
    request.centre = 3.3;
    request.parts[0].series = series;
    request.suggest = suggest;
    host::Design design;
    for (auto _ : state) {
        design = host::design(request);
        benchmark::DoNotOptimize(design);
    }
    state.counters["evaluations"] = static_cast<double>(design.evaluations);
    state.counters["candidates"] = static_cast<double>(design.searched_candidates);
    state.counters["passing"] = static_cast<double>(design.passing);
}
BENCHMARK_CAPTURE(BM_DesignDivider, e96, host::Series::e96, 0.01, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DesignDivider, e192, host::Series::e192, 0.01, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DesignDivider, e96_none_pass_search_only, host::Series::e96, 0.05, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DesignDivider, e96_none_pass_with_remedies, host::Series::e96, 0.05, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DesignDivider, e192_none_pass_with_remedies, host::Series::e192, 0.05, true)
    ->Unit(benchmark::kMillisecond);

// The best series and parallel pair of E192 values for a value between
// standard ones, with their worst cases.
void BM_CombineTwo(benchmark::State& state) {
    host::Combinations combinations;
    for (auto _ : state) {
        combinations = host::combine_two(3793.103448275862, host::PartKind::resistance,
                                         host::Series::e192, 0.005, {100, 1e6});
        benchmark::DoNotOptimize(combinations);
    }
    state.counters["evaluations"] = combinations.evaluations;
}
BENCHMARK(BM_CombineTwo)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
