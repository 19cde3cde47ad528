#!/usr/bin/env bash
# Checks of the private server that the scripts set up: who may log in, who may read its
# files, and the upgrade of a database made by an older schema.
# Usage: setup_test.sh logins|files|upgrade   (with the server running, as ./scripts/test leaves it)
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
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
  [[ $priv == "$FILES_DIR/" ]] || fail "secure_file_priv is '$priv'"
  [[ $infile == 0 ]] || fail "local_infile is on"
  ;;
files)
  [[ $(stat -c %a "$DBDIR") == 700 && -S $SOCKET ]] || fail "$DBDIR is not 0700 with the socket inside"
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
*)
  fail "unknown check '$1'"
  ;;
esac
