#!/usr/bin/env bash
# Installs a Tilvane .deb into a fresh Debian 12 root made with debootstrap,
# the way a player installs it (apt-get install ./tilvane_*.deb, dependencies
# from Debian's mirror), and starts the installed program there: once
# without a display (QT_QPA_PLATFORM=offscreen), which must keep running and
# build its main window, and once on an X server of its own (Xvfb), which must
# show the main window. Needs root (debootstrap, chroot) and the network path
# to the mirror the host's apt uses. Prints how long each step took.
#
#   scripts/check-deb.sh build/release/tilvane_0.1.0.0_amd64.deb
set -euo pipefail

deb=$(realpath "${1:?usage: check-deb.sh <tilvane_*.deb>}")
# shellcheck source=scripts/debian-root-common.sh
. "$(dirname -- "${BASH_SOURCE[0]}")/debian-root-common.sh"

root=$(mktemp -d "${TMPDIR:-/tmp}/tilvane-debroot-XXXXXX")
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  if mountpoint -q "$root/proc"; then "${sudo_cmd[@]}" umount "$root/proc"; fi
  "${sudo_cmd[@]}" rm -rf "$root"
}
trap cleanup EXIT

echo "== debootstrap bookworm (minbase) from $mirror"
"${sudo_cmd[@]}" debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 ||
  { tail -n 30 "$root.log"; exit 1; }
rm -f "$root.log"
lap "clean root"

"${sudo_cmd[@]}" cp "$deb" "$root/tmp/"
"${sudo_cmd[@]}" chroot "$root" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -q "/tmp/$(basename "$deb")"
lap "apt-get install ./$(basename "$deb")"

in_root() {
  "${sudo_cmd[@]}" chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    LANG=C.UTF-8 "$@"
}

echo "== installed files"
in_root dpkg -L tilvane | grep -E 'bin/tilvane$|\.desktop$|\.svg$|\.metainfo\.xml$' |
  tee "$root/files"
[ "$(wc -l <"$root/files")" -eq 4 ] || { echo "files missing from the package"; exit 1; }
appstreamcli validate --no-net "$root/usr/share/metainfo/org.tilvane.Tilvane.metainfo.xml"

# The program lists running processes and reads its own executable's path.
"${sudo_cmd[@]}" mount -t proc proc "$root/proc" ||
  echo "(no /proc in the root: the program starts without it)"

echo "== headless start (offscreen)"
status=0
in_root QT_QPA_PLATFORM=offscreen timeout 8 tilvane >"$root/tmp/offscreen.log" 2>&1 || status=$?
cat "$root/tmp/offscreen.log"
if [ "$status" -ne 124 ]; then
  echo "tilvane ended by itself (exit $status) instead of running on"
  exit 1
fi
# Building the main window's tabs writes each game's settings file.
if ! ls "$root/root/Documents/My Games/Tilvane/FS25.ini" >/dev/null 2>&1; then
  echo "tilvane wrote no settings: it never built its main window"
  exit 1
fi
lap "offscreen run"

echo "== start on an X server (Xvfb), looking for the main window"
display=:$((90 + RANDOM % 9))
Xvfb "$display" -ac -nolisten tcp -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
# The chroot reaches the server through its abstract socket.
in_root DISPLAY="$display" timeout 10 tilvane >"$root/tmp/x11.log" 2>&1 &
app_pid=$!
found=
for _ in $(seq 1 40); do
  if xwininfo -display "$display" -root -tree 2>/dev/null | grep -q '"Tilvane'; then
    found=yes
    break
  fi
  sleep 0.25
done
xwininfo -display "$display" -root -tree 2>/dev/null | grep '"Tilvane' || true
wait "$app_pid" || true
cat "$root/tmp/x11.log"
if [ -z "$found" ]; then
  echo "no main window appeared"
  exit 1
fi
lap "window check"
echo "== the package installs and the program starts: $(($(date +%s) - begin)) s in all"
