#!/bin/sh
# Stops a test run's scripted server by its pid.
state=$1
[ -f "$state/pid" ] && kill "$(cat "$state/pid")" 2>/dev/null
rm -f "$state/pid"
exit 0
