"""The clinic's server and two workstations on a network of their own: network namespaces
joined by a bridge, with link-local addresses of the test's own (nothing leaves this machine),
and a MariaDB server made by the test in one of them, with TLS from an authority the test
makes. install-database makes the database and the program's account there; each workstation
is set up as ./scripts/run --server does it, and the program's own connection code (the
vtx-settings-probe tool: the settings file read by the program's reader into the program's
connection string) writes a patient from one and reads it from the other. A fourth namespace
holds an address outside the pattern the account is made for."""

import gzip
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
SCRIPTS = os.path.join(ROOT, "scripts")
sys.path.insert(0, SCRIPTS)
os.environ["PATH"] = os.environ.get("PATH", "/usr/bin:/bin") + ":/usr/local/sbin:/usr/sbin:/sbin"

from vtxsetup import tls  # noqa: E402

sys.path.insert(0, HERE)
from scenario import sh  # noqa: E402
import edited  # noqa: E402

NET = "169.254.77"
SERVER = f"{NET}.1"
ALLOW = f"{NET}.1%"  # .1, .10-.19, .100-.199
WS_A, WS_B, OUTSIDE = f"{NET}.11", f"{NET}.12", f"{NET}.21"
PROBE = os.environ.get("VTX_PROBE", "")
BUILD = os.environ.get("VTX_BUILD_DIR", os.path.join(ROOT, "build"))


class ClinicTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tag = f"vtx{os.getpid() % 100000}"
        cls.ns = {k: f"{cls.tag}{k}" for k in "sabc"}
        cls.tmp = tempfile.mkdtemp(prefix="vtx-clinic.")
        os.chmod(cls.tmp, 0o711)
        cls.server_pid = None
        try:
            cls.make_network()
            cls.make_server()
        except BaseException:
            cls.tearDownClass()
            raise

    @classmethod
    def tearDownClass(cls):
        if cls.server_pid:
            subprocess.run(["kill", str(cls.server_pid)])
            try:
                cls.server.wait(60)
            except subprocess.TimeoutExpired:
                cls.server.kill()
        for name in cls.ns.values():
            subprocess.run(["ip", "netns", "del", name], capture_output=True)
        shutil.rmtree(cls.tmp, ignore_errors=True)

    @classmethod
    def make_network(cls):
        s = cls.ns["s"]
        for name in cls.ns.values():
            sh("ip", "netns", "add", name)
            sh("ip", "-n", name, "link", "set", "lo", "up")
        sh("ip", "-n", s, "link", "add", "br0", "type", "bridge")
        sh("ip", "-n", s, "addr", "add", f"{SERVER}/24", "dev", "br0")
        sh("ip", "-n", s, "link", "set", "br0", "up")
        for k, addresses in (("a", [WS_A]), ("b", [WS_B]), ("c", [OUTSIDE])):
            inner, outer = f"{cls.tag}{k}i", f"{cls.tag}{k}o"
            sh("ip", "link", "add", inner, "type", "veth", "peer", "name", outer)
            sh("ip", "link", "set", inner, "netns", cls.ns[k])
            sh("ip", "link", "set", outer, "netns", s)
            sh("ip", "-n", s, "link", "set", outer, "master", "br0", "up")
            for address in addresses:
                sh("ip", "-n", cls.ns[k], "addr", "add", f"{address}/24", "dev", inner)
            sh("ip", "-n", cls.ns[k], "link", "set", inner, "up")

    @classmethod
    def make_server(cls):
        mysql = pwd.getpwnam("mysql")
        cls.srv = os.path.join(cls.tmp, "srv")
        certs = os.path.join(cls.tmp, "tls")
        for folder in (cls.srv, certs):
            os.mkdir(folder, 0o755)
        os.chown(cls.srv, mysql.pw_uid, mysql.pw_gid)
        # Temporary tables of its own: another server of the account starting would empty /tmp's.
        os.mkdir(os.path.join(cls.srv, "tmp"), 0o700)
        os.chown(os.path.join(cls.srv, "tmp"), mysql.pw_uid, mysql.pw_gid)
        cls.certs = {k: str(v) for k, v in
                     tls.make_certificates(certs, [SERVER], mysql.pw_uid, mysql.pw_gid).items()}
        cls.cnf = os.path.join(cls.tmp, "server.cnf")
        with open(cls.cnf, "w") as f:
            f.write(f"[mariadbd]\ndatadir={cls.srv}/data\nsocket={cls.srv}/sock\n"
                    f"pid-file={cls.srv}/pid\nport=3306\nbind-address={SERVER}\n"
                    f"skip-name-resolve\ninnodb_buffer_pool_size=128M\nskip-log-bin\n"
                    f"log-error={cls.srv}/error.log\ntmpdir={cls.srv}/tmp\nuser=mysql\n"
                    f"ssl_ca={cls.certs['ca']}\nssl_cert={cls.certs['cert']}\n"
                    f"ssl_key={cls.certs['key']}\n[client]\nsocket={cls.srv}/sock\n")
        sh("mariadb-install-db", f"--defaults-file={cls.cnf}", "--user=mysql",
           "--auth-root-authentication-method=socket", "--skip-test-db", timeout=300)
        cls.server = subprocess.Popen(["ip", "netns", "exec", cls.ns["s"], "mariadbd",
                                       f"--defaults-file={cls.cnf}"],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        cls.server_pid = cls.server.pid
        deadline = time.monotonic() + 60
        while sh("mariadb-admin", f"--defaults-file={cls.cnf}", "ping", check=False).returncode:
            if cls.server.poll() is not None or time.monotonic() > deadline:
                raise AssertionError("the test's server did not start: see " + cls.srv)
            time.sleep(0.2)
        cls.admin_password = os.path.join(cls.tmp, "admin.password")
        with open(os.open(cls.admin_password, os.O_WRONLY | os.O_CREAT, 0o600), "w") as f:
            f.write("Adm'in;pw\n")
        cls.sql(f"CREATE USER 'admin'@'{NET}.%' IDENTIFIED BY 'Adm\\'in;pw';"
                f" GRANT ALL ON *.* TO 'admin'@'{NET}.%' WITH GRANT OPTION")

    @classmethod
    def sql(cls, statement):
        return sh("mariadb", f"--defaults-file={cls.cnf}", "-N", "-B", "-e", statement).stdout

    def install(self, *options):
        env = dict(os.environ, VTX_CONFIG_DIR=os.path.join(self.tmp, "server-config"))
        return sh("/usr/bin/python3", "-I", os.path.join(SCRIPTS, "launch"), "server",
                  "install-database", "--host", SERVER, "--admin-user", "admin",
                  "--admin-password-file", self.admin_password, "--tls-ca", self.certs["ca"],
                  *(options or ("--allow", ALLOW)), ns=self.ns["s"], env=env, check=False,
                  timeout=300)

    def workstation(self, k, *options, check=True):
        """./scripts/run --server ... as it sets a workstation up, into a program folder of the
        workstation's own (the build and the start are left out)."""
        folder = os.path.join(self.tmp, f"program-{k}")
        os.makedirs(folder, exist_ok=True)
        args = ["--server", SERVER, "--idlic", "1", "--tls-ca", self.certs["ca"],
                "--password-file", self.password_file, "--no-start", *options]
        done = self.setup_code(k, f"a = workstation.parser().parse_args({args!r})\n"
                               f"workstation.configure(a, workstation._password(a), {BUILD!r},"
                               f" {folder!r})\n", check)
        return folder, done

    def setup_code(self, k, code, check=True):
        """The set-up's own code run on workstation k, its refusal as the exit message."""
        code = (f"import sys; sys.path.insert(0, {SCRIPTS!r})\n"
                "from vtxsetup import workstation\n"
                "from vtxsetup.tell import SetupError\n"
                "try:\n" + "".join("    " + line + "\n" for line in code.splitlines())
                + "except SetupError as e:\n"
                "    sys.exit(str(e))\n")
        env = dict(os.environ, VTX_CONFIG_DIR=os.path.join(self.tmp, f"config-{k}"))
        return sh("/usr/bin/python3", "-I", "-B", "-c", code, ns=self.ns[k], env=env, check=check)

    def start_check(self, k, folder):
        """What a plain ./scripts/run on workstation k checks before it starts the program."""
        return self.setup_code(k, f"workstation.check_at_start({folder!r}, {BUILD!r})", False)

    def probe(self, k, folder, *statements, check=True):
        return sh(PROBE, folder, *statements, ns=self.ns[k], check=check)

    def accounts_and_rows(self):
        return self.sql(
            "SELECT User, Host, Priv FROM mysql.global_priv WHERE User = 'vtx';"
            " SELECT * FROM mysql.db WHERE User = 'vtx';"
            " CHECKSUM TABLE vertalumex.pacientes, vertalumex.usuarios, vertalumex.feriados;"
            " SELECT SCHEMA_COMMENT FROM information_schema.schemata"
            " WHERE SCHEMA_NAME = 'vertalumex'")

    def test_edited_backups_restored_over_tls(self):
        """restore --host as the administrator of another machine runs it: each edited backup
        is refused and leaves every database, account and row as it was."""
        live, other = "edited_live", "edited_other"
        self.sql(f"CREATE DATABASE {live}; CREATE DATABASE {other};"
                 f" CREATE TABLE {other}.t (a INT); INSERT INTO {other}.t VALUES (1);"
                 f" USE {live}; SOURCE {os.path.join(ROOT, 'db', 'schema.sql')};"
                 f" INSERT INTO {live}.pacientes (idlic, nmPac) SELECT '1', CONCAT('P', seq)"
                 " FROM seq_1_to_20; SET GLOBAL local_infile = 1")
        backups = os.path.join(self.tmp, "backups")
        os.mkdir(backups, 0o700)
        env = dict(os.environ, VTX_CONFIG_DIR=os.path.join(self.tmp, "restore-config"),
                   VTX_BACKUP_DIR=backups)

        def server(*args):
            return sh("/usr/bin/python3", "-I", os.path.join(SCRIPTS, "launch"), "server", *args,
                      "--host", SERVER, "--admin-user", "admin", "--admin-password-file",
                      self.admin_password, "--tls-ca", self.certs["ca"], "--database", live,
                      ns=self.ns["s"], env=env, check=False, timeout=300)

        def world():
            return self.sql(
                "SHOW DATABASES; SELECT * FROM mysql.global_priv ORDER BY User, Host;"
                " SELECT * FROM mysql.db ORDER BY User, Host, Db;"
                f" CHECKSUM TABLE {live}.pacientes, {live}.feriados, {other}.t")

        try:
            file = os.path.join(self.tmp, "live.sql.gz")
            done = server("backup", file)
            self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
            with gzip.open(file) as f:
                dump = f.read()
            secret = os.path.join(self.tmp, "secret")
            with open(os.open(secret, os.O_WRONLY | os.O_CREAT, 0o600), "w") as f:
                f.write("only root reads this\n")
            before = world()
            for what, statements in edited.reaching(other, live, secret).items():
                with self.subTest(what):
                    path = edited.write(dump, statements, os.path.join(self.tmp, "edited.sql.gz"))
                    done = server("restore", "--over", path)
                    self.assertNotEqual(done.returncode, 0, done.stdout)
                    self.assertRegex(done.stderr, r"^[^\n]*: nothing restored\n$")
                    self.assertEqual(world(), before)
                    self.assertEqual(os.listdir(backups), [])
            with self.subTest("the backup as it was is restored, its account gone"):
                done = server("restore", "--over", file)
                self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
                self.assertIn(f"Restored {file}", done.stdout)
                self.assertEqual(self.sql(f"SELECT COUNT(*) FROM {live}.pacientes"), "20\n")
                self.assertEqual(self.sql("SELECT User FROM mysql.user"
                                          " WHERE User LIKE 'vtx\\_restore\\_%'"), "")
        finally:
            self.sql(f"SET GLOBAL local_infile = DEFAULT; DROP USER IF EXISTS 'x'@'127.0.0.1';"
                     f" DROP DATABASE IF EXISTS {other};"
                     + "".join(f" DROP DATABASE IF EXISTS `{d}`;" for d in self.sql(
                         f"SHOW DATABASES LIKE '{live}%'").split()))

    def test_two_workstations_and_the_server(self):
        first = self.install()
        self.assertEqual(first.returncode, 0, first.stdout + first.stderr)
        self.assertIn("shown this once", first.stdout)
        config = os.path.join(self.tmp, "server-config")
        (name,) = [n for n in os.listdir(config) if n.endswith(".password")]
        self.password_file = os.path.join(config, name)
        self.assertEqual(os.stat(self.password_file).st_mode & 0o777, 0o600)

        folder_a, done = self.workstation("a")
        self.assertIn("installation key: 1", done.stdout)
        out = self.probe("a", folder_a,
                         "insert into pacientes (idlic, nmPac) values ('1', 'Zé D''Água')",
                         "insert into usuarios (idlic, nmusuario) values ('1', 'ADM')",
                         "show session status like 'Ssl_cipher'").stdout.splitlines()
        self.assertEqual(out[:2], ["1", "1"])
        self.assertRegex(out[2], r"^Ssl_cipher\t\S+")
        folder_b, _ = self.workstation("b")
        out = self.probe("b", folder_b, "select nmPac from pacientes where idlic = '1'").stdout
        self.assertEqual(out, "Zé D'Água\n")

        with self.subTest("an address outside the pattern is refused"):
            done = self.probe("c", folder_b, "select 1", check=False)
            self.assertNotEqual(done.returncode, 0)
            self.assertIn("denied", done.stderr)
        with self.subTest("a connection without TLS is refused"):
            plain = os.path.join(self.tmp, "program-plain")
            os.mkdir(plain)
            sh(os.path.join(BUILD, "src", "app", "vtx-writeini"), plain,
               f"{SERVER};Port=3306", self.password_file, "vertalumex", "vtx", "1")
            done = self.probe("a", plain, "select 1", check=False)
            self.assertNotEqual(done.returncode, 0)
            self.assertIn("denied", done.stderr)
        with self.subTest("another installation key is refused"):
            _, done = self.workstation("b", "--idlic", "2", check=False)
            self.assertNotEqual(done.returncode, 0)
            self.assertIn("PRIMEIRO ACESSO", done.stderr)
        with self.subTest("a database without this program's upgrades is named"):
            comment = self.sql("SELECT SCHEMA_COMMENT FROM information_schema.schemata"
                               " WHERE SCHEMA_NAME = 'vertalumex'").strip()
            self.sql("ALTER DATABASE vertalumex COMMENT 'vertalumex-upgrades:000-none'")
            _, done = self.workstation("b", check=False)
            self.sql(f"ALTER DATABASE vertalumex COMMENT '{comment}'")
            self.assertNotEqual(done.returncode, 0)
            self.assertIn("install-database", done.stderr)
        with self.subTest("running install-database again changes nothing"):
            before = self.accounts_and_rows()
            again = self.install()
            self.assertEqual(again.returncode, 0, again.stdout + again.stderr)
            self.assertNotIn("The account:", again.stdout)
            self.assertNotIn("shown this once", again.stdout)
            self.assertEqual(self.accounts_and_rows(), before)
        print(f"three namespaces: written from {WS_A} over {out and 'TLS'}, read from {WS_B};"
              f" {OUTSIDE} and a plain link refused", file=sys.stderr)

    # Named to run after the first set-up above, whose first install shows the password.
    def test_workstations_retired_and_checked_at_start(self):
        self.assertEqual(self.install().returncode, 0)
        self.password_file = os.path.join(self.tmp, "server-config",
                                          f"{SERVER}_3306-vertalumex-vtx.password")
        done = self.install("--allow", WS_A, "--allow", WS_B)
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        folder_a, _ = self.workstation("a")
        folder_b, _ = self.workstation("b")
        self.check_refused_authority_not_kept()
        self.check_every_address_reported()
        self.check_drops(folder_a, folder_b)
        self.check_new_password(folder_b)
        self.check_schema_at_start(folder_b)

    def check_refused_authority_not_kept(self):
        other = os.path.join(self.tmp, "other-ca")
        os.mkdir(other)
        ca = str(tls.make_certificates(other, [SERVER])["ca"])
        with open(ca, "rb") as f:
            kept = f"ca-{tls.fingerprint(f.read())}.pem"
        _, done = self.workstation("a", "--tls-ca", ca, check=False)
        self.assertNotEqual(done.returncode, 0)
        self.assertIn("cannot log in", done.stderr)
        self.assertNotIn(kept, os.listdir(os.path.join(self.tmp, "config-a")))

    def check_every_address_reported(self):
        done = self.install("--allow", WS_A)
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        self.assertIn(f"logs in from {ALLOW}, {WS_A}, {WS_B} over TLS", done.stdout)

    def check_drops(self, folder_a, folder_b):
        with self.subTest("a drop that a remaining pattern covers is refused"):
            before = self.accounts_and_rows()
            done = self.install("--drop", WS_A)
            self.assertNotEqual(done.returncode, 0)
            self.assertIn("Only a new password retires it", done.stderr)
            self.assertEqual(self.accounts_and_rows(), before)
        with self.subTest("a dropped address is refused, its open session ends"):
            self.assertEqual(self.install("--drop", ALLOW).returncode, 0)
            session = subprocess.Popen(["ip", "netns", "exec", self.ns["a"], PROBE, folder_a,
                                        "select sleep(600)"], stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
            self.addCleanup(lambda: session.poll() is None and session.kill())
            deadline = time.monotonic() + 60
            while not self.sql(f"SELECT ID FROM information_schema.processlist WHERE USER = 'vtx'"
                               f" AND HOST LIKE '{WS_A}:%'"):
                self.assertLess(time.monotonic(), deadline, "the session did not open")
            done = self.install("--drop", WS_A)
            self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
            self.assertIn(f"dropped vtx@{WS_A} and ended its 1 open session", done.stdout)
            self.assertNotEqual(session.wait(30), 0)
            self.assertIn("denied", self.probe("a", folder_a, "select 1", check=False).stderr)
            self.assertEqual(self.probe("b", folder_b, "select 1").stdout, "1\n")
        with self.subTest("the last address is not dropped"):
            done = self.install("--drop", WS_B)
            self.assertNotEqual(done.returncode, 0)
            self.assertIn("last address", done.stderr)

    def check_new_password(self, folder_b):
        with open(self.password_file) as f:
            old = f.read()
        done = self.install("--new-password")
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        with open(self.password_file) as f:
            new = f.read()
        self.assertIn(f"new password, shown this once: {new.strip()}", done.stdout)
        self.assertNotEqual(new, old)
        self.assertIn("denied", self.probe("b", folder_b, "select 1", check=False).stderr)
        started = self.start_check("b", folder_b)
        self.assertEqual(started.returncode, 0, started.stderr)
        self.assertIn("login was refused: a new password?", started.stdout)
        self.workstation("b")
        self.assertEqual(self.probe("b", folder_b, "select 1").stdout, "1\n")

    def check_schema_at_start(self, folder_b):
        comment = self.sql("SELECT SCHEMA_COMMENT FROM information_schema.schemata"
                           " WHERE SCHEMA_NAME = 'vertalumex'").strip()
        self.addCleanup(self.sql, f"ALTER DATABASE vertalumex COMMENT '{comment}'")
        self.assertEqual(self.start_check("b", folder_b).returncode, 0)
        self.sql("ALTER DATABASE vertalumex COMMENT 'vertalumex-upgrades:000-none'")
        done = self.start_check("b", folder_b)
        self.assertNotEqual(done.returncode, 0)
        self.assertIn("install-database", done.stderr)
        self.sql("ALTER DATABASE vertalumex COMMENT 'vertalumex-upgrades:999-later'")
        done = self.start_check("b", folder_b)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertIn("update this workstation", done.stdout)


if __name__ == "__main__":
    if os.geteuid() != 0 or not shutil.which("ip") or not shutil.which("mariadbd"):
        print("the clinic's network needs root, ip and a MariaDB server")
        sys.exit(77)
    # In a chroot whose root is no mount point a namespace is made but cannot be entered.
    usable = subprocess.run(["ip", "netns", "add", "vtxcheck"], capture_output=True).returncode == 0 \
        and subprocess.run(["ip", "-n", "vtxcheck", "link", "set", "lo", "up"], capture_output=True).returncode == 0
    subprocess.run(["ip", "netns", "del", "vtxcheck"], capture_output=True)
    if not usable:
        print("no network namespaces here")
        sys.exit(77)
    if not os.access(PROBE, os.X_OK):
        print("VTX_PROBE does not name the built vtx-settings-probe")
        sys.exit(77)
    unittest.main(verbosity=2)
