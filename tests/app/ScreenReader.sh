#!/usr/bin/env bash
# The real program heard through the screen reader Orca, as a blind user works it from the
# keyboard: the desktop's accessibility stack (Desktop.sh), Orca with a debug log (which
# holds what it speaks, as SPEECH OUTPUT lines, with no sound device), and the program with
# Qt's accessibility bridge on. Keys go in through xdotool, held down and let up as a
# finger does; after each, what Orca says must hold the words of the row. Orca and
# everything else the test starts is ended by its process id; another Orca of the user is
# left alone (the test is skipped while one runs, since Orca runs once per user).
# Usage: ScreenReader.sh PROGRAM
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
. "$here/Processes.sh"
. "$here/Desktop.sh"
program=$1

check_desktop_tools orca
if pgrep -u "$(id -u)" -x orca >/dev/null; then
  echo "SKIPPED: Orca runs already for this user, and a second one would not start"
  exit 77
fi

prepare_program "$program"

orca_pid='' relay_pid='' program_pid=''
cleanup() {
  [ -z "$program_pid" ] || kill -KILL "$program_pid" 2>/dev/null || true
  # (Orca takes its time over SIGTERM; the shell would tell of a kill.)
  { end_process "$orca_pid" 50; end_process "$relay_pid"; } 2>/dev/null
  stop_desktop
  rm -rf "$work"
}
trap cleanup EXIT

# What Orca has said so far, a line for each utterance.
# (Each is followed by the voice it is spoken in, in braces.)
spoken() { sed -n "s/.* - SPEECH OUTPUT: '\\(.*\\)' *{'.*/\\1/p" "$work/orca.log" 2>/dev/null || true; }
# Waits up to ten seconds until Orca has said what the pattern (grep's basic kind) matches,
# as an utterance of its own, with or without its closing full stop, after the first lines
# given.
says() {
  local after=$1 pattern=${2%.}
  for _ in $(seq 100); do
    spoken | tail -n "+$((after + 1))" | sed 's/\.$//' | grep -qx -- "$pattern" && return 0
    sleep 0.1
  done
  return 1
}
# A key (in xdotool's names, "alt+f" for a chord) pressed and let go as a finger does.
press() {
  local keys
  IFS=+ read -ra keys <<<"$1"
  for key in "${keys[@]}"; do
    xdotool keydown "$key"
    sleep 0.1
  done
  for ((i = ${#keys[@]} - 1; i >= 0; i--)); do
    xdotool keyup "${keys[i]}"
    sleep 0.1
  done
}

start_desktop
# Orca writes its debug log through a buffer of some kilobytes, which holds what it says
# until more follows, unless the log is a terminal: then each line goes out at once. So
# the log is a pseudo-terminal, whose lines a relay puts into orca.log as they come.
/usr/bin/python3 -c '
import os, pty, sys, tty
master, slave = pty.openpty()
tty.setraw(slave)
print(os.ttyname(slave), flush=True)
with open(sys.argv[1], "ab", buffering=0) as log:
    while data := os.read(master, 65536):
        log.write(data)' "$work/orca.log" >"$work/terminal" &
relay_pid=$!
await grep -q '^/dev/' "$work/terminal" || die "no terminal for Orca's log"
(exec orca --debug-file="$(head -n 1 "$work/terminal")" >"$work/orca.txt" 2>&1) &
orca_pid=$!
says 0 "Screen reader on." || die "Orca did not start: $(tail -n 5 "$work/orca.txt")"

cd "$work/program"
(exec env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 ./voyanta "$work/trip.vyt" >"$work/program.txt" 2>&1) &
program_pid=$!
says 0 "table with 2 rows 3 columns" || die "Orca did not hear the program start: $(spoken)"

# Row: keys | what Orca says after them, an utterance each. The list's first row is read as
# the arrow reaches it; Space is heard as the check mark it leaves; a menu entry is read with
# its key; the list, as it takes the focus, with its rows; the item dialog with the item it
# edits and the quantity it starts with. The keys Orca claims are Orca's alone: Insert+T
# tells the time and opens no New Item dialog, the keypad's Enter tells where the user is
# and opens no Edit Item dialog, and the arrow after them still moves in the list.
while IFS='|' read -r keys utterances; do
  before=$(spoken | wc -l)
  press "$keys"
  IFS='|' read -ra said <<<"$utterances"
  for utterance in "${said[@]}"; do
    says "$before" "$utterance" ||
      fail "after $keys Orca does not say \"$utterance\" but: $(spoken | tail -n "+$((before + 1))" | tr '\n' ' ')"
  done
done <<'ROWS'
Down|Tent
space|checked
space|not checked
alt+f|New Ctrl+N
Down|Open... Ctrl+O
Escape|File
Escape|table with 2 rows 3 columns
3|Edit Item and Quantity dialog Tent, Camping|Quantity: text|3
Escape|table with 2 rows 3 columns
Insert+t|[0-9]*:[0-9][0-9].*
KP_Enter|.* row 1 of 2
Down|Socks
ROWS

kill -TERM "$program_pid" 2>/dev/null || true
ends_within "$program_pid" 100 || fail "the program does not end on SIGTERM"
status=0
wait "$program_pid" || status=$?
program_pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status: $(tail -n 30 "$work/program.txt")"

[ "$failures" -eq 0 ] || exit 1
echo "Orca said: $(spoken | tr '\n' '|')"
