#!/usr/bin/env bash
# The cost of solving in zorvane-calc's batch mode, process start included:
# COUNT solve commands over every argument of every formula (the reference
# model's solve vectors, repeated) through one zorvane-calc, best of five.
# Prints the CPU time (user + system) and the wall time per solve.
#
#   bench/solve_batch.sh [BUILD_DIR] [COUNT]   (defaults: build/bench, 10000)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$source_dir/build/bench}
count=${2:-10000}

if [[ ! -f $build_dir/CMakeCache.txt ]]; then
    cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DZORVANE_BUILD_BENCHMARKS=ON >/dev/null
fi
cmake --build "$build_dir" --target zorvane-calc -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$source_dir/tests/reference/reference_model.py" solve 1 12 "$work/vectors.tsv"
grep -v '^#' "$work/vectors.tsv" | cut -f1 >"$work/one.txt"
: >"$work/commands.txt"
while (($(wc -l <"$work/commands.txt") < count)); do
    cat "$work/one.txt" >>"$work/commands.txt"
done
head -n "$count" "$work/commands.txt" >"$work/solves.txt"

best_cpu=
best_wall=
for _ in 1 2 3 4 5; do
    /usr/bin/time -f '%U %S %e' -o "$work/time" "$build_dir/zorvane-calc" <"$work/solves.txt" \
        >"$work/answers.txt" || [[ $? == 1 ]]
    read -r user system wall < <(tail -n 1 "$work/time")
    cpu=$(echo "$user + $system" | bc -l)
    if [[ -z $best_cpu ]] || (($(echo "$cpu < $best_cpu" | bc -l))); then best_cpu=$cpu; fi
    if [[ -z $best_wall ]] || (($(echo "$wall < $best_wall" | bc -l))); then best_wall=$wall; fi
done
lines=$(wc -l <"$work/answers.txt")
[[ $lines == "$count" ]] || { echo "expected $count answer lines, got $lines" >&2; exit 1; }
errors=$(grep -c '^Error' "$work/answers.txt" || true)
printf '%d solves (%d error lines): %.2f s CPU, %.2f s wall\n' "$count" "$errors" "$best_cpu" "$best_wall"
printf 'per solve: %.1f us CPU, %.1f us wall\n' "$(echo "$best_cpu * 1000000 / $count" | bc -l)" \
    "$(echo "$best_wall * 1000000 / $count" | bc -l)"
