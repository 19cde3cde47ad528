"""The set-up's commands: ./scripts/run, ./scripts/test, bench/run and ./scripts/server VERB.

Every command first refuses a clone of another account, then finds this clone's server from
its installation id (identity.py): a server folder that records another clone with the same id
(a copy, a move across file systems, a restore) is refused by every command until `adopt` or
`separate`, so that nothing is taken over without a word.
"""

import argparse
import os
import sys

from . import databases, files, identity, paths
from .errors import SetupError
from .server import Server, buffer_pool_bytes
from .serverfolder import ServerFolder

DB_NAME = "vertalumex"
DB_USER = "vtx"
SERVER = "./scripts/server"
# Databases a server's own set-up makes; any other is a database of the clinic's.
SYSTEM_DATABASES = {"mysql", "performance_schema", "sys", "information_schema"}


def say(text):
    print(text, flush=True)


def note(text):
    print(text, file=sys.stderr, flush=True)


def confirm(question, yes):
    if yes:
        return True
    print(question + " Type yes to go on: ", end="", flush=True)
    try:
        answer = sys.stdin.readline()
    except (OSError, KeyboardInterrupt):
        answer = ""
    return answer.strip() == "yes"


# -- this clone's server


class Found:
    """This clone and the server folder its id names: verdict OURS, COPY or NONE."""

    def __init__(self, clone_id, folder, this, record, verdict):
        self.clone_id, self.folder, self.this, self.record, self.verdict = clone_id, folder, this, record, verdict


def check_clone():
    """What every command checks before it touches anything."""
    paths.check_path_chars(paths.ROOT)
    paths.check_ownership()


def find(create=False, warn=True):
    """This clone's server folder. With create, the clone gets its id and the folder is made
    (not yet set up); else a clone without id has None as its folder, and one whose server is
    still in an earlier set-up's layout is refused: start moves it first."""
    root = paths.ROOT
    if not create:
        from . import migration

        if migration.pending(root):
            raise SetupError(
                f"This clone's private server is still in an earlier set-up's layout ({root}/var/db): "
                f"`{SERVER} start` moves it into today's first"
            )
    clone_id = identity.ensure_id(root) if create else identity.read_id(root, os.geteuid())
    if clone_id is None:
        return Found(None, None, None, None, identity.NONE)
    folder = ServerFolder.for_id(clone_id)
    if create:
        warning = warn and paths.remote_warning(os.path.dirname(folder.path))
        if warning:
            note(warning)
        folder.make()
    this = identity.describe(root, clone_id)
    record = folder.read_record() if folder.exists() else None
    return Found(clone_id, folder, this, record, identity.decide(this, record))


def copy_message(found, verb=None):
    record, folder = found.record, found.folder
    held = identity.holds_clone(record)
    where = record.get("path", "?")
    if held:
        state = f"which still holds that clone: this clone ({paths.ROOT}) is a copy of it"
        ways = (
            f"`{SERVER} separate` gives this clone a new id and a server of its own, with an empty database "
            f"(`{SERVER} adopt` is refused while {where} holds that clone)"
        )
    else:
        state = (
            f"which no longer holds that clone (moved elsewhere, deleted, or another clone there): this "
            f"clone ({paths.ROOT}) was moved or copied from it, or restored"
        )
        ways = (
            f"`{SERVER} adopt` makes this clone take that server and its data over, or `{SERVER} separate` "
            "gives this clone a new id and a server of its own, with an empty database"
        )
    done = f"{verb} refused" if verb else "Nothing done"
    return (
        f"{done}: the server folder {folder.path} has this clone's installation id but records the clone at "
        f"{where}, {state}. {ways}"
    )


def require_ours(found, verb=None):
    if found.verdict == identity.COPY:
        raise SetupError(copy_message(found, verb))


def claim(found):
    """Records this clone in its folder (a new server), or brings the recorded path up to date
    (a clone moved within its file system, or reached by another path). Under the lock."""
    if found.verdict == identity.NONE:
        found.folder.write_record(found.this)
        found.record, found.verdict = dict(found.this), identity.OURS
        name_orphans(found.clone_id)
    elif found.verdict == identity.OURS and found.record.get("path") != found.this["path"]:
        say(f"This clone moved from {found.record.get('path')} to {found.this['path']}: its server's record follows")
        found.folder.write_record(found.this)
        found.record = dict(found.this)


def orphan_list(clone_id):
    servers = paths.servers_dir()
    return identity.orphans(servers, clone_id or "", lambda path: ServerFolder(path).read_record())


def name_orphans(clone_id):
    for folder, record in orphan_list(clone_id):
        note(
            f"Note: the server folder {folder} ({files.human_size(files.folder_size(folder))}) records the "
            f"clone at {record.get('path')}, which no longer holds it; this clone does not use it. The clone "
            f"moved elsewhere takes it over with `{SERVER} adopt`; once its data is known not to be needed, "
            f"`{SERVER} remove-folder {folder}` deletes it"
        )


# -- setting a server up


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
    uid = paths.server_account()[1]
    try:
        log = files.read_file(folder.error_log, uid, missing_ok=True) or b""
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
    admin = paths.admin_user()
    server_user = paths.server_account()[0]
    from .client import quote

    names = ", ".join(quote(n) for n in sorted({"root", admin, server_user}))
    rows = client.query(
        f"SELECT user, host FROM mysql.user WHERE user = '' OR (user IN ({names}) AND host <> 'localhost')",
        step="Listing the accounts",
    )
    drops = [f"DROP USER {quote(user)}@{quote(host)};" for user, host in rows]
    drops.append("ALTER USER 'root'@'localhost' IDENTIFIED VIA unix_socket;")
    client.run("\n".join(drops), step="Limiting root and the administrator to the socket")


def ensure_running(found, pool):
    """Starts this clone's server unless it runs (under the lock); makes it at the first
    set-up. Returns whether this call started it."""
    folder = found.folder
    srv = Server(folder)
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
            f"The data of this clone's server is gone from {folder.data}, which a finished set-up made: no empty "
            f"server is made in its place. Bring the data back (a backup), or `{SERVER} remove` to start anew "
            "with an empty database"
        )
    started = False
    if not srv.wait_answering():
        srv.configure(pool)
        srv.start(pool_bytes=pool)
        started = True
    client = srv.client()
    secure_accounts(client)
    # Every committed save reaches the disk before the commit returns; a running server takes a
    # new memory size at once, and keeps it in its configuration.
    client.run("SET GLOBAL innodb_flush_log_at_trx_commit = 1", step="Making the server durable")
    if client.value("SELECT @@innodb_buffer_pool_size") != str(pool):
        client.run(f"SET GLOBAL innodb_buffer_pool_size = {int(pool)}", step="Resizing the buffer pool")
    if not started and srv.pool_bytes() != pool:
        srv.write_config(int(client.value("SELECT @@port")), pool)
    return started


def make_database(folder, client):
    """The program's database, upgraded to this tree's schema, and its account; its password
    made at the first set-up (or when its file was deleted)."""
    password = folder.read_password()
    if password is None:
        password = databases.random_password()
        folder.write_password(password)
    databases.apply_schema(client, DB_NAME)
    databases.ensure_program_account(client, DB_USER, ["127.0.0.1"], password, [DB_NAME])
    return password


def migrate_earlier_layout():
    from . import migration

    if migration.pending():
        migration.migrate(paths.ROOT)


def start_server(quiet=False, pool=None):
    """The everyday start: this clone's server running, with its database made or upgraded.
    pool: the buffer pool, when the caller has checked VTX_DB_MEMORY already. Returns (folder,
    port, password). The lock is let go before it returns."""
    pool = pool or buffer_pool_bytes()
    migrate_earlier_layout()
    found = find(create=True)
    require_ours(found)
    with found.folder.lock():
        # Looked at again: another set-up may have changed it while this one waited.
        found = find(create=True, warn=False)
        require_ours(found)
        claim(found)
        ensure_running(found, pool)
        client = Server(found.folder).client()
        password = make_database(found.folder, client)
        port = int(client.value("SELECT @@port"))
    if not quiet:
        say(
            f"The private server runs on 127.0.0.1, port {port}, with the database {DB_NAME}; its data is in "
            f"{found.folder.path}"
        )
    return found.folder, port, password


# -- the verbs


def cmd_start(args):
    from . import packages

    pool = buffer_pool_bytes()
    packages.install_packages()
    start_server(pool=pool)


def own_server(verb):
    """This clone's server folder, found for verb and refused in a copy; None while the clone
    has none."""
    found = find()
    if found.folder is None or not found.folder.exists():
        return None
    require_ours(found, verb)
    return found


def cmd_stop(args):
    found = own_server("stop")
    if found is None:
        say("This clone has no private server yet: nothing to stop")
        return
    with found.folder.lock():
        if Server(found.folder).stop(kill=args.kill):
            say("The private server is stopped")
        else:
            say("The private server is not running")


def cmd_status(args):
    found = own_server("status")
    if found is None:
        say(f"This clone has no private server yet: `{SERVER} start` makes one")
        name_orphans(None)
        return
    folder = found.folder
    srv = Server(folder)
    say(f"The data lives in {folder.path} (its size: {files.human_size(files.folder_size(folder.path))})")
    pids = srv.running_pids()
    if not pids:
        say("The server is stopped")
    elif srv.ping(5):
        port = srv.client().value("SELECT @@port", step="Asking the server its port")
        say(f"The server runs (process {' '.join(map(str, pids))}), on 127.0.0.1 port {port}")
    else:
        say(
            f"A server (process {' '.join(map(str, pids))}) runs on the data but does not answer on its socket "
            f"within 5 s: `{SERVER} stop` stops it (`stop --kill` when that does not help)"
        )
    if not folder.installed():
        say(f"Its first set-up has not finished: `{SERVER} start` finishes it")
    name_orphans(found.clone_id)


def cmd_sql(args):
    found = own_server("sql")
    if found is None:
        raise SetupError(f"This clone has no private server yet: `{SERVER} start` makes one")
    srv = Server(found.folder)
    pids = srv.running_pids()
    if not pids:
        raise SetupError(f"This clone's private server is not running: `{SERVER} start` starts it")
    if not srv.ping(5):
        raise SetupError(
            f"This clone's private server (process {' '.join(map(str, pids))}) runs but does not answer on its"
            f" socket within 5 s (stopped, swapping, or its disk full?): `{SERVER} stop` stops it (`stop --kill`"
            f" when that does not help), then `{SERVER} start`; its log is {found.folder.error_log}"
        )
    command = srv.client().command(*args.args)
    sys.stdout.flush()
    # Interactive work is not cut short: the client replaces this process.
    os.execvpe(command[0], command, dict(os.environ, PATH=os.environ.get("PATH", "") + ":/usr/sbin:/sbin"))


def other_sessions(client):
    return int(
        client.value(
            "SELECT COUNT(*) FROM information_schema.processlist WHERE id <> CONNECTION_ID() AND command <> 'Daemon'",
            step="Counting the server's connections",
        )
    )


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
    others = other_sessions(srv.client())
    if others:
        raise SetupError(
            f"The server has {others} connection(s) open (the program, its tests or a client): close them, "
            f"then {what} again"
        )


def remove_server_folder(folder, kill=False):
    """Stops a folder's server and deletes the folder: the mark first, so that what a failed
    removal leaves is never taken for a finished set-up."""
    srv = Server(folder)
    srv.stop(kill=kill)
    if srv.running_pids():
        raise SetupError(f"A server still runs on {folder.data}: nothing removed")
    try:
        os.unlink(folder.mark)
    except FileNotFoundError:
        pass
    except OSError as e:
        raise SetupError(f"cannot remove {folder.mark}: {e.strerror}") from None
    files.remove_tree(folder.path)


def cmd_remove(args):
    found = own_server("remove")
    if found is None:
        say("This clone has no private server: nothing to remove")
        return
    folder = found.folder
    with folder.lock():
        srv = Server(folder)
        check_unused(srv, "remove it")
        port = folder.port()
        size = files.human_size(files.folder_size(folder.path))
        if not confirm(f"Remove this clone's private server and its data, {folder.path} ({size})?", args.yes):
            raise SetupError("Nothing removed")
        check_unused(srv, "remove it")
        remove_server_folder(folder)
    forget_settings(port)
    say(f"Removed {folder.path}")


def forget_settings(port):
    """The program's settings file that named the removed server goes too: the next set-up
    would keep it, with a port and a password that are gone."""
    from . import settings

    settings.forget(paths.build_dir(), port)


def cmd_adopt(args):
    found = find()
    if found.folder is None or not found.folder.exists() or found.verdict == identity.NONE:
        raise SetupError(f"This clone has no server folder to adopt: `{SERVER} start` makes one")
    if found.verdict == identity.OURS:
        say(f"The server folder {found.folder.path} is this clone's already: nothing to adopt")
        return
    folder, record = found.folder, found.record
    where = record.get("path", "?")
    with folder.lock():
        found = find()
        require_copy(found)
        if identity.holds_clone(record):
            raise SetupError(
                f"Adopt refused: {where} still holds the clone that the server folder {folder.path} records, so "
                f"this clone is a copy of it. `{SERVER} separate` gives this clone a server of its own"
            )
        size = files.human_size(files.folder_size(folder.path))
        question = (
            f"The server folder {folder.path} ({size}) was the clone's at {where}, which no longer holds it. "
            "This clone takes it over, data included. A copy made before that clone moved away looks the "
            f"same as the clone itself, moved: adopt only if this clone is the one from {where} (moved, or "
            "restored), not a copy of it that is also elsewhere."
        )
        if not confirm(question, args.yes):
            raise SetupError("Nothing adopted")
        folder.write_record(found.this)
    say(f"This clone now owns the server folder {folder.path}: `{SERVER} start` starts it")


def require_copy(found):
    if found.verdict != identity.COPY:
        raise SetupError("The server folder changed meanwhile: run the command again")


def cmd_separate(args):
    from . import migration

    if identity.read_id(paths.ROOT, os.geteuid()) is None and migration.pending(paths.ROOT):
        # An earlier set-up's folder records this clone's path, but this clone never had an id
        # (a new clone at that path, or `git clean` before the first start of today's set-up).
        say(f"This clone gets an installation id and a server of its own, {identity.ensure_id(paths.ROOT)}")
        cmd_start(args)
        return
    found = find()
    if found.verdict != identity.COPY:
        raise SetupError(
            "This clone's server folder records this clone: nothing to separate from"
            if found.verdict == identity.OURS
            else f"This clone has no server folder to separate from: `{SERVER} start` makes one"
        )
    record = found.record
    if identity.shares_git_folder(paths.ROOT, record):
        raise SetupError(
            f"This clone shares its git folder {identity.git_dir(paths.ROOT)}, where the installation id lives, "
            "with another checkout: a new id would be that one's too. Give this clone a git folder of its own "
            "(`git clone`, or `git worktree add`), then start there; a worktree moved by hand is told apart "
            "again by `git worktree repair`"
        )
    new = identity.replace_id(paths.ROOT)
    say(f"This clone has a new installation id, {new}; the server folder {found.folder.path} is left as it is")
    cmd_start(args)


def cmd_remove_folder(args):
    servers = paths.servers_dir()
    path = os.path.realpath(args.path)
    if os.path.dirname(path) != servers or not os.path.isdir(path) or os.path.islink(args.path):
        raise SetupError(f"{args.path} is not a server folder in {servers}: nothing removed")
    folder = ServerFolder(path)
    found = find()
    if found.folder is not None and found.folder.path == path and found.verdict == identity.OURS:
        raise SetupError(f"{path} is this clone's own server: `{SERVER} remove` removes it")
    record = folder.read_record()
    if record is not None and identity.holds_clone(record):
        raise SetupError(
            f"{path} belongs to the clone at {record.get('path')}, which still holds it: run `{SERVER} remove` "
            "there to remove it"
        )
    with folder.lock():
        srv = Server(folder)
        check_unused(srv, "remove it")
        whose = f"the clone once at {record.get('path')}" if record else "no clone (it has no record)"
        size = files.human_size(files.folder_size(path))
        if not confirm(f"Remove the server folder {path} ({size}) of {whose}, data included?", args.yes):
            raise SetupError("Nothing removed")
        remove_server_folder(folder)
    say(f"Removed {path}")


def cmd_run(args):
    if args.args:
        # A workstation of a clinic's server: its own set-up.
        from . import workstation

        return workstation.main(args.args)
    display_check()
    # In a copy its advice comes first, before the build stops at the copied CMake cache.
    found = find()
    require_ours(found)
    from . import packages

    pool = buffer_pool_bytes()
    packages.install_packages()
    packages.register_odbc_driver()
    build = paths.build_dir()
    packages.build(paths.ROOT, build, ["Vertalumex", "vtx-writeini"])
    from . import settings

    program = os.path.join(settings.program_folder(build), "Vertalumex")
    values = settings.read(settings.program_folder(build), build)
    if values["kind"] == "settings" and settings.private_port(values) is None:
        # A workstation of a clinic's server (or a file set through "Util > Parametros"): the
        # program goes there, once that database is known to have this program's upgrades, and
        # no private server is started for it.
        from . import workstation

        workstation.check_at_start(settings.program_folder(build), build, note=note)
        exec_program(program)
    folder, port, _password = start_server(quiet=True, pool=pool)
    settings.write(folder, port, build=build)
    exec_program(program)


def exec_program(program):
    sys.stdout.flush()
    os.execv(program, [program])


def display_check():
    # The program opens windows: without a graphical display Qt would only abort.
    if not any(os.environ.get(v) for v in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")):
        raise SetupError(
            "Vertalumex needs a graphical display, and none is set (DISPLAY, WAYLAND_DISPLAY and "
            "QT_QPA_PLATFORM are all empty): run ./scripts/run from a desktop session."
        )


def cmd_test(args):
    from . import testserver

    return testserver.main(args.args)


def cmd_bench(args):
    from . import bench

    return bench.main(args.args)


def parser():
    top = argparse.ArgumentParser(prog="vertalumex-setup")
    verbs = top.add_subparsers(dest="verb", required=True)

    run = verbs.add_parser("run", help="set up and start the program")
    run.add_argument("args", nargs=argparse.REMAINDER)
    run.set_defaults(func=cmd_run)
    for name, func in (("test", cmd_test), ("bench", cmd_bench)):
        p = verbs.add_parser(name)
        p.add_argument("args", nargs=argparse.REMAINDER)
        p.set_defaults(func=func)

    server = verbs.add_parser("server", prog=SERVER)
    sub = server.add_subparsers(dest="action", required=True, metavar="VERB")
    sub.add_parser("start", help="starts it, and makes or upgrades the database vertalumex").set_defaults(func=cmd_start)
    p = sub.add_parser("stop", help="stops it")
    p.add_argument("--kill", action="store_true", help="kills a server that does not stop within 30 s")
    p.set_defaults(func=cmd_stop)
    sub.add_parser("status", help="where its data lives, whether it runs").set_defaults(func=cmd_status)
    p = sub.add_parser("sql", help="the mariadb client as its administrator, ARGS passed on")
    p.add_argument("args", nargs=argparse.REMAINDER)
    p.set_defaults(func=cmd_sql)
    for name, func, text in (
        ("remove", cmd_remove, "stops it and deletes its folder, data included"),
        ("adopt", cmd_adopt, "takes over the server folder of this clone's id, recorded for another path"),
    ):
        p = sub.add_parser(name, help=text)
        p.add_argument("--yes", action="store_true", help="without asking")
        p.set_defaults(func=func)
    sub.add_parser("separate", help="a new id and a server of this clone's own, with an empty database").set_defaults(
        func=cmd_separate
    )
    p = sub.add_parser("remove-folder", help="deletes a server folder that no clone holds")
    p.add_argument("path")
    p.add_argument("--yes", action="store_true", help="without asking")
    p.set_defaults(func=cmd_remove_folder)
    add_clinic_verbs(sub)
    return top


def add_clinic_verbs(sub):
    from . import clinic

    p = sub.add_parser("install-database", help="makes or upgrades the program's database on the clinic's server")
    clinic.add_install_options(p)
    p.set_defaults(func=lambda args: clinic.install_database(args))
    p = sub.add_parser("certificates", help="makes the TLS certificates of a clinic's server")
    p.add_argument("folder")
    p.add_argument("names", nargs="+")
    p.set_defaults(func=lambda args: clinic.certificates(args.folder, args.names))
    p = sub.add_parser("backup", help="writes a backup of the program's database")
    p.add_argument("file", nargs="?")
    clinic.add_server_options(p)
    p.set_defaults(func=cmd_backup)
    p = sub.add_parser("restore", help="brings a backup back")
    p.add_argument("file")
    p.add_argument("--over", action="store_true")
    clinic.add_server_options(p)
    p.set_defaults(func=cmd_restore)


def backup_target(args, work):
    """Runs work(target, database) on the clinic's server the options name, else on this
    clone's private server, started first."""
    from . import backup, clinic

    if clinic.wanted(args):
        with clinic.open_target(args) as target:
            return work(target, args.database)
    folder, _port, _password = start_server(quiet=True)
    target = backup.Target(Server(folder).client(), folder.lock(), "this clone's private server")
    return work(target, DB_NAME)


def cmd_backup(args):
    from . import backup

    backup_target(args, lambda target, database: backup.backup(target, database, args.file))


def cmd_restore(args):
    from . import backup

    backup_target(args, lambda target, database: backup.restore(target, database or DB_NAME, args.file, over=args.over))


# Verbs whose arguments pass on untouched (argparse would take a leading "-e" for its own).
PASS_ON = {("run",): cmd_run, ("test",): cmd_test, ("bench",): cmd_bench, ("server", "sql"): cmd_sql}


def main(argv):
    for head, func in PASS_ON.items():
        if tuple(argv[: len(head)]) == head and not argv[len(head) : len(head) + 1] in (["-h"], ["--help"]):
            args = argparse.Namespace(func=func, args=argv[len(head) :])
            break
    else:
        args = parser().parse_args(argv)
    try:
        check_clone()
        result = args.func(args)
        return result if isinstance(result, int) else 0
    except SetupError as e:
        sys.stdout.flush()
        print(e, file=sys.stderr)
        return 1
    except KeyboardInterrupt:
        print("Interrupted", file=sys.stderr)
        return 130
