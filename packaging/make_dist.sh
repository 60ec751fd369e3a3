#!/usr/bin/env bash
# Builds the release artefacts into dist/: the Debian package of the library
# and zorvane-calc, and a zip of the Windows DLL with its header, the formula
# reference and a short README.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
cd "$source_dir"
version=1.0.0.1
rm -rf dist
mkdir -p dist

cmake --workflow --preset release >/dev/null
(cd build/release && cpack -G DEB -B "$source_dir/dist" >/dev/null)
rm -rf dist/_CPack_Packages

cmake --workflow --preset windows >/dev/null
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
package=ZorvaneCalculatorElectronics-$version-win64
mkdir -p "$stage/$package"
cp build/windows/ZorvaneCalculatorElectronics.dll build/windows/ZorvaneCalculatorElectronics.dll.a \
   include/zorvane/electronics_calc.h "$stage/$package/"
cp packaging/README-windows.txt "$stage/$package/README.txt"
build/release/zorvane-calc --reference "$stage/$package" >/dev/null
(cd "$stage" && cmake -E tar cf "$source_dir/dist/$package.zip" --format=zip "$package")

ls -l dist
