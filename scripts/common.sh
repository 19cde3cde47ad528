# Shared set-up steps of scripts/server, scripts/run, scripts/test and bench/run: packages, build,
# the private MariaDB server. Every step that moves, copies or deletes data, or whose failure must
# stop the set-up, checks its own result and stops through die: none relies on set -e, which bash
# ignores inside a condition and in all but the last command of an && list.

# Sourced into an interactive shell, the options below would stay set there, and the first
# failing command would close the terminal.
if [[ $- == *i* ]]; then
  echo "Use ./scripts/server start|stop|status|remove|sql instead of sourcing this file." >&2
  return 1
fi
set -euo pipefail

# Stops the set-up with a message.
die() {
  echo "$*" >&2
  exit 1
}

# The server's programs live in the sbin folders, which a user's PATH may lack.
export PATH="$PATH:/usr/local/sbin:/usr/sbin:/sbin"

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${VTX_BUILD_DIR:-$ROOT/build}"
# The private server's folder. As root it is a link to a folder of this clone's own under
# SERVER_HOMES (see link_server_folder).
DBDIR="$ROOT/var/db"
SERVER_HOMES=/var/lib/vertalumex
# The tests put the server folders of their scratch clones in a folder of their own, never over
# the real one.
if [[ -n ${VTX_TEST_SERVER_HOMES:-} ]]; then
  VTX_TEST_SERVER_HOMES="$(realpath -m "$VTX_TEST_SERVER_HOMES")"
  case "$VTX_TEST_SERVER_HOMES/" in
  "$SERVER_HOMES"/* | / | /var/ | /var/lib/)
    die "VTX_TEST_SERVER_HOMES=$VTX_TEST_SERVER_HOMES would reach the real $SERVER_HOMES" ;;
  esac
  SERVER_HOMES="$VTX_TEST_SERVER_HOMES"
fi
SOCKET="$DBDIR/mariadb.sock"
# The clone's real path, which its server folder records.
CLONE="$(cd "$ROOT" && pwd -P)"
# A folder the scripts cannot use is refused at once, judged by the path it is reached through
# and by its real path: CMake splits paths at ';', a line break splits the scripts' lines, and a
# socket's path holds at most 107 bytes, both the path the clients connect through and the one
# the server makes it at (var/db resolved; as root, a var/db that is no link yet moves to a
# folder with a short path).
for path in "$ROOT" "$CLONE"; do
  case "$path" in
  *';'* | *$'\n'*)
    die "The clone's folder $path holds a ';' or a line break, which the build and the scripts" \
      "cannot use: move the clone to a folder without them" ;;
  # CMake takes a '\' for a path separator, refuses a '#' in the path of a file the build makes
  # (the fonts' metrics), and cannot even test the compiler in a folder with a '"'.
  *'#'* | *'"'* | *'\'*)
    die "The clone's folder $path holds a '#', '\"' or '\\', which CMake cannot build in: move" \
      "the clone to a folder without them" ;;
  esac
done
sockets=("$SOCKET")
if [[ $(id -u) -ne 0 || -L $DBDIR ]]; then sockets+=("$(readlink -m "$DBDIR")/mariadb.sock"); fi
for path in "${sockets[@]}"; do
  (($(printf %s "$path" | wc -c) <= 107)) ||
    die "The server's socket $path would be $(printf %s "$path" | wc -c) bytes long, over the" \
      "107 a socket's path may hold: move the clone to a folder with a shorter path"
done
unset path sockets
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
    die "need root for: $* (run as root or install sudo)"
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
    [[ -n "$lib" ]] || die "libmaodbc.so not found"
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

# Writes standard input into a file in the server's folder, replacing it whole, with the given
# mode (0644 by default); fails when any part fails. As root that folder is the server account's,
# which may have put a link at the file's name (or at a temporary name beside it): the file is
# written in the folder above, which only the scripts' account writes, and renamed over the name,
# which replaces a link and never writes through it.
write_server_file() { # <file> [<mode>]
  local dir tmp
  dir="$(readlink -f "$(dirname "$1")")" && tmp="$(mktemp "$(dirname "$dir")/.vtx-write.XXXXXXXX")" ||
    return 1
  if cat >"$tmp" && chmod "${2:-644}" "$tmp" && mv -fT "$tmp" "$dir/$(basename "$1")"; then return 0; fi
  rm -f "$tmp"
  return 1
}

# Writes standard input into a file of the server's folder that only its owner may read,
# replacing it whole; fails when any part fails.
write_private() {
  write_server_file "$1" 600
}

# Makes a folder of the server's own in its folder, 0700. As root it is made by the server
# account: a link that account may have put at the name reaches nothing it could not reach itself.
server_subfolder() {
  if [[ $SERVER_USER != "$ADMIN_USER" ]]; then
    if [[ -e $1 || -L $1 ]]; then chown -h "$SERVER_USER:" "$1" || return 1; fi
    runuser -u "$SERVER_USER" -- sh -c 'mkdir -p "$1" && chmod 700 "$1"' sh "$1"
  else
    mkdir -p "$1" && chmod 700 "$1"
  fi
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
  die "no free port"
}

server_alive() {
  mariadb-admin --no-defaults --socket="$SOCKET" -u"$ADMIN_USER" ping >/dev/null 2>&1
}

sql_root() { mariadb --no-defaults --socket="$SOCKET" -u"$ADMIN_USER" "$@"; }

# The server's memory for data (InnoDB's buffer pool) in bytes: VTX_DB_MEMORY (like 512M or 2G)
# when set, at most the machine's memory, else a quarter of the machine's memory, at most 4 GB;
# in whole 128 MB chunks, at least one.
buffer_pool_bytes() {
  local mb machine
  machine=$(($(awk '/^MemTotal:/ { print $2 }' /proc/meminfo) / 1024))
  if [[ -n ${VTX_DB_MEMORY:-} ]]; then
    [[ $VTX_DB_MEMORY =~ ^([0-9]{1,7})([MmGg])$ ]] ||
      die "VTX_DB_MEMORY must be megabytes or gigabytes, like 512M or 2G, not '$VTX_DB_MEMORY'"
    mb=$((10#${BASH_REMATCH[1]}))
    [[ ${BASH_REMATCH[2]} == [Mm] ]] || mb=$((mb * 1024))
    ((mb <= machine)) ||
      die "VTX_DB_MEMORY=$VTX_DB_MEMORY is more than this machine's memory (${machine}M)"
  else
    mb=$((machine / 4))
    ((mb <= 4096)) || mb=4096
  fi
  mb=$((mb / 128 * 128))
  ((mb >= 128)) || mb=128
  echo $((mb * 1024 * 1024))
}

# As root the server runs as the 'mysql' account, which may not reach the clone (a home folder is
# 0700): its folder is then one of this clone's own under SERVER_HOMES, and var/db links to it.
# A var/db folder of earlier scripts moves there whole, its server stopped first. The folder
# records the clone it belongs to (in its file "clone"), so that a copy of the clone, whose var/db
# links to the same folder, does not share it, and so that the clone finds it again when var/db
# is gone.
link_server_folder() {
  local home
  # The 'mysql' account passes through; no other account lists the clones' folders. A folder
  # that the tests name, and that is there already, keeps its mode.
  if [[ ! -d $SERVER_HOMES ]]; then
    mkdir -p "$SERVER_HOMES" && chmod 711 "$SERVER_HOMES" || die "cannot make $SERVER_HOMES 0711"
  elif [[ -z ${VTX_TEST_SERVER_HOMES:-} ]]; then
    chmod 711 "$SERVER_HOMES" || die "cannot make $SERVER_HOMES 0711"
  fi
  find_server_folder
  if [[ -d $DBDIR && ! -L $DBDIR ]]; then
    move_server_folder
  elif [[ ! -L $DBDIR ]]; then
    home="$(new_server_folder)" || exit 1
    # Recorded before it is linked: a run cut short in between leaves no folder that the clone
    # cannot find again once var/db is gone.
    echo "$CLONE" | write_server_file "$home/clone" || die "cannot write $home/clone"
    ln -s "$home" "$DBDIR" || die "cannot link $DBDIR to $home"
  fi
  check_server_folder
  # A clone moved elsewhere takes its folder along.
  if [[ "$(cat "$SERVER_HOME/clone" 2>/dev/null)" != "$CLONE" ]]; then
    echo "$CLONE" | write_server_file "$SERVER_HOME/clone" || die "cannot write $SERVER_HOME/clone"
  fi
  name_other_folders
}

# As root, before var/db is used: a move cut short is finished or undone, and a var/db that is
# gone (git clean, rm -rf var) links again to the folder that records this clone, whose data and
# running server are this clone's; more than one such folder is refused.
find_server_folder() {
  local found
  check_server_link "$DBDIR"
  check_server_link "$DBDIR.link"
  resume_move
  [[ ! -e $DBDIR && ! -L $DBDIR ]] || return 0
  mapfile -t found < <(recorded_folders)
  ((${#found[@]} <= 1)) ||
    die "$DBDIR is missing, and several server folders record this clone: ${found[*]}." \
      "Link $DBDIR to the one whose data to keep (ln -s FOLDER $DBDIR)"
  if ((${#found[@]} == 1)); then
    echo "$DBDIR was missing: it links again to ${found[0]}, the server folder that records this clone"
    ln -s "${found[0]}" "$DBDIR" || die "cannot link $DBDIR to ${found[0]}"
  fi
}

# The server folders under SERVER_HOMES that record this clone, one a line.
recorded_folders() {
  local record
  for record in "$SERVER_HOMES"/*/clone; do
    if [[ -f $record && "$(cat "$record")" == "$CLONE" ]]; then echo "${record%/clone}"; fi
  done
}

# Names the other server folders that record this clone: data a set-up made beside this clone's
# while var/db was gone, which this clone's server does not use.
name_other_folders() {
  local other pid state
  while IFS= read -r other; do
    [[ $other != "$SERVER_HOME" ]] || continue
    state="stopped"
    if pid="$(cat "$other/mariadbd.pid" 2>/dev/null)" && server_process "$pid"; then
      state="still running (process $pid)"
    fi
    echo "Note: $other also records this clone, but $DBDIR links to $SERVER_HOME: its data" \
      "($(du -sh "$other" | cut -f1)) is not used, and its server is $state" >&2
  done < <(recorded_folders)
}

# As root, a link to the server's folder (var/db, or var/db.link of a move) leads to a folder
# directly in SERVER_HOMES, real paths compared: any other folder (a link made by hand to a
# user's own folder) is refused before anything is done there, since a removal deletes the
# folder var/db links to.
check_server_link() { # <link>
  local target homes
  [[ $SERVER_USER != "$ADMIN_USER" && -L $1 ]] || return 0
  target="$(readlink -m "$1")"
  homes="$(realpath -m "$SERVER_HOMES")"
  [[ $(dirname "$target") == "$homes" && $target != "$homes" ]] ||
    die "$1 links to $target, which is not a server folder of these scripts (a folder directly in" \
      "$homes): nothing is done there. Remove the link $1 to have a server of this clone's own" \
      "made, or link it to this clone's server folder in $homes"
}

# Sets SERVER_HOME to the folder of this clone's server: var/db, or the folder it links to. A
# link to a missing folder, or to a folder that records another clone which still exists (this
# clone is a copy of it), is refused, so that no step reaches another clone's server or makes an
# empty one where data was; as root, so is a link to a folder that is no server folder.
check_server_folder() {
  local clone found advice
  SERVER_HOME="$(readlink -m "$DBDIR")"
  [[ -L $DBDIR ]] || return 0
  check_server_link "$DBDIR"
  if [[ ! -d $SERVER_HOME ]]; then
    found="$(recorded_folders | tr '\n' ' ')"
    advice="remove the link $DBDIR to start anew with an empty database"
    [[ -z $found ]] || advice="remove the link $DBDIR to have it linked again to the folder that records this clone: $found"
    die "$DBDIR links to $SERVER_HOME, which is missing: this clone's database is not there." \
      "Bring that folder back, or $advice"
  fi
  clone="$(cat "$SERVER_HOME/clone" 2>/dev/null || true)"
  if [[ -n $clone && $clone != "$CLONE" && -e $clone ]]; then
    die "$DBDIR links to $SERVER_HOME, the server folder of the clone $clone: this clone is a copy." \
      "Remove the link $DBDIR to have a server of this clone's own made, with an empty database"
  fi
}

# A new folder under SERVER_HOMES, named after the clone's folder, shortened so that the socket's
# path in it stays far below its 107 bytes.
new_server_folder() {
  local name
  name="$(basename "$ROOT")"
  name="${name//[^A-Za-z0-9._-]/_}"
  mktemp -d "$SERVER_HOMES/${name:0:40}.XXXXXXXX" || die "cannot make a folder in $SERVER_HOMES"
}

# Moves var/db, a folder of earlier scripts, whole to a new folder, its server stopped first
# (also one whose socket is gone): never while a server runs on it. Across file systems the data
# is copied and synced to disk before the original goes. Until var/db itself links to the new
# folder, the link var/db.link says where the data went. The data records this clone before any
# link leads to it, so that a move cut short and followed by git clean leaves no folder that the
# clone cannot find again.
move_server_folder() {
  local home link="$DBDIR.link" old="$DBDIR.old" same=0
  stop_server
  [[ -z $(server_pids) ]] ||
    die "A server still runs on $DBDIR/data: its data is not moved. Stop it, then start again"
  home="$(new_server_folder)" || exit 1
  echo "Moving the private server's data from $DBDIR to $home"
  [[ $(stat -c %d:%m "$DBDIR") != "$(stat -c %d:%m "$home")" ]] || same=1
  if ((same)); then
    # The folder itself moves, into the new folder's place, which must be empty.
    echo "$CLONE" | write_server_file "$DBDIR/clone" || drop_move "$home" "cannot write $DBDIR/clone"
  else
    echo "$CLONE" | write_server_file "$home/clone" || drop_move "$home" "cannot write $home/clone"
  fi
  ln -s "$home" "$link" || drop_move "$home" "cannot make the link $link"
  if ((same)); then
    mv -T "$DBDIR" "$home" || drop_move "$home" "cannot move $DBDIR to $home"
  else
    cp -a "$DBDIR/." "$home/" || drop_move "$home" "cannot copy $DBDIR to $home"
    sync -f "$home" || drop_move "$home" "cannot write the copy in $home to disk"
    mv -T "$DBDIR" "$old" || drop_move "$home" "cannot rename $DBDIR to $old"
  fi
  mv -T "$link" "$DBDIR" ||
    die "the data is in $home, but $DBDIR does not link there yet: the next start finishes the move"
  remove_old_copy
}

# var/db.old, the original of data copied across file systems, goes once var/db links to the
# copy: only when it holds a data folder (a server folder of earlier scripts) and the folder
# var/db links to holds one too. Anything else by that name (a backup of one's own) is left.
remove_old_copy() {
  local old="$DBDIR.old" home
  [[ -L $DBDIR && (-e $old || -L $old) ]] || return 0
  home="$(readlink -f "$DBDIR")"
  if [[ ! -L $old && -d $old/data && -d $home/data ]]; then
    rm -rf "$old" || die "the data is in $home, but its old folder $old is not all removed: remove it"
    echo "Removed $old, the old copy of the private server's data, moved to $home"
  else
    echo "Note: $old is left as it is: it is not the old copy of the private server's data that" \
      "$DBDIR links to ($home), which a move removes" >&2
  fi
}

# A move that failed: the new folder and the link to it go, and the original stays whole.
drop_move() { # <new folder> <what failed>
  local left=""
  rm -rf "$1" || left=" (remove what is left of $1)"
  rm -f "$DBDIR.link" || left="$left (remove the link $DBDIR.link)"
  die "$2: the private server's data stays whole in $DBDIR, and nothing of it is kept in $1$left"
}

# A move cut short (a killed run) left the link var/db.link to the new folder. Once var/db is
# gone the data had all reached it (a copy is whole before the original is set aside): the move
# is finished. While var/db is still there, the new folder may hold part of a copy: it goes, and
# the move starts again.
resume_move() {
  local link="$DBDIR.link" home
  if [[ -L $link ]]; then
    home="$(readlink "$link")"
    if [[ ! -e $DBDIR && ! -L $DBDIR ]]; then
      echo "Finishing the move of the private server's data from $DBDIR to $home, cut short before"
      mv -T "$link" "$DBDIR" || die "cannot rename $link to $DBDIR"
    elif [[ -L $DBDIR ]]; then
      rm -f "$link" || die "cannot remove $link"
    else
      [[ $home == "$SERVER_HOMES"/* ]] ||
        die "$link links to $home, outside $SERVER_HOMES: remove that link, then start again"
      echo "Removing $home, a copy of $DBDIR cut short before; $DBDIR is whole and is copied again"
      rm -rf "$home" || die "cannot remove $home, a copy of $DBDIR cut short: remove it and $link"
      rm -f "$link" || die "cannot remove $link"
    fi
  fi
  remove_old_copy
}

# var/db and the folders the server writes are the server account's alone.
prepare_server_folders() {
  if [[ $SERVER_USER != "$ADMIN_USER" ]]; then
    getent passwd "$SERVER_USER" >/dev/null || die "no '$SERVER_USER' account to run MariaDB as"
    mkdir -p "$ROOT/var" || die "cannot make $ROOT/var"
    link_server_folder
  fi
  mkdir -p "$DBDIR" || die "cannot make $DBDIR"
  chmod 700 "$DBDIR" || die "cannot set the mode of $DBDIR"
  if [[ $SERVER_USER != "$ADMIN_USER" ]]; then
    chown "$SERVER_USER:" "$DBDIR" || die "cannot give $DBDIR to '$SERVER_USER'"
    runuser -u "$SERVER_USER" -- test -w "$(readlink -f "$DBDIR")" ||
      die "the '$SERVER_USER' account cannot reach $(readlink -f "$DBDIR")"
  fi
  SERVER_HOME="$(readlink -f "$DBDIR")"
  server_subfolder "$SERVER_HOME/files" || die "cannot make $FILES_DIR, a folder of '$SERVER_USER', 0700"
}

# Root and the administrator log in through the socket only; no account logs in without a
# password over TCP. Also mends data folders made when root had no password.
secure_accounts() {
  if ! sql_root -e 'select 1' >/dev/null 2>&1; then
    mariadb --no-defaults --socket="$SOCKET" -uroot <<SQL || die "cannot make the administrator '$ADMIN_USER'"
CREATE USER IF NOT EXISTS '$ADMIN_USER'@'localhost' IDENTIFIED VIA unix_socket;
GRANT ALL PRIVILEGES ON *.* TO '$ADMIN_USER'@'localhost' WITH GRANT OPTION;
SQL
  fi
  sql_root -N -e "SELECT CONCAT('DROP USER ', QUOTE(user), '@', QUOTE(host), ';') FROM mysql.user
    WHERE user = '' OR (user IN ('root', '$ADMIN_USER', '$SERVER_USER') AND host <> 'localhost')" |
    sql_root || die "cannot drop the accounts that log in without a password"
  sql_root -e "ALTER USER 'root'@'localhost' IDENTIFIED VIA unix_socket" ||
    die "cannot limit root to the socket"
}

# One set-up at a time in a clone: the steps from the server's start to the database made, and
# the server's stop, hold a lock on var/setup.lock, waiting at most 10 minutes for another
# set-up. The program, the tests and the benchmarks start without it (unlock_setup first): a
# descriptor left open across exec would be held by them.
SETUP_LOCKED=0
lock_setup() {
  ((SETUP_LOCKED == 0)) || return 0
  mkdir -p "$ROOT/var" || die "cannot make $ROOT/var"
  exec 9>>"$ROOT/var/setup.lock" || die "cannot open $ROOT/var/setup.lock"
  if ! flock -n 9; then
    echo "Another set-up of this clone is running: waiting for it to end (at most 10 minutes)" >&2
    flock -w 600 9 ||
      die "Another set-up of this clone still runs after 10 minutes ($ROOT/var/setup.lock is held): try again once it ends"
  fi
  SETUP_LOCKED=1
}

unlock_setup() {
  ((SETUP_LOCKED == 1)) || return 0
  flock -u 9
  exec 9>&-
  SETUP_LOCKED=0
}

# Starts the private server under var/db unless it already runs; sets DB_PORT.
# Sets STARTED_HERE to 1 when this call started it. A server already running is made durable
# and given its memory without a restart.
STARTED_HERE=0
start_server() {
  local pool
  pool="$(buffer_pool_bytes)" || exit 1
  lock_setup
  prepare_server_folders
  if ! server_alive && ! await_running_server; then
    launch_server "$pool"
    STARTED_HERE=1
  fi
  secure_accounts
  # Every committed save reaches the disk before the commit returns.
  sql_root -e 'SET GLOBAL innodb_flush_log_at_trx_commit = 1' || die "cannot make the server durable"
  if [[ $(sql_root -N -e 'select @@innodb_buffer_pool_size') != "$pool" ]]; then
    sql_root -e "SET GLOBAL innodb_buffer_pool_size = $pool" || die "cannot resize the buffer pool"
  fi
  # A running server tells its own port; the file may be stale.
  DB_PORT="$(sql_root -N -e 'select @@port')" || die "the server does not tell its port"
  echo "$DB_PORT" | write_server_file "$DBDIR/port" || die "cannot write $DBDIR/port"
}

# Sets DB_PORT to the port in the given port file, or to a free port when there is no file or it
# holds no port from 1024 to 65535, or one of the system MariaDB service's standard ports (3306,
# and 33060 of the X protocol): the server's default would be 3306.
server_port() {
  DB_PORT=""
  if [[ -f $1 ]]; then
    DB_PORT="$(cat "$1")" || die "cannot read $1"
    if [[ ! $DB_PORT =~ ^[0-9]{1,5}$ ]] || ((10#$DB_PORT < 1024 || 10#$DB_PORT > 65535)) ||
      ((10#$DB_PORT == 3306 || 10#$DB_PORT == 33060)); then
      echo "The port file $1 held '$DB_PORT', not a port from 1024 to 65535 other than the" \
        "standard 3306 and 33060 of the system's MariaDB service: the server takes a free port" >&2
      DB_PORT=""
    fi
  fi
  if [[ -z $DB_PORT ]]; then DB_PORT="$(free_port)" || exit 1; fi
  DB_PORT=$((10#$DB_PORT))
}

# Temporary tables stay in a folder of the server's own, as do those of mariadb-install-db's
# server: a server deletes, when it starts, the temporary files its account may delete in its
# temporary folder, and every server of the same account would otherwise share /tmp.
make_server_tmpdir() {
  server_subfolder "$SERVER_HOME/tmp" ||
    die "cannot make the server's temporary folder $SERVER_HOME/tmp"
}

# The server gets the folder's real path: the 'mysql' account need not reach var/db's link.
launch_server() {
  local home="$SERVER_HOME" pids
  if [[ ! -d $home/data/mysql ]]; then
    # An empty server is never made where a database was: the port file is written once the
    # server's tables exist, and the database's own files stay in the data folder; and a server
    # still running on a deleted data folder (var/ removed under it) holds that data open.
    pids="$(server_pids | paste -sd ' ')"
    [[ -z $pids ]] ||
      die "A MariaDB server (process $pids) still runs on this clone's data folder $home/data," \
        "where no database is left (deleted under it, as by git clean -fdx or rm -rf var): the" \
        "data lives on only in the files that process holds open. Recover them first if they" \
        "are needed, then stop it (kill $pids) and start again"
    [[ ! -e $home/port && -z "$(ls -A "$home/data" 2>/dev/null)" ]] ||
      die "$home/data holds no database, yet a server ran there: not making an empty one." \
        "Bring the data back, or remove this clone's server folder (./scripts/server remove) to" \
        "start anew with an empty database"
    make_server_tmpdir
    if ! mariadb-install-db --no-defaults --datadir="$home/data" --user="$SERVER_USER" \
      --auth-root-authentication-method=socket --skip-test-db --tmpdir="$home/tmp" 2>&1 |
      write_server_file "$home/install.log"; then
      rm -rf "$home/data"
      die "mariadb-install-db could not make the server's tables; see $home/install.log"
    fi
  fi
  # Data written by a server that ran as root (earlier scripts) passes to the server's account.
  if [[ $SERVER_USER != "$ADMIN_USER" ]]; then
    chown -R "$SERVER_USER:" "$home/data" || die "cannot give $home/data to '$SERVER_USER'"
  fi
  make_server_tmpdir
  server_port "$home/port"
  local pid _
  for _ in 1 2 3 4 5; do
    if (exec 3<>/dev/tcp/127.0.0.1/$DB_PORT) 2>/dev/null; then DB_PORT="$(free_port)" || exit 1; fi
    echo "$DB_PORT" | write_server_file "$home/port" && write_server_file "$home/error.log" </dev/null &&
      chown -h "$SERVER_USER:" "$home/error.log" ||
      die "cannot write the port file and the error log in $home"
    # The server holds no descriptor of the set-up's lock.
    mariadbd --no-defaults --datadir="$home/data" --socket="$home/mariadb.sock" \
      --pid-file="$home/mariadbd.pid" --port="$DB_PORT" --bind-address=127.0.0.1 \
      --user="$SERVER_USER" --skip-name-resolve --secure-file-priv="$home/files" --local-infile=0 --tmpdir="$home/tmp" \
      --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci \
      --innodb-buffer-pool-size="$1" --innodb-flush-log-at-trx-commit=1 --skip-log-bin \
      --log-error="$home/error.log" >/dev/null 2>&1 9>&- &
    pid=$!
    for _ in $(seq 1 150); do
      if server_alive; then return 0; fi
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.2
    done
    # Another server took the port between our look and our bind: try another one.
    if ! kill -0 "$pid" 2>/dev/null && grep -q "Address already in use" "$home/error.log"; then
      DB_PORT="$(free_port)" || exit 1
      continue
    fi
    break
  done
  tail -n 20 "$home/error.log" >&2
  die "MariaDB did not start; see $home/error.log"
}

# Applies the upgrade steps of db/upgrades to a database, in the order of their names. Each
# step changes only what it finds in its old state, so every set-up runs all of them.
upgrade_database() {
  local step
  for step in "$ROOT"/db/upgrades/[0-9][0-9][0-9]-*.sql; do
    sql_root "$1" <"$step" || die "the upgrade step $step failed on $1"
  done
}

# Makes or upgrades a database to the schema of this tree.
update_schema() {
  sql_root "$1" <"$ROOT/db/schema.sql" || die "the schema failed on $1"
  upgrade_database "$1"
}

# The program's database and account, its password made at the first set-up.
create_database() {
  if [[ ! -s $DB_PASS_FILE ]]; then
    random_password | write_private "$DB_PASS_FILE" || die "cannot write $DB_PASS_FILE"
  fi
  DB_PASS="$(cat "$DB_PASS_FILE")" || die "cannot read $DB_PASS_FILE"
  sql_root <<SQL || die "cannot make the database $DB_NAME and the program's account"
CREATE DATABASE IF NOT EXISTS $DB_NAME CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci;
CREATE USER IF NOT EXISTS '$DB_USER'@'127.0.0.1';
ALTER USER '$DB_USER'@'127.0.0.1' IDENTIFIED BY '$DB_PASS';
DROP USER IF EXISTS '$DB_USER'@'localhost';
GRANT ALL PRIVILEGES ON $DB_NAME.* TO '$DB_USER'@'127.0.0.1';
GRANT ALL PRIVILEGES ON ${DB_NAME}_test.* TO '$DB_USER'@'127.0.0.1';
SQL
  update_schema "$DB_NAME"
}

# The tests' database, made anew so that it always has the schema of this tree, and the account
# that may only read it; after create_database.
create_test_database() {
  local quote_pass
  quote_pass="$(random_password)"
  sql_root <<SQL || die "cannot make the database ${DB_NAME}_test"
DROP DATABASE IF EXISTS ${DB_NAME}_test;
CREATE DATABASE ${DB_NAME}_test CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci;
CREATE USER IF NOT EXISTS '$QUOTE_USER'@'127.0.0.1';
ALTER USER '$QUOTE_USER'@'127.0.0.1' IDENTIFIED BY '$quote_pass';
GRANT SELECT ON ${DB_NAME}_test.* TO '$QUOTE_USER'@'127.0.0.1';
SQL
  update_schema "${DB_NAME}_test"
  # Where the tests find the server: read by the test fixture, not by the program.
  printf 'port=%s\nuser=%s\npassword=%s\ndatabase=%s_test\nquote_user=%s\nquote_password=%s\n' \
    "$DB_PORT" "$DB_USER" "$DB_PASS" "$DB_NAME" "$QUOTE_USER" "$quote_pass" |
    write_private "$DBDIR/test.conf" || die "cannot write $DBDIR/test.conf"
}

# The program's settings file, beside the program or in the given folder: written for the private
# server when missing, and rewritten only while it still points at this server (its port or
# password changed); a file pointed elsewhere through "Util > Parametros" is kept. VTX_IDLIC sets
# the installation key; else a rewrite keeps the file's key and a new file gets 1.
# A file with no value at all is written anew; one that cannot be read as settings is kept, as it
# may hold a clinic's real settings.
write_settings() {
  local dir="${1:-$BUILD/src/app}" file
  file="$(settings_file "$dir")"
  if [[ -n $file ]]; then
    case "$(settings_kind "$file")" in
    empty)
      echo "The settings file $file holds no values: it is written anew"
      rm -f "$file" || die "cannot remove $file"
      ;;
    unreadable)
      echo "The settings file $file cannot be read as the program's settings, and is kept as it" \
        "is: it may hold a clinic's real settings. Delete it to have it written for the private server" >&2
      return 0
      ;;
    esac
    [[ ! -f $file ]] || check_copied_settings "$file"
  fi
  "$BUILD/src/app/vtx-writeini" "$dir" "127.0.0.1;Port=$DB_PORT" "$DB_PASS_FILE" \
    "$DB_NAME" "$DB_USER" "${VTX_IDLIC:-}" || die "cannot write the program's settings file"
}

# As root, a copy of a clone (cp -a with its build) holds the original's settings file, which
# names the original's server: such a file is refused, not kept as pointed elsewhere, or the
# copy's program would write into the original's database. The server folders in SERVER_HOMES
# that record another clone still there tell their servers' ports.
check_copied_settings() { # <settings file>
  local record clone port
  [[ $SERVER_USER != "$ADMIN_USER" ]] || return 0
  for record in "$SERVER_HOMES"/*/clone; do
    [[ -f $record && -f ${record%/clone}/port ]] || continue
    clone="$(cat "$record")" && port="$(cat "${record%/clone}/port")" || continue
    [[ -n $clone && $clone != "$CLONE" && -e $clone && $port != "${DB_PORT:-}" ]] || continue
    if settings_name_port "$1" "$port"; then
      die "The settings file $1 names the server of the clone $clone (port $port), of which this" \
        "clone is a copy: its program would write into that clone's database. Delete $1 to have" \
        "it written for this clone's server"
    fi
  done
}

# What a settings file holds, read as the program reads it: "empty" (no value at all),
# "unreadable" (a line that is no setting, section or comment, or a server that is no scrambled
# value) or "settings".
settings_kind() {
  LC_ALL=C awk '
    { sub(/\r$/, ""); gsub(/^[ \t]+|[ \t]+$/, "") }
    $0 == "" || /^;/ { next }
    /^\[.*\]$/ { section = tolower(substr($0, 2, length($0) - 2)); gsub(/^[ \t]+|[ \t]+$/, "", section); next }
    index($0, "=") > 1 {
      key = tolower(substr($0, 1, index($0, "=") - 1))
      value = substr($0, index($0, "=") + 1)
      gsub(/[ \t]+$/, "", key)
      gsub(/^[ \t]+/, "", value)
      if (value != "") values++
      if (section == "config" && key == "conexao" && !seen++) server = value
      next
    }
    { bad = 1 }
    END {
      if (bad || (values && server !~ /^([0-9A-Fa-f][0-9A-Fa-f])+$/)) print "unreadable"
      else if (!values) print "empty"
      else print "settings"
    }' "$1"
}

# A value as the program's settings file keeps it: each byte XORed with the program's key, in hex.
scramble() {
  local key=5820447163058291734 i c k
  for ((i = 0; i < ${#1}; i++)); do
    printf -v c %d "'${1:i:1}"
    printf -v k %d "'${key:i%19:1}"
    printf %02X $((c ^ k))
  done
}

# The program's settings file in the given folder (the program's own by default), found as the
# program finds it; nothing when there is none.
settings_file() {
  local dir="${1:-$BUILD/src/app}"
  if [[ -f $dir/Vertalumex.ini ]]; then
    echo "$dir/Vertalumex.ini"
  else
    find "$dir" -maxdepth 1 -type f -iname vertalumex.ini 2>/dev/null | LC_ALL=C sort | head -n1 || true
  fi
}

# Whether a settings file names the private server on the given port.
settings_name_port() { # <settings file> <port>
  grep -qixF "conexao=$(scramble "127.0.0.1;Port=$2")" < <(tr -d '\r' <"$1")
}

# Once the server is removed, a settings file that named it would be kept by the next set-up as
# pointed elsewhere, with a port and a password that are gone: it goes too.
forget_settings() { # <the removed server's port>
  local file
  file="$(settings_file)"
  [[ -n $1 && -n $file ]] || return 0
  if settings_name_port "$file" "$1"; then
    rm -f "$file" || die "cannot remove $file"
    echo "Removed the program's settings file $file, which named this server"
  fi
}

# Whether a process is a MariaDB server: the pid file of a killed server stays behind.
server_process() {
  [[ $(cat "/proc/$1/comm" 2>/dev/null) == mariadbd ]]
}

# The MariaDB servers running on this clone's data folder, one process a line. They are found by
# the data folder they were started with: a server runs on when its pid file is deleted, or its
# whole folder (git clean, rm -rf var). A server started with no data folder named counts when it
# was started with this clone's pid file; the pid a stale pid file names may since be another
# server's, like the system service's.
server_pids() {
  local data pidfile proc comm dir file arg
  data="$(realpath -m "$DBDIR/data")"
  pidfile="$(realpath -m "$DBDIR/mariadbd.pid")"
  for proc in /proc/[0-9]*; do
    comm=""
    read -r comm 2>/dev/null <"$proc/comm" || true
    [[ $comm == mariadbd ]] || continue
    dir=""
    file=""
    while IFS= read -r -d '' arg; do
      case "$arg" in
      --datadir=/*) dir="${arg#--datadir=}" ;;
      --pid-file=/*) file="${arg#--pid-file=}" ;;
      esac
    done 2>/dev/null <"$proc/cmdline" || true
    if [[ -n $dir && $(realpath -m "$dir") == "$data" ]] ||
      [[ -z $dir && -n $file && $(realpath -m "$file") == "$pidfile" ]]; then
      echo "${proc#/proc/}"
    fi
  done
}

# Whether a server runs on this clone's data, whether it answers or not. A running server may
# not answer a ping at once on a busy machine; taken for stopped, it would get a second server
# started on its data.
server_running() {
  [[ -n $(server_pids) ]]
}

# A server that runs but did not answer is waited for, at most 30 s: succeeds once it answers,
# fails when no server runs (any more), and stops the set-up when it runs but does not answer.
await_running_server() {
  local pid _
  pid="$(server_pids | paste -sd ' ')"
  [[ -n $pid ]] || return 1
  # One running on a data folder deleted under it is named by launch_server, with its advice.
  [[ -d $SERVER_HOME/data/mysql ]] || return 1
  # The server makes its socket before it answers: a socket gone now stays gone.
  [[ -S $SOCKET ]] ||
    die "The private server (process $pid) runs, but its socket $SOCKET is gone, so that no" \
      "client reaches it: stop it (./scripts/server stop), then start it again"
  for _ in $(seq 1 150); do
    if server_alive; then return 0; fi
    server_running || return 1
    sleep 0.2
  done
  die "The private server (process $pid) runs, but does not answer on $SOCKET within 30 s:" \
    "stop it (./scripts/server stop), then start it again"
}

# Stops the private server and waits until it has let go of its files: through its socket, or,
# when the socket is gone or does not answer, by SIGTERM, which the server takes as a shutdown.
# Succeeds only once no server runs on the data folder. In a copy of the clone it is refused: the
# server there is the original's.
stop_server() {
  local pids pid _ running
  lock_setup
  check_server_folder
  mapfile -t pids < <(server_pids)
  ((${#pids[@]})) || return 0
  if ! mariadb-admin --no-defaults --socket="$SOCKET" -u"$ADMIN_USER" shutdown >/dev/null 2>&1; then
    kill -TERM "${pids[@]}" 2>/dev/null || true
  fi
  for _ in $(seq 1 150); do
    running=0
    for pid in "${pids[@]}"; do
      if server_process "$pid"; then running=1; fi
    done
    ((running)) || return 0
    sleep 0.2
  done
  die "the private server (process ${pids[*]}) did not stop within 30 s; its files in $DBDIR are still in use"
}

# How many sessions the server has besides the one asking: the program, tests or a client.
other_sessions() {
  sql_root -N -e "select count(*) from information_schema.processlist
    where id <> connection_id() and command <> 'Daemon'"
}

# Stops the private server that this run started, unless another program uses it meanwhile (the
# program, another run's tests or a client): it is then left running, and said so. The sessions
# of the tests that have just ended may still be closing: they get 5 seconds to go.
stop_server_unless_used() {
  local others=0 _
  for _ in $(seq 1 25); do
    server_alive && others="$(other_sessions)" || others=0
    ((others > 0)) || break
    sleep 0.2
  done
  if ((others > 0)); then
    echo "The private server is left running: $others other connection(s) use it (the program," \
      "its tests or a client); ./scripts/server stop stops it" >&2
    return 0
  fi
  stop_server
}
