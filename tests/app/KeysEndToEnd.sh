#!/usr/bin/env bash
# The real program on a virtual X server, worked with real key presses as a user works it:
# an item deleted, one added and given a quantity, then the program ended by SIGTERM. The
# repository file beside the program must hold exactly the result.
# Usage: KeysEndToEnd.sh PROGRAM   (run inside xvfb-run)
set -euo pipefail

. "$(dirname "$0")/Windows.sh"

folder=$(mktemp -d)
pid=
trap '[ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true; rm -rf "$folder"' EXIT
cp "$1" "$folder/voyanta"
printf '0\t\tSocks\tClothes\t\n0\t\tTent\tCamping\t\n' >"$folder/voyanta.vyr"
export HOME="$folder" XDG_CONFIG_HOME="$folder"
unset QT_QPA_PLATFORM

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

cd "$folder"
(exec ./voyanta) &
pid=$!
main="Unnamed - Voyanta"
shown "$main"
sleep 0.5

xdotool key Down        # selects the first row: Tent, in Camping
xdotool key Delete
shown "The Voyanta"
xdotool key Return      # Yes
gone "The Voyanta"
shown "$main"

xdotool key Insert      # a new item in the selected row's group, Clothes
shown "Edit Item and Quantity"
xdotool type Hat
xdotool key Return
gone "Edit Item and Quantity"
shown "$main"

xdotool key 5           # Hat is selected: quantity 5
shown "Edit Item and Quantity"
xdotool key Return
gone "Edit Item and Quantity"

kill -TERM "$pid"
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"

expected=$(printf '1\t5\tHat\tClothes\t\n0\t\tSocks\tClothes\t\n')
actual=$(cat voyanta.vyr)
[ "$actual" = "$expected" ] || fail "repository file holds: $(cat -A voyanta.vyr)"
echo "passed"
