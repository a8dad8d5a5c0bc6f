#!/bin/sh
# Starts nginx on free 127.0.0.1 ports, serving ROOT, with its config, logs,
# temporary files and pid under STATE (made anew). Prints the port; STATE/pid
# holds the master's pid and STATE/port the port. Stop it with stop-nginx.sh.
#   start-nginx.sh STATE ROOT [TEMPLATE NAME...]
# The config is made from TEMPLATE (default: nginx.conf.in beside this script),
# with @STATE@, @ROOT@, @USER@, @GROUP@ and @PORT@ filled in. With NAMEs, each
# gets a port of its own for @NAME_PORT@ (upper case, "-" as "_"), and
# STATE/ports lists "NAME PORT" lines; STATE/port holds the first.
set -eu
state=$1
root=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
template=${3:-$here/nginx.conf.in}
[ $# -ge 3 ] && shift 3 || set --
nginx=${NGINX:-/usr/sbin/nginx}
free_port() { /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

sh "$here/stop-nginx.sh" "$state"
rm -rf "$state" && mkdir -p "$state"
state=$(cd "$state" && pwd)

# A port that was free a moment ago may be taken by the time nginx binds it:
# a few tries, each with a fresh port.
for _ in 1 2 3 4 5; do
  port=$(free_port)
  : > "$state/ports"
  substitutions="-e s|@STATE@|$state|g -e s|@ROOT@|$root|g -e s|@USER@|$(id -un)|g -e s|@GROUP@|$(id -gn)|g"
  for name in "$@"; do
    named_port=$(free_port)
    [ -s "$state/ports" ] || port=$named_port
    echo "$name $named_port" >> "$state/ports"
    substitutions="$substitutions -e s|@$(echo "$name" | tr a-z- A-Z_)_PORT@|$named_port|g"
  done
  # shellcheck disable=SC2086 # the substitutions are separate words on purpose
  sed $substitutions -e "s|@PORT@|$port|g" "$template" > "$state/nginx.conf"
  rm -f "$state/nginx.pid"
  "$nginx" -p "$state/" -c "$state/nginx.conf" -e "$state/error.log" </dev/null >"$state/nginx.out" 2>&1 &
  echo $! > "$state/pid"
  # nginx writes its pid file once its listening socket is open.
  for _ in $(seq 100); do
    if [ -s "$state/nginx.pid" ]; then
      echo "$port" > "$state/port"
      echo "$port"
      exit 0
    fi
    kill -0 "$(cat "$state/pid")" 2>/dev/null || break
    sleep 0.05
  done
  sh "$here/stop-nginx.sh" "$state"
  grep -q 'Address already in use' "$state/error.log" 2>/dev/null || break
done
echo "nginx did not start:" >&2
cat "$state/nginx.out" "$state/error.log" >&2 2>/dev/null || true
exit 1
