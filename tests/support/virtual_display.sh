#!/bin/sh
# Runs a command on a private virtual X display: virtual_display.sh SCREEN
# COMMAND [ARGS...], SCREEN as WIDTHxHEIGHTxDEPTH. Exits 77 without Xvfb.
#
# Tests start many of these at once. `xvfb-run -a` takes the lowest free
# number, so two starts can meet on one; a number drawn at random from a
# wide range is taken here instead, and a display that a client cannot
# reach is given up for another. The server does not reset when its last
# client leaves (-noreset): a client connecting during a reset is refused,
# and a test's screenshots and probes come and go between its clients.
command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb is missing: X11 tests skipped"; exit 77; }
screen=$1
shift
folder=$(mktemp -d) || exit 1
server=
trap '[ -n "$server" ] && kill $server 2>/dev/null; wait 2>/dev/null; rm -rf "$folder"' EXIT
trap 'exit 143' TERM INT HUP
reachable() {  # display
  if command -v xwd >/dev/null 2>&1; then xwd -display ":$1" -root -silent >/dev/null 2>&1; else true; fi
}
for attempt in 1 2 3 4 5; do
  display=$((100 + $(od -An -N2 -tu2 /dev/urandom) % 30000))
  Xvfb ":$display" -screen 0 "$screen" -nolisten tcp -noreset >"$folder/server.log" 2>&1 &
  server=$!
  i=0
  while [ ! -S "/tmp/.X11-unix/X$display" ] && [ $i -lt 300 ] && kill -0 $server 2>/dev/null; do
    sleep 0.1
    i=$((i + 1))
  done
  if kill -0 $server 2>/dev/null && reachable $display; then
    DISPLAY=":$display" "$@"
    exit
  fi
  kill $server 2>/dev/null
  wait $server 2>/dev/null
  server=
done
echo "no virtual X server would start:" >&2
cat "$folder/server.log" >&2
exit 1
