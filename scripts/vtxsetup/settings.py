"""The program's settings file (Vertalumex.ini beside the program), read and written through the
program's own code: vtx-writeini, built with the program, reads a file as the program reads it
(blanks around '=', any case of keys and sections, the scrambling) and writes it in the
program's format. The set-up adds nothing to the file and keeps no reader of its own.

A file is told from its values alone:
- ours: it names this clone's private server (loopback, with its port or its password, and the
  program's database and user); rewritten when the port or password changed, keeping its key;
- a copy's: it names the private server of another clone of this account (a copy of a clone
  carries its build, settings file included): rewritten for this clone's server, and said so,
  or the copy's program would write into the other clone's database;
- any other server (set through "Util > Parametros"): kept as it is.
A file with no values is written anew; one that cannot be read as settings is kept, as it may
hold a clinic's real settings.
"""

import json
import os
import re
import subprocess
import sys

from . import paths
from .errors import SetupError

DATABASE = "vertalumex"
USER = "vtx"
PRIVATE = re.compile(r"^127\.0\.0\.1;Port=([0-9]{1,5})$")


def _note(text):
    print(text, file=sys.stderr)


def program_folder(build=None):
    return os.path.join(build or paths.build_dir(), "src", "app")


def tool(build=None):
    return os.path.join(program_folder(build), "vtx-writeini")


def read(folder, build=None):
    """The settings file of a folder as the program reads it: a dict with "file", "kind"
    (missing, empty, unreadable or settings) and the values unscrambled."""
    try:
        done = subprocess.run([tool(build), "--read", folder], stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, stdin=subprocess.DEVNULL, timeout=60)
    except (OSError, subprocess.TimeoutExpired) as e:
        raise SetupError(f"cannot read the settings file in {folder} with {tool(build)}: {e}") from None
    if done.returncode != 0:
        raise SetupError(f"cannot read the settings file in {folder}: "
                         + done.stderr.decode("utf-8", "replace").strip())
    return json.loads(done.stdout)


def private_port(values):
    """The port of the private server the values name (loopback, the program's database and
    user), or None."""
    found = PRIVATE.match(values.get("conexao", ""))
    if not found or values.get("banco") != DATABASE or values.get("userbco") != USER:
        return None
    return int(found[1])


def other_servers(this):
    """(folder, port, password, recorded path) of this account's other private servers."""
    found = []
    for other in this.siblings():
        try:
            port = other.port()
            password = other.read_password()
            record = other.read_record() or {}
        except SetupError:
            continue
        if port is not None:
            found.append((other, port, password, record.get("path", "?")))
    return found


def write(this, port, build=None, folder=None, idlic=None, note=_note):
    """Writes the settings file of the program folder for this clone's private server `this`
    (a ServerFolder) on `port`: when missing, when ours, when a copy's, or when it holds no
    values; any other file is kept."""
    folder = folder or program_folder(build)
    idlic = os.environ.get("VTX_IDLIC", "") if idlic is None else idlic
    values = read(folder, build)
    over = False
    if values["kind"] == "unreadable":
        note(f"The settings file {values['file']} cannot be read as the program's settings, and is"
             " kept as it is: it may hold a clinic's real settings. Delete it to have it written"
             " for the private server")
        return
    if values["kind"] == "empty":
        note(f"The settings file {values['file']} holds no values: it is written anew")
        over = True
    elif values["kind"] == "settings":
        named = private_port(values)
        password = this.read_password()
        ours = named is not None and (named == port or values.get("senha") == password)
        if named is not None and not ours:
            for other, other_port, other_password, clone in other_servers(this):
                if named == other_port or (other_password and values.get("senha") == other_password):
                    note(f"The settings file {values['file']} named the private server of the clone"
                         f" {clone} ({other.path}), as a copy of that clone's build does: it is"
                         " rewritten for this clone's server, so that this program never writes"
                         " into that clone's database")
                    over = True
                    break
    command = [tool(build), *(["--over"] if over else []), folder, f"127.0.0.1;Port={port}",
               this.password_file, DATABASE, USER, idlic]
    done = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=60)
    output = (done.stdout + done.stderr).decode("utf-8", "replace").strip()
    if done.returncode != 0:
        raise SetupError(f"cannot write the program's settings file in {folder}: {output}")
    if output:
        note(output)


def forget(build, port, folder=None, note=_note):
    """Once a server is removed, a settings file that named it would be kept by the next set-up
    as pointed elsewhere, with a port and a password that are gone: it goes too."""
    folder = folder or program_folder(build)
    if port is None or not os.path.isdir(folder):
        return
    if not os.path.exists(tool(build)):
        note(f"Note: {tool(build)} is not built, so the settings file in {folder} was not"
             f" checked: delete it if it names the removed server (port {port})")
        return
    values = read(folder, build)
    found = PRIVATE.match(values.get("conexao", "")) if values["kind"] == "settings" else None
    if found and int(found[1]) == int(port):
        try:
            os.unlink(values["file"])
        except OSError as e:
            raise SetupError(f"cannot remove {values['file']}: {e.strerror}") from None
        note(f"Removed the program's settings file {values['file']}, which named this server")
