"""The set-up of Vertalumex: packages, build, the private MariaDB server and its databases.

Run through scripts/launch with Debian's /usr/bin/python3 -I; standard library only.
"""
