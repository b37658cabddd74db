#!/usr/bin/env bash
# Sets up the machine, builds what the program needs and starts it.
#   scripts/run.sh [picture]
# Only the libraries, the program and its data are built here (the tests and
# benchmarks are scripts/test.sh's); the build shows its progress.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
echo "Building Quillantrix (the first build takes a few minutes)..."
QZ_BUILD_TARGETS=qz_program "$root/scripts/build.sh" "$root/build"
exec "$root/build/Quillantrix" "$@"
