"""Scratch clones with private servers of their own, for the set-up's scenario tests.

Each test gets a folder of its own under /tmp holding its clones (the scripts and the schema of
this tree, a git repository each), the servers' folder the scripts are pointed at through
VTX_SERVERS_DIR, and the home of any throw-away account it makes. At the end every server found
running on a path in that folder is stopped, the accounts are deleted and the folder goes: the
clinic's server, /var/lib/vertalumex and the run's test server are never reached.
"""

import os
import pwd
import secrets
import selectors
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(SOURCE, "scripts"))
from vtxsetup.server import send  # noqa: E402
SBIN = ":/usr/local/sbin:/usr/sbin:/sbin"
# A command that takes longer than this hangs: liveness is bounded at 30 s a wait.
HANG = 150
RUNUSER = shutil.which("runuser", path="/usr/sbin:/sbin:/usr/bin:/bin") or "runuser"
# Sources without git keep their id in the top folder; clones are git repositories where git is.
HAVE_GIT = shutil.which("git") is not None


# Names that have broken quoting before: accents, apostrophes, a backslash, double quotes.
NAMES = ["João D'Ávila", "Conceição \\ Müller", "O'Brien \"Zé\""]


def sh(*args, check=True, ns=None, env=None, timeout=120):
    """Runs a command (in the network namespace ns), failing the test on a non-zero status."""
    command = (["ip", "netns", "exec", ns] if ns else []) + [str(a) for a in args]
    done = subprocess.run(command, capture_output=True, text=True, timeout=timeout, env=env)
    if check and done.returncode != 0:
        raise AssertionError(f"{' '.join(command)} -> {done.returncode}\n{done.stdout}{done.stderr}")
    return done


def main():
    """Runs the file's tests as root, where a server and an account can be made; else skips."""
    if os.geteuid() != 0:
        print("the scenarios make servers and accounts: only as root")
        sys.exit(77)
    if not shutil.which("mariadbd", path=os.environ.get("PATH", "") + SBIN):
        print("no MariaDB server here")
        sys.exit(77)
    result = unittest.main(verbosity=2, exit=False).result
    # Every test skipped (no mount can be made here): the run is a skip, not a pass.
    sys.exit(77 if result.testsRun and len(result.skipped) == result.testsRun else int(not result.wasSuccessful()))


class Result:
    def __init__(self, args, rc, out, err):
        self.args, self.rc, self.out, self.err = args, rc, out, err
        self.text = out + err

    def __str__(self):
        return f"{' '.join(self.args)} -> {self.rc}\n{self.text}"


def git(folder, *args):
    command = ["git", "-C", folder, "-c", "user.name=t", "-c", "user.email=t@t", "-c", "init.defaultBranch=main"]
    env = {k: v for k, v in os.environ.items() if not k.startswith("GIT_")}
    subprocess.run(command + list(args), check=True, env=env, stdout=subprocess.DEVNULL)


class Scratch:
    def __init__(self):
        # Short: the socket's path below an account's servers' folder must fit 107 bytes.
        self.top = tempfile.mkdtemp(prefix="vtx-scn.")
        os.chmod(self.top, 0o711)
        self.servers = self.path("servers")
        self.accounts = []
        self.spawned = []

    def path(self, *names):
        return os.path.join(self.top, *names)

    def env(self, user=None, **extra):
        """The environment of a command: the scratch servers' folder, a small server."""
        if user:
            home = pwd.getpwnam(user).pw_dir
            env = {"HOME": home, "USER": user, "LOGNAME": user, "LANG": "C.UTF-8"}
            env["PATH"] = "/usr/local/bin:/usr/bin:/bin"
        else:
            env = {k: v for k, v in os.environ.items() if not k.startswith(("VTX_", "GIT_", "XDG_"))}
            env["PATH"] = env.get("PATH", "/usr/bin:/bin")
            # Earlier scripts took their servers' folder from this name.
            env["VTX_SERVERS_DIR"] = env["VTX_TEST_SERVER_HOMES"] = self.servers
        env["VTX_DB_MEMORY"] = "128M"
        env.update(extra)
        return {k: v for k, v in env.items() if v is not None}

    def command(self, clone, args, user, env, script="server"):
        command = [os.path.join(clone, "scripts", script)] + list(args)
        if user:
            command = [RUNUSER, "-u", user, "--", "env", "-i"] + [f"{k}={v}" for k, v in env.items()] + command
        return command

    def server(self, clone, *args, user=None, input=None, timeout=HANG, script="server", **env):
        """./scripts/server ARGS (or another script) in the clone, run from another folder; a
        hang is a failure."""
        env = self.env(user, **env)
        command = self.command(clone, args, user, env, script)
        with subprocess.Popen(command, cwd="/", env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True, start_new_session=True) as p:
            try:
                out, err = p.communicate(input or "", timeout=timeout)
            except subprocess.TimeoutExpired:
                os.killpg(p.pid, signal.SIGKILL)
                out, err = p.communicate()
                raise AssertionError(f"{' '.join(args)} still ran after {timeout} s:\n{out}{err}")
        return Result(args, p.returncode, out, err)

    def spawn(self, clone, *args, user=None, **env):
        """./scripts/server ARGS started in the background, in a process group of its own."""
        env = self.env(user, **env)
        p = subprocess.Popen(self.command(clone, args, user, env), cwd="/", env=env, stdin=subprocess.DEVNULL,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, start_new_session=True)
        self.spawned.append(p)
        return p

    def session(self, clone):
        """A client session on the clone's server, held open until the test closes its input."""
        env = self.env()
        p = subprocess.Popen(self.command(clone, ["sql", "-N", "--unbuffered"], None, env), cwd="/", env=env,
                             stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, start_new_session=True)
        self.spawned.append(p)
        return p

    def sql(self, clone, query, user=None):
        r = self.server(clone, "sql", "-N", "-B", "-e", query, user=user)
        if r.rc != 0:
            raise AssertionError(f"{query}: {r}")
        return r.out.strip()

    def add_rows(self, clone, n, user=None):
        self.sql(clone, f"USE vertalumex; CREATE TABLE kept (v INT) ENGINE=InnoDB;"
                        f" INSERT INTO kept SELECT seq FROM seq_1_to_{n}", user)

    def rows(self, clone, user=None):
        """The rows of vertalumex.kept, or None when the database has no such table."""
        found = self.sql(clone, "SELECT COUNT(*) FROM information_schema.tables"
                                " WHERE table_schema = 'vertalumex' AND table_name = 'kept'", user)
        return int(self.sql(clone, "SELECT COUNT(*) FROM vertalumex.kept", user)) if found == "1" else None

    def clone(self, name, owner=None, git_repo=HAVE_GIT):
        """A clone of this tree's scripts and schema: a git repository of its own where git is."""
        path = self.path(name)
        os.mkdir(path)
        for part in ("scripts", "db"):
            shutil.copytree(os.path.join(SOURCE, part), os.path.join(path, part), symlinks=True,
                            ignore=shutil.ignore_patterns("__pycache__"))
        if git_repo:
            git(path, "init", "-q")
            git(path, "add", "scripts", "db")
            git(path, "commit", "-q", "-m", "scratch")
        if owner:
            subprocess.run(["chown", "-R", f"{owner}:", path], check=True)
        return path

    def account(self):
        """A throw-away account with a home of its own in the scratch folder."""
        name = "vtxf" + secrets.token_hex(3)
        home = self.path("h")
        subprocess.run(["useradd", "-M", "-d", home, "-s", "/bin/sh", name], check=True)
        self.accounts.append(name)
        os.mkdir(home, 0o700)
        entry = pwd.getpwnam(name)
        os.chown(home, entry.pw_uid, entry.pw_gid)
        return name

    def folders(self, servers=None):
        """The server folders in a servers' folder (the scratch one by default)."""
        servers = servers or self.servers
        if not os.path.isdir(servers):
            return []
        return sorted(os.path.join(servers, n) for n in os.listdir(servers)
                      if os.path.isdir(os.path.join(servers, n)) and not os.path.islink(os.path.join(servers, n)))

    def pids(self):
        """The processes named mariadbd whose command line names a path in the scratch folder."""
        found = []
        for name in os.listdir("/proc"):
            if not name.isdigit():
                continue
            try:
                with open(f"/proc/{name}/comm") as f:
                    if f.read().strip() != "mariadbd":
                        continue
                with open(f"/proc/{name}/cmdline", "rb") as f:
                    if self.top.encode() not in f.read():
                        continue
            except OSError:
                continue
            found.append(int(name))
        return sorted(found)

    def close(self):
        for p in self.spawned:
            if p.poll() is None:
                os.killpg(p.pid, signal.SIGKILL)
            p.wait()
            for pipe in (p.stdin, p.stdout, p.stderr):
                if pipe:
                    pipe.close()
        uids = {pwd.getpwnam(a).pw_uid for a in self.accounts}
        victims = set(self.pids())
        for name in os.listdir("/proc"):
            if name.isdigit() and uids:
                try:
                    if os.stat(f"/proc/{name}").st_uid in uids:
                        victims.add(int(name))
                except OSError:
                    pass
        send(victims, signal.SIGCONT, signal.SIGTERM)
        # The servers let their files go before the folder is removed; a stuck one is killed.
        deadline = time.monotonic() + 30
        while victims and time.monotonic() < deadline:
            victims = {p for p in victims if os.path.exists(f"/proc/{p}")}
            time.sleep(0.1)
        send(victims, signal.SIGKILL)
        for name in self.accounts:
            subprocess.run(["userdel", name], stderr=subprocess.DEVNULL)
        shutil.rmtree(self.top, ignore_errors=True)


def ask(session, query):
    """The first line a session answers to the query."""
    session.stdin.write(query + "\n")
    session.stdin.flush()
    return session.stdout.readline().strip()


def data_dir(folder):
    """A server folder's data: srv/data, or data in the layout of earlier scripts."""
    new = os.path.join(folder, "srv", "data")
    return new if os.path.isdir(os.path.join(folder, "srv")) else os.path.join(folder, "data")


def socket_path(folder):
    srv = os.path.join(folder, "srv")
    return os.path.join(srv, "mariadbd.sock") if os.path.isdir(srv) else os.path.join(folder, "mariadb.sock")


def server_port(folder):
    """The port a server folder's configuration (or port file, earlier) names."""
    try:
        with open(os.path.join(folder, "server.cnf")) as f:
            for line in f:
                key, _, value = line.partition("=")
                if key.strip() == "port":
                    return int(value.strip())
    except FileNotFoundError:
        with open(os.path.join(folder, "port")) as f:
            return int(f.read().strip())
    raise AssertionError(f"no port in {folder}/server.cnf")


def tcp_login(port, user, password=None):
    """Whether an account logs in over TCP on the loopback, with or without a password."""
    args = ["mariadb", "--no-defaults", "--protocol=tcp", "-h127.0.0.1", f"-P{port}", f"-u{user}",
            "--connect-timeout=10", "-e", "select 1"]
    if password is not None:
        args.insert(-2, f"-p{password}")
    return subprocess.run(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60).returncode == 0


class Events:
    """A fifo that PATH shims write a line to, read by the test: orders its steps without sleeps."""

    def __init__(self, path):
        self.path = path
        os.mkfifo(path, 0o666)
        os.chmod(path, 0o666)
        # Open both ways: no writer's exit ends it, and no shim blocks on its open.
        self.fd = os.open(path, os.O_RDWR)
        self.buffer = b""
        self.errors = {}

    def wait_any(self, process, timeout=HANG):
        """The next shim line ("event", line) or stderr line ("stderr", line) of the process,
        whichever comes first; ("exit", rc) when the process ends first. The timeout only
        guards against a hang."""
        sel = selectors.DefaultSelector()
        sel.register(self.fd, selectors.EVENT_READ, "event")
        sel.register(process.stderr, selectors.EVENT_READ, "stderr")
        deadline = time.monotonic() + timeout
        err = self.errors.setdefault(process.pid, [b""])
        try:
            while True:
                if b"\n" in self.buffer:
                    line, self.buffer = self.buffer.split(b"\n", 1)
                    return "event", line.decode()
                if b"\n" in err[0]:
                    line, err[0] = err[0].split(b"\n", 1)
                    return "stderr", line.decode(errors="replace")
                ready = sel.select(deadline - time.monotonic())
                if not ready:
                    raise AssertionError(f"neither an event nor a line within {timeout} s")
                for key, _ in ready:
                    if key.data == "event":
                        self.buffer += os.read(self.fd, 4096)
                    else:
                        chunk = os.read(process.stderr.fileno(), 4096)
                        if not chunk:
                            return "exit", process.wait()
                        err[0] += chunk
        finally:
            sel.close()

    def wait(self, timeout=HANG):
        deadline = time.monotonic() + timeout
        while b"\n" not in self.buffer:
            sel = selectors.DefaultSelector()
            sel.register(self.fd, selectors.EVENT_READ)
            ready = sel.select(max(0, deadline - time.monotonic()))
            sel.close()
            if not ready:
                raise AssertionError(f"no event within {timeout} s")
            self.buffer += os.read(self.fd, 4096)
        line, self.buffer = self.buffer.split(b"\n", 1)
        return line.decode()


def shim(folder, name, body):
    """A program on PATH before the real one: a /bin/sh script; REAL names the real program."""
    os.makedirs(folder, mode=0o755, exist_ok=True)
    real = shutil.which(name, path="/usr/local/bin:/usr/bin:/bin" + SBIN)
    path = os.path.join(folder, name)
    with open(path, "w") as f:
        f.write(f"#!/bin/sh\nREAL='{real}'\n{body}\n")
    os.chmod(path, 0o755)
    return folder + ":" + os.environ.get("PATH", "/usr/bin:/bin")


class ScenarioCase(unittest.TestCase):
    def setUp(self):
        self.s = Scratch()
        self.addCleanup(self.s.close)

    def started(self, name):
        """A scratch clone of that name whose private server was started."""
        clone = self.s.clone(name)
        self.assertOk(self.s.server(clone, "start"))
        return clone

    def assertOk(self, result):
        self.assertEqual(result.rc, 0, str(result))

    def assertRefused(self, result, *words):
        """Failed, with a message holding each of the words (case aside)."""
        self.assertNotEqual(result.rc, 0, str(result))
        for word in words:
            self.assertIn(word.lower(), result.text.lower(), str(result))
