"""Copies and moves of a clone: a server belongs to the clone that made it, never to a copy of
it or to a new clone at its old path, and nothing is taken over without a word."""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scenario  # noqa: E402


class CopiesAndMoves(scenario.ScenarioCase):
    def test_copy_takes_nothing_once_the_original_moves(self):
        s = self.s
        p, copy, moved = s.path("p"), s.path("pcopy"), s.path("pmoved")
        s.clone("p")
        self.assertOk(s.server(p, "start"))
        s.add_rows(p, 200)
        subprocess.run(["cp", "-a", p, copy], check=True)
        os.rename(p, moved)
        [folder] = s.folders()
        # Every command in the copy refuses, naming the server's folder and the ways on.
        for args in (["start"], ["stop"], ["remove", "--yes"], ["sql", "-e", "select 1"]):
            self.assertRefused(s.server(copy, *args), folder, "no longer holds", "adopt", "separate")
        self.assertEqual(s.rows(moved), 200)
        self.assertOk(s.server(moved, "start"))
        # While the moved clone holds the server, the copy cannot adopt it.
        self.assertRefused(s.server(copy, "adopt", input="yes\n"), moved)
        self.assertEqual(s.rows(moved), 200)

        # The copy gets a server of its own, with an empty database. A temporary table held
        # open in the original's server outlives that start, and so does a temporary file of
        # another server's in the folder the environment names for temporary files.
        shared = s.path("shared")
        os.mkdir(shared)
        os.chmod(shared, 0o1777)
        other = os.path.join(shared, "#sql-other.MAI")
        open(other, "w").close()
        os.chown(other, *scenario.pwd.getpwnam("mysql")[2:4])
        session = s.session(moved)
        self.assertEqual(scenario.ask(session, "CREATE TEMPORARY TABLE vertalumex.t (v INT) ENGINE=Aria; SELECT 'made';"),
                         "made")
        self.assertOk(s.server(copy, "separate", input="yes\n", TMPDIR=shared))
        self.assertOk(s.server(copy, "start", TMPDIR=shared))
        self.assertIsNone(s.rows(copy))
        self.assertEqual(scenario.ask(session, "DROP TEMPORARY TABLE vertalumex.t; SELECT 'dropped';"), "dropped")
        session.stdin.close()
        self.assertTrue(os.path.exists(other))
        self.assertEqual(s.rows(moved), 200)
        self.assertEqual(len(s.folders()), 2)

    def test_new_clone_at_the_old_path_gets_a_server_of_its_own(self):
        s = self.s
        p, moved = s.path("p"), s.path("pmoved")
        s.clone("p")
        self.assertOk(s.server(p, "start"))
        s.add_rows(p, 200)
        [folder] = s.folders()
        os.rename(p, moved)
        if scenario.HAVE_GIT:
            scenario.git(s.top, "clone", "-q", moved, p)
        else:
            s.clone("p")
        # A new, empty server, and a note naming the folder whose clone has gone from its path.
        started = s.server(p, "start")
        self.assertOk(started)
        self.assertIsNone(s.rows(p))
        self.assertIn(folder, started.text)
        self.assertIn("adopt", started.text)
        # The moved clone keeps its server and its rows, and is no copy.
        self.assertOk(s.server(moved, "start"))
        self.assertEqual(s.rows(moved), 200)
        self.assertEqual(len(s.folders()), 2)
        # A clone restored from a copy once the original is gone takes its server over by adopt.
        restored = s.path("restored")
        subprocess.run(["cp", "-a", moved, restored], check=True)
        self.assertOk(s.server(moved, "stop"))
        subprocess.run(["rm", "-rf", moved], check=True)
        self.assertRefused(s.server(restored, "start"), folder, "adopt")
        # Deleting the folder by its name asks first: no keeps it.
        self.assertRefused(s.server(p, "remove-folder", folder, input="no\n"), "Nothing removed")
        # Its question says whose the server was, and that a copy looks the same.
        self.assertRefused(s.server(restored, "adopt", input="no\n"), moved, "copy")
        self.assertOk(s.server(restored, "adopt", input="yes\n"))
        self.assertOk(s.server(restored, "start"))
        self.assertEqual(s.rows(restored), 200)
        self.assertOk(s.server(restored, "stop"))
        subprocess.run(["rm", "-rf", restored], check=True)
        self.assertOk(s.server(p, "remove-folder", folder, input="yes\n"))
        self.assertFalse(os.path.lexists(folder))


if __name__ == "__main__":
    scenario.main()
