#!/bin/sh
# Stops the secure download tests' nginx by its pid.
state=$1
if [ -f "$state/pid" ]; then
  pid=$(cat "$state/pid")
  kill "$pid" 2>/dev/null
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  rm -f "$state/pid"
fi
exit 0
