#!/bin/sh
# Starts a test run's Windows side: an Xvfb display of its own on a free
# display number and a fresh Wine prefix that draws there.
#   start-test-run.sh PREFIX
# Every Wine process of one prefix shares one desktop, bound to the display of
# the first one, so all of the run's Windows programs use this display: the
# display name is kept in PREFIX.display, the Xvfb pid in PREFIX.xvfb-pid.
set -eu
prefix=$1
here=$(dirname "$0")
sh "$here/stop-test-run.sh" "$prefix"

display=$(sh "$here/start-xvfb.sh" "$prefix.xvfb-pid")
echo "$display" > "$prefix.display"
echo "Xvfb on $display (pid $(cat "$prefix.xvfb-pid"))"
DISPLAY=$display sh "$here/make-prefix.sh" "$prefix"
