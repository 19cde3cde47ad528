"""Backups and restores of the program's database, on a throw-away server of the test's own:
a round trip of awkward rows taken while a writer inserts, a restore over rows, and backups
that fail (a full disk, a dump that fails or is cut short) leaving nothing behind."""

import gzip
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest
from unittest import mock

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPTS = os.path.join(os.path.dirname(os.path.dirname(HERE)), "scripts")
sys.path.insert(0, SCRIPTS)
sys.path.insert(0, HERE)
os.environ["PATH"] = os.environ.get("PATH", "/usr/bin:/bin") + ":/usr/local/sbin:/usr/sbin:/sbin"

from vtxsetup import backup, databases, testserver  # noqa: E402
from vtxsetup.errors import SetupError  # noqa: E402
from scenario import NAMES  # noqa: E402

DB = "vertalumex_test"
MEMO = "ç" * 32767 + "a"  # 65,535 bytes, a TEXT column's most
ROWS = 20000


class Writer(threading.Thread):
    """Inserts numbered rows, each committed on its own, until told to stop; `started` is set
    once 200 are in."""

    def __init__(self, client):
        super().__init__(daemon=True)
        self.proc = subprocess.Popen(
            client.command("--batch", "--skip-column-names", "--unbuffered", f"--database={DB}"),
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.started, self.stop, self.count = threading.Event(), threading.Event(), 0

    def run(self):
        while not self.stop.is_set():
            n = self.count + 1
            self.proc.stdin.write(f"INSERT INTO feriados (idlic, dia, mes) VALUES ('w', {n}, 1);"
                                  f" SELECT {n};\n")
            self.proc.stdin.flush()
            if self.proc.stdout.readline().strip() != str(n):
                break
            self.count = n
            if n == 200:
                self.started.set()
        self.proc.stdin.close()
        self.proc.wait()
        self.proc.stdout.close()
        self.started.set()


class BackupTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.ts = testserver.TestServer(note=lambda _t: None)
        cls.tmp = tempfile.mkdtemp(prefix="vtx-backup.")
        try:
            cls.fill()
        except BaseException:
            cls.tearDownClass()
            raise

    @classmethod
    def fill(cls):
        cls.ts.make()
        cls.client = cls.ts.server.client()
        cls.target = backup.Target(cls.client, where="the test's server")
        os.environ["VTX_BACKUP_DIR"] = cls.tmp
        q = databases.quote
        names = ", ".join(f"('1', {q(n)}, {q(MEMO)})" for n in NAMES)
        cls.client.run(
            f"INSERT INTO pacientes (idlic, nmPac, obs) VALUES {names};"
            "INSERT INTO pacientes (idlic, nmPac, cpf) SELECT '2', CONCAT('P', seq), LEFT(MD5(seq), 22)"
            f" FROM seq_1_to_{ROWS};"
            "INSERT INTO profissionais (idlic, valor) VALUES ('1', 9999999999999.99),"
            " ('1', -9999999999999.99), ('1', 0.01);"
            "INSERT INTO produtos (idlic, cdpro, vcusto, qmin) VALUES"
            " ('1', 'a', 9999999999999.9999, -9999999999999.9999), ('1', 'b', 0.0001, 0);",
            database=DB)

    @classmethod
    def tearDownClass(cls):
        cls.ts.remove()
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def tables(self, db):
        return [r[0] for r in self.client.query(f"SHOW TABLES FROM {db}")]

    def state(self, db, skip=()):
        """Each table's rows and CHECKSUM TABLE."""
        return {t: (self.client.value(f"SELECT COUNT(*) FROM {db}.{t}"),
                    self.client.query(f"CHECKSUM TABLE {db}.{t}")[0][1])
                for t in self.tables(db) if t not in skip}

    def test_round_trip_while_a_writer_inserts(self):
        quiet = self.state(DB, skip=("feriados",))
        writer = Writer(self.client)
        writer.start()
        writer.started.wait(60)
        began = time.monotonic()
        file = backup.backup(self.target, DB, note=lambda _t: None)
        backup_time = time.monotonic() - began
        writer.stop.set()
        writer.join(60)
        self.assertTrue(os.path.basename(file).startswith(DB + "-") and file.endswith(".sql.gz"))
        self.assertEqual(os.stat(file).st_mode & 0o777, 0o600)
        began = time.monotonic()
        self.assertIsNone(backup.restore(self.target, "copy_test", file, note=lambda _t: None))
        restore_time = time.monotonic() - began
        try:
            self.assertEqual(self.state("copy_test", skip=("feriados",)), quiet)
            count, low, high = self.client.query(
                "SELECT COUNT(*), MIN(dia), MAX(dia) FROM copy_test.feriados WHERE idlic = 'w'")[0]
            # A gap-free prefix of the writer's rows, taken while it still wrote.
            self.assertEqual((low, high), ("1", count))
            self.assertGreaterEqual(int(count), 200)
            self.assertLess(int(count), writer.count)
            rows = self.client.query("SELECT nmPac, obs FROM copy_test.pacientes WHERE idlic = '1'"
                                     " ORDER BY idpac")
            self.assertEqual(rows, [[n, MEMO] for n in NAMES])
            self.assertEqual(self.client.query("SELECT valor FROM copy_test.profissionais ORDER BY"
                                               " idpro")[:2],
                             [["9999999999999.99"], ["-9999999999999.99"]])
            self.assertEqual(databases.upgrades_missing(self.client, "copy_test"), [])
        finally:
            self.client.run("DROP DATABASE copy_test")
        print(f"round trip: {ROWS + 8 + int(count)} rows, backup {backup_time:.2f} s"
              f" ({os.path.getsize(file)} bytes), restore {restore_time:.2f} s", file=sys.stderr)

    def test_restore_over_rows_keeps_them_aside(self):
        file = backup.backup(self.target, DB, os.path.join(self.tmp, "over.sql.gz"),
                             note=lambda _t: None)
        self.client.run("INSERT INTO feriados (idlic, dia, mes, obs) VALUES ('1', 25, 12, 'novo')",
                        database=DB)
        before = self.state(DB)
        with self.assertRaisesRegex(SetupError, "holds rows"):
            backup.restore(self.target, DB, file, note=lambda _t: None)
        self.assertEqual(self.state(DB), before)
        # A nightly backup in the same second as the restore's own safety backup: both kept.
        with mock.patch.object(backup, "_stamp", return_value="2026-01-01_000000"):
            nightly = backup.backup(self.target, DB, note=lambda _t: None)
            kept = backup.restore(self.target, DB, file, over=True, note=lambda _t: None)
        try:
            self.assertTrue(os.path.exists(nightly))
            self.assertTrue(os.path.exists(nightly.replace("000000.sql", "000000-2.sql")))
            self.assertEqual(self.state(kept), before)
            self.assertEqual(self.client.value(f"SELECT COUNT(*) FROM {DB}.feriados WHERE obs ="
                                               " 'novo'"), "0")
            saved = [f for f in os.listdir(self.tmp) if f.startswith(DB + "-")]
            self.assertTrue(saved, "the data replaced was not backed up first")
            names = [r[0] for r in self.client.query("SHOW DATABASES")]
            self.assertFalse([n for n in names if "_restore_" in n])
        finally:
            self.client.run(f"DROP DATABASE {kept}")
        # A file that would reach another database is refused before anything changes.
        foreign = os.path.join(self.tmp, "foreign.sql.gz")
        with gzip.open(foreign, "wb") as f:
            f.write(b"CREATE TABLE t (a INT);\nuse mysql;\nDROP TABLE t;\n-- Dump completed\n")
        with self.assertRaisesRegex(SetupError, "no backup of the program holds"):
            backup.restore(self.target, "other_test", foreign, note=lambda _t: None)
        # A load that fails early in a long file is named, with the server's reason: the file
        # itself reads well.
        failing = os.path.join(self.tmp, "failing.sql.gz")
        with gzip.open(failing, "wb") as f:
            f.write(b"CREATE TABLE t (a INT);\nINSERT INTO missing VALUES (1);\n"
                    + b"INSERT INTO t VALUES (1);\n" * 100000 + b"-- Dump completed\n")
        with self.assertRaisesRegex(SetupError, "(?s)Loading .* failed: .*missing"):
            backup.restore(self.target, "other_test", failing, note=lambda _t: None)
        self.assertFalse(self.client.query("SHOW DATABASES LIKE 'other%'"))

    def test_program_account_reaches_its_database_alone(self):
        # In a grant '_' matches any character: vertalumex_test must not cover vertalumexXtest.
        self.assertEqual(self.client.query(
            "SELECT Db FROM mysql.db WHERE User = 'vtx' AND 'vertalumexXtest' LIKE Db"), [])
        self.assertEqual(databases.ensure_program_account(
            self.client, "vtx", ["127.0.0.1"], None, [DB], rights=databases.ALL_RIGHTS), [])

    def test_failed_backups_leave_no_file(self):
        folder = tempfile.mkdtemp(dir=self.tmp)
        shims = tempfile.mkdtemp(dir=self.tmp)
        with self.subTest("the dump fails"):
            with self.assertRaisesRegex(SetupError, "mariadb-dump failed"):
                backup.backup(self.target, "missing_test", os.path.join(folder, "a.sql.gz"),
                              note=lambda _t: None)
            self.assertEqual(os.listdir(folder), [])
        with self.subTest("the dump is cut short"):
            real = shutil.which("mariadb-dump")
            with open(os.path.join(shims, "mariadb-dump"), "w") as f:
                f.write(f'#!/bin/sh\n"{real}" "$@" | head -c 3000\n')
            os.chmod(os.path.join(shims, "mariadb-dump"), 0o755)
            path = os.environ["PATH"]
            os.environ["PATH"] = shims + ":" + path
            try:
                with self.assertRaisesRegex(SetupError, "completion line"):
                    backup.backup(self.target, DB, os.path.join(folder, "b.sql.gz"),
                                  note=lambda _t: None)
            finally:
                os.environ["PATH"] = path
            self.assertEqual(os.listdir(folder), [])
        with self.subTest("the disk is full"):
            if os.geteuid() != 0 or not shutil.which("unshare") or subprocess.run(
                    ["unshare", "-m", "--propagation", "private", "true"], capture_output=True).returncode:
                self.skipTest("a full disk needs root and a private mount namespace")
            script = (
                f"import sys; sys.path.insert(0, {SCRIPTS!r})\n"
                "from vtxsetup import backup, client\n"
                f"t = backup.Target(client.Client({self.client.args!r}, 'test'))\n"
                "try:\n"
                f"    backup.backup(t, {DB!r}, {os.path.join(folder, 'c.sql.gz')!r})\n"
                "    print('MADE')\n"
                "except Exception as e:\n"
                "    print('FAILED', e)\n"
                f"import os; print('LEFT', os.listdir({folder!r}))\n")
            done = subprocess.run(
                ["unshare", "-m", "--propagation", "private", "sh", "-c",
                 f"mount -t tmpfs -o size=64k tmpfs '{folder}' && exec /usr/bin/python3 -I -c \"$0\"",
                 script], capture_output=True, text=True, timeout=300)
            self.assertIn("FAILED", done.stdout, done.stdout + done.stderr)
            self.assertIn("disk full", done.stdout)
            self.assertIn("LEFT []", done.stdout)


if __name__ == "__main__":
    if not shutil.which("mariadbd"):
        print("no MariaDB server here")
        sys.exit(77)
    unittest.main(verbosity=2)
