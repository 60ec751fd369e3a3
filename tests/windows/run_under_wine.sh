#!/usr/bin/env bash
# Cross-builds the Windows DLL and its test host with mingw-w64, checks the
# DLL's exports and that it builds reproducibly, then runs the host under
# Wine over the shared vectors. Part of the test suite: a missing toolchain is
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
    wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
    wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
    [[ -x $wine && -x $wineserver ]] || missing+=(wine wine64)
}
find_toolchain
if ((${#missing[@]})) && [[ $(id -u) == 0 ]] && command -v apt-get >/dev/null; then
    echo "installing the Windows toolchain: ${missing[*]}"
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        --no-install-recommends "${missing[@]}"; } >"$work_dir.apt.log" 2>&1 || true
    find_toolchain
fi
if ((${#missing[@]})); then
    echo "The Windows leg needs: ${missing[*]}, and they could not be installed." >&2
    echo "Install them with: apt-get install --no-install-recommends ${missing[*]}" >&2
    exit 1
fi

build() {
    cmake -S "$source_dir" -B "$1" -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DZORVANE_BUILD_TESTS=OFF -DZORVANE_BUILD_CLI=OFF \
        -DZORVANE_BUILD_WINDOWS_HOST=ON -DZORVANE_WARNINGS_AS_ERRORS=ON >/dev/null
    cmake --build "$1" -j2 >/dev/null
}
build "$work_dir/build"
dll=$work_dir/build/ZorvaneCalculatorElectronics.dll

exports=$(x86_64-w64-mingw32-objdump -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          grep -E '^\s+\[' | awk '{print $NF}')
echo "exports: $exports"
[[ $exports == ElectronicsCalc ]] || { echo "the DLL must export ElectronicsCalc alone" >&2; exit 1; }
imports=$(x86_64-w64-mingw32-objdump -p "$dll" | awk '/DLL Name:/ {print $3}' | sort | tr '\n' ' ')
echo "imports: $imports"
[[ $imports == "KERNEL32.dll msvcrt.dll " ]] || { echo "the DLL must need system DLLs only" >&2; exit 1; }

# Reproducible: a second build in another directory gives the same bytes.
build "$work_dir/again"
cmp "$dll" "$work_dir/again/ZorvaneCalculatorElectronics.dll" ||
    { echo "two builds of the DLL differ" >&2; exit 1; }
echo "reproducible: $(sha256sum "$dll" | cut -c1-16)..."

host_dir=$work_dir/build/tests/windows
cp "$dll" "$host_dir/"
export WINEPREFIX=$work_dir/wineprefix WINEDEBUG=-all,err+module LC_ALL=C
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
rm -rf "$WINEPREFIX"
status=0
(cd "$host_dir" && "$wine" ./windows_host.exe "$source_dir"/tests/vectors/formulas.tsv \
    "$source_dir"/tests/vectors/commands.tsv "$source_dir"/tests/vectors/windows_conversion.tsv \
    random_vectors.tsv) 2>&1 | grep -v -E '^wine: (failed to open|configuration in)' || status=$?
"$wineserver" -k || true
exit "$status"
