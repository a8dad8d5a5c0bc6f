#!/bin/sh
# Starts Xvfb (1024x768, 24 bits) on the first free display number, detached
# and holding no pipe of its caller open. Writes its pid to PIDFILE and prints
# the display (":N"). Stop it with: kill "$(cat PIDFILE)".
#   start-xvfb.sh PIDFILE
set -eu
pidfile=$1
for n in $(seq 90 189); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
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
    echo "$pid" > "$pidfile"
    echo ":$n"
    exit 0
  fi
done
echo "no free X display" >&2
exit 1
