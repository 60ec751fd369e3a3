#!/usr/bin/env bash
# Builds the coverage preset, runs every test and reports line and branch
# coverage of the module's own sources; fails below 95% of lines or 90% of
# branches.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
cd "$source_dir"
command -v gcovr >/dev/null || { echo "gcovr is needed (apt-get install gcovr)" >&2; exit 1; }
# Two build and two test jobs unless the caller chose otherwise (the presets
# leave it to the caller).
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2} CTEST_PARALLEL_LEVEL=${CTEST_PARALLEL_LEVEL:-2}
find build/coverage -name '*.gcda' -delete 2>/dev/null || true
cmake --workflow --preset coverage >/dev/null
gcovr -j "${CMAKE_BUILD_PARALLEL_LEVEL}" --root . build/coverage --filter 'src/' --exclude-throw-branches --exclude-unreachable-branches \
    --print-summary --fail-under-line 95 --fail-under-branch 90
