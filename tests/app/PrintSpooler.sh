#!/usr/bin/env bash
# Printing through a real spooler: the program's /pt hands a trip to a queue of a cupsd of
# the test's own (its own folders, its own port on 127.0.0.1). One queue takes jobs and
# keeps each job's bytes in a file, where the printed check list must be; the other refuses
# jobs, and the program must then fail with the spooler's reason and leave no job behind.
# Usage: PrintSpooler.sh PROGRAM   (as root)
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
  echo "SKIPPED: not root; the cupsd of the test runs its filters as the user lp, so root must start it"
  exit 77
fi

. "$(dirname "$0")/Processes.sh"

program=$1
work=$(mktemp -d)
# cupsd runs the queues' filters as the user lp, which must reach the filter and the spool.
chmod 755 "$work"
cupsd_pid=
trap 'end_process "$cupsd_pid" 50; rm -rf "$work"' EXIT

cups=$work/cups
die() {
  fail "$@"
  tail -n 20 "$cups/log/error_log" >&2 2>/dev/null || true
  exit 1
}

# A port that nothing listens on.
port=
for _ in $(seq 20); do
  candidate=$((20000 + RANDOM % 20000))
  if ! (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then
    port=$candidate
    break
  fi
done
[ -n "$port" ] || die "no free port found"

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
Listen 127.0.0.1:$port
Browsing No
WebInterface No
DefaultAuthType None
<Location />
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

for queue in takes refuses; do
  # (It warns that drivers are deprecated.)
  said=$(lpadmin -p "$queue" -E -v "file://$work/out/$queue.pdf" -P "$cups/keep.ppd" 2>&1) ||
    die "lpadmin could not make the queue $queue: $said"
done
cupsreject -r "Out of paper" refuses || die "cupsreject failed"

# The program in a folder of its own, with its repository beside it and its settings there.
mkdir -p "$work/home/run"
chmod 700 "$work/home/run"
cp "$program" "$work/home/voyanta"
trip=$work/trip.vyt
printf '1\t2\tSocks\tClothes\t\n1\t10\tShirts\tClothes\t\n1\t\tTowel\tBath\t\n' >"$trip"

# Prints the trip to the printer; the status in $status, standard error in $work/err.txt.
print_trip() {
  status=0
  (cd "$work/home" && exec env HOME="$work/home" XDG_CONFIG_HOME="$work/home" XDG_RUNTIME_DIR="$work/home/run" \
    timeout -k 2 20 ./voyanta /pt "$trip" "$1") >/dev/null 2>"$work/err.txt" || status=$?
}

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

[ "$failures" -eq 0 ] || exit 1
echo "printed to a queue that takes jobs, refused by one that does not"
