#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test; then the same tests
# under AddressSanitizer and UndefinedBehaviorSanitizer; then every fuzz target's corpus and a short,
# seeded run of each.
set -euo pipefail
shopt -s nullglob
cd "$(dirname "$0")/.."

./scripts/deps.sh

jobs=$(nproc)
# Per target, after its corpus: a fixed number of runs from a fixed seed, so that one commit always
# gives one result; with fifteen targets, 10,000 keep the smoke near a minute and a half.
fuzz_runs=${LUMIVEX_FUZZ_RUNS:-10000}
export QT_QPA_PLATFORM=offscreen
# Leaks are errors (in the tests, in their listing at build time and in the fuzz targets); the
# file names the only libraries whose own leaks are let pass.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
# The sanitizer runtime takes a thread's dynamic TLS block that happens to start 16 bytes into a
# page for one of glibc before 2.25, which wrote a header there, and reads its bounds from that
# header; the leak check at exit then scans memory that is not there and dies ("Tracer caught
# signal 11"), about once in a few hundred test programs. Since 2.25 glibc takes those blocks from
# the heap, where the leak check finds them without being told.
export ASAN_OPTIONS=intercept_tls_get_addr=0

echo "== Build and test (warnings are errors)"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVEX_WERROR=ON
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -j "$jobs"

echo "== Build and test with AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLUMIVEX_WERROR=ON \
  -DLUMIVEX_SANITIZE=ON -DLUMIVEX_BENCH=OFF
cmake --build build/sanitize -j "$jobs"
ASAN_OPTIONS=$ASAN_OPTIONS:detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

echo "== Fuzz smoke (each corpus replayed, then ${fuzz_runs} seeded runs per target)"
CC=clang-14 CXX=clang++-14 cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLUMIVEX_FUZZ=ON
cmake --build build/fuzz -j "$jobs" --target lumivex_fuzz_targets
# The same runs every time: Qt's hashes take a fixed seed, the fuzzer does not reread its corpus
# folder on a timer, and it does not steer by the values its targets compare, which hold
# addresses; addresses are not randomised either where the system lets a process ask for that.
export QT_HASH_SEED=0
fixed=(setarch -R)
setarch -R true 2>/dev/null || fixed=(env)
# Runs fuzz target $1 with the arguments after it, adding its output to build/fuzz/$1.log.
fuzz() {
  local name=$1
  shift
  ASAN_OPTIONS=$ASAN_OPTIONS:detect_leaks=1 "${fixed[@]}" "build/fuzz/fuzz/$name" -reload=0 -use_cmp=0 \
    -artifact_prefix="build/fuzz/artifacts/$name/" "$@" >>"build/fuzz/$name.log" 2>&1
}
for source in fuzz/*.cpp; do
  name=$(basename "$source" .cpp)
  # libFuzzer adds what it finds to the corpus folder it is given: a fresh copy each time keeps
  # the committed corpus as it is and every run alike.
  corpus="build/fuzz/corpus/$name"
  rm -rf "$corpus" "build/fuzz/artifacts/$name" "build/fuzz/$name.log"
  mkdir -p "$corpus" "build/fuzz/artifacts/$name"
  inputs=(fuzz/corpus/"$name"/*)
  ((${#inputs[@]} == 0)) || cp "${inputs[@]}" "$corpus"/
  echo "-- $name (${#inputs[@]} inputs)"
  if ! { ((${#inputs[@]} == 0)) || fuzz "$name" "${inputs[@]}"; } ||
    ! fuzz "$name" -seed=1 -runs="$fuzz_runs" "$corpus"; then
    tail -n 40 "build/fuzz/$name.log"
    echo "fuzz target $name failed; its input is in build/fuzz/artifacts/$name"
    exit 1
  fi
  grep -E '^(Done|#[0-9]+ *DONE)' "build/fuzz/$name.log" | tail -n 1 || true
done
echo "== All tests passed"
