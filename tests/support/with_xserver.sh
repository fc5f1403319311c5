#!/bin/bash
# Runs a test program on a private X server with a window manager, for what only
# a real window manager decides (frame sizes, activation after a dialog closes,
# title bars).
#
#   with_xserver.sh PROGRAM [ARGS...]
#
# Starts Xvfb on a display number it picks itself (-displayfd), then openbox with
# its stock configuration, and runs PROGRAM with DISPLAY set to that server and
# QT_QPA_PLATFORM=xcb.  Both are stopped by their process ids however the script
# ends; the machine's own display is never used.  Exits 77 (skipped) when Xvfb
# or openbox is missing.
set -u
[ $# -ge 1 ] || { echo "usage: $0 PROGRAM [ARGS...]" >&2; exit 2; }
command -v Xvfb >/dev/null && command -v openbox >/dev/null && command -v xprop >/dev/null \
    || { echo "with_xserver: Xvfb, openbox or xprop missing" >&2; exit 77; }

root=$(mktemp -d /tmp/hoxa-x.XXXXXX) || exit 1
xpid= wmpid=
cleanup() {
    for p in $wmpid $xpid; do
        kill -TERM "$p" 2>/dev/null
        for _ in $(seq 1 30); do kill -0 "$p" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$p" 2>/dev/null
    done
    case "$root" in /tmp/hoxa-x.*) rm -rf "$root" ;; esac
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

exec 3>"$root/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset >"$root/xvfb.log" 2>&1 &
xpid=$!
exec 3>&-
for _ in $(seq 1 100); do
    [ -s "$root/display" ] && break
    kill -0 "$xpid" 2>/dev/null || break
    sleep 0.05
done
[ -s "$root/display" ] || { echo "with_xserver: Xvfb did not start" >&2; cat "$root/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$root/display")"

# openbox with the stock configuration, its files kept in the private folder.
mkdir -p "$root/config" "$root/cache"
XDG_CONFIG_HOME="$root/config" XDG_CACHE_HOME="$root/cache" HOME="$root" \
    openbox --sm-disable >"$root/openbox.log" 2>&1 &
wmpid=$!
for _ in $(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    kill -0 "$wmpid" 2>/dev/null || break
    sleep 0.05
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' \
    || { echo "with_xserver: openbox did not start" >&2; cat "$root/openbox.log" >&2; exit 1; }

export QT_QPA_PLATFORM=xcb
"$@"
