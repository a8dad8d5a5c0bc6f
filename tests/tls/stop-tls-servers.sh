#!/bin/sh
# Stops the secure download tests' nginx by its pid.
sh "$(dirname "$0")/../nginx/stop-nginx.sh" "$1/nginx"
