"""How the set-up speaks to its user: what it did on standard output, notes and failures on
standard error, and a question that only "yes" answers."""

import sys


class SetupError(Exception):
    """A step that cannot go on. Its message is for the user and names what to do; main()
    prints it once and exits with status 1. Nothing else prints a traceback for a failure
    the set-up expects."""


def say(text):
    print(text, flush=True)


def note(text):
    sys.stdout.flush()
    print(text, file=sys.stderr, flush=True)


def confirm(question, yes=False):
    """Whether the user answers the question "yes" (always, with --yes)."""
    if yes:
        return True
    print(question + " Type yes to go on: ", end="", flush=True)
    try:
        answer = sys.stdin.readline()
    except (OSError, KeyboardInterrupt):
        answer = ""
    return answer.strip() == "yes"
