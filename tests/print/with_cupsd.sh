#!/bin/bash
# Runs a test program against a private CUPS server of its own.
#
#   with_cupsd.sh PROGRAM [ARGS...]
#
# Starts cupsd in a fresh folder from mktemp -d (etc, spool, cache, state, log,
# out), listening on a socket in that folder and on 127.0.0.1 at a free port,
# creates two queues and runs PROGRAM with:
#   CUPS_SERVER=127.0.0.1:PORT   CUPS_SERVERROOT=<folder>/etc   HOME=<folder>
#   HOXA_CUPS_DIR      the private folder
#   HOXA_CUPS_OUT      folder the queues write their output files into
#   HOXA_CUPS_PDF      "hoxa_pdf": generic PDF printer, output <out>/hoxa_pdf.out,
#                      the server's default printer
#   HOXA_CUPS_DOT      "hoxa_dot": Epson 24-Pin Series with InputSlot Tractor/Manual,
#                      the form size Waybill4in and Resolution=180dpi,
#                      output <out>/hoxa_dot.out
#   HOXA_CUPS_PDF_PPD  the generic PDF printer's PPD, for queues a test adds
#   HOXA_CUPS_DOT_PPD  the dot-matrix queue's PPD, likewise
# The exit status is PROGRAM's.  cupsd is stopped by its process id and the
# folder removed however the script ends.  The machine's own CUPS is never used.
set -u

here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 1 ] || { echo "usage: $0 PROGRAM [ARGS...]" >&2; exit 2; }

cupsd_bin=$(command -v cupsd || echo /usr/sbin/cupsd)
[ -x "$cupsd_bin" ] || { echo "with_cupsd: no cupsd" >&2; exit 77; }

root=$(mktemp -d /tmp/hoxa-cupsd.XXXXXX) || exit 1
pid=
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill -TERM "$pid" 2>/dev/null
        for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null
    fi
    case "$root" in /tmp/hoxa-cupsd.*) rm -rf "$root" ;; esac
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

mkdir -p "$root"/{etc/ppd,spool/tmp,cache,state,log,out}
# Filters run as lp and must reach the spool and output folders.
chmod 755 "$root" "$root/out"
chmod 1777 "$root/spool/tmp"
chown lp "$root/out" 2>/dev/null

# A free port: bind port 0 and take what the kernel gives.
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])' 2>/dev/null)
if [ -z "$port" ]; then
    port=$(( 20000 + RANDOM % 30000 ))
fi
sock="$root/cupsd.sock"

cat > "$root/etc/cups-files.conf" <<CONF
ServerRoot $root/etc
RequestRoot $root/spool
TempDir $root/spool/tmp
CacheDir $root/cache
StateDir $root/state
ErrorLog $root/log/error_log
AccessLog $root/log/access_log
PageLog $root/log/page_log
FileDevice Yes
User lp
Group lp
SystemGroup root
CONF

cat > "$root/etc/cupsd.conf" <<CONF
LogLevel warn
Listen $sock
Listen 127.0.0.1:$port
Browsing Off
DefaultAuthType None
DefaultEncryption Never
WebInterface No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess default
  JobPrivateValues default
  SubscriptionPrivateAccess default
  SubscriptionPrivateValues default
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
CONF

export CUPS_SERVERROOT="$root/etc"
setsid "$cupsd_bin" -f -c "$root/etc/cupsd.conf" -s "$root/etc/cups-files.conf" \
    >"$root/log/cupsd.out" 2>&1 &
pid=$!
# Should this script itself be killed outright (no trap runs), a watchdog in its
# own session stops cupsd and removes the folder once the script is gone.
setsid bash -c 'while kill -0 "$1" 2>/dev/null; do sleep 1; done
    ours() { tr "\\0" " " < "/proc/$1/cmdline" 2>/dev/null | grep -qF "$2"; }
    ours "$2" "$3" && kill -TERM "$2" 2>/dev/null; sleep 1
    ours "$2" "$3" && kill -KILL "$2" 2>/dev/null
    case "$3" in /tmp/hoxa-cupsd.*) rm -rf "$3" ;; esac' watchdog $$ "$pid" "$root" \
    </dev/null >/dev/null 2>&1 &

ready=
for _ in $(seq 1 100); do
    if [ -S "$sock" ] && (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then ready=1; break; fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
done
if [ -z "$ready" ]; then
    echo "with_cupsd: cupsd did not start" >&2
    cat "$root/log/cupsd.out" "$root/log/error_log" >&2 2>/dev/null
    exit 1
fi

export CUPS_SERVER="127.0.0.1:$port"
export HOME="$root"
export HOXA_CUPS_DIR="$root" HOXA_CUPS_OUT="$root/out" HOXA_CUPS_PDF=hoxa_pdf HOXA_CUPS_DOT=hoxa_dot

fail() { echo "with_cupsd: $*" >&2; cat "$root/log/lpadmin" "$root/log/error_log" >&2 2>/dev/null; exit 1; }

pdf_ppd=
for f in /usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd /usr/share/cups/model/Generic-PDF_Printer-PDF.ppd; do
    [ -f "$f" ] && { pdf_ppd=$f; break; }
done
[ -n "$pdf_ppd" ] || fail "no generic PDF printer PPD"
export HOXA_CUPS_PDF_PPD="$pdf_ppd"
ppdc -d "$root/etc/ppd" "$here/data/hoxa-epson24.drv" >/dev/null 2>&1 \
    && [ -f "$root/etc/ppd/hoxa-epson24.ppd" ] || fail "ppdc failed"
export HOXA_CUPS_DOT_PPD="$root/etc/ppd/hoxa-epson24.ppd"

lpadmin -p hoxa_pdf -E -v "file://$root/out/hoxa_pdf.out" -P "$pdf_ppd" \
    -D "Generic PDF" -L "Test bench" 2>>"$root/log/lpadmin" || fail "lpadmin hoxa_pdf"
lpadmin -p hoxa_dot -E -v "file://$root/out/hoxa_dot.out" -P "$root/etc/ppd/hoxa-epson24.ppd" \
    -o Resolution=180dpi -D "Dot matrix" -L "Shop counter" 2>>"$root/log/lpadmin" || fail "lpadmin hoxa_dot"
lpadmin -d hoxa_pdf || fail "lpadmin -d"

"$@"
