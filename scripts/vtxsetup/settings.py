"""The program's settings file (Vertalumex.ini beside the program): read and written through the
program's own code, vtx-writeini, built with the program, which reads a file as the program reads
it (blanks around '=', any case of keys and sections, the scrambling) and writes it in the
program's format. Whether a file is written is decided here alone:

- a file that is missing, or holds no values, is written for the account's private server;
- a file is the private server's when it names the program's database and user on 127.0.0.1
  and the account's server by its port (never 3306 or 33060 alone: the system's MariaDB, maybe
  a clinic's server on this machine) or by its password, or a server of an earlier layout still
  on disk by its password; it is then written for the account's server (a new port or password
  reaches it), keeping its installation key, and said so when that changes it;
- any other file is kept as it is (a server set through "Util > Parametros", a workstation's),
  and the program goes there; a file that cannot be read as settings is kept too, since it may
  hold a clinic's real settings;
- a file of that private form naming a port where nothing answers (a server removed since, by
  `remove` in any clone of the account) is the one left: `run` says to delete it.
"""

import json
import os
import re
import socket
import subprocess

from . import earlier, paths
from .server import SYSTEM_PORTS
from .tell import SetupError, note

DATABASE = "vertalumex"
USER = "vtx"
PRIVATE = re.compile(r"^127\.0\.0\.1;Port=([0-9]{1,5})$")


class Named:
    """The account's private server as a settings file may name it: its port and password, and
    the passwords of earlier layouts' servers still on disk."""

    def __init__(self, port, password, earlier=()):
        self.port, self.password, self.earlier = port, password, set(earlier)


def program_folder(build=None):
    return os.path.join(build or paths.build_dir(), "src", "app")


def tool(build=None):
    return os.path.join(program_folder(build), "vtx-writeini")


def read(folder, build=None):
    """The settings file of a folder as the program reads it: a dict with "file", "kind"
    (missing, empty, unreadable or settings) and the values unscrambled."""
    done = run_tool(build, "--read", folder)
    return json.loads(done.stdout)


def run_tool(build, *args):
    try:
        done = subprocess.run([tool(build), *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              stdin=subprocess.DEVNULL, timeout=60)
    except (OSError, subprocess.TimeoutExpired) as e:
        raise SetupError(f"cannot run {tool(build)}: {e}") from None
    if done.returncode != 0:
        raise SetupError(f"{tool(build)} failed on the program's settings file: "
                         + (done.stdout + done.stderr).decode("utf-8", "replace").strip())
    return done


def private_port(values):
    """The port of the loopback server the values name with the program's database and user,
    or None."""
    found = PRIVATE.match(values.get("conexao", ""))
    if not found or values.get("banco") != DATABASE or values.get("userbco") != USER:
        return None
    return int(found[1])


def ours(values, named):
    port = private_port(values)
    if values.get("kind") != "settings" or port is None:
        return False
    password = values.get("senha")
    return (port == named.port and port not in SYSTEM_PORTS) or bool(
        password and (password == named.password or password in named.earlier))


def kept(values, named):
    """Whether a file is kept as it is; refused (a SetupError saying what to do) when it names
    a private server where nothing answers any more."""
    if values["kind"] in ("missing", "empty") or ours(values, named):
        return False
    port = private_port(values) if values["kind"] == "settings" else None
    if port is not None and port not in SYSTEM_PORTS and not answers(port):
        raise SetupError(
            f"The settings file {values['file']} names a private server at 127.0.0.1 port {port}, where nothing "
            "answers and which is not this account's server: one removed since (`./scripts/server remove`, in any "
            f"clone). Delete {values['file']} and run again: it is then written for the account's server"
        )
    return True


def answers(port):
    """Whether anything takes a connection on the loopback port."""
    try:
        socket.create_connection(("127.0.0.1", port), timeout=5).close()
        return True
    except OSError:
        return False


def write(folder, port, build=None, program=None, idlic=None):
    """Writes the settings file of the program folder for the account's private server
    `folder` (a ServerFolder) on `port`, unless the file is kept."""
    program = program or program_folder(build)
    idlic = os.environ.get("VTX_IDLIC", "") if idlic is None else idlic
    values = read(program, build)
    named = Named(port, folder.read_password(), earlier.passwords())
    if values["kind"] == "unreadable":
        note(f"The settings file {values['file']} cannot be read as the program's settings, and is kept as it is:"
             " it may hold a clinic's real settings. Delete it to have it written for the private server")
        return
    if kept(values, named):
        note(f"The settings file {values['file']} points at another server ({values.get('conexao')}): kept as it is")
        return
    target = f"127.0.0.1;Port={port}"
    if values["kind"] == "empty":
        note(f"The settings file {values['file']} holds no values: it is written anew")
    elif values["kind"] == "settings" and (values.get("conexao"), values.get("senha")) != (target, named.password):
        note(f"The settings file {values['file']} named the private server as it was ({values.get('conexao')}):"
             f" it is written for it as it is now ({target})")
    output = run_tool(build, program, target, folder.password_file, DATABASE, USER, idlic)
    text = (output.stdout + output.stderr).decode("utf-8", "replace").strip()
    if text:
        note(text)


def forget(named, build=None, program=None):
    """Once the server is removed, this clone's settings file that named it (by its port or
    its password) goes too: its port and password are gone."""
    program = program or program_folder(build)
    if not os.path.isdir(program):
        return
    if not os.path.exists(tool(build)):
        note(f"Note: {tool(build)} is not built, so the settings file in {program} was not checked: delete it if"
             f" it names the removed server (port {named.port})")
        return
    values = read(program, build)
    if ours(values, named):
        try:
            os.unlink(values["file"])
        except OSError as e:
            raise SetupError(f"cannot remove {values['file']}: {e.strerror}") from None
        note(f"Removed the program's settings file {values['file']}, which named this server")
