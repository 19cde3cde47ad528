"""The account's one private server, which every clone of it uses: a copy, a move, a bind mount
and a lost or replaced git folder all reach it with its rows, and nothing of a clone tells them
apart; `remove` in any clone asks, naming that, and refuses while another clone's program is
connected; clones of different versions share its database; folders of earlier layouts are
named at every start and status, never moved, and removed by name only."""

import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scenario  # noqa: E402
from vtxsetup.server import Server, free_port  # noqa: E402
from vtxsetup.serverfolder import ServerFolder, make_servers_dir  # noqa: E402

COMMENT = "SELECT SCHEMA_COMMENT FROM information_schema.schemata WHERE SCHEMA_NAME = 'vertalumex'"


class Shared(scenario.ScenarioCase):
    def assertOneServer(self, clone, rows=200):
        self.assertOk(self.s.server(clone, "start"))
        self.assertEqual(self.s.rows(clone), rows, clone)
        self.assertEqual(self.s.folders(), [self.s.path("servers", "server")])
        self.assertEqual(len(self.s.pids()), 1)

    def test_copy_move_and_lost_git_folder_reach_the_one_server(self):
        s = self.s
        p = self.started("p")
        s.add_rows(p, 200)
        copy, moved = s.path("pcopy"), s.path("pmoved")
        subprocess.run(["cp", "-a", p, copy], check=True)
        self.assertOneServer(copy)
        os.rename(p, moved)
        self.assertOneServer(moved)
        # The git folder lost, then replaced by a fresh clone's.
        shutil.rmtree(os.path.join(moved, ".git"), ignore_errors=True)
        self.assertOneServer(moved)
        if scenario.HAVE_GIT:
            scenario.git(s.top, "clone", "-q", copy, s.path("fresh"))
            shutil.move(s.path("fresh", ".git"), os.path.join(moved, ".git"))
            self.assertOneServer(moved)
        self.assertIn("port", s.server(copy, "status").text)

    def test_remove_in_a_copy_asks_and_refuses_while_the_original_is_connected(self):
        s = self.s
        p = self.started("p")
        s.add_rows(p, 20)
        copy = s.path("pcopy")
        subprocess.run(["cp", "-a", p, copy], check=True)
        session = s.session(p)
        self.assertEqual(scenario.ask(session, "SELECT 'connected';"), "connected")
        self.assertRefused(s.server(copy, "remove", "--yes"), "connection")
        session.stdin.close()
        session.wait()
        asked = s.server(copy, "remove", input="no\n")
        self.assertRefused(asked, "nothing removed", "every clone")
        self.assertEqual(s.rows(p), 20)
        self.assertOk(s.server(copy, "remove", input="yes\n"))
        self.assertEqual((s.folders(), s.pids()), ([], []))
        # The next start in either clone makes a new, empty server.
        self.assertOk(s.server(p, "start"))
        self.assertIsNone(s.rows(copy))

    def test_clones_of_different_versions_share_one_database(self):
        s = self.s
        newer, older = s.clone("newer"), s.clone("older")
        with open(os.path.join(newer, "db", "upgrades", "999-extra-step.sql"), "w") as f:
            f.write("CREATE TABLE IF NOT EXISTS extra_step (v INT);\n")
        # The older clone's schema would leave a mark, were it run.
        with open(os.path.join(older, "db", "schema.sql"), "a") as f:
            f.write("\nCREATE TABLE IF NOT EXISTS older_ran (v INT);\n")
        self.assertOk(s.server(newer, "start"))
        s.add_rows(newer, 30)
        self.assertEqual(s.sql(newer, COMMENT), "vertalumex-upgrades:999-extra-step")
        started = s.server(older, "start")
        self.assertOk(started)
        self.assertIn("999-extra-step", started.text)
        self.assertIn("lacks", started.text)
        self.assertEqual(s.sql(older, COMMENT), "vertalumex-upgrades:999-extra-step")
        self.assertEqual(s.sql(older, "SHOW TABLES FROM vertalumex LIKE 'older_ran'"), "")
        self.assertEqual(s.rows(older), 30)
        again = s.server(newer, "start")
        self.assertOk(again)
        self.assertNotIn("lacks", again.text)

    def test_earlier_layouts_are_named_never_moved_and_removed_by_name(self):
        s = self.s
        p = s.clone("p")
        # A per-clone server folder of the set-up before, its server running, and a clone's var/db.
        folder = ServerFolder(s.path("servers", "ab" * 16))
        make_servers_dir(s.servers)
        folder.make()
        old = Server(folder)
        old.write_config(free_port(), 128 << 20)
        old.install()
        old.start()
        self.addCleanup(old.stop, kill=True)
        var_db = os.path.join(p, "var", "db")
        os.makedirs(os.path.join(var_db, "data"))
        with open(os.path.join(var_db, "data", "ibdata1"), "wb") as f:
            f.write(b"\0" * 300000)
        for args in (["start"], ["status"]):
            told = s.server(p, *args)
            self.assertOk(told)
            for path in (folder.path, var_db):
                self.assertIn(f"{path} (", told.text)
                self.assertIn(f"remove-folder {path}", told.text)
        self.assertIn("KB)", told.text)
        self.assertTrue(old.running_pids())
        self.assertEqual(len(s.pids()), 2)
        for path in (s.path("servers", "server"), s.path("servers"), p):
            self.assertRefused(s.server(p, "remove-folder", path, "--yes"), "nothing removed")
        self.assertRefused(s.server(p, "remove-folder", folder.path, "--yes"), "runs on")
        old.stop()
        self.assertRefused(s.server(p, "remove-folder", folder.path, input="no\n"), "nothing removed")
        self.assertOk(s.server(p, "remove-folder", folder.path, input="yes\n"))
        self.assertOk(s.server(p, "remove-folder", var_db, "--yes"))
        self.assertFalse(os.path.lexists(folder.path) or os.path.lexists(var_db))
        self.assertNotIn("remove-folder", s.server(p, "status").text)
        self.assertEqual(s.folders(), [s.path("servers", "server")])


class BindMount(scenario.ScenarioCase):
    def test_a_bind_mount_reaches_the_one_server(self):
        s = self.s
        p = self.started("p")
        s.add_rows(p, 200)
        bound = s.path("bound")
        os.mkdir(bound)
        if subprocess.run(["mount", "--bind", p, bound], capture_output=True).returncode != 0:
            self.skipTest("no bind mount can be made here")
        self.addCleanup(subprocess.run, ["umount", bound])
        self.assertOk(s.server(bound, "start"))
        self.assertEqual(s.rows(bound), 200)
        self.assertOk(s.server(p, "start"))
        self.assertEqual(s.folders(), [s.path("servers", "server")])
        self.assertEqual(len(s.pids()), 1)


if __name__ == "__main__":
    scenario.main()
