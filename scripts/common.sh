# Shared set-up steps for scripts/run and scripts/test: packages, build, private MariaDB server.
set -euo pipefail

# The server's programs live in the sbin folders, which a user's PATH may lack.
export PATH="$PATH:/usr/local/sbin:/usr/sbin:/sbin"

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${VTX_BUILD_DIR:-$ROOT/build}"
DBDIR="$ROOT/var/db"
SOCKET="$DBDIR/mariadb.sock"
# The only folder the server may read or write files in; kept empty.
FILES_DIR="$DBDIR/files"
DRIVER_NAME="MySQL ODBC 8.0 ANSI Driver"
DB_NAME="vertalumex"
DB_USER="vtx"
# The program's database password, made at the first set-up; only its owner reads it.
DB_PASS_FILE="$DBDIR/vtx.password"
# The account the tests log in with through a brace-quoted user name and password.
QUOTE_USER='vtx;{q}'

# The server never runs as root: when the scripts do, it runs as Debian's mysql account.
# Its administrators log in through the socket alone, as the system account running the
# scripts (unix-socket authentication).
ADMIN_USER="$(id -un)"
if [[ $(id -u) -eq 0 ]]; then SERVER_USER=mysql; else SERVER_USER="$ADMIN_USER"; fi

PACKAGES=(
  build-essential cmake pkg-config ninja-build clang-format
  qt6-base-dev qt6-base-dev-tools zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev libmariadb-dev
  mariadb-server mariadb-client odbc-mariadb unixodbc unixodbc-dev
  qpdf poppler-utils libxlsxwriter-dev libhpdf-dev nlohmann-json3-dev
  libpdfbox2-java unzip libjpeg-dev locales fonts-dejavu-core fontconfig
  xvfb x11-apps imagemagick qt6-translations-l10n
)

# Runs a command as root: directly when root already, else through sudo.
as_root() {
  if [[ $(id -u) -eq 0 ]]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    echo "need root for: $* (run as root or install sudo)" >&2
    exit 1
  fi
}

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    as_root apt-get update
    # Through env, since sudo drops the caller's environment.
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
  fi
  # Number and currency tests also run under the Brazilian locale.
  if ! grep -qi '^pt_BR.utf8$' <(locale -a 2>/dev/null); then
    as_root sed -i 's/^# *pt_BR.UTF-8 UTF-8/pt_BR.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^pt_BR.UTF-8 UTF-8' /etc/locale.gen || echo 'pt_BR.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
    as_root locale-gen >/dev/null
  fi
}

register_odbc_driver() {
  if ! odbcinst -q -d 2>/dev/null | grep -qF "[$DRIVER_NAME]"; then
    local lib
    lib="$(find /usr/lib -name libmaodbc.so 2>/dev/null | head -n1)"
    [[ -n "$lib" ]] || { echo "libmaodbc.so not found" >&2; exit 1; }
    local tmp
    tmp="$(mktemp)"
    printf '[%s]\nDescription=MariaDB Connector/ODBC\nDriver=%s\nThreading=0\n' "$DRIVER_NAME" "$lib" >"$tmp"
    as_root odbcinst -i -d -f "$tmp" >/dev/null
    rm -f "$tmp"
  fi
}

# Builds the given targets, or everything (the program and the tests) when none is given.
build_project() {
  [[ -f "$BUILD/build.ninja" ]] || echo "First build: this takes a few minutes."
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${VTX_CMAKE_ARGS:-} >/dev/null
  local targets=()
  if (($#)); then targets=(--target "$@"); fi
  cmake --build "$BUILD" -j "${VTX_JOBS:-$(nproc)}" "${targets[@]}"
}

# Writes standard input into a file that only its owner may read, replacing it whole.
write_private() {
  (umask 077 && cat >"$1.new")
  chmod 600 "$1.new"
  mv -f "$1.new" "$1"
}

# A random password of 32 letters, digits, '-' and '_'.
random_password() {
  head -c 24 /dev/urandom | base64 | tr '+/' '-_'
}

# A loopback port nobody listens on, tried in random order so that servers of other work
# trees starting at the same moment rarely pick the same one.
free_port() {
  local p
  for p in $(shuf -i 33061-33199); do
    if ! (exec 3<>/dev/tcp/127.0.0.1/$p) 2>/dev/null; then echo "$p"; return; fi
  done
  echo "no free port" >&2; exit 1
}

server_alive() {
  mariadb-admin --no-defaults --socket="$SOCKET" -u"$ADMIN_USER" ping >/dev/null 2>&1
}

sql_root() { mariadb --no-defaults --socket="$SOCKET" -u"$ADMIN_USER" "$@"; }

# var/db and the folders the server writes are the server account's alone.
prepare_server_folders() {
  mkdir -p "$DBDIR" "$FILES_DIR"
  chmod 700 "$DBDIR" "$FILES_DIR"
  if [[ $SERVER_USER != "$ADMIN_USER" ]]; then
    getent passwd "$SERVER_USER" >/dev/null || { echo "no '$SERVER_USER' account to run MariaDB as" >&2; exit 1; }
    chown "$SERVER_USER:" "$DBDIR" "$FILES_DIR"
    if ! runuser -u "$SERVER_USER" -- test -w "$DBDIR"; then
      echo "the '$SERVER_USER' account cannot reach $DBDIR: let it search the folders above it (chmod o+x)" >&2
      exit 1
    fi
  fi
}

# Root and the administrator log in through the socket only; no account logs in without a
# password over TCP. Also mends data folders made when root had no password.
secure_accounts() {
  if ! sql_root -e 'select 1' >/dev/null 2>&1; then
    mariadb --no-defaults --socket="$SOCKET" -uroot <<SQL
CREATE USER IF NOT EXISTS '$ADMIN_USER'@'localhost' IDENTIFIED VIA unix_socket;
GRANT ALL PRIVILEGES ON *.* TO '$ADMIN_USER'@'localhost' WITH GRANT OPTION;
SQL
  fi
  sql_root -N -e "SELECT CONCAT('DROP USER ', QUOTE(user), '@', QUOTE(host), ';') FROM mysql.user
    WHERE user = '' OR (user IN ('root', '$ADMIN_USER', '$SERVER_USER') AND host <> 'localhost')" \
    | sql_root
  sql_root -e "ALTER USER 'root'@'localhost' IDENTIFIED VIA unix_socket"
}

# Starts the private server under var/db unless it already runs; sets DB_PORT.
# Sets STARTED_HERE to 1 when this call started it.
STARTED_HERE=0
start_server() {
  prepare_server_folders
  if ! server_alive; then
    launch_server
    STARTED_HERE=1
  fi
  secure_accounts
  # A running server tells its own port; the file may be stale.
  DB_PORT="$(sql_root -N -e 'select @@port')"
  echo "$DB_PORT" >"$DBDIR/port"
}

launch_server() {
  if [[ ! -d "$DBDIR/data/mysql" ]]; then
    mariadb-install-db --no-defaults --datadir="$DBDIR/data" --user="$SERVER_USER" \
      --auth-root-authentication-method=socket --skip-test-db >"$DBDIR/install.log" 2>&1
  fi
  # Data written by a server that ran as root (earlier scripts) passes to the server's account.
  [[ $SERVER_USER == "$ADMIN_USER" ]] || chown -R "$SERVER_USER:" "$DBDIR/data"
  if [[ -f "$DBDIR/port" ]]; then DB_PORT="$(cat "$DBDIR/port")"; else DB_PORT="$(free_port)"; fi
  local pid _
  for _ in 1 2 3 4 5; do
    if (exec 3<>/dev/tcp/127.0.0.1/$DB_PORT) 2>/dev/null; then DB_PORT="$(free_port)"; fi
    echo "$DB_PORT" >"$DBDIR/port"
    : >"$DBDIR/error.log"
    [[ $SERVER_USER == "$ADMIN_USER" ]] || chown "$SERVER_USER:" "$DBDIR/error.log"
    mariadbd --no-defaults --datadir="$DBDIR/data" --socket="$SOCKET" \
      --pid-file="$DBDIR/mariadbd.pid" --port="$DB_PORT" --bind-address=127.0.0.1 \
      --user="$SERVER_USER" --skip-name-resolve --secure-file-priv="$FILES_DIR" --local-infile=0 \
      --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci \
      --innodb-buffer-pool-size=128M --innodb-flush-log-at-trx-commit=2 --skip-log-bin \
      --log-error="$DBDIR/error.log" >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 150); do
      server_alive && return
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.2
    done
    # Another server took the port between our look and our bind: try another one.
    if ! kill -0 "$pid" 2>/dev/null && grep -q "Address already in use" "$DBDIR/error.log"; then
      DB_PORT="$(free_port)"
      continue
    fi
    break
  done
  echo "MariaDB did not start; see $DBDIR/error.log" >&2; tail -n 20 "$DBDIR/error.log" >&2; exit 1
}

# Applies the upgrade steps of db/upgrades to a database, in the order of their names. Each
# step changes only what it finds in its old state, so every set-up runs all of them.
upgrade_database() {
  local step
  for step in "$ROOT"/db/upgrades/[0-9][0-9][0-9]-*.sql; do
    sql_root "$1" <"$step"
  done
}

create_database() {
  [[ -s "$DB_PASS_FILE" ]] || random_password | write_private "$DB_PASS_FILE"
  DB_PASS="$(cat "$DB_PASS_FILE")"
  local quote_pass
  quote_pass="$(random_password)"
  # The test database is made anew, so that it always has the schema of this tree.
  sql_root <<SQL
CREATE DATABASE IF NOT EXISTS $DB_NAME CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci;
DROP DATABASE IF EXISTS ${DB_NAME}_test;
CREATE DATABASE ${DB_NAME}_test CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci;
CREATE USER IF NOT EXISTS '$DB_USER'@'127.0.0.1';
ALTER USER '$DB_USER'@'127.0.0.1' IDENTIFIED BY '$DB_PASS';
DROP USER IF EXISTS '$DB_USER'@'localhost';
GRANT ALL PRIVILEGES ON $DB_NAME.* TO '$DB_USER'@'127.0.0.1';
GRANT ALL PRIVILEGES ON ${DB_NAME}_test.* TO '$DB_USER'@'127.0.0.1';
CREATE USER IF NOT EXISTS '$QUOTE_USER'@'127.0.0.1';
ALTER USER '$QUOTE_USER'@'127.0.0.1' IDENTIFIED BY '$quote_pass';
GRANT SELECT ON ${DB_NAME}_test.* TO '$QUOTE_USER'@'127.0.0.1';
SQL
  sql_root "$DB_NAME" <"$ROOT/db/schema.sql"
  sql_root "${DB_NAME}_test" <"$ROOT/db/schema.sql"
  upgrade_database "$DB_NAME"
  upgrade_database "${DB_NAME}_test"
  # Where the tests find the server: read by the test fixture, not by the program.
  printf 'port=%s\nuser=%s\npassword=%s\ndatabase=%s_test\nquote_user=%s\nquote_password=%s\n' \
    "$DB_PORT" "$DB_USER" "$DB_PASS" "$DB_NAME" "$QUOTE_USER" "$quote_pass" | write_private "$DBDIR/test.conf"
}

# Stops the private server and waits until it has let go of its files.
stop_server() {
  if [[ -f "$DBDIR/mariadbd.pid" ]]; then
    local pid _
    pid="$(cat "$DBDIR/mariadbd.pid")"
    mariadb-admin --no-defaults --socket="$SOCKET" -u"$ADMIN_USER" shutdown >/dev/null 2>&1 || true
    for _ in $(seq 1 150); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.2
    done
  fi
}
