# shellcheck shell=bash
# Sourced by the shell tests that work the real program through the accessibility stack a
# desktop brings up (Accessibility.sh, ScreenReader.sh): a virtual X server with a window
# manager, a session bus of the test's own, on which org.a11y.Bus is activated
# (at-spi-bus-launcher, which starts the accessibility bus, where the registry daemon is
# activated in turn). Everything it starts, or has activated, is ended by its process id.
# Usage: . Desktop.sh (after Processes.sh), with work set to the test's folder. Provides:
# check_desktop_tools, prepare_program, start_desktop, stop_desktop (stopped: the ids it
# ended), await, die.

xvfb_pid='' openbox_pid='' bus_pid=''

# Ends the test as skipped (77) when a command of the stack is missing; the further commands
# named are checked too.
check_desktop_tools() {
  local missing=()
  for command in Xvfb openbox xdotool xprop dbus-daemon dbus-send "$@"; do
    command -v "$command" >/dev/null || missing+=("$command")
  done
  [ -e /usr/share/dbus-1/services/org.a11y.Bus.service ] || missing+=("at-spi2-core")
  if [ ${#missing[@]} -gt 0 ]; then
    echo "SKIPPED: missing ${missing[*]} (scripts/install-deps installs them)"
    exit 77
  fi
}

# Makes the test's folder (work) with the program given in a folder of its own beside its
# repository (Tent in Camping is the first row, Socks in Clothes the second), a trip that
# checks Socks (a new trip starts with every check mark clear), and the test's own home and
# runtime folder, where the program's and the screen reader's settings start from nothing.
prepare_program() {
  work=$(mktemp -d)
  mkdir -p "$work/program" "$work/home" "$work/run"
  chmod 700 "$work/run"
  cp "$1" "$work/program/voyanta"
  printf '0\t\tSocks\tClothes\t\n0\t\tTent\tCamping\t\n' >"$work/program/voyanta.vyr"
  printf '1\t2 pairs\tSocks\tClothes\t\n' >"$work/trip.vyt"
  export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
  export XDG_RUNTIME_DIR="$work/run"
  unset QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS DISPLAY
}

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
stop_desktop() {
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

# Starts the stack in the work folder and exports its DISPLAY and DBUS_SESSION_BUS_ADDRESS.
start_desktop() {
  mkdir -p "$work/bus"
  # A virtual X server on a display that is free: it tells the number once it accepts
  # clients. It must not reset when its last client leaves: the accessibility launcher and
  # xprop come and go before openbox arrives, and a client that connects during a reset is
  # refused. Keys do not repeat: a key held down while the program is slow to close a
  # dialog stays one key.
  (exec Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset -r 3>"$work/display" >"$work/xvfb.txt" 2>&1) &
  xvfb_pid=$!
  await grep -q '^[0-9]' "$work/display" || die "Xvfb did not start: $(cat "$work/xvfb.txt")"
  DISPLAY=:$(head -n 1 "$work/display")
  export DISPLAY

  # The session bus, with the services of the system, where org.a11y.Bus is found. It hands
  # its environment (the display, the runtime folder for the accessibility bus's socket) to
  # what it activates.
  cat >"$work/session.conf" <<CONF
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
CONF
  (exec dbus-daemon --config-file="$work/session.conf" --nofork --print-address=3 3>"$work/address" \
    >"$work/dbus.txt" 2>&1) &
  bus_pid=$!
  await grep -q '^unix:' "$work/address" || die "the session bus did not start: $(cat "$work/dbus.txt")"
  DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/address")
  export DBUS_SESSION_BUS_ADDRESS

  # The accessibility bus through activation, as the program and the screen reader ask for it.
  local address
  address=$(timeout 10 dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
    org.a11y.Bus.GetAddress 2>&1) || die "org.a11y.Bus was not activated: $address"
  echo "accessibility bus: ${address#"${address%%[! ]*}"}"

  (exec openbox --sm-disable >"$work/openbox.txt" 2>&1) &
  openbox_pid=$!
  await sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
    die "openbox did not start: $(cat "$work/openbox.txt")"
}
