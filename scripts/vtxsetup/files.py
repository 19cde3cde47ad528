"""File operations that no other account can turn against the set-up.

As root the set-up works beside folders the server's account writes; as any account it may
meet links planted by someone else. So no open here follows a link, every file read is checked
to be a regular file of the expected owner, and every file written is written beside its final
name, synced and renamed over it, which replaces a link and never writes through one.
"""

import errno
import os
import pwd
import secrets
import shutil
import stat

from .tell import SetupError


def _owner_name(uid):
    try:
        return pwd.getpwuid(uid).pw_name
    except KeyError:
        return str(uid)


def open_nofollow(path, flags=os.O_RDONLY, owner_uid=None, mode=0o600):
    """Opens a regular file without following a link at its name, and returns the descriptor.
    With owner_uid, a file of another owner is refused. A FIFO or device never blocks the open:
    it is refused once opened non-blocking."""
    try:
        fd = os.open(path, flags | os.O_NOFOLLOW | os.O_NONBLOCK | os.O_CLOEXEC, mode)
    except OSError as e:
        if e.errno == errno.ELOOP:
            raise SetupError(f"{path} is a link, which the set-up does not follow: remove it") from None
        raise
    try:
        st = os.fstat(fd)
        if not stat.S_ISREG(st.st_mode):
            raise SetupError(f"{path} is not a regular file: remove it")
        if owner_uid is not None and st.st_uid != owner_uid:
            raise SetupError(
                f"{path} belongs to {_owner_name(st.st_uid)}, not to {_owner_name(owner_uid)}: "
                "the set-up does not trust it. Remove it"
            )
        os.set_blocking(fd, True)
        return fd
    except BaseException:
        os.close(fd)
        raise


def read_file(path, owner_uid=None, missing_ok=False):
    """The bytes of a regular file (opened as open_nofollow does); None when missing_ok and
    there is no file."""
    try:
        fd = open_nofollow(path, os.O_RDONLY, owner_uid)
    except FileNotFoundError:
        if missing_ok:
            return None
        raise SetupError(f"{path} is missing") from None
    except OSError as e:
        raise SetupError(f"cannot read {path}: {e.strerror}") from None
    with os.fdopen(fd, "rb") as f:
        return f.read()


def fsync_folder(path):
    fd = os.open(path, os.O_RDONLY | os.O_DIRECTORY | os.O_CLOEXEC)
    try:
        os.fsync(fd)
    finally:
        os.close(fd)


def write_file(path, data: bytes, mode=0o600, owner=None):
    """Replaces path whole with data: written to a new file beside it (O_EXCL, no link
    followed), given its mode and owner ((uid, gid) or None), synced, renamed over the name and
    the folder synced. A failure leaves the old file as it was and no temporary file behind."""
    folder, name = os.path.split(path)
    tmp = os.path.join(folder, f".{name}.{secrets.token_hex(6)}")
    try:
        fd = os.open(tmp, os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_NOFOLLOW | os.O_CLOEXEC, 0o600)
    except OSError as e:
        raise SetupError(f"cannot write {path}: {e.strerror}") from None
    try:
        try:
            if owner is not None:
                os.fchown(fd, owner[0], owner[1])
            os.fchmod(fd, mode)
            view = memoryview(data)
            while view:
                view = view[os.write(fd, view) :]
            os.fsync(fd)
        finally:
            os.close(fd)
        os.rename(tmp, path)
    except OSError as e:
        try:
            os.unlink(tmp)
        except OSError:
            pass
        raise SetupError(f"cannot write {path}: {e.strerror}") from None
    try:
        fsync_folder(folder or ".")
    except OSError as e:
        raise SetupError(f"cannot write {path} to disk: {e.strerror}") from None


def make_folder(path, mode, uid=None, gid=None):
    """Makes a folder (its parent must exist) or checks the one there: a folder, not a link,
    with the owner asked (uid, gid; the running account when None) and the mode asked. A folder
    the running account made (a set-up cut short before it gave it away) is given to its owner;
    one of any other owner is refused."""
    me = os.geteuid()
    uid = me if uid is None else uid
    try:
        os.mkdir(path, 0o700)
    except FileExistsError:
        pass
    except OSError as e:
        raise SetupError(f"cannot make the folder {path}: {e.strerror}") from None
    try:
        fd = os.open(path, os.O_RDONLY | os.O_DIRECTORY | os.O_NOFOLLOW | os.O_CLOEXEC)
    except OSError as e:
        if e.errno in (errno.ELOOP, errno.ENOTDIR):
            raise SetupError(f"{path} is not a folder but a link or a file: remove it") from None
        raise SetupError(f"cannot open the folder {path}: {e.strerror}") from None
    try:
        st = os.fstat(fd)
        if st.st_uid != uid:
            if st.st_uid != me:
                raise SetupError(
                    f"{path} belongs to {_owner_name(st.st_uid)}, not to {_owner_name(uid)}: "
                    "the set-up does not use it. Remove it, or run the set-up as its owner"
                )
            os.fchown(fd, uid, -1 if gid is None else gid)
        elif gid is not None and st.st_gid != gid:
            os.fchown(fd, -1, gid)
        if stat.S_IMODE(st.st_mode) != mode:
            os.fchmod(fd, mode)
    except OSError as e:
        raise SetupError(f"cannot set the owner and mode of {path}: {e.strerror}") from None
    finally:
        os.close(fd)


def make_own_folder(path):
    """A folder of the running account alone (0700), its parents made as needed."""
    os.makedirs(os.path.dirname(path), 0o700, exist_ok=True)
    make_folder(path, 0o700)


def remove_file(path):
    """Removes a file; succeeds when none is there."""
    try:
        os.unlink(path)
    except FileNotFoundError:
        pass
    except OSError as e:
        raise SetupError(f"cannot remove {path}: {e.strerror}") from None


def remove_tree(path):
    """Removes a folder and everything in it, never following a link inside; a link at path
    itself is refused. Succeeds when nothing is there."""
    try:
        st = os.lstat(path)
    except FileNotFoundError:
        return
    if stat.S_ISLNK(st.st_mode):
        raise SetupError(f"{path} is a link, not a folder: nothing removed")
    if not stat.S_ISDIR(st.st_mode):
        raise SetupError(f"{path} is not a folder: nothing removed")
    errors = []

    def failed(_func, failed_path, exc_info):
        errors.append(f"{failed_path}: {exc_info[1]}")

    shutil.rmtree(path, onerror=failed)
    if errors or os.path.lexists(path):
        first = errors[0] if errors else path
        raise SetupError(f"cannot remove all of {path} ({first}): remove what is left of it")


def folder_size(path):
    """The disk space a folder's files take, in bytes; links are not followed."""
    total = 0
    for top, dirs, names in os.walk(path):
        for name in dirs + names:
            try:
                total += os.lstat(os.path.join(top, name)).st_blocks * 512
            except OSError:
                pass
    return total


def human_size(size):
    for unit in ("bytes", "KB", "MB", "GB"):
        if size < 1024 or unit == "GB":
            return f"{size:.0f} {unit}" if unit == "bytes" else f"{size:.1f} {unit}"
        size /= 1024
