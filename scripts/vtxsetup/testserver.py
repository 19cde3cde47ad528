"""The throw-away server of a test or benchmark run, and `./scripts/test`.

A run never uses the clinic's private server: it makes a server of its own in a folder of its
own under /tmp, with the private servers' layout (serverfolder.py) and life cycle (server.py),
makes the tests' database and accounts there, names the file that says how to reach it in
VTX_TEST_CONF, and removes the server and its folder at the end.

The folder's name records the run: vertalumex-test.<pid>-<start>.<random>, the run's process
id and its start time since boot (a pid alone may be taken again). A run killed before its
clean-up leaves its folder and maybe its server behind; the next run of the same account
stops and removes every folder of its own whose run is gone, except those kept on purpose
(--keep), which stay until `./scripts/test --remove-kept`. As root the folder is 0711, so that
the mysql account reaches the server's own folder srv/ inside; root keeps its files out of
mysql's reach as in every server folder.
"""

import contextlib
import os
import re
import signal
import stat
import subprocess
import tempfile
import time

from . import databases, files, packages, paths
from .tell import SetupError, note, say
from .server import Server, buffer_pool_bytes, free_port
from .serverfolder import ServerFolder

BASE = "/tmp"
PREFIX = "vertalumex-test."
NAME = re.compile(r"^vertalumex-test\.([0-9]+)-([0-9]+)\.[A-Za-z0-9_]+$")
DATABASE = "vertalumex_test"
USER = "vtx"
QUOTE_USER = "vtx;{q}"
# A folder kept on purpose holds this mark, and no later run removes it unasked.
KEPT = "kept"
CONF = "test.conf"


def process_start(pid):
    """When a process started, in clock ticks since boot; None when it is gone."""
    try:
        with open(f"/proc/{pid}/stat", "rb") as f:
            data = f.read()
    except OSError:
        return None
    # The command name, in parentheses, may hold blanks and ')': the fields follow the last ')'.
    fields = data[data.rfind(b")") + 2 :].split()
    return int(fields[19]) if len(fields) > 19 else None


def own_folders(base=BASE):
    """(path, pid, start, kept) of every test server folder of the running account in base:
    folders, not links, named as the runs name them."""
    found = []
    try:
        entries = list(os.scandir(base))
    except OSError as e:
        raise SetupError(f"cannot list {base}: {e.strerror}") from None
    for entry in entries:
        match = NAME.match(entry.name)
        if not match:
            continue
        try:
            st = os.lstat(entry.path)
        except FileNotFoundError:
            continue
        if not stat.S_ISDIR(st.st_mode) or st.st_uid != os.geteuid():
            continue
        kept = os.path.lexists(os.path.join(entry.path, KEPT))
        found.append((entry.path, int(match[1]), int(match[2]), kept))
    return sorted(found)


def run_alive(pid, start):
    return process_start(pid) == start


def remove_folder(path):
    """Stops the server of a test server folder, killing it when it does not stop in time (its
    data is thrown away), and removes the folder."""
    server = Server(ServerFolder(path))
    if os.path.lexists(server.folder.config):
        server.stop(kill=True, timeout=10)
    files.remove_tree(path)


def remove_leftovers(base=BASE, kept_too=False, note=say):
    """Removes the test server folders of this account whose run is gone (a killed run), and
    names those kept on purpose, or removes them too with kept_too."""
    for path, pid, start, kept in own_folders(base):
        if run_alive(pid, start) and not kept:
            continue
        if kept and not kept_too:
            size = files.human_size(files.folder_size(path))
            note(f"Note: the tests' server kept by an earlier run is still in {path} ({size}):"
                 " ./scripts/test --remove-kept removes it")
            continue
        remove_folder(path)
        note(f"Removed {path}, the tests' server of "
             + ("an earlier run, kept" if kept else f"a run that ended before its clean-up (process {pid})"))


class TestServer:
    """A server for one run: `with TestServer() as ts:` makes it (ts.conf names its settings),
    and removes it at the end unless keep is set."""

    def __init__(self, keep=False, base=BASE, note=say):
        self.keep = keep
        self.base = base
        self.note = note
        self.path = None
        self.server = None
        self.conf = None

    def __enter__(self):
        try:
            self.make()
        except BaseException:
            self.remove()
            raise
        return self

    def __exit__(self, kind, _value, _trace):
        if self.keep:
            files.write_file(os.path.join(self.path, KEPT), b"kept by --keep\n")
            self.note(f"The tests' server is kept in {self.path}; reach it with\n"
                      f"  export VTX_TEST_CONF={self.conf}\n"
                      "./scripts/test --remove-kept removes it")
        else:
            self.remove()
        return False

    def make(self):
        pid = os.getpid()
        self.path = tempfile.mkdtemp(prefix=f"{PREFIX}{pid}-{process_start(pid)}.", dir=self.base)
        os.chmod(self.path, 0o711 if paths.is_root() else 0o700)
        folder = ServerFolder(self.path)
        paths.check_socket_path(folder.socket)
        self.server = Server(folder)
        self.server.write_config(free_port(), buffer_pool_bytes(note=self.note))
        self.server.install()
        self.server.start(note=self.note)
        client = self.server.client()
        password = databases.random_password()
        databases.ensure_program_account(client, USER, ["127.0.0.1"], password, [DATABASE],
                                         rights=databases.ALL_RIGHTS)
        quote_password = databases.make_test_database(client, DATABASE, QUOTE_USER)
        lines = {"port": folder.port(), "user": USER, "password": password,
                 "database": DATABASE, "quote_user": QUOTE_USER,
                 "quote_password": quote_password}
        self.conf = os.path.join(self.path, CONF)
        files.write_file(self.conf, "".join(f"{k}={v}\n" for k, v in lines.items()).encode())

    def remove(self):
        if self.path and os.path.lexists(self.path):
            remove_folder(self.path)

    def log_tail(self, lines=30):
        """The last lines of the server's error log (the server account's file, no link
        followed), or a line saying why there are none."""
        _name, uid, _gid = paths.server_account()
        try:
            data = files.read_file(self.server.folder.error_log, uid, missing_ok=True) or b""
        except SetupError as e:
            return str(e)
        return "\n".join(data.decode("utf-8", "replace").splitlines()[-lines:])

    def environment(self):
        """The tests' environment: where the run's server is, and, where the session names no
        runtime folder, one inside the run's folder, so that Qt makes none of its own in /tmp
        that would outlive the run."""
        env = dict(os.environ, VTX_TEST_CONF=self.conf)
        if not env.get("XDG_RUNTIME_DIR"):
            runtime = os.path.join(self.path, "runtime")
            os.makedirs(runtime, mode=0o700, exist_ok=True)
            env["XDG_RUNTIME_DIR"] = runtime
        return env


@contextlib.contextmanager
def ended_by_signals():
    """SIGTERM and SIGHUP end the run as Ctrl+C does, so that its server is removed."""
    def stop(signum, _frame):
        raise KeyboardInterrupt(f"signal {signum}")

    old = {s: signal.signal(s, stop) for s in (signal.SIGTERM, signal.SIGHUP)}
    try:
        yield
    finally:
        for s, handler in old.items():
            signal.signal(s, handler)


def run_tests(keep=False, remove_kept=False, ctest_args=()):
    """./scripts/test: installs what is missing, builds the program and the tests, makes the
    run's server and runs every test (or those ctest_args select) against it."""
    if remove_kept:
        remove_leftovers(kept_too=True)
        return 0
    # A killed run's server holds its memory: it goes before the build.
    remove_leftovers()
    packages.install_packages()
    packages.register_odbc_driver()
    build = paths.build_dir()
    packages.build(paths.ROOT, build)
    with ended_by_signals():
        started = time.monotonic()
        with TestServer(keep=keep) as ts:
            say(f"The tests' server is up in {time.monotonic() - started:.1f} s ({ts.path})")
            env = dict(ts.environment(), QT_QPA_PLATFORM="offscreen")
            command = ["ctest", "--output-on-failure", "-j", str(packages.jobs()),
                       "--timeout", "300", *ctest_args]
            status = subprocess.run(command, cwd=build, env=env).returncode
            if status != 0:
                note("The last lines of the tests' server's log "
                     f"({ts.server.folder.error_log}):\n{ts.log_tail()}")
                raise SetupError(f"Tests failed (ctest ended with status {status}; its report is "
                                 "above). ./scripts/test --keep keeps their server to look into")
    return 0


def main(argv):
    """./scripts/test [--keep] [--remove-kept] [CTEST OPTIONS...]: options it does not know
    (like -R setup) pass on to ctest."""
    keep = remove_kept = False
    rest = list(argv)
    while rest and rest[0] in ("--keep", "--remove-kept", "--"):
        option = rest.pop(0)
        if option == "--":
            break
        keep = keep or option == "--keep"
        remove_kept = remove_kept or option == "--remove-kept"
    return run_tests(keep=keep, remove_kept=remove_kept, ctest_args=rest)
