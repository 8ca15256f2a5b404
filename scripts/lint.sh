#!/usr/bin/env bash
# clang-tidy over the project's own translation units (src/, tools/, bench/,
# tests/) with the repository's .clang-tidy; exits non-zero on any finding.
#
#   scripts/lint.sh [--by-check] [-j N] [folder or file ...]
#
#   --by-check   list the findings grouped by check (the naming check by kind
#                of name), each group with its count
#   -j N         clang-tidy runs at once (default: the number of cores)
#   folder/file  lint only these, relative to the repository (default: all)
#
# The compile commands come from the `lint` preset (build/lint): the debug
# build's flags with the benchmarks, never compiled. Only Qt's moc and uic run,
# since the sources include what they generate.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
build="$root/build/lint"

by_check=0
jobs="$(nproc 2>/dev/null || echo 2)"
paths=()
while [ $# -gt 0 ]; do
  case "$1" in
    --by-check) by_check=1 ;;
    -j) jobs="$2"; shift ;;
    -j*) jobs="${1#-j}" ;;
    -h|--help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "lint.sh: unknown option $1" >&2; exit 2 ;;
    *) paths+=("${1%/}") ;;
  esac
  shift
done

for tool in cmake ninja clang-tidy run-clang-tidy python3; do
  if ! command -v "$tool" >/dev/null; then
    echo "lint.sh: $tool is missing; 'make deps' installs it." >&2
    exit 2
  fi
done

# Configure once; afterwards Ninja's own rule configures again when a
# CMakeLists.txt changed (new sources reach the compile commands that way).
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset lint >/dev/null
else
  ninja -C "$build" build.ninja >/dev/null
fi

# moc and uic for every target, without the targets' _autogen rules: those wait
# for the libraries each target links, that is for the whole build.
find "$build" -name AutogenInfo.json -print0 |
  xargs -0 -r -P "$jobs" -I{} cmake -E cmake_autogen {} Debug

# Diagnostics only from the project's own headers: the build folder's
# generated ones (ui_*.h, moc_*.cpp) also sit below a src/ folder.
own="^$root/(src|tests|tools|bench)/"
selected=()
if [ ${#paths[@]} -eq 0 ]; then
  selected=("$own")
else
  for p in "${paths[@]}"; do selected+=("^$root/$p"); done
fi

log="$build/clang-tidy.log"
echo "clang-tidy, $jobs at once; the full output goes to ${log#"$root"/}"
tidy_status=0
# GCC's own headers (libbacktrace's backtrace.h) after clang's, which win.
gcc_include="$(gcc -print-file-name=include)"
run-clang-tidy -p "$build" -j "$jobs" -quiet -header-filter "$own" \
  -extra-arg="-idirafter$gcc_include" "${selected[@]}" \
  >"$log" 2>&1 || tidy_status=$?

# A header's finding is reported by every translation unit including it: each
# place and check counts once.
status=0
python3 - "$log" "$root" "$by_check" <<'EOF' || status=$?
import collections, re, sys

log, root, by_check = sys.argv[1], sys.argv[2] + "/", sys.argv[3] == "1"
colour_re = re.compile(r"\x1b\[[0-9;]*m")
finding_re = re.compile(r"^(/[^:]+):(\d+):(\d+): (?:warning|error): (.*) \[([^\]]+)\]$")
note_re = re.compile(r"^(/[^:]+):(\d+):(\d+): note: ")
own_re = re.compile("^" + re.escape(root) + "(src|tests|tools|bench)/")
naming_re = re.compile(r"invalid case style for (.+?) '")


def short(path):
    return path[len(root):] if path.startswith(root) else path


seen = set()
groups = collections.defaultdict(list)
elsewhere = set()
# A finding the analyzer places in another library's header (Qt's, say), with
# the last note in the project's code on the way there: the call that led in.
pending = None
last_note = None


def flush():
    if pending and last_note:
        place, message, check = pending
        elsewhere.add(f"{last_note}: {message}, in {place} [{check}]")


with open(log, encoding="utf-8", errors="replace") as f:
    for line in f:
        line = colour_re.sub("", line.rstrip("\n"))
        m = finding_re.match(line)
        if m or line.startswith("clang-tidy"):
            flush()
            pending = last_note = None
        if m:
            path, row, col, message, checks = m.groups()
            check = checks.split(",")[0]
            if not own_re.match(path):
                pending = (f"{short(path)}:{row}", message, check)
                continue
            if (path, row, col, check) in seen:
                continue
            seen.add((path, row, col, check))
            if check == "readability-identifier-naming":
                kind = naming_re.match(message)
                check += " (" + (kind.group(1) if kind else "other") + ")"
            groups[check].append(f"{short(path)}:{row}:{col}: {message}")
            continue
        n = note_re.match(line)
        if n and pending and own_re.match(n.group(1)):
            last_note = f"{short(n.group(1))}:{n.group(2)}"
    flush()

total = sum(len(v) for v in groups.values())
if by_check:
    for check in sorted(groups, key=lambda c: (-len(groups[c]), c)):
        print(f"\n{check}: {len(groups[check])}")
        for finding in sorted(groups[check]):
            print("  " + finding)
    print()
else:
    for check in sorted(groups):
        for finding in sorted(groups[check]):
            print(f"{finding} [{check}]")
if elsewhere:
    # No NOLINT reaches a line in someone else's header: these are shown for a
    # look at the project's line named first, and do not fail the run.
    print(f"{len(elsewhere)} finding(s) placed in another library's header, reached from:")
    for finding in sorted(elsewhere):
        print("  " + finding)
print(f"{total} finding(s)" + ("" if by_check or not total else "; --by-check groups them"))
sys.exit(1 if total else 0)
EOF
if [ "$status" -eq 0 ] && [ "$tidy_status" -ne 0 ]; then
  echo "lint.sh: clang-tidy failed without a finding; see ${log#"$root"/}" >&2
  exit 1
fi
exit "$status"
