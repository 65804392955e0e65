#!/usr/bin/env python3
"""A phone module on a pseudo-terminal with modem lines, for the host-port path.

Plays the module from its AT command set (echo on, response blocks,
unsolicited codes, text-message send and acknowledgement) on the master side
of a pty, maps the slave to a COM port of the Wine prefix and gives it modem
lines through the preload library (libzenrig.so): the module's CD, RI, DSR
and CTS live in a shared state file that the library answers the modem-line
ioctls from, and DTR/RTS come back through it.

Then it runs one test program under Wine with the library preloaded; the
program asks the module end to act over a TCP control connection on
localhost (ZEN_RIG_CONTROL), one request line and one answer line at a time.

Usage: rig.py <wine-run.sh> <prefix> <libzenrig.so> <program.exe> [args...]
       rig.py --serve   plays the module on a new pty until interrupted and
                        prints the pty's name (for ZEN_MODEM_TTY of run-phone.sh)
"""
import mmap
import os
import pty
import random
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import tty

# Words of the state file (see rigstate.h).
MAGIC, MODULE_LINES, CTS_N, DSR_N, RNG_N, DCD_N, GONE, HOST_LINES, HOST_CHANGES, DTR_DROPS, REQUESTS, WAITS = range(12)
STATE_WORDS = 16
TIOCM_DTR, TIOCM_RTS, TIOCM_CTS, TIOCM_CAR, TIOCM_RNG, TIOCM_DSR = 0x002, 0x004, 0x020, 0x040, 0x080, 0x100
COUNTER = {TIOCM_CTS: CTS_N, TIOCM_DSR: DSR_N, TIOCM_RNG: RNG_N, TIOCM_CAR: DCD_N}
COM_PORT = "com8"

# Answers of the queries the link sends at start-up and in calls: the first
# block line (None: OK alone).
QUERIES = {
    b"AT$BATT?": b"3.92",
    b"AT$SYSTIME?": b"20261207120000",
    b"AT$PING?": b"4",
    b"AT$STSREG?": b"1",
    b"AT$DIAL?": b"01012345678",
    b"AT$VOL?": b"3",
    b"AT$RINGVOL?": b"2",
    b"AT$MTCNT?": b"0,0",
}


class State:
    def __init__(self, path):
        with open(path, "wb") as f:
            f.write(b"\0" * 4 * STATE_WORDS)
        self.fd = os.open(path, os.O_RDWR)
        self.map = mmap.mmap(self.fd, 4 * STATE_WORDS)
        self.lock = threading.Lock()
        self.set(MAGIC, 0x5A524947)

    def get(self, word):
        return struct.unpack_from("<I", self.map, 4 * word)[0]

    def set(self, word, value):
        struct.pack_into("<I", self.map, 4 * word, value & 0xFFFFFFFF)

    def line(self, bit, on):
        """Sets one of the module's lines; a change counts as a transition."""
        with self.lock:
            lines = self.get(MODULE_LINES)
            new = lines | bit if on else lines & ~bit
            if new != lines:
                self.set(COUNTER[bit], self.get(COUNTER[bit]) + 1)
                self.set(MODULE_LINES, new)


class Module:
    """The module's side of the line."""

    def __init__(self, master, state, slave=None):
        self.master = master
        self.slave = slave  # the port's end, to read how the host set the line
        self.state = state
        self.lock = threading.Lock()
        self.commands = []  # raw bytes of each command line, CR LF included
        self.call = "idle"
        self.caller = b""
        self.unplugged = False
        self.trace = False  # print each command line as it comes

    def send(self, data):
        with self.lock:
            if not self.unplugged:
                os.write(self.master, data)

    def unsolicited(self, text):
        self.send(b"\r\n" + text + b"\r\n")

    def serve(self):
        line = b""
        while True:
            try:
                data = os.read(self.master, 512)
            except OSError:
                return
            if not data:
                return
            for b in data:
                c = bytes([b])
                if c == b"\r":
                    self.send(line + b"\r")
                    self.commands.append(line + b"\r")
                    if self.trace:
                        print(line.decode("latin-1"), flush=True)
                    self.answer(line)
                    line = b""
                elif c == b"\n":
                    if self.commands and self.commands[-1].endswith(b"\r"):
                        self.commands[-1] += b"\n"
                    self.send(b"\n")
                elif line or c not in b" \0":
                    line += c  # blanks and NULs between commands are ignored

    def block(self, *lines, ok=True):
        out = b"\r\n"
        for l in lines:
            out += l + b"\r\n"
        out += b"OK\r\n" if ok else b"ERROR\r\n"
        self.send(out)

    def answer(self, cmd):
        if cmd in QUERIES:
            self.block(QUERIES[cmd])
        elif cmd == b"AT$CID?":
            self.block(self.caller) if self.caller else self.block()
        elif cmd == b"AT$SMSNEWMT0?":
            self.block(ok=False)  # no new message
        elif cmd == b"AT$QCCAV":
            if self.call == "ringing":
                self.call = "connected"
                self.state.line(TIOCM_RNG, False)
                self.block()
            else:
                self.block(ok=False)
        elif cmd == b"AT$REL":
            self.call = "idle"
            self.block()
            self.state.line(TIOCM_CAR, False)
        elif cmd.startswith(b"AT$SMSMO0="):
            self.block()
            threading.Timer(0.3, self.unsolicited, (b"$SMSMOACK",)).start()
        elif cmd.startswith(b"AT"):
            self.block()  # every other command of the set is taken
        # anything else is noise on the line: no answer

    def line_settings(self):
        """How the host configured the line: speed, framing, flow control."""
        import termios
        iflag, _, cflag, _, ispeed, ospeed, _ = termios.tcgetattr(self.slave)
        speeds = {getattr(termios, "B%d" % b): b for b in (9600, 19200, 38400, 57600, 115200, 230400)}
        size = {termios.CS5: 5, termios.CS6: 6, termios.CS7: 7, termios.CS8: 8}[cflag & termios.CSIZE]
        return "speed=%s/%s bits=%d parity=%d stop=%d rtscts=%d xonxoff=%d" % (
            speeds.get(ispeed, ispeed), speeds.get(ospeed, ospeed), size, 1 if cflag & termios.PARENB else 0,
            2 if cflag & termios.CSTOPB else 1, 1 if cflag & termios.CRTSCTS else 0,
            1 if iflag & (termios.IXON | termios.IXOFF) else 0)

    # Control requests -------------------------------------------------------

    def ring(self, number):
        self.call = "ringing"
        self.caller = number.encode()
        self.state.line(TIOCM_CAR, True)
        time.sleep(0.1)
        self.state.line(TIOCM_RNG, True)
        self.unsolicited(b"RING")
        self.unsolicited(b"*QRV*CNI: " + self.caller)
        time.sleep(0.15)
        self.state.line(TIOCM_RNG, False)

    def carrier(self, on):
        if not on:
            self.call = "idle"
        self.state.line(TIOCM_CAR, on)

    def flood(self, count):
        """Quick changes of CTS and DSR, ending where they began."""
        for i in range(count):
            self.state.line(TIOCM_CTS if i % 2 == 0 else TIOCM_DSR, (i // 2) % 2 == 1)
            time.sleep(0.0005)

    def ring_burst(self, count, period_ms):
        for _ in range(count):
            self.state.line(TIOCM_RNG, True)
            time.sleep(period_ms / 2000.0)
            self.state.line(TIOCM_RNG, False)
            time.sleep(period_ms / 2000.0)

    def wrong_speed(self, count):
        """What a line set to another speed delivers: bytes with no line ends."""
        rnd = random.Random(22)
        junk = bytes(rnd.choice(b"\x00\x80\xf8\xfe\xe0\x1c\x78\x86") for _ in range(count))
        self.send(junk)

    def unplug(self, link):
        """The adapter goes: the device node vanishes, the line hangs up."""
        self.state.set(GONE, 1)
        with self.lock:
            self.unplugged = True
            os.close(self.master)
        if os.path.lexists(link):
            os.remove(link)

    def control(self, request, link):
        words = request.split()
        if not words:
            return "error empty"
        op, args = words[0], words[1:]
        if op == "ring":
            self.ring(args[0])
        elif op == "carrier":
            self.carrier(args[0] == "1")
        elif op == "flood":
            self.flood(int(args[0]))
        elif op == "ringburst":
            self.ring_burst(int(args[0]), int(args[1]))
        elif op == "wrongspeed":
            self.wrong_speed(int(args[0]))
        elif op == "unsolicited":
            self.unsolicited(" ".join(args).encode())
        elif op == "unplug":
            self.unplug(link)
        elif op == "lines":
            s = self.state
            host = s.get(HOST_LINES)
            return "dtr=%d rts=%d drops=%d requests=%d" % (
                1 if host & TIOCM_DTR else 0, 1 if host & TIOCM_RTS else 0, s.get(DTR_DROPS), s.get(REQUESTS))
        elif op == "commands":
            return "|".join(c.rstrip(b"\r\n").decode("latin-1") for c in self.commands)
        elif op == "last":
            return self.commands[-1].hex() if self.commands else ""
        elif op == "count":
            return str(len(self.commands))
        elif op == "line":
            return self.line_settings()
        else:
            return "error unknown " + op
        return "ok"


def control_server(server, module, link):
    while True:
        try:
            conn, _ = server.accept()
        except OSError:
            return
        threading.Thread(target=control_conn, args=(conn, module, link), daemon=True).start()


def control_conn(conn, module, link):
    f = conn.makefile("rwb")
    for raw in f:
        try:
            reply = module.control(raw.decode().strip(), link)
        except Exception as e:  # a bad request is answered, not fatal
            reply = "error %s" % e
        f.write(reply.encode() + b"\n")
        f.flush()


def serve():
    master, slave = pty.openpty()
    tty.setraw(slave)
    work = tempfile.mkdtemp(prefix="zenrig")
    state = State(os.path.join(work, "state"))
    module = Module(master, state)
    module.trace = True
    print(os.ttyname(slave), flush=True)
    try:
        module.serve()
    except KeyboardInterrupt:
        pass


def main():
    if sys.argv[1:2] == ["--serve"]:
        serve()
        return
    wine_run, prefix, preload, program = sys.argv[1:5]
    master, slave = pty.openpty()
    tty.setraw(slave)
    slave_name = os.ttyname(slave)
    link = os.path.join(prefix, "dosdevices", COM_PORT)
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(slave_name, link)
    work = tempfile.mkdtemp(prefix="zenrig")
    state = State(os.path.join(work, "state"))
    state.line(TIOCM_DSR, True)  # the module is powered and ready
    state.line(TIOCM_CTS, True)
    module = Module(master, state, slave)
    threading.Thread(target=module.serve, daemon=True).start()
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.bind(("127.0.0.1", 0))
    server.listen(4)
    threading.Thread(target=control_server, args=(server, module, link), daemon=True).start()
    env = dict(os.environ)
    env.update(
        LD_PRELOAD=os.path.abspath(preload),
        ZEN_RIG_TTY=slave_name,
        ZEN_RIG_STATE=os.path.join(work, "state"),
        ZEN_RIG_CONTROL=str(server.getsockname()[1]),
        ZEN_RIG_PORT=COM_PORT.upper(),
    )
    try:
        result = subprocess.run([wine_run, program] + sys.argv[5:], stdin=subprocess.DEVNULL, env=env,
                                timeout=240)
        code = result.returncode
    except subprocess.TimeoutExpired:
        print("rig: the test program did not end")
        code = 1
    finally:
        server.close()
        if os.path.lexists(link):
            os.remove(link)
    # Wine's own serial code must have asked the library for the lines.
    if code == 0 and state.get(REQUESTS) == 0:
        print("rig: no modem-line request reached the preload library")
        code = 1
    sys.exit(code)


if __name__ == "__main__":
    main()
