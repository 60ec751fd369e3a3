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
valgrind --tool=callgrind --toggle-collect=ElectronicsCalc --callgrind-out-file="$work/out" \
    "$driver" "$work/corpus.txt" >"$work/stdout" 2>"$work/stderr"
calls=$(awk '{print $1}' "$work/stdout")
total=$(awk '/^summary:/ {print $2}' "$work/out")
echo "corpus: $calls calls, $total instructions inside ElectronicsCalc"
awk -v t="$total" -v n="$calls" 'BEGIN { printf "instructions per call: %.0f\n", t / n }'
