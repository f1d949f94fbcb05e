# Private MariaDB and PHP servers for the end-to-end tests. Sourced by
# scripts/test; exports KALVOR_TEST_* for the tests and stops both on exit.

# A port nobody listens on now, chosen by the system.
free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

start_servers() {
  KALVOR_TEST_DIR=$(mktemp -d /tmp/kalvor-test.XXXXXX)
  local data="$KALVOR_TEST_DIR/mysql"
  export KALVOR_TEST_MYSQL_SOCKET="$KALVOR_TEST_DIR/mysql.sock"
  export KALVOR_TEST_MYSQL_PORT=$(free_port)
  export KALVOR_TEST_PHP_PORT=$(free_port)
  export KALVOR_TEST_PHP_ROOT="$KALVOR_TEST_DIR/www"
  export KALVOR_TEST_PHP_URL="http://127.0.0.1:$KALVOR_TEST_PHP_PORT"
  mkdir -p "$KALVOR_TEST_PHP_ROOT" "$KALVOR_TEST_DIR/tmp"

  # Debian's own server defaults (50-server.cnf) set utf8mb4; the compiled
  # ones are latin1. Scripts must load as a real host would take them.
  local user_opt=()
  if [ "$(id -u)" -eq 0 ]; then user_opt=(--user=root); fi
  mariadb-install-db --no-defaults --datadir="$data" "${user_opt[@]}" \
    --auth-root-authentication-method=normal >"$KALVOR_TEST_DIR/install-db.log" 2>&1
  mariadbd --no-defaults --datadir="$data" "${user_opt[@]}" \
    --socket="$KALVOR_TEST_MYSQL_SOCKET" --port="$KALVOR_TEST_MYSQL_PORT" --bind-address=127.0.0.1 \
    --pid-file="$KALVOR_TEST_DIR/mysql.pid" --log-error="$KALVOR_TEST_DIR/mysql.err" \
    --tmpdir="$KALVOR_TEST_DIR/tmp" --skip-log-bin --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci \
    >/dev/null 2>&1 &
  KALVOR_TEST_MYSQL_PID=$!
  local up=""
  for _ in $(seq 1 300); do
    if mariadb-admin --no-defaults --socket="$KALVOR_TEST_MYSQL_SOCKET" -uroot ping >/dev/null 2>&1; then up=1; break; fi
    sleep 0.2
  done
  if [ -z "$up" ]; then
    echo "MariaDB did not start:" >&2; cat "$KALVOR_TEST_DIR/mysql.err" >&2; return 1
  fi
  mariadb --no-defaults --socket="$KALVOR_TEST_MYSQL_SOCKET" -uroot -e \
    "CREATE USER IF NOT EXISTS 'kalvor'@'127.0.0.1' IDENTIFIED BY 'kalvor';
     CREATE USER IF NOT EXISTS 'kalvor'@'localhost' IDENTIFIED BY 'kalvor';
     GRANT ALL ON *.* TO 'kalvor'@'127.0.0.1'; GRANT ALL ON *.* TO 'kalvor'@'localhost';"

  # Several workers, so that tests running side by side do not queue; in a
  # process group of their own, so that stopping the server stops them all.
  # No opcode cache: it would serve a script rewritten by a test within two
  # seconds of its last run as it was before.
  PHP_CLI_SERVER_WORKERS=8 setsid php -S "127.0.0.1:$KALVOR_TEST_PHP_PORT" -t "$KALVOR_TEST_PHP_ROOT" \
    -d display_errors=1 -d error_reporting=E_ALL -d log_errors=0 -d opcache.enable=0 \
    -d mysqli.default_socket="$KALVOR_TEST_MYSQL_SOCKET" >"$KALVOR_TEST_DIR/php.log" 2>&1 &
  KALVOR_TEST_PHP_PID=$!
  up=""
  for _ in $(seq 1 200); do
    if (exec 3<>"/dev/tcp/127.0.0.1/$KALVOR_TEST_PHP_PORT") 2>/dev/null; then up=1; break; fi
    sleep 0.1
  done
  if [ -z "$up" ]; then
    echo "PHP did not start:" >&2; cat "$KALVOR_TEST_DIR/php.log" >&2; return 1
  fi
  export KALVOR_TEST_MYSQL_USER=kalvor KALVOR_TEST_MYSQL_PASSWORD=kalvor
  export KALVOR_TEST_DIR
}

stop_servers() {
  [ -n "${KALVOR_TEST_PHP_PID:-}" ] && kill -- -"$KALVOR_TEST_PHP_PID" 2>/dev/null || true
  if [ -n "${KALVOR_TEST_MYSQL_PID:-}" ]; then
    kill "$KALVOR_TEST_MYSQL_PID" 2>/dev/null || true
    wait "$KALVOR_TEST_MYSQL_PID" 2>/dev/null || true
  fi
  [ -n "${KALVOR_TEST_DIR:-}" ] && rm -rf "$KALVOR_TEST_DIR"
  return 0
}
