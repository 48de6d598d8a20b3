# shellcheck shell=bash
# Sourced by the shell tests that start processes of their own (the program, servers): the
# failures counted, and processes watched and ended by their process id.
# Usage: . Processes.sh. Sets: failures.

failures=0
# Ends the test as skipped (77) unless it runs as root, with the reason it needs root.
require_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "SKIPPED: not root; $1"
    exit 77
  fi
}
# Counts a failure and tells it; the test decides at its end (status 1 after any).
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# The state letter of a process (R, S, Z, ...), empty once it is gone. The name in
# parentheses before it may hold blanks.
process_state() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
  stat=${stat##*) }
  echo "${stat%% *}"
}

# Whether the process has ended (a zombie not yet reaped counts as ended: a process the
# test did not start is reaped by whoever adopted it, if at all).
has_ended() {
  local state
  state=$(process_state "$1")
  [ -z "$state" ] || [ "$state" = Z ]
}

# Waits up to the tenths of a second given for the process to end; false while it runs.
ends_within() {
  local tenths=$2
  while [ "$tenths" -gt 0 ]; do
    has_ended "$1" && return 0
    sleep 0.1
    tenths=$((tenths - 1))
  done
  has_ended "$1"
}

# Ends a process by its id: SIGTERM, then SIGKILL when it still runs after the tenths of a
# second given (20 unless told). A child of the test's shell is reaped as well.
end_process() {
  [ -n "$1" ] || return 0
  if ! has_ended "$1"; then
    kill -TERM "$1" 2>/dev/null || true
    ends_within "$1" "${2:-20}" || kill -KILL "$1" 2>/dev/null || true
    ends_within "$1" 10 || true
  fi
  wait "$1" 2>/dev/null || true
}
