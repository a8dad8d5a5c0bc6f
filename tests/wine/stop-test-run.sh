#!/bin/sh
# Ends a test run's Windows side: the prefix's wineserver with everything still
# running in it, then the run's Xvfb.
#   stop-test-run.sh PREFIX
prefix=$1
[ -d "$prefix" ] && WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null
if [ -f "$prefix.xvfb-pid" ]; then
  kill "$(cat "$prefix.xvfb-pid")" 2>/dev/null
  rm -f "$prefix.xvfb-pid" "$prefix.display"
fi
exit 0
