#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for a fixed number of executions; any finding fails the run.
#
#   fuzz/run.sh [RUNS_PER_TARGET [SECONDS_PER_TARGET]]   (default 600000 runs, no time limit)
#   fuzz/run.sh 0                        run until stopped (Ctrl-C), keeping the corpus
#
# With SECONDS_PER_TARGET each target stops at whichever limit comes first,
# so a run costs the same time however fast the machine is.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-600000}
seconds=${2:-0}
cd "$source_dir"
# Two build jobs unless the caller chose otherwise (the presets leave it to the caller).
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2}
cmake --workflow --preset fuzz >/dev/null

corpus=$source_dir/build/fuzz/corpus
python3 fuzz/make_seeds.py tests/vectors/*.tsv tests/vectors/engineering_commands.txt \
    --narrow "$corpus/command" --wide "$corpus/entry" --utf8 "$corpus/host"
work=$(mktemp -d)  # "/help" may write the reference file: keep it out of the tree
trap 'rm -rf "$work"' EXIT
for target in command entry host; do
    echo "fuzz_$target: $runs runs$( ((seconds)) && echo " or $seconds s, whichever comes first")"
    status=0
    (cd "$work" && "$source_dir/build/fuzz/fuzz/fuzz_$target" -runs="$runs" -max_total_time="$seconds" -max_len=2048 \
        -dict="$source_dir/fuzz/electronics.dict" -print_final_stats=1 "$corpus/$target" \
        >"$work/$target.log" 2>&1) || status=$?
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss)' "$work/$target.log" || true
    if [[ $status != 0 ]]; then
        grep -E -A30 'ERROR|contract broken' "$work/$target.log" >&2 || tail -50 "$work/$target.log" >&2
        echo "fuzz_$target: finding (exit $status); the crashing input is in $work" >&2
        trap - EXIT
        exit 1
    fi
done
