#!/usr/bin/env python3
"""Scripted AT modem for tests: attaches to one end of a pty (e.g. made by socat)
or listens on a loopback TCP port, and answers like a Hayes/V.253 voice modem
("hayes" profile), a data-only Hayes modem ("data" profile) or a 3GPP 27.007
cellular module ("gsm" profile).

Each ATD consumes the next entry of --outcomes (the last one repeats):
  busy | answer | noanswer | nodialtone | nocarrier | connect
  | delayed | blacklisted | barred | cme | gibberish   (the modem refuses or says
  something no standard defines; hayes and data profiles)
--reply-delay makes every command line wait that long before it is carried out,
as a slow modem (or a busy USB bridge) does.
--control names a FIFO the test writes lines to: "ring NUMBER COUNT" rings COUNT times,
--ring-every seconds apart, with the caller ID after the first RING (NMBR/NAME after
AT+VCID=1, +CLIP after AT+CLIP=1); "hangup" is the far end hanging up a call.
Only the Python standard library is used.
"""
import argparse, os, select, socket, sys, termios, time, tty

DLE = b"\x10"
NUMERIC = {"OK": 0, "CONNECT": 1, "RING": 2, "NO CARRIER": 3, "ERROR": 4,
           "NO DIALTONE": 6, "BUSY": 7, "NO ANSWER": 8}


class Modem:
    def __init__(self, a, write):
        self.a, self.write_raw = a, write
        self.outcomes = a.outcomes.split(",")
        self.dials = 0
        self.log = open(a.log, "a") if a.log else None
        self.timers = []            # (when, fn)
        self.lines = []             # (when, command line) waiting out --reply-delay
        self.buf = b""
        self.reset()

    # ---------------- helpers
    def reset(self):
        self.echo, self.verbose, self.quiet, self.x = True, True, False, 4
        self.fclass, self.colp, self.vcid, self.clip, self.crc = 0, 0, 0, 0, 0
        self.ringing = None         # dict(number, left) while a call comes in
        self.state = "idle"         # idle | dialing | online-data | call (gsm/voice)
        self.call = None            # dict(number, stat)
        self.timers = []
        self.vrn = 10

    def logl(self, s):
        if self.log:
            self.log.write(f"{time.time():.3f} {s}\n"); self.log.flush()

    def out(self, b):
        self.logl(f"-> {b!r}")
        self.write_raw(b)

    def result(self, text):
        if self.quiet:
            return
        if self.verbose:
            self.out(b"\r\n" + text.encode() + b"\r\n")
        else:
            code = NUMERIC.get(text)
            self.out((str(code).encode() + b"\r") if code is not None
                     else (b"\r\n" + text.encode() + b"\r\n"))

    def info(self, text):
        self.out(b"\r\n" + text.encode() + b"\r\n")

    def later(self, sec, fn):
        self.timers.append((time.monotonic() + sec * self.a.scale, fn))

    def cancel_timers(self):
        self.timers = []

    def next_outcome(self):
        o = self.outcomes[min(self.dials, len(self.outcomes) - 1)]
        self.dials += 1
        return o

    # ---------------- input
    def feed(self, data):
        self.logl(f"<- {data!r}")
        if self.state == "dialing" and self.a.profile == "hayes":
            # V.250: any character from the DTE aborts dialing
            self.cancel_timers(); self.state = "idle"; self.call = None
            self.result("NO CARRIER")
            return
        if self.state == "online-data":
            self.buf += data
            if self.buf.endswith(b"+++"):
                self.buf = b""; self.state = "online-cmd"; self.result("OK")
            return
        for ch in data:
            c = bytes([ch])
            if self.echo:
                self.out(c)
            if c in (b"\r",):
                line, self.buf = self.buf.decode(errors="replace").strip(), b""
                if line and self.a.reply_delay > 0:
                    self.lines.append((time.monotonic() + self.a.reply_delay, line))
                elif line:
                    self.command_line(line)
            elif c == b"\n":
                continue
            elif c in (b"\x08", b"\x7f"):
                self.buf = self.buf[:-1]
            else:
                self.buf += c

    def command_line(self, line):
        if line.upper() == "A/":
            line = self.last if hasattr(self, "last") else "AT"
        if not line.upper().startswith("AT"):
            return
        self.last = line
        body = line[2:]
        i = 0
        while i < len(body):
            r = self.one(body, i)
            if r is None:
                self.result("ERROR"); return
            if r == "final":          # command produced/deferred its own final result
                return
            i = r
        self.result("OK")

    # returns next index, None for error, "final" if the rest of line is consumed
    def one(self, s, i):
        c = s[i].upper()
        def num(j):
            k = j
            while k < len(s) and s[k].isdigit():
                k += 1
            return (int(s[j:k]) if k > j else 0), k
        if c == "D":
            self.dial(s[i + 1:]); return "final"
        if c == "+":
            k = s.find(";", i)
            cmd = s[i:] if k < 0 else s[i:k]
            r = self.extended(cmd.upper())
            if r is False:
                return None
            if r == "final":
                return "final"
            return len(s) if k < 0 else k + 1
        if c == "&":
            _, k = num(i + 2)
            if s[i + 1:i + 2].upper() == "F":
                self.reset()
            return k
        if c in "EVQXMLHZIAOS":
            n, k = num(i + 1)
            if c == "E": self.echo = bool(n)
            elif c == "V": self.verbose = bool(n)
            elif c == "Q": self.quiet = bool(n)
            elif c == "X": self.x = n
            elif c in "ML": pass                # speaker on/off, loudness: nothing to do
            elif c == "Z": self.reset()
            elif c == "H": self.hangup_local()
            elif c == "I":
                self.info({0: "56000", 3: "ModemProto FM-56D data modem" if self.a.profile == "data"
                           else "ModemProto FM-56V voice modem",
                           4: "modemproto scripted modem"}.get(n, "OK" if n else "56000"))
            elif c == "A":
                return self.answer()
            elif c == "O":
                if self.state == "online-cmd":
                    self.state = "online-data"; self.result("CONNECT 33600"); return "final"
                self.result("NO CARRIER"); return "final"
            elif c == "S":            # Sn=v or Sn?
                m, k = num(i + 1)
                if k < len(s) and s[k] == "=":
                    _, k = num(k + 1)
                elif k < len(s) and s[k] == "?":
                    self.info("050"); k += 1
            return k
        return None

    def extended(self, cmd):
        gsm = self.a.profile == "gsm"
        data = self.a.profile == "data"
        ident = {"+GMI": "ModemProto", "+GMM": "FM-GSM" if gsm else "FM-56D" if data else "FM-56V",
                 "+GMR": "1.0", "+CGMI": "ModemProto", "+CGMM": "FM-GSM",
                 "+CGMR": "1.0", "+CGSN": "490154203237518", "+GSN": "490154203237518"}
        if cmd in ident:
            self.info(ident[cmd]); return True
        if cmd == "+GCAP":
            self.info("+GCAP: +CGSM" if gsm else "+GCAP: +FCLASS,+MS,+ES,+DS"); return True
        if cmd.startswith("+FCLASS"):
            if cmd == "+FCLASS=?":
                self.info("0" if gsm else "0,1" if data else "0,1,8"); return True
            if cmd == "+FCLASS?":
                self.info(str(self.fclass)); return True
            try:
                v = int(cmd.split("=")[1])
            except (IndexError, ValueError):
                return False
            if v not in ((0,) if gsm else (0, 1) if data else (0, 1, 8)):
                return False
            self.fclass = v; return True
        if cmd.startswith("+VTS="):
            # A tone only goes on a voice call that is up; the log keeps them in order.
            if gsm:
                talking = bool(self.call) and self.call["stat"] == 0
            else:
                talking = self.state == "call" and self.fclass == 8
            if not talking:
                return False
            self.logl(f"TONE {cmd[5:]}")
            return True
        if cmd.startswith("+VCID=") and not gsm:
            self.vcid = int(cmd[6:] or 0); return True
        if cmd.startswith("+CLIP=") and gsm:
            self.clip = int(cmd[6:] or 0); return True
        if cmd.startswith("+V") and not gsm:
            if self.fclass != 8:
                return False
            if cmd.startswith("+VRN="):
                self.vrn = int(cmd[5:] or 0)
            if cmd.endswith("=?"):
                self.info("(0-255)")
            return True
        if gsm:
            if cmd == "+CLCC":
                if self.call:
                    d = self.call.get("dir", 0)
                    self.info(f'+CLCC: 1,{d},{self.call["stat"]},0,0,"{self.call["number"]}",129')
                return True
            if cmd in ("+CHUP",):
                self.hangup_local(); return True
            if cmd.startswith("+COLP="):
                self.colp = int(cmd[6:] or 0); return True
            if cmd == "+CEER":
                self.info("+CEER: " + getattr(self, "ceer", "No cause information available")); return True
            if cmd == "+CPAS":
                st = 0 if not self.call else (4 if self.call["stat"] == 0 else 3)
                self.info(f"+CPAS: {st}"); return True
            if cmd == "+CPIN?":
                self.info("+CPIN: READY"); return True
            if cmd in ("+CREG?", "+CGREG?"):
                self.info(cmd[:-1] + ": 0,1"); return True
            if cmd == "+CSQ":
                self.info("+CSQ: 20,99"); return True
            if cmd == "+CIMI":
                self.info("001010123456789"); return True
            if cmd == "+CFUN?":
                self.info("+CFUN: 1"); return True
            if cmd == "+COPS?":
                self.info('+COPS: 0,0,"ModemProto Net",7'); return True
            if cmd == "+CEREG?":
                self.info("+CEREG: 0,1"); return True
            if cmd.startswith("+CRC="):
                self.crc = int(cmd[5:] or 0); return True
            if cmd.startswith(("+CMEE", "+CREG=", "+CGREG=", "+CEREG=", "+CSCS", "+CMER",
                               "+CFUN", "+CLCC=", "+CSSN=", "+CCWA=", "+COPS=", "+CVHU", "+CTZU")):
                return True
        return False

    # ---------------- calls
    def dial(self, rest):
        voice = rest.strip().endswith(";")
        number = "".join(ch for ch in rest if ch.isdigit() or ch in "*#+")
        outcome = self.next_outcome()
        self.logl(f"DIAL {number!r} voice={voice} fclass={self.fclass} outcome={outcome}")
        d = self.a.delay
        if self.a.profile == "gsm":
            return self.dial_gsm(number, voice, outcome, d)
        refusal = {"delayed": "DELAYED", "blacklisted": "BLACKLISTED", "barred": "CALL BARRED",
                   "cme": "+CME ERROR: 258", "gibberish": "LINE IN USE BY FAX"}.get(outcome)
        if refusal:
            self.state = "dialing"
            return self.later(d / 3, lambda: self.end(refusal))
        self.state = "dialing"
        # dial-tone check happens before dialling (X2/X4 report it)
        if outcome == "nodialtone":
            return self.later(d, lambda: self.end("NO DIALTONE" if self.x in (2, 4) else "NO CARRIER"))
        if self.fclass == 8:                         # V.253 voice mode
            if self.vrn == 0:                        # +VRN=0: VCON right after dialling,
                def vcon():                          # then tones arrive as <DLE> codes
                    self.state = "call"; self.result("VCON")
                    code = {"busy": b"b", "noanswer": None, "nocarrier": b"d"}.get(outcome)
                    if code:
                        self.dle_repeat(code)
                    elif self.a.call_len and outcome in ("answer", "connect"):
                        self.later(self.a.call_len, lambda: self.dle_repeat(b"b"))
                return self.later(d / 2, vcon)
            res = {"busy": "BUSY" if self.x in (3, 4) else "NO CARRIER", "answer": "VCON",
                   "connect": "VCON", "noanswer": "NO ANSWER", "nocarrier": "NO CARRIER"}[outcome]
            def fin():
                if res == "VCON":
                    self.state = "call"; self.result("VCON")
                    if self.a.call_len:
                        self.later(self.a.call_len, lambda: self.dle_repeat(b"b"))
                else:
                    self.end(res)
            return self.later(d, fin)
        if voice:                                    # data modem, ATD..; : OK after dialling,
            def ok():                                # no call-progress information at all
                self.state = "call"; self.result("OK")
            return self.later(d / 2, ok)
        res = {"busy": "BUSY" if self.x in (3, 4) else "NO CARRIER",
               "answer": "NO CARRIER",               # a human answers: no carrier, S7 timeout
               "noanswer": "NO CARRIER", "nocarrier": "NO CARRIER", "connect": "CONNECT 33600"}[outcome]
        def fin2():
            if res.startswith("CONNECT"):
                self.state = "online-data"; self.result(res)
            else:
                self.end(res)
        self.later(d, fin2)

    def dle_repeat(self, code, n=3):
        if self.state != "call" or n == 0:
            return
        self.out(DLE + code)
        self.later(self.a.delay, lambda: self.dle_repeat(code, n - 1))

    def dial_gsm(self, number, voice, outcome, d):
        if not voice:
            return self.later(d, lambda: self.result("NO CARRIER"))
        self.call = {"number": number, "stat": 2}
        self.state = "call"
        waits = (self.colp and not self.a.ignore_colp) or self.a.atd_waits
        if not waits:
            self.result("OK")                        # ATD..; returns at once
        def alerting():
            if self.call: self.call["stat"] = 3
        self.later(d / 3, alerting)
        def fin():
            if not self.call:
                return
            if outcome in ("answer", "connect"):
                self.call["stat"] = 0
                if self.colp:
                    self.info(f'+COLP: "{number}",129')
                if waits:
                    self.result("OK")
                if self.a.call_len:
                    self.later(self.a.call_len, lambda: self.end("NO CARRIER", "Normal call clearing"))
            else:
                res = {"busy": "BUSY", "noanswer": "NO ANSWER", "nocarrier": "NO CARRIER",
                       "nodialtone": "NO CARRIER"}[outcome]
                self.end(res, {"busy": "User busy", "noanswer": "No user responding"}.get(
                    outcome, "Call rejected"))
        self.later(d, fin)

    def ring(self, number, count):
        self.ringing = {"number": number, "left": count, "first": True}
        self.ring_once()

    def ring_once(self):
        r = self.ringing
        if not r or self.state != "idle":
            return
        gsm = self.a.profile == "gsm"
        if r["left"] <= 0:                       # the caller gives up
            self.logl("CALLER GAVE UP"); self.ringing = None
            if gsm:
                self.call = None
            return
        r["left"] -= 1
        self.logl(f"RING {r['number']!r}")
        if gsm:                                  # an incoming call (direction 1) rings (4)
            self.call = {"number": r["number"], "stat": 4, "dir": 1}
        if gsm and self.crc:
            self.info("+CRING: VOICE")
        else:
            self.result("RING")
        if r["first"]:
            r["first"] = False
            if self.vcid:
                for line in ("DATE = 1208", "TIME = 1830", f"NMBR = {r['number']}", "NAME = CALLER"):
                    self.info(line)
            if self.clip:
                self.info(f'+CLIP: "{r["number"]}",145')
        self.later(self.a.ring_every, self.ring_once)

    def answer(self):
        if not self.ringing:
            self.result("NO CARRIER"); return "final"
        number, self.ringing = self.ringing["number"], None
        self.cancel_timers()
        self.logl(f"ANSWER {number!r} fclass={self.fclass}")
        if self.a.profile == "gsm":
            self.call = {"number": number, "stat": 0, "dir": 1}
            self.state = "call"; self.result("OK")
        elif self.fclass == 8:
            self.state = "call"; self.result("VCON")
        else:
            self.later(self.a.delay, lambda: self.end("NO CARRIER"))
        return "final"

    def control(self, line):
        words = line.split()
        if words[:1] == ["ring"] and len(words) == 3:
            self.ring(words[1], int(words[2]))
        elif words == ["hangup"] and self.state == "call":
            self.logl("FAR END HUNG UP")
            if self.a.profile == "gsm":
                self.end("NO CARRIER")
            else:
                self.dle_repeat(b"b")

    def end(self, res, cause=None):
        self.state, self.call = "idle", None
        if cause:
            self.ceer = cause
        self.result(res)

    def hangup_local(self):
        self.cancel_timers()
        if self.ringing:                          # a call that rings is refused
            self.logl("REFUSED"); self.ringing = None
        if self.call:
            self.ceer = "Normal call clearing"
        self.state, self.call = "idle", None

    def tick(self):
        now = time.monotonic()
        while self.lines and self.lines[0][0] <= now:
            self.command_line(self.lines.pop(0)[1])
        due = [t for t in self.timers if t[0] <= now]
        self.timers = [t for t in self.timers if t[0] > now]
        for _, fn in due:
            fn()

    def timeout(self):
        due = [t[0] for t in self.timers] + [t[0] for t in self.lines]
        if not due:
            return 0.5
        return max(0.0, min(due) - time.monotonic())


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--tty", help="pty path to attach to (other end of a socat pair)")
    p.add_argument("--tcp", type=int, help="listen on 127.0.0.1:PORT instead")
    p.add_argument("--unix", help="listen on a UNIX socket; '@name' = abstract (ModemManager virtual ports)")
    p.add_argument("--profile", choices=["hayes", "data", "gsm"], default="hayes")
    p.add_argument("--outcomes", default="busy,answer")
    p.add_argument("--delay", type=float, default=1.0, help="call-progress delay, seconds")
    p.add_argument("--call-len", type=float, default=0, help="remote hangs up after N s (0: never)")
    p.add_argument("--scale", type=float, default=1.0)
    p.add_argument("--reply-delay", type=float, default=0, help="seconds before each command runs")
    p.add_argument("--atd-waits", action="store_true",
                   help="gsm: ATD..; returns its final result only when the call is answered/fails")
    p.add_argument("--ignore-colp", action="store_true", help="gsm: +COLP=1 does not delay ATD's OK")
    p.add_argument("--control", help="FIFO of test commands (ring NUMBER COUNT, hangup)")
    p.add_argument("--ring-every", type=float, default=6.0, help="seconds between RINGs")
    p.add_argument("--log")
    a = p.parse_args()
    control = None
    if a.control:
        if not os.path.exists(a.control):
            os.mkfifo(a.control)
        # Open for writing too, so that the FIFO never reads as closed between writers.
        control = os.open(a.control, os.O_RDWR | os.O_NONBLOCK)
    if a.tty:
        fd = os.open(a.tty, os.O_RDWR | os.O_NOCTTY)
        tty.setraw(fd)
        m = Modem(a, lambda b: os.write(fd, b))
        m.logl("ready")             # raw mode set: nothing written from now on is flushed
        conns = [fd]
        rd = lambda f: os.read(f, 4096)
    else:
        if a.unix:
            srv = socket.socket(socket.AF_UNIX)
            srv.bind("\0" + a.unix[1:] if a.unix.startswith("@") else a.unix)
        else:
            srv = socket.socket(); srv.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            srv.bind(("127.0.0.1", a.tcp))
        srv.listen(1)
        c, _ = srv.accept()
        m = Modem(a, lambda b: conns[0].sendall(b))
        conns = [c]
        rd = lambda f: f.recv(4096)
    pending = b""
    while True:
        r, _, _ = select.select(conns + ([control] if control is not None else []), [], [],
                                m.timeout())
        if control is not None and control in r:
            pending += os.read(control, 4096)
            while b"\n" in pending:
                line, pending = pending.split(b"\n", 1)
                m.control(line.decode(errors="replace"))
            r = [f for f in r if f != control]
        if r:
            data = rd(conns[0])
            if not data:
                if a.tty:          # the other side of the pty closed; keep serving
                    time.sleep(0.1); continue
                conns[0].close(); m.logl("client closed; waiting for a new one")
                conns[0], _ = srv.accept(); m.buf = b""; continue
            m.feed(data)
        m.tick()


if __name__ == "__main__":
    main()
