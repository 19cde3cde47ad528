"""Which server is this clone's: found from the clone itself, never from a path or a link.

Each clone has an installation id, made at random at its first set-up and kept where `git clean`
never reaches and a new clone does not have it: in the clone's git folder (a worktree has its
own), or in the top folder of sources without git. The server's folder is named by that id and
records the clone it belongs to: its top folder's inode on a file system known by a stable
identity (a UUID, else the mount point, source and type; never st_dev, which changes across
reboots on NFS, overlayfs and btrfs subvolumes), the machine, and the path for messages.

A copy of the clone carries the id along, but not the inode: it is told apart, and every command
refuses until it adopts the server or separates from it.
"""

import json
import os
import re
import secrets

from . import files, paths
from .errors import SetupError

ID_FILE = "vertalumex-id"
NO_GIT_ID_FILE = ".vertalumex-id"

OURS = "ours"
COPY = "copy"
NONE = "none"

_ID = re.compile(r"[0-9a-f]{32}")


def git_dir(root):
    """The git folder of the clone at root, as `git rev-parse --git-dir` run there with GIT_DIR
    and GIT_WORK_TREE unset tells it (a worktree and a submodule have their own), read without
    git; None for sources without git (.git missing)."""
    dot_git = os.path.join(root, ".git")
    if os.path.isdir(dot_git) and not os.path.islink(dot_git):
        return dot_git
    if not os.path.isfile(dot_git):
        return None
    with open(dot_git, encoding="utf-8", errors="surrogateescape") as f:
        line = f.readline().strip()
    if not line.startswith("gitdir:"):
        raise SetupError(f"{dot_git} names no git folder (no 'gitdir:' line): mend the clone")
    target = line[len("gitdir:") :].strip()
    return os.path.normpath(os.path.join(root, target))


def id_path(root):
    folder = git_dir(root)
    return os.path.join(folder, ID_FILE) if folder else os.path.join(root, NO_GIT_ID_FILE)


def read_id(root, owner_uid=None):
    """The clone's installation id, or None before its first set-up."""
    path = id_path(root)
    data = files.read_file(path, owner_uid, missing_ok=True)
    if data is None:
        return None
    text = data.decode("ascii", "replace").strip()
    if not _ID.fullmatch(text):
        raise SetupError(
            f"{path} holds no installation id (32 hexadecimal digits): remove it to have this clone "
            "given a new one, with a server of its own"
        )
    return text


def ensure_id(root):
    """The clone's installation id, made at its first set-up. Made by an exclusive create of
    the name (a file written beside it and linked there), so that two first set-ups at once
    agree on one id."""
    found = read_id(root, os.geteuid())
    if found:
        return found
    path = id_path(root)
    tmp = _write_beside(path, secrets.token_hex(16))
    try:
        try:
            os.link(tmp, path)
        except FileExistsError:
            pass
        except OSError as e:
            raise SetupError(f"cannot make {path}: {e.strerror}") from None
    finally:
        os.unlink(tmp)
    files.fsync_folder(os.path.dirname(path))
    return read_id(root, os.geteuid())


def replace_id(root):
    """Gives the clone a new id, written beside the name and renamed over it: a copy made with
    `cp -al`, which shares the file by a hard link, keeps the old one."""
    path = id_path(root)
    new = secrets.token_hex(16)
    tmp = _write_beside(path, new)
    try:
        os.rename(tmp, path)
    except OSError as e:
        os.unlink(tmp)
        raise SetupError(f"cannot write {path}: {e.strerror}") from None
    files.fsync_folder(os.path.dirname(path))
    return new


def _write_beside(path, text):
    folder = os.path.dirname(path)
    if not os.access(folder, os.W_OK):
        raise SetupError(
            f"The folder {folder} cannot be written, and this clone's installation id is kept there: "
            "make it writable for this account"
        )
    tmp = os.path.join(folder, f".{os.path.basename(path)}.{secrets.token_hex(6)}")
    try:
        fd = os.open(tmp, os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_NOFOLLOW | os.O_CLOEXEC, 0o644)
        with os.fdopen(fd, "w") as f:
            f.write(text + "\n")
            f.flush()
            os.fsync(f.fileno())
    except OSError as e:
        raise SetupError(f"cannot write {tmp}: {e.strerror}") from None
    return tmp


def filesystem_identity(path):
    """A name for the file system holding path that stays the same across reboots: its UUID
    when /dev/disk/by-uuid knows its device, else its mount's point, source and type."""
    found = paths.mount_of(path)
    source = found[1] if found else _block_device(path)
    by_uuid = "/dev/disk/by-uuid"
    if source.startswith("/dev/") and os.path.isdir(by_uuid):
        device = os.path.realpath(source)
        for name in sorted(os.listdir(by_uuid)):
            if os.path.realpath(os.path.join(by_uuid, name)) == device:
                return f"uuid:{name}"
    if found is None:
        return f"device:{source}"
    point, source, fstype = found
    return f"mount:{point}:{source}:{fstype}"


def _block_device(path):
    """The block device (/dev/NAME) that holds path, for a path that no mount listed in
    /proc/self/mountinfo holds: in a chroot whose root is not a mount point, the kernel leaves
    out the mount of the chroot's own file system. A file system without a device of its own
    (overlayfs, btrfs subvolumes, tmpfs) has no name there that outlives a reboot: refused."""
    try:
        dev = os.stat(path).st_dev
    except OSError as e:
        raise SetupError(f"cannot tell which file system holds {path}: {e.strerror}") from None
    name = None
    if os.major(dev):
        try:
            with open(f"/sys/dev/block/{os.major(dev)}:{os.minor(dev)}/uevent", encoding="utf-8") as f:
                name = next((line[len("DEVNAME="):].strip() for line in f if line.startswith("DEVNAME=")), None)
        except OSError:
            name = None
    if not name:
        raise SetupError(
            f"cannot tell which file system holds {path}: no mount in /proc/self/mountinfo holds it"
            " (in a chroot, make its root a mount point: mount --bind ROOT ROOT before chroot ROOT)")
    return f"/dev/{name}"


def machine_id():
    for path in ("/etc/machine-id", "/var/lib/dbus/machine-id"):
        try:
            with open(path, encoding="ascii", errors="replace") as f:
                text = f.read().strip()
            if text:
                return text
        except OSError:
            pass
    return ""


def describe(root, clone_id):
    """The record of the clone at root as its server folder keeps it."""
    st = os.stat(root)
    return {
        "id": clone_id,
        "inode": st.st_ino,
        "filesystem": filesystem_identity(root),
        "machine": machine_id(),
        "path": root,
    }


def same_clone(a, b):
    return (
        a.get("id") == b.get("id")
        and a.get("inode") == b.get("inode")
        and a.get("filesystem") == b.get("filesystem")
        and a.get("machine") == b.get("machine")
    )


def decide(this_clone, record):
    """Whose the server folder named by this clone's id is. OURS: the folder records this
    clone (also after `git clean`, a move within its file system or a reboot; only the path
    may have changed). COPY: it records another clone with the same id (a copy, a move across
    file systems, a restore): nothing is done until `adopt` or `separate`. NONE: no server yet."""
    if record is None:
        return NONE
    return OURS if same_clone(this_clone, record) else COPY


def holds_clone(record):
    """Whether the path a record names still holds the clone it records: the same top
    folder, with the same installation id (a new clone made at that path has another)."""
    path = record.get("path")
    if not isinstance(path, str) or not os.path.isabs(path):
        return False
    try:
        if not os.path.isdir(path):
            return False
        here = describe(path, read_id(path))
    except (OSError, SetupError):
        return False
    return same_clone(here, record)


def shares_git_folder(root, record):
    """Whether this clone's git folder, where its id lives, is another checkout's too (a copy of
    a worktree, or the clone a record names on the same git folder): giving this one a new id
    would take the other's."""
    try:
        mine = git_dir(root)
    except (OSError, SetupError):
        return False
    if mine is None:
        return False
    # A worktree's git folder names the checkout it belongs to in its file "gitdir".
    try:
        with open(os.path.join(mine, "gitdir"), encoding="utf-8", errors="surrogateescape") as f:
            owner = os.path.dirname(f.readline().strip())
        if owner and os.path.realpath(owner) != root:
            return True
    except OSError:
        pass
    path = record.get("path")
    if not isinstance(path, str) or os.path.realpath(path) == root:
        return False
    try:
        theirs = git_dir(path)
    except (OSError, SetupError):
        return False
    return theirs is not None and os.path.realpath(mine) == os.path.realpath(theirs)


def parse_record(data, where):
    try:
        record = json.loads(data)
    except ValueError:
        raise SetupError(f"{where} is no record of a clone (not JSON): the set-up does not use that folder") from None
    if not isinstance(record, dict) or not _ID.fullmatch(str(record.get("id", ""))):
        raise SetupError(f"{where} is no record of a clone (no installation id): the set-up does not use that folder")
    return record


def orphans(servers, this_id, read_record):
    """The server folders in servers whose recorded clone no longer holds them (its path gone,
    or another clone there), as (folder, record) pairs; this clone's own folder aside.
    read_record(folder) gives a folder's record or None."""
    found = []
    try:
        names = sorted(os.listdir(servers))
    except OSError:
        return found
    for name in names:
        folder = os.path.join(servers, name)
        if name == this_id or not _ID.fullmatch(name) or os.path.islink(folder) or not os.path.isdir(folder):
            continue
        try:
            record = read_record(folder)
        except SetupError:
            continue
        if record is not None and not holds_clone(record):
            found.append((folder, record))
    return found
