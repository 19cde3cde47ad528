"""The program's databases and accounts on a server, private or the clinic's.

A database is made or upgraded by db/schema.sql (idempotent: CREATE TABLE IF NOT EXISTS) and
then every step of db/upgrades in the order of its name; each step checks the state it finds,
so every set-up runs all of them. Once all have gone through, the database's comment records
the last step applied ("vertalumex-upgrades:NNN-name"). Clones of different versions share a
database: one that does not know the step recorded is older than the database, and runs none. A workstation reads that comment, with
no rights beyond the program's, to tell whether its program is newer than the database.

Every value goes into SQL through quote(); database names are checked against a plain-name
rule before they go in between back quotes.
"""

import re
import secrets
from pathlib import Path

from .client import quote
from .tell import SetupError, note

DB_DIR = Path(__file__).resolve().parents[2] / "db"
COMMENT_PREFIX = "vertalumex-upgrades:"
STEP_NAME = re.compile(r"^[0-9]{3}-[^/]*\.sql$")
DATABASE_NAME = re.compile(r"^[A-Za-z0-9_]{1,64}$")

# What the program does on its database: reads and writes rows (SELECT ... FOR UPDATE and
# GET_LOCK need nothing more). The tests' account also makes and drops tables.
PROGRAM_RIGHTS = ("SELECT", "INSERT", "UPDATE", "DELETE")
# A right and its column in mysql.db.
RIGHT_COLUMNS = {
    "SELECT": "Select_priv",
    "INSERT": "Insert_priv",
    "UPDATE": "Update_priv",
    "DELETE": "Delete_priv",
    "CREATE": "Create_priv",
    "DROP": "Drop_priv",
    "REFERENCES": "References_priv",
    "INDEX": "Index_priv",
    "ALTER": "Alter_priv",
    "CREATE TEMPORARY TABLES": "Create_tmp_table_priv",
    "LOCK TABLES": "Lock_tables_priv",
    "CREATE VIEW": "Create_view_priv",
    "SHOW VIEW": "Show_view_priv",
    "CREATE ROUTINE": "Create_routine_priv",
    "ALTER ROUTINE": "Alter_routine_priv",
    "EXECUTE": "Execute_priv",
    "EVENT": "Event_priv",
    "TRIGGER": "Trigger_priv",
    "DELETE HISTORY": "Delete_history_priv",
}
ALL_RIGHTS = tuple(RIGHT_COLUMNS)


def random_password():
    """32 letters, digits, '-' and '_' (192 random bits): no character that a connection
    string, a shell or SQL would read specially."""
    return secrets.token_urlsafe(24)


def check_name(database):
    """A database name as the set-up writes it into SQL between back quotes."""
    if not DATABASE_NAME.match(database or ""):
        raise SetupError(
            f"The database name {database!r} is not one the set-up takes: use letters, digits"
            " and '_' only (at most 64)"
        )
    return f"`{database}`"


def upgrade_steps(db_dir=None):
    """The upgrade steps, in the order they run."""
    folder = Path(db_dir or DB_DIR) / "upgrades"
    return sorted(p for p in folder.iterdir() if STEP_NAME.match(p.name) and p.is_file())


def schema_tables(db_dir=None):
    """The tables db/schema.sql makes."""
    return _tables_made(Path(db_dir or DB_DIR) / "schema.sql")


def known_tables(db_dir=None):
    """The tables db/schema.sql or an upgrade step makes: all a database of the program holds."""
    known = schema_tables(db_dir)
    for step in upgrade_steps(db_dir):
        known += [t for t in _tables_made(step) if t not in known]
    return known


def _tables_made(path):
    text = path.read_text(encoding="utf-8")
    return re.findall(r"(?im)^\s*CREATE\s+TABLE\s+(?:IF\s+NOT\s+EXISTS\s+)?`?(\w+)`?", text)


def apply_schema(client, database, db_dir=None):
    """Makes the database when missing, then runs the schema and every upgrade step on it.
    A step that fails stops the set-up, naming it; the steps after it are not run. A tree
    that does not know the step the database records runs none, and says what it lacks."""
    name = check_name(database)
    folder = Path(db_dir or DB_DIR)
    try:
        client.run(
            f"CREATE DATABASE IF NOT EXISTS {name} CHARACTER SET utf8mb4"
            " COLLATE utf8mb4_general_ci"
        )
    except SetupError as e:
        raise SetupError(f"Cannot make the database {database}: {e}") from None
    known = [p.stem for p in upgrade_steps(folder)]
    comment = _comment(client, database) or ""
    recorded = comment[len(COMMENT_PREFIX):] if comment.startswith(COMMENT_PREFIX) else ""
    if recorded and recorded not in known:
        note(
            f"The database {database} has the upgrade step {recorded} applied, which this clone does not have (its "
            f"steps end at {known[-1] if known else 'none'}): it lacks {recorded} and any step before it that is "
            "not in its db/upgrades. No step is run, and the database is used as it is: update this clone (git pull)"
        )
        return
    steps = [folder / "schema.sql"] + upgrade_steps(folder)
    for step in steps:
        try:
            client.run_file(step, database)
        except SetupError as e:
            rest = len(steps) - steps.index(step) - 1
            raise SetupError(
                f"The step {step.parent.name}/{step.name} failed on the database {database}"
                f" ({rest} later step(s) not run): {e}"
            ) from None
    record_upgrades(client, database, db_dir)


def record_upgrades(client, database, db_dir=None):
    """Records in the database's comment the last upgrade step of this tree, as applied. A
    comment the set-up did not write is kept."""
    name = check_name(database)
    steps = upgrade_steps(db_dir)
    last = steps[-1].stem if steps else ""
    comment = _comment(client, database)
    if comment is not None and (comment == "" or comment.startswith(COMMENT_PREFIX)):
        if comment != COMMENT_PREFIX + last:
            client.run(f"ALTER DATABASE {name} COMMENT {quote(COMMENT_PREFIX + last)}")


def _comment(client, database):
    rows = client.query(
        "SELECT SCHEMA_COMMENT FROM information_schema.schemata"
        f" WHERE SCHEMA_NAME = {quote(database)}"
    )
    return rows[0][0] if rows and rows[0] else None


def tables(client, database):
    """The database's tables, by name."""
    return [r[0] for r in client.query(
        "SELECT TABLE_NAME FROM information_schema.tables"
        f" WHERE TABLE_SCHEMA = {quote(database)} ORDER BY TABLE_NAME") if r]


def installation_keys(client, database):
    """[(idlic, users)] of the installations the database knows."""
    return client.query(f"SELECT idlic, COUNT(*) FROM {check_name(database)}.usuarios GROUP BY idlic")


def upgrades_missing(client, database, db_dir=None):
    """What this tree's schema has that the database lacks: upgrade steps after the last one
    the database records, and tables of the schema it does not have. None when it cannot be
    told (no such database visible, or its comment is not the set-up's)."""
    check_name(database)
    comment = _comment(client, database)
    if comment is None or not comment.startswith(COMMENT_PREFIX):
        return None
    last = comment[len(COMMENT_PREFIX):]
    missing = [p.name for p in upgrade_steps(db_dir) if p.stem > last]
    have = {t.lower() for t in tables(client, database)}
    lacking = [t for t in schema_tables(db_dir) if t.lower() not in have]
    if lacking:
        missing.append("schema.sql (tables " + ", ".join(lacking) + ")")
    return missing


def newer_step(client, database, db_dir=None):
    """The last upgrade step the database records when it comes after every step of this
    tree (the database was upgraded by a newer program), else None."""
    comment = _comment(client, database)
    if comment is None or not comment.startswith(COMMENT_PREFIX):
        return None
    last = comment[len(COMMENT_PREFIX):]
    steps = upgrade_steps(db_dir)
    return last if last > (steps[-1].stem if steps else "") else None


def _account(user, host):
    return f"{quote(user)}@{quote(host)}"


def ensure_program_account(
    client, user, hosts, password, databases, require_ssl=False, rights=PROGRAM_RIGHTS,
    set_password=True,
):
    """Makes the account user@host for each host, with the given rights on the given databases
    and none elsewhere, its password, and TLS required or not. What already is as asked is left
    alone, so that running it again changes nothing. With set_password False (or password None)
    an existing account keeps its password, and password only makes new ones. Returns a line
    for each change made."""
    if not hosts:
        raise SetupError("No address was given for the program's account")
    for right in rights:
        if right not in RIGHT_COLUMNS:
            raise SetupError(f"Unknown right {right!r}")
    names = [check_name(d) for d in databases]
    # In a grant, '_' stands for any character unless escaped, and mysql.db keeps it escaped.
    grant_names = [n.replace("_", "\\_") for n in names]
    want = {d.replace("_", "\\_"): set(rights) for d in databases}
    ssl = "ANY" if require_ssl else ""
    changes = []
    for host in hosts:
        account = _account(user, host)
        where = f"User = {quote(user)} AND Host = {quote(host)}"
        rows = client.query(f"SELECT ssl_type FROM mysql.user WHERE {where}")
        statements = []
        if not rows:
            if password is None:
                raise SetupError(
                    f"The account {user}@{host} does not exist and no password was given for it"
                )
            statements.append(f"CREATE USER {account} IDENTIFIED BY {quote(password)}")
            changes.append(f"made the account {user}@{host}")
            current_ssl = ""
            have = {}
        else:
            current_ssl = rows[0][0] if rows[0] else ""
            if password is not None and set_password:
                same = client.query(
                    f"SELECT COUNT(*) FROM mysql.user WHERE {where}"
                    f" AND authentication_string = PASSWORD({quote(password)})"
                )
                if same[0][0] != "1":
                    statements.append(f"ALTER USER {account} IDENTIFIED BY {quote(password)}")
                    changes.append(f"set the password of {user}@{host}")
            have = _rights(client, where)
        if current_ssl != ssl:
            statements.append(f"ALTER USER {account} REQUIRE {'SSL' if require_ssl else 'NONE'}")
            changes.append(
                f"{'required' if require_ssl else 'stopped requiring'} TLS for {user}@{host}"
            )
        if have != want:
            if rows:
                statements.append(f"REVOKE ALL PRIVILEGES, GRANT OPTION FROM {account}")
            for name in grant_names:
                statements.append(f"GRANT {', '.join(rights)} ON {name}.* TO {account}")
            changes.append(
                f"gave {user}@{host} {', '.join(rights)} on {', '.join(databases)} and no"
                " other right"
            )
        if statements:
            try:
                client.run(";\n".join(statements) + ";")
            except SetupError as e:
                raise SetupError(f"Cannot set up the account {user}@{host}: {e}") from None
    return changes


def _rights(client, where):
    """An account's rights as {database pattern: {right, ...}}; a right anywhere else than a
    whole database (global, a table, a column, a routine) shows under the key '*'. The pattern
    comes in hexadecimal: the client's batch output would escape its back slashes."""
    found = {}
    columns = list(RIGHT_COLUMNS.values())
    for row in client.query(
        f"SELECT HEX(Db), Grant_priv, {', '.join(columns)} FROM mysql.db WHERE {where}"
    ):
        held = {r for r, flag in zip(RIGHT_COLUMNS, row[2:]) if flag == "Y"}
        if row[1] == "Y":
            held.add("GRANT OPTION")
        if held:
            found[bytes.fromhex(row[0]).decode("utf-8", "replace")] = held
    other = client.query(
        f"SELECT (SELECT JSON_VALUE(Priv, '$.access') FROM mysql.global_priv WHERE {where}),"
        f" (SELECT COUNT(*) FROM mysql.tables_priv WHERE {where}),"
        f" (SELECT COUNT(*) FROM mysql.columns_priv WHERE {where}),"
        f" (SELECT COUNT(*) FROM mysql.procs_priv WHERE {where})"
    )
    if other and any(v not in ("0", "NULL", "") for v in other[0]):
        found["*"] = {"other"}
    return found


def make_test_database(client, name, quote_user="vtx;{q}", host="127.0.0.1"):
    """The tests' database, made anew with this tree's schema, and an account that may only
    read it, whose name needs the driver's brace quoting. Returns its password."""
    _check_test_name(name)
    sql_name = check_name(name)
    password = random_password()
    account = _account(quote_user, host)
    try:
        client.run(
            f"DROP DATABASE IF EXISTS {sql_name};\n"
            f"CREATE DATABASE {sql_name} CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci;\n"
            f"CREATE USER IF NOT EXISTS {account};\n"
            f"ALTER USER {account} IDENTIFIED BY {quote(password)};\n"
            f"GRANT SELECT ON {sql_name}.* TO {account};"
        )
    except SetupError as e:
        raise SetupError(f"Cannot make the tests' database {name}: {e}") from None
    apply_schema(client, name)
    return password


def _check_test_name(name):
    if not (name or "").endswith("_test"):
        raise SetupError(f"{name!r} is no tests' database (its name ends in _test): not touched")
