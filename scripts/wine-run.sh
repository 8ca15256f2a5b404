#!/usr/bin/env bash
# Runs a Windows program under Wine in a world of its own:
#   scripts/wine-run.sh <root folder> <program.exe> [arguments...]
# The Wine prefix and the home folder Wine links the user's folders to both
# lie below the root folder, so nothing reaches the real home folder. The
# prefix is made on first use; runs that start together wait for it.
set -euo pipefail

root=$1
shift
mkdir -p "$root/home"
export HOME="$root/home"
export WINEPREFIX="$root/prefix"
export WINEDEBUG=-all
# No .NET or HTML engine: Wine would offer to download them. A mapi32.dll
# beside the program (the mail test's stand-in) comes before Wine's own.
export WINEDLLOVERRIDES="mscoree,mshtml=;mapi32=n,b"
# Windows' ANSI code page 1252, as on western systems (the mail test
# checks an attachment's path in it), whatever the host's locale.
export LC_ALL=C.UTF-8
# No desktop session: nothing may open a window or a program on the host.
unset DISPLAY WAYLAND_DISPLAY XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME \
  XDG_DESKTOP_DIR XDG_DOCUMENTS_DIR

wine=$(command -v wine || command -v wine64)
if [ ! -e "$WINEPREFIX/.tilvane-ready" ]; then
  (
    flock 9
    if [ ! -e "$WINEPREFIX/.tilvane-ready" ]; then
      "$wine" wineboot -i >/dev/null 2>&1
      # Windows 10, the oldest system the program supports (Wine says 7).
      "$wine" winecfg -v win10 >/dev/null 2>&1
      # A crash ends the process, as on a machine without a debugger; Wine
      # would start its own and print pages of it.
      "$wine" reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
        /v Debugger /f >/dev/null 2>&1 || true
      touch "$WINEPREFIX/.tilvane-ready"
    fi
  ) 9>"$root/prefix.lock"
fi
exec "$wine" "$@"
