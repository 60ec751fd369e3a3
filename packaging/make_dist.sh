#!/usr/bin/env bash
# Builds the release artefacts into dist/: the three Debian packages (the
# runtime library, its development files, zorvane-calc) built by debhelper
# from packaging/debian, and a zip of the Windows DLLs (x64/ and x86/) with
# the header, the formula reference, the licence and a short README.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
cd "$source_dir"
version=$(sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt | head -n1)
debian_version=$(dpkg-parsechangelog -l packaging/debian/changelog -S Version)
if [[ $version != "$debian_version" ]]; then
    echo "make_dist.sh: packaging/debian/changelog is at $debian_version, the project at $version" >&2
    exit 1
fi
rm -rf dist
mkdir -p dist
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# ---- Debian packages: dpkg-buildpackage on a copy of the sources with
# packaging/debian as its debian/ ----
tree=$stage/zorvane-calculator-electronics-$version
mkdir -p "$tree"
tar -C "$source_dir" --exclude=./.git --exclude=./build --exclude=./dist -cf - . | tar -C "$tree" -xf -
cp -r packaging/debian "$tree/debian"
# Three packages, without the automatic debug-symbol packages beside them.
(cd "$tree" && DEB_BUILD_OPTIONS="noautodbgsym ${DEB_BUILD_OPTIONS:-}" \
    dpkg-buildpackage -us -uc -b -j2 >"$stage/dpkg-buildpackage.log" 2>&1) || {
    tail -n 40 "$stage/dpkg-buildpackage.log" >&2
    exit 1
}
mv "$stage"/*.deb dist/

# ---- The Windows zip: each architecture's build in its own directory ----
cmake --workflow --preset release >/dev/null
package=ZorvaneCalculatorElectronics-$version-windows
zip_root=$stage/$package
declare -A preset_of=([x64]=windows [x86]=windows-x86)
declare -A format_of=([x64]=pei-x86-64 [x86]=pei-i386)
presets=$(cmake --list-presets)
for arch in x64 x86; do
    preset=${preset_of[$arch]}
    if ! grep -q "\"$preset\"" <<<"$presets"; then
        echo "make_dist.sh: no configure preset '$preset' for the $arch DLL" >&2
        exit 1
    fi
    build=build/$preset
    cmake --preset "$preset" >/dev/null
    cmake --build "$build" -j2 >/dev/null
    # A preset that built for the other architecture must not fill this directory.
    if ! grep -q "file format ${format_of[$arch]}\$" <<<"$(objdump -f "$build/ZorvaneCalculatorElectronics.dll")"; then
        echo "make_dist.sh: $build/ZorvaneCalculatorElectronics.dll is not ${format_of[$arch]}" >&2
        exit 1
    fi
    mkdir -p "$zip_root/$arch"
    cp "$build/ZorvaneCalculatorElectronics.dll" "$build/ZorvaneCalculatorElectronics.dll.a" "$zip_root/$arch/"
done
cp include/zorvane/electronics_calc.h LICENSE "$zip_root/"
# zorvane-calc.exe, the command-line host for Windows (x86-64), goes in when
# the windows preset builds it; until then the README does not mention it.
if [[ -f build/windows/zorvane-calc.exe ]]; then
    cp build/windows/zorvane-calc.exe "$zip_root/x64/"
    cp packaging/README-windows.txt "$zip_root/README.txt"
else
    grep -v zorvane-calc packaging/README-windows.txt >"$zip_root/README.txt"
fi
build/release/zorvane-calc --reference "$zip_root" >/dev/null
(cd "$stage" && cmake -E tar cf "$source_dir/dist/$package.zip" --format=zip "$package")

ls -l dist
