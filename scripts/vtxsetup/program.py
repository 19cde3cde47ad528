"""The program itself for ./scripts/run, on the private server or a clinic's: a display to open
its windows on, the packages, the build, and the program started in place of the set-up."""

import os
import sys

from . import packages, paths
from .tell import SetupError


def check_display():
    # The program opens windows: without a graphical display Qt would only abort.
    if not any(os.environ.get(v) for v in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")):
        raise SetupError(
            "Vertalumex needs a graphical display, and none is set (DISPLAY, WAYLAND_DISPLAY and "
            "QT_QPA_PLATFORM are all empty): run ./scripts/run from a desktop session."
        )


def build(needed=packages.PACKAGES):
    """Installs what is missing, registers the ODBC driver and builds the program and its
    settings tool. Returns the program's path."""
    packages.install_packages(needed)
    packages.register_odbc_driver()
    folder = paths.build_dir()
    packages.build(paths.ROOT, folder, ["Vertalumex", "vtx-writeini"])
    return os.path.join(folder, "src", "app", "Vertalumex")


def start(program):
    sys.stdout.flush()
    os.execv(program, [program])
