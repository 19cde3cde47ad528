"""The program's settings file as the set-up reads and writes it, through the program's own reader
(vtx-writeini of the build in VTX_BUILD_DIR): which file is ours, a copy's or another server's,
also with blanks around '=' as the program reads them; no server needed."""

import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from vtxsetup import settings  # noqa: E402
from vtxsetup.serverfolder import ServerFolder  # noqa: E402

BUILD = os.environ.get("VTX_BUILD_DIR", "")
OURS, THEIRS = 33101, 33102


def server_folder(path, port, password, clone):
    """A private server's folder as far as the settings need it: port, password, record."""
    os.mkdir(path, 0o700)
    for name, text in (("server.cnf", f"[mariadbd]\nport={port}\n"), ("vtx.password", password),
                       ("record.json", '{"id": "%s", "path": "%s"}' % ("ab" * 16, clone))):
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
        os.mkdir(servers)
        self.this = server_folder(os.path.join(servers, "this"), OURS, "ours", "/clones/copy")
        server_folder(os.path.join(servers, "other"), THEIRS, "theirs", "/clones/original")
        self.file = os.path.join(self.app, "Vertalumex.ini")
        self.password_file = os.path.join(tmp.name, "pw")

    def ini(self, server, password, database="vertalumex", user="vtx", idlic="7", blanks=False):
        """A settings file as the program writes it; with blanks around each '='."""
        with open(self.password_file, "w") as f:
            f.write(password)
        subprocess.run([settings.tool(BUILD), "--over", self.app, server, self.password_file,
                        database, user, idlic], check=True, stdout=subprocess.DEVNULL)
        if blanks:
            with open(self.file, "rb") as f:
                text = f.read().replace(b"=", b" = ")
            with open(self.file, "wb") as f:
                f.write(text)

    def write(self, idlic=None):
        """Writes the file for this clone's server; what the set-up said."""
        notes = []
        settings.write(self.this, OURS, build=BUILD, folder=self.app, idlic=idlic,
                       note=notes.append)
        return "\n".join(notes)

    def values(self):
        v = settings.read(self.app, BUILD)
        return (v["conexao"], v["senha"], v["banco"], v["userbco"], v["idlic"])

    def content(self):
        with open(self.file, "rb") as f:
            return f.read()

    def test_ours_is_written_another_servers_kept(self):
        here = f"127.0.0.1;Port={OURS}"
        self.write()
        self.assertEqual(self.values(), (here, "ours", "vertalumex", "vtx", "1"))
        self.write(idlic="9")
        self.assertEqual(self.values()[4], "9")
        # Still ours with the port or the password changed: rewritten, the key kept.
        for server, password in (("127.0.0.1;Port=1", "ours"), (here, "old")):
            self.ini(server, password, blanks=True)
            self.write(idlic="")
            self.assertEqual(self.values(), (here, "ours", "vertalumex", "vtx", "7"), server)
        for other in (("clinica;Port=3306", "ours"), (here, "ours", "outro"),
                      (here, "ours", "vertalumex", "root"), ("127.0.0.1;Port=1", "old")):
            self.ini(*other)
            before = self.content()
            self.assertIn("kept as it is", self.write())
            self.assertEqual(self.content(), before, other)

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

    def test_copied_file_rewritten_also_with_blanks_around_equals(self):
        for blanks in (False, True):
            for password in ("theirs", "changed since"):
                self.ini(f"127.0.0.1;Port={THEIRS}", password, blanks=blanks)
                said = self.write(idlic="")
                self.assertIn("/clones/original", said)
                self.assertIn("rewritten", said)
                self.assertEqual(self.values(), (f"127.0.0.1;Port={OURS}", "ours", "vertalumex",
                                                 "vtx", "7"), (blanks, password))
        # The other clone's password on a port no server of this account has: still its file.
        self.ini("127.0.0.1;Port=1", "theirs", blanks=True)
        self.assertIn("/clones/original", self.write())
        # A port and a password of no server here: a server set by hand, kept.
        self.ini("127.0.0.1;Port=1", "nobody's", blanks=True)
        before = self.content()
        self.assertIn("kept as it is", self.write())
        self.assertEqual(self.content(), before)

    def test_removed_server_forgets_its_file_only(self):
        for blanks in (False, True):
            self.ini(f"127.0.0.1;Port={OURS}", "ours", blanks=blanks)
            notes = []
            settings.forget(BUILD, THEIRS, folder=self.app, note=notes.append)
            self.assertTrue(os.path.exists(self.file))
            settings.forget(BUILD, OURS, folder=self.app, note=notes.append)
            self.assertIn("Removed", notes[-1])
            self.assertFalse(os.path.exists(self.file), blanks)


if __name__ == "__main__":
    if not os.path.exists(settings.tool(BUILD)):
        print(f"no {settings.tool(BUILD)}: build the program first")
        sys.exit(77)
    unittest.main(verbosity=2)
