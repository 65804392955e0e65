#!/usr/bin/env python3
"""Runs hostport_probe.exe with COM9 of the Wine prefix mapped to a pty whose
other end answers every line with OK, as a module on a real serial line would.
Usage: hostport_test.py <wine-run.sh> <prefix> <probe.exe>"""
import os
import pty
import subprocess
import sys
import threading
import tty

wine_run, prefix, probe = sys.argv[1:4]
master, slave = pty.openpty()
tty.setraw(slave)
link = os.path.join(prefix, "dosdevices", "com9")
if os.path.lexists(link):
    os.remove(link)
os.symlink(os.ttyname(slave), link)
stop = False


def answer():
    pending = b""
    while not stop:
        try:
            data = os.read(master, 256)
        except OSError:
            return
        pending += data
        while b"\r" in pending:
            line, pending = pending.split(b"\r", 1)
            if line.strip(b"\n"):
                os.write(master, b"\r\nOK\r\n")


threading.Thread(target=answer, daemon=True).start()
try:
    result = subprocess.run([wine_run, probe], stdin=subprocess.DEVNULL, timeout=60)
    code = result.returncode
except subprocess.TimeoutExpired:
    code = 1
finally:
    stop = True
    os.remove(link)
sys.exit(code)
