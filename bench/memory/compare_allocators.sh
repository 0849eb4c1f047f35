#!/usr/bin/env bash
# Runs the resident memory benchmark once per allocator, in turn, ROUNDS times over, with the load
# average before each run: the system allocator as it comes, with two arenas, and Debian's jemalloc
# and mimalloc preloaded with their options for handing freed pages back at once, and the program
# as linked, with its own options and with decay 0.
# Usage: bench/memory/compare_allocators.sh BUILD-DIR [ROUNDS]
# The preloaded allocators come from Debian's libjemalloc2 and libmimalloc2.0.
set -euo pipefail

build=${1:?usage: $0 BUILD-DIR [ROUNDS]}
rounds=${2:-2}
libs=/usr/lib/$(gcc -print-multiarch)
system_bench=$build/bench/lumivex_memory_bench_system
shipped_bench=$build/bench/lumivex_memory_bench
# One tree for every run, written by the first unless LUMIVEX_MEMORY_TREE names one written before.
if [[ -z "${LUMIVEX_MEMORY_TREE:-}" ]]; then
  LUMIVEX_MEMORY_TREE=$(mktemp -d)
  trap 'rm -rf "$LUMIVEX_MEMORY_TREE"' EXIT
fi
export LUMIVEX_MEMORY_TREE

run() {
  local name=$1 binary=$2
  shift 2
  # The loader ignores a preloaded library it cannot find and runs on the system allocator.
  local setting
  for setting in "$@"; do
    if [[ $setting == LD_PRELOAD=* && ! -e ${setting#LD_PRELOAD=} ]]; then
      printf '%-10s skipped: %s is not installed\n' "$name" "${setting#LD_PRELOAD=}"
      return
    fi
  done
  local load
  load=$(cut -d' ' -f1-3 /proc/loadavg)
  local line
  line=$(env "$@" "$binary" --benchmark_filter=windowResidentMemory 2>/dev/null |
    grep '^windowResidentMemory' | tr -s ' ')
  printf '%-10s load %s | %s\n' "$name" "$load" "$line"
}

"$system_bench" --benchmark_filter=none >/dev/null 2>&1  # writes the tree if it is empty

for _ in $(seq "$rounds"); do
  run glibc "$system_bench"
  run arena2 "$system_bench" MALLOC_ARENA_MAX=2
  run jemalloc "$system_bench" LD_PRELOAD="$libs/libjemalloc.so.2" \
    MALLOC_CONF=dirty_decay_ms:0,muzzy_decay_ms:0
  run mimalloc "$system_bench" LD_PRELOAD="$libs/libmimalloc.so.2" MIMALLOC_PAGE_RESET=1 \
    MIMALLOC_DECOMMIT_DELAY=0
  if [[ -x "$shipped_bench" && "$shipped_bench" != "$system_bench" ]]; then
    run shipped "$shipped_bench"
    # The same program with every freed page handed back at once, its options before these.
    run decay0 "$shipped_bench" MALLOC_CONF=background_thread:false,dirty_decay_ms:0,muzzy_decay_ms:0
  fi
done
