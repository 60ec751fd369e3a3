#!/usr/bin/env bash
# Instructions per ElectronicsCalc call on the benchmark corpus, counted by
# callgrind inside the call (the C and C++ library code it calls included).
# The last line printed is the figure.
#
#   bench/instructions.sh [BUILD_DIR]     (default: build/bench, configured here)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$source_dir/build/bench}
command -v valgrind >/dev/null || { echo "valgrind is needed (apt-get install valgrind)" >&2; exit 1; }

if [[ ! -f $build_dir/CMakeCache.txt ]]; then
    cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DZORVANE_BUILD_BENCHMARKS=ON >/dev/null
fi
cmake --build "$build_dir" --target corpus_driver -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$source_dir/bench/make_corpus.py" "$work/corpus.txt" 10000
driver=$(find "$build_dir" -name corpus_driver -type f -perm -u+x | head -n 1)
# Instructions per call for a file of commands.
per_call() {
    valgrind --tool=callgrind --toggle-collect=ElectronicsCalc --callgrind-out-file="$work/out" \
        "$driver" "$1" >"$work/stdout" 2>"$work/stderr"
    awk -v calls="$(awk '{print $1}' "$work/stdout")" '/^summary:/ { printf "%.0f", $2 / calls }' "$work/out"
}

# The first and the last row with the same three values: lookup costs the same.
for _ in $(seq 1000); do echo "ohms_voltage 25 2 10"; done >"$work/row1.txt"
for _ in $(seq 1000); do echo "junction_temperature 25 2 10"; done >"$work/row50.txt"
echo "row 1 (ohms_voltage 25 2 10): $(per_call "$work/row1.txt") instructions per call"
echo "row 50 (junction_temperature 25 2 10): $(per_call "$work/row50.txt") instructions per call"
echo "instructions per call: $(per_call "$work/corpus.txt")"
