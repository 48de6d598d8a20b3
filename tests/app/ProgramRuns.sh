# shellcheck shell=bash
# Sourced by the shell tests that run the real program under strace (CrashConsistency.sh,
# FileFaults.sh): a work folder that goes at the end, failures counted, the program run in a
# folder of its own (its home, settings and runtime folder), strace attached to it or
# starting it, and every wait bounded.
# Usage: . ProgramRuns.sh PROGRAM. Sets: work, pid (the program's), tracer (strace's).

. "$(dirname "${BASH_SOURCE[0]}")/Processes.sh"

program=$1
work=$(mktemp -d)
pid=
tracer=
by_strace=0
# A program still running at the end is killed; a folder that the test made read-only is
# made writable again, so that it can be removed.
trap '[ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
  [ -z "$tracer" ] || kill -KILL "$tracer" 2>/dev/null || true
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"' EXIT
# The program once more, to be linked into the folders of the runs.
cp "$program" "$work/program.bin"
export QT_QPA_PLATFORM=offscreen
# A traced program's leak check would need ptrace, which strace holds.
traced_asan="${ASAN_OPTIONS:-}:detect_leaks=0"


# Ends the test as skipped (77) where strace cannot trace: not installed, or ptrace not
# allowed (a container without it).
require_strace() {
  if ! command -v strace >/dev/null; then
    echo "SKIPPED: strace is not installed"
    exit 77
  fi
  local reason
  if ! reason=$(strace -qq -o /dev/null -e trace=getpid -e inject=getpid:retval=1 true 2>&1); then
    echo "SKIPPED: strace cannot trace here: $reason"
    exit 77
  fi
}

# Waits for the background job to end, for at most the seconds given, then kills the
# process given last (the job itself unless another is named: the program that strace, the
# job, traces) and the job; the job's wait status. (Quietly: the shell would tell of a
# killed program.)
reap() {
  local job=$1 seconds=$2 victim=${3:-$1} status=0 late=0
  {
    local polls=$((seconds * 50))
    while ! has_ended "$job" && [ "$polls" -gt 0 ]; do
      sleep 0.02
      polls=$((polls - 1))
    done
    if ! has_ended "$job"; then
      late=1
      kill -KILL "$victim" 2>/dev/null || true
      sleep 0.5
      kill -KILL "$job" 2>/dev/null || true
    fi
    wait "$job" || status=$?
  } 2>/dev/null
  [ "$late" -eq 0 ] || fail "process $victim still ran after $seconds s; killed"
  return "$status"
}

# Runs the command in the folder in the background, with the folder as the program's home,
# settings folder and runtime folder (run/, made by prepare_folder) and the sanitizer
# options run_asan (by default the test's own); its output goes to output.txt there. The
# command is the program with its arguments, or a program that runs it (strace, setpriv).
# job is the background job, run_folder the folder.
run_in() {
  local folder=$1
  shift
  run_folder=$folder
  (cd "$folder" && exec env HOME="$folder" XDG_CONFIG_HOME="$folder" XDG_RUNTIME_DIR="$folder/run" \
    ASAN_OPTIONS="${run_asan:-${ASAN_OPTIONS:-}}" "$@" >>"$folder/output.txt" 2>&1) &
  job=$!
}

# Makes the folder anew for a run: the program linked in as the name (voyanta unless
# given) and the private runtime folder.
prepare_folder() {
  local folder=$1 name=${2:-voyanta}
  rm -rf "$folder"
  mkdir -p "$folder/run"
  chmod 700 "$folder/run"
  ln "$work/program.bin" "$folder/$name"
}

# A trip that the runs open: its items join the repository, its path the recent files.
trip="$work/summer.vyt"
printf '1\t3\tPassport\tPapers\t\n' >"$trip"

config() { echo "$1/Quorvane/Voyanta/voyanta.cfg"; }

# A fresh folder for a run: the program, the old repository and configuration (see
# make_old_and_new).
prepare() {
  local folder=$1
  prepare_folder "$folder"
  mkdir -p "$folder/Quorvane/Voyanta"
  cp "$work/old.vyr" "$folder/voyanta.vyr"
  cp "$work/old.cfg" "$(config "$folder")"
}

# Waits until the program (pid) catches SIGTERM and then comes to rest: its main thread
# has used no processor time for a while, its start-up done. What the program does from
# then on is what a signal sets off, the same in every run. (A program that sleeps in a
# wait, as for a lock, is at rest too.)
await_rest() {
  local caught
  for _ in $(seq 1000); do
    has_ended "$pid" && break
    caught=$(awk '/^SigCgt:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) || true
    [ -n "$caught" ] && [ $((0x$caught >> 14 & 1)) -eq 1 ] && break
    sleep 0.01
  done
  local times last='' still=0
  for _ in $(seq 400); do
    has_ended "$pid" && break
    # Fields 14 and 15 of the stat line: user and system time, in clock ticks.
    times=$(sed 's/.*) //' "/proc/$pid/task/$pid/stat" 2>/dev/null | cut -d' ' -f12,13) || true
    if [ "$times" = "$last" ]; then
      still=$((still + 1))
      [ "$still" -ge 4 ] && return 0
    else
      still=0
    fi
    last=$times
    sleep 0.05
  done
  fail "the program in $run_folder did not come to rest:$(tail -n 3 "$run_folder/output.txt" 2>/dev/null)"
  return 1
}

# Runs the command in the folder (see run_in) as the program, untraced.
launch() {
  run_in "$@"
  pid=$job
  tracer=
  by_strace=0
}

# Starts the command in the folder (see run_in) and waits for the program to be at rest.
start() {
  launch "$@"
  await_rest
}

# Attaches strace to the program's main thread alone (no -f: the saves at exit run on it;
# Qt's threads stay untraced), writing to the file, with the further options of strace
# given; returns once strace holds the program and has let its main thread go on. (A signal
# sent to the program while that thread is stopped goes to another thread: the handler's
# write would then not be among the main thread's calls.)
attach() {
  local output=$1
  shift
  strace -qq -y -o "$output" -p "$pid" "$@" &
  tracer=$!
  local attached=0 running=0
  for _ in $(seq 1000); do
    has_ended "$tracer" && break
    if [ "$attached" -eq 0 ]; then
      grep -q 'TracerPid:[[:space:]]*[1-9]' "/proc/$pid/status" 2>/dev/null && attached=1
    elif [ "$(process_state "$pid/task/$pid")" = S ]; then
      running=$((running + 1))
      [ "$running" -lt 3 ] || return 0
    else
      running=0
    fi
    sleep 0.01
  done
  fail "strace did not attach to $pid"
  return 1
}

# Runs the command in the folder under strace from its first call, main thread alone,
# writing to the file, with the options of strace given before "--"; pid is the program
# (strace's child; empty when the program ended before it was seen), tracer strace, whose
# status is the program's.
start_traced() {
  local folder=$1 output=$2
  shift 2
  local options=()
  while [ "$1" != -- ]; do
    options+=("$1")
    shift
  done
  shift
  run_asan=$traced_asan run_in "$folder" strace -qq -y -o "$output" "${options[@]}" "$@"
  tracer=$job
  by_strace=1
  pid=
  # strace's child once it runs the program (strace first tries ptrace on children of its
  # own, and a command such as setpriv may come before the program).
  local child children
  for _ in $(seq 1000); do
    read -ra children <"/proc/$tracer/task/$tracer/children" 2>/dev/null || true
    for child in "${children[@]}"; do
      if [ "/proc/$child/exe" -ef "$work/program.bin" ]; then
        pid=$child
        return 0
      fi
    done
    has_ended "$tracer" && return 0
    sleep 0.01
  done
  fail "strace started no program"
  return 1
}

# Waits, for at most the seconds given, for the program to end by itself, and for strace
# when one traces it; the program's wait status.
await_end() {
  local seconds=$1 status=0
  if [ "$by_strace" = 1 ]; then
    # Started by strace, whose status is the program's.
    reap "$tracer" "$seconds" "$pid" || status=$?
  else
    reap "$pid" "$seconds" || status=$?
    [ -z "$tracer" ] || reap "$tracer" 10 || true
  fi
  pid=
  tracer=
  return "$status"
}

# Ends the program with SIGTERM and waits for it (see await_end); its wait status.
finish() {
  kill -TERM "$pid" 2>/dev/null || true
  await_end 30
}

# The old files (old.vyr, old.cfg in work): what the program writes from a seed without the
# trip; the new ones (new.vyr, new.cfg): what a run with the trip writes over them.
make_old_and_new() {
  prepare_folder "$work/seed"
  printf '0\t\tSocks\tClothes\t\n0\t\tTent\tCamping\t\n' >"$work/seed/voyanta.vyr"
  start "$work/seed" ./voyanta && finish
  cp "$work/seed/voyanta.vyr" "$work/old.vyr"
  cp "$(config "$work/seed")" "$work/old.cfg"
  prepare "$work/reference"
  start "$work/reference" ./voyanta "$trip" && finish
  cp "$work/reference/voyanta.vyr" "$work/new.vyr"
  cp "$(config "$work/reference")" "$work/new.cfg"
  if cmp -s "$work/old.vyr" "$work/new.vyr" || cmp -s "$work/old.cfg" "$work/new.cfg"; then
    echo "FAILED: the run with the trip writes the same files as before" >&2
    exit 1
  fi
}
