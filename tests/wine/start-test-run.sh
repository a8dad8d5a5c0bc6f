#!/bin/sh
# Starts a test run's Windows side: an Xvfb display of its own on a free
# display number and a fresh Wine prefix that draws there.
#   start-test-run.sh PREFIX
# Every Wine process of one prefix shares one desktop, bound to the display of
# the first one, so all of the run's Windows programs use this display: the
# display name is kept in PREFIX.display, the Xvfb pid in PREFIX.xvfb-pid.
set -eu
prefix=$1
here=$(dirname "$0")
sh "$here/stop-test-run.sh" "$prefix"

for n in $(seq 90 189); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  # Detached, with no pipe of the test runner held open.
  setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  pid=$!
  # Ours once it answers and is still running (another server may be just
  # going away on the same number).
  for _ in $(seq 100); do
    DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  sleep 0.2
  if kill -0 "$pid" 2>/dev/null && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
    echo "$pid" > "$prefix.xvfb-pid"
    echo ":$n" > "$prefix.display"
    echo "Xvfb on :$n (pid $pid)"
    DISPLAY=":$n" sh "$here/make-prefix.sh" "$prefix"
    exit 0
  fi
done
echo "no free X display for the tests" >&2
exit 1
