#!/usr/bin/env python3
"""End-to-end scenarios: the real Clepsydrium.exe under Wine and Xvfb, against
a test shell of ours that plays the taskbar (shell.cpp).

    e2e.py --exe EXE --shell SHELL.exe --dll SHELL.dll --inject INJECT.exe \
           --work DIR --version X.Y.Z SCENARIO

Each scenario gets its own Xvfb, its own copy of a prepared Wine prefix and its
own copy of the exe (so its own INI file). Every wait polls with a deadline.
Whatever the scenario started is stopped by PID at the end, failed or not; a
failed scenario keeps its logs and screenshots in DIR/SCENARIO.
"""

import argparse
import fcntl
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import time

SCREEN = (1024, 768)
CAPTION = 19
TICKER_HEIGHT = CAPTION - 5
CLOCK_WIDTH = 44  # the test shell's clock
WS_BORDER = 0x00800000
WS_EX_STATICEDGE = 0x00020000
NIF_MESSAGE = 0x1
WM_MOUSEMOVE = 0x0200
IDOK, IDCANCEL = 1, 2

# The context menu, top to bottom; "-" is a separator.
MENU = ["Set Date/Time", "home page", "About", "-", "Roman date in Tooltip",
        "Use Roman year (from 753 BC)", "Medieval script (4=IV, 9=IX, etc.)", "Display 0 as dash",
        "-", "Lowercase", "Borders", "-", "Text colour", "Background colour", "Set font", "-",
        "Hours, minutes, seconds", "Hours and minutes", "-", "Exit"]

ABOUT_PURPOSE = "Display time in roman numerals and date in Latin in Windows systray"


class Failure(Exception):
    pass


class Stop(BaseException):
    """SIGTERM or SIGINT: unwind through the clean-up like a failure."""


def check(condition, message):
    if not condition:
        raise Failure(message)


# --- Roman clock text, to compare the ticker with -----------------------------

UNITS = ["", "I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX"]
TENS = ["", "X", "XX", "XXX", "XL", "L", "LX", "LXX", "LXXX", "XC"]


def numeral(value, medieval=True, dash=False):
    if value == 0:
        return "-" if dash else ""
    tens, units = TENS[value // 10], UNITS[value % 10]
    if not medieval:
        tens = {"XL": "XXXX", "XC": "LXXXX"}.get(tens, tens)
        units = {"IV": "IIII", "IX": "VIIII"}.get(units, units)
    return tens + units


def clock_text(moment, seconds=True, medieval=True, dash=False, lower=False):
    t = time.localtime(moment)
    parts = [t.tm_hour, t.tm_min] + ([t.tm_sec] if seconds else [])
    text = ":".join(numeral(p, medieval, dash) for p in parts)
    if lower:
        text = text.lower()
    pad = ((6 if seconds else 4) * 4 - len(text) - 2) // 2
    return " " * max(pad, 0) + text


# --- Processes ---------------------------------------------------------------------


def processes_with_prefix(prefix):
    """PIDs of the processes whose environment names this Wine prefix."""
    marker = b"\0WINEPREFIX=" + os.fsencode(prefix) + b"\0"
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            with open(f"/proc/{entry}/environ", "rb") as f:
                if marker in b"\0" + f.read():
                    found.append(int(entry))
        except OSError:
            pass
    return found


def alive(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().split(") ")[-1][:1] != "Z"
    except OSError:
        return False


def wait_until(predicate, timeout, what, interval=0.05):
    """Polls predicate until it gives a true value, at most timeout seconds."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        try:
            last = predicate()
            if last:
                return last
        except (OSError, ValueError, KeyError, IndexError) as error:
            last = error
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout} s waiting for {what} (last: {last!r})")
        time.sleep(interval)


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


# --- The rig ------------------------------------------------------------------------


class Rig:
    """One scenario's Xvfb, prefix, shell and programs."""

    def __init__(self, args, name):
        self.args = args
        self.name = name
        self.dir = os.path.join(args.work, name)
        self.prefix = os.path.join(self.dir, "prefix")
        self.app = os.path.join(self.dir, "app")
        self.exe = os.path.join(self.app, "Clepsydrium.exe")
        self.ini = os.path.join(self.app, "Clepsydrium.ini")
        self.shots = os.path.join(self.dir, "shots")
        self.logs = os.path.join(self.dir, "logs")
        self.xvfb = None
        self.display = None
        self.started = []  # every Popen of ours, Xvfb first
        self.shell = None
        self.shell_dir = None
        self.shell_count = 0
        self.seq = 0
        self.events_path = None

    # Set-up and clean-up -------------------------------------------------------------

    def __enter__(self):
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        for key in [k for k in self.env if k.startswith("CLEP_SHELL_")]:
            del self.env[key]
        self.sweep_leftovers()
        shutil.rmtree(self.dir, ignore_errors=True)
        for folder in (self.app, self.shots, self.logs):
            os.makedirs(folder)
        try:
            template = prepare_template(self.args.work)
            subprocess.run(["cp", "-a", template, self.prefix], check=True)
            shutil.copy(self.args.exe, self.exe)
            self.start_xvfb()
            self.env["DISPLAY"] = self.display
            self.note_pids()
        except BaseException as error:
            self.__exit__(type(error), error, None)
            raise
        return self

    def __exit__(self, kind, error, trace):
        # A second signal must not cut the clean-up short.
        signal.signal(signal.SIGTERM, signal.SIG_IGN)
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        failed = kind is not None
        if failed and self.display:
            try:
                self.screenshot("failure")
            except Exception as shot_error:  # the failure itself matters more
                print(f"no failure screenshot: {shot_error}", file=sys.stderr)
        self.stop_all()
        shutil.rmtree(self.prefix, ignore_errors=True)
        with open(os.path.join(self.dir, "result.txt"), "w") as f:
            f.write(f"{'FAILED: ' + str(error) if failed else 'passed'}\n")
        if failed:
            print(f"{self.name}: logs and screenshots kept in {self.dir}", file=sys.stderr)
        return False

    def start_xvfb(self):
        read_end, write_end = os.pipe()
        log = open(os.path.join(self.logs, "xvfb.log"), "wb")
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24",
             "-nolisten", "tcp", "-noreset"], pass_fds=[write_end], stdout=log, stderr=log)
        self.started.append(self.xvfb)
        os.close(write_end)
        # Xvfb writes the number and the newline separately; closing the pipe
        # between the two kills it.
        data = b""
        deadline = time.monotonic() + 20
        while not data.endswith(b"\n") and time.monotonic() < deadline:
            ready, _, _ = select.select([read_end], [], [], 0.5)
            chunk = os.read(read_end, 32) if ready else b""
            if ready and not chunk:
                break
            data += chunk
        os.close(read_end)
        number = data.decode().strip()
        check(number.isdigit(), "Xvfb did not report its display")
        self.display = ":" + number

    def note_pids(self):
        with open(os.path.join(self.dir, "pids.txt"), "w") as f:
            f.write(f"prefix={self.prefix}\ndisplay={self.display}\n")
            f.write("".join(f"pid={p.pid}\n" for p in self.started))

    def sweep_leftovers(self):
        """A run killed outright (SIGKILL) leaves its processes: stop them."""
        pids = os.path.join(self.dir, "pids.txt")
        if not os.path.exists(pids):
            return
        with open(pids) as f:
            lines = dict(line.strip().split("=", 1) for line in f if "=" in line)
        prefix = lines.get("prefix")
        if prefix:
            for pid in processes_with_prefix(prefix):
                os.kill(pid, signal.SIGKILL)
        with open(pids) as f:
            for line in f:
                if line.startswith("pid="):
                    pid = int(line[4:])
                    try:
                        cmdline = open(f"/proc/{pid}/cmdline", "rb").read()
                    except OSError:
                        continue
                    if cmdline.startswith(b"Xvfb"):
                        os.kill(pid, signal.SIGKILL)

    def stop_all(self):
        """Stops everything started here: Wine by its server, then by PID."""
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30, check=False)
        deadline = time.monotonic() + 10
        while True:
            left = [pid for pid in processes_with_prefix(self.prefix) if alive(pid)]
            left += [p.pid for p in self.started[1:] if p.poll() is None]
            if not left:
                break
            if time.monotonic() > deadline:
                for pid in left:
                    try:
                        os.kill(pid, signal.SIGKILL)
                    except ProcessLookupError:
                        pass
                deadline = time.monotonic() + 5
            time.sleep(0.05)
        for process in self.started[1:]:
            process.wait(timeout=10)
        if self.xvfb is not None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait(timeout=10)

    # Processes under Wine ------------------------------------------------------------

    def wine(self, name, command, env=None):
        log = open(os.path.join(self.logs, f"{name}.log"), "wb")
        process = subprocess.Popen(["wine"] + command, env=env or self.env, cwd=self.app,
                                   stdout=log, stderr=subprocess.STDOUT)
        self.started.append(process)
        self.note_pids()
        return process

    def start_shell(self, mode="full", **settings):
        """Starts the test shell as a process and waits until it is ready."""
        if self.shell is not None and self.shell.poll() is None:
            self.command("quit")
            wait_until(lambda: self.shell.poll() is not None, 10, "the old shell to end")
        self.shell_count += 1
        self.shell_dir = os.path.join(self.dir, f"shell{self.shell_count}")
        os.makedirs(self.shell_dir)
        self.seq = 0
        self.events_path = os.path.join(self.shell_dir, "events.log")
        env = dict(self.env, CLEP_SHELL_DIR=winpath(self.shell_dir), CLEP_SHELL_MODE=mode)
        for key, value in settings.items():
            env["CLEP_SHELL_" + key.upper()] = str(value)
        self.shell = self.wine(f"shell{self.shell_count}", [self.args.shell], env)
        self.wait_shell_ready(self.shell)

    def wait_shell_ready(self, process):
        def ready():
            check(process.poll() is None, f"the shell ended with code {process.returncode}: "
                  f"{self.tail_events()}")
            return "\tready" in self.read_events() or None
        wait_until(ready, 30, "the test shell")
        check("FATAL" not in self.read_events(), f"shell: {self.tail_events()}")

    def start_program(self, name="program"):
        return self.wine(name, [self.exe])

    def start_injected(self, name="program", **settings):
        """The program with the shell inside it, so that its painting shows."""
        self.shell_count += 1
        self.shell_dir = os.path.join(self.dir, f"shell{self.shell_count}")
        os.makedirs(self.shell_dir)
        self.seq = 0
        self.events_path = os.path.join(self.shell_dir, "events.log")
        env = dict(self.env, CLEP_SHELL_DIR=winpath(self.shell_dir), CLEP_SHELL_MODE="full")
        for key, value in settings.items():
            env["CLEP_SHELL_" + key.upper()] = str(value)
        process = self.wine(name, [self.args.inject, winpath(self.args.dll), winpath(self.exe)],
                            env)
        self.shell = process
        self.wait_shell_ready(process)
        return process

    def wait_exit(self, process, timeout=10):
        wait_until(lambda: process.poll() is not None, timeout, "the process to end")
        return process.returncode

    # The shell's files ---------------------------------------------------------------

    def read_events(self):
        try:
            with open(self.events_path, encoding="utf-8", errors="replace") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def tail_events(self, count=8):
        return " | ".join(self.read_events().splitlines()[-count:])

    def mark(self):
        return len(self.read_events().splitlines())

    def events_since(self, mark):
        """The events after the mark, as (kind, {key: value}) pairs."""
        result = []
        for line in self.read_events().splitlines()[mark:]:
            fields = line.split("\t", 1)
            if len(fields) < 2:
                continue
            words = fields[1].split(" ")
            values = dict(w.split("=", 1) for w in words[1:] if "=" in w)
            if words[0] == "icon":
                values["verb"] = words[1]
            result.append((words[0], values))
        return result

    def timed_events(self, mark):
        """The events after the mark as (tick in ms, kind, the rest of the line)."""
        result = []
        for line in self.read_events().splitlines()[mark:]:
            tick, _, rest = line.partition("\t")
            kind, _, rest = rest.partition(" ")
            result.append((int(tick), kind, rest))
        return result

    def process_start_tick(self, pid):
        """When the process started, on the clock of the shell's event log."""
        reply = dict(line.split("=", 1) for line in self.command("times", pid).splitlines())
        return int(reply["tick"]) - (int(reply["now"]) - int(reply["created"])) / 10000

    def state(self):
        with open(os.path.join(self.shell_dir, "state.txt"), encoding="utf-8") as f:
            return dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)

    def command(self, verb, *args, timeout=10):
        """Sends a command to the shell and returns its reply once it is done."""
        self.seq += 1
        seq = self.seq
        with open(os.path.join(self.shell_dir, "commands.txt"), "a") as f:
            f.write("\t".join([str(seq), verb] + [str(a) for a in args]) + "\n")
        done = re.compile(rf"\tdone seq={seq} ok=(\d)(?: error=(.*))?$", re.M)

        def finished():
            found = done.search(self.read_events())
            check(found or self.shell.poll() is None, "the shell has ended")
            return found
        found = wait_until(finished, timeout, f"the shell's answer to {verb}")
        check(found.group(1) == "1", f"shell command {verb} {args}: {found.group(2)}")
        with open(os.path.join(self.shell_dir, f"reply-{seq}.txt"), encoding="utf-8") as f:
            return f.read()

    def windows(self):
        """The top-level windows: dicts of hwnd, pid, visible, class, title, rect."""
        result = []
        for line in self.command("windows").splitlines():
            hwnd, pid, visible, cls, title, rect, style, exstyle = line.split("\t")
            result.append(dict(hwnd=hwnd, pid=int(pid), visible=visible == "1", cls=cls,
                               title=title, rect=[int(v) for v in rect.split()],
                               style=int(style, 16), exstyle=int(exstyle, 16)))
        return result

    def controls(self, hwnd):
        result = []
        for line in self.command("controls", hwnd).splitlines():
            handle, ident, cls, text, rect, style, visible = line.split("\t")
            result.append(dict(hwnd=handle, id=int(ident), cls=cls, text=unescape(text),
                               rect=[int(v) for v in rect.split()], style=int(style, 16),
                               visible=visible == "1"))
        return result

    def wait_window(self, what, timeout=10, **match):
        def find():
            return [w for w in self.windows()
                    if w["visible"] and all(w[k] == v for k, v in match.items())]
        return wait_until(find, timeout, what, interval=0.1)[0]

    def wait_no_window(self, what, timeout=10, **match):
        wait_until(lambda: not [w for w in self.windows()
                                if w["visible"] and all(w[k] == v for k, v in match.items())],
                   timeout, what, interval=0.1)

    # The ticker, as the shell sees it ------------------------------------------------

    def ticker(self, state=None):
        """The first window parented into the tray and its drawing surface."""
        s = state or self.state()
        if int(s.get("children", "0")) == 0:
            return None
        return dict(hwnd=s["child.0"], cls=s["child.0.class"],
                    rect=[int(v) for v in s["child.0.rect"].split()],
                    style=int(s["child.0.style"], 16), exstyle=int(s["child.0.exstyle"], 16),
                    visible=s["child.0.visible"] == "1", pid=int(s["child.0.pid"]),
                    surface_rect=[int(v) for v in s.get("child.0.0.rect", "0 0 0 0").split()],
                    text=unescape(s.get("child.0.0.text", "")))

    def icons(self, state=None):
        s = state or self.state()
        result = []
        for i in range(int(s["icons"])):
            owner, ident, flags, message = s[f"icon.{i}"].split()
            result.append((owner, int(ident), int(flags, 16), int(message, 16)))
        return result

    def wait_ticker(self, timeout=20, **want):
        """Waits until the ticker is in the tray, visible, with the given rect."""
        def ready():
            t = self.ticker()
            if t is None or not t["visible"]:
                return None
            if "rect" in want and t["rect"] != want["rect"]:
                return None
            return t
        return wait_until(ready, timeout, f"the ticker in the tray {want}")

    def ticker_screen_rect(self, state=None):
        s = state or self.state()
        ox, oy = (int(v) for v in s["tray_origin"].split())
        x, y, w, h = (int(v) for v in s["child.0.rect"].split())
        return [ox + x, oy + y, w, h]

    def check_clock(self, timeout=2.0, **style):
        """The surface shows the Roman time of the second in which it is read."""
        def matches():
            before = time.time()
            text = self.ticker(self.snap())["text"]
            after = time.time()
            # The ticker redraws on a 100 ms tick: allow one tick of lag.
            seconds = range(int(before - 0.25), int(after) + 1)
            wanted = [clock_text(s, **style) for s in seconds]
            return (text, wanted) if text in wanted else None
        try:
            return wait_until(matches, timeout, "the Roman time on the ticker", interval=0.1)
        except Failure:
            text = self.ticker(self.snap())["text"]
            raise Failure(f"ticker text {text!r}, expected {clock_text(time.time(), **style)!r}")

    def watch_ticks(self, count):
        """Waits until the program's taskbar watch has looked count times."""
        polls = int(self.snap()["appbar.getpos"])
        wait_until(lambda: int(self.snap()["appbar.getpos"]) >= polls + count, 5,
                   f"{count} ticks of the taskbar watch")

    def snap(self):
        self.command("snap")
        return self.state()

    # Input and output --------------------------------------------------------------

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True, timeout=20,
                       stdout=subprocess.DEVNULL)

    def right_click_ticker(self):
        x, y, w, h = self.ticker_screen_rect()
        # No --sync: it waits for a move, and there is none when the pointer is
        # already there. The events queue in order anyway.
        self.xdotool("mousemove", x + w // 2, y + h // 2, "click", "3")

    def open_menu(self):
        self.right_click_ticker()
        return self.wait_window("the context menu", cls="#32768")

    def pick(self, caption, shot=None):
        """Opens the context menu and picks an item with the keyboard."""
        position = MENU.index(caption)
        downs = len([c for c in MENU[:position + 1] if c != "-"])
        self.open_menu()
        if shot:
            self.screenshot(shot)
        self.xdotool("key", "--delay", "15", *(["Down"] * downs), "Return")

    def screenshot(self, name):
        path = os.path.join(self.shots, f"{name}.png")
        subprocess.run(["import", "-display", self.display, "-window", "root", path],
                       env=self.env, check=True, timeout=30)
        return path

    def colours(self, path, rect):
        """Counts of each colour (r, g, b) in a rectangle of a screenshot."""
        x, y, w, h = rect
        out = subprocess.run(["convert", path, "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                              "-depth", "8", "txt:-"], check=True, capture_output=True,
                             text=True, timeout=30).stdout
        counts = {}
        for match in re.finditer(r"#([0-9A-Fa-f]{6})", out):
            rgb = tuple(int(match.group(1)[i:i + 2], 16) for i in (0, 2, 4))
            counts[rgb] = counts.get(rgb, 0) + 1
        return counts

    def read_ini(self):
        try:
            with open(self.ini, "rb") as f:
                return f.read()
        except FileNotFoundError:
            return None

    def ini_values(self):
        data = self.read_ini()
        if data is None:
            return {}
        return dict(line.split("=", 1) for line in data.decode("latin-1").splitlines()
                    if "=" in line)

    def write_ini(self, **values):
        text = "[Configuration]\r\n" + "".join(f"{k}={v}\r\n" for k, v in values.items())
        with open(self.ini, "wb") as f:
            f.write(text.encode("latin-1"))


def unescape(text):
    return re.sub(r"\\(x[0-9a-f]{2}|.)", lambda m: {"n": "\n", "r": "\r", "t": "\t", "\\": "\\"}
                  .get(m.group(1), chr(int(m.group(1)[1:], 16)) if m.group(1)[0] == "x"
                       else m.group(1)), text)


def prepare_template(work):
    """A Wine prefix made once (wineboot) and copied for every scenario."""
    template = os.path.join(work, "prefix-template")
    os.makedirs(work, exist_ok=True)
    with open(template + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if not os.path.exists(os.path.join(template, ".clep-e2e-ready")):
            shutil.rmtree(template, ignore_errors=True)
            env = dict(os.environ, WINEPREFIX=template, WINEDEBUG="-all",
                       WINEDLLOVERRIDES="mscoree,mshtml=")
            env.pop("DISPLAY", None)
            quiet = dict(env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                         timeout=300)
            subprocess.run(["wine", "wineboot", "-i"], check=True, **quiet)
            # With no window manager, a managed window stalls 2 s whenever it maps.
            subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v",
                            "Managed", "/d", "N", "/f"], check=True, **quiet)
            subprocess.run(["wineserver", "-w"], check=True, **quiet)
            open(os.path.join(template, ".clep-e2e-ready"), "w").close()
    return template


# --- Checks shared by the scenarios -------------------------------------------------


def check_blank_icons(rig, ticker, count):
    icons = rig.icons()
    want = [(ticker["hwnd"], i, NIF_MESSAGE, WM_MOUSEMOVE) for i in range(1, count + 1)]
    check(icons == want, f"blank icons {icons}, expected {want}")


def check_restored(rig, events, owner):
    """The exit sequence: out of the tray, then ids 1 to 6 deleted, then repainted."""
    deletes = [v for k, v in events if k == "icon" and v["verb"] == "delete"]
    check([int(d["id"]) for d in deletes] == [1, 2, 3, 4, 5, 6],
          f"deleted ids {[d['id'] for d in deletes]}, expected 1 to 6")
    check(all(d["owner"] == owner for d in deletes), "icons deleted for another owner")
    check(all(d["inside"] == "0" for d in deletes),
          "icons deleted while the window was still in the tray")
    check([d["result"] for d in deletes] == ["1"] * 5 + ["0"],
          f"delete results {[d['result'] for d in deletes]}")
    check(not [v for k, v in events if k == "icon" and v["verb"] == "add"], "icons added at exit")
    kinds = [(k, v.get("window"), v.get("on")) for k, v in events]
    deleting = [i for i, (k, v) in enumerate(events) if k == "icon" and v["verb"] == "delete"]
    check(("redraw", "taskbar", "0") in kinds[:deleting[0]],
          "the taskbar's painting was not stopped before the icons went")
    after = kinds[deleting[-1]:]
    check(("redraw", "taskbar", "1") in after, "the taskbar's painting was not resumed")
    check(any(k == "paint" and w == "taskbar" for k, w, _ in after),
          "the taskbar was not repainted after the icons went")
    check(any(k == "paint" and w == "tray" for k, w, _ in after),
          "the tray was not repainted after the icons went")
    state = rig.snap()
    check(state["icons"] == "0" and state["children"] == "0",
          f"left in the tray: {state['icons']} icons, {state['children']} windows")


def check_refit(events, count):
    """FitTicker: ids 1 to 6 deleted, then 1 to count added."""
    icon_events = [(v["verb"], int(v["id"])) for k, v in events if k == "icon"]
    want = [("delete", i) for i in range(1, 7)] + [("add", i) for i in range(1, count + 1)]
    check(icon_events == want, f"icon traffic {icon_events}, expected a refit {want}")


# --- Scenarios ---------------------------------------------------------------------------


def scenario_startup(rig):
    """Defaults with no INI: place, size, edge, blank icons, the time, no INI written."""
    rig.start_shell()
    mark = rig.mark()
    rig.start_program()
    ticker = rig.wait_ticker(rect=[0, 5, 84, TICKER_HEIGHT])
    shown = time.time()
    check(rig.state()["caption"] == str(CAPTION), "the caption height is not 19")
    check(ticker["exstyle"] & WS_EX_STATICEDGE, f"no sunken edge: exstyle {ticker['exstyle']:#x}")
    check(not ticker["style"] & WS_BORDER, f"thin border left: style {ticker['style']:#x}")
    check_blank_icons(rig, ticker, 5)
    events = rig.events_since(mark)
    check_refit(events, 5)
    check(("redraw", {"window": "taskbar", "on": "1"}) in events, "the taskbar stayed frozen")
    first, fitted = startup_to_fitted(rig, mark, ticker["pid"])
    print(f"startup-to-first-shell-call-ms: {first:.0f}\nstartup-to-fitted-ms: {fitted:.0f}")
    rig.check_clock(timeout=max(0.5, 2.0 - (time.time() - shown)))
    rig.screenshot("startup")
    # A few ticks of the watch later: still at the top-left place, still no file.
    rig.watch_ticks(4)
    check(rig.ticker()["rect"] == [0, 5, 84, TICKER_HEIGHT], "the ticker moved on its own")
    rig.check_clock()
    check(rig.read_ini() is None, "an INI file was created at start-up")
    check(sorted(os.listdir(rig.app)) == ["Clepsydrium.exe"], f"files: {os.listdir(rig.app)}")


def startup_to_fitted(rig, mark, pid):
    """Milliseconds from the process's start to its first call into the shell, and to
    the taskbar's repaint after the last blank icon (the fitted ticker)."""
    timed = rig.timed_events(mark)
    start = rig.process_start_tick(pid)
    first = [t for t, kind, _ in timed if kind in ("redraw", "icon")][0]
    adds = [i for i, (_, kind, rest) in enumerate(timed) if kind == "icon" and
            rest.startswith("add ")]
    check(adds, "no icon added")
    painted = [t for t, kind, rest in timed[adds[-1]:] if kind == "paint" and
               rest == "window=taskbar"]
    check(painted, "no repaint after the last icon")
    return first - start, painted[0] - start


def background_and_ink(counts):
    background = max(counts, key=counts.get)
    ink = {c: n for c, n in counts.items() if c != background}
    return background, ink


def scenario_pixels(rig):
    """The shell inside the program: the ticker's text shows, in ColourText."""
    program = rig.start_injected()
    rig.wait_ticker(rect=[0, 5, 84, TICKER_HEIGHT])
    rig.check_clock()
    state = rig.snap()
    shot = rig.screenshot("ticker-default")
    x, y, w, h = rig.ticker_screen_rect(state)
    counts = rig.colours(shot, [x + 1, y + 1, w - 2, h - 2])  # inside the sunken edge
    background, ink = background_and_ink(counts)
    dark = sum(n for c, n in ink.items() if sum(c) < 200)
    check(dark >= 15, f"the ticker looks blank: background {background}, ink {ink}")
    # Beside the clock, where the watch puts it after the tray shrinks.
    rig.command("extra", 40)
    rig.watch_ticks(2)
    rig.command("extra", 0)
    state = wait_until(lambda: (lambda s: s if rig.ticker(s)["rect"][1] == 2 else None)(
        rig.snap()), 5, "the ticker beside the clock")
    rig.check_clock()
    shot = rig.screenshot("ticker-beside-clock")
    x, y, w, h = rig.ticker_screen_rect(state)
    _, ink = background_and_ink(rig.colours(shot, [x + 1, y + 1, w - 2, h - 2]))
    check(sum(n for c, n in ink.items() if sum(c) < 200) >= 15, "blank beside the clock")

    rig.command("close", rig.ticker()["hwnd"])
    check(rig.wait_exit(program) == 0, f"exit code {program.returncode} after WM_CLOSE")
    rig.write_ini(ColourText=255, ColourBack=16777215)
    rig.start_injected("program2")
    rig.wait_ticker(rect=[0, 5, 84, TICKER_HEIGHT])
    rig.check_clock()
    state = rig.snap()
    shot = rig.screenshot("ticker-red-on-white")
    x, y, w, h = rig.ticker_screen_rect(state)
    background, ink = background_and_ink(rig.colours(shot, [x + 1, y + 1, w - 2, h - 2]))
    check(background == (255, 255, 255), f"background {background}, expected white")
    red = sum(n for (r, g, b), n in ink.items() if r > 200 and g < 60 and b < 60)
    other = sum(n for (r, g, b), n in ink.items() if not (r > g + 40 and r > b + 40))
    check(red >= 15, f"no red text: {ink}")
    check(other == 0, f"ink that is not red: {other} pixels")


def scenario_settings(rig):
    """An INI with seconds off, additive numerals, lower case and zero as dash."""
    values = dict(DisplaySeconds=0, MedievalScript=0, Lowercase=1, ZeroAsDash=1)
    rig.write_ini(**values)
    before = rig.read_ini()
    rig.start_shell()
    rig.start_program()
    ticker = rig.wait_ticker(rect=[0, 5, 56, TICKER_HEIGHT])
    check_blank_icons(rig, ticker, 3)
    rig.check_clock(seconds=False, medieval=False, dash=True, lower=True)
    check(rig.read_ini() == before, "the INI file changed at start-up")


def scenario_menu(rig):
    """Lowercase, then Hours and minutes, by keyboard in the context menu."""
    rig.start_shell()
    rig.start_program()
    ticker = rig.wait_ticker(rect=[0, 5, 84, TICKER_HEIGHT])
    rig.check_clock()
    rig.pick("Lowercase", shot="menu-open")
    wait_until(lambda: rig.ini_values().get("Lowercase") == "1", 5, "Lowercase=1 in the INI")
    rig.wait_no_window("the menu to close", cls="#32768")
    rig.check_clock(lower=True)
    mark = rig.mark()
    rig.pick("Hours and minutes")
    wait_until(lambda: rig.ini_values().get("DisplaySeconds") == "0", 5, "DisplaySeconds=0")
    # The command refits the ticker where it stands; the watch then sees the
    # tray narrower than at its last look, refits again and moves the ticker
    # beside the clock.
    wait_until(lambda: (lambda s: rig.ticker(s)["rect"] == [beside_clock_x(s, 56, False), 2, 56,
                                                            TICKER_HEIGHT])(rig.snap()),
               5, "the ticker 56 wide beside the clock")
    events = rig.events_since(mark)
    icon_events = [i for i, (k, _) in enumerate(events) if k == "icon"]
    check(len(icon_events) == 18, f"{len(icon_events)} icon events, expected two refits")
    check_refit(events[:icon_events[9]], 3)
    check_refit(events[icon_events[9]:], 3)
    check_blank_icons(rig, ticker, 3)
    rig.check_clock(seconds=False, lower=True)
    check(rig.read_ini() == b"[Configuration]\r\nLowercase=1\r\nDisplaySeconds=0\r\n",
          f"INI: {rig.read_ini()!r}")


def scenario_borders(rig):
    """Borders off clears the sunken edge and keeps every other style bit."""
    rig.start_shell()
    rig.start_program()
    before = rig.wait_ticker(rect=[0, 5, 84, TICKER_HEIGHT])
    check(before["exstyle"] & WS_EX_STATICEDGE, "no sunken edge at start")
    rig.pick("Borders")
    wait_until(lambda: rig.ini_values().get("Borders") == "0", 5, "Borders=0 in the INI")
    after = wait_until(lambda: (lambda t: t if not t["exstyle"] & WS_EX_STATICEDGE else None)(
        rig.ticker(rig.snap())), 5, "the sunken edge to go")
    check(after["exstyle"] == before["exstyle"] & ~WS_EX_STATICEDGE,
          f"exstyle {before['exstyle']:#x} became {after['exstyle']:#x}")
    check(after["style"] == before["style"], f"style {before['style']:#x} -> {after['style']:#x}")
    check(after["rect"] == [0, 5, 84, TICKER_HEIGHT], f"ticker moved to {after['rect']}")
    # The surface covers the whole client area, which has just grown.
    wait_until(lambda: rig.ticker(rig.snap())["surface_rect"] == [0, 0, 84, TICKER_HEIGHT], 3,
               "the surface to cover the client area without the edge")
    rig.pick("Borders")
    wait_until(lambda: rig.ini_values().get("Borders") == "1", 5, "Borders=1 in the INI")
    again = wait_until(lambda: (lambda t: t if t["exstyle"] & WS_EX_STATICEDGE else None)(
        rig.ticker(rig.snap())), 5, "the sunken edge to come back")
    check(again["exstyle"] == before["exstyle"] and again["style"] == before["style"],
          "the styles differ after Borders twice")
    rig.check_clock()


SS_ICON = 0x3


def box_icon(rig, shot, controls):
    """Which of Wine's message box icons a box shows, told by its colours."""
    icons = [c for c in controls if c["cls"] == "Static" and c["style"] & 0x1F == SS_ICON]
    check(len(icons) == 1, f"{len(icons)} icons in the box")
    counts = rig.colours(shot, icons[0]["rect"])
    orange = sum(n for (r, g, b), n in counts.items() if r > 200 and 80 < g < 200 and b < 80)
    blue = sum(n for (r, g, b), n in counts.items() if b > 150 and r < 120)
    return "exclamation" if orange > 100 else "information" if blue > 100 else "other"


def wait_dialog(rig, title, pid):
    return rig.wait_window(f"the dialog {title!r}", cls="#32770", title=title, pid=pid)


def scenario_dialogs(rig):
    """Colour dialog cancelled and accepted, font dialog cancelled, About box."""
    font = dict(FontName="DejaVu Serif", FontSize=10, FontBold=1, FontItalic=0)
    rig.write_ini(**font)
    rig.start_shell()
    rig.start_program()
    ticker = rig.wait_ticker(rect=[0, 5, 84, TICKER_HEIGHT])
    pid = ticker["pid"]

    rig.pick("Text colour")
    dialog = wait_dialog(rig, "Color", pid)
    rig.screenshot("dialog-colour")
    rig.command("command", dialog["hwnd"], IDCANCEL)
    wait_until(lambda: rig.ini_values().get("ColourText") == "0", 5, "ColourText=0")
    rig.wait_no_window("the colour dialog to close", title="Color")

    rig.pick("Text colour")
    dialog = wait_dialog(rig, "Color", pid)
    fields = {c["id"]: c["hwnd"] for c in rig.controls(dialog["hwnd"])}
    for ident, value in ((706, 18), (707, 52), (708, 86)):  # red, green, blue
        rig.command("settext", fields[ident], value)
    rig.command("command", dialog["hwnd"], IDOK)
    want = str(86 << 16 | 52 << 8 | 18)
    wait_until(lambda: rig.ini_values().get("ColourText") == want, 5, f"ColourText={want}")

    rig.pick("Set font")
    dialog = wait_dialog(rig, "Font", pid)
    rig.screenshot("dialog-font")
    rig.command("command", dialog["hwnd"], IDCANCEL)
    wait_until(lambda: "FontItalic" in rig.ini_values(), 5, "the font keys")
    values = rig.ini_values()
    check({k: values.get(k) for k in font} == {k: str(v) for k, v in font.items()},
          f"font keys after Cancel: {values}")

    title = f"Clepsydrium {rig.args.version}"
    rig.pick("About")
    box = wait_dialog(rig, title, pid)
    shot = rig.screenshot("dialog-about")
    controls = rig.controls(box["hwnd"])
    check(box_icon(rig, shot, controls) == "information", "the About box's icon")
    texts = [c["text"] for c in controls if c["cls"] == "Static" and c["text"]]
    check(len(texts) == 1, f"About texts {texts}")
    lines = texts[0].split("\r\n")
    check(len(lines) == 4 and lines[0] == ABOUT_PURPOSE and lines[1] == ""
          and lines[2].startswith("\u00a9") and len(lines[2]) > 2 and lines[3],
          f"About lines {lines}")
    check(lines[3] in rig.args.home or rig.args.home in lines[3],
          f"About address {lines[3]!r}, home page {rig.args.home!r}")
    buttons = [c["text"] for c in controls if c["cls"] == "Button" and c["visible"]]
    check(buttons == ["OK"], f"About buttons {buttons}")
    rig.command("command", box["hwnd"], IDOK)
    rig.wait_no_window("the About box to close", title=title)
    check(rig.ticker()["hwnd"] == ticker["hwnd"], "the ticker changed")
    rig.check_clock()


def scenario_second_instance(rig):
    """A second start shows the box, exits after OK, and leaves the first alone."""
    rig.start_shell()
    first = rig.start_program()
    ticker = rig.wait_ticker(rect=[0, 5, 84, TICKER_HEIGHT])
    icons = rig.icons()
    mark = rig.mark()
    second = rig.start_program("second")
    box = rig.wait_window("the message box", cls="#32770", title="Clepsydrium")
    check(box["pid"] != ticker["pid"], "the box belongs to the first instance")
    shot = rig.screenshot("second-instance")
    controls = rig.controls(box["hwnd"])
    check(box_icon(rig, shot, controls) == "exclamation", "the box's icon")
    texts = [c["text"] for c in controls if c["cls"] == "Static" and c["text"]]
    check(texts == ["Clepsydrium already running"], f"box texts {texts}")
    buttons = [c["text"] for c in controls if c["cls"] == "Button" and c["visible"]]
    check(buttons == ["OK"], f"box buttons {buttons}")
    rig.command("command", box["hwnd"], IDOK)
    code = rig.wait_exit(second)
    check(first.poll() is None, "the first instance ended")
    after = rig.ticker(rig.snap())
    check(after["hwnd"] == ticker["hwnd"] and after["rect"] == ticker["rect"],
          f"first ticker {ticker['rect']} is now {after['rect']}")
    check(rig.icons() == icons, "the first instance's icons changed")
    check(not [k for k, _ in rig.events_since(mark) if k == "icon"],
          "icon traffic from the second instance")
    print(f"second instance exit code {code}")
    rig.check_clock()


def scenario_no_shell(rig):
    """No usable taskbar: the error report, exit code 1, no icon, no ticker."""
    cases = [("probe", "80040001", "Wine's own hidden taskbar, no notification area"),
             ("no-tray", "80040001", "a taskbar without a notification area"),
             ("no-clock", "80040002", "a notification area without a clock")]
    for number, (mode, error, about) in enumerate(cases):
        rig.start_shell(mode)
        mark = rig.mark()
        program = rig.start_program(f"program-{mode}")
        box = rig.wait_window(f"the error report ({about})", cls="#32770", title="Clepsydrium")
        rig.screenshot(f"no-shell-{mode}")
        texts = " ".join(c["text"] for c in rig.controls(box["hwnd"]) if c["cls"] == "Static")
        signed = str(int(error, 16) - (1 << 32))
        check(error in texts.upper() or signed in texts,
              f"{about}: report {texts!r} names neither {error} nor {signed}")
        rig.command("command", box["hwnd"], IDOK)
        code = rig.wait_exit(program)
        check(code == 1, f"{about}: exit code {code}")
        check(not [k for k, _ in rig.events_since(mark) if k in ("icon", "children")],
              f"{about}: icons or windows reached the shell")
        state = rig.snap()
        check(state["icons"] == "0" and state["children"] == "0", f"{about}: left behind")
        stray = [w for w in rig.windows() if w["visible"] and w["cls"] != "#32768"
                 and w["title"] in ("Wine System Tray", "Clepsydrium ticker")]
        check(not stray, f"{about}: {stray}")


def beside_clock_x(state, ticker_width, auto_hide):
    tray_width = int(state["tray_client"].split()[0])
    clock_width = int(state["clock_rect"].split()[2]) if state["clock_shown"] == "1" else 0
    if auto_hide:
        return tray_width - clock_width
    return tray_width - clock_width - ticker_width + 1


def scenario_watch(rig):
    """The taskbar moves and shrinks; the ticker follows."""
    rig.start_shell()
    rig.start_program()
    rig.wait_ticker(rect=[0, 5, 84, TICKER_HEIGHT])

    def moves_to(what, command, *args, refit=True, auto_hide=False, top_left=False):
        mark = rig.mark()
        rig.command(command, *args)

        def placed():
            s = rig.snap()
            t = rig.ticker(s)
            want = [0, 5] if top_left else [beside_clock_x(s, 84, auto_hide), 2]
            return s if t["rect"] == want + [84, TICKER_HEIGHT] and \
                (not refit or len([k for k, _ in rig.events_since(mark) if k == "icon"]) >= 11) \
                else None
        wait_until(placed, 5, what)
        events = rig.events_since(mark)
        if refit:
            check_refit(events, 5)
        else:
            check(not [k for k, _ in events if k == "icon"], f"{what}: a refit")

    def quiet_ticks(count=4):
        """Lets the watch look count times; nothing may change."""
        mark = rig.mark()
        rect = rig.ticker()["rect"]
        rig.watch_ticks(count)
        check(rig.ticker()["rect"] == rect, f"the ticker moved from {rect}")
        check(not [k for k, _ in rig.events_since(mark) if k == "icon"], "icon traffic")

    moves_to("top edge: refit, beside the clock", "edge", 1)
    quiet_ticks()
    rig.command("extra", 40)  # a wider tray is no reason to move
    quiet_ticks()
    moves_to("narrower tray: refit, beside the clock", "extra", 0)
    quiet_ticks()
    moves_to("clock hidden: refit, at the tray's end", "clock", "hide")
    rig.command("clock", "show")
    quiet_ticks()
    rig.command("autohide", 1)
    moves_to("bottom edge with auto-hide: over the clock", "edge", 3, auto_hide=True)
    rig.command("autohide", 0)
    moves_to("left edge: top-left place", "edge", 0, refit=False, top_left=True)
    quiet_ticks()
    rig.check_clock()


def scenario_exit(rig):
    """Exit from the menu restores the taskbar and leaves the INI alone."""
    rig.write_ini(Lowercase=1, ToolTip=0)
    before = rig.read_ini()
    rig.start_shell()
    program = rig.start_program()
    ticker = rig.wait_ticker(rect=[0, 5, 84, TICKER_HEIGHT])
    mark = rig.mark()
    rig.pick("Exit")
    code = rig.wait_exit(program)
    check(code == 0, f"exit code {code}")
    check_restored(rig, rig.events_since(mark), ticker["hwnd"])
    check(rig.read_ini() == before, "the INI file changed at exit")


def scenario_close(rig):
    """WM_CLOSE, and a logoff, restore the taskbar as Exit does."""
    rig.start_shell()
    for how in ("close", "endsession"):
        program = rig.start_program(f"program-{how}")
        ticker = rig.wait_ticker(rect=[0, 5, 84, TICKER_HEIGHT])
        mark = rig.mark()
        reply = rig.command(how, ticker["hwnd"])
        wait_until(lambda: rig.snap()["icons"] == "0" and rig.state()["children"] == "0", 5,
                   f"{how}: the taskbar restored")
        check_restored(rig, rig.events_since(mark), ticker["hwnd"])
        if how == "close":
            check(rig.wait_exit(program) == 0, f"exit code {program.returncode} after WM_CLOSE")
        else:
            check("query=1" in reply, f"WM_QUERYENDSESSION answered {reply!r}")
            # Windows ends the process after WM_ENDSESSION; here it may linger.
            try:
                rig.wait_exit(program, timeout=3)
            except Failure:
                program.kill()
                program.wait(timeout=10)
    check(rig.read_ini() is None, "an INI file appeared")


def scenario_shell_restart(rig):
    """The shell ends and a new one broadcasts "TaskbarCreated": the ticker comes back."""
    rig.start_shell()
    program = rig.start_program()
    old = rig.wait_ticker(rect=[0, 5, 84, TICKER_HEIGHT])
    check_blank_icons(rig, old, 5)
    rig.command("quit")
    wait_until(lambda: rig.shell.poll() is not None, 10, "the shell to end")

    # The program lives on without its form window: no ticker anywhere, no box.
    rig.start_shell("probe")
    deadline = time.monotonic() + 1.0  # four looks of the program's watch
    while time.monotonic() < deadline:
        check(program.poll() is None, f"the program ended with code {program.returncode}")
        shown = [w for w in rig.windows() if w["visible"] and (
            w["pid"] == old["pid"] or w["title"] == "Wine System Tray")]
        check(not shown, f"shown without a shell: {shown}")
        time.sleep(0.1)

    rig.start_shell()  # ready means FindWindowA returns it, not Wine's own
    mark = rig.mark()
    rig.command("broadcast", "TaskbarCreated")
    ticker = rig.wait_ticker(timeout=3, rect=[0, 5, 84, TICKER_HEIGHT])
    check(ticker["hwnd"] != old["hwnd"] and ticker["cls"] in ("ClepsydriumForm", "ClepsydriumTicker")
          and ticker["pid"] == old["pid"], f"ticker {ticker}, before {old}")
    check_blank_icons(rig, ticker, 5)
    timed = rig.timed_events(mark)
    sent = [t for t, kind, rest in timed if kind == "done"][0]
    placed = [t for t, kind, rest in timed if kind == "children" and
              f"window={ticker['hwnd']} " in rest + " " and "rect=0,5,84,14" in rest]
    check(placed and placed[0] - sent < 1000, f"back in the tray after {placed[0] - sent} ms")
    print(f"back in the new tray {placed[0] - sent} ms after the broadcast")
    rig.check_clock()
    mark = rig.mark()
    rig.pick("Exit")
    check(rig.wait_exit(program) == 0, f"exit code {program.returncode}")
    check_restored(rig, rig.events_since(mark), ticker["hwnd"])


def scenario_end_session(rig):
    """A logoff told to the hidden session window restores the taskbar before it returns."""
    rig.write_ini(Lowercase=1, ColourText=255)
    before = rig.read_ini()
    rig.start_shell()
    program = rig.start_program()
    ticker = rig.wait_ticker(rect=[0, 5, 84, TICKER_HEIGHT])
    session = [w for w in rig.windows() if w["pid"] == ticker["pid"] and
               w["cls"] == "ClepsydriumSession"]
    check(len(session) == 1, f"session windows {session}")
    mark = rig.mark()
    reply = rig.command("endsession", session[0]["hwnd"])
    check("query=1" in reply, f"WM_QUERYENDSESSION answered {reply!r}")
    events = rig.events_since(mark)
    # The shell logs "done" after both sends have returned.
    done = [i for i, (kind, _) in enumerate(events) if kind == "done"][0]
    check_restored(rig, events[:done], ticker["hwnd"])
    check(rig.wait_exit(program, timeout=5) == 0, f"exit code {program.returncode}")
    check(rig.read_ini() == before, "the INI file changed at the session's end")


def scenario_handler_failure(rig):
    """A failure in the watch's handler: taskbar restored, then the error box, exit code 1."""
    shutil.copy(rig.args.faultable, rig.exe)
    rig.start_shell()
    program = rig.start_program()
    ticker = rig.wait_ticker(rect=[0, 5, 84, TICKER_HEIGHT])
    mark = rig.mark()
    with open(os.path.join(rig.app, "fail-now"), "w"):
        pass
    began = time.monotonic()
    box = rig.wait_window("the error box", cls="#32770", title="Clepsydrium", pid=ticker["pid"])
    print(f"error box seen {1000 * (time.monotonic() - began):.0f} ms after fail-now")
    rig.screenshot("handler-failure")
    wait_until(lambda: f"dialog window={box['hwnd']} " in rig.read_events(), 5,
               "the shell to note the box")
    events = rig.events_since(mark)
    shown = [i for i, (kind, v) in enumerate(events) if kind == "dialog" and
             v.get("window") == box["hwnd"]][0]
    check_restored(rig, events[:shown], ticker["hwnd"])
    controls = rig.controls(box["hwnd"])
    texts = [c["text"] for c in controls if c["cls"] == "Static" and c["text"]]
    check(len(texts) == 1 and texts[0].startswith("Run-time error -2147467259 (80004005)"),
          f"box texts {texts}")
    buttons = [c["text"] for c in controls if c["cls"] == "Button" and c["visible"]]
    check(buttons == ["OK"], f"box buttons {buttons}")
    rig.command("command", box["hwnd"], IDOK)
    check(rig.wait_exit(program) == 1, f"exit code {program.returncode}")
    state = rig.snap()
    check(state["icons"] == "0" and state["children"] == "0", "left in the tray")
    stray = [w for w in rig.windows() if w["visible"] and w["title"] == "Wine System Tray"]
    check(not stray, f"{stray}")


def scenario_contract(rig):
    """The platform's contract tests of the shell, against our test shell under Wine."""
    check(rig.args.contract, "no --contract exe")
    rig.start_shell(contract=1)
    tests = rig.wine("contract_tests", [rig.args.contract, "--gtest_filter=ShellContract*"])
    code = rig.wait_exit(tests, timeout=60)
    with open(os.path.join(rig.logs, "contract_tests.log"), errors="replace") as f:
        output = f.read()
    print(output)
    check(code == 0 and "[  PASSED  ]" in output and "SKIPPED" not in output,
          f"contract_tests exit code {code}")


def scenario_fail_on_purpose(rig):
    """For the clean-up test: everything up, then a failure."""
    rig.start_shell()
    rig.start_program()
    rig.wait_ticker()
    raise Failure("failing on purpose")


def scenario_hang(rig):
    """For the clean-up test: everything up, then wait to be stopped."""
    rig.start_shell()
    rig.start_program()
    rig.wait_ticker()
    with open(os.path.join(rig.dir, "up"), "w"):
        pass
    wait_until(lambda: False, 120, "a signal")


def scenario_cleanup(rig_args):
    """A scenario that fails, and one that is stopped by SIGTERM, leave nothing running."""
    for name, how in (("fail_on_purpose", "failure"), ("hang", "SIGTERM")):
        folder = os.path.join(rig_args.work, name)
        shutil.rmtree(folder, ignore_errors=True)
        command = [sys.executable, os.path.abspath(__file__)] + rig_args.forward + [name]
        run = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if how == "SIGTERM":
            up = os.path.join(folder, "up")
            wait_until(lambda: os.path.exists(up) or run.poll() is not None, 90,
                       "the scenario to come up")
            if run.poll() is not None:
                raise Failure(f"{name} ended early: {run.stdout.read()!r}")
            run.send_signal(signal.SIGTERM)
        output = run.communicate(timeout=90)[0].decode(errors="replace")
        check(run.returncode != 0, f"{name}: exit code 0 ({output})")
        with open(os.path.join(folder, "pids.txt")) as f:
            noted = dict(line.strip().split("=", 1) for line in f if "=" in line and
                         not line.startswith("pid="))
            f.seek(0)
            pids = [int(line[4:]) for line in f if line.startswith("pid=")]
        check(len(pids) >= 3, f"{name}: only {pids} noted")
        running = [p for p in pids if alive(p)]
        running += [p for p in processes_with_prefix(noted["prefix"]) if alive(p)]
        check(not running, f"{name} ({how}) left running: {running}")
        display = noted["display"].lstrip(":")
        check(not os.path.exists(f"/tmp/.X{display}-lock"), f"{name}: Xvfb's lock is left")
        kept = os.listdir(os.path.join(folder, "shots")) + os.listdir(os.path.join(folder, "shell1"))
        check("failure.png" in kept and "events.log" in kept, f"{name}: kept only {kept}")
        print(f"{name} ({how}): nothing left running, logs kept in {folder}")


SCENARIOS = {name[len("scenario_"):]: fn for name, fn in globals().items()
             if name.startswith("scenario_")}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    for option in ("exe", "shell", "dll", "inject", "work", "version"):
        parser.add_argument("--" + option, required=True)
    parser.add_argument("--home", default="https://github.com/clepsydrium/clepsydrium")
    parser.add_argument("--contract", help="contract_tests.exe, for the contract scenario")
    parser.add_argument("--faultable", help="the test build that fails on purpose "
                        "(default: Clepsydrium-faultable.exe beside --exe)")
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    args = parser.parse_args()
    args.faultable = args.faultable or os.path.join(os.path.dirname(args.exe),
                                                    "Clepsydrium-faultable.exe")
    for option in ("exe", "shell", "dll", "inject", "work", "faultable", "contract"):
        if getattr(args, option):
            setattr(args, option, os.path.abspath(getattr(args, option)))
    args.forward = [f"--{option}={getattr(args, option)}" for option in
                    ("exe", "shell", "dll", "inject", "work", "version", "home", "faultable")
                    if getattr(args, option)]

    def stop(number, frame):
        raise Stop(f"signal {number}")
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)

    began = time.monotonic()
    try:
        if args.scenario == "cleanup":
            scenario_cleanup(args)
        else:
            with Rig(args, args.scenario) as rig:
                SCENARIOS[args.scenario](rig)
    except (Failure, Stop) as error:
        print(f"FAIL {args.scenario}: {error}", file=sys.stderr)
        return 1
    print(f"PASS {args.scenario} in {time.monotonic() - began:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
