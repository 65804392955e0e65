#!/usr/bin/env python3
"""The modem-line preload library on its own, without Wine: it answers the
modem-line requests for the rig's pty only, from and into the state file,
and leaves every other descriptor to the kernel.
Usage: preload_test.py <libzenrig.so>"""
import errno
import fcntl
import os
import pty
import struct
import sys
import tempfile
import termios
import threading
import time
import tty

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import rig  # noqa: E402  (the state file's layout)

TIOCMIWAIT = getattr(termios, "TIOCMIWAIT", 0x545C)
TIOCGICOUNT = getattr(termios, "TIOCGICOUNT", 0x545D)

if os.environ.get("LD_PRELOAD") != os.path.abspath(sys.argv[1]):
    # The library must be in place before this process starts.
    master, slave = pty.openpty()
    tty.setraw(slave)
    os.set_inheritable(master, True)  # the pty stays up across the exec
    os.set_inheritable(slave, True)
    work = tempfile.mkdtemp(prefix="zenrig")
    env = dict(os.environ, LD_PRELOAD=os.path.abspath(sys.argv[1]), ZEN_RIG_TTY=os.ttyname(slave),
               ZEN_RIG_STATE=os.path.join(work, "state"))
    rig.State(env["ZEN_RIG_STATE"])
    os.execve(sys.executable, [sys.executable] + sys.argv + [str(slave)], env)

slave = int(sys.argv[2])
state = rig.State.__new__(rig.State)
state.fd = os.open(os.environ["ZEN_RIG_STATE"], os.O_RDWR)
import mmap  # noqa: E402
state.map = mmap.mmap(state.fd, 4 * rig.STATE_WORDS)
state.lock = threading.Lock()
failures = []


def check(what, ok):
    print(("ok: " if ok else "FAILED: ") + what)
    if not ok:
        failures.append(what)


def mget(fd):
    return struct.unpack("i", fcntl.ioctl(fd, termios.TIOCMGET, struct.pack("i", 0)))[0]


def mcall(fd, request, bits):
    fcntl.ioctl(fd, request, struct.pack("i", bits))


# The module's lines as the port reports them.
state.line(rig.TIOCM_DSR, True)
state.line(rig.TIOCM_CTS, True)
check("TIOCMGET shows DSR and CTS", mget(slave) == rig.TIOCM_DSR | rig.TIOCM_CTS)
state.line(rig.TIOCM_CAR, True)
check("carrier shows at once", mget(slave) & rig.TIOCM_CAR != 0)

# DTR and RTS go back; a drop of DTR is counted.
mcall(slave, termios.TIOCMBIS, rig.TIOCM_DTR | rig.TIOCM_RTS)
check("TIOCMBIS raises DTR and RTS", state.get(rig.HOST_LINES) == rig.TIOCM_DTR | rig.TIOCM_RTS)
mcall(slave, termios.TIOCMBIC, rig.TIOCM_DTR)
check("TIOCMBIC drops DTR only", state.get(rig.HOST_LINES) == rig.TIOCM_RTS and state.get(rig.DTR_DROPS) == 1)
mcall(slave, termios.TIOCMSET, rig.TIOCM_DTR | rig.TIOCM_CAR)
check("TIOCMSET sets our lines, never the module's",
      state.get(rig.HOST_LINES) == rig.TIOCM_DTR and state.get(rig.MODULE_LINES) & rig.TIOCM_CAR)
check("TIOCMGET reports both sides", mget(slave) & rig.TIOCM_DTR and mget(slave) & rig.TIOCM_DSR)

# The change counts of TIOCGICOUNT follow the module's lines.
counts = struct.unpack("20i", fcntl.ioctl(slave, TIOCGICOUNT, bytes(80)))
check("TIOCGICOUNT counts cts, dsr, rng, dcd", counts[:4] == (1, 1, 0, 1))

# TIOCMIWAIT sleeps until a line of its mask changes, and only then.
def ring_later():
    time.sleep(0.15)
    state.line(rig.TIOCM_CTS, False)  # not waited for
    time.sleep(0.15)
    state.line(rig.TIOCM_RNG, True)


threading.Thread(target=ring_later).start()
start = time.monotonic()
fcntl.ioctl(slave, TIOCMIWAIT, rig.TIOCM_RNG | rig.TIOCM_CAR)
waited = time.monotonic() - start
check("TIOCMIWAIT returns on the ring line, not on CTS (%.2f s)" % waited, 0.25 <= waited < 2.0)

# Another terminal is left to the kernel: a pty has no modem lines.
other_master, other = pty.openpty()
try:
    mget(other)
    check("another pty is not answered for", False)
except OSError as e:
    check("another pty is not answered for", e.errno in (errno.ENOTTY, errno.EINVAL))

# The device gone: every request fails with EIO, and a waiter wakes.
def unplug_later():
    time.sleep(0.1)
    state.set(rig.GONE, 1)


threading.Thread(target=unplug_later).start()
try:
    fcntl.ioctl(slave, TIOCMIWAIT, rig.TIOCM_CAR)
    check("a waiter wakes with EIO when the device goes", False)
except OSError as e:
    check("a waiter wakes with EIO when the device goes", e.errno == errno.EIO)
try:
    mget(slave)
    check("TIOCMGET fails once the device is gone", False)
except OSError as e:
    check("TIOCMGET fails once the device is gone", e.errno == errno.EIO)

if not failures:
    print("PASSED: preload library")
sys.exit(1 if failures else 0)
