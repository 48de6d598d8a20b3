#!/usr/bin/env bash
# Installs the build into a temporary prefix as a user does, and checks what the desktop sees
# of it with the desktop's own tools: the program folder and its link, the launcher entry, the
# AppStream component, the trip file type, the icons and the manual page. Then the launcher
# entry's command starts the installed program on a trip: its window must carry the class the
# entry promises, and the repository must be the one beside the real program. Last, a staged
# install (DESTDIR) must stay inside its stage.
# Usage: DesktopInstall.sh CMAKE BUILD_DIR SOURCE_DIR APP_ID   (run inside xvfb-run)
set -euo pipefail
cmake=$1 build=$2 source=$3 id=$4

work=$(mktemp -d)
pid=
trap '[ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# The user's own prefix.
prefix="$work/home/.local"
mkdir -p "$work/home" "$work/runtime" "$work/elsewhere"
chmod 700 "$work/runtime"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CONFIG_DIRS="$work/home/.config"
export XDG_RUNTIME_DIR="$work/runtime" XDG_DATA_HOME="$prefix/share" XDG_DATA_DIRS=/usr/share
# xdg-mime's own way through the MIME database, whatever desktop the test runs under.
export XDG_CURRENT_DESKTOP=X-Generic
unset DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID QT_QPA_PLATFORM

"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || {
  cat "$work/install.log" >&2
  fail "cmake --install into $prefix"
}

# The program folder and the link.
program="$prefix/lib/voyanta/voyanta"
[ -x "$program" ] || fail "the program is not installed as lib/voyanta/voyanta"
diff -r "$source/docs" "$prefix/lib/voyanta/docs" >&2 || fail "lib/voyanta/docs is not the docs folder"
[ "$(readlink "$prefix/bin/voyanta")" = ../lib/voyanta/voyanta ] ||
  fail "bin/voyanta is not the relative link ../lib/voyanta/voyanta"

# The desktop files, each where the desktop looks for it.
entry="$prefix/share/applications/$id.desktop"
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
page="$prefix/share/man/man1/voyanta.1"
for file in "$entry" "$metainfo" "$page" "$prefix/share/mime/packages/$id.xml" \
    "$prefix/share/icons/hicolor/scalable/mimetypes/application-x-voyanta-trip.svg"; do
  [ -s "$file" ] || fail "not installed: ${file#"$prefix/"}"
done
cmp -s "$source/resources/icons/program.svg" "$prefix/share/icons/hicolor/scalable/apps/$id.svg" ||
  fail "the program's icon is not installed as share/icons/hicolor/scalable/apps/$id.svg"

desktop-file-validate "$entry" >&2 || fail "desktop-file-validate rejects the launcher entry"
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 || {
  cat "$work/appstream.log" >&2
  fail "appstreamcli rejects the AppStream component"
}
grep -qxF "Icon=$id" "$entry" || fail "the launcher entry does not name the icon $id"
grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "the AppStream component does not launch $id.desktop"
grep -qxF "Exec=\"$prefix/bin/voyanta\" %f" "$entry" ||
  fail "the launcher entry does not start the installed link: $(grep '^Exec=' "$entry")"

# The install refreshed the MIME and launcher caches: a trip is known by its name and icon, and
# this program opens it.
printf '1\t2\tSocks\tClothes\t\n' >"$work/alps.vyt"
type=$(xdg-mime query filetype "$work/alps.vyt")
[ "$type" = application/x-voyanta-trip ] || fail "xdg-mime takes a trip for \"$type\""
grep -qxF application/x-voyanta-trip:application-x-voyanta-trip "$prefix/share/mime/icons" ||
  fail "the MIME database names no icon for trips"
handler=$(xdg-mime query default application/x-voyanta-trip)
[ "$handler" = "$id.desktop" ] || fail "trips open with \"$handler\", not with $id.desktop"

MANWIDTH=80 man --warnings -l "$page" >"$work/man.txt" 2>"$work/man.log" || fail "man cannot show voyanta.1"
[ ! -s "$work/man.log" ] || fail "voyanta.1 renders with warnings: $(cat "$work/man.log")"
grep -q "voyanta /pt FILE PRINTER" "$work/man.txt" || fail "voyanta.1 shows no synopsis: $(cat "$work/man.txt")"

# Started as the launcher starts it, from another folder, on the trip.
command=$(sed -n 's/^Exec="\(.*\)" %f$/\1/p' "$entry")
cd "$work/elsewhere"
(exec "$command" "$work/alps.vyt") &
pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name "^alps.vyt - Voyanta\$" | head -n 1) ||
  fail "no window shows the trip"
# Docks match the window to the entry by its class, letter case and all.
class=$(sed -n 's/^StartupWMClass=//p' "$entry")
names=$(xprop -id "$window" WM_CLASS)
[[ "$names" == *", \"$class\"" ]] || fail "the window's class is not \"$class\": $names"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "the installed program ended with status $status"
for stray in "$work/elsewhere/voyanta.vyr" "$prefix/bin/voyanta.vyr"; do
  [ ! -e "$stray" ] || fail "the repository went to ${stray#"$work/"}"
done
repository=$(cat "$prefix/lib/voyanta/voyanta.vyr") || fail "no repository beside the installed program"
[ "$repository" = "$(cat "$work/alps.vyt")" ] || fail "the repository holds: $repository"

# A staged install puts everything below DESTDIR, names the final place in the launcher entry
# (a valid one, though that place has a space in its name) and leaves the caches to it.
final="$work/final place"
DESTDIR="$work/stage" "$cmake" --install "$build" --prefix "$final" >"$work/stage.log" 2>&1 || {
  cat "$work/stage.log" >&2
  fail "the staged install"
}
[ ! -e "$final" ] || fail "the staged install wrote outside DESTDIR: $(find "$final")"
staged="$work/stage$final"
[ -x "$staged/lib/voyanta/voyanta" ] && [ -L "$staged/bin/voyanta" ] || fail "the staged install lacks the program"
desktop-file-validate "$staged/share/applications/$id.desktop" >&2 || fail "desktop-file-validate rejects the staged entry"
grep -qxF "Exec=\"$final/bin/voyanta\" %f" "$staged/share/applications/$id.desktop" ||
  fail "the staged launcher entry does not name the final place"
[ ! -e "$staged/share/mime/mime.cache" ] || fail "the staged install refreshed the MIME cache"
echo "passed"
