"""A first set-up cut short while mariadb-install-db runs is made again at the next start; a
finished one whose data is gone never gets an empty server in its place."""

import os
import shutil
import signal
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scenario  # noqa: E402

# Makes what mariadb-install-db makes first, the data folder and its mysql folder, then stops
# there until the test kills the set-up.
CUT = """for arg in "$@"; do
  case "$arg" in
  --datadir=*) data="${arg#--datadir=}" ;;
  --defaults-file=*) data="$(sed -n 's/^[[:space:]]*datadir[[:space:]]*=[[:space:]]*//p' "${arg#--defaults-file=}")" ;;
  esac
done
mkdir -p "$data/mysql" && : >"$data/ibdata1"
echo install >'EVENTS'
read go <'EVENTS.go'"""


class CutFirstSetUp(scenario.ScenarioCase):
    def test_set_up_cut_during_install_is_made_again(self):
        s = self.s
        p = s.clone("p")
        events = scenario.Events(s.path("events"))
        os.mkfifo(events.path + ".go", 0o666)
        path = scenario.shim(s.path("shim"), "mariadb-install-db", CUT.replace("EVENTS", events.path))
        cut = s.spawn(p, "start", PATH=path)
        self.assertEqual(events.wait(), "install")
        os.killpg(cut.pid, signal.SIGKILL)
        cut.wait()
        self.assertTrue(os.path.isdir(os.path.join(scenario.data_dir(s.folders()[0]), "mysql")))
        started = s.server(p, "start")
        self.assertOk(started)
        self.assertIn("cut short", started.text)
        s.add_rows(p, 5)
        self.assertEqual(s.rows(p), 5)

    def test_lost_data_never_gets_an_empty_server(self):
        s = self.s
        p = self.started("p")
        s.add_rows(p, 5)
        self.assertOk(s.server(p, "stop"))
        [folder] = s.folders()
        data = scenario.data_dir(folder)
        # Earlier scripts also took a server folder without its port file for a new one.
        shutil.rmtree(data)
        if os.path.exists(os.path.join(folder, "port")):
            os.unlink(os.path.join(folder, "port"))
        self.assertRefused(s.server(p, "start"), "empty")
        self.assertFalse(os.path.exists(os.path.join(data, "mysql")))
        self.assertEqual(s.pids(), [])


if __name__ == "__main__":
    scenario.main()
