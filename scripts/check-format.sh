#!/usr/bin/env bash
# Fails when a tracked *.cpp or *.h differs from what clang-format makes of it
# with the repository's .clang-format; names each such file and the command
# that formats them. `make test` runs it first, so CI fails on drift.
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

if ! command -v clang-format >/dev/null; then
  echo "check-format.sh: clang-format is missing; 'make deps' installs it." >&2
  exit 2
fi
if ! command -v git >/dev/null; then
  echo "check-format.sh: git is missing; the tracked files cannot be listed." >&2
  exit 2
fi
if ! root="$(git -C "$here" rev-parse --show-toplevel 2>/dev/null)"; then
  echo "check-format.sh: $here is not in a git checkout; the tracked files cannot be listed." >&2
  exit 2
fi
cd "$root"

mapfile -d '' files < <(git ls-files -z -- '*.cpp' '*.h')
if [ ${#files[@]} -eq 0 ]; then
  echo "check-format.sh: git lists no *.cpp or *.h file." >&2
  exit 2
fi

# A file deleted in the working tree but still tracked is not drift.
present=()
for f in "${files[@]}"; do [ -f "$f" ] && present+=("$f"); done

# One clang-format for all files; it names each drifting place as
# "file:line:col: error: code should be clang-formatted".
output="$(clang-format --dry-run --Werror "${present[@]}" 2>&1)"
status=$?
mapfile -t drifting < <(printf '%s\n' "$output" |
  sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' | sort -u)
if [ "$status" -ne 0 ] && [ ${#drifting[@]} -eq 0 ]; then
  # Not drift: clang-format itself failed (a bad .clang-format, say).
  printf '%s\n' "$output" >&2
  echo "check-format.sh: clang-format failed." >&2
  exit 2
fi

if [ ${#drifting[@]} -ne 0 ]; then
  echo "These files are not formatted as .clang-format says:"
  printf '  %s\n' "${drifting[@]}"
  echo "Format them with: make format"
  echo "(or: clang-format -i ${drifting[*]})"
  exit 1
fi
echo "Formatting: ${#files[@]} files as .clang-format says."
