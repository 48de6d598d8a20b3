#!/usr/bin/env bash
# The real program in a folder that several users share, as a family or a team shares one
# program folder: users (numbers without names) alice and bob of one group, who both may
# write the repository, and carol, who is not of their group and may plant what she likes
# in a folder open to everybody (the kernel's protected_symlinks and protected_regular are
# not counted on).
#
# First a table of one run of alice each, a print into a PDF file (which loads the
# repository and the settings and writes both at its end), after carol or bob put
# something in the program folder: links to alice's own files, which must keep their bytes
# and never be made; foreign settings files; alice's own settings, whose mode and link a
# save keeps; lock files that are no files, that let a reader in, that keep a writer out. Then two writers at once: the second start is told who
# holds the repository, and neither loses the other's items.
# Usage: SharedFolders.sh PROGRAM   (as root)
set -euo pipefail

. "$(dirname "$0")/Processes.sh"
require_root "the users of the test are made with setpriv, as root"

program=$1
work=$(mktemp -d)
chmod 755 "$work"
running=
holder=
trap 'end_process "$running"; end_process "$holder"; rm -rf "$work"' EXIT

declare -A uid=([alice]=2001 [bob]=2002 [carol]=2003)
declare -A groups=([alice]=2100 [bob]=2100 [carol]=2003)
shared=$work/shared
for user in alice bob carol; do
  home=$work/home-$user
  mkdir -p "$home/run" "$home/Documents"
  chown -R "${uid[$user]}:${groups[$user]}" "$home"
  chmod 700 "$home" "$home/run"
done
victim=$work/home-alice/secret
printf "alice's own\n" >"$victim"
chown "${uid[alice]}:${groups[alice]}" "$victim"
chmod 600 "$victim"
for trip in alpha bravo; do
  printf '1\t1\t%s\tThings\t\n' "${trip^}" >"$work/$trip.vyt"
  chmod 644 "$work/$trip.vyt"
done

# Becomes the command run as the user (with the user's group, and umask 002 as a group that
# shares files keeps it) in the shared folder, with the user's home and runtime folder, or
# as home says: unset, no home; none, no home nor runtime folder; norun, a home without a
# runtime folder. Called in a subshell, or in the background, whose process it then is.
as() {
  local user=$1
  shift
  local place=("HOME=$work/home-$user" "XDG_CONFIG_HOME=$work/home-$user")
  local runtime=("XDG_RUNTIME_DIR=$work/home-$user/run")
  case ${home:-set} in
    unset) place=() ;;
    none) place=() runtime=() ;;
    norun) runtime=() ;;
  esac
  cd "$shared"
  umask 002
  exec env -u HOME -u XDG_CONFIG_HOME -u XDG_RUNTIME_DIR "${place[@]}" "${runtime[@]}" \
    setpriv --reuid="${uid[$user]}" --regid="${groups[$user]}" --groups="${groups[$user]}" -- "$@"
}

# The program folder anew, open to everybody (mode), with the program in it.
fresh_folder() {
  rm -rf "$shared"
  mkdir -p "$shared"
  chmod "$1" "$shared"
  chown "0:${groups[alice]}" "$shared"
  cp "$program" "$shared/voyanta"
  chmod 755 "$shared/voyanta"
}

# Whether the file holds the bytes it held before the run (kept in $work/before).
unchanged() { cmp -s "$1" "$work/before"; }
# The mode and owner of a file, as "660 2001:2100".
access() { stat -c '%a %u:%g' "$1"; }

# A holder of the lock file (a reader's lock, as any process may take on a file it can
# open), in the background as carol: python's lockf takes the same kind of lock as the
# program.
hold_as_carol() {
  as carol /usr/bin/python3 -c '
import fcntl, sys, time
f = open(sys.argv[1], "a+")
fcntl.lockf(f, fcntl.LOCK_EX | fcntl.LOCK_NB)
print("held", flush=True)
time.sleep(60)' "$shared/voyanta.vyr.lock" >"$work/holder.txt" 2>&1 &
  holder=$!
  for _ in $(seq 50); do grep -q held "$work/holder.txt" && return 0; sleep 0.1; done
  fail "carol does not hold the lock file: $(cat "$work/holder.txt")"
}

# Row: case | folder mode | who plants (root: as it is found) | what is planted (in the
#      folder) | home (see as) |
#      status of alice's run | what standard error must hold | a condition after the run.
while IFS='|' read -r case mode planter plant home expected said after; do
  fresh_folder "$mode"
  cp "$victim" "$work/before"
  if [ "$planter" = root ]; then
    (cd "$shared" && sh -c "$plant")
  elif [ -n "$plant" ]; then
    (as "$planter" sh -c "$plant")
  fi
  [ "$case" != "a lock file open to everybody, held by a reader" ] || hold_as_carol
  status=0
  (home=$home as alice timeout -k 2 30 ./voyanta /log info /pt "$work/alpha.vyt" "$work/home-alice/out.pdf") \
    >/dev/null 2>"$work/err.txt" || status=$?
  end_process "$holder"
  holder=
  [ "$status" -eq "$expected" ] || fail "$case: status $status, not $expected: $(cat "$work/err.txt")"
  [ -z "$said" ] || grep -qF -- "$said" "$work/err.txt" || fail "$case: standard error does not say \"$said\": $(cat "$work/err.txt")"
  unchanged "$victim" || fail "$case: alice's own file was written: $(cat "$victim")"
  eval "$after" || fail "$case: not so after the run: $after: $(cat "$work/err.txt")"
done <<EOF
a link to alice's private file as the repository|0777|carol|ln -s $victim voyanta.vyr|set|1|$shared/voyanta.vyr is a link that another user made|[ "\$(readlink "$shared/voyanta.vyr")" = "$victim" ]
a link to alice's missing file as the repository|0777|carol|ln -s $work/home-alice/.profile voyanta.vyr|set|1|is a link that another user made|[ ! -e "$work/home-alice/.profile" ]
a link to alice's file as the log beside the program|0777|carol|ln -s $victim voyanta.log|unset|0||[ -L "$shared/voyanta.log" ]
a foreign settings file in the making|0777|carol|echo carol >voyanta.cfg.new; chmod 666 voyanta.cfg.new|unset|0||[ "\$(cat "$shared/voyanta.cfg.new")" = carol ] && [ "\$(stat -c %u "$shared/voyanta.cfg.new")" = 2003 ] && [ "\$(stat -c %u "$shared/voyanta.cfg")" = 2001 ]
a link to alice's file as the old settings|0777|carol|ln -s $victim voyanta.cfg.old|unset|0||[ -f "$shared/voyanta.cfg" ]
alice's settings made hers alone|0777|alice|: >voyanta.cfg; chmod 600 voyanta.cfg|unset|0||[ "\$(stat -c %a "$shared/voyanta.cfg")" = 600 ] && [ -s "$shared/voyanta.cfg" ]
alice's settings as her own link|0777|alice|mkdir mine; : >mine/settings.cfg; ln -s mine/settings.cfg voyanta.cfg|unset|0||[ -L "$shared/voyanta.cfg" ] && [ -s "$shared/mine/settings.cfg" ]
the lock file is a folder|0777|carol|mkdir voyanta.vyr.lock|set|1|the lock file $shared/voyanta.vyr.lock,|grep -qF "Is a directory" "$work/err.txt"
the lock file is a FIFO|0777|carol|mkfifo voyanta.vyr.lock|set|1|the lock file $shared/voyanta.vyr.lock,|grep -qF "Not a regular file" "$work/err.txt"
the lock file is a link|0777|carol|touch lock; ln -s lock voyanta.vyr.lock|set|1|the lock file $shared/voyanta.vyr.lock,|grep -qF "Too many levels of symbolic links" "$work/err.txt"
a lock file open to everybody, held by a reader|0777|root|install -o 2001 -g 2100 -m 644 /dev/null voyanta.vyr; install -o 2003 -g 2003 -m 666 /dev/null voyanta.vyr.lock|set|0||[ "\$(access "$shared/voyanta.vyr.lock")" = "600 2001:2100" ]
a lock file that keeps out a writer|2775|root|install -o 2002 -g 2100 -m 664 /dev/null voyanta.vyr; install -o 2002 -g 2100 -m 600 /dev/null voyanta.vyr.lock|set|1|the lock file $shared/voyanta.vyr.lock,|grep -qF "Permission denied" "$work/err.txt"
the lock file widened as the repository's writers grow|2775|root|install -o 2001 -g 2100 -m 664 /dev/null voyanta.vyr; install -o 2001 -g 2100 -m 600 /dev/null voyanta.vyr.lock|set|0||[ "\$(access "$shared/voyanta.vyr.lock")" = "660 2001:2100" ]
the lock file narrowed as they shrink|2775|root|install -o 2001 -g 2100 -m 644 /dev/null voyanta.vyr; install -o 2001 -g 2100 -m 660 /dev/null voyanta.vyr.lock|set|0||[ "\$(access "$shared/voyanta.vyr.lock")" = "600 2001:2100" ]
alice's lock file open to another group than the repository's|2775|root|install -o 2002 -g 2100 -m 664 /dev/null voyanta.vyr; install -o 2001 -g 2003 -m 660 /dev/null voyanta.vyr.lock|set|0||[ "\$(access "$shared/voyanta.vyr.lock")" = "660 2001:2100" ]
the owner of a group's repository who cannot make its lock|0755|root|install -o 2001 -g 2100 -m 664 /dev/null voyanta.vyr|set|1|the lock file $shared/voyanta.vyr.lock,|grep -qF "Permission denied" "$work/err.txt"
a read-only folder, and no folder of alice's own for a lock|0755|root|install -o 2001 -g 2001 -m 644 /dev/null voyanta.vyr|none|1|Voyanta cannot make sure that it runs only once with the repository $shared/voyanta.vyr.|[ -s "$work/home-alice/out.pdf" ]
EOF

# Two writers of one repository in a group's folder: alice's window holds it; bob's start
# is told by whom and ends, writing nothing; once alice has ended, bob's run adds his item
# to hers.
fresh_folder 2775
home=set as alice ./voyanta "$work/alpha.vyt" >"$work/alice.txt" 2>&1 &
running=$!
for _ in $(seq 100); do [ -s "$shared/voyanta.vyr.lock" ] && break; sleep 0.1; done
sleep 0.5
[ "$(access "$shared/voyanta.vyr.lock")" = "660 2001:2100" ] ||
  fail "the lock file of a group's repository is not the group's writers': $(access "$shared/voyanta.vyr.lock")"
status=0
(home=set as bob timeout -k 2 30 ./voyanta "$work/bravo.vyt") >/dev/null 2>"$work/err.txt" || status=$?
[ "$status" -eq 1 ] || fail "bob's start beside alice's ended with status $status: $(cat "$work/err.txt")"
grep -qF "Voyanta is already running with the repository $shared/voyanta.vyr." "$work/err.txt" &&
  grep -qF "It was started by the user 2001." "$work/err.txt" ||
  fail "bob is not told that alice holds the repository: $(cat "$work/err.txt")"
kill -TERM "$running"
status=0
wait "$running" || status=$?
running=
[ "$status" -eq 0 ] || fail "alice's run ended with status $status: $(cat "$work/alice.txt")"
status=0
(home=set as bob timeout -k 2 30 ./voyanta /pt "$work/bravo.vyt" "$work/home-bob/out.pdf") >/dev/null 2>"$work/err.txt" ||
  status=$?
[ "$status" -eq 0 ] || fail "bob's run after alice's ended with status $status: $(cat "$work/err.txt")"
items=$(cut -f3 "$shared/voyanta.vyr" | sort | tr '\n' ' ')
[ "$items" = "Alpha Bravo " ] || fail "the repository holds $items, not both users' items"

# Two starts of alice in a read-only program folder, where no lock file can be made beside
# her repository and she has no runtime folder: her copies find each other through a lock
# in her settings folder, and the second hands its trip over and ends.
fresh_folder 0755
install -o 2001 -g 2001 -m 644 /dev/null "$shared/voyanta.vyr"
home=norun as alice ./voyanta /log info "$work/alpha.vyt" >"$work/alice.txt" 2>&1 &
running=$!
for _ in $(seq 100); do compgen -G "$work/home-alice/Quorvane/Voyanta/[0-9a-f]*.lock" >/dev/null && break; sleep 0.1; done
sleep 0.5
status=0
(home=norun as alice timeout -k 2 15 ./voyanta "$work/bravo.vyt") >/dev/null 2>"$work/err.txt" || status=$?
[ "$status" -eq 0 ] || fail "alice's second start in a read-only folder ended with status $status, not handing over: $(cat "$work/err.txt")"
kill -TERM "$running"
wait "$running" || true
running=
# The trip that the first window opened merged its items into the repository.
items=$(cut -f3 "$shared/voyanta.vyr" | sort | tr '\n' ' ')
[ "$items" = "Alpha Bravo " ] || fail "alice's first window did not open the trip handed over: the repository holds $items"

# A record in the lock file of another user's copy (bob's, whose lock file keeps to the
# writers): shown as text, and believed only where it can be true. Record | what alice's
# start must say | what her log must say of it.
fresh_folder 2775
install -o 2002 -g 2100 -m 664 /dev/null "$shared/voyanta.vyr"
while IFS='|' read -r record said logged; do
  install -o 2002 -g 2100 -m 660 /dev/null "$shared/voyanta.vyr.lock"
  rm -f "$work/home-alice/Documents/voyanta.log"
  as bob /usr/bin/python3 -c '
import fcntl, sys, time
f = open(sys.argv[1], "r+b")
f.write(sys.argv[2].encode("latin-1").decode("unicode_escape").encode("latin-1"))
f.flush()
fcntl.lockf(f, fcntl.LOCK_EX | fcntl.LOCK_NB)
print("held", flush=True)
time.sleep(60)' "$shared/voyanta.vyr.lock" "$record" >"$work/holder.txt" 2>&1 &
  holder=$!
  for _ in $(seq 50); do grep -q held "$work/holder.txt" && break; sleep 0.1; done
  status=0
  (as alice timeout -k 2 30 ./voyanta /log info "$work/alpha.vyt") >/dev/null 2>"$work/err.txt" || status=$?
  end_process "$holder"
  holder=
  [ "$status" -eq 1 ] || fail "record $record: alice's start ended with status $status: $(cat "$work/err.txt")"
  grep -qF -- "$said" "$work/err.txt" || fail "record $record: standard error does not say \"$said\": $(cat -v "$work/err.txt")"
  ! grep -q $'[\x01-\x09\x0b-\x1f\x7f]' "$work/err.txt" || fail "record $record: control characters on standard error: $(cat -v "$work/err.txt")"
  [ -z "$logged" ] || grep -qF -- "$logged" "$work/home-alice/Documents/voyanta.log" ||
    fail "record $record: the log does not say \"$logged\""
done <<'RECORDS'
2002 x\x1b[2J\x1b]0;pwned\x07\rbob\n|It was started by the user x\x1b[2J\x1b]0;pwned\x07\x0dbob.|
2001 alice\n|Voyanta is already running with the repository|voyanta.vyr.lock names this user as its holder, but no copy of this user's here holds it
RECORDS

# A co-writer's race: bob, who may write the group's folder, swaps links to alice's private
# files in and out of the names of the repository, the settings and the log beside the
# program (renameat2's exchange, in a loop), while alice prints several times in a row; each
# run reads the repository and the settings, takes the repository's lock and writes all
# three. Whatever a run answers (a refusal is fine), alice's private files keep their bytes
# and modes, and no mode of theirs comes onto the repository or its lock. strace holds each
# run for a millisecond after every call on those three names (as a busy machine may at any
# of them), long enough for bob's exchanges to come between any two looks at a name: a run
# that judged a name and then went by it again would meet another file in a few runs,
# rather than in one run of a hundred.
fresh_folder 2775
private=$work/home-alice/private
mkdir -p "$private"
for name in vyr cfg log; do printf "alice's %s\n" "$name" >"$private/$name"; done
chown -R "${uid[alice]}:${groups[alice]}" "$private"
chmod 700 "$private"
chmod 600 "$private"/*
cp -a "$private" "$work/private-before"
# The first run makes the files whose names are swapped.
(home=unset as alice ./voyanta /log info /pt "$work/alpha.vyt" "$work/home-alice/out.pdf") >/dev/null 2>&1 ||
  fail "alice's first print in the group's folder failed"
for name in vyr cfg log; do (as bob ln -s "$private/$name" "bob-$name"); done
home=unset as bob /usr/bin/python3 -c '
import ctypes, os, signal
exchange = ctypes.CDLL(None, use_errno=True).renameat2
AT_FDCWD, RENAME_EXCHANGE = -100, 2
running = True
def stop(*_):
    global running
    running = False
signal.signal(signal.SIGTERM, stop)
# One process a name, each putting the link in and out again as fast as it can: the
# repository only one time in 16, so that most of alice runs get past their start to their
# saves. Each puts its names back when it ends.
def swap(a, b, every):
    swapped, tick = False, 0
    while running:
        tick += 1
        for _ in range(2 if tick % every == 0 else 0):
            swapped ^= exchange(AT_FDCWD, a, AT_FDCWD, b, RENAME_EXCHANGE) == 0
    if swapped:
        exchange(AT_FDCWD, a, AT_FDCWD, b, RENAME_EXCHANGE)
children = []
for a, b, every in [(b"voyanta.vyr", b"bob-vyr", 16), (b"voyanta.cfg", b"bob-cfg", 1), (b"voyanta.log", b"bob-log", 1)]:
    child = os.fork()
    if child == 0:
        swap(a, b, every)
        os._exit(0)
    children.append(child)
print("swapping", flush=True)
while running:
    signal.pause()
for child in children:
    os.kill(child, signal.SIGTERM)
    os.waitpid(child, 0)' >"$work/swapper.txt" 2>&1 &
running=$!
for _ in $(seq 50); do grep -q swapping "$work/swapper.txt" && break; sleep 0.1; done
names=(-P "$shared/voyanta.vyr" -P "$shared/voyanta.cfg" -P "$shared/voyanta.log")
for _ in $(seq 8); do
  (home=unset as alice timeout -k 2 30 strace -f -qq -o /dev/null "${names[@]}" -e inject=all:delay_exit=1000 \
    ./voyanta /log info /pt "$work/alpha.vyt" "$work/home-alice/out.pdf") >/dev/null 2>&1 || true
done
end_process "$running"
running=
for name in vyr cfg log; do
  cmp -s "$private/$name" "$work/private-before/$name" || fail "bob's swaps changed alice's private $name: $(cat "$private/$name")"
  [ "$(stat -c %a "$private/$name")" = 600 ] || fail "bob's swaps changed the mode of alice's private $name"
done
for name in voyanta.vyr bob-vyr; do
  [ -L "$shared/$name" ] || [ ! -e "$shared/$name" ] || [ "$(stat -c %a "$shared/$name")" = 664 ] ||
    fail "bob's swaps gave the repository ($name) the mode $(stat -c %a "$shared/$name")"
done
[ "$(stat -c %a "$shared/voyanta.vyr.lock")" = 660 ] ||
  fail "bob's swaps gave the repository's lock the mode $(stat -c %a "$shared/voyanta.vyr.lock")"

[ "$failures" -eq 0 ] || exit 1
echo "every planted file and lock as it should be; two writers keep each other's items; one copy each"
