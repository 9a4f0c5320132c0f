#!/usr/bin/env bash
# The Debian package test. Builds the package (scripts/package.sh), checks it with lintian
# (no errors), desktop-file-validate, appstreamcli and man, then installs it with apt into a
# clean Debian 12 root and runs root-checks.sh there. The test root is made, filled and
# entered as root (through sudo when not root), with chroot in a private mount and PID
# namespace, so its mounts and processes end with it.
#
# The root is made by mmdebstrap once a month into a tarball under
# ${XDG_CACHE_HOME:-~/.cache}/brenmoor-deb, which also keeps apt's downloads and package
# lists between runs. Ends with "N passed, N failed" and PASS or FAIL; exits non-zero on
# any failure.
set -euo pipefail
cd "$(dirname "$0")/../.."

suite=bookworm
sources=("deb http://deb.debian.org/debian $suite main"
         "deb http://deb.debian.org/debian $suite-updates main"
         "deb http://deb.debian.org/debian-security $suite-security main")
cache=${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/brenmoor-deb
started=$(date +%s)
passed=0 failed=0
pass() { echo "ok $1"; passed=$((passed + 1)); }
fail() { echo "FAILED $1: $2"; failed=$((failed + 1)); }
finish() {
    echo "package: the test took $(( $(date +%s) - started )) s"
    echo "package: $passed passed, $failed failed"
    if [ "$failed" -eq 0 ]; then echo PASS; exit 0; fi
    echo FAIL
    exit 1
}
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)

work=$(mktemp -d)
# The namespace has already taken its mounts away; a mount that is still there (it should
# not be) keeps the tree from being deleted through it.
cleanup() {
    if grep -q " $work/" /proc/self/mountinfo; then
        echo "package: $work still has mounts; left in place"
    else
        "${as_root[@]}" rm -rf --one-file-system "$work"
    fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
# The long steps run under timeout(1) in the foreground, so an interrupt reaches them at once
# and the clean-up follows.

# --- The package --------------------------------------------------------------------------
echo "== package: build"
if ! deb=$(timeout --foreground -k 10 3600 scripts/package.sh | tail -1) || [ ! -f "$deb" ]; then
    fail "build" "scripts/package.sh did not make a package"
    finish
fi
pass "build"
version=$(dpkg-deb -f "$deb" Version)

echo "== package: lintian"
if timeout -k 10 300 lintian --fail-on error "$deb" 2>&1 |
   grep -v 'running with root privileges'; [ "${PIPESTATUS[0]}" -eq 0 ]; then
    pass "lintian"
else
    fail "lintian" "errors above"
fi

files=$work/files
timeout 120 dpkg-deb -x "$deb" "$files"
if timeout 60 desktop-file-validate "$files"/usr/share/applications/*.desktop; then pass "desktop-file-validate"
else fail "desktop-file-validate" "the desktop entry is not valid"; fi
if timeout 60 appstreamcli validate --no-net "$files"/usr/share/metainfo/*.metainfo.xml; then pass "appstreamcli validate"
else fail "appstreamcli validate" "the metainfo is not valid"; fi
for page in "$files"/usr/share/man/man1/*.1.gz; do
    name=$(basename "$page" .1.gz)
    if warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 timeout 60 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null) &&
       [ -z "$warnings" ] && [ -n "$(LC_ALL=C.UTF-8 timeout 60 man -l "$page" 2>/dev/null)" ]; then
        pass "man $name"
    else
        fail "man $name" "it does not render cleanly: $warnings"
    fi
done
# Each page names every option its program's --help lists.
for program in brenmoor brenmoor-cli; do
    options=$(QT_QPA_PLATFORM=offscreen timeout 30 "$files/usr/bin/$program" --help 2>/dev/null |
              grep -o -- '--[a-z][a-z-]*' | sort -u)
    page=$(LC_ALL=C.UTF-8 MANWIDTH=200 timeout 60 man -l "$files/usr/share/man/man1/$program.1.gz" 2>/dev/null)
    missing=$(for option in $options; do grep -qE -- "$option([^a-z-]|\$)" <<<"$page" || echo "$option"; done)
    if [ -n "$options" ] && [ -z "$missing" ]; then pass "$program(1) names every option"
    else fail "$program(1) names every option" "missing: ${missing:-(no options listed)}"; fi
done
if file "$files"/usr/share/icons/hicolor/48x48/apps/*.png | grep -q 'PNG image data, 48 x 48'; then pass "48 px icon"
else fail "48 px icon" "the PNG icon is not 48 x 48"; fi

# --- The clean root -------------------------------------------------------------------------
echo "== package: clean $suite root"
mkdir -p "$cache/archives/partial" "$cache/lists/partial"
tarball=$cache/$suite-$(date -u +%Y-%m).tar
if [ ! -f "$tarball" ]; then
    rm -f "$cache/$suite"-*.tar
    if ! timeout --foreground -k 10 1200 "${as_root[@]}" mmdebstrap --quiet --variant=apt --format=tar "$suite" "$tarball.partial" "${sources[@]}"; then
        "${as_root[@]}" rm -f "$tarball.partial"
        fail "test root" "mmdebstrap could not make the $suite root"
        finish
    fi
    mv "$tarball.partial" "$tarball"
fi
root=$work/root
mkdir "$root"
if ! timeout 300 "${as_root[@]}" tar -xf "$tarball" -C "$root"; then
    fail "test root" "$tarball cannot be unpacked"
    rm -f "$tarball"
    finish
fi
"${as_root[@]}" cp "$deb" tests/package/root-checks.sh "$root/tmp/"
"${as_root[@]}" cp -L /etc/resolv.conf "$root/etc/resolv.conf"

echo "== package: install and run in the root"
# The namespace's first process ends every process started in the root, and its mounts
# vanish with it, however the checks end.
set +e
timeout --foreground -k 10 1800 "${as_root[@]}" unshare --mount --pid --fork --kill-child --propagation private -- /bin/sh -c '
    set -e
    root=$1 cache=$2
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mount --bind "$cache/archives" "$root/var/cache/apt/archives"
    mount --bind "$cache/lists" "$root/var/lib/apt/lists"
    chroot "$root" /bin/bash /tmp/root-checks.sh "/tmp/$3" "$4"
' sh "$root" "$cache" "$(basename "$deb")" "$version" | tee "$work/root.log"
root_status=${PIPESTATUS[0]}
set -e
root_passed=$(grep -c '^ok ' "$work/root.log" || true)
root_failed=$(grep -c '^FAILED ' "$work/root.log" || true)
passed=$((passed + root_passed)) failed=$((failed + root_failed))
if [ "$root_status" -ne 0 ] && [ "$root_failed" -eq 0 ]; then
    fail "checks in the root" "they ended with status $root_status"
fi
finish
