"""The one kind of failure the set-up reports to its user."""


class SetupError(Exception):
    """A step that cannot go on. Its message is for the user and names what to do; main()
    prints it once and exits with status 1. Nothing else prints a traceback for a failure
    the set-up expects."""
