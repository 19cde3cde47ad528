"""Servers that earlier set-ups made move into today's layout at the first start, their rows,
port and password kept: var/db a folder in the clone (a plain account's layout, root's in the
oldest versions), var/db a link to a folder of mysql's with its clone record, and a move cut
short. An old copy stays a copy; a move across file systems that runs out of room leaves the
original whole and says so in one line."""

import os
import shutil
import signal
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scenario  # noqa: E402

ROWS = 200


def run(*args):
    done = subprocess.run(list(args), stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if done.returncode != 0:
        raise AssertionError(f"{' '.join(args)}: {done.stdout}")
    return done


def old_sql(folder, query):
    return run("mariadb", "--no-defaults", f"--socket={folder}/mariadb.sock", "-uroot", "-N", "-B", "-e", query).stdout.strip()


def old_server(case, folder, user, group=None):
    """A server as earlier set-ups ran it on folder (its data, socket and files there), with the
    database vertalumex, ROWS rows, the program's account and the port and password files.
    Returns (process, port, password)."""
    os.makedirs(folder, exist_ok=True)
    for sub in ("", "tmp", "files"):
        os.makedirs(os.path.join(folder, sub), exist_ok=True)
        os.chmod(os.path.join(folder, sub), 0o700)
        shutil.chown(os.path.join(folder, sub), user, user if user == "mysql" else None)
    run("mariadb-install-db", "--no-defaults", f"--datadir={folder}/data", f"--user={user}",
        "--auth-root-authentication-method=socket", "--skip-test-db", f"--tmpdir={folder}/tmp")
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        port = s.getsockname()[1]
    process = subprocess.Popen(
        ["mariadbd", "--no-defaults", f"--datadir={folder}/data", f"--socket={folder}/mariadb.sock",
         f"--pid-file={folder}/mariadbd.pid", f"--port={port}", "--bind-address=127.0.0.1", f"--user={user}",
         "--skip-name-resolve", f"--secure-file-priv={folder}/files", "--local-infile=0", f"--tmpdir={folder}/tmp",
         "--innodb-buffer-pool-size=134217728", "--skip-log-bin", f"--log-error={folder}/error.log"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True,
        # As root earlier set-ups let the server drop to mysql; an account ran it as itself.
        user=None if user == "mysql" else user, group=group)
    case.addCleanup(stop, process)
    deadline = time.monotonic() + 60
    while subprocess.run(["mariadb-admin", "--no-defaults", f"--socket={folder}/mariadb.sock", "-uroot", "ping"],
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0:
        if process.poll() is not None or time.monotonic() > deadline:
            raise AssertionError(f"the old server did not start: {open(folder + '/error.log').read()[-2000:]}")
        time.sleep(0.2)
    password = "old-Pass_" + os.urandom(8).hex()
    old_sql(folder, f"CREATE DATABASE vertalumex; USE vertalumex; CREATE TABLE vertalumex.kept (v INT) ENGINE=InnoDB;"
                    f" INSERT INTO vertalumex.kept SELECT seq FROM seq_1_to_{ROWS};"
                    f" CREATE USER 'vtx'@'127.0.0.1' IDENTIFIED BY '{password}';"
                    f" GRANT ALL PRIVILEGES ON vertalumex.* TO 'vtx'@'127.0.0.1'")
    owner = None if user == "mysql" else user
    for name, text, mode in (("port", f"{port}\n", 0o644), ("vtx.password", password + "\n", 0o600)):
        path = os.path.join(folder, name)
        with open(path, "w") as f:
            f.write(text)
        os.chmod(path, mode)
        if owner:
            shutil.chown(path, owner, owner)
    return process, port, password


def stop(process):
    if process.poll() is None:
        process.send_signal(signal.SIGTERM)
        process.wait(60)


def old_home(s, name):
    """A folder of mysql's directly in the servers' folder, named as earlier set-ups named them."""
    os.makedirs(s.servers, mode=0o711, exist_ok=True)
    return os.path.join(s.servers, name)


def record(folder, clone):
    with open(os.path.join(folder, "clone"), "w") as f:
        f.write(clone + "\n")


class EarlierLayouts(scenario.ScenarioCase):
    def assertMoved(self, clone, port, password, user=None, servers=None):
        """The rows in today's layout, on the kept port with the kept password; var/db gone."""
        self.assertEqual(self.s.rows(clone, user), ROWS)
        [folder] = self.s.folders(servers)
        self.assertEqual(scenario.server_port(folder), port)
        self.assertTrue(scenario.tcp_login(port, "vtx", password))
        self.assertFalse(os.path.lexists(os.path.join(clone, "var", "db")))
        return folder

    def test_root_layouts_move_once_and_a_copy_stays_a_copy(self):
        s = self.s
        # var/db a link to a folder of mysql's with its clone record, its server running.
        p, copy = s.clone("p"), s.path("pcopy")
        home = old_home(s, "p.AbCd1234")
        process, port, password = old_server(self, home, "mysql")
        record(home, p)
        os.makedirs(os.path.join(p, "var"))
        os.symlink(home, os.path.join(p, "var", "db"))
        subprocess.run(["cp", "-a", p, copy], check=True)
        session = subprocess.Popen(["mariadb", "--no-defaults", f"--socket={home}/mariadb.sock", "-uroot", "-N", "--unbuffered"],
                                   stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        s.spawned.append(session)
        session.stdin.write("SELECT 'open';\n")
        session.stdin.flush()
        self.assertEqual(session.stdout.readline().strip(), "open")
        self.assertRefused(s.server(p, "start"), "connection")
        self.assertIsNone(process.poll())
        session.stdin.close()
        session.wait()
        # The server lets the closed session go on its own time.
        deadline = time.monotonic() + 30
        while old_sql(home, "SELECT COUNT(*) FROM information_schema.processlist WHERE command <> 'Daemon'") != "1":
            self.assertLess(time.monotonic(), deadline)
            time.sleep(0.1)
        # A copy made before the move: the folder records the original, which still links to it.
        self.assertRefused(s.server(copy, "start"), "copy", p)
        self.assertEqual(old_sql(home, "SELECT COUNT(*) FROM vertalumex.kept"), str(ROWS))
        self.assertOk(s.server(p, "start"))
        process.wait(60)
        folder = self.assertMoved(p, port, password)
        self.assertFalse(os.path.exists(home))
        self.assertRefused(s.server(copy, "start"), "missing")
        self.assertOk(s.server(p, "stop"))
        shutil.rmtree(folder)

        # var/db a folder of root's in the clone, the oldest layout: its data root's, and a copy
        # cut short at var/db.link.
        q = s.clone("q")
        db = os.path.join(q, "var", "db")
        process, port, password = old_server(self, db, "mysql")
        stop(process)
        run("chown", "-R", "root:root", db)
        partial = old_home(s, "q.Ef5678gh")
        os.makedirs(os.path.join(partial, "data"))
        with open(os.path.join(partial, "data", "ibdata1"), "wb") as f:
            f.write(b"part")
        os.symlink(partial, os.path.join(q, "var", "db.link"))
        open(os.path.join(q, "var", "setup.lock"), "w").close()  # the earlier scripts' lock
        self.assertOk(s.server(q, "start"))
        folder = self.assertMoved(q, port, password)
        self.assertEqual(os.stat(os.path.join(folder, "srv", "data", "ibdata1")).st_uid, scenario.pwd.getpwnam("mysql").pw_uid)
        self.assertEqual(os.listdir(os.path.join(q, "var")), [])
        self.assertOk(s.server(q, "stop"))
        shutil.rmtree(folder)

        # A move across file systems cut short once the original was set aside as var/db.old.
        r = s.clone("r")
        home = old_home(s, "r.Ij9012kl")
        process, port, password = old_server(self, home, "mysql")
        stop(process)
        record(home, r)
        os.makedirs(os.path.join(r, "var", "db.old", "data"))
        os.symlink(home, os.path.join(r, "var", "db.link"))
        self.assertOk(s.server(r, "start"))
        self.assertMoved(r, port, password)
        self.assertFalse(os.path.lexists(os.path.join(r, "var", "db.old")))
        self.assertFalse(os.path.lexists(os.path.join(r, "var", "db.link")))

        # var/db a link made by hand to a folder elsewhere: nothing is done there.
        h, mine = s.clone("h"), s.path("mine")
        os.makedirs(os.path.join(mine, "data"))
        os.makedirs(os.path.join(h, "var"))
        os.symlink(mine, os.path.join(h, "var", "db"))
        self.assertRefused(s.server(h, "start"), mine, "nothing is done there")
        self.assertEqual(sorted(os.listdir(mine)), ["data"])
        self.assertEqual(os.listdir(os.path.join(mine, "data")), [])

    def test_an_accounts_var_db_moves_to_its_home(self):
        s = self.s
        user = s.account()
        clone = s.clone("c", owner=user)
        # Run with root's group, the server's process is one the account cannot inspect: the
        # lock on its data files still tells that it runs.
        process, port, password = old_server(self, os.path.join(clone, "var", "db"), user, group=0)
        run("chown", "-R", f"{user}:", os.path.join(clone, "var"))
        self.assertRefused(s.server(clone, "start", user=user), "holds")
        stop(process)
        self.assertOk(s.server(clone, "start", user=user))
        servers = os.path.join(scenario.pwd.getpwnam(user).pw_dir, ".local", "share", "vertalumex")
        self.assertMoved(clone, port, password, user, servers)


class AcrossFileSystems(scenario.ScenarioCase):
    def test_a_move_out_of_room_leaves_the_original_whole(self):
        s = self.s
        clone = s.clone("c")
        db = os.path.join(clone, "var", "db")
        os.makedirs(os.path.join(db, "data", "mysql"))
        with open(os.path.join(db, "data", "ibdata1"), "wb") as f:
            f.write(os.urandom(3 << 20))
        with open(os.path.join(db, "port"), "w") as f:
            f.write("33999\n")
        shutil.copytree(db, s.path("original"), symlinks=True)
        os.makedirs(s.servers, mode=0o711)
        if subprocess.run(["unshare", "-m", "true"]).returncode == 0:
            prefix = ["unshare", "-m"]
        elif subprocess.run(["unshare", "-m", "--propagation", "unchanged", "true"]).returncode == 0:
            # In a chroot, whose root is no mount point: the tmpfs is checked not to be shared.
            prefix = ["unshare", "-m", "--propagation", "unchanged"]
        else:
            self.skipTest("no mount namespaces here")
        done = subprocess.run(prefix + [sys.executable, "-I", os.path.abspath(__file__), "inside", s.top, clone],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if done.returncode == 77:
            self.skipTest(done.stdout)
        self.assertEqual(done.returncode, 0, done.stdout)


def inside(top, clone):
    """In a mount namespace of the test's own: the servers' folder on a small tmpfs."""
    servers = os.path.join(top, "servers")
    if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=2m,mode=711", "tmpfs", servers]).returncode != 0:
        print("no tmpfs mounts here")
        return 77
    with open("/proc/self/mountinfo") as f:
        if any(f" {servers} " in line and "shared:" in line for line in f):
            print("the tmpfs would be seen outside the test")
            return 77
    env = {k: v for k, v in os.environ.items() if not k.startswith(("VTX_", "GIT_"))}
    # Earlier scripts took their servers' folder from the second name.
    env.update(VTX_SERVERS_DIR=servers, VTX_TEST_SERVER_HOMES=servers, VTX_DB_MEMORY="128M")
    done = subprocess.run([os.path.join(clone, "scripts", "server"), "start"], cwd="/", env=env,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    db = os.path.join(clone, "var", "db")
    lines = done.stderr.strip().splitlines()
    left = os.listdir(servers)
    whole = subprocess.run(["diff", "-r", os.path.join(top, "original"), db]).returncode == 0
    if done.returncode == 0 or len(lines) != 1 or db not in lines[0] or left or not whole:
        print(f"status {done.returncode}, whole: {whole}, left in {servers}: {left}\n{done.stdout}{done.stderr}")
        return 1
    # With room, the copy is made, compared, given to mysql, and the original goes.
    subprocess.run(["mount", "-o", "remount,size=16m", servers], check=True)
    code = f"import sys; sys.path.insert(0, {os.path.join(clone, 'scripts')!r}); from vtxsetup import migration; migration.migrate({clone!r})"
    subprocess.run([sys.executable, "-I", "-c", code], env=env, check=True)
    [folder] = os.listdir(servers)
    data = os.path.join(servers, folder, "srv", "data")
    if subprocess.run(["diff", "-r", os.path.join(top, "original", "data"), data]).returncode != 0:
        return 1
    mysql = scenario.pwd.getpwnam("mysql").pw_uid
    if os.stat(os.path.join(data, "ibdata1")).st_uid != mysql or os.path.lexists(db):
        print(f"not given to mysql, or {db} left")
        return 1
    return 0


if __name__ == "__main__":
    if sys.argv[1:2] == ["inside"]:
        sys.exit(inside(*sys.argv[2:4]))
    scenario.main()
