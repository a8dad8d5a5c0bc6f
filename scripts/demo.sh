#!/usr/bin/env bash
# The main job: the launcher against the bundled update server, under Wine.
#
# Builds the launcher, the demo target program (two versions) and the update
# server; publishes version 1.0 and runs the launcher in a fresh launcher
# folder: the first run downloads the target with the progress bar and its
# confirm button starts it; the second run finds it current and starts it at
# once; then version 2.0 is published and a third run updates it.
#
# In your display (DISPLAY set) you press the confirm button yourself; without
# one, a virtual display is used and the script presses it. Screenshots of
# each state are saved and their paths printed. Everything started here is
# stopped by its pid at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/install-deps.sh
jobs=$(nproc)
cmake --preset native >/dev/null
cmake --build --preset native --target selvane_serve -j "$jobs"
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target selvane demo_target_10 demo_target_20 -j "$jobs"

port=18473  # the test build's update server: 127.0.0.1:18473
work="$root/build/demo"
prefix="$work/wine-prefix"
folder="$work/launcher-folder"
shots="$work/screenshots"
rm -rf "$folder" "$shots"
mkdir -p "$folder" "$shots"
cp build/win64/launcher/selvane.exe "$folder/"

xvfb="" server="" launcher=""
cleanup() {  # the launcher and the rest of Wine first, then the display they draw on
  [ -z "$launcher" ] || kill "$launcher" 2>/dev/null || true
  [ -z "$server" ] || kill "$server" 2>/dev/null || true
  WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT

own_display=false
if [ -z "${DISPLAY:-}" ]; then
  own_display=true
  DISPLAY=$(sh tests/wine/start-xvfb.sh "$work/xvfb.pid")
  export DISPLAY
  xvfb=$(cat "$work/xvfb.pid")
fi
WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
[ -d "$prefix/drive_c" ] || sh tests/wine/make-prefix.sh "$prefix"

publish() {  # publish VERSION: the update server offers that release
  [ -z "$server" ] || { kill "$server"; wait "$server" 2>/dev/null || true; }
  build/native/server/selvane-serve --folder "build/win64/demo-release-$1" --version "$1" --file demo-target.exe \
    --port "$port" 2>>"$work/selvane-serve.log" &
  server=$!
  for _ in $(seq 50); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && return 0
    kill -0 "$server" 2>/dev/null || { cat "$work/selvane-serve.log" >&2; exit 1; }
    sleep 0.1
  done
  echo "selvane-serve did not start" >&2
  exit 1
}

wait_for_window() {  # wait_for_window TITLE: its X window id
  for _ in $(seq 300); do
    found=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1 || true)
    [ -n "$found" ] && { echo "$found"; return 0; }
    sleep 0.1
  done
  echo "no window \"$1\" appeared" >&2
  exit 1
}

shot() {  # shot NAME: a screenshot of the screen
  sleep 0.5
  import -window root "$shots/$1.png"
  echo "screenshot: $shots/$1.png"
}

start_launcher() {
  (cd "$folder" && exec sh "$root/tests/wine/run-in-wine.sh" "$prefix" "$folder/selvane.exe") &
  launcher=$!
}

close_target() {  # the demo target holds its file open: it must end before the next update
  for pid in $(pgrep -f 'launcher-folder.demo-target\.exe' || true); do kill "$pid" 2>/dev/null || true; done
  for _ in $(seq 50); do pgrep -f 'launcher-folder.demo-target\.exe' >/dev/null || return 0; sleep 0.1; done
}

wait_for_exit() {  # the launcher ends once it has started the target
  for _ in $(seq 300); do kill -0 "$launcher" 2>/dev/null || { wait "$launcher" || true; launcher=""; return 0; }; sleep 0.1; done
  echo "the launcher did not end; see the last screenshot" >&2
  exit 1
}

update_run() {  # update_run STEP: a run that downloads, then the confirm button
  start_launcher
  window=$(wait_for_window Form1)
  for _ in $(seq 300); do grep -q "ver=$version" "$folder/app_ver_conf.ini" 2>/dev/null && break; sleep 0.1; done
  shot "$1-downloaded"
  grep -q "ver=$version" "$folder/app_ver_conf.ini" || { echo "the download did not finish; see the screenshot" >&2; exit 1; }
  if $own_display; then
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove $((X + 159)) $((Y + 83)) click 1  # the confirm button
  else
    echo "Press the confirm button (확인) in the launcher window."
    while kill -0 "$launcher" 2>/dev/null; do sleep 0.2; done
  fi
  wait_for_exit
  wait_for_window "selvane demo target, version $version" >/dev/null
  shot "$1-target-started"
  close_target
}

version=1.0
publish "$version"
echo "== first run: version $version is downloaded"
update_run 1

echo "== second run: version $version is current and starts at once"
start_launcher
wait_for_window "selvane demo target, version $version" >/dev/null
wait_for_exit
shot 2-current-target-started
close_target

version=2.0
publish "$version"
echo "== third run: version $version is published and downloaded"
update_run 3

echo "launcher folder: $folder"
cat "$folder/app_ver_conf.ini"
