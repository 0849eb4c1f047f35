#!/usr/bin/env bash
# Longer exploration than the smoke of test.sh: builds the fuzz targets as test.sh does and lets
# each one explore for SECONDS (600 by default), starting from its committed corpus and from what
# earlier runs found. New inputs gather in build/fuzz/explore/<target>, crashing ones in
# build/fuzz/findings/<target>; the run goes on past a finding and reports every one at the end.
# usage: scripts/fuzz.sh [SECONDS] [TARGET...]   (all targets when none is named)
set -euo pipefail
shopt -s nullglob
cd "$(dirname "$0")/.."

./scripts/deps.sh

seconds=${1:-600}
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then
  for source in fuzz/*.cpp; do
    targets+=("$(basename "$source" .cpp)")
  done
fi
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
# The sanitizer runtime takes a thread's dynamic TLS block that happens to start 16 bytes into a
# page for one of glibc before 2.25, which wrote a header there, and reads its bounds from that
# header; the leak check at exit then scans memory that is not there and dies ("Tracer caught
# signal 11"), about once in a few hundred test programs. Since 2.25 glibc takes those blocks from
# the heap, where the leak check finds them without being told.
export ASAN_OPTIONS=intercept_tls_get_addr=0
export QT_QPA_PLATFORM=offscreen

CC=clang-14 CXX=clang++-14 cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLUMIVEX_FUZZ=ON
cmake --build build/fuzz -j "$(nproc)" --target lumivex_fuzz_targets

failed=()
for name in "${targets[@]}"; do
  corpus="build/fuzz/explore/$name"
  findings="build/fuzz/findings/$name"
  rm -rf "$findings"
  mkdir -p "$corpus" "$findings"
  seeds=(fuzz/corpus/"$name"/*)
  ((${#seeds[@]} == 0)) || cp -n "${seeds[@]}" "$corpus"/
  echo "-- $name (${seconds} s)"
  log="build/fuzz/explore-$name.log"
  # One child process at a time that is restarted after a crash, so a finding does not end the
  # exploration of the target.
  ASAN_OPTIONS=$ASAN_OPTIONS:detect_leaks=1 "build/fuzz/fuzz/$name" -max_total_time="$seconds" -fork=1 \
    -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1 -artifact_prefix="$findings/" \
    "$corpus" >"$log" 2>&1 || true
  found=("$findings"/*)
  echo "   $(grep -E '^#[0-9]+' "$log" | tail -n 1); ${#found[@]} inputs saved"
  if ((${#found[@]} > 0)) || grep -qE '^==[0-9]+== ?ERROR|^ALARM' "$log"; then
    failed+=("$name")
  fi
done
if ((${#failed[@]} > 0)); then
  echo "== Findings in: ${failed[*]} (inputs in build/fuzz/findings, logs build/fuzz/explore-*.log)"
  exit 1
fi
echo "== No findings"
