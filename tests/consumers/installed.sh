#!/usr/bin/env bash
# Builds and runs the consumers of an installed library the ways users do:
# find_package (in C) and pkg-config. Without PREFIX, against the system's
# own installation (the -dev package).
#
#   installed.sh SOURCE_DIR WORK_DIR [PREFIX]
set -euo pipefail
source_dir=$1
work=$2
prefix=${3:-}
mkdir -p "$work"

echo "consumer: find_package, in C"
cmake -S "$source_dir/tests/consumers/find_package" -B "$work/find_package" \
    ${prefix:+-DCMAKE_PREFIX_PATH="$prefix"} >/dev/null
cmake --build "$work/find_package" >/dev/null
"$work/find_package/consumer"

echo "consumer: pkg-config"
if [[ -n $prefix ]]; then
    export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
fi
[[ $(pkg-config --modversion ZorvaneCalculatorElectronics) == 1.0.0.1 ]]
# shellcheck disable=SC2046
cc -std=c11 -Wall -Werror -o "$work/pkg_config_consumer" "$source_dir/tests/consumers/consumer.c" \
    $(pkg-config --cflags --libs ZorvaneCalculatorElectronics)
# pkg-config adds no run path: the loader finds the library by the prefix.
LD_LIBRARY_PATH=${prefix:+$prefix/lib} "$work/pkg_config_consumer"
