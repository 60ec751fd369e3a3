#!/bin/sh
# Writes tests/vectors/statistics.tsv from the arguments in its first column,
# with the JSON lines the given zorvane-calc writes for them. Run it only on
# x86-64 Linux, and only when a change of the statistics' figures is meant:
# every other platform must reproduce these lines byte for byte.
#   tests/vectors/make_statistics_vectors.sh build/test/zorvane-calc
set -euf  # (no globbing: a command may hold ?)
tool=$1
vectors=$(dirname "$0")/statistics.tsv
header=$(grep '^#' "$vectors")
arguments=$(grep -v '^#' "$vectors" | cut -f1)
{
    printf '%s\n' "$header"
    printf '%s\n' "$arguments" | while IFS= read -r line; do
        # (Word splitting is the point: options, then the command's words.)
        # shellcheck disable=SC2086
        printf '%s\t%s\n' "$line" "$("$tool" --json $line)" || true
    done
} > "$vectors.new"
mv "$vectors.new" "$vectors"
