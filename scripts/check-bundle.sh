#!/usr/bin/env bash
# Unpacks the portable bundle into a fresh Debian 13 root made with
# debootstrap, with no Qt and only the X, Wayland, GL and font libraries a
# desktop has, the way a Steam Deck or another distribution's player unpacks
# it, and checks it there: every ELF of the bundle finds each library it
# needs in the bundle or in that base system; the menu entry add-to-menu.sh
# writes is valid for a folder whose path has spaces; the program started
# through the launcher keeps running without a display and builds its main
# window, and on an X server of its own (Xvfb) shows it, in the process the
# launcher was started as. Needs root (debootstrap, chroot) and the network
# path to the mirror the host's apt uses. Prints how long each step took.
#
#   scripts/check-bundle.sh build/release/tilvane-0.1.0.0-linux-x86_64.tar.gz
# Texts with $ meant literally (expected values, formats, inner shells).
# shellcheck disable=SC2016
set -euo pipefail

archive=$(realpath "${1:?usage: check-bundle.sh <tilvane-*-linux-x86_64.tar.gz>}")
name=$(basename "$archive" .tar.gz)
# shellcheck source=scripts/debian-root-common.sh
. "$(dirname -- "${BASH_SOURCE[0]}")/debian-root-common.sh"

# What a desktop has and Tilvane's bundle leaves to it: X11 and xcb's core,
# xkbcommon, fontconfig and a font, GLVND's GL, EGL and OpenGL dispatch
# (Qt's GUI library links libOpenGL), Wayland's client
# libraries (Mesa's drivers depend on them). The compiler's runtime and glibc
# come with the base system.
desktop_packages=(
  libx11-6 libxcb1 libxkbcommon0 libfontconfig1 fonts-dejavu-core libgl1 libegl1 libopengl0
  libwayland-client0 libwayland-cursor0 libwayland-egl1
)

tmp=$(mktemp -d "${TMPDIR:-/tmp}/tilvane-bundlecheck-XXXXXX")
root=$tmp/root
xvfb_pid=
server_pid=
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  if mountpoint -q "$root/proc"; then "${sudo_cmd[@]}" umount "$root/proc"; fi
  "${sudo_cmd[@]}" rm -rf "$tmp"
}
trap cleanup EXIT

# The launcher, before anything needs root: a stand-in program behind it
# prints its process id and its arguments, which must be the launcher's own
# (exec) and arrive unchanged, also through a symbolic link and from a
# folder whose name has a space.
echo "== the launcher hands over its process and its arguments"
fake="$tmp/fake bundle"
mkdir -p "$fake/bin"
tar -xzf "$archive" -C "$tmp" "$name/tilvane"
cp "$tmp/$name/tilvane" "$fake/tilvane"
cat >"$fake/bin/tilvane" <<'EOF'
#!/usr/bin/env bash
echo "pid $$"
printf '[%s]\n' "$@"
EOF
chmod +x "$fake/bin/tilvane"
ln -s "$fake/tilvane" "$tmp/link"
got=$(bash -c 'echo "pid $$"; exec "$0" "$@"' "$tmp/link" \
  --launch 'FS25 Server' -- 'a "b"' '' '$HOME' '*')
expected_args='[--launch]
[FS25 Server]
[--]
[a "b"]
[]
[$HOME]
[*]'
if [ "$(sed -n 1p <<<"$got")" != "$(sed -n 2p <<<"$got")" ] ||
  [ "$(sed -n '3,$p' <<<"$got")" != "$expected_args" ]; then
  echo "the launcher changed its process or its arguments:"
  echo "$got"
  exit 1
fi
lap "launcher"

# The menu entry's quoting, for a folder name with every character the
# desktop entry syntax treats specially (the root's check below has spaces).
echo "== menu entry for an awkward folder name"
odd="$tmp/Deck's \"Apps\" \$5 100% a\\b"
mkdir -p "$odd/menu"
tar -xzf "$archive" -C "$tmp" "$name/add-to-menu.sh" "$name/org.tilvane.Tilvane.desktop"
cp "$tmp/$name/add-to-menu.sh" "$tmp/$name/org.tilvane.Tilvane.desktop" "$odd/"
XDG_DATA_HOME="$odd/menu" "$odd/add-to-menu.sh" >/dev/null
desktop-file-validate "$odd/menu/applications/org.tilvane.Tilvane.desktop"
expected_exec="Exec=\"$tmp/"'Deck'\''s \\"Apps\\" \\$5 100%% a\\\\b/tilvane"'
expected_icon="Icon=$tmp/"'Deck'\''s "Apps" $5 100% a\\b/org.tilvane.Tilvane.svg'
if ! grep -qxF "$expected_exec" "$odd/menu/applications/org.tilvane.Tilvane.desktop" ||
  ! grep -qxF "$expected_icon" "$odd/menu/applications/org.tilvane.Tilvane.desktop"; then
  echo "the menu entry quotes the folder wrongly:"
  grep -E '^(Exec|Icon)=' "$odd/menu/applications/org.tilvane.Tilvane.desktop"
  exit 1
fi
lap "menu entry quoting"

# The oldest glibc the bundle runs on: the newest symbol version it uses.
echo "== glibc the bundle needs"
tar -xzf "$archive" -C "$tmp"
glibc=$(find "$tmp/$name" -type f \( -name '*.so*' -o -path '*/bin/tilvane' \) -print0 |
  xargs -0 objdump -T 2>/dev/null | grep -o 'GLIBC_[0-9.]*' | sort -u -V | tail -n1)
echo "$glibc"
rm -rf "${tmp:?}/$name"
# Debian 12's own: a bundle built on a newer system would not start on
# SteamOS or the other distributions of its age.
if [ "$(printf '%s\n' "$glibc" GLIBC_2.36 | sort -V | tail -n1)" != GLIBC_2.36 ]; then
  echo "the bundle needs $glibc, newer than Debian 12's GLIBC_2.36"
  exit 1
fi
lap "glibc"

echo "== debootstrap trixie (minbase) from $mirror"
# Older debootstraps lack trixie's script; sid's fits it.
script=/usr/share/debootstrap/scripts/trixie
[ -e "$script" ] || script=/usr/share/debootstrap/scripts/sid
"${sudo_cmd[@]}" debootstrap --variant=minbase trixie "$root" "$mirror" "$script" \
  >"$tmp/debootstrap.log" 2>&1 || { tail -n 30 "$tmp/debootstrap.log"; exit 1; }
lap "clean root"

in_root() {
  "${sudo_cmd[@]}" chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/home/player LANG=C.UTF-8 "$@"
}

in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
  "${desktop_packages[@]}" >"$tmp/apt.log" 2>&1 || { tail -n 30 "$tmp/apt.log"; exit 1; }
if in_root dpkg-query -W -f='${Status} ${Package}\n' | grep '^install ok installed' |
  grep -Ei ' (libqt|qt6|qt5)'; then
  echo "the root has Qt: the check would not show what the bundle lacks"
  exit 1
fi
lap "desktop libraries (${desktop_packages[*]})"

# A folder with a space and brackets in its name, as ~/Applications (Deck).
apps="/home/player/Applications (Deck)"
bundle="$apps/$name"
"${sudo_cmd[@]}" mkdir -p "$root$apps"
"${sudo_cmd[@]}" tar -xzf "$archive" -C "$root$apps"
lap "unpack"

echo "== libraries of every ELF in the bundle"
# Each must resolve, in the bundle when the bundle has it (its run paths
# work), else in the base system. ldd runs inside the root, so the host's
# libraries cannot stand in.
failed=
count=0
while IFS= read -r -d '' file; do
  if ! head -c 4 "$file" | grep -q 'ELF'; then continue; fi
  count=$((count + 1))
  inner=${file#"$root"}
  out=$(in_root ldd "$inner" 2>&1) || { echo "$inner: $out"; failed=yes; continue; }
  if grep -E 'not found|version .* not found' <<<"$out"; then
    echo "  in $inner"
    failed=yes
  fi
  # "soname => path (address)"; the path may hold spaces.
  while IFS=$'\t' read -r soname path; do
    # The run paths leave "bin/../lib" in the path ldd prints.
    if [ -e "$root$bundle/lib/$soname" ] &&
      [ "$(realpath -m -- "$root$path")" != "$root$bundle/lib/$soname" ]; then
      echo "$inner: $soname from $path instead of the bundle's"
      failed=yes
    fi
  done < <(sed -n 's/^[[:space:]]*\([^ ]*\) => \(\/.*\) (0x[0-9a-f]*)$/\1\t\2/p' <<<"$out")
done < <(find "$root$bundle" -type f -print0)
[ -z "$failed" ] || exit 1
echo "$count ELF files, every library found"
lap "ldd"

echo "== menu entry"
in_root "$bundle/add-to-menu.sh"
entry="$root/home/player/.local/share/applications/org.tilvane.Tilvane.desktop"
desktop-file-validate "$entry"
grep -E '^(Exec|TryExec|Icon)=' "$entry"
if ! grep -qxF "Exec=\"$bundle/tilvane\"" "$entry" ||
  ! grep -qxF "Icon=$bundle/org.tilvane.Tilvane.svg" "$entry"; then
  echo "the menu entry does not name the bundle's launcher and icon"
  exit 1
fi
lap "menu entry"

# The program lists running processes and reads its own executable's path.
"${sudo_cmd[@]}" mount -t proc proc "$root/proc" ||
  echo "(no /proc in the root: the program starts without it)"

echo "== headless start (offscreen)"
status=0
in_root QT_QPA_PLATFORM=offscreen timeout 8 "$bundle/tilvane" >"$tmp/offscreen.log" 2>&1 ||
  status=$?
cat "$tmp/offscreen.log"
if [ "$status" -ne 124 ]; then
  echo "tilvane ended by itself (exit $status) instead of running on"
  exit 1
fi
# Building the main window's tabs writes each game's settings file.
if ! ls "$root/home/player/Documents/My Games/Tilvane/FS25.ini" >/dev/null 2>&1; then
  echo "tilvane wrote no settings: it never built its main window"
  exit 1
fi
lap "offscreen run"

echo "== start on an X server (Xvfb), looking for the main window"
display=:$((90 + RANDOM % 9))
Xvfb "$display" -ac -nolisten tcp -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
# The chroot reaches the server through its abstract socket. A shell notes
# its process id and execs the launcher: the program must run in it.
in_root DISPLAY="$display" timeout 10 bash -c 'echo $$ >/tmp/launcher.pid; exec "$0"' \
  "$bundle/tilvane" >"$tmp/x11.log" 2>&1 &
app_pid=$!
found=
program_exe=
for _ in $(seq 1 40); do
  if xwininfo -display "$display" -root -tree 2>/dev/null | grep -q '"Tilvane'; then
    found=yes
    program_exe=$(readlink "/proc/$(cat "$root/tmp/launcher.pid")/exe" || true)
    break
  fi
  sleep 0.25
done
xwininfo -display "$display" -root -tree 2>/dev/null | grep '"Tilvane' || true
wait "$app_pid" || true
cat "$tmp/x11.log"
if [ -z "$found" ]; then
  echo "no main window appeared"
  exit 1
fi
echo "the launcher's process runs $program_exe"
if [ "$program_exe" != "$root$bundle/bin/tilvane" ]; then
  echo "the launcher did not hand its process to the program"
  exit 1
fi
lap "window check"

# The demo's sync through the bundled program, as a Steam launch option or a
# script runs it: the demo server on 127.0.0.1 (the root shares the host's
# network), a mod folder of the root's player that follows its FS22 list,
# and `tilvane --sync` in the root, which must bring every listed archive in.
check_sync() {
  local server=${DEMO_SERVER:-}
  if [ -z "$server" ] || [ ! -x "$server" ]; then
    echo "no demo server (DEMO_SERVER=<tilvane_demo_server>): the sync is not checked"
    return 1
  fi
  "$server" --large-mb 1 --rate-mb 0 >"$tmp/server.out" 2>&1 &
  server_pid=$!
  local url=
  for _ in $(seq 1 100); do
    url=$(awk '$1 == "FS22" {print $2}' "$tmp/server.out")
    [ -n "$url" ] && break
    sleep 0.1
  done
  if [ -z "$url" ]; then
    cat "$tmp/server.out"
    echo "the demo server did not start"
    return 1
  fi
  local settings="$root/home/player/Documents/My Games/Tilvane"
  local folder=/home/player/Mods/Demo server
  "${sudo_cmd[@]}" mkdir -p "$settings" "$root$folder"
  printf '%s\n' '[Common]' 'NumberOfModFolders=1' '' '[ModFolder1]' 'Name=Demo server FS22' \
    "Folder=$folder" "DedicatedServerURL=$url" 'AutoUpdateFromDedicatedServer=1' \
    'RemoveModsNotOnServer=1' | "${sudo_cmd[@]}" tee "$settings/FS22.ini" >/dev/null
  local status=0
  in_root "$bundle/tilvane" --sync 'Demo server FS22' --no-window >"$tmp/sync.log" 2>&1 ||
    status=$?
  kill "$server_pid" 2>/dev/null || true
  wait "$server_pid" 2>/dev/null || true
  cat "$tmp/sync.log"
  local archives
  archives=$(find "$root$folder" -name '*.zip' | wc -l)
  echo "exit $status, $archives archives in the folder"
  if [ "$status" -ne 0 ] || [ "$archives" -eq 0 ] ||
    ! grep -qxF "The folder is in line with the server." "$tmp/sync.log"; then
    echo "the bundled program did not bring the folder in line with the demo server"
    return 1
  fi
}
check_sync
lap "sync check"

echo "== the bundle runs on a Debian 13 without Qt: $(($(date +%s) - begin)) s in all"
