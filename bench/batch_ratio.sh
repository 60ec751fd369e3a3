#!/usr/bin/env bash
# How much longer zorvane-calc takes to push a file of commands through in
# batch mode than the same calls take in-process. Each side is the best of
# five runs, measured in one go, so the machine's load affects both alike.
# The last line printed is the ratio.
#
#   bench/batch_ratio.sh [BUILD_DIR] [COMMANDS]   (defaults: build/bench, 1000000)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$source_dir/build/bench}
count=${2:-1000000}

if [[ ! -f $build_dir/CMakeCache.txt ]]; then
    cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DZORVANE_BUILD_BENCHMARKS=ON >/dev/null
fi
cmake --build "$build_dir" --target corpus_driver zorvane-calc -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$source_dir/bench/make_corpus.py" "$work/corpus.txt" "$count"
driver=$(find "$build_dir" -name corpus_driver -type f -perm -u+x | head -n 1)
calc="$build_dir/zorvane-calc"

min_calls=
best_batch=
for _ in 1 2 3 4 5; do
    calls=$("$driver" "$work/corpus.txt" | sed -E 's/.*, ([0-9.]+) s in the calls/\1/')
    start=$(date +%s.%N)
    "$calc" <"$work/corpus.txt" >"$work/results.txt" || [[ $? == 1 ]]
    end=$(date +%s.%N)
    batch=$(echo "$end - $start" | bc -l)
    if [[ -z $best_batch ]] || (($(echo "$batch < $best_batch" | bc -l))); then best_batch=$batch; fi
    if [[ -z $min_calls ]] || (($(echo "$calls < $min_calls" | bc -l))); then min_calls=$calls; fi
done
lines=$(wc -l <"$work/results.txt")
[[ $lines == "$count" ]] || { echo "expected $count result lines, got $lines" >&2; exit 1; }
printf 'in-process calls: %.3f s for %d commands\n' "$min_calls" "$count"
printf 'zorvane-calc batch: %.3f s\n' "$best_batch"
echo "batch / in-process: $(echo "scale=2; $best_batch / $min_calls" | bc -l)"
