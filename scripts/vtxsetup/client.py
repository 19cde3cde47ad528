"""The mariadb client, run for the set-up's SQL: every call bounded in time unless it is long
work (a schema upgrade, a restore), every failure a SetupError naming the step."""

import os
import subprocess

from . import paths
from .tell import SetupError

# How long a client waits to connect and for a short statement; a server that does not answer
# within this is reported, never waited for.
TIMEOUT = 30
CONNECT_TIMEOUT = 10


def quote(value: str) -> str:
    """value as an SQL string literal, '\\' and "'" escaped (the servers run without
    NO_BACKSLASH_ESCAPES). Every value reaches SQL through here, never spliced raw."""
    if "\0" in value:
        raise SetupError("a value for the database holds a NUL character")
    return "'" + value.replace("\\", "\\\\").replace("'", "\\'") + "'"


def quote_name(name: str) -> str:
    """name as an SQL identifier in backticks."""
    if "\0" in name:
        raise SetupError("a name for the database holds a NUL character")
    return "`" + name.replace("`", "``") + "`"


def _unescape(field):
    # --batch writes a NUL, a tab, a line break and a backslash as escapes.
    if "\\" not in field:
        return field
    out = []
    i = 0
    while i < len(field):
        c = field[i]
        if c == "\\" and i + 1 < len(field):
            out.append({"0": "\0", "t": "\t", "n": "\n", "\\": "\\"}.get(field[i + 1], field[i + 1]))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


class Client:
    def __init__(self, args, where, link=None):
        self.args = list(args)
        self.where = where
        # How a client over TCP reaches the server, apart from its account: the protocol, the
        # address and the TLS check. None over the socket of a server on this machine.
        self.link = link

    @classmethod
    def socket(cls, defaults_file, user=None):
        """The administrator of a private server over its socket, by unix-socket
        authentication: root as root, else the account itself."""
        return cls(
            ["mariadb", f"--defaults-file={defaults_file}", f"--user={user or paths.admin_user()}"],
            f"the private server ({defaults_file})",
        )

    @classmethod
    def remote(cls, host, port, admin_defaults_file, tls_ca=None):
        """An administrator of a clinic's server over TCP, with the user and password in
        admin_defaults_file (a [client] group); tls_ca: the authority the server is verified
        against."""
        link = ["--protocol=TCP", f"--host={host}", f"--port={int(port)}"]
        if tls_ca:
            link += [f"--ssl-ca={tls_ca}", "--ssl-verify-server-cert"]
        return cls(["mariadb", f"--defaults-file={admin_defaults_file}", *link],
                   f"the server {host}:{port}", link)

    @classmethod
    def debian_service(cls):
        """root on the system's MariaDB service, over its socket."""
        return cls(
            ["mariadb", "--no-defaults", "--socket=/run/mysqld/mysqld.sock", "--user=root"],
            "the system's MariaDB service",
        )

    def command(self, *extra):
        """The client's command line with extra arguments (the interactive `sql`)."""
        return self.args + [f"--connect-timeout={CONNECT_TIMEOUT}", *extra]

    def _call(self, stdin_data, stdin_file, database, timeout, step):
        args = self.command("--batch", "--skip-column-names")
        if database is not None:
            args.append(f"--database={database}")
        try:
            done = subprocess.run(
                args,
                input=stdin_data,
                stdin=stdin_file,
                capture_output=True,
                timeout=timeout,
                env=client_env(),
            )
        except subprocess.TimeoutExpired:
            raise SetupError(
                f"{step} got no answer from {self.where} within {timeout} s: the server is hung or "
                "overloaded. ./scripts/server stop --kill stops a private server that hangs"
            ) from None
        except FileNotFoundError:
            raise SetupError("the mariadb client is missing: install mariadb-client") from None
        if done.returncode != 0:
            message = done.stderr.decode("utf-8", "replace").strip()
            raise SetupError(f"{step} failed on {self.where}: {message or f'status {done.returncode}'}")
        return done.stdout.decode("utf-8", "replace")

    def run(self, sql: str, database=None, timeout=TIMEOUT, step="an SQL step"):
        """Runs sql (in batch mode, the statements on standard input); returns the output,
        tab-separated, with no column names."""
        return self._call(sql.encode(), None, database, timeout, step)

    def run_file(self, path, database=None, timeout=None, step=None):
        """Runs an SQL file; by default not cut short (an upgrade takes its time)."""
        try:
            with open(path, "rb") as f:
                return self._call(None, f, database, timeout, step or os.path.basename(path))
        except OSError as e:
            raise SetupError(f"cannot read {path}: {e.strerror}") from None

    def query(self, sql: str, database=None, timeout=TIMEOUT, step="a query"):
        """The rows sql returns, each a list of strings (NULL comes as 'NULL')."""
        out = self.run(sql, database, timeout, step)
        return [[_unescape(f) for f in line.split("\t")] for line in out.splitlines()]

    def value(self, sql: str, database=None, timeout=TIMEOUT, step="a query"):
        rows = self.query(sql, database, timeout, step)
        return rows[0][0] if rows and rows[0] else None


def client_env():
    # The server is named by the options given alone, never by the caller's environment.
    env = dict(os.environ)
    env.pop("MYSQL_PWD", None)
    env.pop("MYSQL_HOST", None)
    env.pop("MYSQL_TCP_PORT", None)
    env.pop("MYSQL_UNIX_PORT", None)
    env["PATH"] = env.get("PATH", "/usr/bin:/bin") + ":/usr/local/sbin:/usr/sbin:/sbin"
    return env
