"""The set-up's command line: ./scripts/run, ./scripts/test, bench/run and ./scripts/server VERB.
Every command first refuses a clone of another account; the private server's work is
private.py's, the clinic's clinic.py's."""

import argparse
import os
import sys

from . import backup, bench, clinic, earlier, packages, paths, private, program, settings, testserver, workstation
from .server import Server, buffer_pool_bytes
from .tell import SetupError, note


def cmd_start(args):
    pool = buffer_pool_bytes()
    packages.install_packages()
    private.start(pool=pool)


def cmd_test(args):
    return testserver.main(args.args)


def cmd_bench(args):
    return bench.main(args.args)


def cmd_sql(args):
    folder = private.required("`sql` reaches it")
    srv = Server(folder)
    pids = srv.running_pids()
    if not pids:
        raise SetupError(f"The private server is not running: `{private.SERVER} start` starts it")
    if not srv.ping(5):
        raise SetupError(
            f"The private server (process {' '.join(map(str, pids))}) runs but does not answer on its socket within"
            f" 5 s (stopped, swapping, or its disk full?): `{private.SERVER} stop` stops it (`stop --kill` when that"
            f" does not help), then `{private.SERVER} start`; its log is {folder.error_log}"
        )
    command = srv.client().command(*args.args)
    sys.stdout.flush()
    # Interactive work is not cut short: the client replaces this process.
    os.execvpe(command[0], command, dict(os.environ, PATH=os.environ.get("PATH", "") + ":/usr/sbin:/sbin"))


def cmd_run(args):
    if args.args:
        # A workstation of a clinic's server: its own set-up.
        return workstation.main(args.args)
    program.check_display()
    pool = buffer_pool_bytes()
    path = program.build()
    build = paths.build_dir()
    folder = private.existing()
    values = settings.read(settings.program_folder(build), build)
    named = settings.Named(folder and folder.port(), folder and folder.read_password(), earlier.passwords())
    if values["kind"] == "settings" and settings.kept(values, named):
        # A workstation of a clinic's server (or a file set through "Util > Parametros"): the
        # program goes there, once that database is known to have this program's upgrades, and
        # no private server is started for it.
        workstation.check_at_start(settings.program_folder(build), build, note=note)
        program.start(path)
    folder, port = private.start(quiet=True, pool=pool)
    settings.write(folder, port, build=build)
    program.start(path)


def backup_target(args, work):
    """Runs work(target, database) on the clinic's server the options name, else on the
    account's private server, started first."""
    if clinic.wanted(args):
        with clinic.open_target(args) as target:
            return work(target, args.database)
    folder, _port = private.start(quiet=True)
    target = backup.Target(Server(folder).client(), folder.lock(), "the account's private server")
    return work(target, private.DB_NAME)


def cmd_backup(args):
    backup_target(args, lambda target, database: backup.backup(target, database, args.file))


def cmd_restore(args):
    backup_target(args, lambda target, database: backup.restore(target, database or private.DB_NAME, args.file,
                                                                 over=args.over))


def parser():
    top = argparse.ArgumentParser(prog="vertalumex-setup")
    verbs = top.add_subparsers(dest="verb", required=True)
    for name, func in (("run", cmd_run), ("test", cmd_test), ("bench", cmd_bench)):
        p = verbs.add_parser(name)
        p.add_argument("args", nargs=argparse.REMAINDER)
        p.set_defaults(func=func)

    server = verbs.add_parser("server", prog=private.SERVER)
    sub = server.add_subparsers(dest="action", required=True, metavar="VERB")
    sub.add_parser("start", help="starts it, and makes or upgrades the database vertalumex").set_defaults(func=cmd_start)
    p = sub.add_parser("stop", help="stops it")
    p.add_argument("--kill", action="store_true", help="kills a server that does not stop within 30 s")
    p.set_defaults(func=lambda a: private.stop(a.kill))
    sub.add_parser("status", help="where its data lives, whether it runs").set_defaults(func=lambda a: private.status())
    p = sub.add_parser("sql", help="the mariadb client as its administrator, ARGS passed on")
    p.add_argument("args", nargs=argparse.REMAINDER)
    p.set_defaults(func=cmd_sql)
    p = sub.add_parser("remove", help="stops it and deletes its folder, data included (every clone of the account"
                                      " uses it)")
    p.add_argument("--yes", action="store_true", help="without asking")
    p.set_defaults(func=lambda a: private.remove(a.yes))
    p = sub.add_parser("remove-folder", help="deletes a private server folder of an earlier set-up")
    p.add_argument("path")
    p.add_argument("--yes", action="store_true", help="without asking")
    p.set_defaults(func=lambda a: earlier.remove_folder(a.path, a.yes))

    p = sub.add_parser("install-database", help="makes or upgrades the program's database on the clinic's server")
    clinic.add_install_options(p)
    p.set_defaults(func=clinic.install_database)
    p = sub.add_parser("certificates", help="makes the TLS certificates of a clinic's server")
    p.add_argument("folder")
    p.add_argument("names", nargs="+")
    p.set_defaults(func=lambda a: clinic.certificates(a.folder, a.names))
    p = sub.add_parser("backup", help="writes a backup of the program's database")
    p.add_argument("file", nargs="?")
    clinic.add_server_options(p)
    p.set_defaults(func=cmd_backup)
    p = sub.add_parser("restore", help="brings a backup back")
    p.add_argument("file")
    p.add_argument("--over", action="store_true")
    clinic.add_server_options(p)
    p.set_defaults(func=cmd_restore)
    return top


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
        paths.check_path_chars(paths.ROOT)
        paths.check_ownership()
        result = args.func(args)
        return result if isinstance(result, int) else 0
    except SetupError as e:
        note(str(e))
        return 1
    except KeyboardInterrupt:
        note("Interrupted")
        return 130
