#!/usr/bin/env bash
# Runs the test binaries and zorvane-calc under valgrind's memcheck: any
# memory error or leak fails the run.
#
#   tests/memcheck.sh [BUILD_DIR]     (default: build/test, built by the test preset)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(cd "${1:-$source_dir/build/test}" && pwd)
command -v valgrind >/dev/null || { echo "valgrind is needed (apt-get install valgrind)" >&2; exit 1; }

memcheck=(valgrind --quiet --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect
          --errors-for-leak-kinds=definite,indirect --track-origins=yes)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The random number comparisons and the generated questions are cut to a
# size memcheck gets through quickly; the allocation test is left out because it replaces the allocator
# that memcheck replaces too.
export ZORVANE_NUMBER_SAMPLES=20000 ZORVANE_GENERATED_QUESTIONS=300
# The halfway-point test computes midpoints in 80-bit long double and prints
# them with 1100 digits; valgrind emulates x87 arithmetic in 64 bits, so the
# test checks nothing there and glibc's printf of it does not finish in any
# useful time. Everything else it calls is run here by the other tests.
filter=-ExactDecimalValue.RoundsHalfwayPointsToEven
for binary in core_tests library_tests help_tests host_tests; do
    echo "memcheck: $binary"
    (cd "$work" && "${memcheck[@]}" "$build_dir/tests/$binary" --gtest_brief=1 --gtest_filter="$filter")
done

echo "memcheck: zorvane-calc over the benchmark corpus and the test vectors"
python3 "$source_dir/bench/make_corpus.py" "$work/corpus.txt" 2000
cut -f1 "$source_dir"/tests/vectors/*.tsv | grep -v '^#' >>"$work/corpus.txt"
status=0
"${memcheck[@]}" "$build_dir/zorvane-calc" <"$work/corpus.txt" >/dev/null || status=$?
[[ $status == 0 || $status == 1 ]] || { echo "memcheck found errors in zorvane-calc" >&2; exit 1; }
echo "memcheck: no errors, no leaks"
