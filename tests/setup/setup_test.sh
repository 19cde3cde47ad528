#!/usr/bin/env bash
# Checks of the private server that the scripts set up: who may log in, who may read its
# files, the upgrade of a database made by an older schema, the server's settings, the program's
# settings file; and, in scratch clones with servers of their own, the move of a server folder
# of earlier scripts (as root, also across file systems), the server command, the port file,
# a server whose pid file or socket is gone, one whose var/ was deleted under it, temporary
# tables, and a build in a folder named with an apostrophe and accents.
# Usage: setup_test.sh logins|files|upgrade|server|settings|move|command|links|paths|ports|stray|orphan|tmptables|crossdev|folder
#   (with the server running, as ./scripts/test leaves it)
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
# Runs a function of a clone's scripts in a shell of its own: in_clone <clone> <function> [<arg>...]
in_clone() { (source "$1/scripts/common.sh" && shift && "$@"); }
# Scratch clones (the scripts and the schema) in a folder of the test's own, which also holds
# their server folders and their builds; their servers are stopped and all of it removed at the
# end. scratch makes the folder, in $tmp; scratch_clone <name> a clone in it.
scratch() {
  tmp="$(mktemp -d)"
  chmod 711 "$tmp"
  mkdir -m 711 "$tmp/homes"
  export VTX_TEST_SERVER_HOMES="$tmp/homes" VTX_DB_MEMORY=256M
  unset VTX_BUILD_DIR
  trap scratch_cleanup EXIT
}
scratch_clone() { mkdir "$tmp/$1" && cp -r "$ROOT/scripts" "$ROOT/db" "$tmp/$1/"; }
scratch_cleanup() {
  local proc comm arg pid
  # Every server on a folder of the test's own, also one whose pid file is gone.
  for proc in /proc/[0-9]*; do
    comm=""
    read -r comm 2>/dev/null <"$proc/comm" || true
    [[ $comm == mariadbd ]] || continue
    while IFS= read -r -d '' arg; do
      if [[ $arg == --datadir="$tmp"/* ]]; then
        pid="${proc#/proc/}"
        if kill "$pid" 2>/dev/null; then timeout 30 tail --pid="$pid" -f /dev/null || true; fi
      fi
    done 2>/dev/null <"$proc/cmdline" || true
  done
  rm -rf "$tmp"
}
tcp_login() { mariadb --no-defaults --protocol=tcp -h127.0.0.1 -P"$(cat "$DBDIR/port")" "$@" -e 'select 1' >/dev/null 2>&1; }

case "$1" in
logins)
  for user in root "$ADMIN_USER" "$SERVER_USER" "$DB_USER" nobody; do
    if tcp_login -u"$user"; then fail "'$user' logs in over TCP without a password"; fi
  done
  if tcp_login -u"$DB_USER" -pvtx-local; then fail "the program's account takes the old fixed password"; fi
  tcp_login -u"$DB_USER" -p"$(cat "$DB_PASS_FILE")" || fail "the program's account does not log in"
  [[ $(stat -c %U "/proc/$(cat "$DBDIR/mariadbd.pid")") != root ]] || fail "the server runs as root"
  IFS=$'\t' read -r priv infile < <(sql_root -N -e 'select @@secure_file_priv, @@local_infile')
  [[ $priv == "$(readlink -f "$FILES_DIR")/" ]] || fail "secure_file_priv is '$priv'"
  [[ $infile == 0 ]] || fail "local_infile is on"
  ;;
files)
  [[ $(stat -L -c %a "$DBDIR") == 700 && -S $SOCKET ]] || fail "$DBDIR is not 0700 with the socket inside"
  if [[ $(id -u) -eq 0 && $(readlink -f "$DBDIR") != "$SERVER_HOMES"/* ]]; then
    fail "$DBDIR is not a folder under $SERVER_HOMES"
  fi
  for f in "$DB_PASS_FILE" "$DBDIR/test.conf" "$BUILD/src/app/Vertalumex.ini"; do
    [[ -e $f || $f == *.ini ]] || fail "$f is missing"
    [[ ! -e $f || $(stat -c %a "$f") == 600 ]] || fail "$f is not 0600"
  done
  password="$(cat "$DB_PASS_FILE")"
  [[ ${#password} -ge 32 ]] || fail "the program's password is short"
  if grep -rqF -- "$password" "$ROOT/scripts"; then fail "the program's password is in the scripts"; fi
  # Another local account reaches neither the socket nor the password files.
  if [[ $(id -u) -eq 0 ]]; then
    if runuser -u nobody -- mariadb --no-defaults --socket="$SOCKET" -uroot -e 'select 1' >/dev/null 2>&1; then
      fail "another account logs in through the socket"
    fi
    if runuser -u nobody -- cat "$DBDIR/test.conf" >/dev/null 2>&1; then fail "another account reads test.conf"; fi
  fi
  ;;
upgrade)
  db="${DB_NAME}_upgrade_test"
  trap 'sql_root -e "DROP DATABASE IF EXISTS $db"' EXIT
  sql_root -e "DROP DATABASE IF EXISTS $db; CREATE DATABASE $db"
  sql_root "$db" <"$ROOT/db/schema.sql"
  # The schema before the upgrade steps, with rows in it.
  sql_root "$db" <<'SQL'
ALTER TABLE profissionais MODIFY valor DECIMAL(12,2) NULL;
INSERT INTO profissionais (idlic, nmpro, valor, obs) VALUES
  ('U', 'ANA', 9999999999.99, 'linha 1'), ('U', 'D''ÁVILA', 0.01, NULL), ('U', 'SEM VALOR', NULL, '');
SQL
  # The supplies stock's tables as first drafted, with rows in them.
  sql_root "$db" <<'SQL'
DROP TABLE produtoscodigos;
CREATE TABLE produtoscodigos (idlic VARCHAR(15) NOT NULL, cdpror VARCHAR(30) NULL,
  cdpro INT NOT NULL AUTO_INCREMENT, evcad VARCHAR(60) NULL, PRIMARY KEY (idlic, cdpro), KEY (cdpro));
ALTER TABLE insumos_cmp DROP KEY insumos_cmp_compra, DROP KEY insumos_cmp_status,
  ADD KEY (idlic, status, cdfor), ADD KEY (idlic, dtc);
INSERT INTO produtoscodigos (idlic, cdpror) VALUES ('U', '260101');
INSERT INTO insumos_cmp (idlic, idlan, cdfor, status, lote) VALUES ('U', '2601011', 1, 'N', 'L''01');
SQL
  rows() {
    sql_root -N "$db" -e 'select * from profissionais order by idlic, idpro;
      select * from insumos_cmp; select cdpror, cdpro from produtoscodigos'
  }
  before="$(rows)"
  upgrade_database "$db"
  upgrade_database "$db"
  [[ "$(rows)" == "$before" ]] || fail "rows changed: $(rows)"
  type="$(sql_root -N "$db" -e "select column_type from information_schema.columns
    where table_schema = '$db' and table_name = 'profissionais' and column_name = 'valor'")"
  [[ $type == "decimal(15,2)" ]] || fail "profissionais.valor is $type"
  sql_root "$db" -e "INSERT INTO profissionais (idlic, nmpro, valor) VALUES ('U', 'MAIOR', 9999999999999.99)"
  keys="$(sql_root -N "$db" -e "select group_concat(distinct index_name order by index_name)
    from information_schema.statistics where table_schema = '$db' and table_name = 'insumos_cmp'")"
  [[ $keys == "insumos_cmp_compra,insumos_cmp_status,PRIMARY" ]] || fail "insumos_cmp keys: $keys"
  [[ -z "$(sql_root -N "$db" -e "select 1 from information_schema.columns where table_schema =
    '$db' and table_name = 'produtoscodigos' and column_name = 'idlic'")" ]] ||
    fail "produtoscodigos keeps idlic"
  ;;
server)
  # A server running from earlier scripts is made durable and given its memory without a restart.
  sql_root -e 'SET GLOBAL innodb_flush_log_at_trx_commit = 2'
  start_server >/dev/null
  IFS=$'\t' read -r flush pool < <(sql_root -N -e 'select @@innodb_flush_log_at_trx_commit, @@innodb_buffer_pool_size')
  [[ $flush == 1 ]] || fail "innodb_flush_log_at_trx_commit is $flush"
  [[ $pool == "$(buffer_pool_bytes)" ]] && ((pool >= 128 << 20)) || fail "the buffer pool has $pool bytes"
  ;;
settings)
  dir="$(mktemp -d)"
  trap 'rm -rf "$dir"' EXIT
  DB_PORT="$(cat "$DBDIR/port")"
  password="$(cat "$DB_PASS_FILE")"
  # The settings file as the program writes it: each value scrambled with the key, in hex.
  ini() {
    printf '[CONFIG]\r\nconexao=%s\r\nsenha=%s\r\nbanco=%s\r\nuserbco=%s\r\nidlic=%s\r\n' "$(scramble "$1")" \
      "$(scramble "$2")" "$(scramble "${3:-$DB_NAME}")" "$(scramble "${4:-$DB_USER}")" "$(scramble "$5")"
  }
  here="127.0.0.1;Port=$DB_PORT"
  check() { # <what> <expected file> [<file written before>]
    rm -f "$dir/Vertalumex.ini"
    [[ $# -lt 3 ]] || printf %s "$3" >"$dir/Vertalumex.ini"
    write_settings "$dir" >/dev/null
    [[ $(cat "$dir/Vertalumex.ini") == "$2" ]] || fail "$1: $(cat "$dir/Vertalumex.ini")"
  }
  check "a new file" "$(ini "$here" "$password" "" "" 1)"
  VTX_IDLIC=9 check "a new file with a key" "$(ini "$here" "$password" "" "" 9)"
  # Still this server's: the port or the password changed; the key set through the form stays.
  check "the port changed" "$(ini "$here" "$password" "" "" 7)" "$(ini "127.0.0.1;Port=1" "$password" "" "" 7)"
  check "the password changed" "$(ini "$here" "$password" "" "" 7)" "$(ini "$here" old "" "" 7)"
  for other in "$(ini "clinica;Port=3306" "$password" "" "" 7)" "$(ini "$here" "$password" outro "" 7)" \
    "$(ini "$here" "$password" "" root 7)" "$(ini "127.0.0.1;Port=1" old "" "" 7)"; do
    check "a file pointed elsewhere" "$other" "$other"
  done
  # A file with no values is written anew; one that cannot be read is kept, with a message.
  check "an empty file" "$(ini "$here" "$password" "" "" 1)" ""
  check "a file of no values" "$(ini "$here" "$password" "" "" 1)" $'[CONFIG]\r\nidlic=\r\n'
  printf 'not a settings file' >"$dir/Vertalumex.ini"
  write_settings "$dir" 2>&1 | grep -q "Delete it" || fail "no message for a file that cannot be read"
  [[ $(cat "$dir/Vertalumex.ini") == "not a settings file" ]] || fail "a file that cannot be read was replaced"
  ;;
move)
  [[ $(id -u) -eq 0 ]] || { echo "only as root"; exit 77; }
  # A clone with the scripts alone.
  tmp="$(mktemp -d)"
  chmod 755 "$tmp"
  clone="$tmp/clone"
  mkdir -p "$clone/scripts"
  cp "$ROOT/scripts/common.sh" "$clone/scripts/"
  VTX_TEST_SERVER_HOMES="$(mktemp -d)"
  export VTX_TEST_SERVER_HOMES
  chmod 711 "$VTX_TEST_SERVER_HOMES"
  cleanup() {
    in_clone "$clone" stop_server || true
    rm -rf "$tmp" "$VTX_TEST_SERVER_HOMES"
  }
  trap cleanup EXIT
  export VTX_DB_MEMORY=256M
  # A server of earlier scripts running in var/db itself, with rows in it.
  old_layout() { link_server_folder() { :; } && start_server; }
  in_clone "$clone" old_layout >/dev/null
  in_clone "$clone" sql_root -e "CREATE DATABASE kept; CREATE TABLE kept.t (v VARCHAR(10));
    INSERT INTO kept.t VALUES ('um'), ('D''ÁVILA')"
  # Its socket gone, the server still runs: it is stopped before its data moves.
  pid="$(cat "$clone/var/db/mariadbd.pid")"
  rm "$clone/var/db/mariadb.sock"
  in_clone "$clone" start_server >/dev/null
  ! server_process "$pid" || fail "the data moved while its server (process $pid) runs"
  home="$(readlink "$clone/var/db")"
  [[ $home == "$VTX_TEST_SERVER_HOMES"/* && $(cat "$home/clone") == "$clone" ]] || fail "var/db links to '$home'"
  # Started again from a folder only root reaches.
  in_clone "$clone" stop_server
  chmod 700 "$tmp"
  in_clone "$clone" start_server >/dev/null
  [[ $(stat -c %a "$tmp") == 700 ]] || fail "the clone's folder changed its mode"
  [[ $(in_clone "$clone" sql_root -N -e 'select group_concat(v order by v) from kept.t') == "D'ÁVILA,um" ]] ||
    fail "the rows did not survive the move"
  # The running server takes new memory without a restart.
  VTX_DB_MEMORY=384M in_clone "$clone" start_server >/dev/null
  [[ $(in_clone "$clone" sql_root -N -e 'select @@innodb_buffer_pool_size') == $((384 << 20)) ]] ||
    fail "the buffer pool was not resized"
  # A copy of the clone shares no server folder; lost data never gets an empty server.
  refused() { # <clone> <what the message says>
    if in_clone "$1" start_server >"$tmp/out" 2>&1; then fail "started: $(cat "$tmp/out")"; fi
    grep -q "$2" "$tmp/out" || fail "$(cat "$tmp/out")"
  }
  cp -a "$clone" "$tmp/copy"
  refused "$tmp/copy" "this clone is a copy"
  in_clone "$clone" stop_server
  mv "$home/data" "$home/data.away"
  refused "$clone" "not making an empty one"
  mv "$home" "$home.away"
  refused "$clone" "which is missing"
  [[ ! -e $home ]] || fail "$home was made anew"
  mv "$home.away" "$home"
  mv "$home/data.away" "$home/data"
  ;;
command)
  # ./scripts/server in a scratch clone, called from another folder.
  [[ $(id -u) -eq 0 ]] || { echo "only as root"; exit 77; }
  scratch
  scratch_clone clone
  server() { (cd / && "$tmp/clone/scripts/server" "$@"); }
  # A size the server cannot take starts nothing.
  for size in abc 99999G; do
    if VTX_DB_MEMORY=$size server start >"$tmp/out" 2>&1; then fail "started with VTX_DB_MEMORY=$size"; fi
    grep -q "VTX_DB_MEMORY" "$tmp/out" && [[ ! -e $tmp/clone/var/db && -z $(ls "$tmp/homes") ]] ||
      fail "VTX_DB_MEMORY=$size: $(cat "$tmp/out")"
  done
  server start >/dev/null
  home="$(readlink "$tmp/clone/var/db")"
  server sql vertalumex -e "CREATE TABLE kept (v VARCHAR(10)); INSERT INTO kept VALUES ('um')"
  # A second set-up waits while another holds the lock, and the data stays linked.
  exec {lock}>>"$tmp/clone/var/setup.lock"
  flock "$lock"
  mkfifo "$tmp/err"
  server start >/dev/null 2>"$tmp/err" &
  exec {err}<"$tmp/err"
  while read -r answer <&"$err" && [[ $answer != *waiting* ]]; do :; done
  [[ $answer == *waiting* ]] || fail "a second set-up did not wait"
  [[ $(readlink "$tmp/clone/var/db") == "$home" ]] || fail "var/db changed during the other set-up"
  flock -u "$lock"
  wait $! || fail "the second set-up failed: $(cat <&"$err")"
  [[ $(readlink "$tmp/clone/var/db") == "$home" && $(ls "$tmp/homes") == "${home##*/}" ]] ||
    fail "var/db links to $(readlink "$tmp/clone/var/db"), and the server folders are $(ls "$tmp/homes")"
  server status >"$tmp/out"
  grep -q "lives in $home" "$tmp/out" && grep -q "server runs" "$tmp/out" || fail "status: $(cat "$tmp/out")"
  # An empty pid file: status still names the process, found by its data folder.
  cp "$home/mariadbd.pid" "$tmp/pid"
  : >"$home/mariadbd.pid"
  server status >"$tmp/out"
  cat "$tmp/pid" >"$home/mariadbd.pid"
  grep -qF "server runs (process $(cat "$tmp/pid")), on 127.0.0.1 port" "$tmp/out" ||
    fail "status with an empty pid file: $(cat "$tmp/out")"
  # A running server that does not answer its first ping (a busy machine) is not taken for
  # stopped: start starts no second server on its data, and sql reaches it.
  mkdir "$tmp/busy"
  printf '#!/bin/sh\n[ -e "$0.once" ] && exec %s "$@"\n: >"$0.once"\nexit 1\n' "$(command -v mariadb-admin)" >"$tmp/busy/mariadb-admin"
  chmod +x "$tmp/busy/mariadb-admin"
  busy() { rm -f "$tmp/busy/mariadb-admin.once" && PATH="$tmp/busy:$PATH" "$@"; }
  busy server start >"$tmp/out" 2>&1 || fail "start with a busy server: $(cat "$tmp/out")"
  [[ $(grep -lzxF -- "--datadir=$home/data" /proc/[0-9]*/cmdline 2>/dev/null) == "/proc/$(cat "$tmp/pid")/cmdline" ]] &&
    grep -q "ready for connections" "$home/error.log" ||
    fail "a second server was started on $home/data: $(tail -n 3 "$home/error.log")"
  [[ $(busy server sql -N vertalumex -e 'select group_concat(v) from kept' 2>&1) == um ]] ||
    fail "sql with a busy server: $(busy server sql -N vertalumex -e 'select 1' 2>&1)"
  # A copy of the clone reaches nothing of the original's server, also once the original's
  # var/ is gone (git clean), and the original then finds its data and its running server again.
  cp -a "$tmp/clone" "$tmp/copy"
  copy() { (cd / && "$tmp/copy/scripts/server" "$@"); }
  refused() {
    if "$@" >"$tmp/out" 2>&1; then fail "$* ran in a copy"; fi
    grep -q "this clone is a copy" "$tmp/out" || fail "$*: $(cat "$tmp/out")"
  }
  rows() { server sql -N vertalumex -e 'select group_concat(v) from kept'; }
  pid="$(cat "$home/mariadbd.pid")"
  refused copy stop
  refused copy status
  refused copy remove --yes
  refused copy sql -e 'select 1'
  server_process "$pid" && [[ $(rows) == um ]] || fail "the original's server or its rows are gone"
  # The copy's settings file, copied with its build, names the original's server: it is refused,
  # not kept as pointed elsewhere.
  mkdir -p "$tmp/copy/build/src/app"
  printf '[CONFIG]\r\nconexao=%s\r\n' "$(scramble "127.0.0.1;Port=$(cat "$home/port")")" >"$tmp/copy/build/src/app/Vertalumex.ini"
  cp "$tmp/copy/build/src/app/Vertalumex.ini" "$tmp/ini"
  if DB_PORT=1 in_clone "$tmp/copy" write_settings >"$tmp/out" 2>&1; then fail "the original's settings file was kept"; fi
  grep -qF "$tmp/copy/build/src/app/Vertalumex.ini names the server of the clone $tmp/clone" "$tmp/out" &&
    grep -q "Delete" "$tmp/out" || fail "$(cat "$tmp/out")"
  cmp -s "$tmp/ini" "$tmp/copy/build/src/app/Vertalumex.ini" || fail "the copy's settings file changed"
  rm -rf "$tmp/clone/var"
  refused copy start
  server start >"$tmp/out"
  grep -q "links again to $home" "$tmp/out" || fail "$(cat "$tmp/out")"
  [[ $(readlink "$tmp/clone/var/db") == "$home" && $(ls "$tmp/homes") == "${home##*/}" ]] ||
    fail "var/db links to $(readlink "$tmp/clone/var/db"), and the server folders are $(ls "$tmp/homes")"
  found="$(rows 2>&1)" || true
  now="$(cat "$home/mariadbd.pid" 2>&1)" || true
  [[ $found == um && $now == "$pid" ]] || fail "the rows or the server were not found again: rows '$found'," \
    "pid file '$now', server before $pid ($(server_process "$pid" && echo running || echo gone));" \
    "error log: $(tail -n 20 "$home/error.log")"
  # Remove: refused while a client is connected, asks first, and forgets the settings file
  # that named the server.
  coproc SESSION { server sql -N --unbuffered; }
  echo "select 'connected';" >&"${SESSION[1]}"
  read -r answer <&"${SESSION[0]}"
  if server remove --yes >"$tmp/out" 2>&1; then fail "removed while a client is connected"; fi
  grep -q "connection" "$tmp/out" || fail "$(cat "$tmp/out")"
  eval "exec ${SESSION[1]}>&-"
  wait "$SESSION_PID"
  if echo no | server remove >/dev/null 2>&1; then fail "removed without a yes"; fi
  [[ -d $home ]] || fail "$home removed without a yes"
  mkdir -p "$tmp/clone/build/src/app"
  printf '[CONFIG]\r\nconexao=%s\r\n' "$(scramble "127.0.0.1;Port=$(cat "$home/port")")" >"$tmp/clone/build/src/app/Vertalumex.ini"
  server remove --yes >/dev/null
  [[ ! -e $home && ! -e $tmp/clone/var/db && ! -e $tmp/clone/build/src/app/Vertalumex.ini ]] ||
    fail "left after remove: $(ls "$tmp/homes" "$tmp/clone/var" "$tmp/clone/build/src/app")"
  ;;
links)
  # As root, var/db links only to a server folder directly in the server folders' folder: a link
  # to any other folder is refused, and nothing in that folder is touched.
  [[ $(id -u) -eq 0 ]] || { echo "only as root"; exit 77; }
  scratch
  scratch_clone clone
  server() { (cd / && "$tmp/clone/scripts/server" "$@"); }
  mkdir -p "$tmp/clone/var" "$tmp/important"
  echo kept >"$tmp/important/file"
  ln -s "$tmp/important" "$tmp/clone/var/db"
  for command in "remove --yes" start; do
    if server $command >"$tmp/out" 2>&1; then fail "$command ran with var/db linked to $tmp/important"; fi
    grep -qF "$tmp/clone/var/db links to $tmp/important" "$tmp/out" || fail "$command: $(cat "$tmp/out")"
    [[ $(cat "$tmp/important/file") == kept && $(ls -A "$tmp/important") == file ]] ||
      fail "$command touched $tmp/important: $(ls -A "$tmp/important")"
  done
  # A run killed right after var/db (or var/db.link of a move) links to a new folder, then
  # git clean: the next start finds the folder again, since it records the clone.
  chmod 755 "$tmp/homes"
  mkdir "$tmp/shim.new" "$tmp/shim.old"
  printf '#!/bin/sh\n%s "$@"\nkill -9 $PPID\n' "$(command -v ln)" >"$tmp/shim.new/ln"
  printf '#!/bin/sh\n%s "$@"\ncase "$2" in */var/db) kill -9 $PPID ;; esac\n' "$(command -v mv)" >"$tmp/shim.old/mv"
  chmod +x "$tmp/shim.new/ln" "$tmp/shim.old/mv"
  scratch_clone new
  scratch_clone old
  mkdir -p "$tmp/new/var" "$tmp/old/var/db/data/mysql"
  echo kept >"$tmp/old/var/db/data/file"
  for clone in new old; do
    PATH="$tmp/shim.$clone:$PATH" in_clone "$tmp/$clone" link_server_folder >/dev/null 2>&1 || true
    home="$(readlink "$tmp/$clone/var/db" || readlink "$tmp/$clone/var/db.link")" || fail "$clone: $(ls -l "$tmp/$clone/var")"
    rm -rf "$tmp/$clone/var" && mkdir "$tmp/$clone/var"
    in_clone "$tmp/$clone" link_server_folder >"$tmp/out" 2>&1 || fail "$clone: $(cat "$tmp/out")"
    [[ $(readlink "$tmp/$clone/var/db") == "$home" ]] || fail "$clone: var/db links to $(readlink "$tmp/$clone/var/db"), not $home"
  done
  [[ $(cat "$home/data/file") == kept ]] || fail "the moved data is not in $home"
  # var/db.old goes only as what a move left: a server folder of earlier scripts, whose data is
  # in the folder var/db links to. A folder of one's own by that name is left, and said so.
  scratch_clone backup
  mkdir -p "$tmp/backup/var/db/data" "$tmp/backup/var/db.old" "$tmp/old/var/db.old"
  for clone in backup old; do
    echo mine >"$tmp/$clone/var/db.old/file"
    in_clone "$tmp/$clone" link_server_folder >"$tmp/out" 2>&1 || fail "$(cat "$tmp/out")"
    [[ $(cat "$tmp/$clone/var/db.old/file") == mine ]] && grep -qF "$tmp/$clone/var/db.old is left" "$tmp/out" ||
      fail "var/db.old of one's own in $clone: $(cat "$tmp/out")"
  done
  mkdir "$tmp/old/var/db.old/data"
  in_clone "$tmp/old" link_server_folder >"$tmp/out" 2>&1 || fail "$(cat "$tmp/out")"
  [[ ! -e $tmp/old/var/db.old ]] && grep -qF "Removed $tmp/old/var/db.old" "$tmp/out" ||
    fail "var/db.old left by a move: $(cat "$tmp/out")"
  # The folder VTX_TEST_SERVER_HOMES names keeps its mode; one the scripts make gets 0711.
  scratch_clone fresh
  mkdir "$tmp/fresh/var"
  VTX_TEST_SERVER_HOMES="$tmp/made" in_clone "$tmp/fresh" link_server_folder >/dev/null
  [[ $(stat -c %a "$tmp/homes") == 755 && $(stat -c %a "$tmp/made") == 711 ]] ||
    fail "the server folders' folders are $(stat -c %a "$tmp/homes") and $(stat -c %a "$tmp/made")"
  ;;
paths)
  # A clone reached through a link is judged by its real path too: a ';' in it, or a socket too
  # long there for a server run by an account other than root, is refused at once.
  tmp="$(mktemp -d)"
  trap 'rm -rf "$tmp"' EXIT
  chmod 711 "$tmp"
  refused() { # <clone> <what the message says> [runuser -u <account> --]
    if "${@:3}" bash -c 'source "$0/scripts/common.sh"' "$1" >"$tmp/out" 2>&1; then
      fail "$1 was taken"
    fi
    grep -qF "$2" "$tmp/out" || fail "$1: $(cat "$tmp/out")"
  }
  real="$tmp/a;b/clone"
  long="$tmp/$(printf 'x%.0s' {1..90})/clone"
  mkdir -p "$real" "$long"
  cp -r "$ROOT/scripts" "$real/"
  cp -r "$ROOT/scripts" "$long/"
  ln -s "$real" "$tmp/semicolon"
  ln -s "$long" "$tmp/short"
  refused "$tmp/semicolon" "$real holds a ';'"
  # Nor does CMake build in a folder with a '#', a '"' or a '\'.
  for name in 'a#b' 'a"b' 'a\b'; do
    mkdir "$tmp/$name"
    cp -r "$ROOT/scripts" "$tmp/$name/"
    refused "$tmp/$name" "$tmp/$name holds a '#'"
  done
  other=()
  [[ $(id -u) -ne 0 ]] || other=(runuser -u nobody --)
  refused "$tmp/short" "socket $long/var/db/mariadb.sock" "${other[@]}"
  ;;
ports)
  # A port file that holds no port, or a standard port of the system's MariaDB service, gives a
  # free one; without a port file, data is still recognised by the database's own files.
  scratch
  scratch_clone clone
  in_clone "$tmp/clone" start_server >/dev/null
  home="$(readlink -f "$tmp/clone/var/db")"
  for bad in abc "" 3306 033060; do
    in_clone "$tmp/clone" stop_server
    printf %s "$bad" >"$home/port"
    in_clone "$tmp/clone" start_server >"$tmp/out" 2>&1 || fail "port file '$bad': $(cat "$tmp/out")"
    port="$(cat "$home/port")"
    [[ $port =~ ^[0-9]+$ ]] && ((port >= 1024 && port != 3306 && port != 33060)) && grep -qF "$home/port" "$tmp/out" ||
      fail "port file '$bad': the server took '$port': $(cat "$tmp/out")"
  done
  if [[ $(id -u) -eq 0 ]]; then
    # The server's folder is the 'mysql' account's: links it puts at the names the set-up writes
    # never have root write, or change the mode or owner of, what they point at.
    in_clone "$tmp/clone" stop_server
    printf 'kept\n' >"$tmp/target"
    mkdir -m 755 "$tmp/folder"
    for name in files tmp; do
      rm -rf "${home:?}/$name"
      ln -s "$tmp/folder" "$home/$name"
      in_clone "$tmp/clone" start_server >/dev/null 2>&1 || true
      in_clone "$tmp/clone" stop_server
      [[ $(stat -c %a:%U "$tmp/folder") == 755:root ]] || fail "the link $name changed $(stat -c %a:%U "$tmp/folder")"
      rm "$home/$name"
    done
    for name in port clone error.log vtx.password.new; do ln -sf "$tmp/target" "$home/$name"; done
    in_clone "$tmp/clone" start_server >/dev/null 2>&1 && in_clone "$tmp/clone" create_database >/dev/null ||
      fail "no start with links in $home"
    [[ $(cat "$tmp/target") == kept && $(stat -c %a "$tmp/target") == 644 && -f $home/vtx.password ]] ||
      fail "written through a link in $home: $(cat "$tmp/target")"
    [[ ! -L $home/port && ! -L $home/clone && ! -L $home/error.log ]] || fail "links left: $(ls -l "$home")"
  fi
  in_clone "$tmp/clone" stop_server
  rm "$home/port"
  mv "$home/data/mysql" "$home/mysql.away"
  if in_clone "$tmp/clone" start_server >"$tmp/out" 2>&1; then fail "an empty server was made over the data"; fi
  grep -q "not making an empty one" "$tmp/out" || fail "$(cat "$tmp/out")"
  ;;
stray)
  # The stop at the end of a test run leaves alone a server another client uses meanwhile. A
  # server whose pid file or socket is gone is found by its data folder: stop stops it, status
  # does not call it stopped, and remove never deletes its folder under it.
  scratch
  scratch_clone clone
  server() { (cd / && "$tmp/clone/scripts/server" "$@"); }
  in_clone "$tmp/clone" start_server >/dev/null
  home="$(readlink -f "$tmp/clone/var/db")"
  pid="$(cat "$home/mariadbd.pid")"
  coproc SESSION { server sql -N --unbuffered; }
  echo "select 'connected';" >&"${SESSION[1]}"
  read -r answer <&"${SESSION[0]}"
  in_clone "$tmp/clone" stop_server_unless_used 2>"$tmp/out"
  server_process "$pid" && grep -q "left running" "$tmp/out" || fail "stopped under a client: $(cat "$tmp/out")"
  eval "exec ${SESSION[1]}>&-"
  wait "$SESSION_PID"
  rm "$home/mariadbd.pid"
  server stop >"$tmp/out" 2>&1 && ! server_process "$pid" ||
    fail "stop without the pid file left process $pid: $(cat "$tmp/out")"
  in_clone "$tmp/clone" start_server >/dev/null
  pid="$(cat "$home/mariadbd.pid")"
  rm "$home/mariadbd.pid" "$home/mariadb.sock"
  server status | grep -q "does not answer" || fail "status: $(server status)"
  if server remove --yes >"$tmp/out" 2>&1; then fail "removed under process $pid: $(cat "$tmp/out")"; fi
  [[ -d $home/data/mysql ]] && server_process "$pid" || fail "remove took the data or the server"
  server stop >"$tmp/out" 2>&1 && ! server_process "$pid" ||
    fail "stop without the socket left process $pid: $(cat "$tmp/out")"
  server remove --yes >/dev/null
  [[ ! -e $home ]] || fail "$home is left after remove"
  ;;
orphan)
  # A server in var/db itself, as another account than root runs it: once var/ is deleted under
  # the running server, no new empty server is made beside it.
  scratch
  scratch_clone clone
  plain() { link_server_folder() { :; } && start_server; }
  in_clone "$tmp/clone" plain >/dev/null
  pid="$(cat "$tmp/clone/var/db/mariadbd.pid")"
  rm -rf "$tmp/clone/var"
  if in_clone "$tmp/clone" plain >"$tmp/out" 2>&1; then fail "a new server was made beside process $pid"; fi
  grep -q "kill $pid" "$tmp/out" && [[ ! -e $tmp/clone/var/db/data ]] || fail "$(cat "$tmp/out")"
  ;;
tmptables)
  # A temporary table held open in one private server outlives the start of another; the
  # servers, mariadb-install-db's included, leave alone the temporary files of others in the
  # temporary folder the environment names.
  scratch
  scratch_clone one
  scratch_clone two
  mkdir -m 1777 "$tmp/shared"
  touch "$tmp/shared/#sql-other.MAI"
  chown "$SERVER_USER:" "$tmp/shared/#sql-other.MAI"
  export TMPDIR="$tmp/shared"
  in_clone "$tmp/one" start_server >/dev/null
  coproc SESSION { in_clone "$tmp/one" sql_root -N --unbuffered; }
  echo "CREATE DATABASE kept; USE kept; CREATE TEMPORARY TABLE t (v INT) ENGINE=Aria; INSERT INTO t VALUES (1); SELECT 'made';" >&"${SESSION[1]}"
  read -r answer <&"${SESSION[0]}" || true
  [[ $answer == made ]] || fail "no temporary table"
  in_clone "$tmp/two" start_server >/dev/null
  echo "DROP TEMPORARY TABLE t; SELECT 'dropped';" >&"${SESSION[1]}"
  read -r answer <&"${SESSION[0]}" || true
  [[ $answer == dropped ]] || fail "the temporary table did not outlive another server's start"
  [[ -e $tmp/shared/#sql-other.MAI ]] || fail "a server deleted another's temporary file in \$TMPDIR"
  ;;
crossdev)
  # A var/db folder of earlier scripts moved to server folders on another file system (a tmpfs
  # in a mount namespace of the test's own): out of room, cut short, and whole.
  [[ $(id -u) -eq 0 ]] || { echo "only as root"; exit 77; }
  if [[ ${2:-} != inside ]]; then
    if unshare -m true 2>/dev/null; then exec unshare -m "$0" crossdev inside; fi
    # In a chroot, whose root is no mount point, the namespace keeps the mounts' propagation:
    # the tmpfs is checked below not to be shared with the system's own mounts.
    unshare -m --propagation unchanged true || { echo "no mount namespaces here"; exit 77; }
    exec unshare -m --propagation unchanged "$0" crossdev inside
  fi
  tmp="$(mktemp -d)"
  trap 'umount "$tmp/homes" 2>/dev/null; rm -rf "$tmp"' EXIT
  mkdir "$tmp/homes"
  mount -t tmpfs -o size=2m tmpfs "$tmp/homes" || { echo "no tmpfs mounts here"; exit 77; }
  if grep -F " $tmp/homes " /proc/self/mountinfo | grep -q shared:; then
    echo "the tmpfs would be seen outside the test"
    exit 77
  fi
  export VTX_TEST_SERVER_HOMES="$tmp/homes"
  clone="$tmp/clone"
  mkdir -p "$clone/scripts" "$clone/var/db/data/mysql" "$tmp/shim"
  cp "$ROOT/scripts/common.sh" "$clone/scripts/"
  head -c 3M /dev/urandom >"$clone/var/db/data/ibdata1"
  echo 33999 >"$clone/var/db/port"
  cp -a "$clone/var/db" "$tmp/original"
  [[ $(stat -c %d "$clone/var/db") != "$(stat -c %d "$tmp/homes")" ]] || fail "one file system"
  moved() { # the data whole in the one server folder, linked from var/db, nothing left behind
    local homes=("$tmp"/homes/*)
    [[ ${#homes[@]} == 1 && $(readlink "$clone/var/db") == "${homes[0]}" ]] || fail "var/db: $(ls -l "$clone/var")"
    diff -r -x clone "$tmp/original" "${homes[0]}" || fail "the moved data differs"
    [[ ! -e $clone/var/db.link && ! -e $clone/var/db.old ]] || fail "left: $(ls "$clone/var")"
  }
  # Out of room: the original stays whole, nothing is left, and the start fails also where
  # set -e is off.
  if in_clone "$clone" start_server >"$tmp/out" 2>&1; then fail "started: $(cat "$tmp/out")"; fi
  diff -r "$tmp/original" "$clone/var/db" || fail "the original changed"
  [[ -z $(ls -A "$tmp/homes") && ! -e $clone/var/db.link ]] || fail "left: $(ls "$tmp/homes" "$clone/var")"
  grep -F "$clone/var/db" "$tmp/out" | grep -qF "$tmp/homes/clone." || fail "$(cat "$tmp/out")"
  mount -o remount,size=16m "$tmp/homes"
  # Cut short during the copy: the partial copy goes and the move starts again.
  printf '#!/bin/sh\nhead -c 1000 "$2/data/ibdata1" >"$3/ibdata1"\nkill -9 $PPID\n' >"$tmp/shim/cp"
  chmod +x "$tmp/shim/cp"
  PATH="$tmp/shim:$PATH" in_clone "$clone" link_server_folder >/dev/null 2>&1 || true
  [[ -L $clone/var/db.link && -d $clone/var/db ]] || fail "the copy was not cut short: $(ls "$clone/var")"
  in_clone "$clone" link_server_folder >/dev/null
  moved
  # Cut short once the original was set aside: the move is finished.
  rm -rf "$clone/var/db" "$tmp"/homes/*
  cp -a "$tmp/original" "$clone/var/db"
  printf '#!/bin/sh\n/bin/mv "$@"\ncase "$3" in *.old) kill -9 $PPID ;; esac\n' >"$tmp/shim/mv"
  chmod +x "$tmp/shim/mv"
  rm "$tmp/shim/cp"
  PATH="$tmp/shim:$PATH" in_clone "$clone" link_server_folder >/dev/null 2>&1 || true
  [[ -L $clone/var/db.link && -d $clone/var/db.old && ! -e $clone/var/db ]] || fail "the move was not cut short: $(ls "$clone/var")"
  in_clone "$clone" link_server_folder >/dev/null
  moved
  ;;
folder)
  # A clone whose folder's name holds blanks, an apostrophe and accented letters builds.
  tmp="$(mktemp -d)"
  trap 'rm -rf "$tmp"' EXIT
  clone="$tmp/Dr. O'Neil - São João"
  mkdir "$clone"
  cp -r "$ROOT/CMakeLists.txt" "$ROOT/src" "$ROOT/tests" "$ROOT/scripts" "$clone/"
  if ! { cmake -S "$clone" -B "$clone/build" -G Ninja && cmake --build "$clone/build" --target Vertalumex_fonts; } >"$tmp/log" 2>&1; then
    fail "the build in '$clone' failed: $(tail -n 5 "$tmp/log")"
  fi
  [[ -s $clone/build/src/app/fonts/Helvetica.afm ]] || fail "no font metrics in '$clone'"
  ;;
*)
  fail "unknown check '$1'"
  ;;
esac
