#!/bin/sh
# Starts the scripted server for a test run, detached, and waits until it listens.
#   start-scripted-server.sh SERVER STATE_FOLDER
set -eu
server=$1
state=$2
sh "$(dirname "$0")/stop-scripted-server.sh" "$state"
rm -rf "$state" && mkdir -p "$state"
setsid "$server" "$state" </dev/null >"$state/server.log" 2>&1 &
echo $! > "$state/pid"
for _ in $(seq 100); do
  [ -f "$state/ports" ] && { echo "scripted server on ports $(cat "$state/ports")"; exit 0; }
  kill -0 "$(cat "$state/pid")" 2>/dev/null || break
  sleep 0.1
done
echo "the scripted server did not start:" >&2
cat "$state/server.log" >&2
exit 1
