#!/usr/bin/env bash
# Cross-compiles the Windows platform layer and its tests with MinGW-w64 and
# runs them under Wine (preset windows-cross). Skipped, with a note, where
# MinGW-w64 or Wine is missing: scripts/install-deps.sh installs both.
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64-posix)
command -v wine >/dev/null || command -v wine64 >/dev/null || missing+=(wine)
if [ ${#missing[@]} -gt 0 ]; then
  echo "Skipping the Windows tests: ${missing[*]} not installed (scripts/install-deps.sh installs them)."
  exit 0
fi

started=$(date +%s)
cmake --preset windows-cross
cmake --build --preset windows-cross
status=0
ctest --preset windows-cross || status=$?
# Wine's server lingers a few seconds after the last program; wait for it,
# so that nothing of the run outlives it.
if command -v wineserver >/dev/null; then
  WINEPREFIX="$PWD/build/windows-cross/wine/prefix" wineserver -w || true
fi
echo "Windows tests: $(($(date +%s) - started)) s"
exit $status
