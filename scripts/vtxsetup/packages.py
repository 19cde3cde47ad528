"""Debian packages, the ODBC driver's registration and the CMake/Ninja build.

Every step checks its own result and raises SetupError naming what failed; a package that
apt-get could not install stops the set-up before the build would fail on it.
"""

import os
import shlex
import shutil
import subprocess
import tempfile
from pathlib import Path

from .tell import SetupError, say

# Debian's own python3 runs the set-up; the rest builds and tests the program and runs its server.
PACKAGES = (
    "python3", "python3-pyflakes",
    "build-essential", "cmake", "pkg-config", "ninja-build", "clang-format",
    "qt6-base-dev", "qt6-base-dev-tools", "zlib1g-dev",
    "libgtest-dev", "libgmock-dev", "libbenchmark-dev", "libmariadb-dev",
    "mariadb-server", "mariadb-client", "odbc-mariadb", "unixodbc", "unixodbc-dev",
    "qpdf", "poppler-utils", "libxlsxwriter-dev", "libhpdf-dev", "nlohmann-json3-dev",
    "libpdfbox2-java", "unzip", "libjpeg-dev", "locales", "fonts-dejavu-core", "fontconfig",
    "xvfb", "x11-apps", "imagemagick", "qt6-translations-l10n",
)
# The name the program's connection string gives the driver.
DRIVER_NAME = "MySQL ODBC 8.0 ANSI Driver"
# The server's programs live in the sbin folders, which a user's PATH may lack.
SBIN = ("/usr/local/sbin", "/usr/sbin", "/sbin")


def tool_path():
    """PATH with the sbin folders added, for the programs the set-up runs."""
    parts = [p for p in os.environ.get("PATH", "").split(":") if p]
    return ":".join(parts + [p for p in SBIN if p not in parts])


def as_root(command):
    """The command run as root: directly when root already, else through sudo (with the
    environment given through env, since sudo drops the caller's)."""
    if os.geteuid() == 0:
        return list(command)
    if shutil.which("sudo") is None:
        raise SetupError(f"Root is needed for: {shlex.join(command)}. Run as root, or install sudo")
    return ["sudo", *command]


def run_checked(command, what, **kwargs):
    """Runs a command; a failure raises, naming the step."""
    try:
        done = subprocess.run(command, **kwargs)
    except OSError as error:
        raise SetupError(f"Cannot {what}: {error}") from None
    if done.returncode != 0:
        raise SetupError(f"Cannot {what}: {shlex.join(command)} ended with status "
                         f"{done.returncode}")
    return done


def missing_packages(packages=PACKAGES):
    """The packages of the list that dpkg does not know as installed."""
    done = subprocess.run(["dpkg-query", "-W", "-f=${Package}\t${Status}\n", *packages],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    installed = set()
    for line in done.stdout.splitlines():
        name, _, status = line.partition("\t")
        if status.endswith("install ok installed"):
            installed.add(name.split(":")[0])
    return [p for p in packages if p not in installed]


def install_packages(packages=PACKAGES):
    """Installs what is missing with apt-get, and the Brazilian locale the number and currency
    tests run under."""
    missing = missing_packages(packages)
    if missing:
        say("Installing: " + " ".join(missing))
        run_checked(as_root(["apt-get", "update"]), "update the package lists")
        run_checked(as_root(["env", "DEBIAN_FRONTEND=noninteractive", "apt-get", "install", "-y",
                             *missing]), "install " + " ".join(missing))
        still = missing_packages(missing)
        if still:
            raise SetupError("apt-get ended without installing " + " ".join(still)
                             + ": install them by hand, then start again")
    locales = subprocess.run(["locale", "-a"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                             text=True).stdout.split()
    if not any(name.lower() in ("pt_br.utf8", "pt_br.utf-8") for name in locales):
        add_locale("pt_BR.UTF-8 UTF-8")


def add_locale(line):
    """Turns a locale on in /etc/locale.gen and makes it."""
    script = ('sed -i "s/^# *$1/$1/" /etc/locale.gen && '
              '{ grep -qx "$1" /etc/locale.gen || echo "$1" >>/etc/locale.gen; } && '
              'locale-gen >/dev/null')
    run_checked(as_root(["sh", "-c", script, "sh", line]), f"make the locale {line.split()[0]}")


def register_odbc_driver():
    """Registers MariaDB Connector/ODBC under the name the program's connection string uses."""
    listed = subprocess.run(["odbcinst", "-q", "-d"], stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, text=True).stdout
    if f"[{DRIVER_NAME}]" in listed.splitlines():
        return
    library = next(iter(sorted(Path("/usr/lib").rglob("libmaodbc.so"))), None)
    if library is None:
        raise SetupError("The MariaDB ODBC driver libmaodbc.so is not under /usr/lib: "
                         "reinstall the package odbc-mariadb")
    with tempfile.NamedTemporaryFile("w", prefix="vtx-odbc.", suffix=".ini") as template:
        template.write(f"[{DRIVER_NAME}]\nDescription=MariaDB Connector/ODBC\n"
                       f"Driver={library}\nThreading=0\n")
        template.flush()
        os.chmod(template.name, 0o644)
        run_checked(as_root(["odbcinst", "-i", "-d", "-f", template.name]),
                    f"register the ODBC driver {DRIVER_NAME}", stdout=subprocess.DEVNULL)


def jobs():
    """How many build and test jobs run at once: VTX_JOBS, else every core."""
    value = os.environ.get("VTX_JOBS", "")
    if not value:
        return os.cpu_count() or 1
    if not value.isdigit() or int(value) < 1:
        raise SetupError(f"VTX_JOBS must be a number of jobs, like 4, not '{value}'")
    return int(value)


def build(root, build_dir, targets=(), build_type="RelWithDebInfo", options=()):
    """Configures the build folder with CMake and Ninja and builds the targets (all when none
    is given). VTX_CMAKE_ARGS adds options to the configuration; later ones win."""
    build_dir = Path(build_dir)
    if not (build_dir / "build.ninja").exists():
        say("First build: this takes a few minutes.")
    extra = shlex.split(os.environ.get("VTX_CMAKE_ARGS", ""))
    env = dict(os.environ, PATH=tool_path())
    run_checked(["cmake", "-S", str(root), "-B", str(build_dir), "-G", "Ninja",
                 f"-DCMAKE_BUILD_TYPE={build_type}", *options, *extra],
                f"configure the build in {build_dir}", stdout=subprocess.DEVNULL, env=env)
    command = ["cmake", "--build", str(build_dir), "-j", str(jobs())]
    if targets:
        command += ["--target", *targets]
    run_checked(command, f"build in {build_dir}", env=env)
