#!/usr/bin/env bash
# Makes the packages into build/packages/ (installing what it needs):
#   pelandra-saver_<version>-<release>_<arch>.deb  the Linux program, with Debian's build flags
#   PelandraOmnarium-<version>-windows.zip          both Windows screen savers and a readme
# Prints the two paths when done.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
out=$top/build/packages
jobs=2

scripts/install-deps.sh
scripts/install-package-deps.sh
scripts/install-windows-deps.sh

version=$(sed -n 's/^project(.* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
mkdir -p "$out"
rm -f "$out"/*.deb "$out"/*.zip

# --- The Debian package: its own build tree, without the tests, hardened as Debian builds are.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
linux=$top/build/package
cmake --preset release -B "$linux" -DPELANDRA_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >"$linux.log" 2>&1 ||
  { cat "$linux.log"; exit 1; }
cmake --build "$linux" -j"$jobs" >>"$linux.log" 2>&1 || { tail -40 "$linux.log"; exit 1; }
rm -rf "$linux/packages"
(cd "$linux" && cpack -G DEB) >>"$linux.log" 2>&1 || { tail -40 "$linux.log"; exit 1; }
cp "$linux"/packages/*.deb "$out/"

# --- The Windows zip: the two .scr of the win32 and win64 presets, and the readme in CRLF.
name=PelandraOmnarium-$version
stage=$top/build/windows-zip
rm -rf "$stage" && mkdir -p "$stage/$name/32-bit" "$stage/$name/64-bit"
for preset in win32 win64; do
  cmake --preset "$preset" >"$top/build/$preset-configure.log" 2>&1 ||
    { cat "$top/build/$preset-configure.log"; exit 1; }
  cmake --build --preset "$preset" -j"$jobs" --target PelandraOmnarium \
    >"$top/build/$preset-package.log" 2>&1 || { tail -40 "$top/build/$preset-package.log"; exit 1; }
done
cp build/win32/PelandraOmnarium.scr "$stage/$name/32-bit/"
cp build/win64/PelandraOmnarium.scr "$stage/$name/64-bit/"
sed 's/$/\r/' packaging/windows-readme.txt >"$stage/$name/README.txt"
(cd "$stage" && zip -q -X -r "$out/$name-windows.zip" "$name")

ls "$out"/*.deb "$out"/*.zip
