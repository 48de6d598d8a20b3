#!/usr/bin/env bash
# The real program's saves at exit under fault injection. A run that opens a trip and is
# ended by SIGTERM writes the repository and the configuration anew; strace, attached once
# the program runs, makes each write, fsync and rename of those saves in turn kill the
# program (SIGKILL) or fail with ENOSPC or EIO. Afterwards the repository and the
# configuration the next start would read are each the complete old or the complete new
# file, a failed repository save is in the log, and the next start reads them and ends as
# a run without faults does.
# Usage: CrashConsistency.sh PROGRAM
set -euo pipefail

program=$1
work=$(mktemp -d)
pid=
trap '[ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
# The traced program's leak check would need ptrace, which strace holds.
traced_asan="${ASAN_OPTIONS:-}:detect_leaks=0"

failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# A trip that every run opens: its items join the repository, its path the recent files.
trip="$work/summer.vyt"
printf '1\t3\tPassport\tPapers\t\n' >"$trip"
cp "$program" "$work/voyanta.bin"

# A fresh folder for a run: the program (linked), the old repository and configuration.
prepare() {
  local folder=$1
  rm -rf "$folder"
  mkdir -p "$folder/run" "$folder/Quorvane/Voyanta"
  chmod 700 "$folder/run"
  ln "$work/voyanta.bin" "$folder/voyanta"
  cp "$work/old.vyr" "$folder/voyanta.vyr"
  cp "$work/old.cfg" "$folder/Quorvane/Voyanta/voyanta.cfg"
}

# Starts the program of the folder with the arguments and waits until it catches SIGTERM.
start() {
  local folder=$1
  shift
  (cd "$folder" && exec env HOME="$folder" XDG_CONFIG_HOME="$folder" XDG_RUNTIME_DIR="$folder/run" \
    ASAN_OPTIONS="${run_asan:-${ASAN_OPTIONS:-}}" ./voyanta "$@" >>"$folder/output.txt" 2>&1) &
  pid=$!
  for _ in $(seq 1000); do
    local caught
    caught=$(awk '/^SigCgt:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) || true
    [ -n "$caught" ] && [ $((0x$caught >> 14 & 1)) -eq 1 ] && return 0
    sleep 0.01
  done
  fail "the program in $folder did not come up"
  return 1
}

# Ends the started program with SIGTERM; its wait status.
finish() {
  kill -TERM "$pid"
  local status=0
  # (Quietly: the shell would tell of a killed program.)
  { wait "$pid"; } 2>/dev/null || status=$?
  pid=
  return "$status"
}

config() { echo "$1/Quorvane/Voyanta/voyanta.cfg"; }

# A clean run with the trip; the folder's files must be the new ones afterwards.
clean_run() {
  local folder=$1 what=$2 log_before
  log_before=$(stat -c %s "$folder/Documents/voyanta.log" 2>/dev/null || echo 0)
  start "$folder" "$trip" || return 0
  finish || fail "$what: the next start ended with status $?"
  cmp -s "$folder/voyanta.vyr" "$work/new.vyr" || fail "$what: the next start did not read the repository back"
  cmp -s "$(config "$folder")" "$work/new.cfg" || fail "$what: the next start did not read the configuration back"
  if tail -c +$((log_before + 1)) "$folder/Documents/voyanta.log" 2>/dev/null | grep -q '] Error ('; then
    fail "$what: the next start logged an error"
  fi
  local left
  left=$(cd "$folder" && ls -A | grep -E '^\.voyanta\.vyr\..*\.tmp$|\.bad$' || true)
  [ -z "$left" ] || fail "$what: left behind: $left"
}

# The old files: what the program writes from a seed without the trip; the new ones: what
# a run with the trip writes over them.
mkdir -p "$work/seed/run" && chmod 700 "$work/seed/run"
ln "$work/voyanta.bin" "$work/seed/voyanta"
printf '0\t\tSocks\tClothes\t\n0\t\tTent\tCamping\t\n' >"$work/seed/voyanta.vyr"
start "$work/seed" && finish
cp "$work/seed/voyanta.vyr" "$work/old.vyr"
cp "$(config "$work/seed")" "$work/old.cfg"
prepare "$work/reference"
start "$work/reference" "$trip" && finish
cp "$work/reference/voyanta.vyr" "$work/new.vyr"
cp "$(config "$work/reference")" "$work/new.cfg"
if cmp -s "$work/old.vyr" "$work/new.vyr" || cmp -s "$work/old.cfg" "$work/new.cfg"; then
  echo "FAILED: the run with the trip writes the same files as before" >&2
  exit 1
fi

# One traced run counts the calls of the saves, by kind, each with the file it touches.
syscalls=write,fsync,rename,renameat,renameat2
traced() {
  local folder=$1
  shift
  local cfg name
  cfg=$(dirname "$(config "$folder")")
  run_asan=$traced_asan start "$folder" "$trip" || return 1
  local paths=(-P "$folder" -P "$folder/voyanta.vyr" -P "$folder/.voyanta.vyr.$pid-0.tmp" -P "$cfg")
  for name in voyanta.cfg voyanta.cfg.new voyanta.cfg.old; do paths+=(-P "$cfg/$name"); done
  strace -f -qq -y -o "$folder/trace.txt" -p "$pid" "${paths[@]}" -e trace="$syscalls" "$@" &
  local tracer=$!
  for _ in $(seq 1000); do
    grep -q 'TracerPid:[[:space:]]*[1-9]' "/proc/$pid/status" && break
    kill -0 "$tracer" 2>/dev/null || break
    sleep 0.01
  done
  local status=0
  finish || status=$?
  wait "$tracer" || true
  return "$status"
}

prepare "$work/count"
traced "$work/count" || fail "the counting run ended with status $?"
mapfile -t calls < <(grep -oE '^[0-9]+ +(write|fsync|rename|renameat|renameat2)\(.*' "$work/count/trace.txt")
[ "${#calls[@]}" -ge 9 ] || fail "only ${#calls[@]} calls of the saves were seen:$(printf '\n  %s' "${calls[@]}")"

declare -A seen
for call in "${calls[@]}"; do
  name=$(sed -E 's/^[0-9]+ +([a-z0-9]+)\(.*/\1/' <<<"$call")
  seen[$name]=$((${seen[$name]:-0} + 1))
  nth=${seen[$name]}
  file=repository
  grep -q 'voyanta\.cfg\|/Quorvane/Voyanta>' <<<"$call" && file=configuration
  for fault in signal=SIGKILL error=ENOSPC error=EIO; do
    what="$fault at $name #$nth ($file)"
    folder="$work/fault"
    prepare "$folder"
    status=0
    traced "$folder" -e inject="$name:$fault:when=$nth" || status=$?
    grep -q 'INJECTED\|killed by SIGKILL' "$folder/trace.txt" || fail "$what: nothing was injected"
    if [ "$fault" = signal=SIGKILL ]; then
      [ "$status" -eq 137 ] || fail "$what: ended with status $status, not killed"
    else
      [ "$status" -lt 128 ] || fail "$what: did not end by itself (status $status)"
      if [ "$file" = repository ] && ! grep -q '] Error (' "$folder/Documents/voyanta.log" 2>/dev/null; then
        fail "$what: the failure is not in the log"
      fi
    fi
    cmp -s "$folder/voyanta.vyr" "$work/old.vyr" || cmp -s "$folder/voyanta.vyr" "$work/new.vyr" ||
      fail "$what: the repository is neither the old nor the new one"
    cfg=$(config "$folder")
    [ -e "$cfg" ] || [ -e "$cfg.old" ] || fail "$what: the configuration is gone"
    for file_read in "$cfg" "$cfg.old"; do
      [ -e "$file_read" ] || continue
      cmp -s "$file_read" "$work/old.cfg" || cmp -s "$file_read" "$work/new.cfg" ||
        fail "$what: $(basename "$file_read") is neither the old nor the new configuration"
    done
    clean_run "$folder" "$what"
  done
done

[ "$failures" -eq 0 ] || exit 1
echo "${#calls[@]} calls of the exit saves, each killed and failed with ENOSPC and EIO: files whole"
