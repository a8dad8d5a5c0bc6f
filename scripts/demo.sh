#!/usr/bin/env bash
# The main job: builds the launcher and runs it under Wine in a fresh launcher
# folder, in your display when there is one, otherwise in a virtual one. Saves
# a screenshot of the window and prints its path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/install-deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target selvane -j "$(nproc)"

work="$root/build/demo"
prefix="$work/wine-prefix"
folder="$work/launcher-folder"
shots="$work/screenshots"
mkdir -p "$shots"
[ -d "$prefix/drive_c" ] || sh tests/wine/make-prefix.sh "$prefix"
rm -rf "$folder" && mkdir -p "$folder"
cp build/win64/launcher/selvane.exe "$folder/"

xvfb=""
launcher=""
cleanup() {  # the launcher and the rest of Wine first, then the display they draw on
  [ -z "$launcher" ] || kill "$launcher" 2>/dev/null || true
  WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
  [ -z "$xvfb" ] || { kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; } || true
}
trap cleanup EXIT

own_display=false
if [ -z "${DISPLAY:-}" ]; then
  own_display=true
  for n in $(seq 90 189); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
  done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
fi

(cd "$folder" && exec sh "$root/tests/wine/run-in-wine.sh" "$prefix" "$folder/selvane.exe") &
launcher=$!

window=""
for _ in $(seq 300); do
  window=$(xdotool search --name '^Form1$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  kill -0 "$launcher" 2>/dev/null || { echo "the launcher ended before showing its window" >&2; exit 1; }
  sleep 0.1
done
[ -n "$window" ] || { echo "the launcher window did not appear" >&2; exit 1; }
sleep 1
shot="$shots/launcher.png"
import -window "$window" "$shot"
echo "screenshot: $shot"

if $own_display; then
  exit 0
fi
echo "The launcher is running in your display; close it with its X button."
wait "$launcher" || true
