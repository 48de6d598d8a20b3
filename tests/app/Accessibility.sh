#!/usr/bin/env bash
# The real program read through the accessibility stack a desktop brings up: a session bus of
# the test's own, on which org.a11y.Bus is activated (at-spi-bus-launcher, which starts the
# accessibility bus, where the registry daemon is activated in turn), a virtual X server with
# a window manager, and the program with Qt's accessibility bridge on. accessibility.py reads
# and works the program through AT-SPI as a screen reader does and prints what it finds.
# Everything the test starts, or has activated, is ended by its process id.
# Usage: Accessibility.sh PROGRAM
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
. "$here/Processes.sh"
program=$1

# What the test needs from the system (scripts/install-deps installs it).
missing=()
for command in Xvfb openbox xdotool xprop dbus-daemon dbus-send; do
  command -v "$command" >/dev/null || missing+=("$command")
done
[ -e /usr/share/dbus-1/services/org.a11y.Bus.service ] || missing+=("at-spi2-core")
python=
for candidate in /usr/bin/python3 python3; do
  if "$candidate" -c 'import pyatspi' 2>/dev/null; then
    python=$candidate
    break
  fi
done
[ -n "$python" ] || missing+=("python3-pyatspi")
if [ ${#missing[@]} -gt 0 ]; then
  echo "SKIPPED: missing ${missing[*]} (scripts/install-deps installs them)"
  exit 77
fi

work=$(mktemp -d)
mkdir -p "$work/program" "$work/home" "$work/run" "$work/bus"
chmod 700 "$work/run"
cp "$program" "$work/program/voyanta"
# Camping/Tent is the first row, Clothes/Socks the second. A new trip starts with every check
# mark clear, so the program opens a trip that checks Socks.
printf '0\t\tSocks\tClothes\t\n0\t\tTent\tCamping\t\n' >"$work/program/voyanta.vyr"
printf '1\t2 pairs\tSocks\tClothes\t\n' >"$work/trip.vyt"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
unset QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS DISPLAY

xvfb_pid='' openbox_pid='' bus_pid='' program_pid=''
# The process id of the connection that owns a name on a bus.
owner_pid() {
  timeout 2 dbus-send --bus="$1" --print-reply=literal --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.GetConnectionUnixProcessID "string:$2" 2>/dev/null | awk '{print $2}' || true
}
# The processes activated on the buses are not the test's children: they are asked for on
# the buses, while these still run, and checked by their program before they are ended.
activated=()
find_activated() {
  local launcher registry a11y_bus address
  [ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] || return 0
  launcher=$(owner_pid "$DBUS_SESSION_BUS_ADDRESS" org.a11y.Bus)
  [ -n "$launcher" ] || return 0
  address=$(timeout 2 dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
    org.a11y.Bus.GetAddress 2>/dev/null | sed 's/^ *//') || true
  [ -z "$address" ] || registry=$(owner_pid "$address" org.a11y.atspi.Registry)
  a11y_bus=$(ps -o pid= --ppid "$launcher" | tr -d ' ') || true
  for pid in ${registry:-} $a11y_bus $launcher; do
    case $(cat "/proc/$pid/comm" 2>/dev/null) in
    at-spi2-registr | dbus-daemon | at-spi-bus-laun) activated+=("$pid") ;;
    esac
  done
}
# Ends the stack, the last started first; the ids are forgotten once ended.
stopped=()
stop_stack() {
  find_activated
  stopped=()
  for pid in "$openbox_pid" "${activated[@]}" "$bus_pid" "$xvfb_pid"; do
    [ -z "$pid" ] || stopped+=("$pid")
  done
  for pid in "${stopped[@]}"; do
    end_process "$pid"
  done
  activated=() bus_pid='' openbox_pid='' xvfb_pid=''
}
cleanup() {
  [ -z "$program_pid" ] || kill -KILL "$program_pid" 2>/dev/null || true
  stop_stack
  rm -rf "$work"
}
trap cleanup EXIT

die() {
  fail "$@"
  exit 1
}
# Waits up to five seconds for a command to succeed.
await() {
  for _ in $(seq 50); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

start=$(date +%s%N)

# A virtual X server on a display that is free: it tells the number once it accepts clients.
# It must not reset when its last client leaves: the accessibility launcher and xprop come
# and go before openbox arrives, and a client that connects during a reset is refused. Keys
# do not repeat: a key held down while the program is slow to close a dialog stays one key.
(exec Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset -r 3>"$work/display" >"$work/xvfb.txt" 2>&1) &
xvfb_pid=$!
await grep -q '^[0-9]' "$work/display" || die "Xvfb did not start: $(cat "$work/xvfb.txt")"
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY

# The session bus, with the services of the system, where org.a11y.Bus is found. It hands
# its environment (the display, the runtime folder for the accessibility bus's socket) to
# what it activates.
cat >"$work/session.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$work/bus</listen>
  <auth>EXTERNAL</auth>
  <standard_session_servicedirs/>
  <servicedir>/usr/share/dbus-1/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
(exec dbus-daemon --config-file="$work/session.conf" --nofork --print-address=3 3>"$work/address" \
  >"$work/dbus.txt" 2>&1) &
bus_pid=$!
await grep -q '^unix:' "$work/address" || die "the session bus did not start: $(cat "$work/dbus.txt")"
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/address")
export DBUS_SESSION_BUS_ADDRESS

# The accessibility bus through activation, as the program and the screen reader ask for it.
address=$(timeout 10 dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
  org.a11y.Bus.GetAddress 2>&1) || die "org.a11y.Bus was not activated: $address"
echo "accessibility bus: ${address#"${address%%[! ]*}"}"

(exec openbox --sm-disable >"$work/openbox.txt" 2>&1) &
openbox_pid=$!
await sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
  die "openbox did not start: $(cat "$work/openbox.txt")"

cd "$work/program"
(exec env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 ./voyanta "$work/trip.vyt" >"$work/program.txt" 2>&1) &
program_pid=$!

timeout -k 2 40 "$python" "$here/accessibility.py" "$program_pid" || fail "what AT-SPI tells of the program (above)"
echo "stack up and checks run in $((($(date +%s%N) - start) / 1000000)) ms"

kill -TERM "$program_pid" 2>/dev/null || true
ends_within "$program_pid" 100 || fail "the program does not end on SIGTERM"
kill -KILL "$program_pid" 2>/dev/null || true
status=0
wait "$program_pid" || status=$?
program_pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status: $(tail -n 30 "$work/program.txt")"

# Nothing the test started or had activated may outlive it.
stop_stack
[ ${#stopped[@]} -eq 6 ] ||
  fail "found ${#stopped[@]} of the six processes (openbox, registry, accessibility bus, launcher, session bus, Xvfb): ${stopped[*]}"
for pid in "${stopped[@]}"; do
  has_ended "$pid" || fail "process $pid ($(cat "/proc/$pid/comm" 2>/dev/null)) still runs"
done

[ "$failures" -eq 0 ] || exit 1
echo "passed"
