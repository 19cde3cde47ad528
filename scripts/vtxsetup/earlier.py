"""Server folders of earlier set-ups, which no start moves: a clone's var/db (a folder, or as
root a link to <servers>/NAME.XXXXXXXX) and a per-clone <servers>/ID/ folder of the account.
Every start and status names each with its size and leaves it alone; the README tells how to
carry its data over (a backup taken with the earlier version, restored with this one), and
`remove-folder DIR` deletes exactly such a folder, asking first, never while a server runs on it.
"""

import fcntl
import os
import re
import stat

from . import files, paths, server
from .serverfolder import ServerFolder
from .tell import SetupError, confirm, note, say

# A per-clone folder was named by its clone's installation id; root's oldest by the clone's
# folder name and mktemp's eight random characters.
NAMES = (re.compile(r"[0-9a-f]{32}"), re.compile(r"[A-Za-z0-9._-]{0,40}\.[A-Za-z0-9]{8}"))


def folders(root=None):
    """The earlier layouts' folders of this clone and of the account, as real paths."""
    found = set()
    db = os.path.join(root or paths.ROOT, "var", "db")
    if os.path.isdir(db):
        found.add(os.path.realpath(db))
    servers = paths.servers_dir()
    try:
        names = os.listdir(servers)
    except OSError:
        names = []
    found.update(os.path.join(servers, n) for n in names if any(p.fullmatch(n) for p in NAMES))
    return sorted(p for p in found if is_earlier(p))


def is_earlier(path):
    """Whether path is a server folder as earlier set-ups made it: by its name and place, a
    folder (no link) holding a data folder, the account's own (as root, root's or mysql's)."""
    name, parent = os.path.basename(path), os.path.dirname(path)
    named = path.endswith("/var/db") or (parent == paths.servers_dir() and any(p.fullmatch(name) for p in NAMES))
    try:
        st = os.lstat(path)
    except OSError:
        return False
    owners = (0, paths.server_account()[1]) if paths.is_root() else (os.geteuid(),)
    return (named and os.path.isdir(path) and not os.path.islink(path) and st.st_uid in owners
            and any(os.path.isdir(os.path.join(path, d)) for d in ("data", "srv")))


def servers_on(path):
    """The processes of a server running on the folder: Debian's mariadbd naming a path in it,
    or a lock on its data files (a server the process list does not show). srv/ was the server
    account's: a pipe it left at a data file's name is opened without waiting, and is no lock."""
    uids = {0, paths.server_account()[1], os.geteuid()}
    inside = os.fsencode(path.rstrip("/") + "/")
    pids = [pid for pid, args in server.mariadbd_processes(uids) if any(inside in a for a in args[1:])]
    for data in ("data", "srv/data"):
        for name in ("ibdata1", "aria_log_control"):
            try:
                fd = os.open(os.path.join(path, data, name),
                             os.O_RDONLY | os.O_NOFOLLOW | os.O_NONBLOCK | os.O_CLOEXEC)
            except OSError:
                continue
            try:
                if not stat.S_ISREG(os.fstat(fd).st_mode):
                    continue
                fcntl.lockf(fd, fcntl.LOCK_SH | fcntl.LOCK_NB)
            except OSError:
                pids = pids or ["unknown"]
            finally:
                os.close(fd)
    return pids


def ports():
    """The ports earlier layouts' servers had: a new server takes none of them."""
    return _each(lambda path: ServerFolder(path).port()
                 or int(files.read_file(os.path.join(path, "port"), missing_ok=True) or 0) or None)


def passwords():
    """The program account's passwords of the earlier layouts still on disk."""
    return _each(lambda path: ServerFolder(path).read_password())


def _each(read):
    """What read(folder) gives for each earlier layout's folder, where it can be read."""
    found = set()
    for path in folders():
        try:
            found.add(read(path))
        except (SetupError, ValueError):
            continue
    return found - {None}


def name_them():
    for path in folders():
        note(
            f"Note: {path} ({files.human_size(files.folder_size(path))}) is a private server of an earlier set-up, "
            "left as it is: the README's \"Earlier layouts\" tells how to carry its data over, and "
            f"`./scripts/server remove-folder {path}` deletes it"
        )


def remove_folder(given, yes=False):
    path = os.path.realpath(given)
    if not is_earlier(path):
        raise SetupError(
            f"{given} is no private server folder of an earlier set-up (a clone's var/db, or a folder of "
            f"{paths.servers_dir()} named by a clone's id): nothing removed"
        )
    pids = servers_on(path)
    if pids:
        raise SetupError(f"A server (process {' '.join(map(str, pids))}) runs on {path}: stop it first. Nothing removed")
    size = files.human_size(files.folder_size(path))
    if not confirm(f"Remove {path} ({size}), a private server of an earlier set-up, data included?", yes):
        raise SetupError("Nothing removed")
    files.remove_tree(path)
    say(f"Removed {path}")
