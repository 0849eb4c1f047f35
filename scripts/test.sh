#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test; then the same tests
# under AddressSanitizer and UndefinedBehaviorSanitizer; then a short smoke run of every fuzz target.
set -euo pipefail
shopt -s nullglob
cd "$(dirname "$0")/.."

./scripts/deps.sh

jobs=$(nproc)
# Per target: with fifteen targets, 16 s keeps the smoke at about four minutes.
fuzz_seconds=${LUMIVEX_FUZZ_SECONDS:-16}
export QT_QPA_PLATFORM=offscreen
# Leaks are errors (in the tests, in their listing at build time and in the fuzz targets); the
# file names the only libraries whose own leaks are let pass.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"

echo "== Build and test (warnings are errors)"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVEX_WERROR=ON
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -j "$jobs"

echo "== Build and test with AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLUMIVEX_WERROR=ON \
  -DLUMIVEX_SANITIZE=ON -DLUMIVEX_BENCH=OFF
cmake --build build/sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

echo "== Fuzz smoke (${fuzz_seconds} s per target)"
CC=clang-14 CXX=clang++-14 cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLUMIVEX_FUZZ=ON
cmake --build build/fuzz -j "$jobs" --target lumivex_fuzz_targets
for source in fuzz/*.cpp; do
  name=$(basename "$source" .cpp)
  corpus="build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  [[ -d "fuzz/corpus/$name" ]] && cp -n fuzz/corpus/"$name"/* "$corpus"/ 2>/dev/null || true
  echo "-- $name"
  log="build/fuzz/$name.log"
  if ! ASAN_OPTIONS=detect_leaks=1 "build/fuzz/fuzz/$name" -max_total_time="$fuzz_seconds" \
      "$corpus" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz target $name failed"
    exit 1
  fi
  grep -E '^(Done|#[0-9]+ *DONE)' "$log" | tail -n 1 || true
done
echo "== All tests passed"
