"""Debian's MariaDB service as the clinic's server (--service), played by a server of the test's
own in a private mount and network namespace: /etc is seen through an overlay whose changes stay
in the test's tmpfs, /run and /var/backups are tmpfs, and the server's socket is
/run/mysqld/mysqld.sock with root by unix socket. The machine's own service and files are never
reached. install-database writes the TLS files and asks for the restart; the server restarted
with the snippet it wrote lets the program's account in over TLS alone; running it again changes
nothing; backup --service and restore --service --over bring the rows back."""

import hashlib
import os
import pwd
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
SERVER = os.path.join(ROOT, "scripts", "server")
os.environ["PATH"] = os.environ.get("PATH", "/usr/bin:/bin") + ":/usr/local/sbin:/usr/sbin:/sbin"

SCRATCH = os.environ.get("VTX_SERVICE_NS", "")
SOCKET = "/run/mysqld/mysqld.sock"
TLS_DIR = "/etc/mysql/vertalumex-tls"
SNIPPET = "/etc/mysql/mariadb.conf.d/90-vertalumex-tls.cnf"
BACKUPS = "/var/backups/vertalumex"
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from scenario import NAMES, sh  # noqa: E402


def sql(statement):
    return sh("mariadb", "--no-defaults", f"--socket={SOCKET}", "--user=root", "-N", "-B",
              "-e", statement).stdout


def server(*args):
    """./scripts/server as the administrator runs it."""
    return sh(SERVER, *args, check=False)


def written():
    """What was written under /etc: each file of the overlay's upper layer, its mode, owner
    and contents' digest."""
    upper = os.path.join(SCRATCH, "etc")
    found = {}
    for folder, _dirs, names in os.walk(upper):
        for name in names:
            path = os.path.join(folder, name)
            st = os.lstat(path)
            with open(path, "rb") as f:
                digest = hashlib.sha256(f.read()).hexdigest()
            found["/etc/" + os.path.relpath(path, upper)] = (
                oct(st.st_mode & 0o777), pwd.getpwuid(st.st_uid).pw_name, digest)
    return found


class ServiceTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.db = os.path.join(SCRATCH, "db")
        os.mkdir(cls.db, 0o750)
        mysql = pwd.getpwnam("mysql")
        os.chown(cls.db, mysql.pw_uid, mysql.pw_gid)
        # Temporary tables in a folder of its own: a server of the same account starting
        # elsewhere deletes what it may in a shared /tmp.
        os.mkdir(os.path.join(cls.db, "tmp"), 0o700)
        os.chown(os.path.join(cls.db, "tmp"), mysql.pw_uid, mysql.pw_gid)
        cls.process = None
        sh("mariadb-install-db", f"--defaults-file={cls.config(False)}", "--user=mysql",
           "--auth-root-authentication-method=socket", "--skip-test-db")
        cls.start(False)

    @classmethod
    def tearDownClass(cls):
        cls.stop()

    @classmethod
    def config(cls, tls):
        path = os.path.join(SCRATCH, "server.cnf")
        with open(path, "w") as f:
            f.write(f"[mariadbd]\ndatadir={cls.db}/data\nsocket={SOCKET}\npid-file={cls.db}/pid\n"
                    f"log-error={cls.db}/error.log\ntmpdir={cls.db}/tmp\nuser=mysql\nport=3306\nbind-address=127.0.0.1\n"
                    "skip-name-resolve\nskip-log-bin\ninnodb_buffer_pool_size=32M\n"
                    "innodb_log_file_size=8M\n" + (f"!include {SNIPPET}\n" if tls else ""))
        return path

    @classmethod
    def start(cls, tls):
        cls.process = subprocess.Popen(["mariadbd", f"--defaults-file={cls.config(tls)}"],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 30
        while sh("mariadb-admin", "--no-defaults", f"--socket={SOCKET}", "--user=root", "ping",
                 check=False).returncode:
            if cls.process.poll() is not None or time.monotonic() > deadline:
                raise AssertionError("the test's server did not start: see " + cls.db)
            time.sleep(0.1)

    @classmethod
    def stop(cls):
        if cls.process and cls.process.poll() is None:
            sh("mariadb-admin", "--no-defaults", f"--socket={SOCKET}", "--user=root", "shutdown",
               check=False)
            try:
                cls.process.wait(30)
            except subprocess.TimeoutExpired:
                cls.process.kill()
                cls.process.wait()

    def vtx(self, *options):
        """The program's account over TCP, its session's cipher asked."""
        with open(self.password_file) as f:
            env = dict(os.environ, MYSQL_PWD=f.read().strip())
        return sh("mariadb", "--no-defaults", "--protocol=TCP", "--host=127.0.0.1", "--port=3306",
                  "--user=vtx", "--database=vertalumex", "-N", "-B", *options, "-e",
                  "SELECT COUNT(*) FROM pacientes; SHOW SESSION STATUS LIKE 'Ssl_cipher'",
                  env=env, check=False)

    def state(self, db="vertalumex"):
        tables = sql(f"SHOW TABLES FROM {db}").split()
        out = sql(" ".join(f"SELECT COUNT(*) FROM {db}.{t}; CHECKSUM TABLE {db}.{t};"
                           for t in tables)).split()
        return {t: (out[3 * i], out[3 * i + 2]) for i, t in enumerate(tables)}

    def accounts_and_rows(self):
        return (sql("SELECT User, Host, Priv FROM mysql.global_priv WHERE User = 'vtx';"
                    " SELECT * FROM mysql.db WHERE User = 'vtx';"
                    " SELECT SCHEMA_COMMENT FROM information_schema.schemata"
                    " WHERE SCHEMA_NAME = 'vertalumex'"), self.state(), written())

    def test_install_again_backup_restore(self):
        began = time.monotonic()
        install = ["install-database", "--service", "--allow", "127.0.0.1"]
        first = server(*install, "--server-address", "127.0.0.1")
        self.assertEqual(first.returncode, 1, first.stdout + first.stderr)
        self.assertIn("systemctl restart mariadb", first.stderr)
        files = written()
        self.assertEqual(sorted(files), sorted(
            [SNIPPET, "/etc/vertalumex/service.lock"]
            + [f"{TLS_DIR}/{n}" for n in ("ca.pem", "ca-key.pem", "server-cert.pem",
                                          "server-key.pem")]))
        self.assertEqual(files[f"{TLS_DIR}/ca-key.pem"][:2], ("0o600", "root"))
        self.assertEqual(files[f"{TLS_DIR}/server-key.pem"][:2], ("0o600", "mysql"))
        self.assertEqual(sql("SHOW DATABASES LIKE 'vertalumex'"), "", "changed before the restart")

        self.stop()
        self.start(True)
        second = server(*install, "--server-address", "127.0.0.1")
        self.assertEqual(second.returncode, 0, second.stdout + second.stderr)
        self.assertIn("shown this once", second.stdout)
        self.assertIn("--server 127.0.0.1 --port 3306", second.stdout)
        self.password_file = "/etc/vertalumex/service-vertalumex-vtx.password"
        self.assertEqual(written()[self.password_file][:2], ("0o600", "root"))
        with self.subTest("the program's account over TLS, verified against the authority"):
            done = self.vtx(f"--ssl-ca={TLS_DIR}/ca.pem", "--ssl-verify-server-cert")
            self.assertEqual(done.returncode, 0, done.stderr)
            self.assertRegex(done.stdout, r"^0\nSsl_cipher\t\S+\n$")
        with self.subTest("and refused without TLS"):
            done = self.vtx("--skip-ssl")
            self.assertNotEqual(done.returncode, 0)
            self.assertIn("denied", done.stderr)

        with self.subTest("running it again, the address left out, changes nothing"):
            before = self.accounts_and_rows()
            third = server(*install)
            self.assertEqual(third.returncode, 0, third.stdout + third.stderr)
            self.assertNotIn("The account:", third.stdout)
            self.assertNotIn("shown this once", third.stdout)
            self.assertIn("--server 127.0.0.1 --port 3306", third.stdout)
            self.assertEqual(self.accounts_and_rows(), before)

        values = ", ".join("('1', '" + n.replace("\\", "\\\\").replace("'", "\\'") + "')"
                           for n in NAMES)
        sql(f"INSERT INTO vertalumex.pacientes (idlic, nmPac) VALUES {values}")
        quiet = self.state()
        done = server("backup", "--service")
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        (file,) = [os.path.join(BACKUPS, n) for n in os.listdir(BACKUPS)]
        self.assertEqual(os.stat(file).st_mode & 0o777, 0o600)
        sql("INSERT INTO vertalumex.pacientes (idlic, nmPac) VALUES ('1', 'depois')")
        changed = self.state()
        refused = server("restore", "--service", file)
        self.assertNotEqual(refused.returncode, 0)
        self.assertIn("holds rows", refused.stderr)
        done = server("restore", "--service", "--over", file)
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        self.assertEqual(self.state(), quiet)
        (aside,) = sql("SHOW DATABASES LIKE 'vertalumex\\_before\\_%'").split()
        self.assertEqual(self.state(aside), changed)
        self.assertEqual(len(os.listdir(BACKUPS)), 2, "the replaced data was not backed up")
        done = self.vtx(f"--ssl-ca={TLS_DIR}/ca.pem", "--ssl-verify-server-cert")
        self.assertTrue(done.stdout.startswith(f"{len(NAMES)}\n"), done.stdout + done.stderr)
        print(f"the service's path: {time.monotonic() - began:.1f} s", file=sys.stderr)

    def test_loopback_only_service_refused_for_other_addresses(self):
        install = ["install-database", "--service", "--server-address", "127.0.0.1"]
        if sql("SELECT @@have_ssl").strip() != "YES":
            server(*install, "--allow", "127.0.0.1")
            self.stop()
            self.start(True)
        done = server(*install, "--allow", "127.0.0.1", "--allow", "192.0.2.7")
        self.assertEqual(done.returncode, 1, done.stdout + done.stderr)
        self.assertIn("listens on 127.0.0.1 only", done.stderr)
        self.assertIn("/etc/mysql/mariadb.conf.d/60-vertalumex.cnf", done.stderr)
        done = server(*install, "--drop", "192.0.2.7")
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        self.assertIn("logs in from 127.0.0.1 over TLS", done.stdout)


def namespace():
    """Runs this file again in a namespace of its own, over the test's tmpfs."""
    # A chroot whose root is no mount point cannot make its mounts private.
    probe = subprocess.run(["unshare", "-m", "-n", "--propagation", "private", "true"],
                           capture_output=True, text=True)
    if probe.returncode:
        print("no private mount namespace here:", probe.stderr.strip())
        return 77
    scratch = tempfile.mkdtemp(prefix="vtx-service.")
    try:
        done = subprocess.run(["unshare", "-m", "-n", "--propagation", "private",
                               "/usr/bin/python3", "-I", "-B", os.path.abspath(__file__)],
                              env=dict(os.environ, VTX_SERVICE_NS=scratch), timeout=600)
        return done.returncode
    finally:
        os.rmdir(scratch)


def mount_private():
    for command in (
        ["mount", "-t", "tmpfs", "-o", "mode=0711,size=1g", "tmpfs", SCRATCH],
        ["mkdir", f"{SCRATCH}/etc", f"{SCRATCH}/work"],
        ["mount", "-t", "overlay", "overlay", "-o",
         f"lowerdir=/etc,upperdir={SCRATCH}/etc,workdir={SCRATCH}/work", "/etc"],
        ["mount", "-t", "tmpfs", "-o", "mode=0755", "tmpfs", "/run"],
        ["mount", "-t", "tmpfs", "-o", "mode=0755", "tmpfs", "/var/backups"],
        ["install", "-d", "-o", "mysql", "-m", "0755", "/run/mysqld"],
        ["ip", "link", "set", "lo", "up"],
    ):
        done = subprocess.run(command, capture_output=True, text=True)
        if done.returncode:
            return f"{' '.join(command)}: {done.stderr.strip()}"
    return None


if __name__ == "__main__":
    if os.geteuid() != 0 or not shutil.which("unshare") or not shutil.which("mariadbd") \
            or not os.path.isdir("/var/backups"):
        print("the service's path needs root, unshare and a MariaDB server")
        sys.exit(77)
    if not SCRATCH:
        sys.exit(namespace())
    failed = mount_private()
    if failed:
        print("no private mounts here:", failed)
        sys.exit(77)
    unittest.main(verbosity=2)
