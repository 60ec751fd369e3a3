#!/usr/bin/env bash
# clang-tidy (the repository's .clang-tidy) and cppcheck over the module's
# sources; any finding fails the run.
#
#   tests/static_analysis.sh [BUILD_DIR]   (a build with compile_commands.json; default build/test)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$source_dir/build/test}
cd "$source_dir"
# The module's layers, and the hosts' share's libraries one folder deeper.
sources=(src/*/*.cpp src/host/*/*.cpp)

tidy_log=$(mktemp)
trap 'rm -f "$tidy_log"' EXIT
# One clang-tidy per source, as many at a time as the build runs jobs.
printf '%s\n' "${sources[@]}" |
    xargs -P "${CMAKE_BUILD_PARALLEL_LEVEL:-2}" -n 1 clang-tidy -p "$build_dir" --quiet \
        --extra-arg=-Wno-ignored-optimization-argument >"$tidy_log" 2>&1 || true
if grep -E 'warning:|error:' "$tidy_log"; then
    echo "clang-tidy: findings above" >&2
    exit 1
fi
echo "clang-tidy: no findings in ${#sources[@]} sources"

cppcheck -j "${CMAKE_BUILD_PARALLEL_LEVEL:-2}" --std=c++20 --enable=warning,style,performance,portability --inline-suppr \
    --error-exitcode=1 --quiet -I include -I src src
echo "cppcheck: no findings"
