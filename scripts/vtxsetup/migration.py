"""Moves a private server that earlier set-ups made into today's layout, once, at the next start.

Earlier set-ups kept the server in the clone's var/db, in one of these forms:

  var/db a folder          data/, port, vtx.password, error.log ... in the clone itself: every
                           plain account's layout, and root's in the oldest versions (its data
                           then root's, the server having run as root)
  var/db a link            as root, to <servers>/NAME.XXXXXXXX, a folder of mysql's holding the
                           same files, the ones root wrote (port, vtx.password, clone: the path of
                           the clone it belongs to) root's
  var/db.link              a move of var/db into such a folder cut short: while var/db is still a
                           folder the link's target may hold part of a copy; once var/db is gone
                           (or set aside as var/db.old) the target holds it all

The data moves into <servers>/<id>/srv/data, the port and password come along, the finished
set-up mark is written before the data arrives (a move cut short is never taken for a first
set-up cut short, which would be made anew), and the old folder goes only once the data is in
place. Within one file system the data folder is renamed; across file systems it is copied,
synced and compared first. A move cut short is taken up again by the next start: the state file
in the new folder names the old one until the old one is gone.

The identity rules hold for old folders too: a linked folder whose record names another clone
that still links to it belongs to that clone, and this one is a copy.
"""

import contextlib
import errno
import fcntl
import json
import os
import re
import signal
import stat
import sys
import time

from . import files, identity, paths, server
from .client import Client
from .errors import SetupError
from .serverfolder import ServerFolder

# Written in the new server folder while a move is under way: the old folder it comes from.
STATE = "migrating.json"
# The names earlier set-ups gave root's server folders: the clone's folder name and mktemp's
# eight random characters.
OLD_NAME = re.compile(r"[A-Za-z0-9._-]{0,40}\.[A-Za-z0-9]{8}")
CHUNK = 1 << 20


def _note(text):
    print(text, file=sys.stderr)


def _var(root):
    return os.path.join(root, "var")


def pending(root=None):
    """Whether an earlier layout waits to be moved: a few lstat calls on the everyday start."""
    root = root or paths.ROOT
    var = _var(root)
    if os.path.lexists(os.path.join(var, "db")) or os.path.lexists(os.path.join(var, "db.link")):
        return True
    # As root, `git clean` or `rm -rf var` may have taken the link to an old folder that still
    # records this clone; a clone that has an id was set up by today's set-up already.
    return paths.is_root() and not os.path.lexists(identity.id_path(root)) and bool(_recorded_here(root))


def _recorded_here(root):
    """Root's old server folders whose record names this clone's path."""
    found = []
    servers = paths.servers_dir()
    try:
        names = os.listdir(servers)
    except OSError:
        return found
    for name in sorted(names):
        folder = os.path.join(servers, name)
        if OLD_NAME.fullmatch(name) and _old_record(folder) == root:
            found.append(folder)
    return found


def _old_record(folder):
    """The clone path an old server folder records (root's file, read without following a
    link), or None."""
    try:
        data = files.read_file(os.path.join(folder, "clone"), os.geteuid(), missing_ok=True)
    except SetupError:
        return None
    return None if data is None else data.decode("utf-8", "surrogateescape").strip() or None


class _Old:
    """An old layout as found: `source` is the folder holding data/ and the server's files;
    `links` the links in var/ that lead to it; `leftovers` what a cut move left beside it."""

    def __init__(self, source, links=(), leftovers=()):
        self.source = source
        self.data = os.path.join(source, "data")
        self.links = list(links)
        self.leftovers = list(leftovers)


def _find(root):
    """The old layout of the clone at root, its identity rules applied; None when nothing is
    left to move."""
    var = _var(root)
    db, link, aside = (os.path.join(var, n) for n in ("db", "db.link", "db.old"))
    me = os.geteuid()
    if os.path.isdir(db) and not os.path.islink(db):
        _check_owner(db, (me,) if not paths.is_root() else (0, paths.server_account()[1]))
        # A copy cut short lies at var/db.link's target; the data is whole in var/db.
        leftovers = [_old_target(link)] if os.path.islink(link) else []
        return _Old(db, [link] if leftovers else [], leftovers)
    through = db if os.path.islink(db) else link if os.path.islink(link) else None
    if through is None:
        if os.path.lexists(db) or os.path.lexists(link):
            raise SetupError(f"{db} is neither a folder nor a link, as earlier set-ups made it: move it away, then start again")
        found = _recorded_here(root) if paths.is_root() else []
        if found:
            raise SetupError(
                f"{', '.join(found)} is a server folder of an earlier set-up that records this clone, {root}, "
                f"but {db} no longer links to it (git clean, rm -rf var, or a new clone made where one was "
                f"moved away): nothing is taken. If its data is this clone's, link it again (ln -s FOLDER {db}) "
                "and start again; else ./scripts/server separate gives this clone a server of its own"
            )
        return None
    source = _old_target(through)
    if not os.path.isdir(source):
        raise _dangling(root, through, source)
    links = [p for p in (db, link) if os.path.islink(p)]
    leftovers = [aside] if os.path.isdir(aside) and not os.path.islink(aside) else []
    recorded = _old_record(source)
    if recorded and recorded != root and _links_to(recorded, source):
        raise SetupError(
            f"{through} links to {source}, the server folder of the clone at {recorded}, which still uses it: "
            f"this clone is a copy of it. Remove the link (rm {through}) to have a server of this clone's own "
            "made, with an empty database"
        )
    if recorded and recorded != root:
        _note(
            f"{source} recorded the clone at {recorded}, which no longer uses it: it is taken as this clone's, "
            "moved from there (a copy made before that clone moved would look the same)"
        )
    return _Old(source, links, leftovers)


def _old_target(link):
    """Where a link of an earlier set-up leads. As root it must be a folder directly in the
    servers' folder, as earlier set-ups made them: a link made by hand elsewhere is refused
    before anything is done there."""
    target = os.path.realpath(link)
    if paths.is_root():
        servers = paths.servers_dir()
        if os.path.dirname(target) != servers or not OLD_NAME.fullmatch(os.path.basename(target)):
            raise SetupError(
                f"{link} links to {target}, which is no server folder of earlier set-ups (a folder directly in "
                f"{servers}): nothing is done there. Remove the link {link} and start again"
            )
    return target


def _links_to(clone, folder):
    """Whether the clone at a path still reaches folder through its var/db (or a cut move's
    var/db.link)."""
    for name in ("db", "db.link"):
        path = os.path.join(clone, "var", name)
        if os.path.islink(path) and os.path.realpath(path) == folder:
            return True
    return False


def _dangling(root, link, target):
    return SetupError(
        f"{link} links to {target}, which is missing: this clone's database of an earlier set-up is not there. "
        f"Bring that folder back, or remove the link (rm {link}) to have a server of this clone's own made, "
        "with an empty database"
    )


def _check_owner(path, owners):
    st = os.lstat(path)
    if st.st_uid not in owners:
        raise SetupError(
            f"{path} belongs to {paths.account_name(st.st_uid)}, which earlier set-ups of this account never "
            "made: nothing is moved. Move it away, then start again"
        )


def migrate(root=None, folder=None, note=_note):
    """Moves the old layout of the clone at root into its server folder (made here, or the
    ServerFolder given, whose lock this takes). Returns the ServerFolder, or None when nothing
    was left to move."""
    root = root or paths.ROOT
    var = _var(root)
    clone_id = identity.read_id(root, os.geteuid())
    if folder is None and clone_id:
        folder = ServerFolder.for_id(clone_id)
    if folder is not None and folder.exists() and os.path.isdir(folder.data):
        state = _read_state(folder)
        if state is not None:
            # A move cut short once its data was in place: only the clean-up is left.
            with folder.lock():
                _clean_up(_resumed(var, state["source"]), folder, var)
            note(f"Finished moving the private server's data from {state['source']} to {folder.path}")
            return folder
        if not os.path.exists(os.path.join(var, "db")) and not os.path.isdir(os.path.join(var, "db.link")):
            # What a finished move left: a link to a folder that is gone.
            _remove_links(var)
            return None
    old = _find(root)
    if old is None:
        return None
    if folder is None:
        folder = ServerFolder.for_id(identity.ensure_id(root))
    folder.make()
    with folder.lock():
        state = _read_state(folder)
        if state is None and _in_use(folder):
            raise SetupError(
                f"This clone has a server folder of today's set-up, {folder.path}, and an earlier set-up's data "
                f"in {old.source} too: nothing is moved. Keep one: move {os.path.join(var, 'db')} away (its data "
                "stays there), or remove today's server (./scripts/server remove) and start again to move the "
                "earlier one in"
            )
        if state is not None and state.get("source") != old.source:
            raise SetupError(
                f"A move into {folder.path} from {state.get('source')} was cut short, and now {old.source} waits to "
                f"be moved: nothing is done. Bring {state.get('source')} back, or move {old.source} away"
            )
        port = _bring_in(root, old, folder, note)
        _clean_up(old, folder, var)
    note(f"Moved the private server's data from {old.source} to {folder.path}" + (f" (port {port} kept)" if port else ""))
    return folder


def _resumed(var, source):
    """The old layout as a move cut short after its data was in place left it."""
    links = [os.path.join(var, n) for n in ("db", "db.link") if os.path.islink(os.path.join(var, n))]
    leftovers = [os.path.realpath(p) for p in links if os.path.realpath(p) != source]
    if paths.is_root():
        servers = paths.servers_dir()
        leftovers = [p for p in leftovers if os.path.dirname(p) == servers and OLD_NAME.fullmatch(os.path.basename(p))]
    aside = os.path.join(var, "db.old")
    if os.path.isdir(aside) and not os.path.islink(aside):
        leftovers.append(aside)
    return _Old(source, links, leftovers)


def _in_use(folder):
    return any(os.path.lexists(p) for p in (folder.record_file, folder.mark, folder.data, folder.config))


def _read_state(folder):
    data = files.read_file(os.path.join(folder.path, STATE), os.geteuid(), missing_ok=True)
    if data is None:
        return None
    try:
        return json.loads(data)
    except ValueError:
        raise SetupError(f"{os.path.join(folder.path, STATE)} is damaged: remove it and start again") from None


def _bring_in(root, old, folder, note):
    """Stops the old server, writes the new folder's files (the mark before the data), then
    moves the data in. Returns the kept port."""
    port, password = _stop_old(old)
    _check_let_go(old.data)
    owner = paths.server_account()
    owners = (0, owner[1]) if paths.is_root() else (os.geteuid(),)
    _check_owner(old.data, owners)
    files.write_file(os.path.join(folder.path, STATE), json.dumps({"source": old.source}).encode() + b"\n")
    folder.write_record(identity.describe(root, os.path.basename(folder.path)))
    if password and not folder.read_password():
        folder.write_password(password)
    if port is None or not server.valid_port(port):
        port = server.free_port()
    server.Server(folder).write_config(port, server.buffer_pool_bytes(note=lambda _text: None))
    folder.write_mark()
    folder.make_server_folders()
    _move_data(root, old, folder, owner)
    return port


def _stop_old(old):
    """The old server's port and password; its server stopped first, refused while it has
    sessions. Root's files in mysql's old folder are read without following a link and only
    when root owns them."""
    me = os.geteuid()
    port = None
    pids = _old_pids(old.data)
    if pids:
        port = _ask_and_stop(old, pids)
    if port is None:
        text = files.read_file(os.path.join(old.source, "port"), me, missing_ok=True)
        text = (text or b"").decode("ascii", "replace").strip()
        port = int(text) if text.isdigit() else None
    password = files.read_file(os.path.join(old.source, "vtx.password"), me, missing_ok=True)
    password = (password or b"").decode("utf-8", "replace").strip() or None
    return port, password


def _old_pids(data):
    """The servers running on an old data folder, answering or not: Debian's mariadbd started
    with --datadir naming it, run by the server's account (or, as root, by root, as the oldest
    set-ups ran it). Any account may name a program mariadbd; none can take another's uid."""
    uids = {paths.server_account()[1]} | ({0} if paths.is_root() else set())
    data = os.path.realpath(data)
    return [pid for pid, args in server.mariadbd_processes(uids)
            if any(arg.startswith(b"--datadir=") and os.path.realpath(os.fsdecode(arg[10:])) == data
                   for arg in args)]


def _check_let_go(data):
    """No process holds the lock a server takes on its data files: a server runs on them that
    the process list did not show (another account's, or one whose program was replaced)."""
    for name in ("ibdata1", "aria_log_control"):
        try:
            fd = os.open(os.path.join(data, name), os.O_RDONLY | os.O_NOFOLLOW | os.O_NONBLOCK | os.O_CLOEXEC)
        except OSError:
            continue
        try:
            fcntl.lockf(fd, fcntl.LOCK_SH | fcntl.LOCK_NB)
        except OSError:
            raise SetupError(
                f"A process still holds {os.path.join(data, name)}: a server runs on that data. Its data is not moved: "
                "stop that server, then start again"
            ) from None
        finally:
            os.close(fd)


def _ask_and_stop(old, pids):
    """Asks the old server for its port and its sessions over its socket, and stops it:
    refused while any other session is open or when it does not answer."""
    listed = " ".join(map(str, pids))
    client = Client(
        ["mariadb", "--no-defaults", f"--socket={os.path.join(old.source, 'mariadb.sock')}", f"--user={paths.admin_user()}"],
        f"the private server of an earlier set-up (process {listed})",
    )
    try:
        rows = client.query(
            "SELECT @@port, (SELECT COUNT(*) FROM information_schema.processlist "
            "WHERE id <> CONNECTION_ID() AND command <> 'Daemon')"
        )
    except SetupError as e:
        raise SetupError(
            f"The private server of an earlier set-up (process {listed}) runs on {old.data} but does not answer ({e}): "
            f"its data is not moved. Stop it (kill {listed}), then start again"
        ) from None
    port, others = int(rows[0][0]), int(rows[0][1])
    if others:
        raise SetupError(
            f"The private server has {others} connection(s) open (the program, its tests or a client), and its data "
            f"is to move into today's layout: nothing is moved. Close them, then start again"
        )
    server.send(pids, signal.SIGCONT, signal.SIGTERM)
    deadline = time.monotonic() + server.LIVENESS
    while _old_pids(old.data):
        if time.monotonic() >= deadline:
            raise SetupError(
                f"The private server of an earlier set-up (process {listed}) did not stop within {server.LIVENESS} s: "
                f"its data is not moved. Stop it (kill {listed}), then start again"
            )
        time.sleep(0.1)
    return port


def _move_data(root, old, folder, owner):
    """The data folder into srv/data: renamed within one file system, else copied beside its
    final name, synced, compared and renamed; the original is left whole until the clean-up."""
    try:
        os.rename(old.data, folder.data)
    except OSError as e:
        if e.errno != errno.EXDEV:
            raise SetupError(f"cannot move {old.data} to {folder.data}: {e.strerror}; the data stays whole in {old.data}") from None
        _copy_across(root, old, folder, owner)
    _give(folder.data, owner)


def _copy_across(root, old, folder, owner):
    partial = folder.data + ".copy"
    log = os.path.join(_var(root), "migration.log")
    files.remove_tree(partial)
    try:
        _copy_tree(old.data, partial, owner)
        _compare_tree(old.data, partial)
        os.rename(partial, folder.data)
        files.fsync_folder(folder.srv)
    except (OSError, _Differs) as e:
        where = getattr(e, "filename", None)
        text = f"{type(e).__name__}: {e}" if where is None else f"{where}: {e.strerror or e}"
        try:
            files.write_file(log, f"Copy of {old.data} to {partial} failed\n{text}\n".encode(), mode=0o644)
        except SetupError:
            log = "no log: it could not be written"
        left = ""
        try:
            files.remove_tree(folder.path)
        except SetupError:
            left = f"; remove what is left of {folder.path}"
        reason = e.strerror if isinstance(e, OSError) and e.strerror else "the copy differs"
        raise SetupError(
            f"The private server's data could not be copied to {folder.srv} ({reason}; see {log}): it stays whole "
            f"in {old.source}{left}. Free some room there, then start again"
        ) from None


class _Differs(Exception):
    pass


def _copy_tree(source, target, owner):
    """Copies a data folder: folders, regular files (opened without following a link) and links
    as links; given to the server's account, each file synced."""
    _name, uid, gid = owner
    os.mkdir(target, 0o700)
    os.chown(target, uid, gid)
    for entry in os.scandir(source):
        src, dst = entry.path, os.path.join(target, entry.name)
        if entry.is_symlink():
            os.symlink(os.readlink(src), dst)
            os.lchown(dst, uid, gid)
        elif entry.is_dir(follow_symlinks=False):
            _copy_tree(src, dst, owner)
        elif entry.is_file(follow_symlinks=False):
            _copy_file(src, dst, uid, gid)
    files.fsync_folder(target)


def _copy_file(src, dst, uid, gid):
    fin = os.open(src, os.O_RDONLY | os.O_NOFOLLOW | os.O_CLOEXEC)
    try:
        st = os.fstat(fin)
        if not stat.S_ISREG(st.st_mode):
            raise _Differs(f"{src} changed into something other than a file while being copied")
        fout = os.open(dst, os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_NOFOLLOW | os.O_CLOEXEC, 0o600)
        try:
            os.fchown(fout, uid, gid)
            os.fchmod(fout, stat.S_IMODE(st.st_mode))
            while True:
                block = os.read(fin, CHUNK)
                if not block:
                    break
                view = memoryview(block)
                while view:
                    view = view[os.write(fout, view) :]
            os.fsync(fout)
            os.utime(fout, ns=(st.st_atime_ns, st.st_mtime_ns))
        finally:
            os.close(fout)
    finally:
        os.close(fin)


def _compare_tree(a, b):
    names_a = sorted(os.listdir(a))
    if names_a != sorted(os.listdir(b)):
        raise _Differs(f"{b} does not hold the same files as {a}")
    for name in names_a:
        pa, pb = os.path.join(a, name), os.path.join(b, name)
        sa, sb = os.lstat(pa), os.lstat(pb)
        if stat.S_IFMT(sa.st_mode) != stat.S_IFMT(sb.st_mode):
            raise _Differs(f"{pb} is not the same kind of file as {pa}")
        if stat.S_ISDIR(sa.st_mode):
            _compare_tree(pa, pb)
        elif stat.S_ISLNK(sa.st_mode):
            if os.readlink(pa) != os.readlink(pb):
                raise _Differs(f"{pb} links elsewhere than {pa}")
        elif stat.S_ISREG(sa.st_mode):
            with open(pa, "rb", buffering=0) as fa, open(pb, "rb", buffering=0) as fb:
                while True:
                    block = fa.read(CHUNK)
                    if block != fb.read(CHUNK):
                        raise _Differs(f"{pb} differs from {pa}")
                    if not block:
                        break


def _give(data, owner):
    """The data passes to the server's account (the oldest set-ups ran the server as root),
    never through a link."""
    _name, uid, gid = owner
    for top, dirs, names in os.walk(data):
        for name in [None, *dirs, *names]:
            path = top if name is None else os.path.join(top, name)
            st = os.lstat(path)
            if st.st_uid != uid or st.st_gid != gid:
                os.lchown(path, uid, gid)


def _clean_up(old, folder, var):
    """Once the data is in place: the old error log comes along, the old folder and what a cut
    move left go, then the state file, then the links."""
    log = os.path.join(old.source, "error.log")
    if os.path.isfile(log) and not os.path.islink(log) and not os.path.lexists(folder.error_log):
        try:
            os.rename(log, folder.error_log)
            _give(folder.error_log, paths.server_account())
        except OSError:
            pass
    for leftover in old.leftovers:
        # var/db.old is removed only when it holds an old data folder: anything else by that
        # name (a backup of one's own) is left and named.
        if leftover.endswith("db.old") and not os.path.isdir(os.path.join(leftover, "data")):
            _note(f"Note: {leftover} is left as it is: it is no copy of the private server's data that a move made")
            continue
        files.remove_tree(leftover)
    if os.path.lexists(old.source):
        files.remove_tree(old.source)
    state = os.path.join(folder.path, STATE)
    if os.path.lexists(state):
        os.unlink(state)
        files.fsync_folder(folder.path)
    _remove_links(var)
    # The earlier scripts locked an empty file in the clone; today's lock is the server folder's.
    lock = os.path.join(var, "setup.lock")
    with contextlib.suppress(FileNotFoundError):
        st = os.lstat(lock)
        if stat.S_ISREG(st.st_mode) and st.st_size == 0 and st.st_uid == os.geteuid():
            os.unlink(lock)


def _remove_links(var):
    for name in ("db", "db.link"):
        path = os.path.join(var, name)
        if os.path.islink(path):
            os.unlink(path)
