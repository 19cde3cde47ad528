"""What a restore's load may leave in its database, checked before the schema and the upgrades
run on it as the server's administrator.

A backup of the program's database holds the program's tables and their rows alone: every
table an InnoDB base table that db/schema.sql or an upgrade step makes, none with its files in
a folder of its own choosing (DATA or INDEX DIRECTORY) or split into partitions, no foreign key
to another database, no view, trigger, routine, event or sequence, and no comment on the
database (the load's own statement could write one, and a comment naming an upgrade step this
tree lacks would have the schema and every upgrade skipped). Anything else came from elsewhere:
the restore refuses it.
"""

from . import databases
from .client import quote
from .tell import SetupError

# Each object of the database as (kind, name, type, engine, options, referenced database).
FOUND = """
SELECT 'table', TABLE_NAME, TABLE_TYPE, IFNULL(ENGINE, ''), IFNULL(CREATE_OPTIONS, ''), ''
  FROM information_schema.tables WHERE TABLE_SCHEMA = {db}
UNION ALL SELECT 'foreign key', CONCAT(TABLE_NAME, '.', CONSTRAINT_NAME), '', '', '',
  UNIQUE_CONSTRAINT_SCHEMA FROM information_schema.referential_constraints
  WHERE CONSTRAINT_SCHEMA = {db} AND UNIQUE_CONSTRAINT_SCHEMA <> {db}
UNION ALL SELECT 'trigger', TRIGGER_NAME, '', '', '', ''
  FROM information_schema.triggers WHERE TRIGGER_SCHEMA = {db}
UNION ALL SELECT LOWER(ROUTINE_TYPE), ROUTINE_NAME, '', '', '', ''
  FROM information_schema.routines WHERE ROUTINE_SCHEMA = {db}
UNION ALL SELECT 'event', EVENT_NAME, '', '', '', ''
  FROM information_schema.events WHERE EVENT_SCHEMA = {db}
UNION ALL SELECT 'comment', SCHEMA_COMMENT, '', '', '', ''
  FROM information_schema.schemata WHERE SCHEMA_NAME = {db} AND SCHEMA_COMMENT <> ''
"""


def _strange(kind, name, table_type, engine, options, other, known):
    """Why an object has no place in a backup of the program's database, or None."""
    if kind == "foreign key":
        return f"the foreign key {name!r} to the database {other!r}"
    if kind != "table":
        return f"the {kind} {name!r}"
    if table_type != "BASE TABLE":
        return f"the {table_type.lower()} {name!r}"
    if name not in known:
        return f"the table {name!r}, which the program's schema does not make"
    if engine != "InnoDB":
        return f"the table {name!r} of the engine {engine!r}"
    if "DIRECTORY" in options.upper() or "partitioned" in options:
        return f"the table {name!r} with {options!r}"
    return None


def check_loaded(client, database, file, db_dir=None):
    """Refuses a loaded database that holds anything a backup of the program does not."""
    known = set(databases.known_tables(db_dir))
    rows = client.query(FOUND.format(db=quote(database)), step="a check of the loaded backup")
    found = [why for row in rows if len(row) == 6 and (why := _strange(*row, known))]
    if found:
        raise SetupError(
            f"{file} holds what no backup of the program holds ({'; '.join(found[:5])}"
            f"{'; ...' if len(found) > 5 else ''})"
        )
