"""TLS for a clinic's server: its authority, its certificate, and the server text a workstation
gives the driver.

The authority (ca.pem and its key) signs the server's certificate, which names the addresses
the workstations reach the server by. A workstation keeps a copy of ca.pem and verifies the
server against it: MariaDB Connector/ODBC takes SSLCA=<file> and SSLVERIFY=1 in its connection
string (the chain and the name the workstation connects to are both checked), and the settings
file's server text goes into that string as it stands, so the text is
"<host>;Port=<port>;SSLCA=<file>;SSLVERIFY=1" and must fit the 127 characters a settings value
holds. Certificates are made with Debian's openssl, the keys never leave the server's folder.
"""

import hashlib
import ipaddress
import os
import re
import subprocess
import tempfile
from pathlib import Path

from .tell import SetupError
from .files import fsync_folder

SETTINGS_VALUE_MAX = 127
DAYS = 3650
# Characters a file path may hold in the server text: the driver splits at ';', reads braces
# and '=' specially, and trims blanks.
SAFE_PATH = re.compile(r"^/[A-Za-z0-9._/+-]+$")
# An address or pattern the program's account is made for: IPv4 with '%' or '_' wildcards, an
# IPv6 address, or a netmask "a.b.c.d/m.m.m.m". With skip-name-resolve no host names.
ACCOUNT_HOST = re.compile(r"^[0-9.%_]+(/[0-9.]+)?$|^[0-9A-Fa-f:%]+$")


def _openssl(args, what):
    try:
        done = subprocess.run(
            ["openssl", *args], capture_output=True, text=True, timeout=120, check=False
        )
    except (OSError, subprocess.TimeoutExpired) as e:
        raise SetupError(f"Cannot {what}: openssl: {e}") from None
    if done.returncode != 0:
        raise SetupError(f"Cannot {what}: {done.stderr.strip() or 'openssl failed'}")
    return done.stdout


def _subject_names(names):
    entries = []
    for name in names:
        try:
            ipaddress.ip_address(name)
            entries.append(f"IP:{name}")
        except ValueError:
            if not re.match(r"^[A-Za-z0-9.-]+$", name):
                raise SetupError(f"{name!r} is no address or host name for a certificate") from None
            entries.append(f"DNS:{name}")
    return ",".join(entries)


def make_certificates(folder, names, owner_uid=None, owner_gid=None):
    """Makes in folder (which must exist, owned by the caller) ca.pem and ca-key.pem (the
    authority) and server-cert.pem and server-key.pem naming the given addresses, unless they
    are there already; the server's key is given to owner_uid (the server's account) so the
    server can read it. Returns the paths as a dict."""
    folder = Path(folder)
    files = {
        "ca": folder / "ca.pem",
        "ca_key": folder / "ca-key.pem",
        "cert": folder / "server-cert.pem",
        "key": folder / "server-key.pem",
    }
    present = [p.exists() for p in files.values()]
    if all(present):
        return files
    if any(present):
        raise SetupError(
            f"{folder} holds only part of a server's certificates: move them away, or give the"
            " authority, certificate and key that the server uses"
        )
    with tempfile.TemporaryDirectory(dir=folder, prefix=".new-") as tmp:
        t = Path(tmp)
        _openssl(
            ["req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
             "-nodes", "-keyout", t / "ca-key.pem", "-out", t / "ca.pem", "-days", str(DAYS),
             "-subj", "/O=Vertalumex/CN=Vertalumex clinic authority",
             "-addext", "basicConstraints=critical,CA:TRUE",
             "-addext", "keyUsage=critical,keyCertSign,cRLSign"],
            "make the clinic's certificate authority",
        )
        _openssl(
            ["req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
             "-keyout", t / "server-key.pem", "-out", t / "server.csr",
             "-subj", f"/O=Vertalumex/CN={names[0]}"],
            "make the server's key",
        )
        (t / "ext.cnf").write_text(
            f"subjectAltName={_subject_names(names)}\nbasicConstraints=CA:FALSE\n"
            "keyUsage=critical,digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\n"
        )
        _openssl(
            ["x509", "-req", "-in", t / "server.csr", "-CA", t / "ca.pem", "-CAkey",
             t / "ca-key.pem", "-CAcreateserial", "-out", t / "server-cert.pem", "-days",
             str(DAYS), "-extfile", t / "ext.cnf"],
            "sign the server's certificate",
        )
        for key, path in files.items():
            made = t / path.name
            os.chmod(made, 0o600 if key.endswith("key") else 0o644)
            if key == "key" and owner_uid is not None:
                os.chown(made, owner_uid, owner_gid if owner_gid is not None else -1)
            with open(made, "rb") as f:
                os.fsync(f.fileno())
        # The authority's key goes last: its presence marks a finished set.
        for key in ("ca", "cert", "key", "ca_key"):
            os.rename(t / files[key].name, files[key])
        fsync_folder(folder)
    return files


def certificate_names(cert):
    """The addresses and host names a certificate names (its subjectAltName)."""
    text = _openssl(["x509", "-noout", "-ext", "subjectAltName", "-in", cert],
                    f"read the certificate {cert}")
    return [n.split(":", 1)[1].strip() for n in re.findall(r"(?:IP Address|DNS):[^,\n]+", text)]


def check_pair(ca, cert, names=()):
    """Refuses a certificate the authority did not sign, or that names none of the addresses
    workstations use."""
    _openssl(["verify", "-CAfile", ca, cert], f"verify {cert} against {ca}")
    have = certificate_names(cert)
    for name in names:
        if name not in have:
            raise SetupError(
                f"The server's certificate {cert} does not name {name} (it names"
                f" {', '.join(have) or 'nothing'}): workstations connecting to {name} would"
                " refuse it. Give a certificate that names it"
            )


def fingerprint(data: bytes):
    """A short name for an authority: the first 12 hex digits of its file's SHA-256."""
    return hashlib.sha256(data).hexdigest()[:12]


def server_text(host, port, ca_path):
    """The settings file's server value for a workstation: host, port, the authority and
    verification, within the 127 characters a settings value holds."""
    if not re.match(r"^[A-Za-z0-9.:-]+$", host):
        raise SetupError(f"{host!r} is no address or host name of a server")
    if ca_path is None:
        text = f"{host};Port={int(port)}"
    else:
        ca_path = str(ca_path)
        if not SAFE_PATH.match(ca_path):
            raise SetupError(
                f"The authority's path {ca_path} holds a character the driver's connection"
                " string cannot carry (only letters, digits and . _ / + -)"
            )
        text = f"{host};Port={int(port)};SSLCA={ca_path};SSLVERIFY=1"
    if len(text) > SETTINGS_VALUE_MAX:
        raise SetupError(
            f"The server text {text!r} is {len(text)} characters, over the"
            f" {SETTINGS_VALUE_MAX} a settings value holds: keep the authority at a shorter path"
        )
    return text


def check_account_host(host):
    if not ACCOUNT_HOST.match(host) or host in ("%", ""):
        raise SetupError(
            f"{host!r} is no address or address pattern (like 192.168.1.% or 192.168.1.20):"
            " the server resolves no host names, and '%' alone would let any address in"
        )
    return host
