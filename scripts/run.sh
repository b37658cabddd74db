#!/usr/bin/env bash
# Sets up the machine, builds Quillantrix and starts it.
#   scripts/run.sh [image path]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build" >/dev/null
exec "$root/build/Quillantrix" "$@"
