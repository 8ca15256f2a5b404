#!/usr/bin/env bash
# Puts Tilvane into the desktop's application menu: writes a desktop entry
# for the launcher of this folder into $XDG_DATA_HOME/applications
# (~/.local/share/applications). Run it again after moving the folder; the
# entry hides itself (TryExec) once the folder is gone.
set -euo pipefail

here=$(dirname -- "$(readlink -f -- "${BASH_SOURCE[0]}")")
app_id=org.tilvane.Tilvane
data_home=${XDG_DATA_HOME:-$HOME/.local/share}
# Desktops take XDG_DATA_HOME only when it is absolute and ignore a
# relative one.
case "$data_home" in
  /*) ;;
  *) data_home=$HOME/.local/share ;;
esac
menu=$data_home/applications

# A value of the entry's string type: a backslash is written doubled.
string_value() {
  local s=$1
  s=${s//\\/\\\\}
  printf '%s' "$s"
}

# The program in Exec: in double quotes, so that spaces and the other
# reserved characters stay part of the path; inside them ", `, $ and \ take a
# backslash, % is written %%; then the string type's doubling of backslashes.
exec_value() {
  local s=$1
  s=${s//\\/\\\\}
  s=${s//\"/\\\"}
  s=${s//\`/\\\`}
  s=${s//\$/\\\$}
  s=${s//%/%%}
  string_value "\"$s\""
}

launcher=$here/tilvane
icon=$here/$app_id.svg
mkdir -p "$menu"
entry=$menu/$app_id.desktop
tmp=$(mktemp "$menu/.$app_id.XXXXXX")
trap 'rm -f "$tmp"' EXIT
# Everything but the paths as in the entry the folder carries.
grep -v -E '^(Exec|TryExec|Icon)=' "$here/$app_id.desktop" >"$tmp"
{
  printf 'TryExec=%s\n' "$(string_value "$launcher")"
  printf 'Exec=%s\n' "$(exec_value "$launcher")"
  printf 'Icon=%s\n' "$(string_value "$icon")"
} >>"$tmp"
chmod 0644 "$tmp"
# Replaced in one step: a menu reading the folder never sees half an entry.
mv -f "$tmp" "$entry"
trap - EXIT
if command -v update-desktop-database >/dev/null 2>&1; then
  update-desktop-database -q "$menu" || true
fi
echo "Tilvane is in the application menu: $entry"
