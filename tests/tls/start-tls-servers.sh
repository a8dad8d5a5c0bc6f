#!/bin/sh
# Starts the secure download tests' servers: makes a test certificate
# authority and certificates (make-certificates.sh) and runs nginx with an
# https server for each certificate and a plain http one, on free ports of
# 127.0.0.1. STATE/ports lists "NAME PORT" lines (good, wrong-name, expired,
# self-signed, http); STATE/root holds the files served.
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

# nginx keeps its own state in STATE/nginx.
sh "$here/../nginx/start-nginx.sh" "$state/nginx" "$state/root" "$here/nginx-tls.conf.in" \
  good wrong-name expired self-signed http >/dev/null
cp "$state/nginx/ports" "$state/ports"
cat "$state/ports"
