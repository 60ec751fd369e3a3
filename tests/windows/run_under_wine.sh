#!/usr/bin/env bash
# Cross-builds the Windows DLLs (x86-64 and 32-bit x86) and their test hosts
# with mingw-w64 from the presets `windows` and `windows-x86`, checks each
# DLL's exports, imports, image base and that it builds reproducibly, runs
# the hosts under Wine over the shared vectors, and checks that the two DLLs
# give the same lines. Part of the test suite: a missing toolchain is
# installed where that is possible (as root, with apt-get), and fails the
# test with the packages to install where it is not.
#
#   run_under_wine.sh SOURCE_DIR WORK_DIR
set -euo pipefail
source_dir=$1
work_dir=$2
mkdir -p "$work_dir"

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

export WINEPREFIX=$work_dir/wineprefix WINEDEBUG=-all,err+module LC_ALL=C
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
rm -rf "$WINEPREFIX"
trap '"$wineserver" -k 2>/dev/null || true' EXIT

# Runs a program under Wine from its own directory, with Unix line ends.
# Wine's own notes (about the new prefix, or a crash of one of its helper
# processes while a loaded machine sets the prefix up) go to standard error,
# so that only the program's lines are compared.
run_wine() {
    local loader=$1 program=$2
    shift 2
    (cd "$(dirname "$program")" && "$loader" "./$(basename "$program")" "$@") 2>&1 | tr -d '\r' |
        awk '/^wine: / { print > "/dev/stderr"; next } { print }'
}

# check_dll PRESET TRIPLE IMAGE_BASE WINE: builds, checks and runs one DLL.
check_dll() {
    local preset=$1 triple=$2 image_base=$3 wine=$4
    local build=$work_dir/$preset
    echo "==== $preset ($triple)"
    cmake -S "$source_dir" --preset "$preset" -B "$build" >/dev/null
    cmake --build "$build" -j2 >/dev/null
    local dll=$build/ZorvaneCalculatorElectronics.dll

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

    # Reproducible: a second build in another directory gives the same bytes.
    cmake -S "$source_dir" --preset "$preset" -B "$build-again" >/dev/null
    cmake --build "$build-again" --target ZorvaneCalculatorElectronics -j2 >/dev/null
    cmp "$dll" "$build-again/ZorvaneCalculatorElectronics.dll" ||
        { echo "two builds of the DLL differ" >&2; exit 1; }
    echo "reproducible: $(sha256sum "$dll" | cut -c1-16)..."

    local host_dir=$build/tests/windows
    cp "$dll" "$host_dir/"
    # The same arguments for both DLLs, so that their outputs compare line for line.
    cp "$build/tests/windows/random_vectors.tsv" "$work_dir/random_vectors.tsv"
    local vectors=$source_dir/tests/vectors
    run_wine "$wine" "$host_dir/windows_host.exe" "$vectors/formulas.tsv" "$vectors/commands.tsv" \
        "$vectors/windows_conversion.tsv" "$work_dir/random_vectors.tsv" | tee "$work_dir/$preset.out"
    grep -q '^1 passed, 0 failed$' "$work_dir/$preset.out"
    if [[ -f $host_dir/stdcall_default_host.exe ]]; then
        run_wine "$wine" "$host_dir/stdcall_default_host.exe"
    fi
}

# check_tool: zorvane-calc.exe of the `windows` preset (built by check_dll):
# system DLLs only, reproducible, and its modes under Wine.
check_tool() {
    local exe=$work_dir/windows/zorvane-calc.exe imports
    echo "==== zorvane-calc.exe"
    imports=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}' | sort | tr '\n' ' ')
    echo "imports: $imports"
    [[ $imports == "KERNEL32.dll SHELL32.dll msvcrt.dll " ]] ||
        { echo "zorvane-calc.exe must need system DLLs only" >&2; exit 1; }
    cmake --build "$work_dir/windows-again" --target zorvane-calc -j2 >/dev/null
    cmp "$exe" "$work_dir/windows-again/zorvane-calc.exe" ||
        { echo "two builds of zorvane-calc.exe differ" >&2; exit 1; }
    python3 "$source_dir/tests/windows/zorvane_calc_under_wine.py" "$wine64" "$exe" "$source_dir"
}

check_dll windows x86_64-w64-mingw32 0x180000000 "$wine64"
check_tool
check_dll windows-x86 i686-w64-mingw32 0x10000000 "$wine32"

echo "==== the 32-bit and the 64-bit DLL"
diff "$work_dir/windows.out" "$work_dir/windows-x86.out" ||
    { echo "the two DLLs give different lines" >&2; exit 1; }
echo "the same lines, line for line"
