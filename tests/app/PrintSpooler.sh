#!/usr/bin/env bash
# Printing through a real spooler: the program's /pt hands a trip to a queue of a cupsd of
# the test's own (its own folders, its own port on 127.0.0.1). One queue takes jobs and
# keeps each job's bytes in a file, where the printed check list must be; the other refuses
# jobs, and the program must then fail with the spooler's reason and leave no job behind.
# Then a table of spoolers that misbehave: a queue that wants a password, a stopped queue,
# no spooler at all, a silent one (which a PDF file must not need), one that goes silent
# once the job is made (a stand-in in front of the cupsd), and a trip whose path is long
# and not UTF-8. Then termination signals while a print waits on a silent spooler, and a
# table of the paper and options each job starts from: the queue's own, the user's
# lpoptions, an instance's. Each run is bounded in time.
# Usage: PrintSpooler.sh PROGRAM   (as root)
set -euo pipefail

. "$(dirname "$0")/Processes.sh"
require_root "the cupsd of the test runs its filters as the user lp, so root must start it"

program=$1
work=$(mktemp -d)
# cupsd runs the queues' filters as the user lp, which must reach the filter and the spool.
chmod 755 "$work"
cupsd_pid=
standin_pid=
stalled_pid=
trap 'end_process "$stalled_pid" 20; end_process "$standin_pid" 20; end_process "$cupsd_pid" 50; rm -rf "$work"' EXIT

cups=$work/cups
die() {
  fail "$@"
  tail -n 20 "$cups/log/error_log" >&2 2>/dev/null || true
  exit 1
}

# A port that nothing listens on.
free_port() {
  local candidate
  for _ in $(seq 20); do
    candidate=$((20000 + RANDOM % 20000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then
      echo "$candidate"
      return 0
    fi
  done
  return 1
}
port=$(free_port) || die "no free port found"

mkdir -p "$cups/conf" "$cups/spool/tmp" "$cups/state" "$cups/cache" "$cups/log" "$work/out"
chmod 1770 "$cups/spool/tmp"
cat >"$cups/cups-files.conf" <<EOF
ServerRoot $cups/conf
RequestRoot $cups/spool
TempDir $cups/spool/tmp
StateDir $cups/state
CacheDir $cups/cache
AccessLog $cups/log/access_log
ErrorLog $cups/log/error_log
PageLog $cups/log/page_log
FileDevice Yes
EOF
# Anyone on 127.0.0.1 may do anything, without authentication.
cat >"$cups/cupsd.conf" <<EOF
LogLevel debug
# Job files written at once, where the test reads each job's attributes.
DirtyCleanInterval 0
Listen 127.0.0.1:$port
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow 127.0.0.1
</Location>
<Location /printers/locked>
  AuthType Basic
  Require user @SYSTEM
  Order allow,deny
  Allow 127.0.0.1
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF

# cupsd opens a file device only as the output of a queue's last filter, and a raw queue
# has none: its jobs complete without a byte written. So the queues get a driver whose one
# filter hands every document on unchanged. Its paper sizes are those the program's print
# settings are made from.
cat >"$cups/keep" <<'EOF'
#!/bin/sh
exec cat "$6"
EOF
chmod 755 "$cups/keep"
cat >"$cups/keep.ppd" <<EOF
*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "KEEP.PPD"
*Manufacturer: "Test"
*Product: "(File)"
*ModelName: "File"
*ShortNickName: "File"
*NickName: "File"
*PSVersion: "(3010.000) 0"
*cupsFilter: "*/* 0 $cups/keep"
*OpenUI *PageSize: PickOne
*DefaultPageSize: A4
*PageSize A4: ""
*PageSize Letter: ""
*CloseUI: *PageSize
*DefaultImageableArea: A4
*ImageableArea A4: "18 18 577 824"
*ImageableArea Letter: "18 18 594 774"
*DefaultPaperDimension: A4
*PaperDimension A4: "595 842"
*PaperDimension Letter: "612 792"
EOF

(exec /usr/sbin/cupsd -f -c "$cups/cupsd.conf" -s "$cups/cups-files.conf" >"$cups/log/cupsd.txt" 2>&1) &
cupsd_pid=$!
export CUPS_SERVER=127.0.0.1:$port
for _ in $(seq 50); do
  [ "$(lpstat -r 2>/dev/null)" = "scheduler is running" ] && break
  ! has_ended "$cupsd_pid" || die "cupsd ended at its start: $(cat "$cups/log/cupsd.txt")"
  sleep 0.1
done
[ "$(lpstat -r 2>/dev/null)" = "scheduler is running" ] || die "cupsd does not answer on port $port"

for queue in takes refuses locked stopped cut letter mine office; do
  # (It warns that drivers are deprecated.)
  said=$(lpadmin -p "$queue" -E -v "file://$work/out/$queue.pdf" -P "$cups/keep.ppd" 2>&1) ||
    die "lpadmin could not make the queue $queue: $said"
done
said=$(lpadmin -p letter -o PageSize=Letter 2>&1) || die "lpadmin could not give letter its paper: $said"
cupsreject -r "Out of paper" refuses || die "cupsreject failed"
cupsdisable -r "Paper jam" stopped || die "cupsdisable failed"

# The program in a folder of its own, with its repository beside it and its settings there,
# and the user's own printer settings, as lpoptions writes them for a user (as root it would
# write the system's).
mkdir -p "$work/home/run" "$work/home/.cups"
printf '%s\n' "Dest mine media=Letter" "Dest office/duplex sides=two-sided-long-edge" >"$work/home/.cups/lpoptions"
chmod 700 "$work/home/run"
cp "$program" "$work/home/voyanta"
trip=$work/trip.vyt
printf '1\t2\tSocks\tClothes\t\n1\t10\tShirts\tClothes\t\n1\t\tTowel\tBath\t\n' >"$trip"

# Runs the program with the arguments; the status in $status, standard error in
# $work/err.txt. The spooler is $server when set. With $memory set, no allocation of more
# than that many megabytes succeeds (the sanitizer's allocator answers no): Qt's PDF engine
# asks for 16 MB as it compresses a page. What Qt held in the frames that the failure
# unwinds (built without cleanups) stays unfreed, so leaks are not looked for then.
run_program() {
  status=0
  local limits=${memory:+$ASAN_OPTIONS:detect_leaks=0:max_allocation_size_mb=$memory}
  (cd "$work/home" && exec env HOME="$work/home" XDG_CONFIG_HOME="$work/home" XDG_RUNTIME_DIR="$work/home/run" \
    CUPS_SERVER="${server:-$CUPS_SERVER}" ${limits:+ASAN_OPTIONS="$limits"} timeout -k 2 30 ./voyanta "$@") \
    >/dev/null 2>"$work/err.txt" || status=$?
}
# Prints the trip to the printer.
print_trip() { run_program /pt "$trip" "$1"; }

print_trip takes
[ "$status" -eq 0 ] || fail "printing to takes ended with status $status: $(cat "$work/err.txt")"
[ ! -s "$work/err.txt" ] || fail "printing to takes wrote to standard error: $(cat "$work/err.txt")"
for _ in $(seq 100); do
  [ -z "$(lpstat -o takes)" ] && [ -n "$(lpstat -W completed -o takes)" ] && break
  sleep 0.1
done
jobs=$(lpstat -W completed -o takes | wc -l) || true
[ "$jobs" -eq 1 ] || fail "takes completed $jobs jobs, not one (still pending: $(lpstat -o takes))"
pdf=$work/out/takes.pdf
if ! pdfinfo "$pdf" >/dev/null 2>&1; then
  fail "the file of takes holds no PDF"
else
  # The page's margin indents every line, and columns are spread over the page's width.
  text=$(pdftotext -layout "$pdf" - | sed -E 's/[[:space:]]+/ /g; s/^ //; s/ $//')
  [[ "$(head -n 1 <<<"$text")" == *"$trip"* ]] || fail "the page does not begin with the trip's path: $(head -n 1 <<<"$text")"
  lines=$(grep -E '^(Bath|Clothes) -{10,}$|\[ \]' <<<"$text" | sed -E 's/ -+$/ ---/') || true
  expected=$(printf '%s\n' "Bath ---" "[ ] [ ] Towel" "Clothes ---" "10 [ ] [ ] Shirts" "2 [ ] [ ] Socks")
  [ "$lines" = "$expected" ] || fail "the page's items are:"$'\n'"$lines"
fi

print_trip refuses
[ "$status" -eq 1 ] || fail "printing to refuses ended with status $status, not 1"
grep -qF "Could not print to refuses." "$work/err.txt" || fail "no failure to print to refuses: $(cat "$work/err.txt")"
grep -qi "not accepting jobs" "$work/err.txt" || fail "the spooler's reason is not told: $(cat "$work/err.txt")"
if [ -n "$(lpstat -W all -o refuses)" ] || [ -e "$work/out/refuses.pdf" ]; then
  fail "a job landed on refuses"
fi

# A stand-in spooler on its own port that passes everything on to the cupsd, until a
# document follows a job: then that connection goes silent, and the cupsd waits for it.
standin=$(free_port) || die "no free port found"
cat >"$work/standin.py" <<'EOF'
import re, socket, sys, threading
# IPP version 2.0, Send-Document, a request id, the operation attributes.
send_document = re.compile(rb"\x02\x00\x00\x06....\x01\x47", re.S)
def pipe(source, sink, silence, watch):
    try:
        while data := source.recv(65536):
            if watch and send_document.search(data):
                silence.set()
            if not silence.is_set():
                sink.sendall(data)
    except OSError:
        pass
listener = socket.create_server(("127.0.0.1", int(sys.argv[1])))
while True:
    client, _ = listener.accept()
    server = socket.create_connection(("127.0.0.1", int(sys.argv[2])))
    silence = threading.Event()
    threading.Thread(target=pipe, args=(client, server, silence, True), daemon=True).start()
    threading.Thread(target=pipe, args=(server, client, silence, False), daemon=True).start()
EOF

# A spooler that takes connections and never answers; it tells each one it takes.
stalled=$(free_port) || die "no free port found"
cat >"$work/stalled.py" <<'EOF'
import socket, sys
listener = socket.create_server(("127.0.0.1", int(sys.argv[1])))
held = []
while True:
    held.append(listener.accept())
    print("taken", flush=True)
EOF

# Sets $server to the spooler (cupsd, none, stalled, standin); a stand-in starts when first
# needed.
use_spooler() {
  case $1 in
    cupsd) server= ;;
    none) server=127.0.0.1:$(free_port) ;;
    stalled)
      server=127.0.0.1:$stalled
      if [ -z "$stalled_pid" ]; then
        python3 "$work/stalled.py" "$stalled" >"$work/stalled.txt" &
        stalled_pid=$!
        for _ in $(seq 50); do (exec 3<>"/dev/tcp/127.0.0.1/$stalled") 2>/dev/null && break; sleep 0.1; done
      fi
      ;;
    standin)
      server=127.0.0.1:$standin
      if [ -z "$standin_pid" ]; then
        python3 "$work/standin.py" "$standin" "$port" &
        standin_pid=$!
        for _ in $(seq 50); do (exec 3<>"/dev/tcp/127.0.0.1/$standin") 2>/dev/null && break; sleep 0.1; done
      fi
      ;;
  esac
}

# The long trip's path read as Windows-1252 has an "é" at the 255th byte of its UTF-8: the
# job's name must stop before it.
folder=$work/$(printf 'caf\xe9')
filler=$(printf "%0$((254 - $(printf '%s' "$folder" | wc -c) - 2))d" 0)
mkdir -p "$folder"
long=$folder/$filler$(printf '\xe9').vyt
cp "$trip" "$long"
# Row: case | arguments ($trip, $long for the long trip) | spooler (cupsd, none, stalled,
#      standin) | status | what standard error must hold (empty: nothing) | queue left
#      without jobs | the largest allocation in megabytes (empty: any).
while IFS='|' read -r case arguments spooler expected said queue limit; do
  use_spooler "$spooler"
  eval "set -- $arguments"
  started=$SECONDS
  memory=$limit run_program "$@"
  [ "$status" -eq "$expected" ] || fail "$case: status $status, not $expected: $(cat "$work/err.txt")"
  [ "$status" -ne 124 ] && [ "$status" -ne 137 ] || fail "$case: still running after $((SECONDS - started)) s"
  if [ -z "$said" ]; then
    [ ! -s "$work/err.txt" ] || fail "$case: wrote to standard error: $(cat "$work/err.txt")"
  else
    grep -qF "$said" "$work/err.txt" || fail "$case: standard error does not say \"$said\": $(cat "$work/err.txt")"
  fi
  if [ -n "$queue" ] && [ -n "$(lpstat -o "$queue")" ]; then
    fail "$case: a job was left on $queue: $(lpstat -o "$queue")"
  fi
done <<'EOF'
a printer the spooler lacks|/pt "$trip" nowhere|cupsd|1|There is no printer named nowhere.|
no default printer|/p "$trip"|cupsd|1|There is no default printer.|
a queue that wants a password|/pt "$trip" locked|cupsd|1|Could not print to locked.|locked
a stopped queue|/pt "$trip" stopped|cupsd|0|The printer stopped is stopped; the job waits there.: Paper jam|
no spooler, a printer named|/pt "$trip" takes|none|1|The print system cannot be reached.|
no spooler, the default printer|/p "$trip"|none|1|The print system cannot be reached.|
a silent spooler, a PDF file|/pt "$trip" "$work/out/silent.pdf"|stalled|0||
a silent spooler, a printer named|/pt "$trip" takes|stalled|1|The print system cannot be reached.|
a spooler silent after the job is made|/pt "$trip" cut|standin|1|Could not print to cut.|cut
a long trip path, not UTF-8|/pt "$long" takes|cupsd|0||takes
memory runs out drawing for a printer|/pt "$trip" takes|cupsd|1|Could not print to takes.: Cannot allocate memory|takes|2
memory runs out drawing a PDF file|/pt "$trip" "$work/out/memory.pdf"|cupsd|1|: Cannot allocate memory||2
EOF
[ -n "$(lpstat -o stopped)" ] || fail "the job to the stopped queue is not waiting there"
pdfinfo "$work/out/silent.pdf" >/dev/null 2>&1 || fail "no PDF file written while the spooler was silent"
[ ! -e "$work/out/memory.pdf" ] || fail "a PDF file was written although memory ran out"
[ -z "$(find "$work/out" -name '.*')" ] || fail "temporary files were left: $(find "$work/out" -name '.*')"

# Whether the program now waits on the spooler: the job was made on the queue named, or
# else the silent spooler took a connection beyond the $taken before.
waits_on_spooler() {
  if [ -n "$1" ]; then
    [ -n "$(lpstat -o "$1")" ]
  else
    [ "$(wc -l <"$work/stalled.txt")" -gt "$taken" ]
  fi
}
# A termination signal while a print waits on a silent spooler ends the print within two
# seconds, not at the end of the wait, with status 1 and the word, and cancels the job
# where one was made.
# Row: case | signal | spooler (stalled, standin) | printer | queue the job is made on.
while IFS='|' read -r case signal spooler printer queue; do
  use_spooler "$spooler"
  taken=$(wc -l <"$work/stalled.txt")
  (cd "$work/home" && exec env HOME="$work/home" XDG_CONFIG_HOME="$work/home" XDG_RUNTIME_DIR="$work/home/run" \
    CUPS_SERVER="$server" timeout -k 2 30 ./voyanta /pt "$trip" "$printer") >/dev/null 2>"$work/err.txt" &
  pid=$!
  for _ in $(seq 150); do
    waits_on_spooler "$queue" || has_ended "$pid" || { sleep 0.1; continue; }
    break
  done
  sleep 0.5  # well into the wait
  ! has_ended "$pid" || fail "$case: ended before the signal: $(cat "$work/err.txt")"
  kill -s "$signal" "$pid" || true  # timeout hands it on to the program
  ends_within "$pid" 20 || fail "$case: still running 2 s after the signal"
  status=0
  wait "$pid" || status=$?
  [ "$status" -eq 1 ] || fail "$case: status $status, not 1: $(cat "$work/err.txt")"
  grep -qF "Printing was ended." "$work/err.txt" || fail "$case: the end is not told: $(cat "$work/err.txt")"
  if [ -n "$queue" ] && [ -n "$(lpstat -o "$queue")" ]; then
    fail "$case: a job was left on $queue: $(lpstat -o "$queue")"
  fi
done <<'EOF'
SIGTERM, a silent spooler|TERM|stalled|takes|
SIGTERM, a spooler silent after the job is made|TERM|standin|cut|cut
SIGINT, a silent spooler|INT|stalled|takes|
SIGINT, a spooler silent after the job is made|INT|standin|cut|cut
EOF
# The names of the jobs, as the cupsd keeps them in its control files, in hexadecimal.
job_names() {
  python3 - "$cups/spool" <<'EOF'
import pathlib, sys
for control in pathlib.Path(sys.argv[1]).glob("c*"):
    data = control.read_bytes()
    at = data.find(b"\x00\x08job-name")
    if at >= 0:
        length = int.from_bytes(data[at + 10:at + 12], "big")
        print(data[at + 12:at + 12 + length].hex())
EOF
}
hex() { od -An -v -tx1 | tr -d ' \n'; }
expected=$(printf '%s' "${folder%/*}/caf" | hex)c3a9$(printf '/%s' "$filler" | hex)
for _ in $(seq 50); do job_names | grep -qx "$expected" && break; sleep 0.1; done
job_names | grep -qx "$expected" || fail "no job is named by the long path cut to 255 bytes: $(job_names)"

# The value of an attribute of a job, as the cupsd keeps it in its control file.
job_attribute() {
  python3 - "$cups/spool/$(printf 'c%05d' "$1")" "$2" <<'EOF'
import sys
data = open(sys.argv[1], "rb").read()
name = sys.argv[2].encode()
at = data.find(len(name).to_bytes(2, "big") + name)
if at >= 0:
    at += 2 + len(name)
    print(data[at + 2:at + 2 + int.from_bytes(data[at:at + 2], "big")].decode())
EOF
}
# The newest job the cupsd has, or 0.
newest_job() { { echo 0; lpstat -W all -o | sed -E 's/^[^ ]*-([0-9]+) .*/\1/'; } | sort -n | tail -n 1; }
# The test's own cupsd again, after the stand-ins above.
use_spooler cupsd
# 67 items of one group fill a page of A4 to the program's own page limit; Letter is
# shorter, so its page breaks before.
full=$work/full.vyt
for item in $(seq 67); do printf '1\t\tItem %02d\tClothes\t\n' "$item"; done >"$full"
# Row: case | printer | status | what standard error must hold | the job's media (empty:
#      no job) | its sides | the PDF's page size, as pdfinfo names it | its pages.
while IFS='|' read -r case printer expected said media sides size pages; do
  before=$(newest_job)
  run_program /pt "$full" "$printer"
  [ "$status" -eq "$expected" ] || fail "$case: status $status, not $expected: $(cat "$work/err.txt")"
  [ -z "$said" ] || grep -qF "$said" "$work/err.txt" || fail "$case: standard error does not say \"$said\": $(cat "$work/err.txt")"
  job=$(newest_job)
  if [ -z "$media" ]; then
    [ "$job" -eq "$before" ] || fail "$case: a job was made"
    continue
  fi
  [ "$job" -gt "$before" ] || { fail "$case: no job was made"; continue; }
  queue=${printer%%/*}
  for _ in $(seq 100); do [ -z "$(lpstat -o "$queue")" ] && break; sleep 0.1; done
  [ "$(job_attribute "$job" media)" = "$media" ] || fail "$case: the job's media is $(job_attribute "$job" media)"
  [ "$(job_attribute "$job" sides)" = "$sides" ] || fail "$case: the job's sides are $(job_attribute "$job" sides)"
  pdfinfo "$work/out/$queue.pdf" 2>/dev/null | grep -q "^Page size:.*($size)\$" ||
    fail "$case: the page is not $size: $(pdfinfo "$work/out/$queue.pdf" 2>&1 | grep '^Page size')"
  pdfinfo "$work/out/$queue.pdf" 2>/dev/null | grep -q "^Pages: *$pages\$" ||
    fail "$case: not $pages pages: $(pdfinfo "$work/out/$queue.pdf" 2>&1 | grep '^Pages')"
done <<'EOF'
a queue on A4|takes|0||A4|one-sided|A4|1
a queue on Letter|letter|0||Letter|one-sided|letter|2
the user's paper on an A4 queue|mine|0||Letter|one-sided|letter|2
an instance's options|office/duplex|0||A4|two-sided-long-edge|A4|1
an instance nobody made|office/none|1|There is no printer named office/none.||||
EOF

[ "$failures" -eq 0 ] || exit 1
echo "printed to a queue that takes jobs, refused by one that does not, and misbehaving spoolers told"
