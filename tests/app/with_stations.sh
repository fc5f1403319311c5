#!/bin/bash
# Runs a test program with what two packing stations share and own: a private
# PostgreSQL server (tests/journal/with_postgres.sh), a private print server
# (tests/print/with_cupsd.sh) and two private X servers with a window manager
# each (tests/support/with_xserver.sh twice), named by HOXA_DISPLAY_A and
# HOXA_DISPLAY_B.  Exits 77 (skipped) when one of them cannot be had.
#
#   with_stations.sh PROGRAM [ARGS...]
set -u
[ $# -ge 1 ] || { echo "usage: $0 PROGRAM [ARGS...]" >&2; exit 2; }
command -v xdotool >/dev/null || { echo "with_stations: xdotool missing" >&2; exit 77; }
tests=$(cd "$(dirname "$0")/.." && pwd)
x="$tests/support/with_xserver.sh"
exec "$tests/journal/with_postgres.sh" "$tests/print/with_cupsd.sh" "$x" \
    bash -c 'HOXA_DISPLAY_A=$DISPLAY exec "$0" bash -c '\''HOXA_DISPLAY_B=$DISPLAY exec "$@"'\'' _ "$@"' "$x" "$@"
