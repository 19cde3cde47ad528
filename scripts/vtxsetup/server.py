"""A private server's life cycle, on a ServerFolder (or any folder with the same layout).

The server and mariadb-install-db run as the server's account from their first instruction
(mysql as root): no step of theirs runs as root in a folder mysql writes. The server's command
line is `mariadbd --defaults-file=<server.cnf>` and nothing else, and a process counts as this
server only when it runs as the server's account with that command line and Debian's mariadbd:
any account can name a program mariadbd. Every wait on the server is bounded.
"""

import os
import random
import shutil
import signal
import socket
import subprocess
import time

from . import files, paths, tell
from .client import Client
from .tell import SetupError

# How long a server may take to answer, to start or to stop before the set-up says what to do.
LIVENESS = 30

# Ports the system's MariaDB service uses (the classic protocol and the X protocol).
SYSTEM_PORTS = (3306, 33060)
# Where a new server's port is looked for, in random order so that servers set up at the same
# moment rarely pick the same one.
PORT_RANGE = range(33061, 33200)

MB = 1024 * 1024
CHUNK_MB = 128


def machine_memory_mb():
    with open("/proc/meminfo", encoding="ascii") as f:
        for line in f:
            if line.startswith("MemTotal:"):
                return int(line.split()[1]) // 1024
    raise SetupError("cannot read the machine's memory from /proc/meminfo")


def buffer_pool_bytes(setting=None, machine_mb=None, note=tell.note):
    """The server's memory for data (InnoDB's buffer pool), in bytes: VTX_DB_MEMORY (like 512M
    or 2G, at most the machine's memory) when set, else a quarter of the machine's memory, at
    most 4 GB; in whole 128 MB chunks, at least one. A size set below 128 MB is raised, and said so."""
    if setting is None:
        setting = os.environ.get("VTX_DB_MEMORY", "")
    machine_mb = machine_memory_mb() if machine_mb is None else machine_mb
    if setting:
        text = setting.strip()
        unit = text[-1:].upper()
        if unit not in ("M", "G") or not text[:-1].isdigit() or len(text) > 8 or not text[:-1].isascii():
            raise SetupError(f"VTX_DB_MEMORY must be megabytes or gigabytes, like 512M or 2G, not '{setting}'")
        mb = int(text[:-1]) * (1024 if unit == "G" else 1)
        if mb > machine_mb:
            raise SetupError(f"VTX_DB_MEMORY={setting} is more than this machine's memory ({machine_mb}M)")
        if mb < CHUNK_MB:
            note(f"VTX_DB_MEMORY={setting} is below the server's least, {CHUNK_MB}M: it gets {CHUNK_MB}M")
    else:
        mb = min(machine_mb // 4, 4096)
    mb = max(mb // CHUNK_MB * CHUNK_MB, CHUNK_MB)
    return mb * MB


def valid_port(port):
    return isinstance(port, int) and 1024 <= port <= 65535 and port not in SYSTEM_PORTS


def port_free(port):
    """Whether nothing listens on the loopback port. As the server binds with SO_REUSEADDR, so
    does this look: a connection of the last run left in TIME_WAIT does not make the port taken."""
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        try:
            s.bind(("127.0.0.1", port))
            return True
        except OSError:
            return False


def free_port(is_free=port_free, avoid=()):
    ports = list(PORT_RANGE)
    random.shuffle(ports)
    for port in ports:
        if port not in avoid and is_free(port):
            return port
    raise SetupError(f"No free port from {PORT_RANGE.start} to {PORT_RANGE.stop - 1} on 127.0.0.1: stop a server there")


def choose_port(current, is_free=port_free, note=tell.note, where="the configuration", avoid=()):
    """The port a server starts on: the one it had (kept across starts) while it is a valid one
    and free, else a free one, and said so when one was set. A new port is none of `avoid`
    (the ports of earlier layouts' servers, stopped or not, which old settings files name)."""
    if current is None:
        return free_port(is_free, avoid)
    if not valid_port(current):
        note(
            f"The port in {where} was '{current}', not a port from 1024 to 65535 other than the standard "
            "3306 and 33060 of the system's MariaDB service: the server takes a free port"
        )
        return free_port(is_free, avoid)
    if not is_free(current):
        port = free_port(is_free, avoid)
        note(f"The server's port {current} is taken by another program: it takes port {port}")
        return port
    return current


def search_path():
    """The caller's PATH with the sbin folders, where the server's programs live, appended."""
    return os.environ.get("PATH", "/usr/local/bin:/usr/bin:/bin") + ":/usr/local/sbin:/usr/sbin:/sbin"


def mariadbd_path():
    """Debian's mariadbd, as a process of this server runs it."""
    found = shutil.which("mariadbd", path="/usr/sbin:/usr/local/sbin:/sbin:/usr/bin")
    if not found:
        raise SetupError("MariaDB's server mariadbd is missing: install mariadb-server")
    return os.path.realpath(found)


def _account_kwargs():
    """Popen arguments that run a program as the server's account: as root, from its first
    instruction, with that account's groups alone; else as the account itself."""
    if not paths.is_root():
        return {}
    _name, uid, gid = paths.server_account()
    return {"user": uid, "group": gid, "extra_groups": []}


def _server_env():
    # The server's programs are found through PATH (the set-up's tests put stand-ins there).
    env = {"PATH": search_path(), "LC_ALL": "C"}
    if "TZ" in os.environ:
        env["TZ"] = os.environ["TZ"]
    return env


def mariadbd_processes(uids):
    """(pid, command line split at its NULs) of each process that runs Debian's mariadbd as
    one of uids: any account can name a program mariadbd, none can take another's uid."""
    try:
        exe = mariadbd_path()
    except SetupError:
        return []
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        proc = f"/proc/{entry}"
        try:
            if os.stat(proc).st_uid not in uids or os.readlink(f"{proc}/exe").removesuffix(" (deleted)") != exe:
                continue
            with open(f"{proc}/cmdline", "rb") as fh:
                found.append((int(entry), fh.read().split(b"\0")))
        except OSError:
            continue
    return found


def send(pids, *signals):
    """Sends each signal in turn to every process of pids still there."""
    for sig in signals:
        for pid in pids:
            try:
                os.kill(pid, sig)
            except ProcessLookupError:
                pass


class PortTaken(SetupError):
    pass


class Server:
    def __init__(self, folder, avoid=()):
        self.folder = folder
        self.avoid = set(avoid)

    # -- configuration

    def write_config(self, port, pool_bytes):
        """THE configuration: read by the server, mariadb-install-db and every client call."""
        f = self.folder
        name, uid, gid = paths.server_account()
        text = (
            "# Written by the set-up at every start; the port is kept from one start to the next.\n"
            "[mariadbd]\n"
            f"datadir={f.data}\n"
            f"socket={f.socket}\n"
            f"pid-file={f.pid_file}\n"
            f"port={int(port)}\n"
            "bind-address=127.0.0.1\n"
            "skip-name-resolve\n"
            f"secure-file-priv={f.files}\n"
            "local-infile=0\n"
            f"tmpdir={f.tmp}\n"
            f"innodb_buffer_pool_size={int(pool_bytes)}\n"
            "innodb_flush_log_at_trx_commit=1\n"
            "skip-log-bin\n"
            "character-set-server=utf8mb4\n"
            "collation-server=utf8mb4_general_ci\n"
            f"log-error={f.error_log}\n"
            f"user={name}\n"
            "\n[client]\n"
            f"socket={f.socket}\n"
            f"port={int(port)}\n"
        )
        # The server's account reads it; as root it cannot write it.
        files.write_file(f.config, text.encode(), mode=0o644 if paths.is_root() else 0o600)

    def configure(self, pool_bytes, note=tell.note):
        """Writes the configuration with the port kept from the last start (or a free one)."""
        port = choose_port(self.folder.port(), note=note, where=self.folder.config, avoid=self.avoid)
        self.write_config(port, pool_bytes)
        return port

    def pool_bytes(self):
        """The buffer pool the configuration names, or None."""
        value = self.folder.config_value("innodb_buffer_pool_size")
        return int(value) if value and value.isdigit() else None

    # -- first set-up

    def install(self):
        """Makes the server's system tables (mariadb-install-db, as the server's account), then
        writes the finished-set-up mark. Its output goes to install.log; a failure says so."""
        f = self.folder
        f.make_server_folders()
        name, uid, gid = paths.server_account()
        files.make_folder(f.data, 0o700, uid, gid)
        try:
            done = subprocess.run(
                [
                    "mariadb-install-db",
                    f"--defaults-file={f.config}",
                    f"--user={name}",
                    "--auth-root-authentication-method=socket",
                    "--skip-test-db",
                ],
                stdin=subprocess.DEVNULL,
                capture_output=True,
                cwd="/",
                env=_server_env(),
                timeout=600,
                **_account_kwargs(),
            )
            output = done.stdout + done.stderr
            ok = done.returncode == 0
        except FileNotFoundError:
            raise SetupError("mariadb-install-db is missing: install mariadb-server") from None
        except subprocess.TimeoutExpired as e:
            output = (e.stdout or b"") + (e.stderr or b"")
            ok = False
        files.write_file(f.install_log, output)
        if not ok:
            raise SetupError(
                f"mariadb-install-db could not make the server's tables; see {f.install_log}. "
                "The next start makes them again"
            )
        f.write_mark()

    # -- processes

    def running_pids(self):
        """The processes of this server, answering or not: the server's account's, started as
        `mariadbd --defaults-file=<this configuration>`, running Debian's mariadbd."""
        _name, uid, _gid = paths.server_account()
        wanted = f"--defaults-file={self.folder.config}".encode()
        return [pid for pid, args in mariadbd_processes({uid})
                if len(args) >= 2 and args[1] == wanted and (len(args) == 2 or args[2] == b"")]

    def ping(self, timeout=5):
        """Whether the server answers on its socket within timeout seconds."""
        if not os.path.exists(self.folder.config):
            return False
        try:
            done = subprocess.run(
                [
                    "mariadb-admin",
                    f"--defaults-file={self.folder.config}",
                    f"--user={paths.admin_user()}",
                    f"--connect-timeout={max(1, int(timeout))}",
                    "ping",
                ],
                stdin=subprocess.DEVNULL,
                capture_output=True,
                timeout=timeout + 1,
                env=_server_env(),
            )
        except subprocess.TimeoutExpired:
            return False
        except FileNotFoundError:
            raise SetupError("mariadb-admin is missing: install mariadb-client") from None
        return done.returncode == 0

    def wait_answering(self, timeout=LIVENESS):
        """Waits, at most timeout seconds, for a server that runs to answer: True once it
        answers, False once no server runs; a SetupError when it runs but does not answer."""
        deadline = time.monotonic() + timeout
        while True:
            pids = self.running_pids()
            if not pids:
                return False
            left = deadline - time.monotonic()
            if self.ping(max(1, min(5, left))):
                return True
            if time.monotonic() >= deadline:
                raise self.hung(pids)
            time.sleep(0.2)

    def hung(self, pids):
        return SetupError(
            f"The private server (process {' '.join(map(str, pids))}) runs but does not answer within "
            f"{LIVENESS} s (stopped, swapping, or its disk full?): ./scripts/server stop --kill stops it "
            f"(committed saves are kept); its log is {self.folder.error_log}"
        )

    def start(self, timeout=LIVENESS, pool_bytes=None, note=tell.note):
        """Starts the server and waits, at most timeout seconds, for it to answer. A port taken
        between the look and the server's bind is replaced by another, a few times."""
        f = self.folder
        f.make_server_folders()
        mariadbd_path()
        pool = pool_bytes or self.pool_bytes() or buffer_pool_bytes()
        for attempt in range(5):
            log_start = self._log_size()
            proc = subprocess.Popen(
                ["mariadbd", f"--defaults-file={f.config}"],
                stdin=subprocess.DEVNULL,
                stdout=subprocess.DEVNULL,
                stderr=subprocess.DEVNULL,
                close_fds=True,
                start_new_session=True,
                cwd="/",
                env=_server_env(),
                **_account_kwargs(),
            )
            deadline = time.monotonic() + timeout
            while True:
                if proc.poll() is not None:
                    break
                if self.ping(max(1, min(5, deadline - time.monotonic()))):
                    _started[proc.pid] = proc
                    return proc.pid
                if time.monotonic() >= deadline:
                    _started[proc.pid] = proc
                    raise self.hung([proc.pid])
                time.sleep(0.2)
            log = self._log_since(log_start)
            if "Address already in use" in log and attempt < 4:
                port = free_port(avoid=self.avoid)
                note(f"The server's port was taken meanwhile: it takes port {port}")
                self.write_config(port, pool)
                continue
            raise SetupError(self._failure_message(log))
        raise SetupError(f"MariaDB did not start; see {f.error_log}")

    def _failure_message(self, log):
        f = self.folder
        tail = "\n".join(log.strip().splitlines()[-15:])
        text = f"MariaDB did not start; see {f.error_log}"
        if "Unknown/unsupported storage engine" in log or "Plugin 'InnoDB' registration" in log:
            text += (
                ". Its data files cannot be read (InnoDB failed): the data is damaged or incomplete. "
                "A full disk or too little memory can also cause this (see the log). Otherwise restore the data from "
                "a backup, or, to start anew with an empty database, remove "
                "this server (./scripts/server remove)"
            )
        return (tail + "\n" if tail else "") + text

    def _log_size(self):
        try:
            return os.lstat(self.folder.error_log).st_size
        except OSError:
            return 0

    def _log_since(self, offset):
        """The error log from offset on (what this start wrote), read without following a link
        and only when the server's account owns it."""
        _name, uid, _gid = paths.server_account()
        try:
            data = files.read_file(self.folder.error_log, uid, missing_ok=True) or b""
        except SetupError as e:
            return str(e)
        if len(data) < offset:
            offset = 0
        return data[offset:].decode("utf-8", "replace")

    def stop(self, kill=False, timeout=LIVENESS):
        """Stops the server and waits, at most timeout seconds, until no process of it is left:
        SIGCONT (a stopped one could not take the next), then SIGTERM, which the server takes as
        a shutdown; SIGKILL only with kill. Succeeds only once none runs. Returns whether one ran."""
        pids = self.running_pids()
        if not pids:
            return False
        send(pids, signal.SIGCONT, signal.SIGTERM)
        if self._wait_gone(pids, timeout):
            return True
        left = self.running_pids()
        if kill:
            send(left, signal.SIGKILL)
            if self._wait_gone(left, 10):
                return True
            raise SetupError(f"The private server (process {' '.join(map(str, left))}) did not end even on SIGKILL")
        raise SetupError(
            f"The private server (process {' '.join(map(str, left))}) did not stop within {timeout} s "
            "(busy writing, or its disk full?). Wait and stop it again, or ./scripts/server stop --kill "
            "kills it (committed saves are kept; InnoDB recovers them at the next start)"
        )

    def _wait_gone(self, pids, timeout):
        deadline = time.monotonic() + timeout
        while True:
            running = set(self.running_pids()) & set(pids)
            # Reaped after the look: one that ended meanwhile is a zombie, which the look
            # does not count, and is waited for here. A server this process started counts
            # until it is reaped: while it exits it is neither listed nor yet a zombie.
            _reap(pids)
            running |= set(pids) & set(_started)
            if not running:
                return True
            if time.monotonic() >= deadline:
                return False
            time.sleep(0.1)

    def client(self):
        return Client.socket(self.folder.config)


# The servers this process started, which live on past the start: each is waited for once it
# ended (a stop reaps it), so that none is left a zombie or dropped while it runs.
_started = {}


def _reap(pids):
    for pid in pids:
        proc = _started.get(pid)
        if proc is not None:
            if proc.poll() is not None:
                del _started[pid]
            continue
        try:
            os.waitpid(pid, os.WNOHANG)
        except ChildProcessError:
            pass
