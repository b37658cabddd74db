#!/bin/sh
# Runs an X11 test program on a private virtual display of its own.
LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(dirname "$0")/../lsan.supp"
export LSAN_OPTIONS
QZ_HOST=x11 exec sh "$(dirname "$0")/../support/virtual_display.sh" 1024x768x24 "$@"
