"""The account's private server folder and its layout (a test run's server has the same):

    <servers>/server/       the set-up's own: root's 0711 as root (mysql passes through), else 0700
      machine               the machine it was made on
      server.cnf            the one configuration, read by the server and by every client call;
                            the port lives there alone
      installed             the mark of a finished first set-up (mariadb-install-db succeeded)
      install.log           mariadb-install-db's output
      vtx.password          the program account's password
      setup.lock            one set-up at a time
      srv/                  the server account's, 0700: all the server writes, and nothing else
        data/ tmp/ files/ mariadbd.sock mariadbd.pid error.log

Every clone of the account uses that one server: nothing in a clone tells which. As root,
everything the set-up reads or writes lies in a folder of root's that the mysql account cannot
write, and is opened without following links and with its owner checked; mysql owns srv/ alone.
The lock lies outside the clone, so that removing var/ or `git clean` cannot defeat it.
"""

import contextlib
import errno
import fcntl
import os
import time

from . import files, paths
from .tell import SetupError, note

# How long a set-up waits for another one of the same server to end.
LOCK_WAIT = 600


class ServerFolder:
    def __init__(self, path):
        self.path = path
        self.machine_file = os.path.join(path, "machine")
        self.config = os.path.join(path, "server.cnf")
        self.mark = os.path.join(path, "installed")
        self.install_log = os.path.join(path, "install.log")
        self.password_file = os.path.join(path, "vtx.password")
        self.lock_file = os.path.join(path, "setup.lock")
        self.srv = os.path.join(path, "srv")
        self.data = os.path.join(self.srv, "data")
        self.tmp = os.path.join(self.srv, "tmp")
        self.files = os.path.join(self.srv, "files")
        self.socket = os.path.join(self.srv, "mariadbd.sock")
        self.pid_file = os.path.join(self.srv, "mariadbd.pid")
        self.error_log = os.path.join(self.srv, "error.log")
        self._lock_fd = None

    @classmethod
    def account(cls):
        """The private server of the account running the set-up."""
        return cls(os.path.join(paths.servers_dir(), "server"))

    def exists(self):
        return os.path.isdir(self.path) and not os.path.islink(self.path)

    # -- making the folders

    def make(self):
        """Makes the servers' folder and this folder (or checks them), and checks that the
        socket's path fits."""
        paths.check_socket_path(self.socket)
        paths.check_local_disk(os.path.dirname(self.path))
        make_servers_dir(os.path.dirname(self.path))
        files.make_folder(self.path, 0o711 if paths.is_root() else 0o700)

    def make_server_folders(self):
        """srv/ and its tmp/ and files/, the server account's alone (0700). The data folder is
        mariadb-install-db's to make."""
        _name, uid, gid = paths.server_account()
        for folder in (self.srv, self.tmp, self.files):
            files.make_folder(folder, 0o700, uid, gid)

    # -- the machine, the mark, the password

    def check_machine(self):
        """Records the machine the folder is made on, and refuses it on any other: two machines
        sharing a home would run two servers on one data folder."""
        here = machine_id()
        data = files.read_file(self.machine_file, os.geteuid(), missing_ok=True)
        if data is None:
            files.write_file(self.machine_file, here.encode() + b"\n")
        elif data.decode("ascii", "replace").strip() != here:
            raise SetupError(
                f"The private server's folder {self.path} was made on another machine "
                f"({data.decode('ascii', 'replace').strip()}; this one is {here}): its server runs there. "
                f"Start it there; if its data was moved here on purpose, delete {self.machine_file} first"
            )

    def installed(self):
        try:
            files.read_file(self.mark, os.geteuid())
            return True
        except SetupError:
            if os.path.lexists(self.mark):
                raise
            return False

    def write_mark(self):
        files.write_file(self.mark, b"mariadb-install-db finished\n")

    def read_password(self):
        """The program account's password, or None before it is made."""
        data = files.read_file(self.password_file, os.geteuid(), missing_ok=True)
        text = None if data is None else data.decode("utf-8", "replace").strip()
        return text or None

    def write_password(self, password):
        files.write_file(self.password_file, password.encode() + b"\n")

    def config_value(self, key):
        """A value of the configuration file's [mariadbd] section as written, or None (no file,
        or no such key)."""
        data = files.read_file(self.config, os.geteuid(), missing_ok=True)
        if data is None:
            return None
        section = None
        for line in data.decode("utf-8", "replace").splitlines():
            line = line.strip()
            if line.startswith("[") and line.endswith("]"):
                section = line[1:-1].strip()
            elif section == "mariadbd" and "=" in line:
                name, _, value = line.partition("=")
                if name.strip() == key:
                    return value.strip()
        return None

    def port(self):
        """The port in the configuration file, or None (no file, or no port in it)."""
        value = self.config_value("port")
        if value is None:
            return None
        return int(value) if value.isdigit() else value

    # -- the lock

    @contextlib.contextmanager
    def lock(self, wait=LOCK_WAIT):
        """Holds the set-up lock of this server: one set-up at a time, waiting at most `wait`
        seconds for another. The descriptor is close-on-exec, so nothing the set-up starts
        keeps it. A lock file removed while waiting (by `remove`) is opened again."""
        if self._lock_fd is not None:
            yield
            return
        deadline = time.monotonic() + wait
        told = False
        while True:
            try:
                fd = files.open_nofollow(self.lock_file, os.O_RDWR | os.O_CREAT, os.geteuid())
            except FileNotFoundError:
                raise SetupError(f"The server folder {self.path} is gone: start again") from None
            except OSError as e:
                raise SetupError(f"cannot open {self.lock_file}: {e.strerror}") from None
            try:
                while True:
                    try:
                        fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
                        break
                    except OSError as e:
                        if e.errno not in (errno.EWOULDBLOCK, errno.EAGAIN):
                            raise
                    if not told:
                        note(
                            "Another set-up of this server is running: waiting for it to end "
                            f"(at most {wait // 60} minutes)"
                        )
                        told = True
                    if time.monotonic() >= deadline:
                        raise SetupError(
                            f"Another set-up of this server still runs after {wait // 60} minutes "
                            f"({self.lock_file} is held): try again once it ends"
                        )
                    time.sleep(0.2)
                try:
                    current = os.stat(self.lock_file, follow_symlinks=False)
                except FileNotFoundError:
                    current = None
                here = os.fstat(fd)
                if current is None or (current.st_ino, current.st_dev) != (here.st_ino, here.st_dev):
                    os.close(fd)
                    if not os.path.isdir(self.path):
                        raise SetupError(f"The server folder {self.path} was removed meanwhile: start again")
                    continue
            except BaseException:
                with contextlib.suppress(OSError):
                    os.close(fd)
                raise
            break
        self._lock_fd = fd
        try:
            yield
        finally:
            self._lock_fd = None
            os.close(fd)


def machine_id():
    """The machine's systemd id, else its host name."""
    for path in ("/etc/machine-id", "/var/lib/dbus/machine-id"):
        try:
            with open(path, encoding="ascii", errors="replace") as f:
                text = f.read().strip()
            if text:
                return text
        except OSError:
            pass
    return "host " + os.uname().nodename


def make_servers_dir(folder):
    """The servers' folder: root's 0711 as root (mysql passes through to its server's srv/; no
    other account lists the clones' folders), else the account's own 0700, its parents made
    0700 as a data folder's are. As root, mysql must reach it through every folder above."""
    if paths.is_root():
        parent = os.path.dirname(folder)
        if not os.path.isdir(parent):
            os.makedirs(parent, 0o755, exist_ok=True)
        files.make_folder(folder, 0o711, 0, 0)
        up = os.path.dirname(folder)
        while True:
            st = os.stat(up)
            if not st.st_mode & 0o001:
                raise SetupError(
                    f"The mysql account cannot pass through {up} (mode {st.st_mode & 0o7777:o}) to reach "
                    f"the servers' folder {folder}: let others pass (chmod o+x), or name another folder"
                )
            if up == "/":
                break
            up = os.path.dirname(up)
    else:
        parent = os.path.dirname(folder)
        try:
            os.makedirs(parent, 0o700, exist_ok=True)
        except OSError as e:
            raise SetupError(f"cannot make {parent}: {e.strerror}") from None
        files.make_folder(folder, 0o700)
