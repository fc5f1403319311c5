#!/bin/bash
# Whole-process start-up of the program beside a bare Qt 6 window of about 60
# widgets: from exec until the window is mapped, under a private Xvfb and a
# private print server (tests/print/with_cupsd.sh: two queues, so the printer
# list and the PPD the program reads at start are real).
#
#   bench/app/startup_process.sh [BUILD_DIR] [ROUNDS]      (defaults: build 30)
#
# Each round starts, in turn, the program (hand-fed feed registered on the dot
# queue), the bare window and the bare window with Japanese captions, each under
# build/bench/app/mapwait, which notes the time to the first mapped window and
# the process's peak resident memory (ru_maxrss) and CPU time, and kills it.  Alternating
# keeps a busy machine from favouring one side.  Prints the medians and the
# program's ratios to both bare windows.  With hyperfine installed (Debian
# package "hyperfine") the same three commands are also timed by hyperfine
# (whole command, mapwait included) and its ratio of medians is printed.
# Needs Xvfb (package xvfb) and python3.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)
rounds=${2:-30}

if [ -z "${HOXA_CUPS_DIR:-}" ]; then
    exec "$src/tests/print/with_cupsd.sh" "$0" "$build" "$rounds"
fi

program=$build/hoxa_Nivora
bare=$build/bench/app/bare_window
mapwait=$build/bench/app/mapwait
for f in "$program" "$bare" "$mapwait"; do
    [ -x "$f" ] || { echo "startup_process: $f is missing; build first" >&2; exit 1; }
done
command -v Xvfb >/dev/null || { echo "startup_process: no Xvfb" >&2; exit 1; }

work=$(mktemp -d /tmp/hoxa-startup.XXXXXX)
xvfb=
finish() {
    if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
    case "$work" in /tmp/hoxa-startup.*) rm -rf "$work" ;; esac
}
trap finish EXIT

# A display of our own: Xvfb picks a free number and writes it to a pipe.
exec 3< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset 2>/dev/null & echo "pid $!")
read -r first <&3
read -r second <&3
for line in "$first" "$second"; do
    case "$line" in pid\ *) xvfb=${line#pid } ;; *) display=$line ;; esac
done
[ -n "${display:-}" ] || { echo "startup_process: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# The program's working folder: a first sender slot and the hand-fed feed on
# the dot queue (the first in the list), as a shop that has registered.
cd "$work"
printf '\r\n\r\n\r\n\r\n\r\n' > my0.txt
printf '[\x8e\xe8\x8d\xb7\x82\xb5]\r\nPrnName=%s\r\nPrnNoIndex=0\r\nhoxPrn_Top=0\r\nhoxPrn_Left=0\r\n' "$HOXA_CUPS_DOT" > hoxa_q310.ini

names=(program bare bare_ja)
cmds=("$program" "$bare" "$bare --japanese")
for n in 0 1 2; do "$mapwait" -- ${cmds[$n]} >/dev/null || exit 1; done  # warm-up
for ((r = 0; r < rounds; r++)); do
    for n in 0 1 2; do "$mapwait" --log "$work/${names[$n]}.log" -- ${cmds[$n]} || exit 1; done
done

python3 - "$work" <<'PY'
import statistics, sys
work = sys.argv[1]
rows = {}
for name in ("program", "bare", "bare_ja"):
    runs = [[float(v) for v in l.split()] for l in open(f"{work}/{name}.log")]
    wall, kib, cpu = (statistics.median(c) for c in zip(*runs))
    rows[name] = (wall, kib / 1024, cpu)
    print(f"{name:8s} to mapped window {wall:6.1f} ms   CPU {cpu:6.1f} ms   peak memory {kib / 1024:5.1f} MiB"
          f"   (medians of {len(runs)} runs)")
p = rows["program"]
for other in ("bare", "bare_ja"):
    o = rows[other]
    print(f"program / {other:7s}: start-up {p[0] / o[0]:.2f}   CPU {p[2] / o[2]:.2f}   peak memory {p[1] / o[1]:.2f}")
PY

if command -v hyperfine >/dev/null; then
    hyperfine -N --warmup 3 --runs "$rounds" --style none --output=inherit --export-json "$work/hf.json" \
        -n program "$mapwait -- $program" -n bare "$mapwait -- $bare" >/dev/null
    python3 - "$work/hf.json" <<'PY'
import json, sys
r = {x["command"]: x["median"] * 1000 for x in json.load(open(sys.argv[1]))["results"]}
print(f"hyperfine (whole command): program {r['program']:.1f} ms, bare {r['bare']:.1f} ms, ratio {r['program'] / r['bare']:.2f}")
PY
fi
