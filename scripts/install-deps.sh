#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing selvane need.
# Idempotent: only packages that are missing are fetched.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev googletest zlib1g-dev libssl-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine64
  xvfb xdotool x11-utils imagemagick fonts-nanum fonts-dejavu-core locales
  python3 python3-pil
  libcpp-httplib-dev
  nginx time
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine's ANSI code page follows the locale; the launcher's tests run with ko_KR.UTF-8 (code page 949).
if ! locale -a 2>/dev/null | grep -qi '^ko_KR\.utf-\?8$'; then
  "${sudo_cmd[@]}" sed -i 's/^# *\(ko_KR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ko_KR.UTF-8 UTF-8' /etc/locale.gen || echo 'ko_KR.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
