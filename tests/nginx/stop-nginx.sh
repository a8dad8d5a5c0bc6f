#!/bin/sh
# Stops the nginx that start-nginx.sh started in STATE, by its pid, and waits
# (a few seconds at most) until it has gone.
#   stop-nginx.sh STATE
state=$1
[ -f "$state/pid" ] || exit 0
pid=$(cat "$state/pid")
rm -f "$state/pid"
kill -TERM "$pid" 2>/dev/null || exit 0
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || exit 0
  sleep 0.05
done
kill -KILL "$pid" 2>/dev/null
exit 0
