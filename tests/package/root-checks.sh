#!/bin/bash
# Runs inside the clean Debian root: installs the package with apt, which must pull every
# dependency it declares, runs both executables, then purges it and looks for what it left.
# One "ok NAME" or "FAILED NAME: why" line per check; exits non-zero on any failure.
#
#   root-checks.sh PACKAGE.deb VERSION
set -uo pipefail
deb=$1 version=$2
export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 PATH=/usr/sbin:/usr/bin:/sbin:/bin
failures=0
pass() { echo "ok $1"; }
fail() { echo "FAILED $1: $2"; failures=$((failures + 1)); }
# check NAME SECONDS COMMAND...: the command, bounded, must succeed.
check() {
    local name=$1 seconds=$2
    shift 2
    if timeout -k 5 "$seconds" "$@"; then pass "$name"; else fail "$name" "'$*' ended with status $?"; fi
}
# quiet_check NAME SECONDS COMMAND...: the same, its output shown only when it fails.
quiet_check() {
    local name=$1 seconds=$2 log
    shift 2
    log=$(mktemp)
    if timeout -k 5 "$seconds" "$@" >"$log" 2>&1; then pass "$name"
    else fail "$name" "'$*' ended with status $?"; tail -20 "$log"; fi
}
# expect_output NAME EXPECTED COMMAND...: the command prints exactly EXPECTED on standard
# output and succeeds.
expect_output() {
    local name=$1 expected=$2 output status
    shift 2
    output=$(timeout -k 5 30 "$@")
    status=$?
    if [ "$status" -eq 0 ] && [ "$output" = "$expected" ]; then pass "$name"
    else fail "$name" "'$*' printed '$output' with status $status, expected '$expected'"; fi
}

quiet_check "apt-get update" 300 apt-get update
quiet_check "apt-get install" 900 apt-get install -y --no-install-recommends "$deb"
[ "$failures" -eq 0 ] || exit 1
dpkg -L brenmoor >/tmp/package-files

# A fresh user: no profile, no settings of a previous run; a session's runtime directory.
user_home=$(mktemp -d)
runtime_dir=$(mktemp -d)
export HOME=$user_home XDG_CONFIG_HOME=$user_home/.config XDG_RUNTIME_DIR=$runtime_dir QT_QPA_PLATFORM=offscreen
profile=$XDG_CONFIG_HOME/Brenmoor/Brenmoor.ini

expect_output "brenmoor-cli --version" "brenmoor-cli $version" brenmoor-cli --version
check "brenmoor-cli run on the simulated card" 60 brenmoor-cli --simulated-card --ports 1 --seconds 2
# With no display at all: the version is text for the terminal.
expect_output "brenmoor --version" "Brenmoor $version" env -u QT_QPA_PLATFORM -u DISPLAY brenmoor --version

# The desktop entry starts a program on the PATH, with an icon the theme has.
desktop=/usr/share/applications/org.brenmoor.Brenmoor.desktop
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
icon=$(sed -n 's/^Icon=//p' "$desktop")
if command -v "$exec_program" >/dev/null && [ -f "/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] &&
   [ -f "/usr/share/icons/hicolor/48x48/apps/$icon.png" ]; then
    pass "desktop entry's program and icon"
else
    fail "desktop entry's program and icon" "Exec=$exec_program, Icon=$icon not found"
fi

# The window, offscreen: once it handles SIGTERM (its start-up is done), SIGTERM ends it
# and it writes the profile.
brenmoor &
window=$!
sigterm_bit=$((1 << (15 - 1)))
for _ in $(seq 300); do
    caught=$(awk '/^SigCgt:/ { print $2 }' "/proc/$window/status" 2>/dev/null) || break
    [ -n "$caught" ] && (( 0x$caught & sigterm_bit )) && break
    sleep 0.1
done
if ! kill -0 "$window" 2>/dev/null; then
    wait "$window"
    fail "window starts" "brenmoor ended by itself with status $?"
else
    pass "window starts"
    kill -TERM "$window"
    for _ in $(seq 300); do kill -0 "$window" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$window" 2>/dev/null; then
        kill -KILL "$window"
        fail "window ends on SIGTERM" "still running 30 s after SIGTERM"
    else
        wait "$window"
        status=$?
        if [ "$status" -eq 0 ]; then pass "window ends on SIGTERM"
        else fail "window ends on SIGTERM" "exit status $status"; fi
    fi
fi
if grep -q '^\[Version 1.0\]' "$profile" 2>/dev/null && grep -q 'm_PortRegistry' "$profile"; then
    pass "profile written"
else
    fail "profile written" "$profile is missing or holds no port settings"
fi

quiet_check "apt-get purge" 300 apt-get purge -y brenmoor
# What remains of the package's files: any file, and any directory no other package owns.
left=()
while read -r path; do
    [ -e "$path" ] || [ -L "$path" ] || continue
    if [ -d "$path" ] && [ ! -L "$path" ] && dpkg -S "$path" >/dev/null 2>&1; then continue; fi
    left+=("$path")
done </tmp/package-files
if [ ${#left[@]} -eq 0 ]; then pass "purge leaves no file"
else fail "purge leaves no file" "left: ${left[*]}"; fi
if [ -f "$profile" ]; then pass "purge keeps the user's profile"
else fail "purge keeps the user's profile" "$profile is gone"; fi

exit $((failures > 0))
