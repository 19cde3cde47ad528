"""The set-up's decisions that need no server: the port, memory and path rules, a server folder
on a network file system or made on another machine, earlier layouts told by name and place,
and safe file access."""

import io
import os
import signal
import sys
import tempfile
import unittest
from unittest import mock

sys.path.insert(0, os.path.join(os.path.dirname(os.path.realpath(__file__)), "..", "..", "scripts"))

from vtxsetup import earlier, files, paths, server, serverfolder  # noqa: E402
from vtxsetup.tell import SetupError  # noqa: E402


class Scratch(unittest.TestCase):
    def setUp(self):
        self.dir = os.path.realpath(tempfile.mkdtemp(prefix="vtx-rules."))
        self.addCleanup(files.remove_tree, self.dir)


class RulesTest(unittest.TestCase):
    def test_memory(self):
        told = []
        pool = lambda setting: server.buffer_pool_bytes(setting, machine_mb=8192, note=told.append)  # noqa: E731
        for setting in ("0M", "1M", "100M"):
            told.clear()
            self.assertEqual(pool(setting), 128 * server.MB, setting)
            self.assertEqual(len(told), 1, setting)
        told.clear()
        self.assertEqual(pool("300M"), 256 * server.MB)
        self.assertEqual(pool("2G"), 2048 * server.MB)
        self.assertEqual(pool(""), 2048 * server.MB)
        self.assertEqual(server.buffer_pool_bytes("", machine_mb=64 * 1024), 4096 * server.MB)
        self.assertEqual(told, [])
        for bad in ("9G", "512", "12K", "-1M", "1.5G", "M", "١٢٨M"):
            with self.assertRaises(SetupError, msg=bad):
                pool(bad)

    def test_port(self):
        told = []
        taken = {33100, 40000}
        free = lambda p: p not in taken  # noqa: E731
        choose = lambda p: server.choose_port(p, is_free=free, note=told.append)  # noqa: E731
        self.assertEqual(choose(41000), 41000)
        self.assertEqual(told, [])
        for current in (None, 3306, 33060, 80, 70000, "x1", 40000):
            told.clear()
            port = choose(current)
            self.assertIn(port, server.PORT_RANGE)
            self.assertNotIn(port, taken)
            self.assertEqual(len(told), 0 if current is None else 1, current)
        with self.assertRaises(SetupError):
            server.free_port(lambda p: False)
        # A new port is none of the account's other servers', which a copy's settings name.
        others = set(server.PORT_RANGE) - {33100}
        self.assertEqual(server.free_port(lambda p: True, avoid=others), 33100)

    def test_port_free_tells_a_listener_from_a_closed_connection(self):
        import socket

        listener = socket.create_server(("127.0.0.1", 0))
        port = listener.getsockname()[1]
        self.assertFalse(server.port_free(port))
        client = socket.create_connection(("127.0.0.1", port))
        accepted, _ = listener.accept()
        # The side that closes first keeps the port in TIME_WAIT, as a stopped server does.
        accepted.close()
        client.close()
        listener.close()
        self.assertTrue(server.port_free(port))

    def test_paths(self):
        for bad in ("/a;b", "/a\nb", "/a#b", '/a"b', "/a\\b"):
            with self.assertRaises(SetupError, msg=bad):
                paths.check_path_chars(bad)
        paths.check_path_chars("/home/ana maria/d'Ávila/clínica")
        paths.check_socket_path("/" + "x" * 106)
        with self.assertRaises(SetupError):
            paths.check_socket_path("/" + "x" * 102 + "ção")

    def test_a_home_missing_or_on_a_network_file_system_is_refused(self):
        with mock.patch.object(paths, "is_root", return_value=False), \
                mock.patch.dict(os.environ, {"HOME": "/nonexistent/home", "XDG_DATA_HOME": "", "VTX_SERVERS_DIR": ""}):
            with self.assertRaisesRegex(SetupError, "home folder .*missing"):
                paths.servers_dir()
        paths.check_local_disk(tempfile.gettempdir())
        folder = serverfolder.ServerFolder("/home/ana/.local/share/vertalumex/server")
        with mock.patch.object(paths, "mount_of", return_value=("/home", "nas:/home", "nfs4")):
            with self.assertRaisesRegex(SetupError, "network file system"):
                folder.make()
        self.assertFalse(os.path.lexists("/home/ana/.local/share/vertalumex"))

    def test_servers_dir_never_the_real_one(self):
        for named in ("/var/lib/vertalumex", "/var/lib/vertalumex/x", "/var/lib/vertalumex/../vertalumex/y"):
            with mock.patch.dict(os.environ, {"VTX_SERVERS_DIR": named}):
                with self.assertRaises(SetupError, msg=named):
                    paths.servers_dir()
        with mock.patch.dict(os.environ, {"VTX_SERVERS_DIR": "/tmp/vtx-servers"}):
            self.assertEqual(paths.servers_dir(), "/tmp/vtx-servers")




class ServerFolderTest(Scratch):
    def test_the_machine_is_recorded_and_another_refused(self):
        folder = serverfolder.ServerFolder(os.path.join(self.dir, "server"))
        os.mkdir(folder.path)
        folder.check_machine()
        folder.check_machine()
        with mock.patch.object(serverfolder, "machine_id", return_value="another"):
            with self.assertRaisesRegex(SetupError, "another machine"):
                folder.check_machine()

    def test_earlier_layouts_told_by_name_and_place(self):
        servers = os.path.join(self.dir, "servers")
        clone = os.path.join(self.dir, "clone")
        made = {}
        for name, where in (("id", os.path.join(servers, "ab" * 16)), ("db", os.path.join(clone, "var", "db")),
                            ("root", os.path.join(servers, "clone.Ab3dE5gH")), ("server", os.path.join(servers, "server")),
                            ("other", os.path.join(servers, "photos")), ("empty", os.path.join(servers, "cd" * 16))):
            os.makedirs(os.path.join(where, "srv" if name == "server" else "data" if name != "empty" else ""))
            made[name] = where
        with mock.patch.dict(os.environ, {"VTX_SERVERS_DIR": servers}):
            self.assertEqual(earlier.folders(clone), sorted([made["id"], made["db"], made["root"]]))
            for name in ("server", "other", "empty"):
                with self.assertRaisesRegex(SetupError, "nothing removed"):
                    earlier.remove_folder(made[name], yes=True)
                self.assertTrue(os.path.isdir(made[name]))
            earlier.remove_folder(made["db"], yes=True)
            self.assertFalse(os.path.lexists(made["db"]))
            # A pipe where a data file lies (srv/ was the server account's) never holds up the
            # look for a server running on the folder.
            os.mkfifo(os.path.join(made["id"], "data", "ibdata1"))
            signal.signal(signal.SIGALRM, lambda *_: self.fail("the look at a pipe did not end"))
            self.addCleanup(signal.signal, signal.SIGALRM, signal.SIG_DFL)
            signal.alarm(30)
            earlier.remove_folder(made["id"], yes=True)
            signal.alarm(0)
            self.assertFalse(os.path.lexists(made["id"]))


class FilesTest(Scratch):
    def test_no_link_followed(self):
        target = os.path.join(self.dir, "secret")
        with open(target, "w") as f:
            f.write("secret")
        link = os.path.join(self.dir, "vtx.password")
        os.symlink(target, link)
        with self.assertRaises(SetupError):
            files.read_file(link)
        files.write_file(link, b"new")
        self.assertFalse(os.path.islink(link))
        with open(target) as f:
            self.assertEqual(f.read(), "secret")
        self.assertEqual(files.read_file(link, os.geteuid()), b"new")
        self.assertEqual(sorted(os.listdir(self.dir)), ["secret", "vtx.password"])
        os.mkfifo(os.path.join(self.dir, "fifo"))
        with self.assertRaises(SetupError):
            files.read_file(os.path.join(self.dir, "fifo"))
        with self.assertRaises(SetupError):
            files.read_file(target, os.geteuid() + 1)
        os.symlink(self.dir, os.path.join(self.dir, "folder"))
        with self.assertRaises(SetupError):
            files.make_folder(os.path.join(self.dir, "folder"), 0o700)

    @unittest.skipUnless(os.geteuid() == 0, "needs root")
    def test_foreign_owner(self):
        folder = os.path.join(self.dir, "theirs")
        os.mkdir(folder)
        os.chown(folder, 65534, 65534)
        with self.assertRaises(SetupError):
            files.make_folder(folder, 0o700)
        with mock.patch.object(paths, "ROOT", folder):
            with self.assertRaises(SetupError) as caught:
                paths.check_ownership()
        self.assertIn("Run them as", str(caught.exception))


if __name__ == "__main__":
    unittest.main(testRunner=unittest.TextTestRunner(stream=io.TextIOWrapper(sys.stdout.buffer), verbosity=1))
