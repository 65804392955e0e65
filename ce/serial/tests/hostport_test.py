#!/usr/bin/env python3
"""Runs hostport_probe.exe with COM9 of the Wine prefix mapped to a pty whose
other end answers every line with OK, as a module on a real serial line would,
and hangs up when the probe asks for it.
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
                try:
                    os.write(master, b"\r\nOK\r\n")
                except OSError:
                    return  # hung up


threading.Thread(target=answer, daemon=True).start()
code = 1
try:
    probe_run = subprocess.Popen([wine_run, probe], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE)
    timer = threading.Timer(60, probe_run.kill)
    timer.start()
    for raw in probe_run.stdout:
        line = raw.decode(errors="replace").rstrip()
        print(line, flush=True)
        if line == "HANGUP":
            os.close(master)  # the line goes dead under the open port
    code = probe_run.wait()
    timer.cancel()
finally:
    stop = True
    os.remove(link)
sys.exit(code)
