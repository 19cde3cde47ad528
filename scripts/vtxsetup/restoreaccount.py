"""The account a restore loads its backup as.

A backup file may have been changed on its way (it is copied to other disks and machines), so
it is never run as the server's administrator. Each restore makes an account of its own that
holds exactly SELECT, INSERT, CREATE, DROP, ALTER and LOCK TABLES on the restore's new database
(its '_' escaped in the grant) and nothing else: no global right, no GRANT OPTION, no account
management. Whatever a statement of the file says, it reaches that database alone.

The account logs in with a random password kept in a 0600 option file of a private temporary
folder: over the socket where the server is on this machine, else over TCP as the
administrator's link does (the same TLS check), for the one address the server sees this
machine as, never '%', and with TLS required. It is dropped, its sessions ended, as soon as the
load ends; the next restore removes any account or restore database a killed one left.
"""

import contextlib
import ipaddress
import os
import re
import tempfile

from . import databases, files
from .client import Client, quote
from .tell import SetupError

PREFIX = "vtx_restore_"
RIGHTS = ("SELECT", "INSERT", "CREATE", "DROP", "ALTER", "LOCK TABLES")
HOST_NAME = re.compile(r"^[A-Za-z0-9.-]+$")


def restore_database(database, stamp):
    """The database a restore of database loads into. Its name is never cut to the server's 64
    characters, which could make it the database itself or another: a name that does not fit
    whole, as its account's grant writes it (each '_' escaped), is refused."""
    name = f"{database}_restore_{stamp}"
    if len(name.replace("_", "\\_")) > 64:
        raise SetupError(f"The name {database} is too long for a restore, which loads into a database named"
                         f" {name} beside it, longer than the server takes: nothing restored")
    return name


def _like_prefix(text):
    return text.replace("\\", "\\\\").replace("_", "\\_").replace("%", "\\%") + "%"


def remove_leftovers(client, database):
    """Drops the accounts and the restore databases of database that earlier restores left
    (one killed midway); returns what it removed, one text each. A database is taken by its
    exact name, a restore's date and time after the prefix: LIKE on the schemata ignores case,
    and a name of another ending is none of a restore's."""
    removed = []
    prefix = restore_database(database, "")
    for user, host in client.query(
            f"SELECT User, Host FROM mysql.user WHERE User LIKE {quote(_like_prefix(PREFIX))}"):
        drop(client, user, host)
        removed.append(f"the account {user}@{host}")
    for (name,) in client.query(
            "SELECT SCHEMA_NAME FROM information_schema.schemata WHERE SCHEMA_NAME LIKE"
            f" {quote(_like_prefix(prefix))}"):
        if not re.fullmatch(re.escape(prefix) + "[0-9_]+", name):
            continue
        client.run(f"DROP DATABASE IF EXISTS {databases.check_name(name)}")
        removed.append(f"the database {name}")
    return removed


def drop(client, user, host):
    """Drops the account and ends its sessions: DROP USER leaves them open."""
    client.run(f"DROP USER IF EXISTS {quote(user)}@{quote(host)}")
    for (session,) in client.query(
            f"SELECT ID FROM information_schema.processlist WHERE USER = {quote(user)}"):
        with contextlib.suppress(SetupError):  # it may have ended meanwhile
            client.run(f"KILL CONNECTION {int(session)}")


def _seen_as(client):
    """The host the server sees this machine's administrator come from over TCP."""
    host = client.value("SELECT SUBSTRING_INDEX(USER(), '@', -1)")
    try:
        ipaddress.ip_address(host)
    except ValueError:
        if not HOST_NAME.match(host or ""):
            raise SetupError(f"{client.where} sees this machine as {host!r}, which no account"
                             " can be made for alone") from None
    return host


@contextlib.contextmanager
def login(client, database):
    """A client of the server as a new account that reaches database alone (see the module's
    text); the account is dropped when the block ends, however it ends."""
    user = PREFIX + "".join(c for c in databases.random_password() if c.isalnum())[:12]
    if client.link is None:
        host = "localhost"
        link = ["--protocol=SOCKET", f"--socket={client.value('SELECT @@socket')}"]
    else:
        host = _seen_as(client)
        link = [*client.link, "--ssl"]
    password = databases.random_password()
    with tempfile.TemporaryDirectory(prefix="vertalumex-restore.") as folder:
        path = os.path.join(folder, "login.cnf")
        files.write_file(path, f"[client]\nuser={user}\npassword={password}\n".encode(), mode=0o600)
        try:
            databases.ensure_program_account(client, user, [host], password, [database],
                                             require_ssl=client.link is not None, rights=RIGHTS)
            yield Client(["mariadb", f"--defaults-file={path}", *link],
                         f"{client.where} as the restore's account {user}")
        finally:
            drop(client, user, host)
