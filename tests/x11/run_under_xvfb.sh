#!/bin/sh
# Runs an X11 test program on a private virtual display of its own.
command -v xvfb-run >/dev/null 2>&1 || { echo "xvfb-run is missing: X11 tests skipped"; exit 77; }
LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(dirname "$0")/../lsan.supp"
export LSAN_OPTIONS
QZ_HOST=x11 exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$@"
