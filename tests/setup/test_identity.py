"""The set-up's decisions that need no server: whose a server folder is, which folders are
orphans, the installation id, the port and memory rules, the path rules and safe file access."""

import io
import json
import os
import sys
import tempfile
import unittest
from unittest import mock

sys.path.insert(0, os.path.join(os.path.dirname(os.path.realpath(__file__)), "..", "..", "scripts"))

from vtxsetup import files, identity, paths, server  # noqa: E402
from vtxsetup.errors import SetupError  # noqa: E402


class Scratch(unittest.TestCase):
    def setUp(self):
        self.dir = os.path.realpath(tempfile.mkdtemp(prefix="vtx-identity."))
        self.addCleanup(files.remove_tree, self.dir)

    def clone(self, name, git="dir"):
        root = os.path.join(self.dir, name)
        os.mkdir(root)
        if git == "dir":
            os.mkdir(os.path.join(root, ".git"))
        return root


def as_plain_account(work, folder):
    """What work() raises, run in a child as a plain account (nobody, as root: root may write
    in any folder, which folder is given to), as 'TYPE: message'; 'nothing' when it succeeds."""
    if os.geteuid() == 0:
        os.chmod(folder, 0o711)
        for top, dirs, names in os.walk(folder):
            for name in [top] + [os.path.join(top, n) for n in dirs + names]:
                os.lchown(name, 65534, 65534)
    read, write = os.pipe()
    pid = os.fork()
    if pid == 0:
        text = "nothing"
        try:
            os.close(read)
            if os.geteuid() == 0:
                os.setgroups([])
                os.setgid(65534)
                os.setuid(65534)
            work()
        except BaseException as e:
            text = f"{type(e).__name__}: {e}"
        finally:
            os.write(write, text.encode())
            os._exit(0)
    os.close(write)
    with os.fdopen(read, "rb") as f:
        text = f.read().decode()
    os.waitpid(pid, 0)
    return text


class IdentityTest(Scratch):
    def test_decide(self):
        a = self.clone("a")
        this = identity.describe(a, identity.ensure_id(a))
        self.assertEqual(identity.decide(this, None), identity.NONE)
        self.assertEqual(identity.decide(this, dict(this)), identity.OURS)
        # Moved within its file system: the same folder under another path is still ours.
        self.assertEqual(identity.decide(this, dict(this, path="/elsewhere")), identity.OURS)
        for other in ({"inode": this["inode"] + 1}, {"filesystem": "uuid:other"}, {"machine": "other"}):
            self.assertEqual(identity.decide(this, dict(this, **other)), identity.COPY, other)

    def test_copy_has_the_id_but_not_the_folder(self):
        a = self.clone("a")
        record = identity.describe(a, identity.ensure_id(a))
        copy = os.path.join(self.dir, "copy")
        os.mkdir(copy)
        os.mkdir(os.path.join(copy, ".git"))
        with open(os.path.join(copy, ".git", identity.ID_FILE), "w") as f:
            f.write(record["id"] + "\n")
        this = identity.describe(copy, identity.ensure_id(copy))
        self.assertEqual(this["id"], record["id"])
        self.assertEqual(identity.decide(this, record), identity.COPY)
        self.assertTrue(identity.holds_clone(record))

    def test_orphans(self):
        kept, gone, replaced = self.clone("kept"), self.clone("gone"), self.clone("replaced")
        servers = os.path.join(self.dir, "servers")
        os.mkdir(servers)
        records = {}
        for root in (kept, gone, replaced):
            record = identity.describe(root, identity.ensure_id(root))
            records[record["id"]] = record
            os.mkdir(os.path.join(servers, record["id"]))
        files.remove_tree(gone)
        # A new clone at the old path: another id, maybe the same inode.
        files.remove_tree(os.path.join(replaced, ".git"))
        os.mkdir(os.path.join(replaced, ".git"))
        identity.ensure_id(replaced)
        mine = identity.read_id(kept)
        found = identity.orphans(servers, "f" * 32, lambda folder: records[os.path.basename(folder)])
        self.assertEqual(sorted(r["path"] for _f, r in found), sorted([gone, replaced]))
        found = identity.orphans(servers, mine, lambda folder: records[os.path.basename(folder)])
        self.assertNotIn(kept, [r["path"] for _f, r in found])

    def test_id_lives_in_the_git_folder(self):
        plain = self.clone("plain", git=None)
        clone_id = identity.ensure_id(plain)
        self.assertTrue(os.path.isfile(os.path.join(plain, identity.NO_GIT_ID_FILE)))
        self.assertEqual(identity.ensure_id(plain), clone_id)
        # A worktree's .git file names its own git folder.
        tree = self.clone("tree", git=None)
        gitdir = os.path.join(self.dir, "main-git", "worktrees", "tree")
        os.makedirs(gitdir)
        with open(os.path.join(tree, ".git"), "w") as f:
            f.write("gitdir: ../main-git/worktrees/tree\n")
        tree_id = identity.ensure_id(tree)
        self.assertTrue(os.path.isfile(os.path.join(gitdir, identity.ID_FILE)))
        self.assertNotEqual(tree_id, clone_id)
        with open(os.path.join(gitdir, identity.ID_FILE), "w") as f:
            f.write("not an id\n")
        with self.assertRaises(SetupError):
            identity.read_id(tree)

    def test_two_first_set_ups_agree_on_one_id(self):
        a = self.clone("a")
        real_link = os.link
        theirs = "ab" * 16

        def other_wins(src, dst):
            with open(dst, "w") as f:
                f.write(theirs + "\n")
            real_link(src, dst)

        with mock.patch.object(identity.os, "link", other_wins):
            self.assertEqual(identity.ensure_id(a), theirs)
        self.assertEqual(os.listdir(os.path.join(a, ".git")), [identity.ID_FILE])

    def test_new_id_leaves_a_hard_linked_copy_alone(self):
        a, copy = self.clone("a"), self.clone("copy")
        first = identity.ensure_id(a)
        os.link(identity.id_path(a), identity.id_path(copy))
        new = identity.replace_id(copy)
        self.assertNotEqual(new, first)
        self.assertEqual(identity.read_id(a), first)
        self.assertEqual(identity.read_id(copy), new)

    def test_shared_git_folder(self):
        a = self.clone("a")
        other = self.clone("other", git=None)
        with open(os.path.join(other, ".git"), "w") as f:
            f.write(f"gitdir: {a}/.git\n")
        record = identity.describe(a, identity.ensure_id(a))
        self.assertTrue(identity.shares_git_folder(other, record))
        self.assertFalse(identity.shares_git_folder(self.clone("b"), record))
        # A copy of a worktree: its git folder names the worktree it belongs to.
        tree, copy = self.clone("tree", git=None), self.clone("copy", git=None)
        gitdir = os.path.join(self.dir, "main.git", "worktrees", "tree")
        os.makedirs(gitdir)
        with open(os.path.join(gitdir, "gitdir"), "w") as f:
            f.write(os.path.join(tree, ".git") + "\n")
        for root in (tree, copy):
            with open(os.path.join(root, ".git"), "w") as f:
                f.write(f"gitdir: {gitdir}\n")
        self.assertFalse(identity.shares_git_folder(tree, {}))
        self.assertTrue(identity.shares_git_folder(copy, {}))

    def test_read_only_git_folder_is_refused(self):
        a = self.clone("a")
        git = os.path.join(a, ".git")
        os.chmod(git, 0o555)
        told = as_plain_account(lambda: identity.ensure_id(a), self.dir)
        self.assertTrue(told.startswith("SetupError") and git in told, told)
        self.assertEqual(os.listdir(git), [])

    def test_clone_in_a_chroot_whose_root_is_no_mount_point(self):
        # There the kernel lists no mount that holds the clone: its block device names it.
        root = self.clone("c")
        with mock.patch.object(paths, "mount_of", return_value=None):
            this = identity.describe(root, "a" * 32)
            self.assertRegex(this["filesystem"], r"^(device:/dev/|uuid:)")
            self.assertEqual(identity.decide(this, identity.describe(root, "a" * 32)), identity.OURS)
            # A file system with no device of its own has no name that outlives a reboot.
            with self.assertRaisesRegex(SetupError, "mount --bind"):
                identity.filesystem_identity("/proc")

    def test_record_must_name_an_id(self):
        with self.assertRaises(SetupError):
            identity.parse_record(b"[]", "record.json")
        with self.assertRaises(SetupError):
            identity.parse_record(json.dumps({"id": "../x"}).encode(), "record.json")


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

    def test_a_home_missing_is_refused_and_a_network_one_warned_of(self):
        with mock.patch.object(paths, "is_root", return_value=False), \
                mock.patch.dict(os.environ, {"HOME": "/nonexistent/home", "XDG_DATA_HOME": "", "VTX_SERVERS_DIR": ""}):
            with self.assertRaisesRegex(SetupError, "home folder .*missing"):
                paths.servers_dir()
        self.assertIsNone(paths.remote_warning(tempfile.gettempdir()))
        with mock.patch.object(paths, "mount_of", return_value=("/home", "nas:/home", "nfs4")):
            self.assertIn("network file system", paths.remote_warning("/home/ana/.local/share/vertalumex"))

    def test_servers_dir_never_the_real_one(self):
        for named in ("/var/lib/vertalumex", "/var/lib/vertalumex/x", "/var/lib/vertalumex/../vertalumex/y"):
            with mock.patch.dict(os.environ, {"VTX_SERVERS_DIR": named}):
                with self.assertRaises(SetupError, msg=named):
                    paths.servers_dir()
        with mock.patch.dict(os.environ, {"VTX_SERVERS_DIR": "/tmp/vtx-servers"}):
            self.assertEqual(paths.servers_dir(), "/tmp/vtx-servers")


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
