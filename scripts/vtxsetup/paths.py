"""Where things are: the clone, its build, the account's server folder, and the account running us."""

import os
import pwd

from .tell import SetupError

# The clone's top folder, as a real path: scripts/vtxsetup/ lies two levels below it.
ROOT = os.path.realpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))

# The servers' folder root uses. A folder named by VTX_SERVERS_DIR (the set-up's tests) may never
# lie inside it.
SYSTEM_SERVERS = "/var/lib/vertalumex"

# A socket's path holds at most 107 bytes (sun_path, its final NUL aside).
SOCKET_PATH_MAX = 107


def build_dir():
    return os.path.abspath(os.environ.get("VTX_BUILD_DIR") or os.path.join(ROOT, "build"))


def check_path_chars(path, what="The clone's folder", advice="move the clone to a folder without them"):
    """Refuses at once a path the build or the scripts cannot use: CMake splits paths at ';',
    takes a '\\' for a separator, refuses a '#' in the path of a file the build makes and
    cannot test the compiler under a '"'; a line break splits configuration lines. Blanks,
    apostrophes and accented letters work."""
    if ";" in path or "\n" in path or "\r" in path:
        raise SetupError(f"{what} {path} holds a ';' or a line break, which the build and the set-up cannot use: {advice}")
    if "#" in path or '"' in path or "\\" in path:
        raise SetupError(f"{what} {path} holds a '#', '\"' or '\\', which CMake and MariaDB's configuration cannot take: {advice}")


def check_socket_path(path):
    size = len(os.fsencode(path))
    if size > SOCKET_PATH_MAX:
        raise SetupError(
            f"The server's socket {path} would be {size} bytes long, over the {SOCKET_PATH_MAX} a socket's "
            "path may hold: set XDG_DATA_HOME to a folder with a shorter path"
            + ("" if is_root() else ", or use an account whose home has a shorter path")
        )


def is_root():
    return os.geteuid() == 0


def account_name(uid=None):
    uid = os.geteuid() if uid is None else uid
    try:
        return pwd.getpwuid(uid).pw_name
    except KeyError:
        return str(uid)


def admin_user():
    """The server's administrator, who logs in over the socket by unix-socket authentication:
    root as root, else the account running the set-up."""
    return "root" if is_root() else account_name()


def server_account():
    """(name, uid, gid) of the account the server runs as: Debian's mysql as root (the server
    never runs as root), else the account running the set-up."""
    if is_root():
        try:
            entry = pwd.getpwnam("mysql")
        except KeyError:
            raise SetupError("There is no 'mysql' account to run MariaDB as: install mariadb-server") from None
        return entry.pw_name, entry.pw_uid, entry.pw_gid
    return account_name(), os.geteuid(), os.getegid()


# File systems a home may lie on where a server's files are not safe (locks, sync, permissions).
_REMOTE_FS = ("nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "afs", "9p", "ceph", "glusterfs", "fuse.rclone")


def mount_of(path):
    """The mount that holds path, from /proc/self/mountinfo: (mount point, source, fstype)."""
    path = os.path.realpath(path)
    best = None
    try:
        with open("/proc/self/mountinfo", encoding="utf-8", errors="surrogateescape") as f:
            lines = f.read().splitlines()
    except OSError:
        return None
    for line in lines:
        left, _, right = line.partition(" - ")
        fields = left.split()
        rest = right.split()
        if len(fields) < 5 or len(rest) < 2:
            continue
        point = _unescape_mount(fields[4])
        inside = path == point or path.startswith(point.rstrip("/") + "/")
        # Of equal mount points the last one listed lies over the others.
        if inside and (best is None or len(point) >= len(best[0])):
            best = (point, _unescape_mount(rest[1]), rest[0])
    return best


def _unescape_mount(text):
    # The kernel writes a blank, a tab, a line break and a backslash as octal escapes.
    for code, char in (("\\040", " "), ("\\011", "\t"), ("\\012", "\n"), ("\\134", "\\")):
        text = text.replace(code, char)
    return text


def account_home(variable, default):
    """${variable:-~/default}: where the running account keeps its data or its settings."""
    return os.environ.get(variable) or os.path.join(os.path.expanduser("~"), default)


def servers_dir():
    """The account's folder of the set-up, which holds its private server's folder `server`:
    /var/lib/vertalumex as root, else ${XDG_DATA_HOME:-$HOME/.local/share}/vertalumex, so that
    the data is never inside a clone. VTX_SERVERS_DIR names another (the set-up's tests), never
    one inside /var/lib/vertalumex."""
    named = os.environ.get("VTX_SERVERS_DIR")
    if named:
        folder = os.path.realpath(named)
        if folder == SYSTEM_SERVERS or folder.startswith(SYSTEM_SERVERS + "/") or folder in ("/", "/var", "/var/lib"):
            raise SetupError(f"VTX_SERVERS_DIR={named} would reach the real {SYSTEM_SERVERS}: name another folder")
        check_path_chars(folder, "The servers' folder", "name another folder in VTX_SERVERS_DIR")
        return folder
    if is_root():
        return SYSTEM_SERVERS
    data_home = os.environ.get("XDG_DATA_HOME", "")
    if not os.path.isabs(data_home):
        home = os.environ.get("HOME") or pwd.getpwuid(os.geteuid()).pw_dir
        if not home or not os.path.isabs(home) or not os.path.isdir(home):
            raise SetupError(
                f"The home folder of {account_name()} ({home or 'none'}) is missing, and the private server's "
                "data lives there: give the account a home, or set XDG_DATA_HOME to a folder of its own"
            )
        data_home = os.path.join(home, ".local", "share")
    folder = os.path.join(os.path.realpath(data_home), "vertalumex")
    check_path_chars(folder, "The servers' folder", "set XDG_DATA_HOME to a folder without them")
    return folder


def check_local_disk(folder):
    """Refuses a server folder on a network file system: a home shared by two machines would
    have two servers on one data folder, and a database server there is neither fast nor safe."""
    found = mount_of(folder)
    if found and found[2] in _REMOTE_FS:
        raise SetupError(
            f"{folder} lies on a network file system ({found[2]} at {found[0]}), where the private server's "
            "data is not safe: set XDG_DATA_HOME to a folder on a local disk"
        )


def check_ownership():
    """Refuses a clone whose top folder, var/ or build folder another account owns, before
    anything is touched: the set-up of one account never works in another's clone."""
    me = os.geteuid()
    for path in (ROOT, os.path.join(ROOT, "var"), build_dir()):
        try:
            st = os.lstat(path)
        except FileNotFoundError:
            continue
        if st.st_uid != me:
            owner = account_name(st.st_uid)
            raise SetupError(
                f"{path} belongs to {owner}, not to {account_name()}: the set-up works only in a clone of "
                f"the account running it. Run them as {owner}"
            )
