#!/usr/bin/env bash
# Builds the Debian package from a release build of the tool alone, with Debian's
# hardening flags, into build/package. Prints the package's path as its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build=build/package

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DBUILD_TESTING=OFF -DBRENMOOR_BENCH=OFF \
      -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
      -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build"
rm -f "$build"/*.deb
cpack --config "$build/CPackConfig.cmake" -B "$build" >/dev/null
ls "$PWD/$build"/brenmoor_*.deb
