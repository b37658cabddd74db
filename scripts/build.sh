#!/usr/bin/env bash
# Configures and builds Quillantrix.
#   scripts/build.sh [BUILD_DIR] [extra cmake arguments...]
# BUILD_DIR defaults to build/; QZ_SANITIZE=address,undefined or thread
# in the environment selects a sanitizer build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-RelWithDebInfo}" \
  -DQZ_SANITIZE="${QZ_SANITIZE:-}" "$@"
cmake --build "$build" -j "$(nproc)"
