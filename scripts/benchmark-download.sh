#!/usr/bin/env bash
# Measures selvane-fetch (the launcher's download: HttpDownloadClient into a
# ReplacementFile) against curl on loopback, and prints the medians side by
# side: wall time, CPU time (user + sys) and peak memory (max RSS), all from
# /usr/bin/time. Release build of its own in build/bench, no sanitizers.
#
#   scripts/benchmark-download.sh [--quick]
#
# nginx (tests/nginx/start-nginx.sh, tests/nginx/nginx.conf.in) serves, from a
# folder on disk under build/bench:
#   plain    a random file, with a Content-Length          (/files/)
#   gzip     a text file stored gzip'ed (gzip -6) beside it, sent as stored with
#            Content-Encoding: gzip and a Content-Length   (/static/, gzip_static);
#            the text is the system's C headers, concatenated
#   chunked  the random file, not coded but chunked: an empty add_after_body
#            leaves the length unknown, and sendfile off with 32 KiB output
#            buffers makes one 32 KiB chunk per buffer     (/chunked/)
# and a second nginx, with a small config of its own written below (the tests'
# template stays as the tests need it), serves over TLS:
#   https    the plain random file, with a Content-Length, from an https server
#            on 127.0.0.1 whose certificate for `localhost` comes from a test
#            authority that tests/tls/make-certificates.sh makes under
#            build/bench; both clients are told to trust it (selvane-fetch
#            --trust-ca, curl --cacert) and reach it as https://localhost:PORT
#            (selvane-fetch through the system's resolver, curl pinned to
#            127.0.0.1 with --resolve). Both use OpenSSL with its defaults; the
#            summary names the protocol and cipher.
#
# Columns, each run once per round, the rounds one after the other:
#   selvane-fetch  selvane-fetch -q URL FILE; it fsyncs FILE before it renames
#                  it into place, as the launcher does
#   curl           curl -s -o FILE URL (--compressed for gzip); no fsync
#   curl+fsync     the same, then coreutils `sync FILE` (an fsync of FILE): the
#                  same durability as selvane-fetch
#   floor          no HTTP client at all: bash sends the request over
#                  /dev/tcp, then `dd bs=8k conv=fsync` copies the socket to the
#                  file in 8 KiB reads (raw reply, headers and framing included,
#                  nothing decoded). The least work a client reading 8 KiB at a
#                  time and syncing the file can do; its CPU time includes
#                  bash's start-up. n/a for https: a raw copy cannot decrypt,
#                  and any TLS client in its place would be a third client
#                  rather than a floor.
# Every download goes to a fresh file that is deleted after its run, followed by
# an untimed `sync` so that one run's write-back does not land in the next one.
# MiB/s is the bytes in the file over the wall time: decoded text for the gzip
# clients, the raw reply (still gzip'ed) for the gzip floor.
#
# Then the peak memory of selvane-fetch for a small and a large plain file.
# --quick: 3 rounds and small files, to try the script out; the full run takes
# 11 rounds of 512 MiB files (under 10 minutes on 2 cores).
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

rounds=11
size_mib=512
memory_sizes_mib=(64 1024)
if [ "${1:-}" = "--quick" ]; then
  rounds=3
  size_mib=32
  memory_sizes_mib=(8 64)
elif [ $# -gt 0 ]; then
  echo "usage: $0 [--quick]" >&2
  exit 2
fi

for tool in /usr/bin/time /usr/sbin/nginx curl dd /usr/bin/python3 cmake ninja gzip openssl; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps.sh" >&2; exit 1; }
done

echo "== Release build of selvane-fetch (build/bench)"
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS= >/dev/null
cmake --build build/bench --target selvane_fetch >/dev/null
fetch=$repo/build/bench/tools/selvane-fetch

work=$repo/build/bench/run
rm -rf "$work"
mkdir -p "$work/root" "$work/out"
cleanup() {
  sh "$repo/tests/nginx/stop-nginx.sh" "$work/nginx"
  sh "$repo/tests/nginx/stop-nginx.sh" "$work/nginx-tls"
  rm -rf "$work"
}
trap cleanup EXIT

echo "== Files: ${size_mib} MiB plain, ${size_mib} MiB text stored gzip'ed"
head -c "$((size_mib * 1024 * 1024))" /dev/urandom > "$work/root/plain.bin"
# Real text, read round and round until the size is reached.
find /usr/include -name '*.h' -type f -print0 | sort -z > "$work/headers"
while xargs -0 cat < "$work/headers"; do :; done 2>/dev/null | head -c "$((size_mib * 1024 * 1024))" > "$work/text.txt" || true
gzip -6 -c "$work/text.txt" > "$work/root/text.txt.gz"
text_size=$((size_mib * 1024 * 1024))
echo "   text.txt.gz: $(($(stat -c %s "$work/root/text.txt.gz") / 1024 / 1024)) MiB on the wire"

port=$(sh tests/nginx/start-nginx.sh "$work/nginx" "$work/root")
base=http://127.0.0.1:$port

# The https server: the same files under /files/, nginx's TLS defaults, its
# state (certificates included) under $work/nginx-tls. stop-nginx.sh stops it
# by STATE/pid like the other one.
tls=$work/nginx-tls
mkdir -p "$tls"
sh tests/tls/make-certificates.sh "$tls"
for _ in 1 2 3 4 5; do
  tls_port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  cat > "$tls/nginx.conf" <<CONF
user $(id -un) $(id -gn);
worker_processes 1;
daemon off;
pid $tls/nginx.pid;
error_log $tls/error.log warn;
events {
  worker_connections 64;
}
http {
  access_log off;
  client_body_temp_path $tls/client_body;
  proxy_temp_path $tls/proxy;
  fastcgi_temp_path $tls/fastcgi;
  uwsgi_temp_path $tls/uwsgi;
  scgi_temp_path $tls/scgi;
  default_type application/octet-stream;
  ssl_protocols TLSv1.2 TLSv1.3;
  server {
    listen 127.0.0.1:$tls_port ssl;
    ssl_certificate $tls/good.pem;
    ssl_certificate_key $tls/good.key;
    location /files/ {
      alias $work/root/;
    }
  }
}
CONF
  rm -f "$tls/nginx.pid"
  /usr/sbin/nginx -p "$tls/" -c "$tls/nginx.conf" -e "$tls/error.log" </dev/null >"$tls/nginx.out" 2>&1 &
  echo $! > "$tls/pid"
  for _ in $(seq 100); do
    [ ! -s "$tls/nginx.pid" ] || break 2
    kill -0 "$(cat "$tls/pid")" 2>/dev/null || break
    sleep 0.05
  done
  sh tests/nginx/stop-nginx.sh "$tls"
  grep -q 'Address already in use' "$tls/error.log" 2>/dev/null || break
done
[ -s "$tls/nginx.pid" ] || { echo "nginx (https) did not start:" >&2; cat "$tls/nginx.out" "$tls/error.log" >&2; exit 1; }
tls_base=https://localhost:$tls_port
# curl knows "localhost" without asking the resolver, as ::1 too: only 127.0.0.1.
tls_curl=(--cacert "$tls/ca.pem" --resolve "localhost:$tls_port:127.0.0.1")
tls_cipher=$(curl -sS -v -I -o /dev/null "${tls_curl[@]}" "$tls_base/files/plain.bin" 2>&1 | sed -n 's/^\* SSL connection using //p')

results=$work/results
: > "$results"

# measure CASE COLUMN COMMAND...: one timed run, its figures and the size of
# $out appended to the results.
out=$work/out/file
measure() {
  local case=$1 column=$2
  shift 2
  if ! /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" 2>"$work/stderr"; then
    echo "$column failed on $case:" >&2
    cat "$work/stderr" "$work/time" >&2
    exit 1
  fi
  echo "$case $column $(tail -n 1 "$work/time") $(stat -c %s "$out")" >> "$results"
}

# The raw reply to one request, copied from the socket 8 KiB at a time:
# "${floor_copy[@]}" PATH FILE.
floor_copy=(bash -c 'exec 3<>"/dev/tcp/127.0.0.1/$0" &&
  printf "GET %s HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept-Encoding: gzip\r\nConnection: close\r\n\r\n" "$1" >&3 &&
  dd bs=8k conv=fsync status=none of="$2" <&3' "$port")

# check FILE SIZE [REFERENCE]: the download is complete (and, when given, the same bytes).
check() {
  local size
  size=$(stat -c %s "$1")
  [ "$size" -eq "$2" ] || { echo "$1: $size bytes, $2 expected" >&2; exit 1; }
  [ -z "${3:-}" ] || cmp -s "$1" "$3" || { echo "$1 differs from $3" >&2; exit 1; }
}

# settle: deletes the run's file and lets the disk catch up, untimed.
settle() {
  rm -f "$work/out/"*
  sync
}

echo "== $rounds rounds of: selvane-fetch, curl, curl+fsync, floor (plain, gzip, chunked, https)"
for round in $(seq "$rounds"); do
  for case in plain gzip chunked https; do
    url_base=$base fetch_extra=()
    case $case in
      plain) path=/files/plain.bin; curl_extra=(); expected=$((size_mib * 1024 * 1024)) ;;
      gzip) path=/static/text.txt; curl_extra=(--compressed); expected=$text_size ;;
      chunked) path=/chunked/plain.bin; curl_extra=(); expected=$((size_mib * 1024 * 1024)) ;;
      https) path=/files/plain.bin; url_base=$tls_base; fetch_extra=(--trust-ca "$tls/ca.pem")
             curl_extra=("${tls_curl[@]}"); expected=$((size_mib * 1024 * 1024)) ;;
    esac
    reference=  # the first round also compares the bytes
    if [ "$round" -eq 1 ]; then
      reference=$work/root/plain.bin
      [ "$case" != gzip ] || reference=$work/text.txt
    fi

    measure "$case" selvane-fetch "$fetch" -q "${fetch_extra[@]}" "$url_base$path" "$out"
    check "$out" "$expected" "$reference"
    settle
    measure "$case" curl curl -s --fail "${curl_extra[@]}" -o "$out" "$url_base$path"
    check "$out" "$expected" "$reference"
    settle
    measure "$case" curl+fsync sh -c 'curl -s --fail "$@" && sync "$0"' "$out" "${curl_extra[@]}" -o "$out" "$url_base$path"
    check "$out" "$expected"
    settle
    if [ "$case" != https ]; then
      measure "$case" floor "${floor_copy[@]}" "$path" "$out"
      settle
    fi
  done
  echo "   round $round of $rounds done"
done

echo "== Peak memory of selvane-fetch by file size (median of 3)"
for mib in "${memory_sizes_mib[@]}"; do
  head -c "$((mib * 1024 * 1024))" /dev/urandom > "$work/root/sized.bin"
  for _ in 1 2 3; do
    measure "plain-${mib}MiB" selvane-fetch "$fetch" -q "$base/files/sized.bin" "$out"
    check "$out" "$((mib * 1024 * 1024))"
    settle
  done
  rm "$work/root/sized.bin"
done

echo
echo "selvane-fetch $(git rev-parse --short HEAD), $(curl --version | head -n 1 | cut -d' ' -f1-2), $(/usr/sbin/nginx -v 2>&1 | cut -d' ' -f3)"
echo "$(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'); ${size_mib} MiB files, median of $rounds runs"
echo "https: ${tls_cipher:-protocol and cipher unknown}"
/usr/bin/python3 - "$results" <<'EOF'
import statistics
import sys

rows = {}
for line in open(sys.argv[1]):
    case, column, wall, user, system, rss, size = line.split()
    # wall s, cpu s, peak MiB, MiB/s (a run too short for the clock's 10 ms counts as 10 ms)
    rows.setdefault(case, {}).setdefault(column, []).append(
        (float(wall), float(user) + float(system), int(rss) / 1024, int(size) / 1048576 / max(float(wall), 0.01)))

columns = ["selvane-fetch", "curl", "curl+fsync", "floor"]
print()
print("%-10s %-12s" % ("case", "median") + "".join("%15s" % c for c in columns) + "%15s" % "fetch/curl")
for case in ("plain", "gzip", "chunked", "https"):
    for index, label, unit in ((0, "wall s", "%.3f"), (1, "cpu s", "%.3f"), (2, "peak MiB", "%.1f"), (3, "MiB/s", "%.0f")):
        values = {c: statistics.median(r[index] for r in rows[case][c]) for c in columns if c in rows[case]}
        ratio = values["selvane-fetch"] / values["curl"] if values["curl"] else float("nan")
        print("%-10s %-12s" % (case, label) + "".join("%15s" % (unit % values[c] if c in values else "n/a")
                                                      for c in columns) + "%15.2f" % ratio)
print()
print("selvane-fetch peak memory by plain file size:")
for case, columns_of in rows.items():
    if case.startswith("plain-"):
        runs = columns_of["selvane-fetch"]
        print("  %-14s %.1f MiB (wall %.3f s)" % (case[len("plain-"):], statistics.median(r[2] for r in runs),
                                               statistics.median(r[0] for r in runs)))
EOF
