"""A workstation of the clinic: the program pointed at the clinic's server.

./scripts/run --server HOST --port N --idlic KEY --database D --user U --tls-ca FILE
[--password-file FILE] installs the packages the program needs (no server), builds it, checks
the link to the server as the program's account (TLS verified against the clinic's authority),
writes the program's settings file through the program's own settings tool, and starts it. It
makes no private server. Later plain ./scripts/run keep the file, which names another server,
and check the database it names against this program's upgrades before it starts.
"""

import argparse
import contextlib
import getpass
import os
import subprocess
import sys
import tempfile

from . import clinic, databases, files, packages, paths, program, settings, tell, tls
from .client import Client
from .tell import SetupError


def parser():
    p = argparse.ArgumentParser(
        prog="./scripts/run",
        description="Sets this workstation up for the clinic's server, then starts the program."
        " Without options: the program on the account's private server.")
    p.add_argument("--server", required=True, help="the clinic's server: its address")
    p.add_argument("--port", type=int, default=3306, help="its port (3306)")
    p.add_argument("--idlic", required=True, help="the clinic's installation key")
    p.add_argument("--database", default="vertalumex", help="the database (vertalumex)")
    p.add_argument("--user", default="vtx", help="the program's account (vtx)")
    p.add_argument("--password-file", help="a file only you read holding the account's password"
                   " (else it is asked)")
    p.add_argument("--tls-ca", required=True,
                   help="the clinic's authority (install-database names it on the server)")
    p.add_argument("--new-installation", action="store_true",
                   help="take a key the database does not know yet, though it has others")
    p.add_argument("--no-start", action="store_true", help="set up only; do not start the program")
    return p


def main(argv):
    args = parser().parse_args(argv)
    if not args.no_start:
        program.check_display()
    password = _password(args)
    path = program.build(tuple(p for p in packages.PACKAGES if p != "mariadb-server"))
    configure(args, password, paths.build_dir())
    if args.no_start:
        return 0
    program.start(path)


def _password(args):
    if args.password_file:
        return clinic.read_secret(args.password_file, "program account's password")
    if not sys.stdin.isatty():
        raise SetupError("Give the program account's password in a file: --password-file FILE"
                         " (chmod 600), or run this in a terminal to be asked")
    value = getpass.getpass(f"Password of {args.user} on {args.server}: ")
    if not value:
        raise SetupError("No password given")
    return value


def keep_authority(ca):
    """A copy of the clinic's authority in the account's own settings folder, at a path the
    driver's connection string can carry; the same authority always gets the same name.
    Returns (its path, whether this call made it)."""
    data = files.read_file(os.path.abspath(ca))
    if b"BEGIN CERTIFICATE" not in data:
        raise SetupError(f"{ca} is no certificate authority file (PEM)")
    target = clinic._state(f"ca-{tls.fingerprint(data)}.pem")
    present = files.read_file(target, os.geteuid(), missing_ok=True)
    if present != data:
        files.write_file(target, data, mode=0o644)
    return target, present is None


def _connect(server, port, user, password, ca, tmp):
    """The client as the program's account, over TLS verified against ca (None: without)."""
    cnf = os.path.join(tmp, "ws.cnf")
    lines = ["[client]", f"user={clinic._option_value(user)}",
             f"password={clinic._option_value(password)}"]
    if ca:
        lines += [f"ssl-ca={clinic._option_value(ca)}", "ssl-verify-server-cert"]
    files.write_file(cnf, ("\n".join(lines) + "\n").encode(), mode=0o600)
    return Client.remote(server, port, cnf)


def configure(args, password, build, folder=None, note=tell.say):
    """Checks the clinic's server as the program will reach it and writes the settings file
    of the program folder (build/src/app, or folder) for it."""
    folder = folder or settings.program_folder(build)
    databases.check_name(args.database)
    if not args.idlic.strip() or len(args.idlic) > 15:
        raise SetupError("The installation key is the clinic's: give it with --idlic (at most 15"
                         " characters)")
    ca, made = keep_authority(args.tls_ca)
    text = tls.server_text(args.server, args.port, ca)
    try:
        before, known, missing = _check_and_write(args, password, build, folder, ca, text)
    except BaseException:
        # An authority the server was refused with is not kept: no settings file names it.
        if made:
            with contextlib.suppress(FileNotFoundError):
                os.unlink(ca)
        raise
    after = settings.read(folder, build)
    if after.get("conexao") != text or after.get("idlic") != args.idlic:
        raise SetupError(f"The settings file {after['file']} does not read back as written")
    if before.get("kind") == "settings" and before.get("conexao") != text:
        note(f"The settings file named {before.get('conexao')}; it now names the clinic's server")
    note(f"This workstation uses {args.database} on {args.server}:{args.port} as {args.user},"
         f" over TLS verified against {ca}; installation key: {args.idlic}"
         + ("" if known else " (the database has no installation yet: PRIMEIRO ACESSO makes it)"))
    note(f"Settings file: {after['file']}. Plain ./scripts/run keeps it and checks the database"
         " at each start; delete it to go back to the account's private server")
    _require_upgrades(missing, note)


def _check_and_write(args, password, build, folder, ca, text):
    """Logs in as the program will, checks the installation key and writes the settings file.
    Returns (the file as it was, the keys the database knows, the upgrades it lacks)."""
    with tempfile.TemporaryDirectory(prefix="vertalumex-ws.") as tmp:
        client = _connect(args.server, args.port, args.user, password, ca, tmp)
        try:
            client.run("SELECT 1", database=args.database, step="the login")
        except SetupError as e:
            raise SetupError(
                f"This workstation cannot log in to {args.database} on {args.server}:{args.port}"
                f" as {args.user} over TLS: {e}. On the server, install-database names the"
                " addresses allowed (--allow) and the authority to give here"
            ) from None
        missing = databases.upgrades_missing(client, args.database)
        keys = databases.installation_keys(client, args.database)
        known = [k for k, _n in keys]
        if known and args.idlic not in known and not args.new_installation:
            raise SetupError(
                f"The clinic's database knows the installation key(s) {', '.join(known)}, not"
                f" {args.idlic}: with it the program would see an empty installation and offer"
                " PRIMEIRO ACESSO, making a second installation in the shared database. Give the"
                " clinic's key, or add --new-installation if a second one is meant"
            )
        password_file = os.path.join(tmp, "password")
        files.write_file(password_file, password.encode(), mode=0o600)
        before = settings.read(folder, build)
        done = subprocess.run(
            [settings.tool(build), folder, text, password_file, args.database,
             args.user, args.idlic],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
        if done.returncode != 0:
            raise SetupError("Cannot write the program's settings file in " + folder + ": "
                             + (done.stdout + done.stderr).decode("utf-8", "replace").strip())
    return before, known, missing


def _require_upgrades(missing, note):
    """Refuses a database that lacks this program's upgrades, naming install-database."""
    if missing:
        raise SetupError(
            f"This program is newer than the clinic's database, which lacks {', '.join(missing)}:"
            " on the server, run ./scripts/server install-database with the options it was made"
            " with, then start the program again"
        )
    if missing is None:
        note("Note: whether the database has this program's upgrades cannot be told (it was not"
             " made by install-database): run install-database on the server to be sure")


def server_parts(text):
    """(host, port, authority or None) of a settings file's server text, as the driver reads
    it: "host[;Port=N][;SSLCA=FILE][;SSLVERIFY=1]"."""
    host, *rest = text.split(";")
    options = {k.strip().lower(): v.strip() for k, _eq, v in (p.partition("=") for p in rest)}
    port = options.get("port") or "3306"
    if not host.strip() or not port.isdigit():
        raise SetupError(f"the server text {text!r} names no server and port")
    return host.strip(), int(port), options.get("sslca") or None


def check_at_start(folder, build, note=tell.say):
    """A plain ./scripts/run whose settings file names another server: the database is
    checked with the file's own values, as the program will log in. A database that lacks
    this program's upgrades is refused; one newer than it, or a server that cannot be asked
    (down, or the login refused), is told in one line, and the program starts."""
    values = settings.read(folder, build)
    where = f"{values.get('banco')} on {values.get('conexao', '').split(';')[0]}"
    try:
        host, port, ca = server_parts(values.get("conexao", ""))
        with tempfile.TemporaryDirectory(prefix="vertalumex-ws.") as tmp:
            client = _connect(host, port, values.get("userbco", ""), values.get("senha", ""), ca, tmp)
            missing = databases.upgrades_missing(client, values.get("banco", ""))
            newer = databases.newer_step(client, values.get("banco", ""))
    except SetupError as e:
        note(f"Note: {where} could not be asked whether it has this program's upgrades"
             f" ({_likely_cause(str(e))}); the program starts all the same")
        return
    _require_upgrades(missing, note)
    if newer:
        note(f"Note: the clinic's database has upgrades this program does not know (up to"
             f" {newer}): update this workstation (git pull, then ./scripts/run)")


def _likely_cause(error):
    first = error.splitlines()[0] if error else ""
    if "Access denied" in first:
        return ("the login was refused: a new password? Set this workstation up again with"
                " ./scripts/run --server ... --password-file FILE")
    if "Can't connect" in first or "no answer" in first or "Unknown MySQL server host" in first:
        return "the server does not answer: is it down, or the network?"
    return first
