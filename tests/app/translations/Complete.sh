#!/usr/bin/env bash
# Every language's .ts file holds a finished translation of every text the code marks: each
# file is brought up to date with the code in a copy (as update_translations would), and the
# copy must then have no text unfinished or new.
# Usage: Complete.sh LUPDATE LRELEASE SOURCE_ROOT
set -uo pipefail
lupdate=$1 lrelease=$2 root=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
files=("$root"/translations/voyanta_*.ts)
[ -e "${files[0]}" ] || { echo "no translations in $root/translations"; exit 1; }
for ts in "${files[@]}"; do
  copy=$scratch/$(basename "$ts")
  cp "$ts" "$copy"
  (cd "$root" && "$lupdate" -no-obsolete -locations none framework resources ui app -ts "$copy") \
    >"$scratch/lupdate.txt" 2>&1 || { cat "$scratch/lupdate.txt"; exit 1; }
  report=$("$lrelease" "$copy" -qm "$scratch/out.qm" 2>&1)
  if ! grep -q "finished and 0 unfinished)" <<<"$report" || ! grep -q "(0 new and" "$scratch/lupdate.txt"; then
    echo "$(basename "$ts") lacks translations:"
    grep "Found" "$scratch/lupdate.txt"
    echo "$report"
    grep -B3 'type="unfinished"' "$copy" | grep "<source>"
    failed=1
  fi
done
exit $failed
