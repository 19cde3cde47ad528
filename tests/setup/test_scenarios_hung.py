"""A server that does not answer (stopped by SIGSTOP, as one swapping or on a full disk looks):
every command ends within its bound and says what to do, the lock is let go, and stop stops it."""

import os
import signal
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scenario  # noqa: E402

# Liveness is bounded at 30 s a wait; a command still running after this hangs.
BOUND = 75


class HungServer(scenario.ScenarioCase):
    def test_commands_end_and_stop_stops_a_server_that_does_not_answer(self):
        s = self.s
        p = self.started("p")
        [pid] = s.pids()
        os.kill(pid, signal.SIGSTOP)
        self.addCleanup(lambda: os.path.exists(f"/proc/{pid}") and os.kill(pid, signal.SIGCONT))

        status = s.server(p, "status", timeout=BOUND)
        self.assertIn(f"process {pid}", status.text)
        self.assertIn("stop", status.text)
        self.assertRefused(s.server(p, "start", timeout=BOUND), "stop --kill")
        self.assertRefused(s.server(p, "remove", "--yes", timeout=BOUND), "stop")
        self.assertRefused(s.server(p, "sql", "-e", "select 1", timeout=BOUND), "does not answer", "stop --kill")
        self.assertTrue(os.path.isdir(scenario.data_dir(s.folders()[0])))

        # A start killed while it waits for the server leaves nothing holding the lock.
        events = scenario.Events(s.path("events"))
        path = scenario.shim(s.path("shim"), "mariadb-admin", f"echo ping >'{events.path}'\nexec \"$REAL\" \"$@\"")
        start = s.spawn(p, "start", PATH=path)
        self.assertEqual(events.wait(), "ping")
        start.kill()
        start.wait()
        stopped = s.server(p, "stop", timeout=BOUND)
        self.assertOk(stopped)
        self.assertNotIn("wait", stopped.text)
        self.assertEqual(s.pids(), [])


if __name__ == "__main__":
    scenario.main()
