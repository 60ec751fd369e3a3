#!/usr/bin/env bash
# Instructions per ElectronicsCalc call on the benchmark corpus, counted by
# callgrind inside the call (the C and C++ library code it calls included).
# Before the figure, where the corpus's instructions go, part by part. The
# last line printed is the figure.
#
#   bench/instructions.sh [BUILD_DIR]     (default: build/bench, configured here)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$source_dir/build/bench}
command -v valgrind >/dev/null || { echo "valgrind is needed (apt-get install valgrind)" >&2; exit 1; }

# The Release build with line tables added: -g leaves the code as it is (the
# counts are those of a build without it) and lets callgrind tell which
# source each inlined instruction comes from.
cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DZORVANE_BUILD_BENCHMARKS=ON \
    "-DCMAKE_CXX_FLAGS_RELEASE=-O3 -DNDEBUG -g" >/dev/null
cmake --build "$build_dir" --target corpus_driver -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$source_dir/bench/make_corpus.py" "$work/corpus.txt" 10000
driver=$(find "$build_dir" -name corpus_driver -type f -perm -u+x | head -n 1)
# Runs the driver over a file of commands; the number of calls.
profile() {
    valgrind --tool=callgrind --toggle-collect=ElectronicsCalc --callgrind-out-file="$work/out" \
        "$driver" "$1" >"$work/stdout" 2>"$work/stderr"
    awk '{print $1}' "$work/stdout"
}
# Instructions per call for a file of commands.
per_call() {
    local calls
    calls=$(profile "$1")
    awk -v calls="$calls" '/^summary:/ { printf "%.0f", $2 / calls }' "$work/out"
}

# The first and the last row with the same three values: lookup costs the same.
for _ in $(seq 1000); do echo "ohms_voltage 25 2 10"; done >"$work/row1.txt"
for _ in $(seq 1000); do echo "junction_temperature 25 2 10"; done >"$work/row50.txt"
echo "row 1 (ohms_voltage 25 2 10): $(per_call "$work/row1.txt") instructions per call"
echo "row 50 (junction_temperature 25 2 10): $(per_call "$work/row50.txt") instructions per call"

# The parts, from callgrind_annotate's inclusive counts per source file: the
# code inlined into the call is told apart by the file it comes from, and a
# file's count takes in the library functions called from its lines.
#   convert   UTF-16 to Windows-1252 and back (text_conversion.cpp, SSE2 intrinsics, <bit>)
#   parse     the value tokens (parse_number.cpp, exact_decimal.cpp when called from it)
#   format    the "%.6f" text (number_format.cpp, std::to_chars)
#   lookup    finding the row by its name in any case (formula_table.cpp, lowercase.cpp)
#   formulas  the evaluators themselves and the maths library (their own instructions)
#   command   everything else: entry, tokenizing, outcome, writing the line
calls=$(profile "$work/corpus.txt")
# (From the work directory, which holds no source: callgrind_annotate writes
# the paths below its working directory relative to it.)
(cd "$work" && callgrind_annotate --auto=no --inclusive=yes --threshold=100 out >inclusive 2>/dev/null)
(cd "$work" && callgrind_annotate --auto=no --threshold=100 out >self 2>/dev/null)
awk -v calls="$calls" -v source="$source_dir/" '
    function count(text) { gsub(",", "", text); return text + 0 }
    FNR == 1 { file++ }
    /^ *[0-9,]+ +\(.*%\) +PROGRAM TOTALS/ { total = count($1) }
    !/^ *[0-9,]+ +\(/ || /PROGRAM TOTALS/ { next }
    {
        cost = count($1)
        where = $0
        sub(/^ *[0-9,]+ +\( *[0-9.]+%\) +/, "", where)
    }
    file == 1 && where ~ /text_conversion\.cpp:|intrin\.h:|c\+\+\/[0-9]+\/bit:/ { part["convert"] += cost }
    file == 1 && where ~ /parse_number\.cpp:/ { part["parse"] += cost }
    file == 1 && where ~ /number_format\.cpp:/ { part["format"] += cost }
    file == 1 && where ~ /formula_table\.cpp:|lowercase\.cpp:/ { part["lookup"] += cost }
    file == 2 && where ~ /_formulas\.h:|zero_guard\.h:|formula_table\.h:|constants\.h:|libm\.so|\/math\/|ieee754/ {
        part["formulas"] += cost
    }
    # Code compiled into the library: its sources and the headers inlined into them.
    file == 2 && (index(where, source) == 1 || where ~ /^\/usr\/include\/|^\/usr\/lib\/gcc\//) {
        own += cost
    }
    END {
        rest = total
        split("parse convert format lookup formulas", names, " ")
        for (i = 1; i in names; i++) {
            printf "  %-9s %6.0f\n", names[i], part[names[i]] / calls
            rest -= part[names[i]]
        }
        printf "  %-9s %6.0f\n", "command", rest / calls
        printf "  (in the module itself %.0f, in the C and C++ libraries the rest)\n", own / calls
    }' "$work/inclusive" "$work/self" >"$work/parts"
echo "instructions per call by part (mixed corpus):"
cat "$work/parts"
echo "instructions per call: $(awk -v calls="$calls" '/^summary:/ { printf "%.0f", $2 / calls }' "$work/out")"
