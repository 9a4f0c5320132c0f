#!/usr/bin/env bash
# The guest bench: our own test programs against real UARTs under the Linux kernel's 8250
# driver, on eight 16550A ports of two emulated PCI cards (QEMU's pci-serial-4x).
#
#   scripts/vm-test.sh [--bench] [build dir, default build/default]
#
# The guest is a Debian kernel and a static busybox, both unpacked from their packages
# (cached), and an initramfs made on each run with the freshly built test programs. The
# emulated UART sends every byte at once whatever its rate, so the lines that must run at
# a real rate are carried by a host process, tests/vm/line_pacer, which also starts QEMU.
#
# Ends with "N passed, N failed" alone on a line, and exits non-zero on any failure, on a
# boot that hangs and on a guest that dies. --bench runs the line-use benchmark instead and
# prints its "name: value" lines.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=test
if [ "${1:-}" = "--bench" ]; then
  mode=bench
  shift
fi
build=${1:-build/default}
guest_timeout=180   # seconds from QEMU's start to the guest's power-off, boot included

# The ports, as the guest names them (ttyS4 to ttyS7 on the first card, ttyS8 to ttyS11 on
# the second), and their cables:
#   ttyS4            no cable: only internal loopback can bring bytes back
#   ttyS5            an echo plug at 9600 bit/s that is pulled after returning 4800 bytes;
#                    only the burn-in run with a pulled plug sends on it (the others loop
#                    the port back internally, which keeps its bytes off the line)
#   ttyS6, ttyS7     echo plugs at 9600 bit/s
#   ttyS8 - ttyS9    null-modem cable at 9600 bit/s
#   ttyS10 - ttyS11  null-modem cable, unpaced
pulled_after=4800   # bytes: about half-way through a 20 s run at the default delay
lines=(--line echo:ttyS5:9600:pull=$pulled_after --line echo:ttyS6:9600 --line echo:ttyS7:9600
       --line pair:ttyS8:ttyS9:9600 --line pair:ttyS10:ttyS11:0)
cards=(-device pci-serial-4x,chardev2=ttyS5,chardev3=ttyS6,chardev4=ttyS7
       -device pci-serial-4x,chardev1=ttyS8,chardev2=ttyS9,chardev3=ttyS10,chardev4=ttyS11)
# Engine sessions at the defaults (alphabet line, 10 ms write delay, 9600 bit/s), each
# port's far end given ttyS4 first: loop (internal loopback), echo (the plug), the port at
# the other end of the cable, or - for a port left out. A paced line's packet count must
# match what the pacer carried for it, within one packet.
alone_wiring="- - - echo - - - -"                    # one port alone outruns its line
session_wiring="loop loop echo echo ttyS9 ttyS8 loop loop"
paced_checks="alone:ttyS7 session:ttyS6 session:ttyS7 session:ttyS8 session:ttyS9"
# Burn-in runs of brenmoor-cli on all eight ports at 9600 bit/s with the default pattern and
# delay, ports 1 to 8 being COM4 to COM11 and so ttyS4 to ttyS11. Every port has a return
# path: internal loopback, the paced plugs on ports 3 and 4, the paced cable between ports 5
# and 6. In the second run port 2 is on the plug that is pulled part-way.
burn_in=(--profile /nonexistent/brenmoor-first-start --ports 1-8 --baud 9600 --seconds 20 --pair 5:6)
for com in 4 5 6 7 8 9 10 11; do burn_in+=(--device "COM$com=/dev/ttyS$com"); done
burn_in_runs="cli-all-pass cli-plug-pulled:2"   # for tests/vm/check_cli_runs.py

programs=("$build/tests/platform/platform_tests"
          "$build/tests/vm/guest_port_state_test"
          "$build/tests/vm/guest_port_open_test"
          "$build/tests/vm/guest_engine_session_test"
          "$build/src/cli/brenmoor-cli"
          "$build/bench/vm/guest_line_bench")
pacer=$build/tests/vm/line_pacer

# --- The test programs, built if the build directory is there ---------------------------
if [ -f "$build/build.ninja" ] || [ -f "$build/Makefile" ]; then
  cmake --build "$build" --target line_pacer platform_tests guest_port_state_test \
        guest_port_open_test guest_engine_session_test brenmoor-cli guest_line_bench
fi
for program in "$pacer" "${programs[@]}"; do
  [ -x "$program" ] || { echo "vm-test: $program is missing: configure and build $build first"; exit 1; }
done
for tool in qemu-system-x86_64 python3; do
  command -v "$tool" >/dev/null || { echo "vm-test: $tool is missing: run scripts/setup.sh"; exit 1; }
done

# --- The guest's kernel and busybox, unpacked once per package version ------------------
cache=${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/brenmoor-vm
mkdir -p "$cache"

# Unpacks the candidate version of package $1 into the cache, keeping only its folder $2;
# prints the directory.
unpacked() {
  local package=$1 keep=$2 version dir download
  version=$(apt-cache show --no-all-versions "$package" | awk '/^Version:/ { print $2; exit }')
  [ -n "$version" ] || { echo "vm-test: apt knows no package $package" >&2; return 1; }
  dir=$cache/${package}_${version//:/_}
  if [ ! -d "$dir" ]; then
    download=$(mktemp -d)
    (cd "$download" && apt-get download -q "$package=$version" >/dev/null 2>&1) ||
      { echo "vm-test: cannot download $package $version" >&2; rm -rf "$download"; return 1; }
    dpkg-deb -x "$download"/*.deb "$download/files"
    rm -rf "$dir.partial" && mkdir -p "$dir.partial"
    mv "$download/files/$keep" "$dir.partial/"
    rm -rf "$download"
    mv "$dir.partial" "$dir"
  fi
  echo "$dir"
}

kernel_package=$(apt-cache depends linux-image-amd64 | awk '/Depends: linux-image-[0-9]/ { print $2; exit }')
kernel_dir=$(unpacked "$kernel_package" boot)   # the kernel's modules are not needed
busybox_dir=$(unpacked busybox-static bin)
kernel=$(ls "$kernel_dir"/boot/vmlinuz-*)
busybox=$busybox_dir/bin/busybox

# --- The initramfs: busybox, the test programs with their libraries, and /init ---------
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root initrd=$work/initrd.cpio log=$work/console.log
mkdir -m 0755 "$root"   # an initramfs root that is not 0755 refuses non-root opens
mkdir -p "$root"/{bin,dev,proc,sys,tmp,etc,tests}
cp "$busybox" "$root/bin/busybox"
for program in "${programs[@]}"; do
  cp "$program" "$root/tests/"
  # The loader and every library, at the paths the program looks for them.
  for library in $(ldd "$program" | grep -o '/[^ ]*'); do
    mkdir -p "$root$(dirname "$library")"
    cp -L "$library" "$root$library"
  done
done
# The package's udev rule for the receive trigger, run by the port-open checks as udev would.
cp packaging/60-brenmoor-rx-trigger.rules "$root/tests/"
cat >"$root/etc/passwd" <<'EOF'
root:x:0:0:root:/root:/bin/sh
nobody:x:65534:65534:nobody:/nonexistent:/bin/sh
EOF
cat >"$root/etc/group" <<'EOF'
root:x:0:
dialout:x:20:
nogroup:x:65534:
EOF

# What the guest runs. Every program's output goes to the console. "run NAME command"
# frames a program with "brenmoor-vm: run NAME" and "brenmoor-vm: exit NAME STATUS", so a
# program that cannot start or ends early counts as failed; "mark NAME" makes the pacer
# print what each line has carried so far. "cli NAME options" runs brenmoor-cli and prints
# its exit status ("brenmoor-vm: cli-exit NAME STATUS") and its JSON report between
# "brenmoor-vm: json NAME" and "brenmoor-vm: json-end NAME".
if [ "$mode" = test ]; then
  cat >"$root/plan" <<EOF
run contract su -s /bin/sh nobody -c "BRENMOOR_UART=/dev/ttyS8 BRENMOOR_UART_PEER=/dev/ttyS9 /tests/platform_tests --gtest_filter='*/GuestUart.*'"
run port-state env BRENMOOR_UART=/dev/ttyS10 /tests/guest_port_state_test
run port-open env BRENMOOR_UART=/dev/ttyS4 BRENMOOR_UART_PEER=/dev/ttyS5 BRENMOOR_TRIGGER_RULE=/tests/60-brenmoor-rx-trigger.rules /tests/guest_port_open_test
mark alone-start
run alone env BRENMOOR_SESSION_NAME=alone BRENMOOR_SESSION_SECONDS=10 BRENMOOR_SESSION_WIRING="$alone_wiring" /tests/guest_engine_session_test
mark alone-end
mark session-start
run session env BRENMOOR_SESSION_NAME=session BRENMOOR_SESSION_SECONDS=30 BRENMOOR_SESSION_WIRING="$session_wiring" /tests/guest_engine_session_test
mark session-end
mark cli-all-pass-start
cli cli-all-pass ${burn_in[*]} --plug 3,4
mark cli-all-pass-end
mark cli-plug-pulled-start
cli cli-plug-pulled ${burn_in[*]} --plug 2,3,4
mark cli-plug-pulled-end
EOF
else
  echo "run bench env BRENMOOR_BENCH_PORT=/dev/ttyS6 /tests/guest_line_bench" >"$root/plan"
fi
cat >"$root/init" <<'EOF'
#!/bin/busybox sh
/bin/busybox --install -s /bin
export PATH=/bin GTEST_COLOR=no
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
exec </dev/console >/dev/console 2>&1
mount -t tmpfs tmp /tmp
# Anyone may open the ports: only the exclusive lock keeps an unprivileged user out.
for port in 4 5 6 7 8 9 10 11; do chmod 0666 /dev/ttyS$port; done
echo "brenmoor-vm: guest up; the cards' UARTs:"
grep -E '^([4-9]|1[01]):' /proc/tty/driver/serial
run() { name=$1; shift; echo "brenmoor-vm: run $name"; "$@"; echo "brenmoor-vm: exit $name $?"; }
mark() { echo "brenmoor-vm: mark $1"; }
cli() {
  name=$1; shift
  # Its output goes to files, not the console, so it prints plain progress lines instead
  # of redrawing a table on the terminal each second; they are shown before the summary.
  /tests/brenmoor-cli --json /tmp/$name.json "$@" >/tmp/$name.out 2>/tmp/$name.err
  status=$?
  cat /tmp/$name.err /tmp/$name.out
  echo "brenmoor-vm: cli-exit $name $status"
  echo "brenmoor-vm: json $name"
  cat /tmp/$name.json
  echo
  echo "brenmoor-vm: json-end $name"
}
. /plan
echo "brenmoor-vm: done"
poweroff -f
EOF
chmod 0755 "$root/init"
(cd "$root" && find . | "$busybox" cpio -o -H newc -R 0:0 >"$initrd" 2>/dev/null)

# --- Boot: QEMU under the pacer, which adds a -chardev for each line ----------------------
# The tests show the guest's console as it runs; the benchmark only its figures.
show_console() { if [ "$mode" = test ]; then tee "$log"; else cat >"$log"; fi; }
started=$(date +%s)
set +e
# The pacer's time-out kills a guest that hangs; timeout(1) covers the pacer itself, in the
# foreground so that an interrupt reaches the pacer at once (QEMU dies with the pacer).
timeout --foreground $((guest_timeout + 30)) "$pacer" --timeout "$guest_timeout" "${lines[@]}" -- \
  qemu-system-x86_64 -machine accel=tcg -m 512 -nographic -no-reboot -nic none \
    -kernel "$kernel" -initrd "$initrd" \
    -append "console=ttyS0 8250.nr_uarts=16 panic=-1 quiet" \
    "${cards[@]}" | show_console
pacer_status=${PIPESTATUS[0]}
set -e
echo "vm-test: the guest ran $(( $(date +%s) - started )) s"

if [ "$mode" = bench ]; then
  tr -d '\r' <"$log" | grep -E '^vm_line_[a-z0-9_]+: ' || true
  tr -d '\r' <"$log" | grep -q '^brenmoor-vm: exit bench 0$' && [ "$pacer_status" -eq 0 ] && exit 0
  tail -40 "$log"
  echo "vm-test: the benchmark run was not clean: a message box, bytes lost, or a guest that did not finish"
  exit 1
fi

# --- Results: every test case the guest ran, and the host's own checks -------------------
# Each burn-in run is a case, passed when its report, exit status and lines agree.
{ tr -d '\r' <"$log"; tr -d '\r' <"$log" | python3 tests/vm/check_cli_runs.py $burn_in_runs; } |
  awk -v checks="$paced_checks" -v status="$pacer_status" '
  /^brenmoor-vm: run /    { program_started = started; program_ended = ended; program_failed = failed }
  /^brenmoor-vm: exit /   {
    # A program that ran no case, stopped in the middle of one, or failed without a failed
    # case counts as one more failure.
    why = ""
    if (started == program_started) why = "ran no case"
    else if (started > ended) why = "ended in the middle of a case"
    else if ($4 != 0 && failed == program_failed) why = "failed outside its cases"
    if (why != "") { failed++; printf "FAILED: %s %s (status %s)\n", $3, why, $4 }
    ended = started
  }
  /^\[ RUN      \] /                        { started++ }
  /^\[  SKIPPED \] .*\([0-9]+ ms\)$/         { skipped++; ended++ }
  /^\[       OK \] /                        { passed++; ended++ }
  /^\[  FAILED  \] .*\([0-9]+ ms\)$/         { failed++; ended++ }
  /^brenmoor-vm: [a-z]+ ttyS[0-9]+ packets / { packets[$2, $3] = $5 }
  /^pacer: [a-z]+-(start|end) /             { for (i = 3; i <= NF; i++) { split($i, kv, "="); count[$2, kv[1]] = kv[2] } }
  /^brenmoor-vm: done/                      { done = 1 }
  /^host-check: cli [a-z-]+ ok$/            { passed++ }
  /^host-check: cli [a-z-]+ FAILED: /       { failed++; print }
  END {
    # A paced line carried what its port counted as sent, within one 39-byte packet.
    n = split(checks, list, " ")
    for (i = 1; i <= n; i++) {
      split(list[i], check, ":")
      name = check[1]; port = check[2]
      if (!((name, port) in packets)) {
        failed++
        printf "FAILED host check: %s %s reported no packet count\n", name, port
        continue
      }
      carried = count[name "-end", port] - count[name "-start", port]
      difference = packets[name, port] * 39 - carried
      if (difference >= -39 && difference <= 39) {
        passed++
      } else {
        failed++
        printf "FAILED host check: %s %s counted %d packets, its line carried %d bytes\n", name, port, packets[name, port], carried
      }
    }
    if (!done || status != 0) {
      failed++
      print "FAILED: the guest did not finish its tests (pacer and QEMU ended with status " status ")"
    }
    if (skipped) printf "(%d skipped)\n", skipped
    printf "%d passed, %d failed\n", passed, failed
    exit failed > 0
  }'
