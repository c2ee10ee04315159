# Sourced by scripts/services: a throwaway MariaDB server for one test run.
# Its data directory and socket live in a fresh temporary folder, it listens
# on 127.0.0.1 at a free port, root has a known password, and
# brindle_stop_mariadb (called on exit) stops it and removes everything.
# The tests find it through the BRINDLE_MYSQL_* variables exported here; a
# test that needs a server of its own to stop starts one the same way
# (uniaccess/testing/throwaway_server.h).

brindle_free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()'
}

brindle_start_mariadb() {
  BRINDLE_MYSQL_DIR=$(mktemp -d /tmp/brindle-mariadb-XXXXXX)
  local data="$BRINDLE_MYSQL_DIR/data"
  local socket="$BRINDLE_MYSQL_DIR/mysqld.sock"
  local port
  port=$(brindle_free_port)
  local user
  user=$(id -un)

  mariadb-install-db --no-defaults --datadir="$data" --user="$user" \
    --auth-root-authentication-method=normal --skip-test-db \
    >"$BRINDLE_MYSQL_DIR/install.log" 2>&1 || {
    cat "$BRINDLE_MYSQL_DIR/install.log" >&2
    return 1
  }

  mariadbd --no-defaults --datadir="$data" --user="$user" --socket="$socket" \
    --port="$port" --bind-address=127.0.0.1 --skip-name-resolve \
    --pid-file="$BRINDLE_MYSQL_DIR/mysqld.pid" --log-error="$BRINDLE_MYSQL_DIR/error.log" \
    --innodb-buffer-pool-size=64M --skip-log-bin >"$BRINDLE_MYSQL_DIR/server.out" 2>&1 &
  BRINDLE_MYSQL_PID=$!

  local tries=0
  until mariadb-admin --no-defaults --socket="$socket" -uroot ping >/dev/null 2>&1; do
    tries=$((tries + 1))
    if ((tries > 300)) || ! kill -0 "$BRINDLE_MYSQL_PID" 2>/dev/null; then
      echo "services: the MariaDB test server did not start" >&2
      cat "$BRINDLE_MYSQL_DIR/error.log" >&2 || true
      return 1
    fi
    sleep 0.1
  done

  local password=brindle-test
  mariadb --no-defaults --socket="$socket" -uroot <<SQL
ALTER USER 'root'@'localhost' IDENTIFIED BY '$password';
CREATE USER IF NOT EXISTS 'root'@'127.0.0.1';
ALTER USER 'root'@'127.0.0.1' IDENTIFIED BY '$password';
GRANT ALL PRIVILEGES ON *.* TO 'root'@'127.0.0.1' WITH GRANT OPTION;
FLUSH PRIVILEGES;
SQL

  export BRINDLE_MYSQL_HOST=127.0.0.1
  export BRINDLE_MYSQL_PORT=$port
  export BRINDLE_MYSQL_SOCKET=$socket
  export BRINDLE_MYSQL_USER=root
  export BRINDLE_MYSQL_PASSWORD=$password
  echo "services: MariaDB test server on 127.0.0.1:$port"
}

# True while the process runs (a zombie no longer does).
brindle_process_running() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
  [[ -n "$state" && "$state" != Z* ]]
}

# Stops the server of this shell, or of another one when BRINDLE_MYSQL_PID
# and BRINDLE_MYSQL_DIR are set to its values (a test's own server), and
# waits until it has gone before removing its files.
brindle_stop_mariadb() {
  if [[ -n "${BRINDLE_MYSQL_PID:-}" ]]; then
    kill "$BRINDLE_MYSQL_PID" 2>/dev/null || true
    wait "$BRINDLE_MYSQL_PID" 2>/dev/null || true
    local tries=0
    while brindle_process_running "$BRINDLE_MYSQL_PID" && ((tries < 600)); do
      sleep 0.1
      tries=$((tries + 1))
    done
    BRINDLE_MYSQL_PID=
  fi
  if [[ -n "${BRINDLE_MYSQL_DIR:-}" && -d "$BRINDLE_MYSQL_DIR" ]]; then
    rm -rf "$BRINDLE_MYSQL_DIR"
    BRINDLE_MYSQL_DIR=
  fi
}
