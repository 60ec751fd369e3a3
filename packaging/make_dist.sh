#!/usr/bin/env bash
# Builds the release artefacts into dist/: the four Debian packages (the
# runtime library, its development files, zorvane-calc, the Python package
# python3-zorvane-calc) built by debhelper
# from packaging/debian; a zip of the Windows DLLs, zorvane-calc.exe and the
# import libraries (x64/ and x86/, stripped) with the header, the formula
# reference, the licence and a short README; and a zip of their debug
# information.
#
# ZORVANE_WINDOWS_TREES=DIR takes the Windows files from DIR/windows and
# DIR/windows-x86 (as the test preset's Wine test leaves them in
# build/test/tests/windows) instead of building them again.
#
# Its build dependencies (packaging/debian/control's Build-Depends, and the
# tools this script runs) are installed with apt-get when it runs as root;
# otherwise it stops at once with one message naming every missing package.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
cd "$source_dir"

# The installable package behind a name of Build-Depends: the name itself,
# or for a virtual package (debhelper-compat, dh-sequence-python3) the first
# package that provides it.
# (Each reader takes its input whole: under pipefail, one that stopped
# early would fail the writer.)
real_package() {
    local provider
    if apt-cache show "$1" 2>/dev/null | awk '/^Package:/ { found = 1 } END { exit !found }'; then
        echo "$1"
        return
    fi
    provider=$(apt-cache showpkg "$1" 2>/dev/null |
        awk 'found && !done { sub(/[ :].*/, ""); print; done = 1 } /^Reverse Provides:/ { found = 1 }')
    echo "${provider:-$1}"
}
# Every package the build needs, one a line: control's Build-Depends without
# versions, architectures or alternatives, and the script's own tools.
needed_packages() {
    sed -n '/^Build-Depends:/,/^[^ ]/{s/^Build-Depends://;/^[^ ]/d;p}' packaging/debian/control |
        tr ',' '\n' | sed 's/([^)]*)//g; s/\[[^]]*\]//g; s/|.*//; s/^ *//; s/ *$//' | grep . |
        while read -r name; do real_package "$name"; done
    echo dpkg-dev  # dpkg-parsechangelog, dpkg-buildpackage
    echo binutils  # objdump
    echo unzip
    if [[ -z ${ZORVANE_WINDOWS_TREES:-} ]]; then
        echo g++-mingw-w64-x86-64-win32
        echo g++-mingw-w64-i686-win32
    fi
}
missing_packages() {
    local package
    for package in $(needed_packages | sort -u); do
        [[ $(dpkg-query -W -f='${Status}' "$package" 2>/dev/null) == 'install ok installed' ]] || echo "$package"
    done
}
missing=$(missing_packages | tr '\n' ' ')
if [[ -n $missing && $(id -u) == 0 ]] && command -v apt-get >/dev/null; then
    echo "make_dist.sh: installing its build dependencies: $missing"
    apt-get update -qq
    # shellcheck disable=SC2086 # one word a package
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
    missing=$(missing_packages | tr '\n' ' ')
fi
if [[ -n $missing ]]; then
    echo "make_dist.sh needs Debian packages that are not installed: $missing" >&2
    echo "Install them as root (run as root, make_dist.sh installs them itself):" >&2
    echo "  apt-get install --no-install-recommends $missing" >&2
    exit 1
fi
version=$(sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt | head -n1)
debian_version=$(dpkg-parsechangelog -l packaging/debian/changelog -S Version)
if [[ $version != "$debian_version" ]]; then
    echo "make_dist.sh: packaging/debian/changelog is at $debian_version, the project at $version" >&2
    exit 1
fi
# Two build jobs unless the caller chose otherwise (the presets leave it to the caller).
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2}
rm -rf dist
mkdir -p dist
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# ---- Debian packages: dpkg-buildpackage on a copy of the sources with
# packaging/debian as its debian/ ----
tree=$stage/zorvane-calculator-electronics-$version
mkdir -p "$tree"
tar -C "$source_dir" --exclude=./.git --exclude=./build --exclude=./dist --exclude="*.egg-info" \
    --exclude=__pycache__ -cf - . | tar -C "$tree" -xf -
cp -r packaging/debian "$tree/debian"
# Four packages, without the automatic debug-symbol packages beside them.
(cd "$tree" && DEB_BUILD_OPTIONS="noautodbgsym ${DEB_BUILD_OPTIONS:-}" \
    dpkg-buildpackage -us -uc -b -j2 >"$stage/dpkg-buildpackage.log" 2>&1) || {
    tail -n 40 "$stage/dpkg-buildpackage.log" >&2
    exit 1
}
mv "$stage"/*.deb dist/

# ---- The Windows zips: each architecture's files, as its build leaves them
# in build/<preset>/dist (packaging/windows), in its own folder; the debug
# information split off the binaries in a second zip, under the same folder
# names, so that unpacking both puts each .debug file beside its binary ----
package=ZorvaneCalculatorElectronics-$version-windows
zip_root=$stage/$package
debug_root=$stage/debug/$package
declare -A preset_of=([x64]=windows [x86]=windows-x86)
declare -A format_of=([x64]=pei-x86-64 [x86]=pei-i386)
shipped=(ZorvaneCalculatorElectronics.dll zorvane-calc.exe ZorvaneCalculatorElectronics.lib
         ZorvaneCalculatorElectronics.def ZorvaneCalculatorElectronics.dll.a)
presets=$(cmake --list-presets)
for arch in x64 x86; do
    preset=${preset_of[$arch]}
    if ! grep -q "\"$preset\"" <<<"$presets"; then
        echo "make_dist.sh: no configure preset '$preset' for the $arch files" >&2
        exit 1
    fi
    build=build/$preset
    if [[ -n ${ZORVANE_WINDOWS_TREES:-} ]]; then
        # Trees the Windows test built from these sources with the same
        # presets (and found reproducible): their files, not a third build.
        build=$ZORVANE_WINDOWS_TREES/$preset
        [[ -f $build/dist/ZorvaneCalculatorElectronics.dll ]] ||
            { echo "make_dist.sh: $build holds no built Windows files" >&2; exit 1; }
    else
        # Afresh, so that no setting cached from an earlier configuration (the
        # toolchain file's flags among them) survives into the release.
        cmake --preset "$preset" --fresh >/dev/null
        cmake --build "$build" --target zorvane_windows_dist -j2 >/dev/null
    fi
    # A preset that built for the other architecture must not fill this directory.
    for binary in ZorvaneCalculatorElectronics.dll zorvane-calc.exe; do
        if ! grep -q "file format ${format_of[$arch]}\$" <<<"$(objdump -f "$build/dist/$binary")"; then
            echo "make_dist.sh: $build/dist/$binary is not ${format_of[$arch]}" >&2
            exit 1
        fi
    done
    mkdir -p "$zip_root/$arch" "$debug_root/$arch"
    for file in "${shipped[@]}"; do cp "$build/dist/$file" "$zip_root/$arch/"; done
    cp "$build/dist/"*.debug "$debug_root/$arch/"
done
cp include/zorvane/electronics_calc.h LICENSE "$zip_root/"
cp packaging/README-windows.txt "$zip_root/README.txt"
# The formula reference from the tool the Debian package was built from
# (a release build of these sources).
"$tree/debian/build/zorvane-calc" --reference "$zip_root" >/dev/null

# Every binary shipped is stripped: no debug section (objdump -h), and its
# debug information is in the debug zip.
for binary in "$zip_root"/*/*.dll "$zip_root"/*/*.exe; do
    sections=$(objdump -h "$binary" | awk '$1 ~ /^[0-9]+$/ {print $2}')
    if grep -q '^\.debug' <<<"$sections"; then
        echo "make_dist.sh: ${binary#"$stage/"} has debug sections:" $(grep '^\.debug' <<<"$sections") >&2
        exit 1
    fi
    relative=${binary#"$zip_root/"}
    if ! grep -q ' \.debug_info ' <<<"$(objdump -h "$debug_root/$relative.debug")"; then
        echo "make_dist.sh: no debug information for $relative" >&2
        exit 1
    fi
done

(cd "$stage" && cmake -E tar cf "$source_dir/dist/$package.zip" --format=zip "$package")
(cd "$stage/debug" && cmake -E tar cf "$source_dir/dist/$package-debug.zip" --format=zip "$package")

# The zip as a user sees it: the import libraries, their .def files and the
# tool for both architectures.
listing=$(unzip -l "dist/$package.zip")
for arch in x64 x86; do
    for file in ZorvaneCalculatorElectronics.lib ZorvaneCalculatorElectronics.def zorvane-calc.exe; do
        if ! grep -q " $package/$arch/$file\$" <<<"$listing"; then
            echo "make_dist.sh: dist/$package.zip lacks $arch/$file" >&2
            exit 1
        fi
    done
done
unzip -l "dist/$package.zip"
unzip -l "dist/$package-debug.zip"

ls -l dist
