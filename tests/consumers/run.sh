#!/usr/bin/env bash
# Installs the project into a fresh prefix, moves the prefix, runs the tool
# from where it now is, and builds three consumers the ways users do:
# find_package (in C), pkg-config (both against the moved prefix), and
# add_subdirectory.
#
#   run.sh SOURCE_DIR BUILD_DIR WORK_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
work=$3
rm -rf "$work"
mkdir -p "$work"
prefix=$work/prefix

cmake --install "$build_dir" --prefix "$work/installed" >/dev/null
mv "$work/installed" "$prefix"
for file in lib/libZorvaneCalculatorElectronics.so lib/libZorvaneCalculatorElectronics.so.1 \
            lib/libZorvaneCalculatorElectronics.so.1.0.0.1 include/zorvane/electronics_calc.h \
            bin/zorvane-calc lib/pkgconfig/ZorvaneCalculatorElectronics.pc \
            lib/cmake/ZorvaneCalculatorElectronics/ZorvaneCalculatorElectronicsConfig.cmake \
            share/doc/ZorvaneCalculatorElectronics/LICENSE; do
    [[ -e $prefix/$file ]] || { echo "not installed: $file" >&2; exit 1; }
done
[[ $(readlink "$prefix/lib/libZorvaneCalculatorElectronics.so.1") == libZorvaneCalculatorElectronics.so.1.0.0.1 ]]
# The tool carries the core inside: it runs from the moved prefix as it is.
line=$(env -u LD_LIBRARY_PATH "$prefix/bin/zorvane-calc" power_vi 12 0.5)
[[ $line == "Power = 6.000000 W" ]] || { echo "moved prefix: zorvane-calc gave '$line'" >&2; exit 1; }
echo "installed, then moved: library with its SONAME links, header, licence, zorvane-calc (runs), CMake package, pkg-config file"

bash "$source_dir/tests/consumers/installed.sh" "$source_dir" "$work" "$prefix"

echo "consumer: add_subdirectory"
cmake -S "$source_dir/tests/consumers/add_subdirectory" -B "$work/add_subdirectory" \
    -DZORVANE_SOURCE_DIR="$source_dir" >/dev/null
cmake --build "$work/add_subdirectory" -j2 >/dev/null
"$work/add_subdirectory/consumer"
# Built as a subproject, the project adds none of its tests to the consumer's.
if grep -q "core_tests" "$work/add_subdirectory/zorvane/CTestTestfile.cmake" 2>/dev/null; then
    echo "the subproject added its tests" >&2
    exit 1
fi
