#!/usr/bin/env bash
# Installs the project into a fresh prefix and builds three consumers the
# ways users do: find_package (in C), pkg-config, and add_subdirectory.
#
#   run.sh SOURCE_DIR BUILD_DIR WORK_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
work=$3
rm -rf "$work"
prefix=$work/prefix

cmake --install "$build_dir" --prefix "$prefix" >/dev/null
for file in lib/libZorvaneCalculatorElectronics.so lib/libZorvaneCalculatorElectronics.so.1 \
            lib/libZorvaneCalculatorElectronics.so.1.0.0.1 include/zorvane/electronics_calc.h \
            bin/zorvane-calc lib/pkgconfig/ZorvaneCalculatorElectronics.pc \
            lib/cmake/ZorvaneCalculatorElectronics/ZorvaneCalculatorElectronicsConfig.cmake; do
    [[ -e $prefix/$file ]] || { echo "not installed: $file" >&2; exit 1; }
done
[[ $(readlink "$prefix/lib/libZorvaneCalculatorElectronics.so.1") == libZorvaneCalculatorElectronics.so.1.0.0.1 ]]
[[ $(LD_LIBRARY_PATH=$prefix/lib "$prefix/bin/zorvane-calc" power_vi 12 0.5) == "Power = 6.000000 W" ]]
echo "installed: library with its SONAME links, header, zorvane-calc, CMake package, pkg-config file"

echo "consumer 1: find_package, in C"
cmake -S "$source_dir/tests/consumers/find_package" -B "$work/find_package" \
    -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/find_package" >/dev/null
LD_LIBRARY_PATH=$prefix/lib "$work/find_package/consumer"

echo "consumer 2: pkg-config"
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
[[ $(pkg-config --modversion ZorvaneCalculatorElectronics) == 1.0.0.1 ]]
# shellcheck disable=SC2046
cc -std=c11 -Wall -Werror -o "$work/pkg_config_consumer" "$source_dir/tests/consumers/consumer.c" \
    $(pkg-config --cflags --libs ZorvaneCalculatorElectronics)
LD_LIBRARY_PATH=$prefix/lib "$work/pkg_config_consumer"

echo "consumer 3: add_subdirectory"
cmake -S "$source_dir/tests/consumers/add_subdirectory" -B "$work/add_subdirectory" \
    -DZORVANE_SOURCE_DIR="$source_dir" >/dev/null
cmake --build "$work/add_subdirectory" -j2 >/dev/null
"$work/add_subdirectory/consumer"
# Built as a subproject, the project adds none of its tests to the consumer's.
if grep -q "core_tests" "$work/add_subdirectory/zorvane/CTestTestfile.cmake" 2>/dev/null; then
    echo "the subproject added its tests" >&2
    exit 1
fi
