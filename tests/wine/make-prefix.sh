#!/bin/sh
# Makes a fresh Wine prefix, set up for the launcher: make-prefix.sh PREFIX
# Wine draws on $DISPLAY (the prefix's wineserver must not be running).
set -eu
prefix=$1
here=$(dirname "$0")
rm -rf "$prefix"
mkdir -p "$prefix"
run() { sh "$here/run-in-wine.sh" "$prefix" "$@"; }
run wineboot -i >/dev/null 2>&1
# The launcher asks for "맑은 고딕", which Linux does not have: draw it with an installed Korean font.
run reg add 'HKCU\Software\Wine\Fonts\Replacements' /v '맑은 고딕' /d 'NanumGothic' /f >/dev/null
# Calls the tests watch through Wine's relay channel (only traced when WINEDEBUG asks for +relay).
run reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /f \
    /d 'user32.SetTimer;user32.KillTimer;user32.MessageBoxA;user32.SetWindowPos;shell32.ShellExecuteA' >/dev/null
# A crashing test program fails its test; no dialog waits for a click.
run reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
WINEPREFIX=$prefix /usr/lib/wine/wineserver -w
echo "Wine prefix ready: $prefix"
