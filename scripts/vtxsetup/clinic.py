"""The database on the clinic's own server, which every workstation shares.

The server is Debian's mariadb-server service on the server machine, reached as its root over
its socket (--service), or any MariaDB server over TCP with an administrator whose password is
read from a 0600 file (--host). install_database makes or upgrades the database, and makes the
program's account for the addresses the administrator names, with TLS required and only the
rights the program uses. Run again it upgrades and changes no account unasked; it never drops
or empties a database. --drop retires a workstation's address (its sessions end with it), and
--new-password gives the account a new password on every address. A private server of a clone
is never taken for the clinic's.

The files the command keeps (the program account's password, its lock) live in a folder of the
account running it: /etc/vertalumex as root, else ~/.config/vertalumex.
"""

import contextlib
import fcntl
import os
import subprocess
import tempfile

from . import clinicaccount, databases, files, paths, tell, tls
from .backup import Target
from .client import Client
from .tell import SetupError

SERVICE_SOCKET = "/run/mysqld/mysqld.sock"
SERVICE_TLS_DIR = "/etc/mysql/vertalumex-tls"
SERVICE_TLS_CONF = "/etc/mysql/mariadb.conf.d/90-vertalumex-tls.cnf"
# The clinic's own settings of the service: after 50-server.cnf, whose values it overrides.
BIND_CONF = "/etc/mysql/mariadb.conf.d/60-vertalumex.cnf"


def add_server_options(parser):
    """The options that name the clinic's server (install-database, backup, restore)."""
    g = parser.add_argument_group("the clinic's server")
    g.add_argument("--service", action="store_true",
                   help="Debian's MariaDB service on this machine, as its root over its socket")
    g.add_argument("--host", help="a MariaDB server over TCP (its address)")
    g.add_argument("--port", type=int, default=3306, help="its port (3306)")
    g.add_argument("--admin-user", default="root", help="its administrator (root)")
    g.add_argument("--admin-password-file",
                   help="a file only you read holding the administrator's password")
    g.add_argument("--tls-ca", help="the authority the server's certificate is signed by")
    g.add_argument("--database", default="vertalumex", help="the program's database (vertalumex)")


def add_install_options(parser):
    add_server_options(parser)
    parser.add_argument("--allow", action="append", default=[], metavar="ADDRESS",
                        help="an address or pattern (192.168.1.%%) the workstations connect from;"
                             " repeat for more")
    parser.add_argument("--drop", action="append", default=[], metavar="ADDRESS",
                        help="an address the account no longer logs in from (a workstation retired"
                             " or lost): its open sessions end; repeat for more")
    parser.add_argument("--new-password", action="store_true",
                        help="a new password for the account on every address, shown once")
    parser.add_argument("--user", default="vtx", help="the program's account (vtx)")
    parser.add_argument("--server-address", action="append", default=[],
                        help="the address workstations reach the service by (its certificate"
                             " names it); repeat for more")
    parser.add_argument("--restart-service", action="store_true",
                        help="restart the service when TLS was set up for it")


def wanted(args):
    """Whether the command names the clinic's server rather than the account's private one."""
    return bool(getattr(args, "service", False) or getattr(args, "host", None))


def state_folder():
    """Where the set-up keeps the clinic's files of this account (VTX_CONFIG_DIR for tests)."""
    if os.environ.get("VTX_CONFIG_DIR"):
        return os.environ["VTX_CONFIG_DIR"]
    if paths.is_root():
        return "/etc/vertalumex"
    return os.path.join(paths.account_home("XDG_CONFIG_HOME", ".config"), "vertalumex")


def _state(name):
    files.make_own_folder(state_folder())
    return os.path.join(state_folder(), name)


def read_secret(path, what):
    """A password from a file of the running account that no other account may read."""
    fd = None
    try:
        fd = files.open_nofollow(path, os.O_RDONLY, os.geteuid())
        if os.fstat(fd).st_mode & 0o077:
            raise SetupError(f"{path} may be read by other accounts: chmod 600 {path}, then again")
        with os.fdopen(fd, "rb") as f:
            fd = None
            data = f.read().decode("utf-8")
    except FileNotFoundError:
        raise SetupError(f"The {what} file {path} is missing") from None
    except OSError as e:
        raise SetupError(f"Cannot read {path}: {e.strerror}") from None
    except UnicodeDecodeError:
        raise SetupError(f"{path} is no text file") from None
    finally:
        if fd is not None:
            os.close(fd)
    value = data.rstrip("\r\n")
    if not value or "\n" in value or "\r" in value or "\0" in value:
        raise SetupError(f"{path} must hold the {what} alone, on one line")
    return value


def _option_value(value):
    return '"' + value.replace("\\", "\\\\").replace('"', '\\"') + '"'


@contextlib.contextmanager
def open_target(args):
    """The clinic's server named by the options, as a backup.Target, with a lock of this
    machine's that keeps two set-ups of it apart."""
    if args.service and args.host:
        raise SetupError("Name either --service or --host, not both")
    if args.service:
        if not paths.is_root():
            raise SetupError("The service's administrator is root: run this as root")
        client = Client.debian_service()
        key = "service"
        with _lock(key):
            yield Target(client, contextlib.nullcontext(), "the MariaDB service")
        return
    if not args.host:
        raise SetupError("Name the clinic's server: --service (this machine's) or --host ADDRESS")
    if not args.admin_password_file:
        raise SetupError("Give the administrator's password in a file: --admin-password-file FILE"
                         " (chmod 600); never on the command line")
    password = read_secret(args.admin_password_file, "administrator's password")
    with tempfile.TemporaryDirectory(prefix="vertalumex-admin.") as tmp:
        cnf = os.path.join(tmp, "admin.cnf")
        lines = ["[client]", f"user={_option_value(args.admin_user)}",
                 f"password={_option_value(password)}"]
        files.write_file(cnf, ("\n".join(lines) + "\n").encode(), mode=0o600)
        ca = os.path.abspath(args.tls_ca) if args.tls_ca else None
        client = Client.remote(args.host, args.port, cnf, ca)
        key = f"{args.host}_{int(args.port)}".replace(":", "_")
        with _lock(key):
            yield Target(client, contextlib.nullcontext(), f"the server {args.host}:{args.port}")


@contextlib.contextmanager
def _lock(key):
    path = _state(f"{key}.lock")
    fd = files.open_nofollow(path, os.O_RDWR | os.O_CREAT, os.geteuid())
    try:
        try:
            fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except BlockingIOError:
            tell.note(f"Another set-up of this server is running here: waiting for it ({path})")
            fcntl.flock(fd, fcntl.LOCK_EX)
        yield
    finally:
        os.close(fd)


def check_not_private(client):
    """A clone's private server (its data in a server folder's srv/data, or an older var/db)
    is never made the clinic's."""
    datadir, socket = client.query("SELECT @@datadir, @@socket", step="a look at the server")[0]
    if (datadir.rstrip("/").endswith("/srv/data") and socket.endswith("/srv/mariadbd.sock")) or \
            socket.endswith("/var/db/mariadb.sock"):
        raise SetupError(
            f"That server is a clone's private server (its data in {datadir}): it stays private."
            " Set up the database on the clinic's server"
        )


def _loopback(host):
    return host.startswith("127.") or host in ("::1", "localhost")


def _loopback_only(bind):
    parts = [p.strip() for p in (bind or "").split(",") if p.strip()]
    return bool(parts) and all(_loopback(p) for p in parts)


def _server_warnings(client, bind):
    names, flush, binlog, sync = client.query(
        "SELECT @@skip_name_resolve, @@innodb_flush_log_at_trx_commit, @@log_bin,"
        " @@sync_binlog")[0]
    notes = []
    if names != "1":
        notes.append("skip-name-resolve is off: set it, the accounts name addresses only")
    if flush != "1":
        notes.append("innodb_flush_log_at_trx_commit is not 1: a power cut may lose saved work")
    if binlog == "1" and sync != "1":
        notes.append("The binary log is on without sync_binlog=1: set it for durable commits")
    return notes


def _service_tls(client, args):
    """The authority the workstations verify the service against and the service's
    certificate: the service's own when it has TLS, else made here (the service then restarts
    to take them)."""
    if client.value("SELECT @@have_ssl") == "YES":
        ca, cert = client.query("SELECT @@ssl_ca, @@ssl_cert")[0]
        if ca in ("", "NULL"):
            raise SetupError("The service has TLS but no ssl_ca: set ssl_ca to the authority that"
                             " signed its certificate, restart it, then run this again")
        tls.check_pair(ca, cert, args.server_address)
        return ca, cert
    if not args.server_address:
        raise SetupError("The service has no TLS yet. Name the address workstations reach it by,"
                         " for its certificate: --server-address 192.168.1.10")
    made = not os.path.exists(os.path.join(SERVICE_TLS_DIR, "ca-key.pem"))
    if not os.path.isdir(SERVICE_TLS_DIR):
        files.make_folder(SERVICE_TLS_DIR, 0o755, 0, 0)
    _name, uid, gid = paths.server_account()
    certs = tls.make_certificates(SERVICE_TLS_DIR, args.server_address, uid, gid)
    tls.check_pair(certs["ca"], certs["cert"], args.server_address)
    conf = (f"# Written by Vertalumex's install-database: TLS for the workstations' link.\n"
            f"[mariadbd]\nssl_ca={certs['ca']}\nssl_cert={certs['cert']}\nssl_key={certs['key']}\n")
    present = files.read_file(SERVICE_TLS_CONF, 0, missing_ok=True)
    if present is None:
        files.write_file(SERVICE_TLS_CONF, conf.encode(), mode=0o644)
    elif present.decode("utf-8", "replace") != conf:
        raise SetupError(f"{SERVICE_TLS_CONF} exists with other settings: check it, remove it,"
                         " then run this again")
    if made:
        tell.say(f"Made the clinic's authority and the service's certificate in {SERVICE_TLS_DIR}")
    if not args.restart_service:
        raise SetupError(
            f"TLS is set up for the service ({SERVICE_TLS_CONF}) but takes effect at its restart:"
            " systemctl restart mariadb (or run this again with --restart-service), then run this"
            " again. Nothing else was changed"
        )
    try:
        subprocess.run(["systemctl", "restart", "mariadb"], check=True, timeout=120)
    except (OSError, subprocess.SubprocessError) as e:
        raise SetupError(f"Cannot restart the service ({e}): restart it, then run this again") from None
    if client.value("SELECT @@have_ssl") != "YES":
        raise SetupError("The service restarted without TLS: see its log (journalctl -u mariadb)")
    return certs["ca"], certs["cert"]


def install_database(args, note=tell.say):
    """Makes or upgrades the database and the program's account on the clinic's server; drops
    the addresses --drop names and gives the account a new password with --new-password."""
    if not (args.allow or args.drop or args.new_password):
        raise SetupError("Name the addresses the workstations connect from: --allow 192.168.1.%"
                         " (or one --allow a workstation's address each)")
    hosts = [tls.check_account_host(h) for h in args.allow]
    drops = [tls.check_account_host(h) for h in args.drop]
    if set(hosts) & set(drops):
        raise SetupError(f"{', '.join(sorted(set(hosts) & set(drops)))} is named both to allow and"
                         " to drop: name it once")
    databases.check_name(args.database)
    with open_target(args) as target:
        client = target.client
        check_not_private(client)
        ca, address = _tls_and_address(client, args, target)
        current = clinicaccount.addresses(client, args.user)
        if not hosts and not current:
            raise SetupError(f"The account {args.user} has no address yet: name the workstations'"
                             " with --allow")
        remaining = clinicaccount.check_drops(current, drops, hosts)
        bind = client.value("SELECT @@bind_address")
        for line in _server_warnings(client, bind):
            note("Note: " + line)
        databases.apply_schema(client, args.database)
        password_file = _state(f"{target_key(args)}-{args.database}-{args.user}.password")
        password, shown = _account_password(args, password_file, bool(current), note)
        if hosts:
            for line in databases.ensure_program_account(
                    client, args.user, hosts, password, [args.database], require_ssl=True,
                    set_password=False):
                note("The account: " + line)
        if args.new_password:
            _give_new_password(client, args.user, remaining, password, password_file)
        for gone in drops:
            ended = clinicaccount.drop(client, args.user, gone, remaining)
            note(f"The account: dropped {args.user}@{gone} and ended its {ended} open session(s)")
        keys = databases.installation_keys(client, args.database)
        listed = clinicaccount.addresses(client, args.user)
        port = _port(client, args)
    note(f"The database {args.database} on {target.where} is made and up to date; the program's"
         f" account {args.user} logs in from {', '.join(listed)} over TLS only, with"
         f" {', '.join(databases.PROGRAM_RIGHTS)} on {args.database} alone")
    unnamed = [h for h in listed if h not in hosts]
    if hosts and unnamed:
        note(f"Not named here and kept: {', '.join(unnamed)}. --drop ADDRESS retires one")
    if shown:
        note(f"Its {'new ' if args.new_password else ''}password, shown this once: {password}")
        note(f"It is kept in {password_file}, which only {paths.account_name()} reads")
    if args.new_password:
        note("Each workstation takes it with its ./scripts/run --server ... --password-file FILE;"
             " the old one is refused from now on")
    if keys:
        note("Installation keys in the database: "
             + ", ".join(f"{k} ({n} user(s))" for k, n in keys)
             + ". Every workstation of the clinic uses the clinic's one")
    else:
        note("No installation in the database yet: the first workstation's PRIMEIRO ACESSO makes"
             " its administrator; every workstation then uses the same installation key")
    note(f"On each workstation, with the authority {ca} copied to it and the password in a file"
         " only its account reads:")
    note(f"  ./scripts/run --server {address} --port {port} --idlic KEY"
         f" --database {args.database} --user {args.user} --password-file FILE --tls-ca CA-FILE")
    _check_reachable(bind, listed)


def _tls_and_address(client, args, target):
    """The authority workstations verify the server against, and the address they reach it by."""
    if args.service:
        ca, cert = _service_tls(client, args)
        # Run again, the address may be left out: the service's certificate names it.
        return ca, (args.server_address or tls.certificate_names(cert) or ["ADDRESS"])[0]
    if client.value("SELECT @@have_ssl") != "YES":
        raise SetupError(
            f"{target.where} has no TLS: give it a certificate signed by an authority"
            " (ssl_ca, ssl_cert, ssl_key under [mariadbd]), restart it, then run this"
            " again with --tls-ca AUTHORITY"
        )
    if not args.tls_ca:
        raise SetupError("Give the authority that signed the server's certificate:"
                         " --tls-ca FILE (the link to it is then verified)")
    return os.path.abspath(args.tls_ca), args.host


def _account_password(args, password_file, exists, note):
    """(the password new addresses get, whether it is new and shown): a new one with
    --new-password or for a new account, else the one kept in password_file, else None."""
    if args.new_password:
        return databases.random_password(), True
    if os.path.exists(password_file):
        return read_secret(password_file, "program account's password"), False
    if exists:
        note(f"The account {args.user} exists already; its password is kept. New addresses"
             f" need it: put it in {password_file} (chmod 600) and run this again, or give the"
             " account a new one with --new-password")
        return None, False
    password = databases.random_password()
    files.write_file(password_file, (password + "\n").encode(), mode=0o600)
    return password, True


def _give_new_password(client, user, hosts, password, password_file):
    """The new password on every address, then kept in its file; one the file could not take
    is shown, since the old one no longer logs in."""
    clinicaccount.set_password(client, user, hosts, password)
    try:
        files.write_file(password_file, (password + "\n").encode(), mode=0o600)
    except SetupError as e:
        raise SetupError(f"The account {user} has a new password, {password}, which could not be"
                         f" kept ({e}): keep it yourself") from None


def target_key(args):
    return "service" if args.service else f"{args.host}_{int(args.port)}".replace(":", "_")


def _port(client, args):
    return client.value("SELECT @@port") if args.service else args.port


def _check_reachable(bind, listed):
    """A server listening on the loopback alone cannot be reached by the workstations the
    account admits: the run ends with a failure that says what to set."""
    outside = [h for h in listed if not _loopback(h)]
    if _loopback_only(bind) and outside:
        raise SetupError(
            f"The server listens on {bind} only, so the workstations at {', '.join(outside)} cannot"
            f" reach it. Set bind-address to its network address in {BIND_CONF} (a name that sorts"
            " after 50-server.cnf, whose bind-address = 127.0.0.1 it then overrides), restart it"
            " (systemctl restart mariadb), then run this again")


def certificates(folder, names, note=tell.say):
    """An authority and a server certificate naming the given addresses, for a server the
    set-up does not configure itself (./scripts/server certificates FOLDER ADDRESS...)."""
    if not names:
        raise SetupError("Name the addresses workstations reach the server by")
    if not os.path.isdir(folder):
        os.makedirs(folder, 0o700)
    made = tls.make_certificates(folder, names)
    note(f"In {folder}: the authority ca.pem (its key ca-key.pem: keep it off the server), and"
         " server-cert.pem with server-key.pem. In the server's [mariadbd] settings:"
         f" ssl_ca={made['ca']}, ssl_cert={made['cert']}, ssl_key={made['key']} (readable by"
         " the server's account); restart it, then run install-database with --tls-ca ca.pem")
