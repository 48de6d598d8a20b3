#!/usr/bin/env bash
# The real program's saves at exit under fault injection. A run that opens a trip and is
# ended by SIGTERM writes the repository and the configuration anew; strace, attached to its
# main thread once the program is at rest, makes each write, fchmod, fsync and rename of
# those saves in turn kill the program (SIGKILL) or fail with ENOSPC or EIO. Afterwards the
# repository and the configuration the next start would read are each the complete old or
# the complete new file, a failed repository save is in the log, and the next start reads
# them and ends as a run without faults does, leaving nothing behind.
# Usage: CrashConsistency.sh PROGRAM
set -euo pipefail

. "$(dirname "$0")/ProgramRuns.sh" "$1"

# A clean run with the trip; the folder's files must be the new ones afterwards.
clean_run() {
  local folder=$1 what=$2 log_before
  log_before=$(stat -c %s "$folder/Documents/voyanta.log" 2>/dev/null || echo 0)
  start "$folder" ./voyanta "$trip" || return 0
  finish || fail "$what: the next start ended with status $?"
  cmp -s "$folder/voyanta.vyr" "$work/new.vyr" || fail "$what: the next start did not read the repository back"
  cmp -s "$(config "$folder")" "$work/new.cfg" || fail "$what: the next start did not read the configuration back"
  if tail -c +$((log_before + 1)) "$folder/Documents/voyanta.log" 2>/dev/null | grep -q '] Error ('; then
    fail "$what: the next start logged an error"
  fi
  local left
  left=$(find "$folder" -name '*.tmp' -o -name '*.bad')
  [ -z "$left" ] || fail "$what: left behind: $left"
}

make_old_and_new

# A traced run of the folder, strace given the further options; the program's status.
syscalls=write,fchmod,fsync,rename,renameat,renameat2
traced() {
  local folder=$1
  shift
  run_asan=$traced_asan start "$folder" ./voyanta "$trip" || return 1
  attach "$folder/trace.txt" -e trace="$syscalls" "$@" || return 1
  local status=0
  finish || status=$?
  return "$status"
}

# The calls of a trace, one a line: the call's name and the file it touches (the path of its
# descriptor, or of its first path argument; a rename in a held folder names the folder's
# path and the name in it), with the folder as "F", the random part of a
# temporary file's name as "X" and the number of a pipe left out, so that the lines of two
# runs compare equal where the runs did the same; " INJECTED" after the call that strace
# failed or killed the program in. Every call of the traced kinds is listed: when=N of
# strace counts them all, those on other files (the log, Qt's pipes and eventfd) too.
calls() {
  local trace=$1 folder=$2
  sed -nE 's/^(renameat2?)\([0-9]+<([^>]*)>, "([^"]*)".*( = \?|\(INJECTED\))$/\1 \2\/\3 INJECTED/p
    t
    s/^(renameat2?)\([0-9]+<([^>]*)>, "([^"]*)".*/\1 \2\/\3/p
    t
    s/^([a-z0-9_]+)\((AT_FDCWD(<[^>]*>)?, )?([0-9]+<([^>]*)>|"([^"]*)")?.*( = \?|\(INJECTED\))$/\1 \5\6 INJECTED/p
    t
    s/^([a-z0-9_]+)\((AT_FDCWD(<[^>]*>)?, )?([0-9]+<([^>]*)>|"([^"]*)")?.*/\1 \5\6/p' "$trace" |
    awk -v folder="$folder" '{
      if (index($2, folder) == 1) $2 = "F" substr($2, length(folder) + 1)
      sub(/^pipe:\[[0-9]+\]$/, "pipe", $2)
      if (match($2, /\.[0-9]+-[0-9a-f]+\.tmp$/)) $2 = substr($2, 1, RSTART - 1) ".PID-X.tmp"
      print
    }'
}

# The saved file that a call of calls touches: repository (the file, its temporary file, the
# program's folder), configuration (its files and folder), or nothing for any other file.
saved_file() {
  case $1 in
    F/voyanta.vyr | F/.voyanta.vyr.PID-X.tmp | F) echo repository ;;
    F/Quorvane/Voyanta/voyanta.cfg* | F/Quorvane/Voyanta/.voyanta.cfg* | F/Quorvane/Voyanta) echo configuration ;;
  esac
}

# One traced run counts the calls, by kind; each call of the saves is then made to fail.
prepare "$work/count"
traced "$work/count" || fail "the counting run ended with status $?"
mapfile -t sequence < <(calls "$work/count/trace.txt" "$work/count")
declare -A seen
faults=()
save_sequence=()
for call in "${sequence[@]}"; do
  name=${call%% *}
  seen[$name]=$((${seen[$name]:-0} + 1))
  file=$(saved_file "${call#* }")
  [ -n "$file" ] || continue
  faults+=("$name ${seen[$name]} $file ${call#* }")
  save_sequence+=("$call")
done
[ "${#faults[@]}" -ge 9 ] || fail "only ${#faults[@]} calls of the saves were seen:$(printf '\n  %s' "${sequence[@]}")"
# Each file is written into a file of its own, flushed and renamed over the old one; the
# configuration's old copy too.
for written in F/.voyanta.vyr.PID-X.tmp F/Quorvane/Voyanta/.voyanta.cfg.PID-X.tmp \
  F/Quorvane/Voyanta/.voyanta.cfg.old.PID-X.tmp; do
  for call in write fsync renameat; do
    grep -qxF "$call $written" <<<"$(printf '%s\n' "${sequence[@]}")" ||
      fail "no $call of $written among the calls:$(printf '\n  %s' "${sequence[@]}")"
  done
done

# One run of the folder with the fault injected; fails (with the reason in $missed) when the
# fault hit another call than the one meant: the run must make as many calls of that kind
# before it as the counting run (strace counts them all), and those of the saves alike.
faulted_run() {
  local folder=$1 name=$2 nth=$3 path=$4 fault=$5 count=0 call= plain done_calls saves=()
  prepare "$folder"
  status=0
  traced "$folder" -e inject="$name:$fault:when=$nth" || status=$?
  mapfile -t done_calls < <(calls "$folder/trace.txt" "$folder")
  for call in "${done_calls[@]}"; do
    plain=${call% INJECTED}
    [ "${call%% *}" != "$name" ] || count=$((count + 1))
    [ -z "$(saved_file "${plain#* }")" ] || saves+=("$plain")
    [ "$plain" = "$call" ] || break
  done
  missed="the fault hit ${call:-nothing} (call #$count of $name), after the calls of the saves:$(
    printf '\n  %s' "${saves[@]}")"
  [ "$count" -eq "$nth" ] && [ "$call" = "$name $path INJECTED" ] &&
    [ "${saves[*]}" = "${save_sequence[*]:0:${#saves[@]}}" ]
}

for entry in "${faults[@]}"; do
  read -r name nth file path <<<"$entry"
  for fault in signal=SIGKILL error=ENOSPC error=EIO; do
    what="$fault at $name #$nth ($path)"
    folder="$work/fault"
    # Qt's own wake-ups and the log now and then write once more or once less before the
    # saves than in the counting run; such a run missed its aim and is made again.
    for attempt in 1 2 3; do
      if faulted_run "$folder" "$name" "$nth" "$path" "$fault"; then break; fi
      [ "$attempt" -lt 3 ] || fail "$what: $missed"
    done
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
echo "${#faults[@]} calls of the exit saves, each killed and failed with ENOSPC and EIO: files whole"
