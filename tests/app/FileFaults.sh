#!/usr/bin/env bash
# The real program where its files fail it, under strace fault injection (main thread):
#
# Locks. The one-instance lock beside the repository (taken without waiting at start) and
# the configuration's lock (taken, waiting at most 3 s, at the load at start and at the
# save at exit) fail with EBADF or ENOLCK, as on a file system without locks: the program
# goes on without the lock (the user's copies then find each other through a lock of their
# own in the runtime folder), saves as always and warns in the log. With EWOULDBLOCK at every
# try, as while another user's process holds the lock: at start the program, which holds
# its own lock, knows that no copy of the user's could take its trip and ends with status
# 1 ("already running") at once, having written nothing; the
# configuration is loaded after the wait, and saved after it through a temporary file of
# its own and without an old copy (no voyanta.cfg.old), with a warning.
#
# The rewrite in place, where no temporary file can be made beside the repository (a folder
# the user may not write in, a program name too long for the temporary file's suffix), in
# runs that print a trip and end, so that a failure is said on standard error. Before the
# first byte is overwritten every item is in a rescue file in the settings folder. The disk
# full at the reservation of the new length or at the first write leaves the old repository
# byte for byte; a failure after the bytes were written (cutting the file to length,
# flushing it) leaves it damaged; a kill at any of these calls leaves it old or torn. Either
# way the rescue file keeps every item, the message names it, and the next start takes the
# items from it and writes them into the repository, never loading the torn file. Where no
# folder takes a rescue file, the repository is not touched: the save fails, and says so.
# Usage: FileFaults.sh PROGRAM
set -euo pipefail

. "$(dirname "$0")/ProgramRuns.sh" "$1"
require_strace

# What runs the program as a user who may not write in a folder of the test's: as root
# (who may write anywhere), the program runs as nobody.
runner=()
if [ "$(id -u)" -eq 0 ]; then
  if ! command -v setpriv >/dev/null; then
    echo "SKIPPED: run as root, and there is no setpriv to run the program as nobody"
    exit 77
  fi
  runner=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups --)
  chmod 755 "$work"
fi

# The reason the program gives for an error.
declare -A reasons=([EBADF]="Bad file descriptor" [ENOLCK]="No locks available")

# Checks that the log of the folder has a line of the level holding the text.
logged() {
  local folder=$1 level=$2 text=$3 what=$4
  local found
  found=$(grep -h "] $level (" "$folder/Documents/"*.log 2>/dev/null | grep -cF -- "$text") || true
  [ "$found" -gt 0 ] || fail "$what: no $level in the log saying: $text"
}

# Checks that the file holds the bytes of the reference.
same_as() {
  local file=$1 reference=$2 what=$3
  cmp -s "$file" "$reference" || fail "$what: $(basename "$file") is not $(basename "$reference")"
}

absent() {
  local file=$1 what=$2
  [ ! -e "$file" ] || fail "$what: $(basename "$file") is there"
}

# The numbers of the lock calls (F_OFD_SETLK) among the calls of a trace on the lock file:
# the numbers that when=N of strace counts where it traces that file alone (-P).
lock_calls() {
  local trace=$1 lock=$2
  grep -F "<$lock>" "$trace" | grep -n 'F_OFD_SETLK' | cut -d: -f1
}

# Checks that the first call of the trace on the file that strace failed is the one meant:
# the given number among the file's calls, a call of the kind.
hit() {
  local trace=$1 file=$2 nth=$3 kind=$4 what=$5 first
  first=$(grep -F "<$file>" "$trace" | grep -n 'INJECTED' | head -n 1) || true
  if [ "${first%%:*}" != "$nth" ] || [[ $first != *"$kind"* ]]; then
    fail "$what: strace failed ${first:-no call}, not call #$nth ($kind)"
  fi
}

# ---- Locks ------------------------------------------------------------------------------

make_old_and_new

# The window runs log at the level debug, so that the log holds the warnings and begins as
# the program starts, after the configuration's load. Waits until the program has begun its
# log, a wait for the configuration's lock at the load being over, and comes to rest (see
# await_rest).
await_start() {
  for _ in $(seq 1000); do
    compgen -G "$run_folder/Documents/*.log" >/dev/null && break
    has_ended "$pid" && break
    sleep 0.02
  done
  await_rest
}

# The calls of the lock files, counted in a window run with the trip that ends by SIGTERM.
prepare "$work/count"
cfg_lock="$(config "$work/count").lock"
start_traced "$work/count" "$work/count/trace.txt" -P "$work/count/voyanta.vyr.lock" -P "$cfg_lock" \
  -e trace=fcntl -- ./voyanta /log debug "$trip"
await_start || true
finish || fail "the counting run ended with status $?"
mapfile -t instance_calls < <(lock_calls "$work/count/trace.txt" "$work/count/voyanta.vyr.lock")
mapfile -t cfg_calls < <(lock_calls "$work/count/trace.txt" "$cfg_lock")
if [ "${#instance_calls[@]}" -ne 1 ] || [ "${#cfg_calls[@]}" -ne 2 ]; then
  echo "FAILED: the counting run took the instance lock ${#instance_calls[@]} times (not once)" \
    "and the configuration's ${#cfg_calls[@]} times (not at the load and the save):" >&2
  cat "$work/count/trace.txt" >&2
  exit 1
fi

# The lock (the one-instance lock, the configuration's at its load or at its save), the error
# of its lock call, what follows.
lock_rows=(
  "instance EBADF       own-lock"
  "instance ENOLCK      own-lock"
  "instance EWOULDBLOCK running"
  "load     EBADF       unlocked"
  "load     ENOLCK      unlocked"
  "load     EWOULDBLOCK waited"
  "save     EBADF       unlocked"
  "save     ENOLCK      unlocked"
  "save     EWOULDBLOCK own-temporary"
)
for row in "${lock_rows[@]}"; do
  read -r lock error outcome <<<"$row"
  what="$error at the $lock lock"
  folder="$work/lock"
  prepare "$folder"
  cfg=$(config "$folder")
  # Which of the calls on the lock file strace fails (when=): a number among that file's
  # calls, the lock call's in the counting run.
  case $lock in
    instance)
      file="$folder/voyanta.vyr.lock" nth=${instance_calls[0]}
      # Held, every try fails: each opens the lock file anew and makes the same calls on it,
      # the lock call last.
      held="$nth+$nth"
      ;;
    load)
      file="$cfg.lock" nth=${cfg_calls[0]}
      # Every try of its wait: 3 s with pauses of 50 ms, 61 tries at most. (Where a slow
      # machine makes fewer, the save's first calls on the file fail too; its wait outlasts
      # them.)
      held="$nth..$((nth + 60))"
      ;;
    save)
      file="$cfg.lock" nth=${cfg_calls[1]}
      held="$nth+"
      ;;
  esac
  injected="$error:when=$nth"
  # (strace knows EWOULDBLOCK by its other name.)
  [ "$error" != EWOULDBLOCK ] || injected="EAGAIN:when=$held"
  start_traced "$folder" "$folder/trace.txt" -P "$file" -e trace=fcntl -e inject="fcntl:error=$injected" \
    -- ./voyanta /log debug "$trip"
  status=0
  if [ "$outcome" = running ]; then
    # It ends by itself.
    await_end 20 || status=$?
  else
    await_start || true
    finish || status=$?
  fi
  hit "$folder/trace.txt" "$file" "$nth" F_OFD_SETLK "$what"
  # Held, the configuration's lock is tried again and again, for the wait of 3 s, a try
  # every 50 ms. The instance lock is tried once: the start holds its own lock already, so
  # the holder is no copy of the user's that could take the trip.
  if [ "$error" = EWOULDBLOCK ] && [ "$lock" = instance ]; then
    tries=$(grep -F "<$file>" "$folder/trace.txt" | grep -c 'F_OFD_SETLK') || true
    [ "$tries" -eq 1 ] || fail "$what: the lock was tried $tries times, not once"
  elif [ "$error" = EWOULDBLOCK ]; then
    tries=$(grep -F "<$file>" "$folder/trace.txt" | grep -c 'F_OFD_SETLK.*INJECTED') || true
    [ "$tries" -ge 10 ] || fail "$what: the lock was tried $tries times, not for a wait"
  fi
  if grep -q '] Error (' "$folder/Documents/voyanta.log" 2>/dev/null; then
    fail "$what: an error in the log: $(grep '] Error (' "$folder/Documents/voyanta.log")"
  fi
  case $outcome in
    running)
      [ "$status" -eq 1 ] || fail "$what: ended with status $status, not 1"
      grep -qF "Voyanta is already running with the repository $folder/voyanta.vyr." "$folder/output.txt" ||
        fail "$what: not told that Voyanta is already running: $(cat "$folder/output.txt")"
      same_as "$folder/voyanta.vyr" "$work/old.vyr" "$what"
      same_as "$cfg" "$work/old.cfg" "$what"
      absent "$cfg.old" "$what"
      absent "$cfg.new" "$what"
      ;;
    *)
      [ "$status" -eq 0 ] || fail "$what: ended with status $status"
      same_as "$folder/voyanta.vyr" "$work/new.vyr" "$what"
      same_as "$cfg" "$work/new.cfg" "$what"
      ;;
  esac
  case $outcome in
    own-lock)
      logged "$folder" Warn "$file cannot be locked (${reasons[$error]}): this user's copies of the program" "$what"
      same_as "$cfg.old" "$work/old.cfg" "$what"
      ;;
    unlocked)
      logged "$folder" Warn "The configuration file $cfg is used without its lock $file: ${reasons[$error]}" "$what"
      same_as "$cfg.old" "$work/old.cfg" "$what"
      ;;
    waited)
      logged "$folder" Warn "The configuration file $cfg is used without its lock $file, which another process has held" "$what"
      same_as "$cfg.old" "$work/old.cfg" "$what"
      ;;
    own-temporary)
      logged "$folder" Warn "The configuration file $cfg is used without its lock $file, which another process has held" "$what"
      absent "$cfg.new" "$what"
      absent "$cfg.old" "$what"
      left=$(find "$(dirname "$cfg")" -name '*.tmp')
      [ -z "$left" ] || fail "$what: left behind: $left"
      ;;
  esac
done

# ---- The rewrite in place ------------------------------------------------------------------

# A program name that leaves no room for ".NAME.PID-XXXXXXXXXXXXXXXX.tmp" within the 255
# bytes of a file name: its repository is the name + ".vyr".
long_name=$(printf 'v%.0s' $(seq 230))

# The old repositories: short, the program's own file (the new one is longer: the trip adds
# an item); long, the same items each with a note after its last field, which the program
# does not write back (the new one is shorter, so a rewrite in place must cut it).
cp "$work/old.vyr" "$work/short.vyr"
note=$(printf 'n%.0s' $(seq 80))
sed "s/\$/$note/" "$work/old.vyr" >"$work/long.vyr"

# A folder for a rewrite in place (where: folder, no-lock-file, long-name) with the old
# repository; name is the program's name there, user what runs it as the user who may not
# write in the folder (nothing, or setpriv).
prepare_in_place() {
  local folder=$1 where=$2 old=$3
  name=voyanta
  [ "$where" != long-name ] || name=$long_name
  prepare_folder "$folder" "$name"
  mkdir -p "$folder/Quorvane/Voyanta" "$folder/Documents"
  cp "$work/$old.vyr" "$folder/$name.vyr"
  : >"$folder/output.txt"
  : >"$folder/trace.txt"
  user=()
  # The settings folder cannot take the rescue file: the documents folder does.
  [ "$where" != settings-read-only ] || chmod 555 "$folder/Quorvane/Voyanta"
  [ "$where" != long-name ] || return 0
  # Whoever put the repository there for the user put its lock file there too, or not.
  [ "$where" = no-lock-file ] || : >"$folder/$name.vyr.lock"
  if [ "${#runner[@]}" -gt 0 ]; then
    chown -R nobody: "$folder"/{run,Quorvane,Documents} "$folder/$name.vyr"*
    chmod 600 "$folder/$name.vyr.lock" 2>/dev/null || true
    user=("${runner[@]}")
  else
    chmod 555 "$folder"
  fi
  # No rescue folder takes a file: a folder stands in its place in the settings and the
  # documents folder, which is the temporary folder too.
  if [ "$where" = nowhere ]; then
    local key
    key=$(printf '%s' "$(realpath "$folder/$name.vyr")" | sha256sum | cut -c1-16)
    mkdir "$folder/Quorvane/Voyanta/$name.vyr.$key.rescue" "$folder/Documents/$name.vyr.$key.rescue"
    user+=(env TMPDIR="$folder/Documents")
  fi
}

# A run that prints the trip into a PDF and ends, traced on the repository file alone, with
# the further options of strace; the program's status.
print_run() {
  local folder=$1
  shift
  start_traced "$folder" "$folder/trace.txt" -P "$folder/$name.vyr" -e trace=fallocate,pwrite64,ftruncate,fsync "$@" \
    -- "${user[@]}" "./$name" /log warn /pt "$trip" "$folder/Documents/trip.pdf"
  await_end 30
}

# Each way to a rewrite in place with each old repository, rewritten without faults: the
# calls on the repository, counted. Written in place, the new repository is the one a
# replace writes.
declare -A counted
for start in folder/short folder/long long-name/short; do
  folder="$work/count-${start/\//-}"
  prepare_in_place "$folder" "${start%/*}" "${start#*/}"
  status=0
  print_run "$folder" || status=$?
  [ "$status" -eq 0 ] || fail "the run without faults ($start) ended with status $status: $(cat "$folder/output.txt")"
  grep -q '^pwrite64(' "$folder/trace.txt" || fail "the run without faults ($start) did not rewrite in place"
  same_as "$folder/$name.vyr" "$work/new.vyr" "the run without faults ($start)"
  counted[$start]=$folder
done

# Where the repository is (see prepare_in_place), the old repository, the call on the
# repository that fails (its first), how (an error, or signal=SIGKILL), what follows: kept
# (the old repository whole, every item in the rescue file), damaged (the new bytes written,
# the file damaged, every item in the rescue file), killed (every item in the rescue file),
# written (no fault: the new repository, no rescue file), refused (no rescue file could be
# written: the old repository whole, never written to, so never killed at its first write).
in_place_rows=(
  "folder       short fallocate ENOSPC         kept"
  "folder       short pwrite64  ENOSPC         kept"
  "folder       long  pwrite64  EIO            kept"
  "folder       long  ftruncate EIO            damaged"
  "folder       short ftruncate EIO            damaged"
  "folder       short fsync     EIO            damaged"
  "long-name    short fsync     EIO            damaged"
  "folder       long  pwrite64  signal=SIGKILL killed"
  "folder       long  ftruncate signal=SIGKILL killed"
  "folder       short fsync     signal=SIGKILL killed"
  "settings-read-only short fallocate ENOSPC kept"
  "nowhere      long  pwrite64  signal=SIGKILL refused"
  "no-lock-file short -         -              written"
)
for row in "${in_place_rows[@]}"; do
  read -r where old call fault outcome <<<"$row"
  what="$fault at $call in place ($where, $old old repository)"
  [ "$call" != - ] || what="in place ($where, $old old repository)"
  folder="$work/in-place"
  prepare_in_place "$folder" "$where" "$old"
  repository="$folder/$name.vyr"
  # Named after the repository's first 64 bytes and the hash of its path.
  key=$(printf '%s' "$(realpath "$repository")" | sha256sum | cut -c1-16)
  rescued_in="$folder/Quorvane/Voyanta"
  [ "$where" != settings-read-only ] || rescued_in="$folder/Documents"
  rescue="$rescued_in/$(printf '%.64s' "$name.vyr").$key.rescue"
  status=0
  if [ "$call" = - ]; then
    print_run "$folder" || status=$?
  else
    [[ $fault == signal=* ]] || fault="error=$fault"
    print_run "$folder" -e inject="$call:$fault:when=1" || status=$?
    counting=${counted[folder/$old]}
    [ "$where" = long-name ] && counting=${counted[long-name/$old]}
    nth=$(grep -F "<$counting/$name.vyr>" "$counting/trace.txt" | grep -n "^$call(" | head -n 1 | cut -d: -f1) || true
    [ "$outcome" = killed ] || [ "$outcome" = refused ] || hit "$folder/trace.txt" "$repository" "$nth" "$call(" "$what"
  fi
  output=$(tr '\n' ' ' <"$folder/output.txt")
  case $outcome in
    kept | damaged)
      [ "$status" -eq 1 ] || fail "$what: ended with status $status, not 1"
      logged "$folder" Error "The repository file $repository could not be written" "$what"
      logged "$folder" Error "every item is kept in $rescue" "$what"
      ;;&
    kept)
      same_as "$repository" "$work/$old.vyr" "$what"
      [[ $output == *"Voyanta could not save its item repository $repository."*"Every item is kept in $rescue"* ]] ||
        fail "$what: not told that the repository was not saved and where the items are: $output"
      ;;
    damaged)
      [[ $output == *"which is now damaged"*"Every item is kept in $rescue"* ]] ||
        fail "$what: not told that the repository is damaged and where the items are: $output"
      # Written whole before the failure: the repository was never cut short of the new items.
      cmp -s -n "$(stat -c %s "$work/new.vyr")" "$repository" "$work/new.vyr" ||
        fail "$what: the repository does not begin with the new one"
      ;;
    killed)
      [ "$status" -eq 137 ] || fail "$what: ended with status $status, not killed"
      ;;
    refused)
      [ "$status" -eq 1 ] || fail "$what: ended with status $status, not 1"
      same_as "$repository" "$work/$old.vyr" "$what"
      ! grep -qE '^(fallocate|pwrite64|ftruncate)\(' "$folder/trace.txt" || fail "$what: the repository was written to"
      [[ $output == *"Voyanta could not save its item repository $repository."*"could not be kept in a rescue file either"* ]] ||
        fail "$what: not told that the repository was not saved for want of a rescue file: $output"
      left=$(find "$folder" -type f -name '*.rescue')
      [ -z "$left" ] || fail "$what: a rescue file: $left"
      ;;
    written)
      [ "$status" -eq 0 ] || fail "$what: ended with status $status: $output"
      same_as "$repository" "$work/new.vyr" "$what"
      absent "$rescue" "$what"
      logged "$folder" Warn "$repository.lock cannot be locked" "$what"
      ;;
  esac
  if [ "$outcome" != written ] && [ "$outcome" != refused ]; then
    # The rescue file holds every item; the next start takes them from it, whatever the
    # repository holds, writes them into it and lets the rescue file go.
    if [ -e "$rescue" ]; then
      same_as "$rescue" "$work/new.vyr" "$what"
      [ "$(stat -c %a "$rescue")" = 600 ] || fail "$what: the rescue file is open to others"
    else
      fail "$what: no rescue file $rescue; the log says: $(grep "] Error (" "$folder/Documents/"*.log 2>/dev/null | tail -n 1)"
    fi
    chmod 755 "$folder/Quorvane/Voyanta"
    status=0
    launch "$folder" "${user[@]}" "./$name" /log warn /pt "$trip" "$folder/Documents/trip.pdf"
    await_end 30 || status=$?
    [ "$status" -eq 0 ] || fail "$what: the next start ended with status $status: $(tail -n 1 "$folder/output.txt")"
    logged "$folder" Warn "its items are taken from $rescue" "$what"
    same_as "$repository" "$work/new.vyr" "$what: after the next start"
    absent "$rescue" "$what: after the next start"
  fi
  chmod u+w "$folder"
done

[ "$failures" -eq 0 ] || exit 1
echo "${#lock_rows[@]} lock failures and ${#in_place_rows[@]} rewrites in place: as they should be"
