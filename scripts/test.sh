#!/usr/bin/env bash
# Builds everything (native, Windows x86_64 and the shipped Windows i686 launcher)
# and runs every test: natively, and the Windows build's under Wine and Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
for preset in native win64 win32; do
  echo "== build: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

echo "== shipped launcher: build/win32/launcher/selvane.exe"
status=0
for preset in native win64; do
  echo "== tests: $preset"
  ctest --preset "$preset" -j "$jobs" || status=1
done
exit $status
