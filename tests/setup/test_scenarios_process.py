"""Which process is this clone's server: one of the server's account started with this server's
configuration, found also when its pid file or socket is gone, and never another account's
program that only looks like it."""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scenario  # noqa: E402


class ProcessMatching(scenario.ScenarioCase):
    def test_a_program_named_like_the_server_blocks_nothing(self):
        s = self.s
        p = self.started("p")
        self.assertOk(s.server(p, "stop"))
        [folder] = s.folders()
        data = scenario.data_dir(folder)
        fake = s.path("bin", "mariadbd")
        os.makedirs(os.path.dirname(fake), 0o755)
        with open(fake, "w") as f:
            f.write("#!/bin/sh\necho ready\nread line\n")
        os.chmod(fake, 0o755)
        other = subprocess.Popen([scenario.RUNUSER, "-u", "nobody", "--", fake, f"--defaults-file={folder}/server.cnf",
                                  f"--datadir={data}", f"--pid-file={folder}/srv/mariadbd.pid"],
                                 stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, start_new_session=True)
        s.spawned.append(other)
        self.assertEqual(other.stdout.readline(), "ready\n")
        self.assertOk(s.server(p, "start"))
        self.assertEqual(len(s.pids()), 2)
        self.assertOk(s.server(p, "stop"))
        self.assertOk(s.server(p, "start"))
        self.assertOk(s.server(p, "remove", "--yes"))
        self.assertEqual(s.folders(), [])
        self.assertIsNone(other.poll())
        self.assertEqual(len(s.pids()), 1)

    def test_server_found_without_its_pid_file_or_socket(self):
        s = self.s
        p = self.started("p")
        [folder] = s.folders()
        [pid] = s.pids()
        # A running server that does not answer its first ping (a busy machine) is not taken
        # for stopped: no second server is started on its data.
        path = scenario.shim(s.path("busy"), "mariadb-admin", '[ -e "$0.once" ] && exec "$REAL" "$@"\n: >"$0.once"\nexit 1')
        self.assertOk(s.server(p, "start", PATH=path))
        self.assertEqual(s.pids(), [pid])
        here = os.path.dirname(scenario.socket_path(folder))
        os.unlink(os.path.join(here, "mariadbd.pid"))
        self.assertIn(f"process {pid}", s.server(p, "status").out)
        self.assertOk(s.server(p, "stop"))
        self.assertEqual(s.pids(), [])
        self.assertOk(s.server(p, "start"))
        [pid] = s.pids()
        os.unlink(os.path.join(here, "mariadbd.pid"))
        os.unlink(scenario.socket_path(folder))
        self.assertIn("not answer", s.server(p, "status").out)
        self.assertRefused(s.server(p, "remove", "--yes"), "stop")
        self.assertTrue(os.path.isdir(os.path.join(scenario.data_dir(folder), "mysql")))
        self.assertOk(s.server(p, "stop"))
        self.assertEqual(s.pids(), [])
        # Remove: refused while a client is connected, asks first, and then deletes the folder.
        self.assertOk(s.server(p, "start"))
        session = s.session(p)
        self.assertEqual(scenario.ask(session, "SELECT 'connected';"), "connected")
        self.assertRefused(s.server(p, "remove", "--yes"), "connection")
        session.stdin.close()
        session.wait()
        self.assertRefused(s.server(p, "remove", input="no\n"), "nothing removed")
        self.assertTrue(os.path.isdir(folder))
        self.assertOk(s.server(p, "remove", input="yes\n"))
        self.assertEqual(s.folders(), [])
        self.assertEqual(s.pids(), [])


if __name__ == "__main__":
    scenario.main()
