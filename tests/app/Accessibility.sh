#!/usr/bin/env bash
# The real program read through the accessibility stack a desktop brings up (Desktop.sh),
# with Qt's accessibility bridge on. accessibility.py reads and works the program through
# AT-SPI as a screen reader does and prints what it finds. Everything the test starts, or
# has activated, is ended by its process id.
# Usage: Accessibility.sh PROGRAM
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
. "$here/Processes.sh"
program=$1

. "$here/Desktop.sh"

# What the test needs from the system (scripts/install-deps installs it).
check_desktop_tools
python=
for candidate in /usr/bin/python3 python3; do
  if "$candidate" -c 'import pyatspi' 2>/dev/null; then
    python=$candidate
    break
  fi
done
if [ -z "$python" ]; then
  echo "SKIPPED: missing python3-pyatspi (scripts/install-deps installs it)"
  exit 77
fi

prepare_program "$program"

program_pid=''
cleanup() {
  [ -z "$program_pid" ] || kill -KILL "$program_pid" 2>/dev/null || true
  stop_desktop
  rm -rf "$work"
}
trap cleanup EXIT

start=$(date +%s%N)

start_desktop

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
stop_desktop
[ ${#stopped[@]} -eq 6 ] ||
  fail "found ${#stopped[@]} of the six processes (openbox, registry, accessibility bus, launcher, session bus, Xvfb): ${stopped[*]}"
for pid in "${stopped[@]}"; do
  has_ended "$pid" || fail "process $pid ($(cat "/proc/$pid/comm" 2>/dev/null)) still runs"
done

[ "$failures" -eq 0 ] || exit 1
echo "passed"
