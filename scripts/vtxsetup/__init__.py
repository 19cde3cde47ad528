"""The set-up of Vertalumex: packages, build, the private MariaDB server and its databases.

Run through scripts/setup and scripts/launch by Debian's /usr/bin/python3 -I; standard library only.
"""
