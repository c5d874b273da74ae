#!/bin/bash
# Prepares a PostgreSQL server for a team's journal: the database, the role
# kestrel_tool (reading and adding only), a login for each engineer named
# (a member of kestrel_tool), and the schema, made by Kestrel's own
# kestrel-teamjournal. Run it where psql reaches the server as a role that
# may make databases and roles, e.g. `sudo -u postgres scripts/team-server.sh
# anna ben`, or with PGHOST, PGPORT and PGUSER set. Running it again is
# harmless; after an update of Kestrel it migrates the schema.
#   team-server.sh [-d DATABASE] [-t PATH-OF-kestrel-teamjournal] ENGINEER...
set -euo pipefail
cd "$(dirname "$0")/.."

database=kestrel
tool=""
while getopts "d:t:" option; do
    case $option in
        d) database=$OPTARG ;;
        t) tool=$OPTARG ;;
        *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
if [[ -z $tool ]]; then
    for candidate in build/OPSHELM32/30000/ADDINS/kestrel-teamjournal \
        /usr/lib/kestrel/OPSHELM32/30000/ADDINS/kestrel-teamjournal; do
        if [[ -x $candidate ]]; then
            tool=$candidate
            break
        fi
    done
fi
if [[ -z $tool || ! -x $tool ]]; then
    echo "team-server: kestrel-teamjournal not found; build Kestrel or name it with -t" >&2
    exit 1
fi
if [[ ! $database =~ ^[a-z_][a-z0-9_]*$ ]]; then
    echo "team-server: '$database' is not a plain database name" >&2
    exit 2
fi

psql=(psql -X -q -v ON_ERROR_STOP=1 -d postgres)
"${psql[@]}" -c "DO \$\$ BEGIN
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'kestrel_tool') THEN
        CREATE ROLE kestrel_tool NOLOGIN;
    END IF;
END \$\$"
if [[ -z $("${psql[@]}" -tAc "SELECT 1 FROM pg_database WHERE datname = '$database'") ]]; then
    "${psql[@]}" -c "CREATE DATABASE $database"
fi
for engineer in "$@"; do
    if [[ ! $engineer =~ ^[a-z_][a-z0-9_]*$ ]]; then
        echo "team-server: '$engineer' is not a plain login name; left out" >&2
        continue
    fi
    "${psql[@]}" -c "DO \$\$ BEGIN
        IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = '$engineer') THEN
            CREATE ROLE $engineer LOGIN;
        END IF;
    END \$\$; GRANT kestrel_tool TO $engineer"
done
"$tool" prepare "dbname=$database"
cat <<TEXT
The team journal is ready in the database '$database'.
- Give each engineer a password: psql -c '\\password ENGINEER'.
- Each engineer keeps it in ~/.pgpass (HOST:PORT:$database:ENGINEER:PASSWORD, mode 0600)
  and names the server in ~/.config/Kestrel.ini:
    [TeamJournal]
    Host=HOST
    Port=PORT
    Database=$database
    User=ENGINEER
    Tls=require      (or prefer: TLS when the server offers it)
TEXT
