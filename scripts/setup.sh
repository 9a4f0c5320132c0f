#!/usr/bin/env bash
# Installs the Debian packages the build, the tests (python3 reads the runner's JSON and JUnit
# reports), the screenshots, the guest bench (scripts/vm-test.sh: QEMU) and the package and
# its test (tests/package/package-test.sh: dpkg-dev, mmdebstrap and the checkers) need, when
# missing.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev libx11-dev libgl-dev xvfb xauth fonts-dejavu-extra qemu-system-x86 python3
          dpkg-dev file mmdebstrap lintian desktop-file-utils appstream man-db)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# The guest bench downloads its kernel and busybox with apt-get, so apt must know them.
guest_packages_known() { apt-cache show --no-all-versions busybox-static linux-image-amd64 >/dev/null 2>&1; }
[ ${#missing[@]} -eq 0 ] && guest_packages_known && exit 0

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
