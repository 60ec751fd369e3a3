#!/usr/bin/env bash
# Cross-builds the Windows DLLs (x86-64 and 32-bit x86), zorvane-calc.exe and
# the test hosts with mingw-w64 from the presets `windows` and `windows-x86`,
# checks each DLL's exports, imports, image base, that the zip's files are
# stripped and build reproducibly, runs the hosts and the tool under Wine
# over the shared vectors, and checks that the two DLLs give the same lines.
# Part of the test suite: a missing toolchain is installed where that is
# possible (as root, with apt-get), and fails the test with the packages to
# install where it is not.
#
# With `import-library` it checks, in the trees the first run built, the
# .lib import libraries and runs the C host linked against each.
#
# The cross builds run niced, one compiler each (three at most at once: both
# architectures and the second build that checks reproducibility), so that
# the tests and builds beside them keep the machine.
#
#   run_under_wine.sh SOURCE_DIR WORK_DIR [import-library]
set -euo pipefail
source_dir=$1
work_dir=$2
mode=${3:-all}
mkdir -p "$work_dir"
# Written when a whole run has built, checked and run both trees: what the
# import libraries' run needs.
built_stamp=$work_dir/trees-built

find_toolchain() {
    missing=()
    command -v x86_64-w64-mingw32-g++ >/dev/null || missing+=(g++-mingw-w64-x86-64-win32)
    command -v i686-w64-mingw32-g++ >/dev/null || missing+=(g++-mingw-w64-i686-win32)
    wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
    wine32=/usr/lib/wine/wine  # from wine32:i386, which runs 32-bit programs
    wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
    [[ -x $wine64 && -x $wineserver ]] || missing+=(wine wine64)
    [[ -x $wine32 ]] || missing+=(wine32:i386)
}
find_toolchain
if ((${#missing[@]})) && [[ $(id -u) == 0 ]] && command -v apt-get >/dev/null; then
    echo "installing the Windows toolchain: ${missing[*]}"
    {
        if [[ " ${missing[*]} " == *" wine32:i386 "* ]]; then dpkg --add-architecture i386; fi
        apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
            --no-install-recommends "${missing[@]}"
    } >"$work_dir.apt.log" 2>&1 || true
    find_toolchain
fi
if ((${#missing[@]})); then
    echo "The Windows leg needs: ${missing[*]}, and they could not be installed." >&2
    echo "Install them with (wine32:i386 after dpkg --add-architecture i386 and apt-get update):" >&2
    echo "  apt-get install --no-install-recommends ${missing[*]}" >&2
    exit 1
fi

export WINEPREFIX=$work_dir/wineprefix-$mode WINEDEBUG=-all,err+module LC_ALL=C
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
rm -rf "$WINEPREFIX" "$WINEPREFIX.booted"
trap '"$wineserver" -k 2>/dev/null || true' EXIT

# The prefix is made once, by the 64-bit loader (it runs both kinds of
# program), while the trees build; the first program run waits for it.
boot_prefix() {
    local status=0
    "$wine64" wineboot --init >"$WINEPREFIX.log" 2>&1 || status=$?
    echo "$status" >"$WINEPREFIX.booted"
}
prefix_booted() {
    while [[ ! -f $WINEPREFIX.booted ]]; do sleep 1; done
    [[ $(cat "$WINEPREFIX.booted") == 0 ]] ||
        { cat "$WINEPREFIX.log" >&2; echo "wineboot failed" >&2; exit 1; }
}

# Runs a program under Wine from its own directory, with Unix line ends.
# Wine's own notes (about the new prefix, or a crash of one of its helper
# processes while a loaded machine sets the prefix up) go to standard error,
# so that only the program's lines are compared.
run_wine() {
    local loader=$1 program=$2
    shift 2
    prefix_booted
    (cd "$(dirname "$program")" && "$loader" "./$(basename "$program")" "$@") 2>&1 | tr -d '\r' |
        awk '/^wine: / { print > "/dev/stderr"; next } { print }'
}

# check_shipped BUILD TRIPLE: the files of the Windows zip that BUILD made
# (BUILD/dist, packaging/windows): stripped, each naming its .debug file, the
# debug information in that file.
check_shipped() {
    local build=$1 triple=$2 binary sections
    for binary in "$build"/dist/*.dll "$build"/dist/*.exe; do
        sections=$("$triple-objdump" -h "$binary" | awk '$1 ~ /^[0-9]+$/ {print $2}')
        if grep -q '^\.debug' <<<"$sections"; then
            echo "$binary keeps debug sections" >&2
            exit 1
        fi
        # (Given no output file, objcopy would rewrite the binary in place.)
        "$triple-objcopy" --dump-section .gnu_debuglink="$work_dir/debuglink" "$binary" "$work_dir/discarded"
        [[ $(tr -d '\0' <"$work_dir/debuglink" | head -c 200) == "$(basename "$binary").debug"* ]] ||
            { echo "$binary does not name $(basename "$binary").debug" >&2; exit 1; }
        grep -q ' \.debug_info ' <<<"$("$triple-objdump" -h "$binary.debug")" ||
            { echo "$binary.debug holds no debug information" >&2; exit 1; }
    done
    echo "stripped, the debug information in .debug files: $(cd "$build/dist" && ls *.dll *.exe | tr '\n' ' ')"
}

# Configures and builds a tree at a low priority, one compiler at a time.
build_tree() {
    local preset=$1 build=$2
    shift 2
    nice -n 10 cmake -S "$source_dir" --preset "$preset" -B "$build" >/dev/null
    nice -n 10 cmake --build "$build" -j1 "$@" >/dev/null
}

# check_dll PRESET TRIPLE IMAGE_BASE WINE [reproducible]: builds, checks and runs one DLL,
# as it ships (stripped).
check_dll() {
    local preset=$1 triple=$2 image_base=$3 wine=$4 check_reproducible=${5:-}
    local build=$work_dir/$preset
    echo "==== $preset ($triple)"
    build_tree "$preset" "$build"
    local dll=$build/dist/ZorvaneCalculatorElectronics.dll

    # Reproducible: a second build in another directory gives the same bytes,
    # for every file of the zip and of the debug zip (compared below, once it
    # has built beside the checks). Both architectures build with the same
    # flags, so one of them is checked.
    local again=
    if [[ -n $check_reproducible ]]; then
        build_tree "$preset" "$build-again" --target zorvane_windows_dist &
        again=$!
    fi

    local exports imports base
    exports=$("$triple-objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
              grep -E '^\s+\[' | awk '{print $NF}')
    echo "exports: $exports"
    [[ $exports == ElectronicsCalc ]] || { echo "the DLL must export ElectronicsCalc alone" >&2; exit 1; }
    imports=$("$triple-objdump" -p "$dll" | awk '/DLL Name:/ {print $3}' | sort | tr '\n' ' ')
    echo "imports: $imports"
    [[ $imports == "KERNEL32.dll msvcrt.dll " ]] || { echo "the DLL must need system DLLs only" >&2; exit 1; }
    base=$("$triple-objdump" -p "$dll" | awk '/^ImageBase/ {print $2}')
    echo "image base: 0x$base"
    [[ $((16#$base)) == $((image_base)) ]] || { echo "the image base must be $image_base" >&2; exit 1; }
    check_shipped "$build" "$triple"

    local host_dir=$build/tests/windows
    cp "$dll" "$host_dir/"
    # The same arguments for both DLLs, so that their outputs compare line for line.
    cp "$build/tests/windows/random_vectors.tsv" "$work_dir/random_vectors.tsv"
    local vectors=$source_dir/tests/vectors
    run_wine "$wine" "$host_dir/windows_host.exe" "$vectors/formulas.tsv" "$vectors/commands.tsv" \
        "$vectors/windows_conversion.tsv" "$vectors/solve.tsv" "$work_dir/random_vectors.tsv" |
        tee "$work_dir/$preset.out"
    grep -q '^1 passed, 0 failed$' "$work_dir/$preset.out"
    if [[ -f $host_dir/stdcall_default_host.exe ]]; then
        run_wine "$wine" "$host_dir/stdcall_default_host.exe"
    fi
    if [[ -n $again ]]; then
        wait "$again" || { echo "the second build of $preset failed" >&2; exit 1; }
        diff -r "$build/dist" "$build-again/dist" >&2 ||
            { echo "two builds of the zip's files differ" >&2; exit 1; }
        echo "reproducible: $(cd "$build/dist" && ls | tr '\n' ' ')"
    fi
}

# check_tool PRESET TRIPLE WINE: zorvane-calc.exe as it ships from PRESET
# (built and found reproducible by check_dll): system DLLs only, and its
# modes under Wine.
check_tool() {
    local preset=$1 triple=$2 wine=$3
    local exe=$work_dir/$preset/dist/zorvane-calc.exe imports
    echo "==== zorvane-calc.exe ($preset)"
    imports=$("$triple-objdump" -p "$exe" | awk '/DLL Name:/ {print $3}' | sort | tr '\n' ' ')
    echo "imports: $imports"
    [[ $imports == "KERNEL32.dll SHELL32.dll msvcrt.dll " ]] ||
        { echo "zorvane-calc.exe must need system DLLs only" >&2; exit 1; }
    python3 "$source_dir/tests/windows/zorvane_calc_under_wine.py" "$wine" "$exe" "$source_dir"
}

# check_import_library PRESET TRIPLE WINE SYMBOL: the .lib of PRESET's
# build defines SYMBOL (the name a linker of that architecture looks for)
# and its import stub, imports the undecorated export, and the C host
# linked against it calls the stripped DLL under Wine.
check_import_library() {
    local preset=$1 triple=$2 wine=$3 symbol=$4
    local build=$work_dir/$preset lib=$work_dir/$preset/dist/ZorvaneCalculatorElectronics.lib
    echo "==== ZorvaneCalculatorElectronics.lib ($preset)"
    [[ -f $lib && -f $build/tests/windows/import_library_host.exe ]] ||
        { echo "$build has no .lib or import_library_host.exe: windows_dll_under_wine builds them" >&2; exit 1; }
    local defined
    defined=$("$triple-nm" "$lib" | awk '$2 ~ /^[TI]$/ && $3 ~ /ElectronicsCalc$/ {print $3}' | sort | tr '\n' ' ')
    echo "defines: $defined"
    [[ $defined == "$symbol __imp_$symbol " ]] ||
        { echo "the .lib must define $symbol and __imp_$symbol" >&2; exit 1; }
    local imported
    imported=$("$triple-objdump" -p "$build/tests/windows/import_library_host.exe" |
               awk '/DLL Name:/ {dll = $3} dll ~ /^ZORVANECALCULATORELECTRONICS\.dll$/ && NF == 3 && $1 ~ /^[0-9a-f]+$/ {print dll, $3}')
    echo "the host imports: $imported"
    [[ $imported == "ZORVANECALCULATORELECTRONICS.dll ElectronicsCalc" ]] ||
        { echo "the host must import ElectronicsCalc from the DLL" >&2; exit 1; }
    cp "$build/dist/ZorvaneCalculatorElectronics.dll" "$build/tests/windows/"
    run_wine "$wine" "$build/tests/windows/import_library_host.exe" | tee "$work_dir/$preset.import.out"
    grep -q ', 0 failed$' "$work_dir/$preset.import.out"
}

if [[ $mode == import-library ]]; then
    [[ -f $built_stamp ]] ||
        { echo "no checked Windows trees in $work_dir: windows_dll_under_wine builds them, and has not passed there" >&2
          exit 1; }
    boot_prefix &
    check_import_library windows x86_64-w64-mingw32 "$wine64" ElectronicsCalc
    check_import_library windows-x86 i686-w64-mingw32 "$wine32" _ElectronicsCalc
    exit 0
fi

rm -f "$built_stamp"
boot_prefix &
# The two architectures side by side, each leg's lines in a log of its own,
# shown when both have ended: much of a leg is Wine running one program at
# a time, which leaves a core to the other leg's build.
(check_dll windows x86_64-w64-mingw32 0x180000000 "$wine64" reproducible
    check_tool windows x86_64-w64-mingw32 "$wine64") >"$work_dir/windows.log" 2>&1 &
x64=$!
(check_dll windows-x86 i686-w64-mingw32 0x10000000 "$wine32"
    check_tool windows-x86 i686-w64-mingw32 "$wine32") >"$work_dir/windows-x86.log" 2>&1 &
x86=$!
x64_status=0 x86_status=0
wait "$x64" || x64_status=$?
wait "$x86" || x86_status=$?
cat "$work_dir/windows.log" "$work_dir/windows-x86.log"
((x64_status == 0 && x86_status == 0)) ||
    { echo "the Windows legs failed: x86-64 status $x64_status, x86 status $x86_status" >&2; exit 1; }

echo "==== the 32-bit and the 64-bit DLL"
diff "$work_dir/windows.out" "$work_dir/windows-x86.out" ||
    { echo "the two DLLs give different lines" >&2; exit 1; }
echo "the same lines, line for line"
touch "$built_stamp"
