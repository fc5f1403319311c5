#!/bin/bash
# Runs a program against a private PostgreSQL server of its own.
#
#   with_postgres.sh PROGRAM [ARGS...]
#
# Makes a database cluster with initdb in a fresh folder from mktemp -d and starts
# it listening only on a unix socket in that folder (no TCP), as the postgres
# user when started as root (the server refuses to run as root).  Local
# connections are trusted, except for the user hoxa_pw, who needs the password
# "secret".  Runs PROGRAM with:
#   HOXA_PG_ADMIN   connection string of the superuser "postgres" to the database
#                   "postgres" (tests make a database of their own with it)
#   HOXA_PG_SOCKET  the socket folder, HOXA_PG_PORT its port number
#   HOXA_PG_CTL     pg_ctl of this cluster, as its user: "$HOXA_PG_CTL stop -m
#                   immediate" and "$HOXA_PG_CTL start" stop and start it
#   HOME            the folder (so that no ~/.pgpass of the machine is read)
# The exit status is PROGRAM's.  The server is stopped and the folder removed
# however the script ends.
set -u

[ $# -ge 1 ] || { echo "usage: $0 PROGRAM [ARGS...]" >&2; exit 2; }
bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n1)
[ -n "$bindir" ] && [ -x "$bindir/initdb" ] || { echo "with_postgres: no PostgreSQL server installed" >&2; exit 77; }

root=$(mktemp -d /tmp/hoxa-pg.XXXXXX) || exit 1
chmod 755 "$root"
data="$root/data"
sock="$root/run"
port=55432
mkdir "$data" "$sock"
as_owner=()
if [ "$(id -u)" -eq 0 ]; then
    as_owner=(runuser -u postgres --)
    chown postgres: "$data" "$sock"
fi
ctl="${as_owner[*]} $bindir/pg_ctl -D $data -l $data/server.log -w -t 20"

cleanup() {
    $ctl stop -m immediate >/dev/null 2>&1
    case "$root" in /tmp/hoxa-pg.*) rm -rf "$root" ;; esac
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

"${as_owner[@]}" "$bindir/initdb" -D "$data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 --no-sync \
    >"$root/initdb.log" 2>&1 || { echo "with_postgres: initdb failed" >&2; cat "$root/initdb.log" >&2; exit 1; }
cat >>"$data/postgresql.conf" <<CONF
listen_addresses = ''
unix_socket_directories = '$sock'
port = $port
max_connections = 40
shared_buffers = 32MB
CONF
printf 'local all hoxa_pw scram-sha-256\nlocal all all trust\n' >"$data/pg_hba.conf"

$ctl start >/dev/null 2>&1 || { echo "with_postgres: the server did not start" >&2; cat "$data/server.log" >&2; exit 1; }
# Should this script be killed outright (no trap runs), a watchdog in its own
# session stops the server and removes the folder once the script is gone.
setsid bash -c 'while kill -0 "$1" 2>/dev/null; do sleep 1; done
    $2 stop -m immediate >/dev/null 2>&1
    case "$3" in /tmp/hoxa-pg.*) rm -rf "$3" ;; esac' watchdog $$ "$ctl" "$root" \
    </dev/null >/dev/null 2>&1 &

admin="host=$sock port=$port user=postgres dbname=postgres"
psql -X -q -v ON_ERROR_STOP=1 "$admin" -c "CREATE ROLE hoxa_pw LOGIN PASSWORD 'secret'" >/dev/null \
    || { echo "with_postgres: could not create the password user" >&2; exit 1; }

export HOXA_PG_ADMIN="$admin" HOXA_PG_SOCKET="$sock" HOXA_PG_PORT="$port" HOXA_PG_CTL="$ctl" HOME="$root"
unset PGPASSWORD PGSERVICE PGHOST PGPORT PGUSER PGDATABASE
"$@"
