#!/usr/bin/env bash
# Installs what is missing, builds Lumivex and starts it with the given arguments
# ("--library DIR", "--connect-photos"), from the folder it was called in.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

(
  cd "$root"
  ./scripts/deps.sh
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build build/release -j "$(nproc)"
)

exec "$root/build/release/src/app/lumivex" "$@"
