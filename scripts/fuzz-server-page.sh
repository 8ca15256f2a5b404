#!/usr/bin/env bash
# Builds the server mod page fuzzer with clang and runs it.
#   scripts/fuzz-server-page.sh [seconds] [extra libFuzzer options...]
# Environment: BUILD_DIR (default build/fuzz), JOBS (default 2).
# New inputs go to $BUILD_DIR/corpus-server-page; the seed corpus in
# tests/core/server/corpus is read, never written. A crash leaves its input in
# $BUILD_DIR/artifacts/: add it to tests/core/server/corpus once fixed.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build/fuzz}"
seconds="${1:-600}"
shift || true

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTILVANE_SANITIZE=ON -DTILVANE_BUILD_FUZZERS=ON \
  -DTILVANE_BUILD_TESTS=OFF -DTILVANE_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j"${JOBS:-2}" --target fuzz_server_page

mkdir -p "$build/corpus-server-page" "$build/artifacts"
cd "$build"
exec ./fuzz/fuzz_server_page "$build/corpus-server-page" "$root/tests/core/server/corpus" \
  -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -jobs=1 -workers=1 \
  -dict="$root/fuzz/server-page.dict" -artifact_prefix="$build/artifacts/" \
  -print_final_stats=1 "$@"
