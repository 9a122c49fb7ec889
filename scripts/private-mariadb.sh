#!/usr/bin/env bash
# A throwaway MariaDB server for the GUI tests, in a directory of its own.
#
#   private-mariadb.sh start DIR [PORT]   installs a data directory under DIR, starts the server on
#                                         127.0.0.1:PORT (default 3306) with its socket in DIR, and
#                                         creates the database "gerente" with the table filial
#                                         (row filial_id 2, seq_zelnor 0) and the user mzuser
#                                         (password mz-Test-Pw1) from 127.0.0.1 and localhost
#   private-mariadb.sh sql DIR STATEMENTS runs statements as root over the socket, prints the rows
#   private-mariadb.sh stop DIR           ends the server started in DIR and removes its data
#
# Port 3306 is meant for a private network namespace (unshare -n), where no other server has it.
set -euo pipefail

usage() {
    echo "usage: $0 start DIR [PORT] | sql DIR STATEMENTS | stop DIR" >&2
    exit 2
}

# shellcheck source=lib/process.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/process.sh"

log() { echo "private-mariadb: $*" >&2; }

sql() {
    local dir=$1
    shift
    mariadb --no-defaults --socket="$dir/mysqld.sock" -uroot --batch --skip-column-names -e "$*"
}

server_alive() { [[ -f $1/mysqld.pid ]] && alive "$(cat "$1/mysqld.pid")"; }

start() {
    local dir=$1 port=${2:-3306}
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    if ! mariadb-install-db --no-defaults --datadir="$dir/data" --user="$(id -un)" \
        --auth-root-authentication-method=socket --skip-test-db >"$dir/install.log" 2>&1; then
        log "installing the data directory failed:"
        cat "$dir/install.log" >&2
        return 1
    fi
    local user_opt=()
    [[ $(id -u) == 0 ]] && user_opt=(--user=root)
    mariadbd --no-defaults "${user_opt[@]}" --datadir="$dir/data" --socket="$dir/mysqld.sock" \
        --port="$port" --bind-address=127.0.0.1 --pid-file="$dir/mysqld.pid" \
        --log-error="$dir/err.log" --skip-name-resolve --innodb-buffer-pool-size=16M \
        --skip-log-bin --character-set-server=latin1 >/dev/null 2>&1 </dev/null &
    echo $! >"$dir/mysqld.launcher"
    if ! wait_for 30 mariadb-admin --no-defaults --socket="$dir/mysqld.sock" -uroot ping; then
        log "the server did not come up within 30 s:"
        cat "$dir/err.log" >&2 || true
        return 1
    fi
    sql "$dir" "
        CREATE DATABASE gerente;
        CREATE TABLE gerente.filial (filial_id INT NOT NULL PRIMARY KEY, seq_zelnor INT NULL);
        INSERT INTO gerente.filial VALUES (2, 0);
        CREATE USER 'mzuser'@'127.0.0.1' IDENTIFIED BY 'mz-Test-Pw1';
        CREATE USER 'mzuser'@'localhost' IDENTIFIED BY 'mz-Test-Pw1';
        GRANT ALL ON gerente.* TO 'mzuser'@'127.0.0.1';
        GRANT ALL ON gerente.* TO 'mzuser'@'localhost';"
}

stop() {
    local dir=$1
    [[ -d $dir ]] || return 0
    local pid=""
    if [[ -f $dir/mysqld.pid ]]; then
        pid=$(cat "$dir/mysqld.pid")
    elif [[ -f $dir/mysqld.launcher ]]; then
        pid=$(cat "$dir/mysqld.launcher")
    fi
    # A clean shutdown flushes InnoDB quickly; KILL only when it hangs.
    [[ -n $pid ]] && { end_process "$pid" 20 || log "server $pid did not end"; }
    rm -rf "$dir/data" "$dir"/mysqld.* "$dir"/*.log
    rmdir "$dir" 2>/dev/null || true
}

[[ $# -ge 2 ]] || usage
case $1 in
start) start "$2" "${3:-3306}" ;;
sql)
    [[ $# -ge 3 ]] || usage
    server_alive "$2" || {
        log "no server running in $2"
        exit 1
    }
    sql "$2" "$3"
    ;;
stop) stop "$2" ;;
*) usage ;;
esac
