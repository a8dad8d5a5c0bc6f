#!/bin/sh
# Runs a Windows program of the test build under wine64: run-in-wine.sh PREFIX PROGRAM [ARGS...]
# Korean locale, so that Wine's ANSI code page is 949 as on the launcher's users' machines.
WINEPREFIX=$1
shift
export WINEPREFIX
# A test run's programs draw on the run's own display (see start-test-run.sh).
[ -f "$WINEPREFIX.display" ] && DISPLAY=$(cat "$WINEPREFIX.display") && export DISPLAY
export LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
exec /usr/lib/wine/wine64 "$@"
