# shellcheck shell=bash
# Sourced by the shell tests that work the real program's windows on a virtual X server with
# xdotool; the sourcing test's fail tells what went wrong.
# Usage: . Windows.sh

# Waits until a window with the title is shown and gives it the keyboard (a virtual X server
# has no window manager to do that), or waits until no such window is left.
shown() {
  local window
  window=$(timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1) || {
    fail "no window \"$1\""
    return 1
  }
  xdotool windowfocus --sync "$window"
}
gone() {
  for _ in $(seq 200); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null || return 0
    sleep 0.1
  done
  fail "window \"$1\" stays"
  return 1
}
