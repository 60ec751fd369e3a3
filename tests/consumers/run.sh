#!/usr/bin/env bash
# Installs the project into a fresh prefix, moves the prefix, runs the tool
# from where it now is, and builds the consumers the ways users do:
# find_package (in C) and pkg-config against the moved prefix; then a
# project that builds this one as its subproject (add_subdirectory) with
# BUILD_SHARED_LIBS=OFF and without the tool, as an embedding project does, and from that same build tree installs the static
# library into a second prefix for find_package and pkg-config --static
# consumers, none of which may need a shared library of the project. (One
# configured consumer project serves both: the sources compile once.)
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

linked_statically() {
    if ldd "$1" | grep -q ZorvaneCalculatorElectronics; then
        echo "$1 needs a shared library of the project" >&2
        exit 1
    fi
    "$1"
}

echo "consumer: add_subdirectory, the library static"
subproject=$work/add_subdirectory
cmake -S "$source_dir/tests/consumers/add_subdirectory" -B "$subproject" \
    -DZORVANE_SOURCE_DIR="$source_dir" -DBUILD_SHARED_LIBS=OFF -DZORVANE_WARNINGS_AS_ERRORS=ON \
    -DZORVANE_BUILD_CLI=OFF >/dev/null
cmake --build "$subproject" -j2 >/dev/null
linked_statically "$subproject/consumer"
# Embedding the library compiles none of the hosts' layer.
if [[ -n $(find "$subproject/zorvane" -name 'libzorvane_host*' -print -quit) ]]; then
    echo "the subproject built the hosts' layer, which the library does not need" >&2
    exit 1
fi
# Built as a subproject, the project adds none of its tests to the consumer's.
if grep -q "core_tests" "$subproject/zorvane/CTestTestfile.cmake" 2>/dev/null; then
    echo "the subproject added its tests" >&2
    exit 1
fi

static_prefix=$work/static-prefix
cmake --install "$subproject" --prefix "$static_prefix" >/dev/null
for file in lib/libZorvaneCalculatorElectronics.a lib/libzorvane_core.a include/zorvane/electronics_calc.h \
            lib/cmake/ZorvaneCalculatorElectronics/ZorvaneCalculatorElectronicsTargets.cmake; do
    [[ -e $static_prefix/$file ]] || { echo "not installed: $file" >&2; exit 1; }
done
if compgen -G "$static_prefix/lib/libZorvaneCalculatorElectronics.so*" >/dev/null; then
    echo "a static build installed a shared library" >&2
    exit 1
fi
echo "installed static: the library, the core archive, header and CMake package"

echo "consumer: find_package, the static library"
cmake -S "$source_dir/tests/consumers/static" -B "$work/static_find_package" \
    -DCMAKE_PREFIX_PATH="$static_prefix" >/dev/null
cmake --build "$work/static_find_package" >/dev/null
linked_statically "$work/static_find_package/consumer"

echo "consumer: pkg-config --static"
# shellcheck disable=SC2046
cc -std=c11 -Wall -Werror -o "$work/static_pkg_config_consumer" "$source_dir/tests/consumers/consumer.c" \
    $(PKG_CONFIG_PATH=$static_prefix/lib/pkgconfig pkg-config --static --cflags --libs ZorvaneCalculatorElectronics)
linked_statically "$work/static_pkg_config_consumer"
