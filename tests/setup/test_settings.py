"""The program's settings file as the set-up reads and writes it, through the program's own reader
(vtx-writeini of the build in VTX_BUILD_DIR): which file is the account's private server's, an
earlier layout's or another server's, also with blanks around '=' as the program reads them; no
server needed."""

import os
import socket
import subprocess
import sys
import tempfile
import unittest
from unittest import mock

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from vtxsetup import settings  # noqa: E402
from vtxsetup.tell import SetupError  # noqa: E402
from vtxsetup.serverfolder import ServerFolder  # noqa: E402

BUILD = os.environ.get("VTX_BUILD_DIR", "")
OURS = 33101


def silent_port(test):
    """A loopback port where nothing answers for the rest of the test: bound here and never
    listened on, so no server of another run can take it meanwhile."""
    held = socket.socket()
    test.addCleanup(held.close)
    held.bind(("127.0.0.1", 0))
    return held.getsockname()[1]


def server_folder(path, port, password, data="srv"):
    """A server folder as far as the settings need it: port, password, a data folder."""
    os.makedirs(os.path.join(path, data), 0o700)
    for name, text in (("server.cnf", f"[mariadbd]\nport={port}\n"), ("vtx.password", password)):
        with open(os.path.join(path, name), "w") as f:
            f.write(text)
    return ServerFolder(path)


class SettingsFile(unittest.TestCase):
    def setUp(self):
        tmp = tempfile.TemporaryDirectory()
        self.addCleanup(tmp.cleanup)
        self.app = os.path.join(tmp.name, "app")
        os.mkdir(self.app)
        servers = os.path.join(tmp.name, "servers")
        self.enterContext(mock.patch.dict(os.environ, {"VTX_SERVERS_DIR": servers}))
        self.this = server_folder(os.path.join(servers, "server"), OURS, "ours")
        # A per-clone server folder of an earlier set-up, still on disk.
        self.earlier = silent_port(self)
        server_folder(os.path.join(servers, "ab" * 16), self.earlier, "earlier")
        self.file = os.path.join(self.app, "Vertalumex.ini")
        self.password_file = os.path.join(tmp.name, "pw")
        self.notes = []
        self.enterContext(mock.patch.object(settings, "note", self.notes.append))

    def ini(self, server, password, database="vertalumex", user="vtx", idlic="7", blanks=False):
        """A settings file as the program writes it; with blanks around each '='."""
        with open(self.password_file, "w") as f:
            f.write(password)
        subprocess.run([settings.tool(BUILD), self.app, server, self.password_file, database, user, idlic],
                       check=True, stdout=subprocess.DEVNULL)
        if blanks:
            with open(self.file, "rb") as f:
                text = f.read().replace(b"=", b" = ")
            with open(self.file, "wb") as f:
                f.write(text)

    def write(self, idlic=None):
        """Writes the file for the account's server; what the set-up said."""
        self.notes.clear()
        settings.write(self.this, OURS, build=BUILD, program=self.app, idlic=idlic)
        return "\n".join(self.notes)

    def values(self):
        v = settings.read(self.app, BUILD)
        return (v["conexao"], v["senha"], v["banco"], v["userbco"], v["idlic"])

    def content(self):
        with open(self.file, "rb") as f:
            return f.read()

    def assertKept(self, *ini):
        self.ini(*ini)
        before = self.content()
        self.assertIn("kept as it is", self.write())
        self.assertEqual(self.content(), before, ini)

    def test_ours_is_written_another_servers_kept(self):
        here = f"127.0.0.1;Port={OURS}"
        self.write()
        self.assertEqual(self.values(), (here, "ours", "vertalumex", "vtx", "1"))
        self.write(idlic="9")
        self.assertEqual(self.values()[4], "9")
        # The account's server by its port or its password, or an earlier layout's server by its
        # password: rewritten for the account's server, said so, the key kept.
        for server, password in (("127.0.0.1;Port=1", "ours"), (here, "old"), ("127.0.0.1;Port=2", "earlier")):
            self.ini(server, password, blanks=True)
            self.assertIn("written for it as it is now", self.write(idlic=""))
            self.assertEqual(self.values(), (here, "ours", "vertalumex", "vtx", "7"), server)
        for other in (("clinica;Port=3306", "ours"), (here, "ours", "outro"), (here, "ours", "vertalumex", "root")):
            self.assertKept(*other)
        # A clinic's server on this machine, reached at 127.0.0.1:3306 as vtx, is kept, whether
        # it answers or not; 3306 and 33060 never make a file ours by the port alone.
        for port in (3306, 33060):
            self.assertKept(f"127.0.0.1;Port={port}", "the clinic's")
            values = settings.read(self.app, BUILD)
            self.assertFalse(settings.ours(values, settings.Named(port, "ours")))

    def test_a_removed_servers_file_is_named_with_what_to_do(self):
        # An earlier layout's port alone, or a server removed since: nothing answers there.
        for port, password in ((self.earlier, "not earlier's"), (1, "gone")):
            self.ini(f"127.0.0.1;Port={port}", password)
            before = self.content()
            with self.assertRaisesRegex(SetupError, f"port {port}, where nothing answers.*Delete {self.file}"):
                self.write()
            self.assertEqual(self.content(), before)
        # A loopback server set by hand that answers is kept.
        with socket.create_server(("127.0.0.1", 0)) as listener:
            self.assertKept(f"127.0.0.1;Port={listener.getsockname()[1]}", "by hand")

    def test_empty_file_written_unreadable_kept(self):
        for text in (b"", b"[CONFIG]\r\nidlic=\r\n", b"[CONFIG]\r\nidlic = \r\n"):
            with open(self.file, "wb") as f:
                f.write(text)
            self.assertIn("holds no values", self.write())
            self.assertEqual(self.values()[0], f"127.0.0.1;Port={OURS}")
        for text in (b"not a settings file", b"[CONFIG]\r\nconexao = 127.0.0.1\r\n"):
            with open(self.file, "wb") as f:
                f.write(text)
            self.assertIn("Delete it", self.write())
            self.assertEqual(self.content(), text)

    def test_removed_server_forgets_its_file_only(self):
        named = settings.Named(OURS, "ours")
        # Its port, or an old port of the same server with its password.
        for server, blanks in ((f"127.0.0.1;Port={OURS}", False), ("127.0.0.1;Port=1", True)):
            self.ini(server, "ours", blanks=blanks)
            settings.forget(named, BUILD, program=self.app)
            self.assertIn("Removed", self.notes[-1])
            self.assertFalse(os.path.exists(self.file), server)
        for other in (("127.0.0.1;Port=2", "earlier"), ("clinica;Port=3306", "ours")):
            self.ini(*other)
            settings.forget(named, BUILD, program=self.app)
            self.assertTrue(os.path.exists(self.file), other)


if __name__ == "__main__":
    if not os.path.exists(settings.tool(BUILD)):
        print(f"no {settings.tool(BUILD)}: build the program first")
        sys.exit(77)
    unittest.main(verbosity=2)
