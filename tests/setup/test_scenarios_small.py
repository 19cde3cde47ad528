"""A plain account's private server, the memory and path rules told at once, the upgrade of a
database of an older schema, and a build in a folder named with blanks, an apostrophe and accents."""

import os
import pwd
import shutil
import stat
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scenario  # noqa: E402

CLINIC_FOLDER = "Dr. O'Neil - São João"


class Small(scenario.ScenarioCase):
    def test_plain_account(self):
        s = self.s
        user = s.account()
        entry = pwd.getpwnam(user)
        clone = s.clone(CLINIC_FOLDER, owner=user)
        started = s.server(clone, "start", user=user, VTX_DB_MEMORY="0M")
        self.assertOk(started)
        self.assertIn("VTX_DB_MEMORY=0M", started.text)
        self.assertIn("128M", started.text)
        # Its data lives in the account's own folder of servers, out of the clone.
        [folder] = s.folders(os.path.join(entry.pw_dir, ".local", "share", "vertalumex"))
        for path, mode in ((folder, 0o700), (os.path.join(folder, "vtx.password"), 0o600)):
            st = os.stat(path)
            self.assertEqual((st.st_uid, stat.S_IMODE(st.st_mode)), (entry.pw_uid, mode), path)
        [pid] = s.pids()
        self.assertEqual(os.stat(f"/proc/{pid}").st_uid, entry.pw_uid)
        pool, flush, infile, files = s.sql(
            clone, "select @@innodb_buffer_pool_size, @@innodb_flush_log_at_trx_commit, @@local_infile,"
                   " @@secure_file_priv", user).split("\t")
        self.assertEqual((pool, flush, infile), (str(128 << 20), "1", "0"))
        self.assertTrue(files.startswith(folder + "/"), files)
        port = scenario.server_port(folder)
        for who in (user, "root", "vtx", "nobody"):
            self.assertFalse(scenario.tcp_login(port, who), f"{who} logs in over TCP without a password")
        subprocess.run([scenario.RUNUSER, "-u", user, "--", "rm", "-rf", os.path.join(clone, "var")], check=True)
        self.assertIn(f"process {pid}", s.server(clone, "status", user=user).out)
        self.assertOk(s.server(clone, "stop", user=user))
        started = s.server(clone, "start", user=user, VTX_DB_MEMORY="1M")
        self.assertOk(started)
        self.assertIn("VTX_DB_MEMORY=1M", started.text)
        # The port is kept across starts, also once TCP clients have come and gone.
        self.assertEqual(scenario.server_port(folder), port)
        self.assertOk(s.server(clone, "remove", "--yes", user=user))
        self.assertFalse(os.path.exists(folder))
        self.assertEqual(s.pids(), [])

    def test_refused_at_once(self):
        s = self.s
        # ./scripts/run with no display says so before it installs, builds or sets up anything.
        user = s.account()
        r = s.clone("r", owner=user)
        self.assertRefused(s.server(r, user=user, script="run"), "graphical display")
        self.assertEqual(sorted(os.listdir(r)), sorted(["db", "scripts"] + [".git"] * scenario.HAVE_GIT))
        self.assertFalse(os.path.lexists(os.path.join(pwd.getpwnam(user).pw_dir, ".local")))
        p = s.clone("p")
        for size in ("abc", "99999G"):
            self.assertRefused(s.server(p, "start", VTX_DB_MEMORY=size), "VTX_DB_MEMORY")
        # Folders the build or the scripts cannot use, also when reached through a link.
        for name in ("a;b", "a#b", 'a"b', "a\\b"):
            clone = s.clone(name)
            os.symlink(clone, s.path("link"))
            self.assertRefused(s.server(s.path("link"), "start"), clone)
            os.unlink(s.path("link"))
        self.assertFalse(os.path.exists(s.servers))
        # A socket's path fits 107 bytes.
        servers = s.path("x" * 90)
        self.assertRefused(s.server(p, "start", VTX_SERVERS_DIR=servers, VTX_TEST_SERVER_HOMES=servers), "107")
        self.assertEqual(s.folders(servers), [])

    def test_start_upgrades_a_database_of_an_older_schema(self):
        s = self.s
        # As root, in a home that only root may enter, whose mode stays as it is.
        os.mkdir(s.path("home"), 0o700)
        p = self.started("home/p")
        self.assertEqual(stat.S_IMODE(os.stat(s.path("home")).st_mode), 0o700)
        with open(os.path.join(p, "db", "schema.sql")) as f:
            schema = f.read()
        # The schema before the upgrade steps, with rows in it; and the supplies stock's tables
        # as first drafted, with rows in them.
        s.sql(p, "DROP DATABASE vertalumex; CREATE DATABASE vertalumex; USE vertalumex;" + schema + """;
            ALTER TABLE profissionais MODIFY valor DECIMAL(12,2) NULL;
            INSERT INTO profissionais (idlic, nmpro, valor, obs) VALUES
              ('U', 'ANA', 9999999999.99, 'linha 1'), ('U', 'D''ÁVILA', 0.01, NULL), ('U', 'SEM VALOR', NULL, '');
            DROP TABLE produtoscodigos;
            CREATE TABLE produtoscodigos (idlic VARCHAR(15) NOT NULL, cdpror VARCHAR(30) NULL,
              cdpro INT NOT NULL AUTO_INCREMENT, evcad VARCHAR(60) NULL, PRIMARY KEY (idlic, cdpro), KEY (cdpro));
            ALTER TABLE insumos_cmp DROP KEY insumos_cmp_compra, DROP KEY insumos_cmp_status,
              ADD KEY (idlic, status, cdfor), ADD KEY (idlic, dtc);
            INSERT INTO produtoscodigos (idlic, cdpror) VALUES ('U', '260101');
            INSERT INTO insumos_cmp (idlic, idlan, cdfor, status, lote) VALUES ('U', '2601011', 1, 'N', 'L''01')""")
        rows = ("USE vertalumex; SELECT * FROM profissionais ORDER BY idlic, idpro; SELECT * FROM insumos_cmp;"
                " SELECT cdpror, cdpro FROM produtoscodigos")
        before = s.sql(p, rows)
        # A running server made less durable by hand is made durable again.
        s.sql(p, "SET GLOBAL innodb_flush_log_at_trx_commit = 2")
        for _ in range(2):
            self.assertOk(s.server(p, "start"))
        self.assertEqual(s.sql(p, rows), before)
        self.assertEqual(s.sql(p, "SELECT @@innodb_flush_log_at_trx_commit"), "1")
        self.assertEqual(s.sql(p, """SELECT column_type FROM information_schema.columns WHERE table_schema =
            'vertalumex' AND table_name = 'profissionais' AND column_name = 'valor'"""), "decimal(15,2)")
        self.assertEqual(s.sql(p, """SELECT GROUP_CONCAT(DISTINCT index_name ORDER BY index_name) FROM
            information_schema.statistics WHERE table_schema = 'vertalumex' AND table_name = 'insumos_cmp'"""),
                         "insumos_cmp_compra,insumos_cmp_status,PRIMARY")
        self.assertEqual(s.sql(p, """SELECT COUNT(*) FROM information_schema.columns WHERE table_schema =
            'vertalumex' AND table_name = 'produtoscodigos' AND column_name = 'idlic'"""), "0")

    @unittest.skipUnless(shutil.which("cmake") and shutil.which("ninja"), "no cmake or ninja")
    def test_build_in_a_folder_named_with_blanks_an_apostrophe_and_accents(self):
        clone = self.s.path(CLINIC_FOLDER)
        os.mkdir(clone)
        shutil.copy(os.path.join(scenario.SOURCE, "CMakeLists.txt"), clone)
        for part in ("src", "tests", "scripts"):
            shutil.copytree(os.path.join(scenario.SOURCE, part), os.path.join(clone, part), symlinks=True,
                            ignore=shutil.ignore_patterns("__pycache__"))
        build = os.path.join(clone, "build")
        done = subprocess.run(["sh", "-c", 'cmake -S "$1" -B "$2" -G Ninja && cmake --build "$2" --target Vertalumex_fonts',
                               "sh", clone, build], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                              timeout=600)
        self.assertEqual(done.returncode, 0, done.stdout[-3000:])
        self.assertGreater(os.path.getsize(os.path.join(build, "src", "app", "fonts", "Helvetica.afm")), 0)


if __name__ == "__main__":
    scenario.main()
