"""The rig: the real exe under Wine and Xvfb, in the demo taskbar, which logs what is done to it. A scenario
gets its own Xvfb, prefix and exe copy (so its own INI); all it started is stopped at its end, however it ends."""

import argparse, fcntl, os, re, shutil, signal, subprocess, sys, time

CAPTION, IDOK, IDCANCEL = 19, 1, 2
TICKER_H = CAPTION - 5
WS_DISABLED, WS_BORDER, WS_EX_STATICEDGE = 0x08000000, 0x00800000, 0x00020000
TICKER_CLASSES = ("ClepsydriumTicker", "ClepsydriumForm")  # the C++ rewrite's name, today's
SESSION_CLASS = "ClepsydriumSession"
QUIET = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class Failure(Exception):
    """A check that failed."""


class Stop(BaseException):
    """SIGTERM or SIGINT: unwinds through the clean-up like a failure."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_until(predicate, timeout, what, interval=0.05):
    deadline, last = time.monotonic() + timeout, None
    while True:
        try:
            last = predicate()
            if last:
                return last
        except (OSError, ValueError, KeyError, IndexError, TypeError) as error:
            last = error
        check(time.monotonic() < deadline, f"timed out after {timeout} s waiting for {what} (last: {last!r})")
        time.sleep(interval)


def menu_captions(path):
    """The context menu's captions in order, "-" for a separator, from its one table."""
    source = open(path).read()
    table = source[source.index("kMenu = {{"):source.index("}};")]
    entries = re.findall(r'Separator\(\)|Command::\w+,\s*((?:\s*(?:"[^"]*"|\w+))+)', table)
    return ["".join(re.findall(r'"([^"]*)"', e)) or e if e else "-" for e in entries]


def clock_text(moment, seconds=True, medieval=True, dash=False, lower=False):
    units = ["", "I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX"]
    tens = ["", "X", "XX", "XXX", "XL", "L", "LX", "LXX", "LXXX", "XC"]
    if not medieval:
        units[4], units[9], tens[4], tens[9] = "IIII", "VIIII", "XXXX", "LXXXX"
    t = time.localtime(moment)
    parts = [t.tm_hour, t.tm_min] + ([t.tm_sec] if seconds else [])
    text = ":".join(tens[p // 10] + units[p % 10] if p else "-" if dash else "" for p in parts)
    return " " * max(((6 if seconds else 4) * 4 - len(text) - 2) // 2, 0) + (text.lower() if lower else text)


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wine_processes(prefix):
    """Live PIDs whose environment names this Wine prefix."""
    found, marker = [], b"\0WINEPREFIX=" + os.fsencode(prefix) + b"\0"
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            if marker in b"\0" + open(f"/proc/{pid}/environ", "rb").read() and \
                    open(f"/proc/{pid}/stat").read().split(") ")[-1][:1] != "Z":
                found.append(int(pid))
        except OSError:
            pass
    return found


def prepared(work, name, *commands, env=None):
    """A folder made once per work folder by commands (a prefix, a locale), under a lock."""
    path = os.path.join(work, name)
    os.makedirs(work, exist_ok=True)
    with open(path + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if not os.path.exists(path + ".ready"):
            shutil.rmtree(path, ignore_errors=True)
            for command in commands:
                subprocess.run([a.replace("@", path) for a in command], env=dict(env or os.environ, WINEPREFIX=path),
                               check=True, timeout=300, **QUIET)
            open(path + ".ready", "w").close()
    return path


class Rig:
    """One scenario's Xvfb, prefix, taskbar and programs."""

    def __init__(self, args, name):
        self.args, self.name, self.dir = args, name, os.path.join(args.work, name)
        self.prefix, self.app = os.path.join(self.dir, "prefix"), os.path.join(self.dir, "app")
        self.exe, self.ini = (os.path.join(self.app, f) for f in ("Clepsydrium.exe", "Clepsydrium.ini"))
        self.started, self.display, self.shell, self.shells, self.deferred = [], None, None, 0, []
        self.menu = [c for c in menu_captions(args.menu) if c != "-"]

    def __enter__(self):
        self.env = {k: v for k, v in os.environ.items() if not k.startswith("CLEP_SHELL_") and k != "DISPLAY"}
        self.env.update(WINEPREFIX=self.prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(self.app)
        try:
            # With no window manager, a managed window stalls 2 s whenever it maps.
            template = prepared(self.args.work, "prefix-template", ["wine", "wineboot", "-i"], [
                "wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f"],
                ["wineserver", "-w"], env=self.env)
            subprocess.run(["cp", "-a", template, self.prefix], check=True)
            shutil.copy(self.args.exe, self.exe)
            with open(os.path.join(self.dir, "display"), "w") as out:
                self.started.append(subprocess.Popen(["Xvfb", "-displayfd", str(out.fileno()), "-screen", "0",
                                                      "1024x768x24", "-nolisten", "tcp", "-noreset"],
                                                     pass_fds=[out.fileno()], **QUIET))
            number = wait_until(lambda: re.fullmatch(r"(\d+)\n", open(out.name).read()), 20, "Xvfb's display")
            self.display = self.env["DISPLAY"] = ":" + number.group(1)
        except BaseException as error:
            self.__exit__(type(error), error, None)
            raise
        return self

    def __exit__(self, kind, error, trace):
        signal.signal(signal.SIGTERM, signal.SIG_IGN)  # a second signal must not cut this short
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        if kind is not None and self.display:
            self.screenshot("failure")
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=30, check=False, **QUIET)
        deadline = time.monotonic() + 10
        while left := wine_processes(self.prefix) + [p.pid for p in self.started[1:] if p.poll() is None]:
            if time.monotonic() > deadline:
                subprocess.run(["kill", "-9"] + [str(pid) for pid in left], **QUIET)
            time.sleep(0.05)
        for process in self.started:  # Xvfb last
            process.terminate()
            process.wait(timeout=10)
        shutil.rmtree(self.prefix, ignore_errors=True)
        if kind is not None:
            print(f"{self.name}: logs and screenshots kept in {self.dir}", file=sys.stderr)

    def wine(self, name, command, env=None):
        self.started.append(subprocess.Popen(["wine"] + command, env=env or self.env, cwd=self.app, stderr=-2,
                                             stdout=open(f"{self.dir}/{name}.log", "wb")))
        return self.started[-1]

    def start_shell(self, mode="full", injected=False, env=None, **settings):
        """The demo taskbar as its own process, or injected into the program so that its painting shows
        (then the returned process is the program's). Ready means the program will find it."""
        if self.shell is not None and self.shell.poll() is None:
            self.command("quit")
            self.wait_exit(self.shell)
        self.shells += 1
        self.shell_dir = os.path.join(self.dir, f"shell{self.shells}")
        os.makedirs(self.shell_dir)
        self.seq, self.events_path = 0, os.path.join(self.shell_dir, "events.log")
        env = dict(self.env, **(env or {}), CLEP_SHELL_DIR=winpath(self.shell_dir), CLEP_SHELL_MODE=mode)
        env.update({"CLEP_SHELL_" + k.upper(): str(v) for k, v in settings.items()})
        command = [self.args.inject, winpath(self.args.dll), winpath(self.exe)] if injected else [self.args.shell]
        self.shell = self.wine(f"shell{self.shells}", command, env)
        wait_until(lambda: check(self.shell.poll() is None, f"the taskbar ended: {self.read_events()[-300:]}")
                   or "\tready" in self.read_events(), 30, "the demo taskbar")
        return self.shell

    def start_program(self, name="program", env=None):
        return self.wine(name, [self.exe], dict(self.env, **(env or {})))

    def wait_exit(self, process, timeout=10):
        return wait_until(lambda: process.poll() is not None, timeout, "a process to end") and process.returncode

    def japanese(self):
        """A Japanese user's environment (Wine takes code page 932 from it); the locale is built, not installed."""
        made = prepared(self.args.work, "locale", ["mkdir", "@"], ["localedef", "-i", "ja_JP", "-f", "UTF-8", "@/ja"])
        return dict(LOCPATH=made, LANG="ja", LC_ALL="ja")

    def read_events(self):
        return open(self.events_path, encoding="utf-8").read() if os.path.exists(self.events_path) else ""

    def mark(self):
        return len(self.read_events().splitlines())

    def events(self, mark=0):
        """The events after the mark, as (tick in ms, kind, {field: value, "verb": first word})."""
        result = []
        for tick, _, rest in (line.partition("\t") for line in self.read_events().splitlines()[mark:]):
            words = rest.split(" ") + [""]
            result.append((int(tick), words[0], dict([w.split("=", 1) for w in words if "=" in w], verb=words[1])))
        return result

    def icon_events(self, mark):
        return [v for _, kind, v in self.events(mark) if kind == "icon"]

    def state(self):
        with open(os.path.join(self.shell_dir, "state.txt"), encoding="utf-8") as f:
            return dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)

    def command(self, verb, *args, timeout=10):
        """Sends a command to the taskbar; returns its reply once it is done."""
        self.seq += 1
        with open(os.path.join(self.shell_dir, "commands.txt"), "a") as f:
            f.write("\t".join([str(self.seq), verb] + [str(a) for a in args]) + "\n")
        done = re.compile(rf"\tdone seq={self.seq} ok=(\d)(?: error=(.*))?$", re.M)
        found = wait_until(lambda: done.search(self.read_events()) or check(
            self.shell.poll() is None, "the taskbar has ended"), timeout, f"the taskbar's answer to {verb}")
        check(found.group(1) == "1", f"taskbar command {verb} {args}: {found.group(2)}")
        return open(os.path.join(self.shell_dir, f"reply-{self.seq}.txt"), encoding="utf-8").read()

    def snap(self):
        self.command("snap")
        return self.state()

    def rows(self, names, *command):
        """A reply of tab-separated lines as dicts: numbers as ints, rects as lists, texts unescaped."""
        return [{n: int(v, 0) if n in ("pid", "id", "style") else [int(x) for x in v.split()] if n == "rect"
                 else unescape(v) for n, v in zip(names.split(), line.split("\t"))}
                for line in self.command(*command).splitlines()]

    def windows(self, **match):
        """The top-level windows that match (visible="1" for the shown ones)."""
        return [w for w in self.rows("hwnd pid visible cls title rect style exstyle", "windows")
                if all(w[k] == v for k, v in match.items())]

    def controls(self, hwnd):
        return self.rows("hwnd id cls text rect style visible", "controls", hwnd)

    def texts(self, hwnd):
        controls = self.controls(hwnd)
        return ([c["text"] for c in controls if c["cls"] == "Static" and c["text"]],
                [c["text"] for c in controls if c["cls"] == "Button" and c["visible"] == "1"])

    def wait_window(self, what, timeout=10, **match):
        return wait_until(lambda: self.windows(visible="1", **match), timeout, what, interval=0.1)[0]

    def ticker(self, s=None):
        """The ticker in the tray ("child") or, as on Windows 11, in the bar itself ("bar")."""
        s = s or self.state()
        for key in [f"{where}.{i}" for where in ("child", "bar") for i in range(int(s.get(where + ".count", 0)))]:
            if s[key + ".class"] in TICKER_CLASSES:
                return dict(hwnd=s[key], parent=key.split(".")[0], z=int(key.split(".")[1]), pid=int(s[key + ".pid"]),
                            rect=[int(v) for v in s[key + ".rect"].split()], visible=s[key + ".visible"] == "1",
                            style=int(s[key + ".style"], 16), exstyle=int(s[key + ".exstyle"], 16),
                            face=[int(v) for v in s.get(key + ".0.rect", "0 0 0 0").split()],
                            text=unescape(s.get(key + ".0.text", "")))
        return None

    def wait_ticker(self, rect=None, timeout=20):
        return wait_until(lambda: (lambda t: t if t and t["visible"] and rect in (None, t["rect"]) else None)(
            self.ticker()), timeout, f"the ticker in the taskbar at {rect}")

    def screen_rect(self, s=None):
        s = s or self.snap()
        t = self.ticker(s)
        ox, oy = (int(v) for v in s["tray_origin" if t["parent"] == "child" else "taskbar_rect"].split()[:2])
        return [ox + t["rect"][0], oy + t["rect"][1]] + t["rect"][2:]

    def check_clock(self, timeout=2.0, **style):
        """The face shows the Roman time of the second in which it is read."""
        seen = []

        def matches():
            seen[:] = [time.time(), self.ticker(self.snap())["text"]]
            # The ticker redraws on a 100 ms tick: allow one tick of lag.
            return seen[1] in [clock_text(s, **style) for s in range(int(seen[0] - 0.25), int(time.time()) + 1)]
        check(self.soon(matches, timeout), f"ticker text {seen[1]!r} at {time.ctime(seen[0])}, {style}")

    def watch_ticks(self, count):
        """Waits until the program's taskbar watch has looked count times."""
        polls = int(self.snap()["appbar.getpos"])
        wait_until(lambda: int(self.snap()["appbar.getpos"]) >= polls + count, 5, "the taskbar watch")

    def soon(self, predicate, timeout):
        try:
            return wait_until(predicate, timeout, "")
        except Failure:
            return False

    def expect(self, condition, message):
        """A check that lets the scenario go on, so that one fault does not hide the others."""
        self.deferred += [] if condition else [message]
        return condition

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True, timeout=20, **QUIET)

    def right_click_ticker(self):
        x, y, w, h = self.screen_rect()
        # No --sync: it waits for a move, and there is none when the pointer is already there.
        self.xdotool("mousemove", x + w // 2, y + h // 2, "click", "3")

    def pick(self, caption):
        """Picks the first menu item whose caption starts so, with the keyboard."""
        self.right_click_ticker()
        self.wait_window("the context menu", cls="#32768")
        downs = 1 + [i for i, c in enumerate(self.menu) if c.startswith(caption)][0]
        self.xdotool("key", "--delay", "15", *(["Down"] * downs), "Return")

    def screenshot(self, name):
        subprocess.run(["timeout", "30", "import", "-display", self.display, "-window", "root",
                        f"{self.dir}/{name}.png"])
        return f"{self.dir}/{name}.png"

    def colours(self, path, rect):
        """Counts of each colour (r, g, b) in a rectangle of a screenshot."""
        x, y, w, h = rect
        out = subprocess.run(["convert", path, "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-depth", "8", "txt:-"],
                             check=True, capture_output=True, text=True, timeout=30).stdout
        found = [tuple(int(m[i:i + 2], 16) for i in (0, 2, 4)) for m in re.findall(r"#([0-9A-Fa-f]{6})", out)]
        return {c: found.count(c) for c in set(found)}

    def read_ini(self):
        return open(self.ini, "rb").read() if os.path.exists(self.ini) else None

    def ini_values(self):
        return dict(line.split("=", 1) for line in (self.read_ini() or b"").decode().splitlines() if "=" in line)

    def write_ini(self, **values):
        open(self.ini, "wb").write(b"[Configuration]\r\n" + "".join(f"{k}={v}\r\n" for k, v in values.items()).encode())


def unescape(text):  # the taskbar's escapes are Python's
    return text.encode("latin-1", "backslashreplace").decode("unicode_escape")


def scenario(function):
    """Runs function(rig) in a rig of its own; soft checks that failed fail it at the end."""
    def run(args):
        with Rig(args, function.__name__) as rig:
            function(rig)
            check(not rig.deferred, "; ".join(rig.deferred))
    return run


def main(scenarios):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    for option in ("exe", "faultable", "shell", "dll", "inject", "menu", "work", "version", "home"):
        parser.add_argument("--" + option)
    parser.add_argument("scenario", choices=sorted(scenarios))
    args = parser.parse_args()
    args.forward = sys.argv[1:-1]

    def stop(number, frame):
        raise Stop(f"signal {number}")
    for number in (signal.SIGTERM, signal.SIGINT):
        signal.signal(number, stop)
    try:
        scenarios[args.scenario](args)
        return 0
    except (Failure, Stop) as error:
        print(f"FAIL {args.scenario}: {error}", file=sys.stderr)
        return 1
