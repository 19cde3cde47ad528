"""The addresses the program's account logs in from on the clinic's server, and its password.

Every workstation logs in as the one account (vtx) with one password; the server keeps an
account for each address or pattern (192.168.1.20, 192.168.1.%) and lets a workstation in by
the most specific one that admits its address. A workstation is retired by dropping its
address, which also ends the sessions it has open (DROP USER leaves them running). Where a
pattern that stays admits the address as well, dropping it would change nothing: only a new
password, given to every other workstation, retires it then.
"""

import re

from .client import quote
from .tell import SetupError

# The server's own answer when a session ended between the look and the KILL.
GONE = "Unknown thread id"


def addresses(client, user):
    """The addresses and patterns the account logs in from, in order."""
    return sorted(r[0] for r in client.query(
        f"SELECT Host FROM mysql.user WHERE User = {quote(user)}", step="Listing the account's addresses") if r)


def _like(pattern):
    """A host pattern as the server reads it ('%' any run, '_' any one character, '\\' taking
    the next one as it stands), as a regular expression."""
    out, escaped = [], False
    for ch in pattern:
        if escaped:
            out.append(re.escape(ch))
            escaped = False
        elif ch == "\\":
            escaped = True
        else:
            out.append({"%": ".*", "_": "."}.get(ch) or re.escape(ch))
    return re.compile("".join(out), re.IGNORECASE | re.DOTALL)


def _ipv4(text):
    parts = text.split(".")
    if len(parts) != 4 or not all(p.isdigit() and int(p) < 256 for p in parts):
        return None
    return sum(int(p) << (24 - 8 * i) for i, p in enumerate(parts))


def admits(pattern, address):
    """Whether the account host pattern (an address, a '%'/'_' pattern or a netmask
    a.b.c.d/m.m.m.m) lets address in. Given a pattern as the address, whether it admits that
    pattern's own text, which holds when it admits everything the other does."""
    if "/" in pattern:
        net, _slash, mask = pattern.partition("/")
        net, mask, value = _ipv4(net), _ipv4(mask), _ipv4(address)
        return None not in (net, mask, value) and value & mask == net
    return _like(pattern).fullmatch(address) is not None


def check_drops(current, drops, allowed):
    """Refuses a drop that would not retire the address, before anything is changed: one the
    account has not, one that a remaining pattern still admits, or the account's last."""
    for address in drops:
        if address not in current:
            raise SetupError(
                f"The program's account has no address {address} (it logs in from"
                f" {', '.join(current) or 'nowhere yet'}): nothing was changed")
    remaining = sorted((set(current) | set(allowed)) - set(drops))
    if not remaining:
        raise SetupError(
            f"{', '.join(drops)} is the last address the program's account logs in from: it is not"
            " dropped (name the workstations' new address with --allow). Nothing was changed")
    for address in drops:
        covering = [p for p in remaining if admits(p, address)]
        if covering:
            raise SetupError(
                f"{address} is also admitted by {', '.join(covering)}, which stays: dropping it would"
                " not keep that workstation out. Only a new password retires it: --new-password,"
                " then give the new password to every other workstation. Nothing was changed")
    return remaining


def _sessions(client, user, dropped, remaining):
    """The ids of the account's sessions from addresses the dropped pattern admitted and no
    remaining one admits (those logged in through it)."""
    found = []
    for pid, host in client.query(
            f"SELECT ID, HOST FROM information_schema.processlist WHERE USER = {quote(user)}",
            step="Listing the account's sessions"):
        address = host.rsplit(":", 1)[0].strip("[]")
        if admits(dropped, address) and not any(admits(p, address) for p in remaining):
            found.append(int(pid))
    return found


def drop(client, user, address, remaining):
    """Drops user@address, then ends the sessions logged in through it. Returns how many."""
    try:
        client.run(f"DROP USER {quote(user)}@{quote(address)}", step="Dropping the address")
    except SetupError as e:
        raise SetupError(f"Cannot drop the account {user}@{address}: {e}") from None
    ended = 0
    for pid in _sessions(client, user, address, remaining):
        try:
            client.run(f"KILL CONNECTION {pid}", step="Ending a session")
            ended += 1
        except SetupError as e:
            if GONE not in str(e):
                raise SetupError(f"{user}@{address} is dropped, but its session {pid} could not"
                                 f" be ended: {e}") from None
    return ended


def set_password(client, user, hosts, password):
    """Gives the account the password on every address, in one statement."""
    accounts = ", ".join(f"{quote(user)}@{quote(h)} IDENTIFIED BY {quote(password)}" for h in hosts)
    try:
        client.run(f"ALTER USER {accounts}", step="Changing the account's password")
    except SetupError as e:
        raise SetupError(f"Cannot give {user} its new password: {e}") from None
