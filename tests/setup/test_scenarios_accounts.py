"""Root and other accounts: root's set-up never works in another account's clone, and the mysql
account, which owns what the server writes, cannot make root read or write anything through
the server's folder. Also what root's private server promises: who logs in, who reads what."""

import os
import pwd
import secrets
import stat
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scenario  # noqa: E402


def as_mysql(*command):
    return subprocess.run([scenario.RUNUSER, "-u", "mysql", "--"] + list(command), stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode


class OtherAccounts(scenario.ScenarioCase):
    def test_root_leaves_another_accounts_clone_alone(self):
        s = self.s
        user = s.account()
        clone = s.clone("acct", owner=user)
        self.assertOk(s.server(clone, "start", user=user))
        s.add_rows(clone, 20, user=user)
        running = s.pids()
        # The account puts a link where earlier scripts kept the lock, to a file root would make.
        target = s.path("nologin")
        var = os.path.join(clone, "var")
        subprocess.run([scenario.RUNUSER, "-u", user, "--", "sh", "-c", f"mkdir -p '{var}' && rm -f '{var}/setup.lock'"
                        f" && ln -s '{target}' '{var}/setup.lock'"], check=True)
        for args in (["start"], ["stop"], ["status"], ["remove", "--yes"], ["sql", "-e", "select 1"]):
            self.assertRefused(s.server(clone, *args), f"as {user}")
            self.assertFalse(os.path.lexists(target), f"{args} made {target}")
        self.assertEqual(s.pids(), running)
        self.assertIn(f"process {running[0]}", s.server(clone, "status", user=user).out)
        self.assertEqual(s.rows(clone, user=user), 20)

    def test_server_account_reaches_nothing_of_roots(self):
        s = self.s
        p = self.started("p")
        [folder] = s.folders()
        port = scenario.server_port(folder)
        # mysql passes through the servers' folder to its own, and lists nothing there.
        self.assertEqual(stat.S_IMODE(os.stat(s.servers).st_mode), 0o711)
        mysql = pwd.getpwnam("mysql")
        # Root and the administrator by socket only; the program's account with its password alone.
        with open(os.path.join(folder, "vtx.password")) as f:
            password = f.read().strip()
        for user in ("root", "mysql", "vtx", "nobody"):
            self.assertFalse(scenario.tcp_login(port, user), f"{user} logs in over TCP without a password")
        self.assertFalse(scenario.tcp_login(port, "vtx", "vtx-local"))
        self.assertTrue(scenario.tcp_login(port, "vtx", password))
        self.assertGreaterEqual(len(password), 32)
        [pid] = s.pids()
        self.assertEqual(os.stat(f"/proc/{pid}").st_uid, mysql.pw_uid)
        self.assertEqual(s.sql(p, "select @@local_infile, @@bind_address"), "0\t127.0.0.1")
        # Another account reaches neither the socket nor the password file.
        for command in (["mariadb", "--no-defaults", f"--socket={scenario.socket_path(folder)}", "-uroot", "-e", "select 1"],
                        ["cat", f"{folder}/vtx.password"]):
            self.assertNotEqual(subprocess.run([scenario.RUNUSER, "-u", "nobody", "--"] + command, stdout=subprocess.DEVNULL,
                                               stderr=subprocess.DEVNULL).returncode, 0, command)
        # Every file of root's in the server's folder lies in a folder mysql cannot write.
        for top, dirs, names in os.walk(folder):
            st = os.lstat(top)
            writable = (st.st_uid == mysql.pw_uid and st.st_mode & stat.S_IWUSR
                        or st.st_gid == mysql.pw_gid and st.st_mode & stat.S_IWGRP or st.st_mode & stat.S_IWOTH)
            for name in names + dirs:
                if os.lstat(os.path.join(top, name)).st_uid == 0:
                    self.assertFalse(writable, f"root's {top}/{name} lies in a folder mysql writes")

        # mysql's links to a file only root reads, at the names root reads: root's next start
        # neither sends that file to the server as the program's password nor shows it.
        secret = s.path("secret")
        words = "secret-" + secrets.token_hex(8)
        with open(secret, "w") as f:
            f.write(words + "\n")
        os.chmod(secret, 0o600)
        as_mysql("ln", "-sf", secret, os.path.join(folder, "vtx.password"))
        self.assertOk(s.server(p, "start"))
        self.assertFalse(scenario.tcp_login(port, "vtx", words), "root sent the file to the server as a password")
        # Nor does root show it as the log of a server that does not start.
        self.assertOk(s.server(p, "stop"))
        data = scenario.data_dir(folder)
        as_mysql("ln", "-sf", secret, os.path.join(os.path.dirname(data), "error.log"))
        as_mysql("chmod", "0", data)
        # Nor does root change the mode or owner of a folder mysql links in place of its own.
        aside = s.path("aside")
        os.mkdir(aside, 0o755)
        tmp = os.path.join(os.path.dirname(data), "tmp")
        as_mysql("sh", "-c", f"rm -rf '{tmp}' && ln -s '{aside}' '{tmp}'")
        self.assertNotIn(words, s.server(p, "start").text)
        st = os.stat(aside)
        self.assertEqual((st.st_uid, stat.S_IMODE(st.st_mode)), (0, 0o755))
        with open(secret) as f:
            self.assertEqual(f.read(), words + "\n")
        self.assertEqual(stat.S_IMODE(os.stat(secret).st_mode), 0o600)


if __name__ == "__main__":
    scenario.main()
