"""Backups and restores of the program's database, on a throw-away server of the test's own:
a round trip of awkward rows taken while a writer inserts, a restore over rows, edited backups
that reach nothing but their restore's own database, a refused swap and a killed restore that
leave nothing behind, and backups that fail (a full disk, a dump that fails or is cut short)
leaving nothing behind."""

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

from vtxsetup import backup, databases, paths, restoreaccount, testserver  # noqa: E402
from vtxsetup.tell import SetupError  # noqa: E402
from scenario import NAMES  # noqa: E402
import edited  # noqa: E402

DB = "vertalumex_test"
SYSTEM = ("information_schema", "mysql", "performance_schema", "sys")
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

    def world(self):
        """Every database with its tables' checksums, and every account with its rights."""
        names = [r[0] for r in self.client.query("SHOW DATABASES")]
        tables = [f"`{d}`.`{t}`" for d in names if d not in SYSTEM for t in self.tables(d)]
        return (names, self.client.query("CHECKSUM TABLE " + ", ".join(tables)),
                self.client.query("SELECT * FROM mysql.global_priv ORDER BY User, Host"),
                self.client.query("SELECT * FROM mysql.db ORDER BY User, Host, Db"),
                self.client.query("SELECT * FROM mysql.tables_priv ORDER BY User, Host, Db"))

    def assert_nothing_restored(self, refusal):
        self.assertIn("nothing restored", str(refusal))
        self.assertNotIn("\n", str(refusal))
        self.assertLess(len(str(refusal)), 1500)

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

    def test_edited_backups_reach_their_own_database_alone(self):
        with restoreaccount.login(self.client, "granted_test") as account:
            grants = [r[0] for r in account.query("SHOW GRANTS")]
        self.assertEqual(len(grants), 2, grants)
        self.assertRegex(grants[0], r"^GRANT USAGE ON \*\.\* TO `vtx_restore_\w+`@`localhost`"
                                    r" IDENTIFIED BY PASSWORD '[^']+'$")
        self.assertRegex(grants[1], r"^GRANT SELECT, INSERT, CREATE, DROP, ALTER, LOCK TABLES ON"
                                    r" `granted\\_test`\.\* TO `vtx_restore_\w+`@`localhost`$")
        file = backup.backup(self.target, DB, os.path.join(self.tmp, "to-edit.sql.gz"),
                             note=lambda _t: None)
        with gzip.open(file) as f:
            dump = f.read()
        secret = os.path.join(self.tmp, "secret")
        with open(os.open(secret, os.O_WRONLY | os.O_CREAT, 0o600), "w") as f:
            f.write("only root reads this\n")
        writable = tempfile.mkdtemp(prefix="vtx-backup-dd.")
        self.addCleanup(shutil.rmtree, writable, True)
        os.chown(writable, *paths.server_account()[1:])
        self.client.run("CREATE DATABASE other_test; CREATE TABLE other_test.t (a INT);"
                        " INSERT INTO other_test.t VALUES (1);"
                        " SET GLOBAL local_infile = 1")  # as Debian's service has it
        cases = {**edited.reaching("other_test", DB, secret), **edited.odd(writable)}
        before = self.world()
        saved = [n for n in os.listdir(self.tmp) if n.startswith(DB + "-")]
        try:
            for what, statements in cases.items():
                with self.subTest(what):
                    path = edited.write(dump, statements, os.path.join(self.tmp, "edited.sql.gz"))
                    with self.assertRaises(SetupError) as refused:
                        backup.restore(self.target, DB, path, over=True, note=lambda _t: None)
                    self.assert_nothing_restored(refused.exception)
                    self.assertEqual(self.world(), before)
                    # The safety backup comes only once something is about to be replaced.
                    self.assertEqual([n for n in os.listdir(self.tmp) if n.startswith(DB + "-")],
                                     saved)
        finally:
            self.client.run("SET GLOBAL local_infile = 0; DROP DATABASE IF EXISTS other_test;"
                            " DROP USER IF EXISTS 'x'@'127.0.0.1'")

    def test_a_refused_swap_and_a_killed_restore_leave_nothing(self):
        file = backup.backup(self.target, DB, os.path.join(self.tmp, "swap.sql.gz"),
                             note=lambda _t: None)
        before = self.world()
        # What a restore killed midway leaves: its account and its database.
        self.client.run(f"CREATE USER 'vtx_restore_killed'@'localhost';"
                        f" CREATE DATABASE {DB}_restore_20000101000000")
        # The program's open transaction holds a table the swap must move.
        holder = subprocess.Popen(
            self.client.command("--batch", "--skip-column-names", "--unbuffered", f"--database={DB}"),
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        try:
            holder.stdin.write("BEGIN; SELECT 'held' FROM feriados LIMIT 1; SELECT 'held';\n")
            holder.stdin.flush()
            self.assertEqual(holder.stdout.readline(), "held\n")
            with mock.patch.object(backup, "SWAP_WAIT", 1), self.assertRaises(SetupError) as refused:
                backup.restore(self.target, DB, file, over=True, note=lambda _t: None)
        finally:
            holder.stdin.close()
            holder.wait()
            holder.stdout.close()
        self.assert_nothing_restored(refused.exception)
        self.assertNotIn("RENAME", str(refused.exception))
        self.assertIn("Close the program on every workstation", str(refused.exception))
        self.assertEqual(self.world(), before)

    def test_restores_touch_no_database_of_another_name(self):
        file = backup.backup(self.target, DB, os.path.join(self.tmp, "names.sql.gz"),
                             note=lambda _t: None)
        # A name that leaves no room for the restore's own beside it (64 characters).
        long = "l" * 59 + "_test"
        # Databases an earlier restore of copy_test did not make: another case, another ending.
        others = ["COPY_TEST_RESTORE_20000101_000000", "copy_test_restore_check"]
        self.client.run(";".join(f"CREATE DATABASE {d}; CREATE TABLE {d}.t (a INT) ENGINE=InnoDB;"
                                 f" INSERT INTO {d}.t VALUES (1)" for d in [long, *others])
                        + "; CREATE DATABASE copy_test_restore_20000101_000000")
        try:
            with self.assertRaises(SetupError) as refused:
                backup.restore(self.target, long, file, over=True, note=lambda _t: None)
            self.assert_nothing_restored(refused.exception)
            self.assertEqual(self.tables(long), ["t"])
            backup.restore(self.target, "copy_test", file, note=lambda _t: None)
            for d in others:
                self.assertEqual(self.client.value(f"SELECT COUNT(*) FROM {d}.t"), "1", d)
            self.assertFalse(self.client.query("SHOW DATABASES LIKE 'copy\\_test\\_restore\\_2%'"))
        finally:
            self.client.run(";".join(f"DROP DATABASE IF EXISTS {d}" for d in [long, *others,
                                     "copy_test", "copy_test_restore_20000101_000000"]))

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
                 f"mount -t tmpfs -o size=64k tmpfs '{folder}' && exec /usr/bin/python3 -I -B -c \"$0\"",
                 script], capture_output=True, text=True, timeout=300)
            self.assertIn("FAILED", done.stdout, done.stdout + done.stderr)
            self.assertIn("disk full", done.stdout)
            self.assertIn("LEFT []", done.stdout)


if __name__ == "__main__":
    if not shutil.which("mariadbd"):
        print("no MariaDB server here")
        sys.exit(77)
    unittest.main(verbosity=2)
