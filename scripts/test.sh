#!/usr/bin/env bash
# Sets up the machine, builds Quillantrix and runs every test.
#   scripts/test.sh [BUILD_DIR]
# QZ_SANITIZE=address,undefined (or thread) selects a sanitizer build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$build"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# Libraries that keep caches for the life of the process (fontconfig) are
# not leaks of ours.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$root/tests/lsan.supp"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 60
