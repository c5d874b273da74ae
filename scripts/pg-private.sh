#!/bin/bash
# A private PostgreSQL server for the tests and benchmarks, in a folder of
# its own: initdb and pg_ctl there, its socket there, TCP on 127.0.0.1 at a
# free port (written to FOLDER/port). The superuser kestrel_admin logs in
# over the socket without a password; TCP logins need one. No root needed;
# as root the server runs as the postgres user, since initdb refuses root.
#   pg-private.sh start FOLDER    (a running server there is stopped first)
#   pg-private.sh stop FOLDER
#   pg-private.sh team FOLDER KESTREL-TEAMJOURNAL ENGINEER...
#     prepares the running server for a team as its administrator does
#     (scripts/team-server.sh); each engineer's password is NAME-pw.
set -euo pipefail

action=${1:?start, stop or team}
folder=${2:?a folder}
bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [[ -z $bindir ]]; then
    echo "pg-private: no PostgreSQL server is installed (scripts/setup.sh installs it)" >&2
    exit 1
fi
as=()
if [[ $(id -u) -eq 0 ]]; then
    as=(runuser -u postgres --)
fi

stop() {
    if [[ -f $folder/data/postmaster.pid ]]; then
        "${as[@]}" "$bindir/pg_ctl" -D "$folder/data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$folder"
}

case $action in
    stop)
        stop
        ;;
    start)
        stop
        mkdir -p "$folder"
        chmod 755 "$folder"
        if [[ ${#as[@]} -gt 0 ]]; then
            chown postgres "$folder"
        fi
        "${as[@]}" "$bindir/initdb" -D "$folder/data" -U kestrel_admin -E UTF8 --locale=C \
            --auth-local=trust --auth-host=scram-sha-256 -N >"$folder/initdb.log" 2>&1 || {
            cat "$folder/initdb.log" >&2
            exit 1
        }
        # A port nobody listens on, from a range of its own per folder.
        port=$((20000 + $(cksum <<<"$folder" | cut -d' ' -f1) % 20000))
        while (echo >"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do
            port=$((port + 1))
        done
        "${as[@]}" "$bindir/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -t 60 \
            -o "-k $folder -p $port -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=200" \
            start >/dev/null || {
            cat "$folder/server.log" >&2
            exit 1
        }
        echo "$port" >"$folder/port"
        ;;
    team)
        tool=${3:?the path of kestrel-teamjournal}
        shift 3
        PGHOST=$folder PGPORT=$(cat "$folder/port") PGUSER=kestrel_admin
        export PGHOST PGPORT PGUSER
        "$(dirname "$0")/team-server.sh" -t "$tool" "$@" >/dev/null
        for engineer in "$@"; do
            psql -X -q -v ON_ERROR_STOP=1 -d postgres -c "ALTER ROLE $engineer PASSWORD '$engineer-pw'"
        done
        ;;
    *)
        echo "pg-private: start, stop or team, not '$action'" >&2
        exit 2
        ;;
esac
