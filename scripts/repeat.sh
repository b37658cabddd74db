#!/usr/bin/env bash
# Runs one test program many times in parallel under a sanitizer, to catch
# faults that show only now and then. Use it before submitting threaded work.
#   scripts/repeat.sh PROGRAM [RUNS] [PARALLEL] [-- test arguments...]
# PROGRAM is a test program's name (test_filereq). QZ_SANITIZE picks the
# sanitizer (thread by default; address,undefined for ASan+UBSan); the
# program is built in build-thread/ or build-address-undefined/. QZ_WORKERS
# sets the compositor's worker count. Logs of failed runs stay in a folder
# it names; the exit status is 1 when any run failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:?usage: scripts/repeat.sh PROGRAM [RUNS] [PARALLEL] [-- test arguments...]}
shift
runs=100 parallel=8
if [ $# -gt 0 ] && [ "$1" != "--" ]; then runs=$1; shift; fi
if [ $# -gt 0 ] && [ "$1" != "--" ]; then parallel=$1; shift; fi
[ "${1:-}" = "--" ] && shift
sanitize=${QZ_SANITIZE:-thread}
build="$root/build-${sanitize//,/-}"
QZ_SANITIZE=$sanitize QZ_BUILD_TARGETS=$program "$root/scripts/build.sh" "$build" >/dev/null
binary=$(find "$build/tests" -type f -name "$program" -perm -u+x | head -n 1)
[ -n "$binary" ] || { echo "repeat: no program $program" >&2; exit 2; }
# TSan's shadow memory needs a fixed layout on kernels with wide mmap randomisation.
norandom=()
if setarch "$(uname -m)" -R true 2>/dev/null; then norandom=(setarch "$(uname -m)" -R); fi
logs=$(mktemp -d "${TMPDIR:-/tmp}/repeat-$program-XXXXXX")
export QZ_DATA_DIR="$build" QZ_HOST=headless
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$root/tests/lsan.supp"
one_run() {  # run number, then the command
  local n=$1 log="$logs/run-$1.log"
  shift
  if timeout 600 "$@" >"$log" 2>&1; then rm -f "$log"; else echo "run $n failed: $log"; fi
}
export -f one_run
export logs
seq 1 "$runs" | xargs -P "$parallel" -I{} bash -c 'one_run "$@"' _ {} "${norandom[@]}" "$binary" "$@"
failed=$(find "$logs" -name 'run-*.log' | wc -l)
echo "repeat: $program, $runs runs ($sanitize), $failed failed"
if [ "$failed" -eq 0 ]; then rmdir "$logs"; exit 0; fi
echo "repeat: logs in $logs"
exit 1
