#!/usr/bin/env bash
# Configures and builds Quillantrix.
#   scripts/build.sh [BUILD_DIR] [extra cmake arguments...]
# BUILD_DIR defaults to build/; QZ_SANITIZE=address,undefined or thread
# in the environment selects a sanitizer build; QZ_BUILD_TARGETS="a b"
# builds only those targets; QZ_JOBS sets how many compile at once
# (default: one per core).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-RelWithDebInfo}" \
  -DQZ_SANITIZE="${QZ_SANITIZE:-}" "$@"
targets=()
for t in ${QZ_BUILD_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$build" -j "${QZ_JOBS:-$(nproc)}" "${targets[@]}"
