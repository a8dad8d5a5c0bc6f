#!/bin/sh
# Ends the wineserver of a test run's prefix and everything still running in it.
WINEPREFIX=$1 /usr/lib/wine/wineserver -k 2>/dev/null
exit 0
