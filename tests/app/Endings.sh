#!/usr/bin/env bash
# The real program ended without its window closed: killed, its X server gone, its Wayland
# compositor gone. Each time a user has just checked an item and given one a quantity with
# real key presses; the repository file must hold both, nothing may crash, and the next start
# must offer the unsaved trip back, bring it back as it was (Yes) or start anew (No).
# The Wayland compositor is a weston showing its screen in a window of the test's virtual X
# server, so that key presses sent there reach the program as they reach any Wayland client.
# Usage: Endings.sh PROGRAM
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
. "$here/Processes.sh"
. "$here/Windows.sh"
program=$1

missing=()
for command in Xvfb xdotool weston; do
  command -v "$command" >/dev/null || missing+=("$command")
done
compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so" >/dev/null || missing+=(qt6-wayland)
if [ ${#missing[@]} -gt 0 ]; then
  echo "SKIPPED: missing ${missing[*]} (scripts/install-deps installs them)"
  exit 77
fi

work=$(mktemp -d)
unset QT_QPA_PLATFORM WAYLAND_DISPLAY DISPLAY
x_pid='' doomed_x_pid='' weston_pid='' pid=''
cleanup() {
  [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
  for server in "$weston_pid" "$doomed_x_pid" "$x_pid"; do end_process "$server"; done
  rm -rf "$work"
}
trap cleanup EXIT

# A virtual X server on a free display, which it tells once it takes clients; keys do not
# repeat. Sets server_pid and server_display.
start_x() {
  mkfifo "$work/display.$1"
  (exec Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset -r 3>"$work/display.$1" \
    >"$work/xvfb.$1.txt" 2>&1) &
  server_pid=$!
  local number
  read -r -t 20 number <"$work/display.$1" || { fail "Xvfb did not start: $(cat "$work/xvfb.$1.txt")"; exit 1; }
  server_display=:$number
}
start_x main
x_pid=$server_pid x_display=$server_display

# Waits until the compositor's log, past line $mark, has a line that the awk pattern $1
# matches and then one that $2 matches; mark moves to the latter.
mark=0
compositor_told() {
  local line
  for _ in $(seq 200); do
    line=$(awk -v from="$mark" "NR > from && $1 { seen = 1 } seen && NR > from && $2 { print NR; exit }" \
      "$folder/weston.log" 2>/dev/null) || true
    if [ -n "$line" ]; then
      mark=$line
      return 0
    fi
    sleep 0.1
  done
  fail "the compositor did not tell $1, then $2"
  return 1
}
# On Wayland: a window with the title is shown and has the keyboard.
wayland_shown() {
  compositor_told "index(\$0, \"set_title(\\\"$1\\\")\")" '/wl_keyboard@[0-9]+\.enter\(/'
}

# The user's changes: the first row (Tent) checked, the second (Socks) given the quantity 4;
# $1 waits for the dialog.
work_it() {
  xdotool key Down space Down 4
  "$1" "Edit Item and Quantity"
  xdotool key Return
}

# Starts the program in the row's folder with its trip file if any; its output adds up.
start() {
  (cd "$folder" && exec env "$@" ./voyanta ${trip:+"$trip"} >>"$folder/output.txt" 2>&1) &
  pid=$!
}
# Waits for the program to end (killing it after ten seconds): with the status given.
ended_with() {
  ends_within "$pid" 100 || fail "$row: the program does not end $2"
  kill -KILL "$pid" 2>/dev/null || true
  local status=0
  wait "$pid" || status=$?
  pid=
  [ "$status" -eq "$1" ] || fail "$row: the program ended with status $status $2, not $1"
}
repository_holds() {
  [ "$(cat "$folder/voyanta.vyr")" = "$1" ] || fail "$row: $2 the repository file holds $(cat -A "$folder/voyanta.vyr")"
}
# Whether a trip is kept in the folder (the settings folder unless given): a file of that name.
kept() {
  find "${1:-$folder/Quorvane/Voyanta}" -maxdepth 1 -type f -name 'voyanta.vyr.*.trip' | grep -q .
}

# row: how the program ends (kill-refused: killed, with something in the kept trip's place in
# the settings folder, which refuses it). trip: the trip file it opens, which puts Map into
# the repository. lost: the connection the log tells broke. keptIn: the folder the trip is
# kept in. Then the repository file's lines after the changes.
rows=(
  "kill          -         -        Quorvane/Voyanta  1\t\tTent\tCamping\t\n1\t4\tSocks\tClothes\t\n"
  "kill-refused  -         -        Documents         1\t\tTent\tCamping\t\n1\t4\tSocks\tClothes\t\n"
  "x11           -         X11      Quorvane/Voyanta  1\t\tTent\tCamping\t\n1\t4\tSocks\tClothes\t\n"
  "wayland       trip.vyt  Wayland  Quorvane/Voyanta  1\t\tTent\tCamping\t\n1\t4\tSocks\tClothes\t\n1\t2\tMap\tTravel\t\n"
)
for line in "${rows[@]}"; do
  read -r row trip lost keptIn lines <<<"$line"
  [ "$trip" != - ] || trip=
  folder=$work/$row
  mkdir -p "$folder/run"
  chmod 700 "$folder/run"
  cp "$program" "$folder/voyanta"
  printf '0\t\tSocks\tClothes\t\n0\t\tTent\tCamping\t\n' >"$folder/voyanta.vyr"
  printf '1\t2\tMap\tTravel\t\n' >"$folder/trip.vyt"
  export HOME="$folder" XDG_CONFIG_HOME="$folder" XDG_RUNTIME_DIR="$folder/run"
  mkdir -p "$folder/Quorvane/Voyanta" "$folder/Documents"
  if [ "$row" = kill-refused ]; then
    # Named after the repository's name and the hash of its path; a folder there.
    key=$(printf '%s' "$(realpath "$folder/voyanta.vyr")" | sha256sum | cut -c1-16)
    mkdir "$folder/Quorvane/Voyanta/voyanta.vyr.$key.trip"
  fi
  expected=$(printf '%b' "$lines")
  title="${trip:-Unnamed} - Voyanta"

  # The keys go to the display's window that has the keyboard: the program's, or weston's.
  export DISPLAY=$x_display
  see=shown
  case ${row%-*} in
  kill)
    start
    victim=$pid
    ;;
  x11)
    start_x "$row"
    doomed_x_pid=$server_pid victim=$server_pid DISPLAY=$server_display
    start
    ;;
  wayland)
    (exec weston --backend=x11-backend.so --use-pixman --no-config --socket=wayland-test --width=1024 \
      --height=768 --logger-scopes=log,proto --log="$folder/weston.log" >"$folder/weston.txt" 2>&1) &
    weston_pid=$! victim=$! mark=0 see=wayland_shown
    # Its shell is loaded once its socket listens.
    compositor_told '/x11 output .*window id/' '/Loading module .*shell/'
    xdotool windowfocus --sync "$(awk '/x11 output/ { print $NF; exit }' "$folder/weston.log")"
    start -u DISPLAY QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=wayland-test
    ;;
  esac
  "$see" "$title"
  work_it "$see"
  sleep 3
  kill -KILL "$victim"
  if [ "$lost" = - ]; then
    ended_with 137 "when killed"
    [ ! -e "$folder/Quorvane/Voyanta/voyanta.cfg" ] || fail "$row: a killed program saved its settings"
  else
    ended_with 1 "without its display"
    [ -e "$folder/Quorvane/Voyanta/voyanta.cfg" ] || fail "$row: the settings are not saved"
    grep -q "The display is gone (The $lost connection broke" "$folder/Documents/voyanta.log" ||
      fail "$row: the log does not tell that the display is gone"
  fi
  repository_holds "$expected" "ended,"
  kept "$folder/$keptIn" || fail "$row: the trip is not kept in $keptIn"

  # The next start asks; Yes brings the trip back, modified, and so kept again at SIGTERM.
  trip=
  export DISPLAY=$x_display
  start
  shown "The Voyanta"
  xdotool key Return
  shown "$title"
  kill -TERM "$pid"
  ended_with 0 "on SIGTERM"
  repository_holds "$expected" "brought back,"
  # No: a new trip, nothing checked, and the kept trip is gone at once.
  start
  shown "The Voyanta"
  xdotool key n
  shown "Unnamed - Voyanta"
  ! kept "$folder/$keptIn" || fail "$row: the trip is still kept after No"
  kill -TERM "$pid"
  ended_with 0 "on SIGTERM"
  repository_holds "$(sed 's/^1\t[^\t]*\t/0\t\t/' <<<"$expected")" "not brought back,"
  ! kept || fail "$row: the new trip is kept"
  ! grep -E "Sanitizer|runtime error|SEGV|Segmentation" "$folder/output.txt" || fail "$row: the program crashed"
done

[ "$failures" -eq 0 ] || exit 1
echo "passed"
