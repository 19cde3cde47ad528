"""The account's private server: made at the first start, started, its database made or
upgraded, stopped, told about and removed. Every clone of the account uses this one server
(serverfolder.py); the command line (commands.py) only calls in here.
"""

import os

from . import databases, earlier, files, paths, settings
from .client import quote
from .server import Server, buffer_pool_bytes
from .serverfolder import ServerFolder
from .tell import SetupError, confirm, note, say

DB_NAME = "vertalumex"
DB_USER = "vtx"
SERVER = "./scripts/server"
# Databases a server's own set-up makes; any other is a database of the clinic's.
SYSTEM_DATABASES = {"mysql", "performance_schema", "sys", "information_schema"}


def existing():
    """The account's server folder, or None before the first start."""
    folder = ServerFolder.account()
    return folder if folder.exists() else None


def required(what="that"):
    folder = existing()
    if folder is None:
        raise SetupError(f"This account has no private server yet: `{SERVER} start` makes one, then {what}")
    return folder


# -- setting the server up


def user_databases(data):
    """The databases in a data folder besides the server's own."""
    try:
        entries = list(os.scandir(data))
    except FileNotFoundError:
        return []
    return sorted(
        e.name
        for e in entries
        if e.is_dir(follow_symlinks=False) and e.name not in SYSTEM_DATABASES and not e.name.startswith("#")
    )


def ever_ran(folder):
    """Whether a server ever ran on the folder: it said so in its error log."""
    try:
        log = files.read_file(folder.error_log, paths.server_account()[1], missing_ok=True) or b""
    except SetupError:
        return True
    return b"ready for connections" in log


def remake_cut_first_setup(folder, srv):
    """A folder without the finished-set-up mark: mariadb-install-db was cut short. Its data is
    removed and made again only while nothing in it can be a clinic's: no database beside the
    server's own, no server running on it, none ever started there."""
    pids = srv.running_pids()
    if not pids and not os.path.lexists(folder.data):
        return
    dbs = user_databases(folder.data)
    if pids or dbs or ever_ran(folder):
        what = (
            f"a server runs on it (process {' '.join(map(str, pids))})"
            if pids
            else f"it holds the databases {', '.join(dbs)}"
            if dbs
            else f"a server ran on it (see {folder.error_log})"
        )
        raise SetupError(
            f"The server folder {folder.path} has no mark of a finished first set-up, yet {what}: it is left "
            f"as it is. Keep what is needed from {folder.data}, then `{SERVER} remove` to start anew"
        )
    note(f"The first set-up of {folder.path} was cut short: its server's tables are made again")
    files.remove_tree(folder.data)


def secure_accounts(client):
    """Root and the administrator log in through the socket only; no account logs in over TCP
    without a password (also in data made by earlier set-ups)."""
    names = ", ".join(quote(n) for n in sorted({"root", paths.admin_user(), paths.server_account()[0]}))
    rows = client.query(
        f"SELECT user, host FROM mysql.user WHERE user = '' OR (user IN ({names}) AND host <> 'localhost')",
        step="Listing the accounts",
    )
    drops = [f"DROP USER {quote(user)}@{quote(host)};" for user, host in rows]
    drops.append("ALTER USER 'root'@'localhost' IDENTIFIED VIA unix_socket;")
    client.run("\n".join(drops), step="Limiting root and the administrator to the socket")


def ensure_running(folder, pool):
    """Starts the server unless it runs (under the lock); makes it at the first set-up."""
    srv = Server(folder, avoid=earlier.ports())
    if not folder.installed():
        remake_cut_first_setup(folder, srv)
        srv.configure(pool)
        say(f"Making the private server's tables in {folder.path}")
        srv.install()
    elif not os.path.isdir(os.path.join(folder.data, "mysql")):
        pids = srv.running_pids()
        if pids:
            raise SetupError(
                f"A MariaDB server (process {' '.join(map(str, pids))}) still runs on {folder.data}, where no "
                "database is left (deleted under it): the data lives on only in the files that process holds "
                f"open. Recover them first if needed, then `{SERVER} stop` and start again"
            )
        raise SetupError(
            f"The private server's data is gone from {folder.data}, which a finished set-up made: no empty "
            f"server is made in its place. Bring the data back (a backup), or `{SERVER} remove` to start anew "
            "with an empty database"
        )
    started = not srv.wait_answering()
    if started:
        srv.configure(pool)
        srv.start(pool_bytes=pool)
    client = srv.client()
    secure_accounts(client)
    # Every committed save reaches the disk before the commit returns; a running server takes a
    # new memory size at once, and keeps it in its configuration.
    client.run("SET GLOBAL innodb_flush_log_at_trx_commit = 1", step="Making the server durable")
    if client.value("SELECT @@innodb_buffer_pool_size") != str(pool):
        client.run(f"SET GLOBAL innodb_buffer_pool_size = {int(pool)}", step="Resizing the buffer pool")
    if not started and srv.pool_bytes() != pool:
        srv.write_config(int(client.value("SELECT @@port")), pool)


def make_database(folder, client):
    """The program's database, upgraded to this tree's schema, and its account; its password
    made at the first set-up (or when its file was deleted)."""
    password = folder.read_password()
    if password is None:
        password = databases.random_password()
        folder.write_password(password)
    databases.apply_schema(client, DB_NAME)
    databases.ensure_program_account(client, DB_USER, ["127.0.0.1"], password, [DB_NAME])


def start(quiet=False, pool=None):
    """The everyday start: the account's server running, with its database made or upgraded,
    and the earlier layouts named. pool: the buffer pool, when the caller has checked
    VTX_DB_MEMORY already. Returns (folder, port). The lock is let go before it returns."""
    pool = pool or buffer_pool_bytes()
    folder = ServerFolder.account()
    folder.make()
    with folder.lock():
        folder.check_machine()
        ensure_running(folder, pool)
        client = Server(folder).client()
        make_database(folder, client)
        port = int(client.value("SELECT @@port"))
    if not quiet:
        say(f"The private server runs on 127.0.0.1, port {port}, with the database {DB_NAME}; its data is in {folder.path}")
    earlier.name_them()
    return folder, port


# -- stop, status, remove


def stop(kill=False):
    folder = existing()
    if folder is None:
        say("This account has no private server yet: nothing to stop")
        return
    with folder.lock():
        say("The private server is stopped" if Server(folder).stop(kill=kill) else "The private server is not running")


def status():
    folder = existing()
    if folder is None:
        say(f"This account has no private server yet: `{SERVER} start` makes one")
    else:
        srv = Server(folder)
        say(f"The data lives in {folder.path} (its size: {files.human_size(files.folder_size(folder.path))})")
        pids = srv.running_pids()
        listed = " ".join(map(str, pids))
        if not pids:
            say("The server is stopped")
        elif srv.ping(5):
            port = srv.client().value("SELECT @@port", step="Asking the server its port")
            say(f"The server runs (process {listed}), on 127.0.0.1 port {port}")
        else:
            say(f"A server (process {listed}) runs on the data but does not answer on its socket within 5 s: "
                f"`{SERVER} stop` stops it (`stop --kill` when that does not help)")
        if not folder.installed():
            say(f"Its first set-up has not finished: `{SERVER} start` finishes it")
    earlier.name_them()


def check_unused(srv, what):
    """Refuses while the server has connections (the program, tests, a client), or runs but
    cannot be asked."""
    pids = srv.running_pids()
    if not pids:
        return
    if not srv.ping(5):
        raise SetupError(
            f"The server (process {' '.join(map(str, pids))}) runs but does not answer, so its connections "
            f"cannot be counted: `{SERVER} stop` (or `stop --kill`) first, then {what} again"
        )
    others = int(srv.client().value(
        "SELECT COUNT(*) FROM information_schema.processlist WHERE id <> CONNECTION_ID() AND command <> 'Daemon'",
        step="Counting the server's connections"))
    if others:
        raise SetupError(
            f"The server has {others} connection(s) open (the program, its tests or a client, from any clone of "
            f"this account): close them, then {what} again"
        )


def remove(yes=False):
    """Stops the server and deletes its folder, then this clone's settings file that names it.
    The mark goes first, so that what a failed removal leaves is never taken for a finished
    set-up."""
    folder = existing()
    if folder is None:
        say("This account has no private server: nothing to remove")
        return
    with folder.lock():
        srv = Server(folder)
        check_unused(srv, "remove it")
        named = settings.Named(folder.port(), folder.read_password())
        size = files.human_size(files.folder_size(folder.path))
        question = (f"Remove this account's private server and its data, {folder.path} ({size})? Every clone "
                    f"of {paths.account_name()} uses it, not this one alone.")
        if not confirm(question, yes):
            raise SetupError("Nothing removed")
        check_unused(srv, "remove it")
        srv.stop()
        if srv.running_pids():
            raise SetupError(f"A server still runs on {folder.data}: nothing removed")
        files.remove_file(folder.mark)
        files.remove_tree(folder.path)
    say(f"Removed {folder.path}")
    settings.forget(named)
    note("Other clones' settings files that named it are kept: `./scripts/run` there says to delete them,"
         " and then writes them for the next server")
