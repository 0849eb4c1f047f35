#!/usr/bin/env bash
# Installs what is missing, builds Lumivex and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/release -j "$(nproc)"

app=build/release/src/app/lumivex
if [[ -x "$app" ]]; then
  exec "$app" "$@"
fi
echo "Lumivex is built (libraries, tests and benchmarks), but it has no window yet: nothing to start."
