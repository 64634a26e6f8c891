#!/bin/sh
# Starts or stops a throwaway PostgreSQL server for the call-log tests.
#   pg-throwaway.sh start STATEFILE   initdb + start on a unix socket in a new temp dir,
#                                     then write PGHOST and PGPORT into STATEFILE
#   pg-throwaway.sh stop STATEFILE    stop the server and remove its temp dir
# PostgreSQL refuses to run as root, so as root the server runs as the user "nobody".
set -eu

PGBIN=${PGBIN:-/usr/lib/postgresql/15/bin}
action=${1:-}
state=${2:-}
[ -n "$action" ] && [ -n "$state" ] || { echo "usage: $0 start|stop STATEFILE" >&2; exit 2; }

as_server() {
    if [ "$(id -u)" = 0 ]; then
        runuser -u nobody -- "$@"
    else
        "$@"
    fi
}

case "$action" in
start)
    dir=$(mktemp -d /tmp/ringvane-pg.XXXXXX)
    chmod 755 "$dir"
    if [ "$(id -u)" = 0 ]; then chown nobody "$dir"; fi
    cd "$dir"
    if ! as_server "$PGBIN/initdb" -D "$dir/data" -U ringvane -A trust -E UTF8 --no-locale \
            --no-sync >"$dir/initdb.log" 2>&1; then
        cat "$dir/initdb.log" >&2
        rm -rf "$dir"
        exit 1
    fi
    if ! as_server "$PGBIN/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 start \
            -o "-c listen_addresses='' -c unix_socket_directories='$dir' -c port=5432 -c fsync=off -c max_connections=30" \
            >/dev/null 2>&1; then
        cat "$dir/server.log" >&2 || true
        rm -rf "$dir"
        exit 1
    fi
    printf 'PGHOST=%s\nPGPORT=5432\n' "$dir" >"$state"
    echo "PostgreSQL started in $dir"
    ;;
stop)
    [ -f "$state" ] || exit 0
    dir=$(sed -n 's/^PGHOST=//p' "$state")
    case "$dir" in /tmp/ringvane-pg.*) ;; *) echo "unexpected state file $state" >&2; exit 1 ;; esac
    cd /
    as_server "$PGBIN/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
    rm -rf "$dir"
    rm -f "$state"
    ;;
*)
    echo "usage: $0 start|stop STATEFILE" >&2
    exit 2
    ;;
esac
