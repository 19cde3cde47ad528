"""A clone's var/ deleted (rm -rf var, git clean -fdx): its server and its lock live elsewhere,
so stop still stops the server, the data is found again, and a second set-up still waits."""

import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scenario  # noqa: E402


class LostVar(scenario.ScenarioCase):
    def test_stop_and_start_after_var_is_deleted(self):
        s = self.s
        p = self.started("p")
        s.add_rows(p, 50)
        shutil.rmtree(os.path.join(p, "var"), ignore_errors=True)
        self.assertOk(s.server(p, "stop"))
        self.assertEqual(s.pids(), [])
        self.assertOk(s.server(p, "start"))
        [pid] = s.pids()
        # The server's log is appended to: what the first start wrote is kept.
        [folder] = s.folders()
        with open(os.path.join(folder, "srv", "error.log")) as f:
            self.assertEqual(f.read().count("ready for connections"), 2)
        if scenario.HAVE_GIT:
            scenario.git(p, "clean", "-q", "-fdx")
        else:
            shutil.rmtree(os.path.join(p, "var"), ignore_errors=True)
        self.assertIn(f"process {pid}", s.server(p, "status").out)
        self.assertEqual(s.rows(p), 50)
        self.assertEqual(len(s.folders()), 1)

    def test_second_set_up_waits_though_var_is_deleted(self):
        # The first set-up is held inside mariadb-install-db; var/ goes; a second one starts.
        s = self.s
        p = s.clone("p")
        events = scenario.Events(s.path("events"))
        go = s.path("go")
        os.mkfifo(go, 0o666)
        os.chmod(go, 0o666)
        path = scenario.shim(s.path("shim"), "mariadb-install-db",
                             f"echo install >'{events.path}'\nread go <'{go}'\nexec \"$REAL\" \"$@\"")
        first = s.spawn(p, "start", PATH=path)
        self.assertEqual(events.wait(), "install")
        shutil.rmtree(os.path.join(p, "var"), ignore_errors=True)
        second = s.spawn(p, "start", PATH=path)
        what, line = events.wait_any(second)
        while what == "stderr" and "wait" not in line:
            what, line = events.wait_any(second)
        self.assertEqual(what, "stderr", f"the second set-up did not wait: {what} {line}")
        with open(go, "w") as f:
            f.write("go\n")
        self.assertEqual(first.wait(), 0, first.stderr.read())
        self.assertEqual(second.wait(), 0, second.stderr.read())
        self.assertEqual(len(s.folders()), 1)
        self.assertEqual(len(s.pids()), 1)
        self.assertFalse(os.path.exists(os.path.join(p, "var", "db")))


if __name__ == "__main__":
    scenario.main()
