#!/bin/sh
# Starts the secure download tests' servers: makes a test certificate
# authority and certificates (make-certificates.sh) and runs nginx with an
# https server for each certificate and a plain http one, on free ports of
# 127.0.0.1. STATE/ports lists "NAME PORT" lines (good, wrong-name, expired,
# self-signed, http); STATE/root holds the files served; STATE/pid the pid.
#   start-tls-servers.sh STATE
set -eu
state=$1
here=$(cd "$(dirname "$0")" && pwd)
sh "$here/stop-tls-servers.sh" "$state"
rm -rf "$state" && mkdir -p "$state/root"
state=$(cd "$state" && pwd)
sh "$here/make-certificates.sh" "$state"

# What is served: a binary file of several blocks, a text file nginx gzips on
# the fly, the binary again without a length (chunked).
head -c 300000 /dev/urandom > "$state/root/file.bin"
cp "$state/root/file.bin" "$state/root/chunked.bin"
for i in $(seq 3000); do echo "line $i of a text that compresses well"; done > "$state/root/text.txt"

free_port() { /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
for _ in 1 2 3 4 5; do
  good=$(free_port) wrong=$(free_port) expired=$(free_port) self=$(free_port) http=$(free_port)
  sed -e "s|@STATE@|$state|g" -e "s|@USER@|$(id -un)|g" -e "s|@GROUP@|$(id -gn)|g" \
      -e "s|@GOOD_PORT@|$good|g" -e "s|@WRONG_NAME_PORT@|$wrong|g" -e "s|@EXPIRED_PORT@|$expired|g" \
      -e "s|@SELF_SIGNED_PORT@|$self|g" -e "s|@HTTP_PORT@|$http|g" \
      "$here/nginx-tls.conf.in" > "$state/nginx.conf"
  rm -f "$state/nginx.pid"
  /usr/sbin/nginx -p "$state/" -c "$state/nginx.conf" -e "$state/error.log" </dev/null >"$state/nginx.out" 2>&1 &
  echo $! > "$state/pid"
  for _ in $(seq 100); do
    if [ -s "$state/nginx.pid" ]; then
      printf 'good %s\nwrong-name %s\nexpired %s\nself-signed %s\nhttp %s\n' "$good" "$wrong" "$expired" "$self" \
        "$http" > "$state/ports"
      cat "$state/ports"
      exit 0
    fi
    kill -0 "$(cat "$state/pid")" 2>/dev/null || break
    sleep 0.05
  done
  sh "$here/stop-tls-servers.sh" "$state"
  grep -q 'Address already in use' "$state/error.log" 2>/dev/null || break
done
echo "nginx did not start:" >&2
cat "$state/nginx.out" "$state/error.log" >&2 2>/dev/null || true
exit 1
