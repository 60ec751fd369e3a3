#!/usr/bin/env bash
# Builds the library static (BUILD_SHARED_LIBS=OFF), installs it into a
# fresh prefix and links two consumers to it: find_package and pkg-config.
# Neither may need a shared library of the project to run.
#
#   run.sh SOURCE_DIR WORK_DIR
set -euo pipefail
source_dir=$1
work=$2
rm -rf "$work"
prefix=$work/prefix

cmake -S "$source_dir" -B "$work/build" -DBUILD_SHARED_LIBS=OFF -DCMAKE_BUILD_TYPE=Release \
    -DZORVANE_BUILD_TESTS=OFF -DZORVANE_BUILD_CLI=OFF -DZORVANE_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build "$work/build" -j2 >/dev/null
cmake --install "$work/build" --prefix "$prefix" >/dev/null
for file in lib/libZorvaneCalculatorElectronics.a lib/libzorvane_core.a include/zorvane/electronics_calc.h \
            lib/cmake/ZorvaneCalculatorElectronics/ZorvaneCalculatorElectronicsTargets.cmake; do
    [[ -e $prefix/$file ]] || { echo "not installed: $file" >&2; exit 1; }
done
if compgen -G "$prefix/lib/libZorvaneCalculatorElectronics.so*" >/dev/null; then
    echo "a static build installed a shared library" >&2
    exit 1
fi
echo "installed: the static library, the core archive, header and CMake package"

linked_statically() {
    if ldd "$1" | grep -q ZorvaneCalculatorElectronics; then
        echo "$1 needs a shared library of the project" >&2
        exit 1
    fi
    "$1"
}

echo "consumer 1: find_package"
cmake -S "$source_dir/tests/consumers/static" -B "$work/find_package" \
    -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/find_package" >/dev/null
linked_statically "$work/find_package/consumer"

echo "consumer 2: pkg-config --static"
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
# shellcheck disable=SC2046
cc -std=c11 -Wall -Werror -o "$work/pkg_config_consumer" "$source_dir/tests/consumers/consumer.c" \
    $(pkg-config --static --cflags --libs ZorvaneCalculatorElectronics)
linked_statically "$work/pkg_config_consumer"
