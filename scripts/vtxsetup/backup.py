"""Backups of the program's database, and their restore, on the private server or the clinic's.

A backup is mariadb-dump in one transaction (--single-transaction: consistent while the program
writes, InnoDB alone), compressed with gzip into a file only its owner reads. It is written under
a hidden temporary name beside its final one and takes that name only once the dump and gzip
both ended well and the dump wrote its completion line, so a backup that failed leaves nothing
that looks like a backup.

A restore loads a backup into a new database as an account that reaches that database alone
(restoreaccount.py), checks what the load left (restorecheck.py), applies this tree's schema and
upgrades to it, and then swaps it in with one RENAME TABLE: the program sees the old tables or
the new ones, never a half-loaded set. A database that holds rows is replaced only when asked,
and then its data is backed up first, right before the swap, and its tables kept aside in a
database of their own, never deleted. A restore that fails leaves no database or account of its
own and says, in one line, that nothing was restored.
"""

import contextlib
import datetime
import os
import re
import subprocess
import tempfile

from . import databases, files, paths, restoreaccount, restorecheck, tell
from .client import client_env, quote, quote_name
from .tell import SetupError

CHUNK = 1 << 16
COMPLETION = re.compile(rb"\n-- Dump completed( on [^\n]*)?\n?\s*$")
# Statements a backup of one database never holds: an early refusal, in the file's own words,
# of what the restore's account could not do anyway (it reaches its new database alone).
FOREIGN = re.compile(
    rb"(?im)^[ \t]*(use[ \t]|create[ \t]+(database|schema|user)\b|drop[ \t]+(database|schema)\b"
    rb"|grant[ \t]|\\!|system[ \t]|\\\.|source[ \t])"
)
SUFFIX = ".sql.gz"
# The client's copy of a statement that failed, before its error.
QUERY_ECHO = re.compile(r"-{14}\n.*?\n-{14}(\n|$)", re.S)
# How long a restore's swap waits for the program's open transactions to let its tables go.
SWAP_WAIT = 60


class Target:
    """A server to back up or restore on: its administrator's client, the set-up lock that
    keeps other set-ups away meanwhile, and its name in messages."""

    def __init__(self, client, lock=None, where="the server"):
        self.client = client
        self.lock = lock if lock is not None else contextlib.nullcontext()
        self.where = where


def default_folder():
    """Outside the clone and the servers' folder: root's /var/backups/vertalumex, else the
    account's ${XDG_DATA_HOME:-~/.local/share}/vertalumex-backups (VTX_BACKUP_DIR for tests)."""
    if os.environ.get("VTX_BACKUP_DIR"):
        return os.environ["VTX_BACKUP_DIR"]
    if paths.is_root():
        return "/var/backups/vertalumex"
    return os.path.join(paths.account_home("XDG_DATA_HOME", ".local/share"), "vertalumex-backups")


def _stamp():
    return datetime.datetime.now().strftime("%Y-%m-%d_%H%M%S")


def _free_name(folder, base):
    """A dated name no file has yet: two backups in one second (a restore's own safety backup
    right after a nightly one) get "-2", "-3"... The final link is made exclusively all the same."""
    name, n = os.path.join(folder, base + SUFFIX), 1
    while os.path.lexists(name):
        n += 1
        name = os.path.join(folder, f"{base}-{n}{SUFFIX}")
    return name


def _tool_command(client, tool):
    """The client's connection options, given to another tool of the client's package. The
    server is asked first, within the client's time limit: the work itself is not cut short."""
    client.run("SELECT 1", step=f"a check before {tool}")
    return [tool, *client.args[1:]]


def _error_text(stream):
    stream.seek(0)
    return _one_line(stream.read().decode("utf-8", "replace"))[-1000:]


def backup(target, database, file=None, note=tell.say, locked=False):
    """Writes a backup of database and returns its path. file: the backup's path (never
    replaced), else a dated name in default_folder()."""
    databases.check_name(database)
    if file is None:
        folder = default_folder()
        files.make_own_folder(folder)
        file = _free_name(folder, f"{database}-{_stamp()}")
    file = os.path.abspath(file)
    folder = os.path.dirname(file)
    if not os.path.isdir(folder):
        raise SetupError(f"The folder {folder} does not exist: make it, or name another file")
    if os.path.lexists(file):
        raise SetupError(f"{file} already exists: a backup never replaces a file; name another")
    with target.lock if not locked else contextlib.nullcontext():
        _dump(target, database, file)
    note(f"Backed up the database {database} of {target.where} into {file}"
         f" ({files.human_size(os.path.getsize(file))})")
    return file


def _pump(source, sink, refuse=None):
    """Copies source's output into sink's input, then waits for both. refuse(chunk), asked before
    each chunk is copied, may name a reason to stop: both are then killed. A sink that stops
    reading stops the source. Returns (source's status, sink's status, the last 512 bytes copied,
    whether the sink stopped reading, the reason refused or None)."""
    tail = b""
    broken = False
    refused = None
    try:
        while chunk := source.stdout.read(CHUNK):
            refused = refuse(chunk) if refuse else None
            if refused:
                break
            tail = (tail + chunk)[-512:]
            try:
                sink.stdin.write(chunk)
            except BrokenPipeError:
                broken = True
                break
    finally:
        if refused or broken:
            source.kill()
        if refused:
            sink.kill()
        source.stdout.close()
        with contextlib.suppress(BrokenPipeError):
            sink.stdin.close()
        source_status = source.wait()
        sink_status = sink.wait()
    return source_status, sink_status, tail, broken, refused


def _dump(target, database, file):
    folder = os.path.dirname(file)
    fd, partial = tempfile.mkstemp(prefix=f".{os.path.basename(file)}.", suffix=".partial", dir=folder)
    done = False
    try:
        os.fchmod(fd, 0o600)
        command = _tool_command(target.client, "mariadb-dump") + [
            "--single-transaction", "--routines", "--triggers", "--hex-blob",
            "--default-character-set=utf8mb4", "--", database,
        ]
        with tempfile.TemporaryFile() as dump_err, tempfile.TemporaryFile() as gzip_err:
            try:
                dump = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                        stderr=dump_err, env=client_env())
            except FileNotFoundError:
                raise SetupError("mariadb-dump is missing: install mariadb-client") from None
            gz = subprocess.Popen(["gzip", "-c"], stdin=subprocess.PIPE, stdout=fd, stderr=gzip_err)
            dump_status, gzip_status, tail, broken, _refused = _pump(dump, gz)
            if gzip_status != 0 or broken:
                raise SetupError(
                    f"The backup could not be written into {folder} (gzip: "
                    f"{_error_text(gzip_err) or f'status {gzip_status}'}): no backup was made."
                    " Is the disk full?"
                )
            if dump_status != 0:
                raise SetupError(
                    f"mariadb-dump failed on {target.where}: "
                    f"{_error_text(dump_err) or f'status {dump_status}'}: no backup was made"
                )
            if not COMPLETION.search(tail):
                raise SetupError(
                    f"mariadb-dump ended without its completion line on {target.where}: the dump"
                    " is cut short, no backup was made"
                )
        try:
            os.fsync(fd)
        except OSError as e:
            raise SetupError(f"The backup could not be written into {folder}: {e.strerror}: no"
                             " backup was made") from None
        # link() never replaces a file that appeared meanwhile.
        try:
            os.link(partial, file)
        except FileExistsError:
            raise SetupError(f"{file} appeared meanwhile: a backup never replaces a file") from None
        os.unlink(partial)
        files.fsync_folder(folder)
        done = True
    finally:
        os.close(fd)
        if not done:
            with contextlib.suppress(OSError):
                os.unlink(partial)


def _exists(client, database):
    return bool(client.query(
        f"SELECT 1 FROM information_schema.schemata WHERE SCHEMA_NAME = {quote(database)}"))


def _tables_with_rows(client, database, tables):
    """The tables holding rows, asked in one query: a client started per table took seconds."""
    if not tables:
        return []
    name = databases.check_name(database)
    held = {r[0] for r in client.query(" UNION ALL ".join(
        f"SELECT {quote(t)} FROM DUAL WHERE EXISTS(SELECT 1 FROM {name}.{quote_name(t)})"
        for t in tables)) if r}
    return [t for t in tables if t in held]


def restore(target, database, file, over=False, note=tell.say):
    """Brings a backup back into database (see the module's text). Returns the name of the
    database the earlier data was kept in, or None."""
    databases.check_name(database)
    file = os.path.abspath(file)
    try:
        os.stat(file)
    except OSError as e:
        raise SetupError(f"Cannot read the backup {file}: {e.strerror}: nothing restored") from None
    if not os.path.isfile(file):
        raise SetupError(f"{file} is no backup file: nothing restored")
    client = target.client
    stamp = _stamp().replace("-", "")
    new = restoreaccount.restore_database(database, stamp)
    aside = f"{database}_before_{stamp}"[:64]
    with target.lock:
        made = False
        try:
            left = restoreaccount.remove_leftovers(client, database)
            if left:
                note(f"Removed what an earlier restore left on {target.where}: {', '.join(left)}")
            _check_over(target, database, over)
            if _exists(client, aside):
                raise SetupError(f"The database {aside} exists already: try again in a second")
            client.run(f"CREATE DATABASE {databases.check_name(new)} CHARACTER SET utf8mb4"
                       " COLLATE utf8mb4_general_ci")
            made = True
            with restoreaccount.login(client, new) as account:
                _load(account, new, file)
            restorecheck.check_loaded(client, new, file)
            databases.apply_schema(client, new)
            # Rows may have come while it loaded: asked again right before they are replaced.
            current, holding = _check_over(target, database, over)
            saved = backup(target, database, note=note, locked=True) if holding else None
            _swap(target, database, new, aside, current)
        except BaseException as e:
            if made:
                with contextlib.suppress(SetupError):
                    client.run(f"DROP DATABASE IF EXISTS {databases.check_name(new)}")
            if isinstance(e, SetupError):
                raise SetupError(_nothing_restored(str(e))) from None
            raise
        databases.record_upgrades(client, database)
        if not databases.tables(client, new):
            client.run(f"DROP DATABASE {databases.check_name(new)}")
        kept = None
        if current:
            if _tables_with_rows(client, aside, current):
                kept = aside
            else:
                # Nothing reaches it since the swap: its emptiness cannot change any more.
                client.run(f"DROP DATABASE {databases.check_name(aside)}")
    note(f"Restored {file} into the database {database} of {target.where}")
    if kept:
        note(f"Its earlier data is kept in the database {kept}"
             + (f" and in the backup {saved}" if saved else "")
             + f": drop it (DROP DATABASE {kept}) once the restored data is checked")
    return kept


def _check_over(target, database, over):
    """The database's tables and those holding rows; refuses rows that are not to be replaced."""
    client = target.client
    current = databases.tables(client, database) if _exists(client, database) else []
    holding = _tables_with_rows(client, database, current)
    if holding and not over:
        raise SetupError(
            f"The database {database} on {target.where} holds rows ({', '.join(holding[:5])}"
            f"{', ...' if len(holding) > 5 else ''}): nothing restored. To replace them, add"
            " --over: its data is then backed up and kept aside in a database of its own"
        )
    return current, holding


def _swap(target, database, new, aside, current):
    """Moves the database's tables aside and the restored ones in, in one RENAME TABLE: all or
    nothing. Refused, it leaves no database it made."""
    client = target.client
    name, new_name, aside_name = (databases.check_name(d) for d in (database, new, aside))
    moves = [f"{name}.{quote_name(t)} TO {aside_name}.{quote_name(t)}" for t in current]
    moves += [f"{new_name}.{quote_name(t)} TO {name}.{quote_name(t)}"
              for t in databases.tables(client, new)]
    made = [] if _exists(client, database) else [database]
    made += [aside] if current else []
    statements = [f"CREATE DATABASE {databases.check_name(d)} CHARACTER SET utf8mb4 COLLATE"
                  " utf8mb4_general_ci" for d in made]
    # The program's open transactions hold the tables: a minute's wait, then a message.
    statements.append(f"SET SESSION lock_wait_timeout = {SWAP_WAIT}")
    statements.append("RENAME TABLE " + ", ".join(moves))
    try:
        client.run(";\n".join(statements) + ";", timeout=SWAP_WAIT * 2,
                   step="the swap of the restored tables")
    except SetupError as e:
        for d in made:
            with contextlib.suppress(SetupError):
                if not databases.tables(client, d):
                    client.run(f"DROP DATABASE IF EXISTS {databases.check_name(d)}")
        raise SetupError(
            f"{_one_line(str(e))}: nothing restored, the database {database} is as it was."
            " Close the program on every workstation and restore again"
        ) from None


def _one_line(text):
    """An error in one line: the client's copy of the statement that failed (between lines of
    dashes, maybe kilobytes long) left out, and no control character of the server's text."""
    text = QUERY_ECHO.sub("", text)
    return "".join(c if c.isprintable() else "?" for c in " ".join(text.split()))


def _nothing_restored(text):
    text = _one_line(text)
    return text if "nothing restored" in text else f"{text}: nothing restored"


def _load(client, database, file):
    """Loads a gzip'd dump into database as client (the restore's own account), refusing one
    that reaches elsewhere or is cut short. Neither the client's shell escapes nor its reading
    of local files are on."""
    command = _tool_command(client, "mariadb") + [
        "--batch", "--sandbox", "--local-infile=0", "--default-character-set=utf8mb4",
        f"--database={database}"]
    with tempfile.TemporaryFile() as unzip_err, tempfile.TemporaryFile() as load_err:
        unzip = subprocess.Popen(["gzip", "-dc", "--", file], stdin=subprocess.DEVNULL,
                                 stdout=subprocess.PIPE, stderr=unzip_err)
        load = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                stderr=load_err, env=client_env())
        # What came since the last line break: a statement there may go on in the next chunk.
        # A long one is an INSERT's line, which no foreign statement starts.
        pending = b""

        def foreign(chunk):
            nonlocal pending
            head = b"\n" + pending if len(pending) <= 256 else b"#"
            bad = FOREIGN.search(head + chunk)
            if bad:
                return bad.group(0).decode("utf-8", "replace").strip()
            cut = chunk.rfind(b"\n")
            pending = chunk[cut + 1:] if cut >= 0 else (pending + chunk)[:257]
            return None

        unzip_status, load_status, tail, broken, refused = _pump(unzip, load, foreign)
        if refused:
            raise SetupError(f"{file} holds a statement no backup of the program holds ({refused!r}):"
                             " nothing restored")
        # A load that stopped reading ended gzip too: its own failure is the one to name.
        if unzip_status != 0 and not broken:
            raise SetupError(f"{file} cannot be read as a backup: {_error_text(unzip_err)}:"
                             " nothing restored")
        if load_status != 0:
            raise SetupError(f"Loading {file} failed: {_error_text(load_err)}: nothing restored")
        if not COMPLETION.search(tail):
            raise SetupError(f"{file} is cut short (no completion line at its end): nothing"
                             " restored")
