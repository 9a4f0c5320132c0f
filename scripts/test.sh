#!/usr/bin/env bash
# Sets up, builds and runs every test: the whole suite, the guest bench on real UART drivers
# (scripts/vm-test.sh, with the same binaries) and the Debian package in a clean root
# (tests/package/package-test.sh), then the core under address+undefined sanitizers, then
# the threaded core tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

for preset in default asan tsan; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
  if [ "$preset" = default ]; then
    echo "== guest bench"
    scripts/vm-test.sh build/default
    echo "== Debian package"
    tests/package/package-test.sh
  fi
done
