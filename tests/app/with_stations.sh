#!/bin/bash
# with_stations.sh PROGRAM [ARGS...]: runs PROGRAM with a private PostgreSQL
# server, a private print server and two private X servers with a window
# manager each (HOXA_DISPLAY_A, HOXA_DISPLAY_B); exits 77 when one is missing.
set -u
command -v xdotool >/dev/null || { echo "with_stations: xdotool missing" >&2; exit 77; }
tests=$(cd "$(dirname "$0")/.." && pwd)
x="$tests/support/with_xserver.sh"
exec "$tests/journal/with_postgres.sh" "$tests/print/with_cupsd.sh" "$x" \
    bash -c 'HOXA_DISPLAY_A=$DISPLAY exec "$0" bash -c '\''HOXA_DISPLAY_B=$DISPLAY exec "$@"'\'' _ "$@"' "$x" "$@"
