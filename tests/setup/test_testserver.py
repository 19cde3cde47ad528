"""The throw-away server of a test or benchmark run: a server of its own beside the clinic's,
which it never touches; nothing left behind, and a killed run's leftovers removed by the next."""

import gc
import os
import shutil
import stat
import subprocess
import sys
import tempfile
import time
import unittest
import warnings
from unittest import mock

SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts")
sys.path.insert(0, SCRIPTS)
from vtxsetup import files, testserver  # noqa: E402
from vtxsetup.server import Server, free_port  # noqa: E402
from vtxsetup.serverfolder import ServerFolder, make_servers_dir  # noqa: E402

MB = 1024 * 1024


def reaped(pid, bound=60):
    """Whether the process, a child of this one, is gone within bound seconds, waited for by
    the stop (a zombie keeps its /proc entry until then)."""
    deadline = time.monotonic() + bound
    while os.path.exists(f"/proc/{pid}"):
        if time.monotonic() > deadline:
            return False
        time.sleep(0.1)
    return True


class TestServerRuns(unittest.TestCase):
    def test_runs_share_nothing_with_each_other_or_the_clinic(self):
        # A server started here is waited for by its stop: none is dropped while it runs.
        caught = self.enterContext(warnings.catch_warnings(record=True))
        warnings.simplefilter("always", ResourceWarning)
        # The account's private server, with a row of its own, in a servers' folder of the
        # test's own: the one place a run that wrongly set a private server up would write.
        tmp = tempfile.mkdtemp(prefix="vtx-clinic.", dir="/tmp")
        self.addCleanup(shutil.rmtree, tmp)
        os.chmod(tmp, 0o711)
        self.enterContext(mock.patch.dict(os.environ, {"VTX_SERVERS_DIR": os.path.join(tmp, "servers")}))
        clinic = Server(ServerFolder.account())
        make_servers_dir(os.path.dirname(clinic.folder.path))
        clinic.folder.make()
        clinic.write_config(free_port(), 128 * MB)
        clinic.install()
        clinic.start()
        self.addCleanup(clinic.stop, kill=True)
        admin = clinic.client()
        admin.run("create database vertalumex; create table vertalumex.t (v int);"
                  " insert into vertalumex.t values (1)")
        clinic_pids = clinic.running_pids()

        with testserver.TestServer(note=lambda _: None) as tests:
            run = tests.server
            with open(tests.conf) as f:
                conf = dict(line.rstrip("\n").split("=", 1) for line in f)
            self.assertEqual((conf["database"], conf["user"], conf["quote_user"]),
                             ("vertalumex_test", "vtx", "vtx;{q}"))
            self.assertEqual(int(conf["port"]), run.folder.port())
            # Its passwords are the run's account's alone.
            self.assertEqual(stat.S_IMODE(os.stat(tests.conf).st_mode), 0o600)
            if os.geteuid() == 0:
                other = subprocess.run(["runuser", "-u", "nobody", "--", "cat", tests.conf],
                                       capture_output=True)
                self.assertNotEqual(other.returncode, 0, "another account reads test.conf")
            # The tests' account logs in over TCP with the password the file gives.
            login = subprocess.run(
                ["mariadb", "--no-defaults", "--protocol=TCP", "-h127.0.0.1", f"-P{conf['port']}",
                 "-uvtx", f"-p{conf['password']}", "vertalumex_test", "-e", "create table w (v int)"],
                capture_output=True, text=True)
            self.assertEqual(login.returncode, 0, login.stderr)
            run_pids = run.running_pids()
            # A benchmark run meanwhile makes its own tests' database, elsewhere.
            with testserver.TestServer(note=lambda _: None) as bench:
                self.assertNotEqual(bench.path, tests.path)
                self.assertNotEqual(bench.server.folder.port(), run.folder.port())
            self.assertFalse(os.path.lexists(bench.path))
            self.assertEqual(run.running_pids(), run_pids)
            self.assertEqual(run.client().query("show tables", "vertalumex_test").count(["w"]), 1)
        self.assertFalse(os.path.lexists(tests.path))
        self.assertEqual(run.running_pids(), [])
        self.assertTrue(reaped(run_pids[0]), "the run's server was never waited for")
        gc.collect()
        self.assertEqual([str(w.message) for w in caught if "subprocess" in str(w.message)], [])
        self.assertEqual([p for p in testserver.own_folders() if p[1] == os.getpid()], [])
        self.assertEqual(os.listdir(os.path.join(tmp, "servers")), ["server"])
        # The clinic's server ran on through it all, its data and settings as they were.
        self.assertEqual(clinic.running_pids(), clinic_pids)
        self.assertEqual(admin.query("show databases like 'vertalumex%'"), [["vertalumex"]])
        self.assertEqual(admin.query("select v from vertalumex.t"), [["1"]])
        self.assertEqual(admin.value("select @@innodb_flush_log_at_trx_commit"), "1")

    def test_leftovers_of_ended_runs_go_at_the_next_run(self):
        # In a folder of the test's own: another run's folders in /tmp, kept ones above all, stay.
        base = tempfile.mkdtemp(prefix="vtx-runs.", dir="/tmp")
        self.addCleanup(shutil.rmtree, base, ignore_errors=True)
        os.chmod(base, 0o711)
        # A run that is killed once its server is up.
        child = subprocess.Popen(
            [sys.executable, "-I", "-B", "-c",
             "import sys; sys.path.insert(0, sys.argv[1]); from vtxsetup import testserver;"
             " ts = testserver.TestServer(base=sys.argv[2], note=lambda _: None).__enter__();"
             " print(ts.path, flush=True); sys.stdin.read()", SCRIPTS, base],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.addCleanup(lambda: (child.kill(), child.wait(), child.stdin.close(), child.stdout.close()))
        killed = child.stdout.readline().strip()
        self.addCleanup(lambda: os.path.lexists(killed) and testserver.remove_folder(killed))
        server = Server(ServerFolder(killed))
        self.assertTrue(server.running_pids())
        # Folders of ended runs with no server: one kept on purpose, one killed early.
        ended = subprocess.Popen(["cat"], stdin=subprocess.PIPE)
        start = testserver.process_start(ended.pid)
        ended.communicate()
        kept, early = (tempfile.mkdtemp(prefix=f"{testserver.PREFIX}{ended.pid}-{start}.", dir=base)
                       for _ in range(2))
        files.write_file(os.path.join(kept, testserver.KEPT), b"")
        notes = []
        testserver.remove_leftovers(base, note=notes.append)
        self.assertTrue(server.running_pids() and os.path.isdir(killed), "a live run's server went")
        self.assertFalse(os.path.lexists(early))
        self.assertTrue(any(kept in n and "--remove-kept" in n for n in notes), notes)
        child.kill()
        child.wait()
        testserver.remove_leftovers(base, note=notes.append)
        self.assertFalse(os.path.lexists(killed))
        self.assertEqual(server.running_pids(), [])
        self.assertTrue(os.path.isdir(kept))
        testserver.remove_leftovers(base, kept_too=True, note=notes.append)
        self.assertFalse(os.path.lexists(kept))


if __name__ == "__main__":
    if not shutil.which("mariadbd", path="/usr/sbin:/usr/local/sbin:/sbin:/usr/bin"):
        print("no MariaDB server here")
        sys.exit(77)
    unittest.main(verbosity=2)
