# Shared set-up steps for scripts/run and scripts/test: packages, build, private MariaDB server.
set -euo pipefail

# The server's programs live in the sbin folders, which a user's PATH may lack.
export PATH="$PATH:/usr/local/sbin:/usr/sbin:/sbin"

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${VTX_BUILD_DIR:-$ROOT/build}"
DBDIR="$ROOT/var/db"
DRIVER_NAME="MySQL ODBC 8.0 ANSI Driver"
DB_NAME="vertalumex"
DB_USER="vtx"
DB_PASS="vtx-local"

PACKAGES=(
  build-essential cmake pkg-config ninja-build clang-format
  qt6-base-dev qt6-base-dev-tools
  libgtest-dev libgmock-dev libbenchmark-dev libmariadb-dev
  mariadb-server mariadb-client odbc-mariadb unixodbc unixodbc-dev
  qpdf poppler-utils libxlsxwriter-dev libhpdf-dev nlohmann-json3-dev
  libpdfbox2-java unzip libjpeg-dev locales fonts-dejavu-core fontconfig
  xvfb x11-apps imagemagick
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

build_project() {
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${VTX_CMAKE_ARGS:-} >/dev/null
  cmake --build "$BUILD" -j "${VTX_JOBS:-$(nproc)}"
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
  mariadb-admin --no-defaults --socket="$DBDIR/mariadb.sock" -uroot ping >/dev/null 2>&1
}

# Starts the private server under var/db unless it already runs; sets DB_PORT.
# Sets STARTED_HERE to 1 when this call started it.
STARTED_HERE=0
start_server() {
  mkdir -p "$DBDIR"
  if [[ -f "$DBDIR/port" ]]; then DB_PORT="$(cat "$DBDIR/port")"; else DB_PORT="$(free_port)"; fi
  if server_alive; then
    # A server already running tells its own port; the file may be stale.
    DB_PORT="$(sql_root -N -e 'select @@port')"
    echo "$DB_PORT" >"$DBDIR/port"
    return
  fi
  if [[ ! -d "$DBDIR/data/mysql" ]]; then
    mariadb-install-db --no-defaults --datadir="$DBDIR/data" --auth-root-authentication-method=normal \
      --user="$(id -un)" --skip-test-db >"$DBDIR/install.log" 2>&1
  fi
  local pid _
  for _ in 1 2 3 4 5; do
    if (exec 3<>/dev/tcp/127.0.0.1/$DB_PORT) 2>/dev/null; then DB_PORT="$(free_port)"; fi
    echo "$DB_PORT" >"$DBDIR/port"
    : >"$DBDIR/error.log"
    mariadbd --no-defaults --datadir="$DBDIR/data" --socket="$DBDIR/mariadb.sock" \
      --pid-file="$DBDIR/mariadbd.pid" --port="$DB_PORT" --bind-address=127.0.0.1 \
      --user="$(id -un)" --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci \
      --innodb-buffer-pool-size=128M --innodb-flush-log-at-trx-commit=2 --skip-log-bin \
      --log-error="$DBDIR/error.log" >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 150); do
      server_alive && { STARTED_HERE=1; return; }
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

sql_root() { mariadb --no-defaults --socket="$DBDIR/mariadb.sock" -uroot "$@"; }

create_database() {
  # The test database is made anew, so that it always has the schema of this tree.
  sql_root <<SQL
CREATE DATABASE IF NOT EXISTS $DB_NAME CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci;
DROP DATABASE IF EXISTS ${DB_NAME}_test;
CREATE DATABASE ${DB_NAME}_test CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci;
CREATE USER IF NOT EXISTS '$DB_USER'@'127.0.0.1' IDENTIFIED BY '$DB_PASS';
CREATE USER IF NOT EXISTS '$DB_USER'@'localhost' IDENTIFIED BY '$DB_PASS';
GRANT ALL PRIVILEGES ON $DB_NAME.* TO '$DB_USER'@'127.0.0.1';
GRANT ALL PRIVILEGES ON $DB_NAME.* TO '$DB_USER'@'localhost';
GRANT ALL PRIVILEGES ON ${DB_NAME}_test.* TO '$DB_USER'@'127.0.0.1';
GRANT ALL PRIVILEGES ON ${DB_NAME}_test.* TO '$DB_USER'@'localhost';
FLUSH PRIVILEGES;
SQL
  sql_root "$DB_NAME" <"$ROOT/db/schema.sql"
  sql_root "${DB_NAME}_test" <"$ROOT/db/schema.sql"
  # Where the tests find the server: read by the test fixture, not by the program.
  printf 'port=%s\nuser=%s\npassword=%s\ndatabase=%s_test\n' "$DB_PORT" "$DB_USER" "$DB_PASS" "$DB_NAME" >"$DBDIR/test.conf"
}

# Stops the private server and waits until it has let go of its files.
stop_server() {
  if [[ -f "$DBDIR/mariadbd.pid" ]]; then
    local pid _
    pid="$(cat "$DBDIR/mariadbd.pid")"
    mariadb-admin --no-defaults --socket="$DBDIR/mariadb.sock" -uroot shutdown >/dev/null 2>&1 || true
    for _ in $(seq 1 150); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.2
    done
  fi
}
