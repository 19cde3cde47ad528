"""Backups changed on their way to a restore: a real backup with statements put in before its
completion line. Run as the server's administrator, each of REACHING reaches past the restore's
own database; each of ODD loads into it but leaves what no backup of the program holds."""

import gzip


def reaching(other, live, secret):
    """{what: statements}: other, a database of its own; live, the program's database; secret,
    a file only root reads."""
    return {
        "a drop after a statement on one line": f"SELECT 1; DROP DATABASE {other};",
        "a drop in a versioned comment": f"/*!50000 DROP DATABASE {other} */;",
        "an account with every right":
            "CREATE OR REPLACE USER 'x'@'127.0.0.1' IDENTIFIED BY 'x'; SELECT 1;"
            " GRANT ALL ON *.* TO 'x'@'127.0.0.1' WITH GRANT OPTION;",
        "live rows deleted, then a failure":
            f"DELETE FROM {live}.pacientes WHERE idpac <= 10;\nSELECT * FROM no_such_table;",
        "a local file read":
            f"LOAD DATA LOCAL INFILE '{secret}' INTO TABLE feriados (obs)"
            " SET idlic = 's', dia = 1, mes = 1;",
    }


def odd(folder):
    """{what: statements}; folder: one the server may write into."""
    return {
        "a sequence": "CREATE SEQUENCE s;",
        "a comment that would have the upgrades skipped":
            "ALTER DATABASE COMMENT 'vertalumex-upgrades:999-not-here';",
        "a table the schema does not make": "CREATE TABLE extra (a INT);",
        "a table of another engine": "ALTER TABLE feriados ENGINE=MyISAM;",
        "a table whose files lie elsewhere":
            f"DROP TABLE feriados; CREATE TABLE feriados (a INT) DATA DIRECTORY='{folder}';",
    }


def write(dump, statements, path):
    """Writes the dump (bytes, uncompressed) with statements put in before its completion line,
    gzip'd, into path; returns path."""
    at = dump.rindex(b"\n-- Dump completed") + 1
    with gzip.open(path, "wb") as f:
        f.write(dump[:at] + statements.encode() + b"\n" + dump[at:])
    return path
